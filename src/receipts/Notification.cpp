#include "receipts/Notification.h"

#include "check/SchemaValidator.h"
#include "check/SignedFile.h"
#include "check/XmlScreen.h"

#include <QFile>
#include <QFileInfo>
#include <QTimeZone>
#include <cstring>
#include <libxml/parser.h>
#include <libxml/parserInternals.h>
#include <libxml/tree.h>
#include <libxml/xmlschemas.h>
#include <mutex>
#include <zip.h>

namespace brevalto::receipts {

namespace {

const char kOlderNamespace[] = "http://www.fatturapa.gov.it/sdi/messaggi/v1.0";
const char kCurrentNamespace[] =
    "http://ivaservizi.agenziaentrate.gov.it/docs/xsd/fattura/messaggi/v1.0";

struct Root {
    const char* name;
    NotificationType type;
};

// Both spellings of the roots the system renamed when it changed namespace.
const Root kRoots[] = {
    {"RicevutaConsegna", NotificationType::Delivered},
    {"NotificaScarto", NotificationType::Rejected},
    {"RicevutaScarto", NotificationType::Rejected},
    {"NotificaMancataConsegna", NotificationType::NotDelivered},
    {"RicevutaImpossibilitaRecapito", NotificationType::NotDelivered},
    {"NotificaEsito", NotificationType::Outcome},
    {"NotificaDecorrenzaTermini", NotificationType::TermsExpired},
    {"AttestazioneTrasmissioneFattura", NotificationType::Undeliverable},
    {"MetadatiInvioFile", NotificationType::Metadata},
    {"FileMetadati", NotificationType::Metadata},
    {"NotificaEsitoCommittente", NotificationType::CustomerOutcome},
    {"ScartoEsitoCommittente", NotificationType::OutcomeRejected},
};

// A zip holds an invoice and its attestation: a few entries of a few megabytes at most.
constexpr zip_int64_t kMaxZipEntries = 20;
constexpr zip_uint64_t kMaxEntrySize = 30u * 1024u * 1024u;

xmlSchemaPtr schemaFor(bool olderNamespace) {
    static xmlSchemaPtr older = nullptr;
    static xmlSchemaPtr current = nullptr;
    static std::once_flag once;
    std::call_once(once, [] {
        older = check::compileBundledSchema(":/data/sdi/MessaggiTypes_v1.1.xsd");
        current = check::compileBundledSchema(":/data/sdi/MessaggiFatturaTypes_v1.0.xsd");
    });
    return olderNamespace ? older : current;
}

void keepFirst(void* data, xmlErrorPtr error) {
    auto* complaint = static_cast<QString*>(data);
    if (complaint->isEmpty() && error && error->message)
        *complaint = QStringLiteral("riga %1: %2")
                         .arg(error->line)
                         .arg(QString::fromUtf8(error->message).trimmed());
}

QString schemaComplaint(xmlDoc* doc, bool olderNamespace) {
    xmlSchemaPtr schema = schemaFor(olderNamespace);
    if (!schema)
        return QStringLiteral("schema non disponibile");
    QString complaint;
    xmlSchemaValidCtxtPtr context = xmlSchemaNewValidCtxt(schema);
    xmlSchemaSetValidStructuredErrors(context, keepFirst, &complaint);
    xmlSchemaValidateDoc(context, doc);
    xmlSchemaFreeValidCtxt(context);
    return complaint;
}

bool named(const xmlNode* node, const char* name) {
    return node->type == XML_ELEMENT_NODE &&
           std::strcmp(reinterpret_cast<const char*>(node->name), name) == 0;
}

const xmlNode* child(const xmlNode* parent, const char* name) {
    if (!parent)
        return nullptr;
    for (const xmlNode* n = parent->children; n; n = n->next) {
        if (named(n, name))
            return n;
    }
    return nullptr;
}

QString text(const xmlNode* node) {
    if (!node)
        return QString();
    xmlChar* content = xmlNodeGetContent(node);
    const QString value = QString::fromUtf8(reinterpret_cast<const char*>(content)).trimmed();
    xmlFree(content);
    return value;
}

QString childText(const xmlNode* parent, const char* name) {
    return text(child(parent, name));
}

ReadNotification failure(const QString& why) {
    ReadNotification r;
    r.error = why;
    return r;
}

ReadNotification readXml(const QByteArray& bytes) {
    const check::XmlScreening screening = check::screenXml(bytes);
    if (!screening.safe())
        return failure(screening.refusal());
    xmlDoc* doc = xmlReadMemory(bytes.constData(), int(bytes.size()), "notifica.xml", nullptr,
                                XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
    if (!doc) {
        const xmlError* error = xmlGetLastError();
        return failure(QStringLiteral("Il file non è XML leggibile%1.")
                           .arg(error && error->message
                                    ? QStringLiteral(" (riga %1: %2)")
                                          .arg(error->line)
                                          .arg(QString::fromUtf8(error->message).trimmed())
                                    : QString()));
    }
    const xmlNode* root = xmlDocGetRootElement(doc);
    const QString ns = root && root->ns && root->ns->href
                           ? QString::fromUtf8(reinterpret_cast<const char*>(root->ns->href))
                           : QString();
    ReadNotification r;
    const Root* found = nullptr;
    if (root && (ns == QLatin1String(kOlderNamespace) || ns == QLatin1String(kCurrentNamespace))) {
        for (const Root& candidate : kRoots) {
            if (named(root, candidate.name))
                found = &candidate;
        }
    }
    if (!found) {
        const QString rootName =
            root ? QString::fromUtf8(reinterpret_cast<const char*>(root->name)) : QString();
        xmlFreeDoc(doc);
        return failure(QStringLiteral("Non è una notifica del Sistema di Interscambio "
                                      "(elemento principale %1%2).")
                           .arg(rootName.isEmpty() ? QStringLiteral("assente") : rootName,
                                ns.isEmpty() ? QString() : QStringLiteral(" in ") + ns));
    }
    Notification& n = r.notification;
    n.type = found->type;
    n.olderNamespace = ns == QLatin1String(kOlderNamespace);
    n.sdiId = childText(root, "IdentificativoSdI");
    n.sentFileName = childText(root, "NomeFile");
    n.messageId = childText(root, "MessageId");
    n.note = childText(root, "Note");
    n.description = childText(root, "Descrizione");
    const xmlNode* outcome = child(root, "EsitoCommittente");
    n.outcome = childText(outcome ? outcome : root, "Esito");
    if (outcome && n.description.isEmpty())
        n.description = childText(outcome, "Descrizione");
    if (n.sdiId.isEmpty() && outcome)
        n.sdiId = childText(outcome, "IdentificativoSdI");

    QString dateText;
    switch (n.type) {
    case NotificationType::Delivered:
        dateText = childText(root, "DataOraConsegna");
        break;
    case NotificationType::NotDelivered:
        dateText = childText(root, "DataMessaADisposizione");
        break;
    default:
        break;
    }
    if (dateText.isEmpty())
        dateText = childText(root, "DataOraRicezione");
    n.date = parseSdiDate(dateText);

    for (const xmlNode* e = child(child(root, "ListaErrori"), "Errore"); e; e = e->next) {
        if (named(e, "Errore"))
            n.errors.append({childText(e, "Codice"), childText(e, "Descrizione"),
                             childText(e, "Suggerimento")});
    }
    n.schemaComplaint = schemaComplaint(doc, n.olderNamespace);
    xmlFreeDoc(doc);

    if (n.sdiId.isEmpty())
        return failure(QStringLiteral("Manca l'IdentificativoSdI: la notifica non può essere "
                                      "collegata a un documento."));
    r.ok = true;
    return r;
}

bool isZip(const QByteArray& bytes) {
    return bytes.startsWith("PK\x03\x04");
}

bool looksLikeXml(const QByteArray& bytes) {
    for (const char c : bytes.left(64)) {
        if (c == '<')
            return true;
        if (!(c == ' ' || c == '\t' || c == '\r' || c == '\n' || uchar(c) >= 0x80))
            return false;
    }
    return false;
}

ReadNotification readPlainOrSigned(const QByteArray& bytes, const QString& name, int depth);

// The attestation's zip: the entry that is an attestation wins, otherwise the first entry that
// is a notification at all (the invoice beside it is not one).
ReadNotification readZip(const QByteArray& bytes, int depth) {
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source =
        zip_source_buffer_create(bytes.constData(), zip_uint64_t(bytes.size()), 0, &error);
    zip_t* archive = source ? zip_open_from_source(source, ZIP_RDONLY, &error) : nullptr;
    if (!archive) {
        if (source)
            zip_source_free(source);
        zip_error_fini(&error);
        return failure(QStringLiteral("L'archivio zip non è leggibile."));
    }
    zip_error_fini(&error);
    ReadNotification best;
    QString firstError;
    const zip_int64_t count = zip_get_num_entries(archive, 0);
    for (zip_int64_t i = 0; i < count && i < kMaxZipEntries; ++i) {
        zip_stat_t stat;
        zip_stat_init(&stat);
        if (zip_stat_index(archive, zip_uint64_t(i), 0, &stat) != 0 ||
            !(stat.valid & ZIP_STAT_SIZE) || stat.size > kMaxEntrySize)
            continue;
        const QString entryName = QString::fromUtf8(stat.name ? stat.name : "");
        if (entryName.endsWith(QLatin1Char('/')))
            continue;
        zip_file_t* file = zip_fopen_index(archive, zip_uint64_t(i), 0);
        if (!file)
            continue;
        QByteArray content(qsizetype(stat.size), Qt::Uninitialized);
        const zip_int64_t read = zip_fread(file, content.data(), stat.size);
        zip_fclose(file);
        if (read != zip_int64_t(stat.size))
            continue;
        ReadNotification entry = readPlainOrSigned(content, entryName, depth + 1);
        if (!entry.ok) {
            if (firstError.isEmpty())
                firstError = entry.error;
            continue;
        }
        const bool attestation = entry.notification.type == NotificationType::Undeliverable;
        if (!best.ok || attestation) {
            best = entry;
            if (attestation)
                break;
        }
    }
    zip_close(archive);
    if (!best.ok)
        return failure(QStringLiteral("L'archivio zip non contiene una notifica del Sistema di "
                                      "Interscambio."));
    best.bytes = bytes;
    return best;
}

ReadNotification readPlainOrSigned(const QByteArray& bytes, const QString& name, int depth) {
    if (bytes.isEmpty())
        return failure(QStringLiteral("Il file è vuoto."));
    if (isZip(bytes)) {
        if (depth > 0)
            return failure(QStringLiteral("Archivio zip dentro un archivio zip."));
        return readZip(bytes, depth);
    }
    if (check::isSignedName(name) || !looksLikeXml(bytes)) {
        const check::SignedFile signedFile = check::openSigned(bytes);
        if (!signedFile.opened)
            return failure(looksLikeXml(bytes) ? signedFile.error
                                               : QStringLiteral("Il file non è XML né una busta "
                                                                "firmata leggibile: %1")
                                                     .arg(signedFile.error));
        ReadNotification r = readXml(signedFile.content);
        r.signedFile = true;
        r.bytes = bytes;
        return r;
    }
    ReadNotification r = readXml(bytes);
    r.bytes = bytes;
    return r;
}

} // namespace

QString typeCode(NotificationType type) {
    switch (type) {
    case NotificationType::Delivered:
        return QStringLiteral("RC");
    case NotificationType::Rejected:
        return QStringLiteral("NS");
    case NotificationType::NotDelivered:
        return QStringLiteral("MC");
    case NotificationType::Outcome:
        return QStringLiteral("NE");
    case NotificationType::TermsExpired:
        return QStringLiteral("DT");
    case NotificationType::Undeliverable:
        return QStringLiteral("AT");
    case NotificationType::Metadata:
        return QStringLiteral("MT");
    case NotificationType::CustomerOutcome:
        return QStringLiteral("EC");
    case NotificationType::OutcomeRejected:
        return QStringLiteral("SE");
    }
    return QString();
}

bool typeFromCode(const QString& code, NotificationType* type) {
    for (NotificationType t :
         {NotificationType::Delivered, NotificationType::Rejected, NotificationType::NotDelivered,
          NotificationType::Outcome, NotificationType::TermsExpired,
          NotificationType::Undeliverable, NotificationType::Metadata,
          NotificationType::CustomerOutcome, NotificationType::OutcomeRejected}) {
        if (typeCode(t).compare(code, Qt::CaseInsensitive) == 0) {
            *type = t;
            return true;
        }
    }
    return false;
}

QString typeTitle(NotificationType type) {
    switch (type) {
    case NotificationType::Delivered:
        return QStringLiteral("Ricevuta di consegna");
    case NotificationType::Rejected:
        return QStringLiteral("Notifica di scarto");
    case NotificationType::NotDelivered:
        return QStringLiteral("Notifica di mancata consegna");
    case NotificationType::Outcome:
        return QStringLiteral("Notifica di esito del committente");
    case NotificationType::TermsExpired:
        return QStringLiteral("Notifica di decorrenza termini");
    case NotificationType::Undeliverable:
        return QStringLiteral("Attestazione di avvenuta trasmissione con impossibilità di "
                              "recapito");
    case NotificationType::Metadata:
        return QStringLiteral("File dei metadati");
    case NotificationType::CustomerOutcome:
        return QStringLiteral("Esito del committente");
    case NotificationType::OutcomeRejected:
        return QStringLiteral("Scarto dell'esito del committente");
    }
    return QString();
}

QDateTime parseSdiDate(const QString& text) {
    const QString t = text.trimmed();
    if (t.isEmpty())
        return QDateTime();
    QDateTime dt = QDateTime::fromString(t, Qt::ISODateWithMs);
    if (!dt.isValid())
        dt = QDateTime::fromString(t, Qt::ISODate);
    if (!dt.isValid()) {
        const QDate date = QDate::fromString(t.left(10), Qt::ISODate);
        if (date.isValid())
            dt = QDateTime(date, QTime(0, 0));
    }
    return dt;
}

ReadNotification readNotification(const QByteArray& bytes, const QString& name) {
    return readPlainOrSigned(bytes, name, 0);
}

ReadNotification readNotificationFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return failure(QStringLiteral("Il file non si apre: %1").arg(file.errorString()));
    // A notification is a few kilobytes, an attestation's zip a few megabytes.
    constexpr qint64 kMaxFile = 64 * 1024 * 1024;
    if (file.size() > kMaxFile)
        return failure(QStringLiteral("Il file è troppo grande per essere una notifica (%1 MB).")
                           .arg(file.size() / (1024 * 1024)));
    return readNotification(file.readAll(), QFileInfo(path).fileName());
}

} // namespace brevalto::receipts
