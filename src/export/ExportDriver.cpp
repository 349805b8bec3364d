#include "export/ExportDriver.h"

#include "check/SignedFile.h"
#include "export/DocumentCheck.h"
#include "export/ExportError.h"
#include "export/FatturaWriter.h"
#include "export/IncludedBlocks.h"
#include "export/SentFiles.h"
#include "export/ValueFormat.h"
#include "store/DataModule.h"
#include "store/ProgramFolder.h"
#include "store/Prompt.h"
#include "store/WholeFile.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <functional>

namespace brevalto {

const QString ExportDriver::kDialogTitle = QStringLiteral("Scegli il file xml");
const QString ExportDriver::kDialogFilter = QStringLiteral("Archivi Xml (*.xml)");
const QString ExportDriver::kOverwriteQuestion =
    QStringLiteral("Il file e' gia' presente ! Sovrascriverlo ?");
const QString ExportDriver::kSuccessMessage = QStringLiteral(
    "Fattura esportata con successo ! Adesso è necessario verificarla sul sito ministeriale eppoi "
    "apporre la firma digitale al documento prima inviarlo tramite PEC !");

const QString ExportDriver::kSecretTitle = QStringLiteral("Firma digitale");

namespace {

// Writes the file through `write`, or leaves nothing: the old file at the path survives any
// failure, of the writing or of building the text.
void writeAtomically(const QString& path, const std::function<bool(QIODevice&)>& write) {
    QString why;
    if (!writeWholeFile(path, write, &why))
        throw ExportError::cannotWrite(path, why);
}

} // namespace

ExportDriver::ExportDriver(DataModule& data, Prompt& prompt) : data_(data), prompt_(prompt) {}

bool ExportDriver::hasBodies() const {
    return !data_.table("TablePA_Body").isEmpty();
}

QString ExportDriver::proposedFileName() const {
    return documentFileName(data_);
}

std::optional<ExportDriver::Outcome> ExportDriver::badFileName(const QString& path) {
    check::Findings findings;
    try {
        findings = fileNameFindings(data_, QFileInfo(path).fileName());
    } catch (const DbError& e) {
        return fail(e.text());
    }
    if (findings.isEmpty())
        return std::nullopt;
    return abort(QStringLiteral("Il file non è stato scritto: il Sistema di Interscambio lo "
                                "scarterebbe per il nome.\n\n%1\n\nIl nome si compone dai dati "
                                "del trasmittente (\"Dati Trasmissione\": Nazione e Codice "
                                "Fiscale) e dal Progressivo Invio.")
                     .arg(findings.constFirst().message));
}

QString ExportDriver::preferredFolder() const {
    const QString folder = data_.table("TableOpzioni").text("CartellaEsportazioneDocumenti");
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        return QString();
    return folder;
}

ExportDriver::Outcome ExportDriver::abort(const QString& text) {
    lastMessage_ = text;
    prompt_.message(Prompt::warningTitle(), text);
    return Outcome::Aborted;
}

ExportDriver::Outcome ExportDriver::fail(const QString& text) {
    lastMessage_ = text;
    prompt_.message(Prompt::errorTitle(), text);
    return Outcome::Failed;
}

QString ExportDriver::findingsQuestion(const check::Findings& findings) {
    const qsizetype warnings = std::count_if(findings.cbegin(), findings.cend(), isWarning);
    if (warnings == findings.size())
        return QStringLiteral("Il controllo ha trovato dati che non saranno nel file:\n\n%1\n\n"
                              "Scrivere comunque il file?")
            .arg(findingsText(findings));
    return QStringLiteral("Il controllo ha trovato %1 errori per i quali il Sistema di "
                          "Interscambio scarterebbe la fattura:\n\n%2\n\nScrivere comunque il "
                          "file?")
        .arg(findings.size() - warnings)
        .arg(findingsText(findings));
}

std::optional<ExportDriver::Outcome> ExportDriver::attempt(const std::function<void()>& work) {
    try {
        work();
    } catch (const ExportError& e) {
        return e.kind() == ExportError::Kind::Abort ? abort(e.text()) : fail(e.text());
    } catch (const DbError& e) {
        return fail(e.text());
    }
    return std::nullopt;
}

QString ExportDriver::attachedFilesText(const AttachedFiles& files) {
    QStringList lines;
    for (const AttachedFile& f : files)
        lines << QStringLiteral("%1 (%2 byte): %3")
                     .arg(f.name)
                     .arg(f.size)
                     .arg(QDir::toNativeSeparators(f.path));
    return lines.join(QLatin1Char('\n'));
}

std::optional<ExportDriver::Outcome> ExportDriver::tooLarge(qint64 size) {
    if (checkMode_ == CheckMode::Skip || size <= kMaxInvoiceFileSize)
        return std::nullopt;
    lastFindings_ = {tooLargeFinding(size)};
    return abort(QStringLiteral("Il file non è stato scritto: il Sistema di Interscambio lo "
                                "scarterebbe per le dimensioni.\n\n%1")
                     .arg(findingsText(lastFindings_)));
}

std::optional<ExportDriver::Outcome> ExportDriver::vetoedByCheck(const QByteArray& text) {
    return vetoedByFindings([&] { return checkDocumentText(data_, text); });
}

std::optional<ExportDriver::Outcome>
ExportDriver::vetoedByFindings(const std::function<check::Findings()>& check) {
    lastFindings_.clear();
    if (checkMode_ == CheckMode::Skip)
        return std::nullopt;
    try {
        lastFindings_ = check();
    } catch (const DbError& e) {
        return fail(e.text());
    }
    if (checkMode_ == CheckMode::Ask && decideFindings_) {
        if (lastFindings_.isEmpty() || decideFindings_(lastFindings_))
            return std::nullopt;
        return Outcome::Cancelled;
    }
    // What leaves with the invoice is said before it is written: an attachment path comes from
    // the archive, which may have been written by someone else.
    const QString attachments =
        attached_.isEmpty() ? QString()
                            : QStringLiteral("\n\nLa fattura contiene questi file allegati:\n") +
                                  attachedFilesText(attached_);
    if (lastFindings_.isEmpty()) {
        if (checkMode_ == CheckMode::Ask && !attached_.isEmpty() &&
            !prompt_.question(Prompt::warningTitle(),
                              attachments.mid(2) + QStringLiteral("\n\nScrivere il file?")))
            return Outcome::Cancelled;
        return std::nullopt;
    }
    const qsizetype errors = lastFindings_.size() -
                             std::count_if(lastFindings_.cbegin(), lastFindings_.cend(), isWarning);
    if (checkMode_ == CheckMode::Refuse) {
        // Data left out of the file are said, but do not stop a file the exchange system takes.
        if (errors == 0)
            return std::nullopt;
        return abort(QStringLiteral("Il file non è stato scritto: il controllo ha trovato %1 "
                                    "errori per i quali il Sistema di Interscambio scarterebbe la "
                                    "fattura.")
                         .arg(errors));
    }
    QString question = findingsQuestion(lastFindings_);
    if (!attachments.isEmpty())
        question.insert(question.lastIndexOf(QStringLiteral("\n\n")), attachments);
    if (!prompt_.question(Prompt::warningTitle(), question))
        return Outcome::Cancelled;
    return std::nullopt;
}

ExportDriver::Outcome ExportDriver::run() {
    lastMessage_.clear();
    lastFindings_.clear();
    attached_.clear();
    QString name;
    QString folder;
    try {
        if (!hasBodies())
            return abort(fattura::kNoBodiesMessage);
        name = proposedFileName();
        folder = preferredFolder();
    } catch (const DbError& e) {
        return fail(e.text());
    }
    // A name the exchange system would refuse is not even proposed.
    if (const auto stopped = badFileName(name))
        return *stopped;
    if (folder.isEmpty())
        folder = programFolder();

    const QString path = prompt_.saveFileName(kDialogTitle, folder, name, kDialogFilter);
    if (path.isEmpty())
        return Outcome::Cancelled;
    if (const auto stopped = badFileName(path))
        return *stopped;
    if (!confirmExportedAgain(path))
        return Outcome::Cancelled;
    const bool present =
        QFileInfo::exists(path) || (signing_ && QFileInfo::exists(sdi::signedFileName(path)));
    if (present && !prompt_.question(Prompt::warningTitle(), kOverwriteQuestion))
        return Outcome::Cancelled;
    if (!signing_)
        return exportTo(path);
    const Outcome outcome = exportTo(path, false);
    if (outcome == Outcome::Written)
        askKeepUnsigned(path);
    return outcome;
}

void ExportDriver::askKeepUnsigned(const QString& path) {
    const QString question =
        QStringLiteral("Fattura esportata e firmata nel file %1.\n\nTenere anche il file non "
                       "firmato %2?")
            .arg(QDir::toNativeSeparators(signedPath_), QDir::toNativeSeparators(path));
    if (prompt_.question(Prompt::warningTitle(), question))
        return;
    QFile unsigned_(path);
    if (!unsigned_.remove())
        prompt_.message(Prompt::errorTitle(),
                        QStringLiteral("Il file non firmato %1 non è stato eliminato: %2")
                            .arg(QDir::toNativeSeparators(path), unsigned_.errorString()));
}

std::optional<ExportDriver::Outcome> ExportDriver::sign(const QByteArray& text,
                                                        QByteArray* envelope) {
    const sdi::SigningKey& key = signing_->key;
    const QString missing = key.incomplete();
    if (!missing.isEmpty())
        return abort(missing);
    std::optional<QString> secret;
    if (signing_->secret) {
        secret = signing_->secret();
    } else {
        bool ok = false;
        const QString label =
            key.kind == sdi::SigningKey::Kind::Pkcs12
                ? QStringLiteral("Password del certificato %1:")
                      .arg(QDir::toNativeSeparators(key.file))
                : QStringLiteral("PIN della carta «%1»:").arg(key.token.trimmed());
        const QString typed = prompt_.text(kSecretTitle, label, true, &ok);
        if (ok)
            secret = typed;
    }
    if (!secret)
        return Outcome::Cancelled;
    sdi::SignResult result = sdi::signContent(text, key, *secret);
    if (result.failure == sdi::SignFailure::Expired) {
        if (!prompt_.question(Prompt::warningTitle(), sdi::expiredQuestion(result.expiredOn)))
            return Outcome::Cancelled;
        result = sdi::signContent(text, key, *secret, {.allowExpired = true});
    }
    secret->fill(QChar(u'\0'));
    if (!result.ok()) {
        signatureFailed_ = true;
        return fail(
            QStringLiteral("La fattura non è stata firmata né scritta. %1").arg(result.message));
    }
    *envelope = result.envelope;
    return std::nullopt;
}

ExportDriver::Outcome ExportDriver::exportSigned(const QString& path, bool showSuccess) {
    QByteArray text;
    if (const auto stopped = attempt([&] { text = buildInvoiceXml(data_, &attached_); }))
        return *stopped;
    if (const auto stopped = tooLarge(text.size()))
        return *stopped;
    if (const auto stopped = vetoedByCheck(text))
        return *stopped;
    QByteArray envelope;
    if (const auto stopped = sign(text, &envelope))
        return *stopped;
    // The signed file is what is sent: its size is what counts.
    if (const auto stopped = tooLarge(envelope.size()))
        return *stopped;
    const QString signedPath = sdi::signedFileName(path);
    const Outcome outcome = writeAndMark(
        path, [&](QIODevice& file) { return file.write(text) == text.size(); }, &envelope, false);
    if (outcome != Outcome::Written)
        return outcome;
    signedPath_ = signedPath;
    if (showSuccess)
        prompt_.message(Prompt::warningTitle(),
                        QStringLiteral("Fattura esportata e firmata con successo nel file %1.")
                            .arg(QDir::toNativeSeparators(signedPath)));
    return outcome;
}

ExportDriver::Outcome ExportDriver::exportTo(const QString& path, bool showSuccess) {
    lastMessage_.clear();
    lastFindings_.clear();
    attached_.clear();
    signedPath_.clear();
    signatureFailed_ = false;
    // Before anything is built or opened, so that the reason given is the missing bodies.
    if (const auto stopped = attempt([&] {
            if (!hasBodies())
                throw ExportError::abort(fattura::kNoBodiesMessage);
            // An invoice the exchange system has issued is never sent a second time by mistake.
            const QString issued = alreadyIssuedMessage(
                data_.connessione(), data_.table("TablePA_FE_Header").integer("id"));
            if (!issued.isEmpty())
                throw ExportError::abort(issued);
        }))
        return *stopped;
    if (signing_)
        return exportSigned(path, showSuccess);
    Outcome outcome;
    if (checkMode_ == CheckMode::Skip) {
        // Written as it is built: the text of ten thousand lines is never held whole.
        outcome = writeAndMark(
            path,
            [&](QIODevice& file) {
                // A refused write throws, naming the file.
                writeInvoiceXml(data_, file, &attached_);
                return true;
            },
            nullptr, showSuccess);
    } else {
        // Checked as it is written, and kept (and marked) only when the check lets it go:
        // neither the text nor a tree of it is held whole. A file over the exchange system's
        // limit is known by its size once written (nothing more than writing it costs) and
        // never kept.
        struct Stopped {
            Outcome outcome;
        };
        try {
            outcome = writeAndMark(
                path,
                [&](QIODevice& file) {
                    CheckedOutput out(&file);
                    writeInvoiceXml(data_, out, &attached_);
                    std::optional<Outcome> refused = tooLarge(out.written());
                    if (!refused)
                        refused =
                            vetoedByFindings([&] { return documentFindings(data_, out.finish()); });
                    if (refused)
                        throw Stopped{*refused};
                    return true;
                },
                nullptr, showSuccess);
        } catch (const Stopped& s) {
            return s.outcome;
        }
    }
    if (outcome == Outcome::Written)
        removeStaleSigned(path);
    return outcome;
}

void ExportDriver::removeStaleSigned(const QString& path) {
    const QString signedPath = sdi::signedFileName(path);
    if (!QFileInfo(signedPath).isFile())
        return;
    QFile plain(path);
    QFile signedFile(signedPath);
    if (!plain.open(QIODevice::ReadOnly) || !signedFile.open(QIODevice::ReadOnly))
        return;
    const check::SignedFile earlier = check::openSigned(signedFile.readAll());
    signedFile.close();
    if (earlier.opened && earlier.content == plain.readAll())
        return;
    const QString shown = QDir::toNativeSeparators(signedPath);
    if (QFile::remove(signedPath))
        prompt_.message(Prompt::warningTitle(),
                        QStringLiteral("Il file firmato %1, di un'esportazione precedente, non "
                                       "corrispondeva più alla fattura ed è stato eliminato.")
                            .arg(shown));
    else
        prompt_.message(Prompt::errorTitle(),
                        QStringLiteral("Il file firmato %1, di un'esportazione precedente, non "
                                       "corrisponde più alla fattura e non è stato possibile "
                                       "eliminarlo: non inviarlo.")
                            .arg(shown));
}

QString ExportDriver::exportedAgainQuestion() const {
    const Dataset& header = data_.table("TablePA_FE_Header");
    const QDateTime when = header.value("DataEsportazione").toDateTime();
    const QString file = header.text("FileEsportazione");
    const QString said =
        when.isValid() && !file.isEmpty()
            ? QStringLiteral("La fattura è già stata esportata il %1 alle %2 nel file %3.")
                  .arg(when.toString(QStringLiteral("dd/MM/yyyy")),
                       when.toString(QStringLiteral("HH:mm")), file)
            : QStringLiteral("La fattura è già stata esportata (quando e in quale file non è "
                             "registrato).");
    return said + QStringLiteral("\n\nUn file già inviato al Sistema di Interscambio viene "
                                 "scartato se inviato di nuovo. Esportarla ancora?");
}

bool ExportDriver::confirmExportedAgain(const QString& path) {
    const Dataset& header = data_.table("TablePA_FE_Header");
    if (!header.flag("Esportato"))
        return true;
    // The same file once more: the question about replacing it says enough.
    // A signed export records its signed file, beside the one chosen.
    for (const QString& file : {path, sdi::signedFileName(path)}) {
        const QString chosen = QDir::toNativeSeparators(QFileInfo(file).absoluteFilePath());
        if (header.text("FileEsportazione") == chosen && QFileInfo::exists(file))
            return true;
    }
    return prompt_.question(Prompt::warningTitle(), exportedAgainQuestion());
}

ExportDriver::Outcome ExportDriver::writeAndMark(const QString& path,
                                                 const std::function<bool(QIODevice&)>& write,
                                                 const QByteArray* envelope, bool showSuccess) {
    // The file and the mark go together: the mark is posted in a transaction opened once every
    // byte is written, the file takes its name while the transaction is open, and the
    // transaction is committed last. A row another workstation holds, a full disk or a refused
    // rename leaves neither the file nor the mark; a commit that fails takes the file back.
    Connection& connection = data_.connessione();
    Dataset& header = data_.table("TablePA_FE_Header");
    const QString signedPath = envelope ? sdi::signedFileName(path) : QString();
    const QString recorded = envelope ? signedPath : path;
    const QVariant key = header.value("ID");
    const bool wasEditing =
        header.state() == Dataset::State::Edit || header.state() == Dataset::State::Insert;
    const QVariant before = header.value("Esportato");
    const QVariant beforeDate = header.value("DataEsportazione");
    const QVariant beforeFile = header.value("FileEsportazione");
    bool marking = false;
    bool committing = false;
    bool begun = false;
    bool posted = false;
    bool plainNamed = false;
    bool signedNamed = false;

    const auto mark = [&] {
        marking = true;
        connection.begin();
        begun = true;
        header.edit();
        header.setValue("Esportato", true);
        // Remembered so that a later export can say when and where this one went.
        header.setValue("DataEsportazione", QDateTime::currentDateTime());
        header.setValue("FileEsportazione",
                        QDir::toNativeSeparators(QFileInfo(recorded).absoluteFilePath()));
        header.post();
        posted = true;
        // The name is kept so that the exchange system's notifications find their Document.
        recordSentFile(connection, header.integer("id"), recorded);
    };
    const auto writePlain = [&] {
        writeAtomically(path, [&](QIODevice& file) {
            if (!write(file))
                return false;
            mark();
            return true;
        });
        plainNamed = true;
    };
    const auto undo = [&] {
        if (begun) {
            try {
                connection.rollback();
            } catch (const DbError&) {
            }
        }
        if (plainNamed)
            QFile::remove(path);
        if (signedNamed)
            QFile::remove(signedPath);
        try {
            if (posted) {
                // The row in memory says exported; the archive, rolled back, does not.
                header.requery();
                header.locate("ID", key);
            } else if (header.state() != Dataset::State::Browse) {
                if (wasEditing) {
                    header.setValue("Esportato", before);
                    header.setValue("DataEsportazione", beforeDate);
                    header.setValue("FileEsportazione", beforeFile);
                } else {
                    header.cancel();
                }
            }
        } catch (const DbError&) {
        }
    };

    std::optional<Outcome> stopped = attempt([&] {
        try {
            if (envelope) {
                writeAtomically(signedPath, [&](QIODevice& file) {
                    if (file.write(*envelope) != envelope->size())
                        return false;
                    writePlain();
                    return true;
                });
                signedNamed = true;
            } else {
                writePlain();
            }
            committing = true;
            connection.commit();
            begun = false;
        } catch (const DbError& e) {
            undo();
            if (!marking || committing)
                throw;
            throw ExportError::failure(
                QStringLiteral("Il file %1 non è stato scritto: non è stato possibile segnare il "
                               "documento come esportato.\n%2")
                    .arg(QDir::toNativeSeparators(path), e.text()));
        } catch (...) {
            undo();
            throw;
        }
    });
    if (stopped)
        return *stopped;
    if (showSuccess)
        prompt_.message(Prompt::warningTitle(), kSuccessMessage);
    return Outcome::Written;
}

} // namespace brevalto
