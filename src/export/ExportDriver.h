#pragma once
// "Esporta xml": exports the current document with its bodies to one invoice file. Proposes the
// file name, asks where to save through the Prompt, writes the file atomically (built in memory
// when the pre-send check reads it first, otherwise written as it is built) and only then marks
// the document as exported. Every abort leaves the archive and the disk as they were.
// With a signing key it also signs the file ("Firma"): the signed "….xml.p7m" is written beside
// the ".xml" only when the signature succeeded, and the document is recorded with it.
#include "check/Finding.h"
#include "export/AttachmentEncoding.h"
#include "sdi/Signer.h"

#include <QByteArray>
#include <QIODevice>
#include <QString>
#include <functional>
#include <optional>

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

    // What happens when the pre-send check finds something in the file about to be written.
    enum class CheckMode {
        Ask,    // the findings are shown and the user asked whether to write anyway (default No); a
                // file that attaches files lists them and asks whether to write it
        Refuse, // nothing is written (the command line without --no-check)
        Skip,   // no check
    };

    static const QString kDialogTitle;
    static const QString kDialogFilter;
    static const QString kOverwriteQuestion;
    static const QString kSuccessMessage;
    static const QString kSecretTitle;

    // The key that signs every file this driver writes.
    struct Signing {
        sdi::SigningKey key;
        // The password or PIN, or nullopt when the user gave none (cancelled). Unset: asked
        // through the prompt each time, never kept.
        std::function<std::optional<QString>()> secret = {};
    };

    ExportDriver(DataModule& data, Prompt& prompt);

    // Skip until set: the body register asks, the command line refuses.
    void setCheckMode(CheckMode mode) { checkMode_ = mode; }
    // With the check mode Ask: decides, instead of a question, whether a file with findings is
    // written (true) or not (false: the outcome is Cancelled, lastFindings() holds them); a file
    // without findings is written without a question. For many Documents at once.
    void setFindingsDecision(std::function<bool(const check::Findings&)> decide) {
        decideFindings_ = std::move(decide);
    }
    // Signs what is exported from now on (nullopt: plain export, the default).
    void setSigning(std::optional<Signing> signing) { signing_ = std::move(signing); }

    // The whole action of the body register: checks, save dialog, the question of a document
    // already exported, overwrite question, export (with the pre-send check of exportTo). When
    // signing, the user is then asked whether to keep the unsigned file beside the signed one.
    Outcome run();

    // True when TablePA_Body holds at least one body.
    bool hasBodies() const;
    // The transmitter's country code and upper-case code as the file carries them, "_", the
    // five-character progressive (see documentFileName).
    QString proposedFileName() const;
    // Shows why a file of this Document may not be written at path (the naming rule), and gives
    // Aborted then; nothing when the name is right.
    std::optional<Outcome> badFileName(const QString& path);
    // The preferred export folder when it exists, otherwise empty.
    QString preferredFolder() const;

    // Builds and checks the file and writes it to path (replacing any file there), then marks the
    // document exported and, when asked, shows the success message. Shows every abort and
    // failure; findings of the check are handled as the check mode says. When signing, the file
    // is signed before anything is written (an expired certificate is used only after the user
    // agreed), then path and its ".p7m" are written.
    Outcome exportTo(const QString& path, bool showSuccess = true);
    // The signed file of the last Written outcome; empty when it was not signed.
    QString signedPath() const { return signedPath_; }

    // True when the last outcome failed because the signature could not be made (wrong password
    // or PIN, card missing, certificate refused): the next Document would fail alike.
    bool signatureFailed() const { return signatureFailed_; }

    // The message shown for the last Aborted or Failed outcome.
    QString lastMessage() const { return lastMessage_; }
    // The findings of the last check (empty when it found nothing or did not run).
    const check::Findings& lastFindings() const { return lastFindings_; }

    // The files the last export attached, in the order of the file (empty when it attached
    // none or stopped before them).
    const AttachedFiles& attachedFiles() const { return attached_; }

    static QString findingsQuestion(const check::Findings& findings);
    // "La fattura è già stata esportata il … nel file …": the question of a second export.
    QString exportedAgainQuestion() const;
    // One line per attached file: its name, size and where it was read.
    static QString attachedFilesText(const AttachedFiles& files);

private:
    // Runs a step of the export; the outcome when it stopped, its message shown.
    std::optional<Outcome> attempt(const std::function<void()>& work);
    // Checks the text; an outcome when the findings stop the export.
    std::optional<Outcome> vetoedByCheck(const QByteArray& text);
    // The same with the findings that `check` gives.
    std::optional<Outcome> vetoedByFindings(const std::function<check::Findings()>& check);
    // A file of `size` bytes the exchange system would refuse for its size (00003): said, and
    // the outcome (unless the check is skipped).
    std::optional<Outcome> tooLarge(qint64 size);
    // Writes path through write (and, with an envelope, its signed file beside it) and marks the
    // document exported, with when and into which file, all or nothing.
    Outcome writeAndMark(const QString& path, const std::function<bool(QIODevice&)>& write,
                         const QByteArray* envelope, bool showSuccess);
    // An exported document going to another file (or to one no longer there): asks first, saying
    // when and where it went (No by default). True to go on.
    bool confirmExportedAgain(const QString& path);
    // The envelope of text, or an outcome when the signature did not happen.
    std::optional<Outcome> sign(const QByteArray& text, QByteArray* envelope);
    Outcome exportSigned(const QString& path, bool showSuccess);
    void askKeepUnsigned(const QString& path);
    // A signed file left beside path by an earlier signed export holds what was exported then:
    // when that is not what path now holds, it is removed (and said), so that it is never sent
    // in place of the new file.
    void removeStaleSigned(const QString& path);

    Outcome abort(const QString& text);
    Outcome fail(const QString& text);

    DataModule& data_;
    Prompt& prompt_;
    QString lastMessage_;
    check::Findings lastFindings_;
    AttachedFiles attached_;
    CheckMode checkMode_ = CheckMode::Skip;
    std::optional<Signing> signing_;
    std::function<bool(const check::Findings&)> decideFindings_;
    QString signedPath_;
    bool signatureFailed_ = false;
};

} // namespace brevalto
