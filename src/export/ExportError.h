#pragma once
// Why an export stopped before writing its file. An abort is one of the export's own checks (a
// body without lines, a missing attached file) and is shown as a warning; a failure is an error
// of the archive or of the file system and is shown as an error.
#include <QDir>
#include <QString>
#include <stdexcept>

namespace brevalto {

class ExportError : public std::runtime_error {
public:
    enum class Kind { Abort, Failure };

    ExportError(Kind kind, const QString& text)
        : std::runtime_error(text.toStdString()), kind_(kind), text_(text) {}

    static ExportError abort(const QString& text) { return ExportError(Kind::Abort, text); }
    static ExportError failure(const QString& text) { return ExportError(Kind::Failure, text); }
    // The file being written cannot be written (why: the system's reason).
    static ExportError cannotWrite(const QString& path, const QString& why) {
        return failure(QStringLiteral("Impossibile scrivere il file %1: %2")
                           .arg(QDir::toNativeSeparators(path), why));
    }

    Kind kind() const { return kind_; }
    const QString& text() const { return text_; }

private:
    Kind kind_;
    QString text_;
};

} // namespace brevalto
