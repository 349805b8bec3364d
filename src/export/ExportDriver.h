#pragma once
// "Esporta xml": exports the current document with its bodies to one invoice file. Proposes the
// file name, asks where to save through the Prompt, builds the whole file in memory, writes it
// atomically and only then marks the document as exported. Every abort leaves the archive and the
// disk as they were.
#include <QString>

namespace brevalto {

class DataModule;
class Prompt;

class ExportDriver {
public:
    enum class Outcome {
        Written,   // the file is written and the document marked exported
        Cancelled, // the user cancelled the dialog or refused to overwrite: nothing said
        Aborted,   // a check stopped the export; its message was shown
        Failed,    // an archive or file-system error; its message was shown
    };

    static const QString kDialogTitle;
    static const QString kDialogFilter;
    static const QString kOverwriteQuestion;
    static const QString kSuccessMessage;

    ExportDriver(DataModule& data, Prompt& prompt);

    // The whole action of the body register: checks, save dialog, overwrite question, export.
    Outcome run();

    // True when TablePA_Body holds at least one body.
    bool hasBodies() const;
    // Country code and upper-case tax code of the firm, "_", the five-character progressive.
    QString proposedFileName() const;
    // The preferred export folder when it exists, otherwise empty.
    QString preferredFolder() const;

    // Builds the file and writes it to path (replacing any file there), then marks the document
    // exported and, when asked, shows the success message. Shows every abort and failure.
    Outcome exportTo(const QString& path, bool showSuccess = true);

    // The message shown for the last Aborted or Failed outcome.
    QString lastMessage() const { return lastMessage_; }

private:
    Outcome abort(const QString& text);
    Outcome fail(const QString& text);

    DataModule& data_;
    Prompt& prompt_;
    QString lastMessage_;
};

} // namespace brevalto
