#pragma once
#include <QString>
#include <stdexcept>

namespace brevalto {

// An error of the archive layer: a statement the database refused, an archive that cannot be
// opened, a row that another workstation locked or deleted. The text is ready to show the user.
class DbError : public std::runtime_error {
public:
    explicit DbError(const QString& text) : std::runtime_error(text.toStdString()), text_(text) {}
    const QString& text() const { return text_; }

private:
    QString text_;
};

} // namespace brevalto
