#include "export/BatchRun.h"

#include "export/DocumentCheck.h"
#include "export/ExportError.h"
#include "export/FatturaWriter.h"
#include "export/IncludedBlocks.h"
#include "store/Connection.h"
#include "store/DataModule.h"
#include "store/DatasetNames.h"
#include "store/Prompt.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QMap>
#include <QSet>
#include <QSqlQuery>

#include <algorithm>

namespace brevalto::batch {

namespace {

// The prompt the export of one Document of a run talks to: its messages become the Document's
// result instead of a window each, and a question the export asks (an expired certificate) is
// put to the user once, its answer kept for every Document after.
class RunPrompt : public Prompt {
public:
    explicit RunPrompt(Prompt& user) : user_(user) {}

    void message(const QString&, const QString&) override {}
    bool question(const QString& title, const QString& text) override {
        const auto known = answers_.constFind(text);
        if (known != answers_.cend())
            return *known;
        const bool yes = user_.question(title, text);
        answers_.insert(text, yes);
        return yes;
    }
    Choice ask(const QString& title, const QString& text, bool cancellable,
               Choice byDefault) override {
        return user_.ask(title, text, cancellable, byDefault);
    }
    QString saveFileName(const QString& title, const QString& folder, const QString& fileName,
                         const QString& filter) override {
        return user_.saveFileName(title, folder, fileName, filter);
    }
    QString openFileName(const QString& title, const QString& folder,
                         const QString& filter) override {
        return user_.openFileName(title, folder, filter);
    }
    QString folder(const QString& title, const QString& startFolder) override {
        return user_.folder(title, startFolder);
    }
    QString text(const QString& title, const QString& label, bool password, bool* ok) override {
        return user_.text(title, label, password, ok);
    }

private:
    Prompt& user_;
    QHash<QString, bool> answers_;
};

QString native(const QString& path) {
    return QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
}

qsizetype errorCount(const check::Findings& findings) {
    return findings.size() - std::count_if(findings.cbegin(), findings.cend(), isWarning);
}

} // namespace

int Report::count(Status status) const {
    return int(std::count_if(results.cbegin(), results.cend(),
                             [status](const Result& r) { return r.status == status; }));
}

QString Report::summary() const {
    QStringList lines;
    lines << QStringLiteral("%1: %2 documenti. Fatti: %3; saltati: %4; non riusciti: %5.")
                 .arg(action)
                 .arg(total)
                 .arg(count(Status::Done))
                 .arg(count(Status::Skipped))
                 .arg(count(Status::Failed));
    if (cancelled && notRun() > 0)
        lines << QStringLiteral("Interrotto: %1 documenti non elaborati; quelli già fatti restano "
                                "fatti.")
                     .arg(notRun());
    const auto line = [](const Result& r, const QString& word) {
        return QStringLiteral("Documento n. %1: %2%3").arg(r.numero).arg(word, r.reason);
    };
    for (Status status : {Status::Failed, Status::Skipped}) {
        const QString word = status == Status::Failed ? QStringLiteral("non riuscito: ")
                                                      : QStringLiteral("saltato: ");
        bool first = true;
        for (const Result& r : results) {
            if (r.status != status)
                continue;
            if (first)
                lines << QString();
            first = false;
            lines << line(r, word);
        }
    }
    const int done = count(Status::Done);
    if (done > 0) {
        lines << QString();
        int shown = 0;
        for (const Result& r : results) {
            if (r.status != Status::Done)
                continue;
            if (++shown > 30) {
                lines << QStringLiteral("... e altri %1 fatti.").arg(done - 30);
                break;
            }
            lines << line(r, QString());
        }
    }
    return lines.join(QLatin1Char('\n'));
}

Report run(DataModule& data, const QString& action, const QList<qint64>& ids, const Step& step,
           const Progress& progress) {
    Report report;
    report.action = action;
    report.total = int(ids.size());
    Dataset& header = data.table(ds::PA_FE_Header);
    try {
        // Documents deleted or changed on another workstation since the register was read.
        if (header.state() == Dataset::State::Browse)
            header.refreshIfChanged();
    } catch (const DbError&) {
        // Said by the first Document it stops.
    }
    for (int i = 0; i < ids.size(); ++i) {
        if (progress && !progress(i, report.total)) {
            report.cancelled = true;
            return report;
        }
        Result result;
        try {
            header.settle();
            if (!header.locate(QStringLiteral("ID"), ids[i])) {
                result.status = Status::Failed;
                result.reason = QStringLiteral("il documento non è più in archivio.");
            } else {
                const int numero = header.integer(QStringLiteral("Numero"));
                data.loadBodies();
                result = step();
                result.numero = numero;
            }
        } catch (const DbError& e) {
            result.status = Status::Failed;
            result.reason = e.text();
        } catch (const ExportError& e) {
            result.status = Status::Failed;
            result.reason = e.text();
        }
        if (result.numero == 0) {
            // A failure before the step: name the Document by what the register last showed.
            for (int row = 0; row < header.rowCount(); ++row) {
                if (header.valueAt(row, header.columnIndex(QStringLiteral("ID"))).toLongLong() ==
                    ids[i])
                    result.numero =
                        header.valueAt(row, header.columnIndex(QStringLiteral("Numero"))).toInt();
            }
        }
        result.id = ids[i];
        report.results << result;
        if (result.stop) {
            report.cancelled = i + 1 < ids.size();
            return report;
        }
    }
    if (progress)
        progress(report.total, report.total);
    return report;
}

QList<qint64> pendingDocuments(DataModule& data) {
    QSet<qint64> pending;
    QSqlQuery query = data.connessione().exec(
        QStringLiteral("SELECT ID FROM PA_FE_Header WHERE Esportato = 0 OR Esportato IS NULL"));
    while (query.next())
        pending.insert(query.value(0).toLongLong());
    const Dataset& header = data.table(ds::PA_FE_Header);
    const int idColumn = header.columnIndex(QStringLiteral("ID"));
    QList<qint64> ids;
    for (int row = 0; row < header.rowCount(); ++row) {
        const qint64 id = header.valueAt(row, idColumn).toLongLong();
        if (pending.contains(id))
            ids << id;
    }
    return ids;
}

std::optional<DocumentList> parseDocumentList(const QString& text) {
    DocumentList list;
    for (const QString& item : text.split(u',')) {
        const QStringList bounds = item.trimmed().split(u'-');
        if (bounds.size() > 2)
            return std::nullopt;
        QList<int> values;
        for (const QString& bound : bounds) {
            bool isNumber = false;
            values << bound.trimmed().toInt(&isNumber);
            if (!isNumber || values.last() <= 0)
                return std::nullopt;
        }
        if (values.size() == 2 && values[0] > values[1])
            return std::nullopt;
        list.items << DocumentList::Item{values.first(), values.last()};
    }
    return list;
}

QList<qint64> documentIds(Connection& connection, const DocumentList& list, int* missing) {
    QMap<int, qint64> byNumber;
    QSqlQuery query = connection.exec(
        QStringLiteral("SELECT Numero, ID FROM PA_FE_Header WHERE Numero IS NOT NULL ORDER BY ID"));
    while (query.next()) {
        const int number = query.value(0).toInt();
        if (!byNumber.contains(number))
            byNumber.insert(number, query.value(1).toLongLong());
    }
    QList<qint64> ids;
    QSet<qint64> seen;
    for (const DocumentList::Item& item : list.items) {
        if (item.from == item.to && !byNumber.contains(item.from)) {
            *missing = item.from;
            return {};
        }
        // The numbers a Document has, not every number of the range: "1-999999" costs nothing.
        for (auto found = byNumber.lowerBound(item.from);
             found != byNumber.cend() && found.key() <= item.to; ++found) {
            if (seen.contains(*found))
                continue;
            seen.insert(*found);
            ids << *found;
        }
    }
    return ids;
}

void OnceQuestion::give(Prompt::Choice choice) {
    answer_ = choice;
}

Prompt::Choice OnceQuestion::answer(const QString& text) {
    if (!answer_)
        answer_ = prompt_.ask(Prompt::warningTitle(), text, true, Prompt::Choice::No);
    return *answer_;
}

QString shortFindings(const check::Findings& findings) {
    const qsizetype errors = errorCount(findings);
    QStringList parts;
    for (const check::Finding& f : findings) {
        if (parts.size() == 3)
            break;
        QString message = f.message;
        message.replace(u'\n', u' ');
        while (message.endsWith(u'.'))
            message.chop(1);
        parts << QStringLiteral("%1 %2").arg(f.code, message);
    }
    QString text = errors > 0
                       ? QStringLiteral("%1 errori per il Sistema di Interscambio: ").arg(errors)
                       : QStringLiteral("%1 dati non inclusi nel file: ").arg(findings.size());
    text += parts.join(QStringLiteral("; "));
    if (findings.size() > parts.size())
        text += QStringLiteral(" (e altri %1)").arg(findings.size() - parts.size());
    return text;
}

ExportStep::ExportStep(DataModule& data, Prompt& prompt, const QString& folder,
                       std::optional<ExportDriver::Signing> signing)
    : data_(data), prompt_(prompt), folder_(folder), signing_(std::move(signing)), again_(prompt),
      findings_(prompt) {}

void ExportStep::answerBeforehand(bool exportAgain, bool writeWithFindings) {
    again_.give(exportAgain ? Prompt::Choice::Yes : Prompt::Choice::No);
    findings_.give(writeWithFindings ? Prompt::Choice::Yes : Prompt::Choice::No);
}

QString ExportStep::findingsQuestion(int numero, const check::Findings& findings) {
    const qsizetype errors = errorCount(findings);
    const QString found =
        errors > 0
            ? QStringLiteral("Il controllo del documento n. %1 ha trovato %2 errori per i quali "
                             "il Sistema di Interscambio scarterebbe la fattura:")
                  .arg(numero)
                  .arg(errors)
            : QStringLiteral("Il controllo del documento n. %1 ha trovato dati che non saranno "
                             "nel file:")
                  .arg(numero);
    return found + QStringLiteral("\n\n%1\n\nCome trattare questo documento e gli altri "
                                  "documenti della selezione in cui il controllo trova "
                                  "qualcosa?\n"
                                  "Sì: esporta comunque.\nNo: salta (il file non viene "
                                  "scritto).\nAnnulla: ferma qui.")
                       .arg(findingsText(findings, 10));
}

QString ExportStep::againQuestion(int numero) {
    return QStringLiteral("Il documento n. %1 è già stato esportato, o il suo file è già nella "
                          "cartella. Un file già inviato al Sistema di Interscambio viene scartato "
                          "se inviato di nuovo.\n\nCome trattare questo documento e gli altri "
                          "della selezione già esportati?\n"
                          "Sì: esporta di nuovo, sostituendo il file.\nNo: salta.\n"
                          "Annulla: ferma qui.")
        .arg(numero);
}

Result ExportStep::operator()() {
    Result result;
    const Dataset& header = data_.table(ds::PA_FE_Header);
    const int numero = header.integer(QStringLiteral("Numero"));
    RunPrompt quiet(prompt_);
    ExportDriver driver(data_, quiet);
    const auto fail = [&](const QString& reason) {
        result.status = Status::Failed;
        result.reason = reason;
        return result;
    };
    const auto skip = [&](const QString& reason, bool stop = false) {
        result.status = Status::Skipped;
        result.reason = reason;
        result.stop = stop;
        return result;
    };
    if (!driver.hasBodies())
        return fail(fattura::kNoBodiesMessage);
    const QString path = QDir(folder_).filePath(driver.proposedFileName());
    if (driver.badFileName(path))
        return fail(driver.lastMessage());

    const QString signedPath = sdi::signedFileName(path);
    const bool present = QFileInfo::exists(path) || (signing_ && QFileInfo::exists(signedPath));
    if (header.flag(QStringLiteral("Esportato")) || present) {
        const QDateTime when = header.value(QStringLiteral("DataEsportazione")).toDateTime();
        const QString file = header.text(QStringLiteral("FileEsportazione"));
        const QString said =
            header.flag(QStringLiteral("Esportato"))
                ? (when.isValid() && !file.isEmpty()
                       ? QStringLiteral("già esportato il %1 nel file %2.")
                             .arg(when.toString(QStringLiteral("dd/MM/yyyy HH:mm")), file)
                       : QStringLiteral("già esportato."))
                : QStringLiteral("il file %1 esiste già.").arg(native(path));
        switch (again_.answer(againQuestion(numero))) {
        case Prompt::Choice::Yes:
            break;
        case Prompt::Choice::No:
            return skip(said);
        case Prompt::Choice::Cancel:
            return skip(said, true);
        }
    }

    bool stop = false;
    bool forced = false;
    driver.setCheckMode(ExportDriver::CheckMode::Ask);
    driver.setFindingsDecision([&](const check::Findings& findings) {
        const Prompt::Choice choice = findings_.answer(findingsQuestion(numero, findings));
        stop = choice == Prompt::Choice::Cancel;
        forced = choice == Prompt::Choice::Yes;
        return forced;
    });
    if (signing_)
        driver.setSigning(*signing_);

    switch (driver.exportTo(path, false)) {
    case ExportDriver::Outcome::Written:
        result.files << native(path);
        if (!driver.signedPath().isEmpty())
            result.files << native(driver.signedPath());
        result.reason =
            (signing_ ? QStringLiteral("esportato e firmato: %1") : QStringLiteral("esportato: %1"))
                .arg(result.files.join(QStringLiteral(", ")));
        if (forced && !driver.lastFindings().isEmpty())
            result.reason +=
                QStringLiteral(" (scritto comunque: %1)").arg(shortFindings(driver.lastFindings()));
        return result;
    case ExportDriver::Outcome::Cancelled:
        if (!driver.lastFindings().isEmpty())
            return skip(QStringLiteral("il controllo ha trovato %1")
                            .arg(shortFindings(driver.lastFindings())),
                        stop);
        // The password or PIN not given, or an expired certificate not accepted.
        return skip(QStringLiteral("firma non eseguita: annullata dall'utente."), true);
    case ExportDriver::Outcome::Aborted:
    case ExportDriver::Outcome::Failed:
        break;
    }
    fail(driver.lastMessage());
    // The same key and password would fail on every Document left.
    result.stop = driver.signatureFailed();
    return result;
}

Result checkStep(DataModule& data) {
    Result result;
    const check::Findings findings = checkCurrentDocument(data);
    if (errorCount(findings) > 0) {
        result.status = Status::Failed;
        result.reason = QStringLiteral("il controllo ha trovato %1").arg(shortFindings(findings));
    } else if (findings.isEmpty()) {
        result.reason = QStringLiteral("nessun errore rilevato.");
    } else {
        result.reason = QStringLiteral("nessun errore; %1").arg(shortFindings(findings));
    }
    return result;
}

} // namespace brevalto::batch
