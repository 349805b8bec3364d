#pragma once
#include <QString>
#include <stdexcept>

namespace brevalto {

// An error of the archive layer: a statement the database refused, an archive that cannot be
// opened, a row that another workstation locked or deleted. The text is ready to show the user.
// The kind tells the few errors a caller handles on their own: a lock held elsewhere, a damaged
// file, an archive opened only for reading.
class DbError : public std::runtime_error {
public:
    // Conflict: a server archive broke a deadlock or a serialization failure (the transaction can
    // run again). Lost: the server cannot be reached or dropped the connection.
    enum class Kind { Other, Busy, Damaged, ReadOnly, Conflict, Lost };

    explicit DbError(const QString& text, Kind kind = Kind::Other)
        : std::runtime_error(text.toStdString()), text_(text), kind_(kind) {}
    const QString& text() const { return text_; }
    Kind kind() const { return kind_; }

private:
    QString text_;
    Kind kind_;
};

} // namespace brevalto
