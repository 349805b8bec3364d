#include "receipts/DocumentLife.h"

#include "export/ValueFormat.h"
#include "store/Connection.h"
#include "store/DbError.h"

#include <QDirIterator>
#include <QFileInfo>
#include <QHash>
#include <QSqlQuery>
#include <QSqlRecord>
#include <algorithm>

namespace brevalto::receipts {

namespace {

QString storedDate(const QDateTime& dt) {
    return dt.isValid() ? dt.toString(Qt::ISODate) : QString();
}

// The key names are compared by: lower case, without a final ".p7m".
QString nameKey(const QString& name) {
    QString key = name.trimmed().toLower();
    if (key.endsWith(QLatin1String(".p7m")))
        key.chop(4);
    return key;
}

qint64 insertRow(Connection& connection, const QString& table, const QString& sql,
                 const QVariantList& values) {
    QSqlQuery q = connection.execNative(sql + connection.returningRowId(table), values);
    return connection.isServer() ? connection.writtenRowId(q) : q.lastInsertId().toLongLong();
}

struct Candidates {
    QHash<QString, int> byName; // nameKey -> Document
};

// Every name a notification may carry for a file of this archive: the files recorded at export,
// and for a Document exported before they were recorded, the name the export proposed.
Candidates candidates(Connection& connection) {
    Candidates c;
    QSqlQuery q =
        connection.execNative(QStringLiteral("SELECT PA_FE_Header_Id, NomeFile FROM SdI_Invii"));
    while (q.next())
        c.byName.insert(nameKey(q.value(1).toString()), q.value(0).toInt());
    QSqlQuery old = connection.execNative(QStringLiteral(
        "SELECT id FROM PA_FE_Header WHERE Esportato <> 0 AND id NOT IN "
        "(SELECT PA_FE_Header_Id FROM SdI_Invii WHERE PA_FE_Header_Id IS NOT NULL)"));
    QList<int> ids;
    while (old.next())
        ids << old.value(0).toInt();
    for (int id : std::as_const(ids)) {
        const QString key = nameKey(derivedFileName(connection, id));
        if (!c.byName.contains(key))
            c.byName.insert(key, id);
    }
    return c;
}

// The Document a notification is about, and the name of the file it is about; 0 when none.
int linkTarget(Connection& connection, const Candidates& c, const QString& sentName,
               const QString& sdiId, QString* fileName) {
    if (!sentName.trimmed().isEmpty()) {
        const auto found = c.byName.constFind(nameKey(sentName));
        if (found != c.byName.constEnd()) {
            *fileName = sentName.trimmed();
            return found.value();
        }
    }
    if (sdiId.isEmpty())
        return 0;
    QSqlQuery q = connection.execNative(
        QStringLiteral("SELECT PA_FE_Header_Id, NomeFileInviato FROM SdI_Notifiche WHERE "
                       "IdentificativoSdI = ? AND PA_FE_Header_Id IS NOT NULL ORDER BY Id"),
        {sdiId});
    if (!q.next())
        return 0;
    if (fileName->isEmpty() || sentName.trimmed().isEmpty())
        *fileName = q.value(1).toString();
    return q.value(0).toInt();
}

int documentNumber(Connection& connection, int headerId) {
    return connection
        .scalar(QStringLiteral("SELECT Numero FROM PA_FE_Header WHERE id = ?"), {headerId})
        .toInt();
}

// The number and the state after loading of the Document a loaded file links to.
void describeDocument(Connection& connection, LoadedFile& loaded) {
    if (loaded.headerId <= 0)
        return;
    loaded.number = documentNumber(connection, loaded.headerId);
    loaded.state = stateText(documentStatus(connection, loaded.headerId).state);
}

LoadedFile loadOne(Connection& connection, const QString& path, const ReadNotification& read,
                   const QDateTime& now) {
    LoadedFile result;
    result.path = path;
    if (!read.ok) {
        result.why = read.error;
        return result;
    }
    const Notification& n = read.notification;
    connection.inTransaction([&] {
        // Known: the same message of the same kind about the same file (the official examples
        // share one MessageId across kinds, real messages never do).
        QSqlQuery known = connection.execNative(
            QStringLiteral("SELECT PA_FE_Header_Id FROM SdI_Notifiche WHERE Tipo = ? AND "
                           "IdentificativoSdI = ? AND coalesce(MessageId, '') = ? %1")
                .arg(n.messageId.isEmpty() ? QStringLiteral("AND Contenuto = ?") : QString()),
            n.messageId.isEmpty() ? QVariantList{typeCode(n.type), n.sdiId, n.messageId,
                                                 QString::fromLatin1(read.bytes.toBase64())}
                                  : QVariantList{typeCode(n.type), n.sdiId, n.messageId});
        if (known.next()) {
            result.result = LoadedFile::Result::AlreadyKnown;
            result.headerId = known.value(0).toInt();
            return;
        }
        QString fileName;
        const int headerId =
            linkTarget(connection, candidates(connection), n.sentFileName, n.sdiId, &fileName);
        if (fileName.isEmpty())
            fileName = n.sentFileName;
        const qint64 id = insertRow(
            connection, QStringLiteral("SdI_Notifiche"),
            QStringLiteral("INSERT INTO SdI_Notifiche (PA_FE_Header_Id, Tipo, NomeFileNotifica, "
                           "NomeFileInviato, IdentificativoSdI, MessageId, Esito, DataOra, "
                           "Caricata, Descrizione, Note, Contenuto) VALUES "
                           "(?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
            {headerId > 0 ? QVariant(headerId) : QVariant(QMetaType(QMetaType::Int)),
             typeCode(n.type), QFileInfo(path).fileName(), fileName, n.sdiId, n.messageId,
             n.outcome, storedDate(n.date), storedDate(now), n.description, n.note,
             QString::fromLatin1(read.bytes.toBase64())});
        for (const NotificationError& e : n.errors)
            connection.execNative(QStringLiteral("INSERT INTO SdI_Errori (SdI_Notifiche_Id, "
                                                 "Codice, Descrizione, Suggerimento) VALUES "
                                                 "(?, ?, ?, ?)"),
                                  {id, e.code, e.description, e.suggestion});
        result.headerId = headerId;
        if (headerId > 0) {
            result.result = LoadedFile::Result::Linked;
        } else {
            result.result = LoadedFile::Result::NotLinked;
            result.why =
                n.sentFileName.isEmpty()
                    ? QStringLiteral("Nessun documento ha l'IdentificativoSdI %1.").arg(n.sdiId)
                    : QStringLiteral("Nessun documento ha il file %1.").arg(n.sentFileName);
        }
    });
    return result;
}

// Notifications loaded before their Document's file was known are linked now.
void linkWaiting(Connection& connection) {
    QSqlQuery q = connection.execNative(
        QStringLiteral("SELECT Id, NomeFileInviato, IdentificativoSdI FROM SdI_Notifiche WHERE "
                       "PA_FE_Header_Id IS NULL ORDER BY Id"));
    struct Waiting {
        qint64 id;
        QString name;
        QString sdiId;
    };
    QList<Waiting> waiting;
    while (q.next())
        waiting.append({q.value(0).toLongLong(), q.value(1).toString(), q.value(2).toString()});
    if (waiting.isEmpty())
        return;
    const Candidates c = candidates(connection);
    for (const Waiting& w : std::as_const(waiting)) {
        QString fileName;
        const int headerId = linkTarget(connection, c, w.name, w.sdiId, &fileName);
        if (headerId > 0)
            connection.execNative(QStringLiteral("UPDATE SdI_Notifiche SET PA_FE_Header_Id = ?, "
                                                 "NomeFileInviato = ? WHERE Id = ?"),
                                  {headerId, fileName.isEmpty() ? w.name : fileName, w.id});
    }
}

QList<HistoryEntry> readHistory(Connection& connection, const QString& where,
                                const QVariantList& values) {
    QList<HistoryEntry> entries;
    QSqlQuery q = connection.execNative(
        QStringLiteral("SELECT Id, Tipo, NomeFileNotifica, NomeFileInviato, IdentificativoSdI, "
                       "MessageId, Esito, DataOra, Caricata, Descrizione, Note FROM SdI_Notifiche "
                       "WHERE %1 ORDER BY Id")
            .arg(where),
        values);
    while (q.next()) {
        HistoryEntry e;
        e.id = q.value(0).toInt();
        e.type = q.value(1).toString();
        e.notificationFile = q.value(2).toString();
        e.sentFile = q.value(3).toString();
        e.sdiId = q.value(4).toString();
        e.messageId = q.value(5).toString();
        e.outcome = q.value(6).toString();
        e.date = parseSdiDate(q.value(7).toString());
        e.loaded = parseSdiDate(q.value(8).toString());
        e.description = q.value(9).toString();
        e.note = q.value(10).toString();
        entries.append(e);
    }
    for (HistoryEntry& e : entries) {
        QSqlQuery errors = connection.execNative(
            QStringLiteral("SELECT Codice, Descrizione, Suggerimento FROM SdI_Errori WHERE "
                           "SdI_Notifiche_Id = ? ORDER BY Id"),
            {e.id});
        while (errors.next())
            e.errors.append({errors.value(0).toString(), errors.value(1).toString(),
                             errors.value(2).toString()});
    }
    return entries;
}

} // namespace

QString stateText(State state) {
    switch (state) {
    case State::ToSend:
        return QStringLiteral("Da inviare");
    case State::Sent:
        return QStringLiteral("Inviata");
    case State::Rejected:
        return QStringLiteral("Scartata");
    case State::Delivered:
        return QStringLiteral("Consegnata");
    case State::NotDelivered:
        return QStringLiteral("Non consegnata");
    case State::InReservedArea:
        return QStringLiteral("Non consegnata (in area riservata)");
    case State::Accepted:
        return QStringLiteral("Accettata");
    case State::Refused:
        return QStringLiteral("Rifiutata");
    case State::TermsExpired:
        return QStringLiteral("Decorrenza termini");
    case State::TransmittedNotDelivered:
        return QStringLiteral("Trasmessa ma non recapitabile");
    }
    return QString();
}

QString DocumentStatus::whyNotResend() const {
    switch (state) {
    case State::ToSend:
    case State::Rejected:
        return QString();
    case State::Sent:
        return QStringLiteral("Il file %1 è stato inviato e non ha ancora un esito: prima di "
                              "inviarne un altro caricare le notifiche ricevute.")
            .arg(fileName);
    case State::InReservedArea:
        return QStringLiteral("La fattura è emessa: il Sistema di Interscambio l'ha messa a "
                              "disposizione del cliente nella sua area riservata. Inviarla di "
                              "nuovo la duplicherebbe; per correggerla emettere una nota di "
                              "credito.");
    case State::TransmittedNotDelivered:
        return QStringLiteral("La fattura è emessa: il Sistema di Interscambio ha attestato la "
                              "trasmissione. Inviarla di nuovo la duplicherebbe; per correggerla "
                              "emettere una nota di credito.");
    case State::NotDelivered:
        return QStringLiteral("Il Sistema di Interscambio sta ancora tentando il recapito "
                              "all'amministrazione: attendere la ricevuta o l'attestazione.");
    default:
        return QStringLiteral("La fattura è stata consegnata (%1): inviarla di nuovo la "
                              "duplicherebbe; per correggerla emettere una nota di credito.")
            .arg(stateText(state));
    }
}

QString stateWithDeadline(const DocumentStatus& status, const QDate& today) {
    const QString state = stateText(status.state);
    if (!status.deadline.isValid())
        return state;
    const int left = status.daysLeft(today);
    const bool rejected = status.state == State::Rejected;
    if (left < 0)
        return state + (rejected ? QStringLiteral(": termine di reinvio passato")
                                 : QStringLiteral(": termine per l'esito passato"));
    const QString days = left == 0   ? QStringLiteral("oggi")
                         : left == 1 ? QStringLiteral("1 giorno")
                                     : QStringLiteral("%1 giorni").arg(left);
    return state +
           (rejected ? QStringLiteral(": reinviare entro %1") : QStringLiteral(": esito entro %1"))
               .arg(days);
}

QList<QPair<StateGroup, QString>> stateGroups() {
    return {{StateGroup::All, QStringLiteral("Tutte")},
            {StateGroup::ToSend, QStringLiteral("Da inviare")},
            {StateGroup::Awaiting, QStringLiteral("In attesa di esito")},
            {StateGroup::Rejected, QStringLiteral("Scartate")},
            {StateGroup::Done, QStringLiteral("Consegnate o accettate")},
            {StateGroup::NotDelivered, QStringLiteral("Non recapitate")},
            {StateGroup::Refused, QStringLiteral("Rifiutate")}};
}

bool inGroup(const DocumentStatus& status, StateGroup group) {
    switch (group) {
    case StateGroup::All:
        return true;
    case StateGroup::ToSend:
        return status.state == State::ToSend;
    case StateGroup::Awaiting:
        // An administration's delivered invoice waits for its answer while the term runs.
        return status.state == State::Sent || status.state == State::NotDelivered ||
               (status.state == State::Delivered && status.publicAdministration);
    case StateGroup::Rejected:
        return status.state == State::Rejected;
    case StateGroup::Done:
        return (status.state == State::Delivered && !status.publicAdministration) ||
               status.state == State::Accepted || status.state == State::TermsExpired;
    case StateGroup::NotDelivered:
        return status.state == State::InReservedArea ||
               status.state == State::TransmittedNotDelivered;
    case StateGroup::Refused:
        return status.state == State::Refused;
    }
    return false;
}

QString HistoryEntry::text() const {
    NotificationType t;
    const bool known = typeFromCode(type, &t);
    const QString when = date.isValid() ? date.toString(QStringLiteral("dd/MM/yyyy HH:mm"))
                                        : loaded.toString(QStringLiteral("dd/MM/yyyy HH:mm")) +
                                              QStringLiteral(" (caricata)");
    QString head = (known ? typeTitle(t) : type) + QStringLiteral(" del ") + when;
    if (!sdiId.isEmpty())
        head += QStringLiteral(", identificativo SdI ") + sdiId;
    head += QStringLiteral(".");
    QString meaning;
    if (known) {
        switch (t) {
        case NotificationType::Delivered:
            meaning =
                QStringLiteral("Il file %1 è stato consegnato al destinatario.").arg(sentFile);
            break;
        case NotificationType::Rejected:
            meaning = QStringLiteral("Il file %1 è stato scartato: la fattura non è emessa. "
                                     "Correggerla e reinviarla con lo stesso numero e la stessa "
                                     "data entro %2 giorni, con un nuovo nome di file.")
                          .arg(sentFile)
                          .arg(kReissueDays);
            break;
        case NotificationType::NotDelivered:
            meaning = QStringLiteral("Il file %1 non è stato recapitato. Per un cliente privato la "
                                     "fattura è emessa e si trova nella sua area riservata: "
                                     "avvisarlo e non reinviarla. Per un'amministrazione il "
                                     "Sistema di Interscambio ritenta il recapito.")
                          .arg(sentFile);
            break;
        case NotificationType::Outcome:
            meaning = outcome == QLatin1String("EC01")
                          ? QStringLiteral("L'amministrazione ha accettato la fattura.")
                          : QStringLiteral("L'amministrazione ha rifiutato la fattura (%1).")
                                .arg(outcome);
            break;
        case NotificationType::TermsExpired:
            meaning = QStringLiteral("L'amministrazione non ha risposto entro %1 giorni: nessun "
                                     "altro messaggio passerà dal Sistema di Interscambio.")
                          .arg(kAdministrationDays);
            break;
        case NotificationType::Undeliverable:
            meaning = QStringLiteral("Il file è stato trasmesso ma non è stato possibile "
                                     "recapitarlo: inviare all'amministrazione la fattura e "
                                     "l'attestazione per altre vie.");
            break;
        default:
            break;
        }
    }
    QStringList lines{head};
    if (!meaning.isEmpty())
        lines << meaning;
    if (!description.isEmpty())
        lines << description;
    for (const HistoryError& e : errors)
        lines << QStringLiteral("Errore %1: %2%3")
                     .arg(e.code, e.description,
                          e.suggestion.isEmpty() ? QString()
                                                 : QStringLiteral(" — ") + e.suggestion);
    return lines.join(QLatin1Char('\n'));
}

QString LoadedFile::resultText() const {
    switch (result) {
    case Result::Linked:
        return QStringLiteral("collegata");
    case Result::AlreadyKnown:
        return QStringLiteral("già nota");
    case Result::NotLinked:
        return QStringLiteral("non collegata");
    case Result::Unreadable:
        break;
    }
    return QStringLiteral("illeggibile");
}

QStringList notificationFiles(const QStringList& paths) {
    QStringList files;
    for (const QString& path : paths) {
        if (!QFileInfo(path).isDir()) {
            files << path;
            continue;
        }
        QStringList found;
        QDirIterator it(path,
                        {QStringLiteral("*.xml"), QStringLiteral("*.p7m"), QStringLiteral("*.zip")},
                        QDir::Files, QDirIterator::Subdirectories);
        // The name filters match without regard to case on every system only when told.
        while (it.hasNext())
            found << it.next();
        QDirIterator upper(path,
                           {QStringLiteral("*.XML"), QStringLiteral("*.P7M"),
                            QStringLiteral("*.ZIP"), QStringLiteral("*.Xml"),
                            QStringLiteral("*.P7m"), QStringLiteral("*.Zip")},
                           QDir::Files, QDirIterator::Subdirectories);
        while (upper.hasNext())
            found << upper.next();
        found.removeDuplicates();
        std::sort(found.begin(), found.end());
        files << found;
    }
    return files;
}

QList<LoadedFile> loadNotifications(Connection& connection, const QStringList& paths,
                                    const QDateTime& now) {
    QList<LoadedFile> results;
    try {
        connection.inTransaction([&] { linkWaiting(connection); });
    } catch (const DbError&) {
        // The waiting ones stay as they are and are tried again after the files.
    }
    for (const QString& path : notificationFiles(paths)) {
        try {
            results.append(loadOne(connection, path, readNotificationFile(path), now));
        } catch (const DbError& e) {
            LoadedFile failed;
            failed.path = path;
            failed.why = e.text();
            results.append(failed);
        }
    }
    try {
        connection.inTransaction([&] { linkWaiting(connection); });
    } catch (const DbError&) {
        // The waiting ones stay as they are and are tried again with the next load.
    }
    for (LoadedFile& r : results)
        describeDocument(connection, r);
    return results;
}

LoadedFile loadNotification(Connection& connection, const QByteArray& bytes,
                            const QString& fileName, const QDateTime& now) {
    LoadedFile result;
    try {
        connection.inTransaction([&] { linkWaiting(connection); });
    } catch (const DbError&) {
        // The waiting ones are tried again with the next load.
    }
    try {
        result = loadOne(connection, fileName, readNotification(bytes, fileName), now);
    } catch (const DbError& e) {
        result.path = fileName;
        result.why = e.text();
        return result;
    }
    describeDocument(connection, result);
    return result;
}

void recordSending(Connection& connection, int headerId, const QString& fileName,
                   const QDateTime& when, const QString& channel, const QString& messageId) {
    const QString name = QFileInfo(fileName).fileName();
    connection.inTransaction([&] {
        QSqlQuery found = connection.execNative(
            QStringLiteral("SELECT Id FROM SdI_Invii WHERE PA_FE_Header_Id = ? AND "
                           "lower(NomeFile) = lower(?) ORDER BY Id DESC"),
            {headerId, name});
        if (found.next()) {
            connection.execNative(QStringLiteral("UPDATE SdI_Invii SET DataInvio = ?, Canale = ?, "
                                                 "MessageId = ? WHERE Id = ?"),
                                  {storedDate(when), channel, messageId, found.value(0)});
        } else {
            connection.execNative(QStringLiteral("INSERT INTO SdI_Invii (PA_FE_Header_Id, "
                                                 "NomeFile, DataInvio, Canale, MessageId) VALUES "
                                                 "(?, ?, ?, ?, ?)"),
                                  {headerId, name, storedDate(when), channel, messageId});
        }
        // Notifications that came before the sending was recorded find their Document now.
        linkWaiting(connection);
    });
}

QString derivedFileName(Connection& connection, int headerId) {
    QSqlQuery q = connection.execNative(
        QStringLiteral("SELECT DatiTrasmissione_IdPaese, DatiTrasmissione_IdCodice, "
                       "DatiTrasmissione_ProgressivoInvio FROM PA_FE_Header WHERE id = ?"),
        {headerId});
    if (!q.next())
        return QString();
    return q.value(0).toString().trimmed() + UpperCase(q.value(1).toString().trimmed()) +
           QLatin1Char('_') + PadProgressive(q.value(2).toString().left(5)) +
           QStringLiteral(".xml");
}

namespace {

// What the state of one Document is worked out from.
struct StatusFacts {
    int headerId = 0;
    int number = 0;
    bool exported = false;
    bool publicAdministration = false;
    QString derivedName; // the name the export proposes, for a Document exported before
    bool sent = false;   // a file of it is recorded
    QString fileName;
    QDateTime sentDate;
    QString channel;
    QString messageId;
    QList<HistoryEntry> history; // oldest first
};

DocumentStatus statusFrom(const StatusFacts& f) {
    DocumentStatus s;
    s.headerId = f.headerId;
    s.number = f.number;
    s.publicAdministration = f.publicAdministration;
    if (f.sent) {
        s.fileName = f.fileName;
        s.date = f.sentDate;
        s.channel = f.channel;
        s.messageId = f.messageId;
    } else if (f.exported) {
        s.fileName = f.derivedName;
    } else {
        s.state = State::ToSend;
        return s;
    }
    s.state = State::Sent;

    // Only the messages about the file last written count: a rejected file's history stays with
    // the Document, its re-issue starts again from Inviata.
    const QString current = nameKey(s.fileName);
    QList<const HistoryEntry*> about;
    for (const HistoryEntry& e : f.history) {
        if (nameKey(e.sentFile) == current)
            about.append(&e);
    }
    auto last = [&](const QStringList& types) -> const HistoryEntry* {
        const HistoryEntry* found = nullptr;
        for (const HistoryEntry* e : std::as_const(about)) {
            if (types.contains(e->type))
                found = e;
        }
        return found;
    };
    auto dateOf = [](const HistoryEntry* e) { return e->date.isValid() ? e->date : e->loaded; };
    if (const HistoryEntry* ns = last({QStringLiteral("NS")})) {
        s.state = State::Rejected;
        s.date = dateOf(ns);
        for (const HistoryError& e : ns->errors)
            s.codes << e.code;
        s.deadline = s.date.date().addDays(kReissueDays);
    } else if (const HistoryEntry* at = last({QStringLiteral("AT")})) {
        s.state = State::TransmittedNotDelivered;
        s.date = dateOf(at);
    } else if (const HistoryEntry* end = last({QStringLiteral("NE"), QStringLiteral("DT")})) {
        s.state = end->type == QLatin1String("DT")        ? State::TermsExpired
                  : end->outcome == QLatin1String("EC01") ? State::Accepted
                                                          : State::Refused;
        s.date = dateOf(end);
    } else if (const HistoryEntry* rc = last({QStringLiteral("RC")})) {
        s.state = State::Delivered;
        s.date = dateOf(rc);
        if (s.publicAdministration)
            s.deadline = s.date.date().addDays(kAdministrationDays);
    } else if (const HistoryEntry* mc = last({QStringLiteral("MC")})) {
        s.state = s.publicAdministration ? State::NotDelivered : State::InReservedArea;
        s.date = dateOf(mc);
    }
    return s;
}

const QString kHeaderFacts = QStringLiteral(
    "SELECT id, Numero, Esportato, DatiTrasmissione_FormatoTrasmissione, "
    "DatiTrasmissione_IdPaese, DatiTrasmissione_IdCodice, DatiTrasmissione_ProgressivoInvio FROM "
    "PA_FE_Header");

StatusFacts headerFacts(const QSqlQuery& q) {
    StatusFacts f;
    f.headerId = q.value(0).toInt();
    f.number = q.value(1).toInt();
    f.exported = q.value(2).toInt() != 0;
    f.publicAdministration =
        q.value(3).toString().compare(QLatin1String("FPA12"), Qt::CaseInsensitive) == 0;
    f.derivedName = q.value(4).toString().trimmed() + UpperCase(q.value(5).toString().trimmed()) +
                    QLatin1Char('_') + PadProgressive(q.value(6).toString().left(5)) +
                    QStringLiteral(".xml");
    return f;
}

void readSent(StatusFacts& f, const QSqlQuery& q) {
    f.sent = true;
    f.fileName = q.value(1).toString();
    f.sentDate = parseSdiDate(q.value(2).toString());
    f.channel = q.value(3).toString();
    f.messageId = q.value(4).toString();
}

const QString kSentFacts =
    QStringLiteral("SELECT PA_FE_Header_Id, NomeFile, DataInvio, Canale, MessageId FROM SdI_Invii");

} // namespace

DocumentStatus documentStatus(Connection& connection, int headerId) {
    QSqlQuery header =
        connection.execNative(kHeaderFacts + QStringLiteral(" WHERE id = ?"), {headerId});
    if (!header.next()) {
        DocumentStatus s;
        s.headerId = headerId;
        return s;
    }
    StatusFacts f = headerFacts(header);
    QSqlQuery sent = connection.execNative(
        kSentFacts + QStringLiteral(" WHERE PA_FE_Header_Id = ? ORDER BY Id DESC"), {headerId});
    if (sent.next())
        readSent(f, sent);
    if (f.sent || f.exported)
        f.history = documentHistory(connection, headerId);
    return statusFrom(f);
}

QHash<int, DocumentStatus> documentStatusMap(Connection& connection) {
    QHash<int, StatusFacts> facts;
    QSqlQuery headers = connection.execNative(kHeaderFacts);
    while (headers.next()) {
        StatusFacts f = headerFacts(headers);
        facts.insert(f.headerId, f);
    }
    // The last file recorded for each Document wins.
    QSqlQuery sent = connection.execNative(kSentFacts + QStringLiteral(" ORDER BY Id"));
    while (sent.next()) {
        const auto found = facts.find(sent.value(0).toInt());
        if (found != facts.end())
            readSent(found.value(), sent);
    }
    // The messages without their files, and the codes of the rejections: what the states need.
    QHash<int, HistoryEntry*> rejections;
    QSqlQuery messages = connection.execNative(
        QStringLiteral("SELECT Id, PA_FE_Header_Id, Tipo, NomeFileInviato, Esito, DataOra, "
                       "Caricata FROM SdI_Notifiche WHERE PA_FE_Header_Id IS NOT NULL ORDER BY "
                       "Id"));
    while (messages.next()) {
        const auto found = facts.find(messages.value(1).toInt());
        if (found == facts.end())
            continue;
        HistoryEntry e;
        e.id = messages.value(0).toInt();
        e.type = messages.value(2).toString();
        e.sentFile = messages.value(3).toString();
        e.outcome = messages.value(4).toString();
        e.date = parseSdiDate(messages.value(5).toString());
        e.loaded = parseSdiDate(messages.value(6).toString());
        found.value().history.append(e);
    }
    for (StatusFacts& f : facts) {
        for (HistoryEntry& e : f.history) {
            if (e.type == QLatin1String("NS"))
                rejections.insert(e.id, &e);
        }
    }
    if (!rejections.isEmpty()) {
        QSqlQuery errors = connection.execNative(QStringLiteral(
            "SELECT e.SdI_Notifiche_Id, e.Codice FROM SdI_Errori e JOIN SdI_Notifiche n ON n.Id = "
            "e.SdI_Notifiche_Id WHERE n.Tipo = 'NS' ORDER BY e.Id"));
        while (errors.next()) {
            if (HistoryEntry* e = rejections.value(errors.value(0).toInt()))
                e->errors.append({errors.value(1).toString(), QString(), QString()});
        }
    }
    QHash<int, DocumentStatus> statuses;
    statuses.reserve(facts.size());
    for (const StatusFacts& f : std::as_const(facts))
        statuses.insert(f.headerId, statusFrom(f));
    return statuses;
}

QList<DocumentStatus> documentStatuses(Connection& connection) {
    const QHash<int, DocumentStatus> all = documentStatusMap(connection);
    QList<DocumentStatus> list = all.values();
    std::sort(list.begin(), list.end(), [](const DocumentStatus& a, const DocumentStatus& b) {
        return a.number != b.number ? a.number < b.number : a.headerId < b.headerId;
    });
    return list;
}

QList<HistoryEntry> documentHistory(Connection& connection, int headerId) {
    return readHistory(connection, QStringLiteral("PA_FE_Header_Id = ?"), {headerId});
}

QList<HistoryEntry> unlinkedNotifications(Connection& connection) {
    return readHistory(connection, QStringLiteral("PA_FE_Header_Id IS NULL"), {});
}

} // namespace brevalto::receipts
