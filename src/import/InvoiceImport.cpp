#include "import/InvoiceImport.h"

#include "check/Checker.h"
#include "check/XmlScreen.h"
#include "check/XmlTree.h"
#include "logic/DocumentRegister.h"
#include "logic/Parties.h"
#include "render/InvoiceFile.h"
#include "store/DataModule.h"
#include "store/DbError.h"
#include "store/ProgramFolder.h"
#include "store/StoredValue.h"
#include "store/SystemText.h"

#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlQuery>
#include <QVariantMap>
#include <libxml/parser.h>
#include <memory>
#include <unordered_set>

namespace brevalto {

namespace {

using check::descend;

// The error raised when a file is not one the archive takes; the import stops and nothing stays.
struct Refusal {
    QString text;
};

int insertRow(Connection& db, const QString& table, const QVariantMap& values) {
    QStringList columns;
    QVariantList bound;
    for (auto it = values.begin(); it != values.end(); ++it) {
        if (it.value().isNull())
            continue;
        columns << it.key();
        bound << storedValue(it.value());
    }
    const QString sql =
        QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
            .arg(table, columns.join(QLatin1String(", ")),
                 QStringList(columns.size(), QStringLiteral("?")).join(QLatin1String(", "))) +
        db.returningRowId(table);
    QSqlQuery q = db.execNative(sql, bound);
    return int(db.writtenRowId(q));
}

// Reads the parsed file and remembers every element it took a value from, so that what was left
// can be named at the end.
class Reader {
public:
    // The element at path below parent, taken as read (an empty block that is only present).
    xmlNode* block(const xmlNode* parent, const char* path) {
        xmlNode* node = descend(parent, path);
        if (node)
            used_.insert(node);
        return node;
    }
    std::vector<xmlNode*> blocks(const xmlNode* parent, const char* name) {
        std::vector<xmlNode*> found = check::children(parent, name);
        for (xmlNode* n : found)
            used_.insert(n);
        return found;
    }
    // The text at path, null when the element is missing. `keep` false reads the value without
    // taking the element as placed (the archive holds it, but the file written from it will not).
    QVariant text(const xmlNode* parent, const char* path, bool keep = true) {
        xmlNode* node = descend(parent, path);
        if (!node)
            return QVariant();
        if (keep)
            used_.insert(node);
        return check::text(node);
    }
    QVariant number(const xmlNode* parent, const char* path) {
        const QVariant t = text(parent, path);
        if (t.isNull())
            return t;
        bool ok = false;
        const double value = t.toString().trimmed().toDouble(&ok);
        if (!ok)
            throw Refusal{QStringLiteral("%1: \"%2\" non è un numero.")
                              .arg(check::elementPath(descend(parent, path)), t.toString())};
        return value;
    }
    QVariant integer(const xmlNode* parent, const char* path) {
        const QVariant t = text(parent, path);
        if (t.isNull())
            return t;
        bool ok = false;
        const qlonglong value = t.toString().trimmed().toLongLong(&ok);
        if (!ok)
            throw Refusal{QStringLiteral("%1: \"%2\" non è un numero intero.")
                              .arg(check::elementPath(descend(parent, path)), t.toString())};
        return value;
    }
    QVariant date(const xmlNode* parent, const char* path) {
        const QVariant t = text(parent, path);
        if (t.isNull())
            return t;
        const QString s = t.toString().trimmed();
        const QDate d = QDate::fromString(s.left(10), Qt::ISODate);
        if (!d.isValid())
            throw Refusal{QStringLiteral("%1: \"%2\" non è una data.")
                              .arg(check::elementPath(descend(parent, path)), s)};
        if (s.size() > 10)
            notes << QStringLiteral("%1: il fuso orario di \"%2\" non è conservato.")
                         .arg(check::elementPath(descend(parent, path)), s);
        return d;
    }
    // A date and time: the clock time as written. A time zone, or a fraction of a second other
    // than zero, has no place in the archive and is said in the notes.
    QVariant dateTime(const xmlNode* parent, const char* path) {
        const QVariant t = text(parent, path);
        if (t.isNull())
            return t;
        const QString s = t.toString().trimmed();
        static const QRegularExpression form(QStringLiteral(
            R"(^(\d{4}-\d{2}-\d{2}T\d{2}:\d{2}:\d{2})(\.(\d+))?(Z|[+-]\d{2}:\d{2})?$)"));
        const QRegularExpressionMatch m = form.match(s);
        const QDateTime dt =
            m.hasMatch() ? QDateTime::fromString(m.captured(1), Qt::ISODate) : QDateTime();
        if (!dt.isValid())
            throw Refusal{QStringLiteral("%1: \"%2\" non è una data e ora.")
                              .arg(check::elementPath(descend(parent, path)), s)};
        const bool fraction = !m.captured(3).isEmpty() &&
                              m.captured(3) != QString(m.captured(3).size(), QLatin1Char('0'));
        if (fraction || !m.captured(4).isEmpty())
            notes << QStringLiteral("%1: conservato come %2 (senza %3).")
                         .arg(check::elementPath(descend(parent, path)),
                              dt.toString(QStringLiteral("yyyy-MM-dd'T'HH:mm:ss")),
                              fraction && !m.captured(4).isEmpty()
                                  ? QStringLiteral("frazioni di secondo e fuso orario")
                              : fraction ? QStringLiteral("frazioni di secondo")
                                         : QStringLiteral("fuso orario"));
        return dt;
    }

    // The paths of the elements below root that nothing was read from: the highest such element
    // of each branch.
    QStringList unread(const xmlNode* root) const {
        QStringList paths;
        collect(root, paths);
        return paths;
    }

    QStringList notes;

private:
    bool touched(const xmlNode* node) const {
        if (used_.count(node))
            return true;
        for (const xmlNode* c = node->children; c; c = c->next) {
            if (c->type == XML_ELEMENT_NODE && touched(c))
                return true;
        }
        return false;
    }
    void collect(const xmlNode* node, QStringList& paths) const {
        for (const xmlNode* c = node->children; c; c = c->next) {
            if (c->type != XML_ELEMENT_NODE)
                continue;
            if (!touched(c))
                paths << check::elementPath(c);
            else
                collect(c, paths);
        }
    }

    std::unordered_set<const xmlNode*> used_;
};

void put(QVariantMap& row, const QString& column, const QVariant& value) {
    if (!value.isNull())
        row.insert(column, value);
}

// The name block of a party (Anagrafica): the denomination, or the person's name elements.
// Titolo and CodEORI beside a denomination are kept but not written again, so they are named.
void readName(Reader& r, const xmlNode* anagrafica, QVariantMap& row, const QString& prefix,
              const QString& eoriColumn) {
    const bool company = descend(anagrafica, "Denominazione") != nullptr;
    put(row, prefix + "Denominazione", r.text(anagrafica, "Denominazione"));
    put(row, prefix + "Nome", r.text(anagrafica, "Nome"));
    put(row, prefix + "Cognome", r.text(anagrafica, "Cognome"));
    put(row, prefix + "Titolo", r.text(anagrafica, "Titolo", !company));
    put(row, eoriColumn, r.text(anagrafica, "CodEORI", !company));
}

void readTaxCodeAndName(Reader& r, const xmlNode* data, QVariantMap& row, const QString& prefix,
                        const QString& eoriColumn) {
    put(row, prefix + "CodiceFiscale", r.text(data, "CodiceFiscale"));
    readName(r, r.block(data, "Anagrafica"), row, prefix, eoriColumn);
}

void readAddress(Reader& r, const xmlNode* address, QVariantMap& row, const QString& prefix) {
    for (const char* name : {"Indirizzo", "NumeroCivico", "CAP", "Comune", "Provincia", "Nazione"})
        put(row, prefix + QLatin1String(name), r.text(address, name));
}

// An optional address block switched by a flag column.
void readOptionalAddress(Reader& r, const xmlNode* parent, const char* element, QVariantMap& row,
                         const QString& flag, const QString& prefix) {
    const xmlNode* address = r.block(parent, element);
    row.insert(flag, address != nullptr);
    if (address)
        readAddress(r, address, row, prefix);
}

const QString kZeros = QStringLiteral("0000000");

void readHeader(Reader& r, const xmlNode* header, QVariantMap& h, QStringList& notes) {
    const xmlNode* t = r.block(header, "DatiTrasmissione");
    put(h, "DatiTrasmissione_IdPaese", r.text(t, "IdTrasmittente/IdPaese"));
    put(h, "DatiTrasmissione_IdCodice", r.text(t, "IdTrasmittente/IdCodice"));
    const QString progressive = r.text(t, "ProgressivoInvio").toString();
    if (!progressive.isEmpty())
        notes << QStringLiteral("ProgressivoInvio %1 del file sostituito da quello del documento.")
                     .arg(progressive);
    const QString format = r.text(t, "FormatoTrasmissione").toString();
    h.insert("DatiTrasmissione_FormatoTrasmissione", format);
    const QString code = r.text(t, "CodiceDestinatario").toString();
    h.insert("DatiTrasmissione_CodiceDestinatario", code);
    const bool publicAdministration = format == QLatin1String("FPA12");
    h.insert("CessionarioCommittente_PubblicaAmministrazione", publicAdministration);
    if (publicAdministration)
        h.insert("CessionarioCommittente_CodiceUnivocoUfficio", code);
    const xmlNode* contacts = r.block(t, "ContattiTrasmittente");
    h.insert("DatiTrasmissione_ContattiTrasmittente", contacts != nullptr);
    put(h, "DatiTrasmissione_ContattiTrasmittente_Telefono", r.text(contacts, "Telefono"));
    put(h, "DatiTrasmissione_ContattiTrasmittente_Email", r.text(contacts, "Email"));
    // The certified mail address goes out again only with the code of seven zeros.
    put(h, "CessionarioCommittente_Pec",
        r.text(t, "PECDestinatario", !publicAdministration && code == kZeros));

    // Seller.
    const QString s = QStringLiteral("CedentePrestatore_");
    const xmlNode* seller = r.block(header, "CedentePrestatore");
    const xmlNode* sd = r.block(seller, "DatiAnagrafici");
    put(h, s + "IdPaese", r.text(sd, "IdFiscaleIVA/IdPaese"));
    put(h, s + "IdCodice", r.text(sd, "IdFiscaleIVA/IdCodice"));
    readTaxCodeAndName(r, sd, h, s, s + "CodOERI");
    for (const char* name : {"AlboProfessionale", "ProvinciaAlbo", "NumeroIscrizioneAlbo"})
        put(h, s + QLatin1String(name), r.text(sd, name));
    put(h, s + "DataIscrizioneAlbo", r.date(sd, "DataIscrizioneAlbo"));
    put(h, s + "RegimeFiscale", r.text(sd, "RegimeFiscale"));
    readAddress(r, r.block(seller, "Sede"), h, s + "Sede_");
    readOptionalAddress(r, seller, "StabileOrganizzazione", h, s + "StabileOrganizzazione",
                        s + "StabileOrganizzazione_");
    const xmlNode* rea = r.block(seller, "IscrizioneREA");
    h.insert(s + "Iscrizione_REA", rea != nullptr);
    put(h, s + "Iscrizione_REA_Ufficio", r.text(rea, "Ufficio"));
    put(h, s + "Iscrizione_REA_NumeroREA", r.text(rea, "NumeroREA"));
    put(h, s + "Iscrizione_REA_CapitaleSociale", r.number(rea, "CapitaleSociale"));
    put(h, s + "Iscrizione_REA_SocioUnico", r.text(rea, "SocioUnico"));
    put(h, s + "Iscrizione_REA_StatoLiquidazione", r.text(rea, "StatoLiquidazione"));
    const xmlNode* contatti = r.block(seller, "Contatti");
    h.insert(s + "Iscrizione_Contatti", contatti != nullptr);
    for (const char* name : {"Telefono", "Fax", "Email"})
        put(h, s + "Contatti_" + QLatin1String(name), r.text(contatti, name));
    put(h, s + "RiferimentoAmministrazione", r.text(seller, "RiferimentoAmministrazione"));

    // The seller's fiscal representative.
    const xmlNode* rep = r.block(header, "RappresentanteFiscale/DatiAnagrafici");
    h.insert("RappresentanteFiscale", rep != nullptr);
    if (rep) {
        r.block(header, "RappresentanteFiscale");
        const QString p = QStringLiteral("RappresentanteFiscale_DatiAnagrafici_");
        put(h, p + "IdPaese", r.text(rep, "IdFiscaleIVA/IdPaese"));
        put(h, p + "IdCodice", r.text(rep, "IdFiscaleIVA/IdCodice"));
        readTaxCodeAndName(r, rep, h, p, p + "CodEORI");
    }

    // Buyer.
    const QString b = QStringLiteral("CessionarioCommittente_");
    const xmlNode* buyer = r.block(header, "CessionarioCommittente");
    const xmlNode* bd = r.block(buyer, "DatiAnagrafici");
    const bool vat = descend(bd, "IdFiscaleIVA") != nullptr;
    h.insert(b + "IdFiscaleIva", vat);
    // Without a VAT number the buyer is identified by an Italian tax code.
    h.insert(b + "IdPaese", vat ? r.text(bd, "IdFiscaleIVA/IdPaese") : QStringLiteral("IT"));
    put(h, b + "IdCodice", r.text(bd, "IdFiscaleIVA/IdCodice"));
    readTaxCodeAndName(r, bd, h, b, b + "CodEORI");
    readAddress(r, r.block(buyer, "Sede"), h, b + "Sede_");
    readOptionalAddress(r, buyer, "StabileOrganizzazione", h, b + "StabileOrganizzazione",
                        b + "StabileOrganizzazione_");
    const xmlNode* buyerRep = r.block(buyer, "RappresentanteFiscale");
    h.insert(b + "RappresentanteFiscale", buyerRep != nullptr);
    if (buyerRep) {
        const QString p = b + "RappresentanteFiscale_";
        put(h, p + "Nazione", r.text(buyerRep, "IdFiscaleIVA/IdPaese"));
        put(h, p + "IdCodice", r.text(buyerRep, "IdFiscaleIVA/IdCodice"));
        const bool company = descend(buyerRep, "Denominazione") != nullptr;
        put(h, p + "Denominazione", r.text(buyerRep, "Denominazione"));
        put(h, p + "Nome", r.text(buyerRep, "Nome", !company));
        put(h, p + "Cognome", r.text(buyerRep, "Cognome", !company));
    }

    // Intermediary.
    const QString i = QStringLiteral("TerzoIntermediarioOSoggettoEmittente_");
    const xmlNode* third = r.block(header, "TerzoIntermediarioOSoggettoEmittente/DatiAnagrafici");
    h.insert("TerzoIntermediarioOSoggettoEmittente", third != nullptr);
    h.insert(i + "IdFiscaleIVA", descend(third, "IdFiscaleIVA") != nullptr);
    if (third) {
        r.block(header, "TerzoIntermediarioOSoggettoEmittente");
        put(h, i + "IdPaese", r.text(third, "IdFiscaleIVA/IdPaese"));
        put(h, i + "IdCodice", r.text(third, "IdFiscaleIVA/IdCodice"));
        readTaxCodeAndName(r, third, h, i, i + "CodEORI");
    }
    put(h, "SoggettoEmittente", r.text(header, "SoggettoEmittente"));
}

// The names the customer is listed and printed under, as its own screen gives them.
void putCustomerNames(QVariantMap& h) {
    const QString p = QStringLiteral("CessionarioCommittente_");
    ValueRow customer;
    for (const char* column : {"Denominazione", "Cognome", "Nome", "CodiceFiscale"})
        customer.set(p + QLatin1String(column), h.value(p + QLatin1String(column)));
    const CustomerNames names = customerNames(customer);
    h.insert(p + "NominativoDocumenti", names.printed);
    h.insert(p + "NominativoVisualizzato", names.listed);
}

QString partyName(const QVariantMap& h, const QString& prefix) {
    const QString company = h.value(prefix + "Denominazione").toString();
    if (!company.isEmpty())
        return company;
    return (h.value(prefix + "Nome").toString() + QLatin1Char(' ') +
            h.value(prefix + "Cognome").toString())
        .trimmed();
}

QString partyId(const QVariantMap& h, const QString& prefix) {
    QStringList ids;
    const QString vat = h.value(prefix + "IdCodice").toString();
    if (!vat.isEmpty())
        ids << QStringLiteral("P.IVA %1%2").arg(h.value(prefix + "IdPaese").toString(), vat);
    const QString taxCode = h.value(prefix + "CodiceFiscale").toString();
    if (!taxCode.isEmpty())
        ids << QStringLiteral("C.F. %1").arg(taxCode);
    return ids.join(QLatin1String(", "));
}

// Finds the party among the master rows by VAT number or tax code, or adds it with the file's
// data. Returns its key; says which in parties.
int findOrAddParty(Connection& db, const QVariantMap& h, const QString& table,
                   const QString& keyColumn, const QString& prefix,
                   const QStringList& skippedColumns, const QString& role, QStringList& parties) {
    const QString country = h.value(prefix + "IdPaese").toString().toUpper();
    const QString vat = h.value(prefix + "IdCodice").toString().toUpper();
    const QString taxCode = h.value(prefix + "CodiceFiscale").toString().toUpper();
    QStringList conditions;
    QVariantList bound;
    if (!vat.isEmpty()) {
        conditions
            << QStringLiteral("(upper(%1IdPaese) = ? AND upper(%1IdCodice) = ?)").arg(prefix);
        bound << country << vat;
    }
    if (!taxCode.isEmpty()) {
        conditions << QStringLiteral("upper(%1CodiceFiscale) = ?").arg(prefix);
        bound << taxCode;
    }
    const QString name = partyName(h, prefix);
    const QString ids = partyId(h, prefix);
    if (!conditions.isEmpty()) {
        QSqlQuery q =
            db.execNative(QStringLiteral("SELECT %1 FROM %2 WHERE %3 ORDER BY %1 LIMIT 1")
                              .arg(keyColumn, table, conditions.join(QLatin1String(" OR "))),
                          bound);
        if (q.next()) {
            const int key = q.value(0).toInt();
            parties << QStringLiteral("%1 trovato in archivio: %2 (%3).").arg(role, name, ids);
            return key;
        }
    }
    QVariantMap row;
    for (auto it = h.begin(); it != h.end(); ++it) {
        if (it.key().startsWith(prefix) && !skippedColumns.contains(it.key()))
            row.insert(it.key(), it.value());
    }
    const int key = insertRow(db, table, row);
    parties << QStringLiteral("%1 creato in archivio: %2 (%3).").arg(role, name, ids);
    return key;
}

struct RelatedGroup {
    const char* element;
    const char* table;
};

const RelatedGroup kRelatedGroups[] = {
    {"DatiOrdineAcquisto", "PA_FE_Body_DatiOrdineAcquisto"},
    {"DatiContratto", "PA_FE_Body_DatiContratto"},
    {"DatiConvenzione", "PA_FE_Body_DatiConvenzione"},
    {"DatiRicezione", "PA_FE_Body_DatiRicezione"},
    {"DatiFattureCollegate", "PA_FE_Body_DatiFattureCollegate"},
};

const QString kLineTable = QStringLiteral("PA_FE_Body_DatiBeniServizi_DettaglioLinee");
const QString kLineKey = QStringLiteral("PA_FE_Body_DatiBeniServizi_DettaglioLinee_Id");

// A file name for an attachment in folder: the name in the file without any folder part or
// character a file system refuses, made unique in the folder.
QString attachmentPath(const QString& folder, const QString& name, int ordinal) {
    QString safe = QFileInfo(QString(name).replace(QLatin1Char('\\'), QLatin1Char('/'))).fileName();
    static const QRegularExpression bad(QStringLiteral(R"([\x00-\x1f<>:"|?*])"));
    safe.replace(bad, QStringLiteral("_"));
    while (safe.startsWith(QLatin1Char('.')))
        safe.remove(0, 1);
    if (safe.isEmpty())
        safe = QStringLiteral("allegato%1").arg(ordinal);
    QString path = QDir(folder).filePath(safe);
    const QFileInfo info(safe);
    for (int n = 2; QFileInfo::exists(path); ++n)
        path = QDir(folder).filePath(
            QStringLiteral("%1 (%2)%3")
                .arg(info.completeBaseName())
                .arg(n)
                .arg(info.suffix().isEmpty() ? QString() : QLatin1Char('.') + info.suffix()));
    return path;
}

class BodyImport {
public:
    BodyImport(Connection& db, Reader& r, const QString& folder, QStringList& written)
        : db_(db), r_(r), folder_(folder), written_(written) {}

    void run(const xmlNode* body, int headerId) {
        const xmlNode* general = r_.block(body, "DatiGenerali");
        const xmlNode* doc = r_.block(general, "DatiGeneraliDocumento");
        QVariantMap b;
        b.insert("PA_FE_Header_Id", headerId);
        put(b, "DatiGenerali_TipoDocumento", r_.text(doc, "TipoDocumento"));
        put(b, "DatiGenerali_Divisa", r_.text(doc, "Divisa"));
        put(b, "DatiGenerali_Data", r_.date(doc, "Data"));
        put(b, "DatiGenerali_Numero", r_.text(doc, "Numero"));
        const xmlNode* stamp = r_.block(doc, "DatiBollo");
        b.insert("DatiGenerali_DatiBollo", stamp != nullptr);
        put(b, "DatiGenerali_DatiBollo_BolloVirtuale", r_.text(stamp, "BolloVirtuale"));
        put(b, "DatiGenerali_DatiBollo_ImportoBollo", r_.number(stamp, "ImportoBollo"));
        put(b, "ImportoTotaleDocumento", r_.number(doc, "ImportoTotaleDocumento"));
        put(b, "Arrotondamento", r_.number(doc, "Arrotondamento"));
        put(b, "Art73", r_.text(doc, "Art73"));
        readTransport(r_.block(general, "DatiTrasporto"), b);
        const xmlNode* main = r_.block(general, "FatturaPrincipale");
        b.insert("FatturaPrincipale", main != nullptr);
        put(b, "NumeroFatturaPrincipale", r_.text(main, "NumeroFatturaPrincipale"));
        put(b, "DataFatturaPrincipale", r_.date(main, "DataFatturaPrincipale"));
        const xmlNode* vehicles = r_.block(body, "DatiVeicoli");
        b.insert("DatiVeicoli", vehicles != nullptr);
        put(b, "DatiVeicoli_Data", r_.date(vehicles, "Data"));
        put(b, "DatiVeicoli_TotalePercorso", r_.text(vehicles, "TotalePercorso"));
        bodyId_ = insertRow(db_, "PA_FE_Body", b);

        readDocumentSections(doc);
        const xmlNode* goods = r_.block(body, "DatiBeniServizi");
        readLines(goods);
        readSummaries(goods);
        readRelated(general);
        readPayments(body);
        readAttachments(body);
    }

private:
    int add(const QString& table, QVariantMap row) {
        row.insert("PA_FE_Body_Id", bodyId_);
        return insertRow(db_, table, row);
    }

    void readTransport(const xmlNode* t, QVariantMap& b) {
        b.insert("DatiTrasporto", t != nullptr);
        const xmlNode* carrier = r_.block(t, "DatiAnagraficiVettore");
        b.insert("DatiAnagraficiVettore", carrier != nullptr);
        const QString v = QStringLiteral("Vettore_");
        put(b, v + "IdPaese", r_.text(carrier, "IdFiscaleIVA/IdPaese"));
        put(b, v + "IdCodice", r_.text(carrier, "IdFiscaleIVA/IdCodice"));
        if (carrier)
            readTaxCodeAndName(r_, carrier, b, v, v + "CodEORI");
        put(b, v + "NumeroLicenzaGuida", r_.text(carrier, "NumeroLicenzaGuida"));
        for (const char* name : {"MezzoTrasporto", "CausaleTrasporto"})
            put(b, QLatin1String(name), r_.text(t, name));
        put(b, "NumeroColli", r_.integer(t, "NumeroColli"));
        for (const char* name : {"Descrizione", "UnitaMisuraPeso"})
            put(b, QLatin1String(name), r_.text(t, name));
        put(b, "PesoLordo", r_.number(t, "PesoLordo"));
        put(b, "PesoNetto", r_.number(t, "PesoNetto"));
        put(b, "DataOraRitiro", r_.dateTime(t, "DataOraRitiro"));
        put(b, "DataInizioTrasporto", r_.date(t, "DataInizioTrasporto"));
        put(b, "TipoResa", r_.text(t, "TipoResa"));
        const xmlNode* place = r_.block(t, "IndirizzoResa");
        b.insert("IndirizzoResa", place != nullptr);
        if (place)
            readAddress(r_, place, b, QStringLiteral("Resa_"));
        put(b, "DataOraConsegna", r_.dateTime(t, "DataOraConsegna"));
    }

    void readDocumentSections(const xmlNode* doc) {
        for (const xmlNode* n : r_.blocks(doc, "DatiRitenuta")) {
            QVariantMap row;
            put(row, "TipoRitenuta", r_.text(n, "TipoRitenuta"));
            put(row, "ImportoRitenuta", r_.number(n, "ImportoRitenuta"));
            put(row, "AliquotaRitenuta", r_.number(n, "AliquotaRitenuta"));
            put(row, "CausalePagamento", r_.text(n, "CausalePagamento"));
            add("PA_FE_Body_DatiRitenuta", row);
        }
        for (const xmlNode* n : r_.blocks(doc, "DatiCassaPrevidenziale")) {
            QVariantMap row;
            put(row, "TipoCassa", r_.text(n, "TipoCassa"));
            put(row, "AlCassa", r_.number(n, "AlCassa"));
            put(row, "ImportoContributoCassa", r_.number(n, "ImportoContributoCassa"));
            put(row, "ImponibileCassa", r_.number(n, "ImponibileCassa"));
            put(row, "AliquotaIva", r_.number(n, "AliquotaIVA"));
            for (const char* name : {"Ritenuta", "Natura", "RiferimentoAmministrazione"})
                put(row, QLatin1String(name), r_.text(n, name));
            add("PA_FE_Body_DatiCassaPrevidenziale", row);
        }
        for (const xmlNode* n : r_.blocks(doc, "ScontoMaggiorazione"))
            add("PA_FE_Body_ScontoMaggiorazione", discount(n));
        for (const xmlNode* n : r_.blocks(doc, "Causale"))
            add("PA_FE_Body_Causali", {{"Descrizione", check::text(n)}});
    }

    QVariantMap discount(const xmlNode* n) {
        QVariantMap row;
        put(row, "Tipo", r_.text(n, "Tipo"));
        put(row, "Percentuale", r_.number(n, "Percentuale"));
        put(row, "Importo", r_.number(n, "Importo"));
        return row;
    }

    void readLines(const xmlNode* goods) {
        for (const xmlNode* n : r_.blocks(goods, "DettaglioLinee")) {
            QVariantMap row;
            const QVariant number = r_.integer(n, "NumeroLinea");
            put(row, "NumeroLinea", number);
            put(row, "TipoCessionePrestazione", r_.text(n, "TipoCessionePrestazione"));
            put(row, "Descrizione", r_.text(n, "Descrizione"));
            put(row, "Quantita", r_.number(n, "Quantita"));
            put(row, "UnitaMisura", r_.text(n, "UnitaMisura"));
            put(row, "DataInizioPeriodo", r_.date(n, "DataInizioPeriodo"));
            put(row, "DataFinePeriodo", r_.date(n, "DataFinePeriodo"));
            put(row, "PrezzoUnitario", r_.number(n, "PrezzoUnitario"));
            put(row, "PrezzoTotale", r_.number(n, "PrezzoTotale"));
            put(row, "AliquotaIva", r_.number(n, "AliquotaIVA"));
            for (const char* name : {"Ritenuta", "Natura", "RiferimentoAmministrazione"})
                put(row, QLatin1String(name), r_.text(n, name));
            const int lineId = add(kLineTable, row);
            if (!number.isNull() && !lineIds_.contains(number.toInt()))
                lineIds_.insert(number.toInt(), lineId);

            for (const xmlNode* c : r_.blocks(n, "CodiceArticolo"))
                add(kLineTable + "_Codici", {{kLineKey, lineId},
                                             {"CodiceTipo", r_.text(c, "CodiceTipo")},
                                             {"CodiceValore", r_.text(c, "CodiceValore")}});
            for (const xmlNode* d : r_.blocks(n, "ScontoMaggiorazione")) {
                QVariantMap s = discount(d);
                s.insert(kLineKey, lineId);
                add(kLineTable + "_Sconto", s);
            }
            for (const xmlNode* o : r_.blocks(n, "AltriDatiGestionali")) {
                QVariantMap a{{kLineKey, lineId}};
                put(a, "TipoDato", r_.text(o, "TipoDato"));
                put(a, "RiferimentoTesto", r_.text(o, "RiferimentoTesto"));
                put(a, "RiferimentoNumero", r_.number(o, "RiferimentoNumero"));
                put(a, "RiferimentoData", r_.date(o, "RiferimentoData"));
                add(kLineTable + "_Altro", a);
            }
        }
    }

    void readSummaries(const xmlNode* goods) {
        for (const xmlNode* n : r_.blocks(goods, "DatiRiepilogo")) {
            QVariantMap row;
            put(row, "AliquotaIva", r_.number(n, "AliquotaIVA"));
            put(row, "Natura", r_.text(n, "Natura"));
            put(row, "SpeseAccessorie", r_.number(n, "SpeseAccessorie"));
            put(row, "Arrotondamento", r_.number(n, "Arrotondamento"));
            put(row, "ImponibileImporto", r_.number(n, "ImponibileImporto"));
            put(row, "Imposta", r_.number(n, "Imposta"));
            put(row, "EsigibilitaIva", r_.text(n, "EsigibilitaIVA"));
            put(row, "RiferimentoNormativo", r_.text(n, "RiferimentoNormativo"));
            add("PA_FE_Body_DatiBeniServizi_DatiRiepilogo", row);
        }
    }

    // The line references of a related document or delivery note, each pointing at its line
    // when the body has a line of that number.
    void readReferences(const xmlNode* n, const QString& table, int parentId) {
        for (const xmlNode* ref : r_.blocks(n, "RiferimentoNumeroLinea")) {
            bool ok = false;
            const int line = check::text(ref).trimmed().toInt(&ok);
            if (!ok)
                throw Refusal{QStringLiteral("%1: \"%2\" non è un numero di linea.")
                                  .arg(check::elementPath(ref), check::text(ref))};
            QVariantMap row{{table + "_Id", parentId}, {"RiferimentoNumeroLinea", line}};
            if (lineIds_.contains(line))
                row.insert("PA_FatturaElettronica_DatiBeniServizi_Id", lineIds_.value(line));
            add(table + "_Riferimenti", row);
        }
    }

    void readRelated(const xmlNode* general) {
        for (const RelatedGroup& group : kRelatedGroups) {
            const QString table = QString::fromLatin1(group.table);
            for (const xmlNode* n : r_.blocks(general, group.element)) {
                QVariantMap row;
                put(row, "IdDocumento", r_.text(n, "IdDocumento"));
                put(row, "Data", r_.date(n, "Data"));
                for (const char* name :
                     {"NumItem", "CodiceCommessaConvenzione", "CodiceCUP", "CodiceCIG"})
                    put(row, QLatin1String(name), r_.text(n, name));
                readReferences(n, table, add(table, row));
            }
        }
        for (const xmlNode* n : r_.blocks(general, "DatiSAL"))
            add("PA_FE_Body_DatiSAL", {{"RiferimentoFase", r_.integer(n, "RiferimentoFase")}});
        for (const xmlNode* n : r_.blocks(general, "DatiDDT")) {
            QVariantMap row;
            put(row, "NumeroDDT", r_.text(n, "NumeroDDT"));
            put(row, "DataDDT", r_.date(n, "DataDDT"));
            const QString table = QStringLiteral("PA_FE_Body_DatiDDT");
            readReferences(n, table, add(table, row));
        }
    }

    void readPayments(const xmlNode* body) {
        for (const xmlNode* n : r_.blocks(body, "DatiPagamento")) {
            const int paymentId = add("PA_FE_Body_DatiPagamento",
                                      {{"CondizioniPagamento", r_.text(n, "CondizioniPagamento")}});
            for (const xmlNode* d : r_.blocks(n, "DettaglioPagamento")) {
                QVariantMap row{{"PA_FE_Body_DatiPagamento_Id", paymentId}};
                put(row, "Beneficiario", r_.text(d, "Beneficiario"));
                put(row, "ModalitaPagamento", r_.text(d, "ModalitaPagamento"));
                put(row, "DataRiferimentoTerminiPagamento",
                    r_.date(d, "DataRiferimentoTerminiPagamento"));
                put(row, "GiorniTerminiPagamento", r_.integer(d, "GiorniTerminiPagamento"));
                put(row, "DataScadenzaPagamento", r_.date(d, "DataScadenzaPagamento"));
                put(row, "ImportoPagamento", r_.number(d, "ImportoPagamento"));
                for (const char* name :
                     {"CodUfficioPostale", "CognomeQuietanzante", "NomeQuietanzante",
                      "CFQuietanzante", "TitoloQuietanzante", "IstitutoFinanziario"})
                    put(row, QLatin1String(name), r_.text(d, name));
                put(row, "Iban", r_.text(d, "IBAN"));
                put(row, "Abi", r_.text(d, "ABI"));
                put(row, "Cab", r_.text(d, "CAB"));
                put(row, "Bic", r_.text(d, "BIC"));
                put(row, "ScontoPagamentoAnticipato", r_.number(d, "ScontoPagamentoAnticipato"));
                put(row, "DataLimitePagamentoAnticipato",
                    r_.date(d, "DataLimitePagamentoAnticipato"));
                put(row, "PenalitaPagamentiRitardati", r_.number(d, "PenalitaPagamentiRitardati"));
                put(row, "DataDecorrenzaPenale", r_.date(d, "DataDecorrenzaPenale"));
                put(row, "CodicePagamento", r_.text(d, "CodicePagamento"));
                add("PA_FE_Body_DatiPagamento_Dettaglio", row);
            }
        }
    }

    void readAttachments(const xmlNode* body) {
        for (const xmlNode* n : r_.blocks(body, "Allegati")) {
            QVariantMap row;
            const QString name = r_.text(n, "NomeAttachment").toString();
            row.insert("NomeAttachment", name);
            for (const char* element :
                 {"AlgoritmoCompressione", "FormatoAttachment", "DescrizioneAttachment"})
                put(row, QLatin1String(element), r_.text(n, element));
            QByteArray encoded = r_.text(n, "Attachment").toString().toLatin1();
            encoded.replace('\n', "").replace('\r', "").replace(' ', "").replace('\t', "");
            const auto decoded =
                QByteArray::fromBase64Encoding(encoded, QByteArray::AbortOnBase64DecodingErrors);
            if (!decoded)
                throw Refusal{QStringLiteral("L'allegato \"%1\" non è in base64.").arg(name)};
            if (!QDir().mkpath(folder_))
                throw DbError(QStringLiteral("Impossibile creare la cartella degli allegati %1.")
                                  .arg(QDir::toNativeSeparators(folder_)));
            const QString path = attachmentPath(folder_, name, written_.size() + 1);
            QFile file(path);
            if (!file.open(QIODevice::NewOnly) ||
                file.write(decoded.decoded) != decoded.decoded.size() || !file.flush()) {
                const QString why = italianReason(file.errorString());
                file.close();
                QFile::remove(path);
                throw DbError(QStringLiteral("Impossibile scrivere l'allegato %1: %2")
                                  .arg(QDir::toNativeSeparators(path), why));
            }
            file.close();
            written_ << path;
            row.insert("PercorsoCompleto", QDir::toNativeSeparators(path));
            add("PA_FE_Body_Allegati", row);
        }
    }

    Connection& db_;
    Reader& r_;
    QString folder_;
    QStringList& written_;
    int bodyId_ = 0;
    QHash<int, int> lineIds_;
};

struct XmlDocFree {
    void operator()(xmlDoc* d) const { xmlFreeDoc(d); }
};

bool stopsImport(const check::Finding& f) {
    return f.code == QLatin1String("00106") || f.code == QLatin1String("00200") ||
           f.code == QLatin1String("00201");
}

} // namespace

QString defaultAttachmentFolder(DataModule& data) {
    Connection& db = data.connessione();
    if (!db.isServer() && !db.path().isEmpty())
        return QDir(QFileInfo(db.path()).absolutePath())
            .filePath(QStringLiteral("Allegati importati"));
    return QDir(programFolder()).filePath(QStringLiteral("Allegati importati"));
}

ImportResult importInvoiceXml(DataModule& data, const QByteArray& xml, const QString& name,
                              const QString& attachmentFolder) {
    ImportResult result;
    result.file = name;
    result.outcome = ImportResult::Outcome::Refused;

    const check::XmlScreening screening = check::screenXml(xml);
    if (!screening.safe()) {
        result.error = screening.refusal();
        return result;
    }
    const check::Findings findings = check::checkInvoiceWhole(xml);
    for (const check::Finding& f : findings) {
        if (stopsImport(f)) {
            result.findings = findings;
            result.error = QStringLiteral("il file non è conforme allo schema FatturaPA.");
            return result;
        }
    }
    result.findings = findings;

    const std::unique_ptr<xmlDoc, XmlDocFree> doc(
        xmlReadMemory(xml.constData(), int(xml.size()), nullptr, nullptr, XML_PARSE_NONET));
    const xmlNode* root = doc ? xmlDocGetRootElement(doc.get()) : nullptr;
    if (!root) {
        result.error = QStringLiteral("il file non è un XML leggibile.");
        return result;
    }

    Connection& db = data.connessione();
    const QString baseFolder =
        attachmentFolder.isEmpty() ? defaultAttachmentFolder(data) : attachmentFolder;
    QStringList written;
    try {
        db.inTransaction([&] {
            // A retried transaction starts again from the file.
            for (const QString& path : std::as_const(written))
                QFile::remove(path);
            written.clear();
            Reader r;
            QStringList parties;
            QStringList notes;
            QVariantMap h;
            readHeader(r, r.block(root, "FatturaElettronicaHeader"), h, notes);

            const int number = DocumentRegister::nextNumber(data);
            const std::vector<xmlNode*> bodies = r.blocks(root, "FatturaElettronicaBody");
            h.insert("Numero", number);
            h.insert("DatiTrasmissione_ProgressivoInvio", QString::number(number));
            h.insert("Data", bodies.empty() ? QVariant()
                                            : r.date(bodies.front(), "DatiGenerali/"
                                                                     "DatiGeneraliDocumento/Data"));
            h.insert("Esportato", false);
            h.insert("EsportatoElenco", false);
            h.insert("Importato", QFileInfo(name).fileName());
            putCustomerNames(h);

            h.insert("CedentePrestatore_Id",
                     findOrAddParty(db, h, "PA_CedentePrestatore", "CedentePrestatore_Id",
                                    "CedentePrestatore_", {"CedentePrestatore_Id"},
                                    QStringLiteral("Cedente/prestatore"), parties));
            h.insert(
                "CessionarioCommittente_ID",
                findOrAddParty(db, h, "PA_CessionarioCommittente", "CessionarioCommittente_ID",
                               "CessionarioCommittente_",
                               {"CessionarioCommittente_ID", "CessionarioCommittente_IdFiscaleIva"},
                               QStringLiteral("Cessionario/committente"), parties));
            const int headerId = insertRow(db, "PA_FE_Header", h);
            db.exec(QStringLiteral("UPDATE opzioni SET UltimoProgressivoInvio = ?"), {number});

            const QString folder =
                QDir(baseFolder).filePath(QStringLiteral("Documento %1").arg(number));
            for (const xmlNode* body : bodies) {
                BodyImport import(db, r, folder, written);
                import.run(body, headerId);
            }

            result.documentId = headerId;
            result.number = number;
            result.bodies = int(bodies.size());
            result.parties = parties;
            result.notes = notes + r.notes;
            result.unplaced = r.unread(root);
            result.attachments = written;
        });
    } catch (const Refusal& refusal) {
        for (const QString& path : std::as_const(written))
            QFile::remove(path);
        result.error = refusal.text;
        return result;
    } catch (const DbError& e) {
        for (const QString& path : std::as_const(written))
            QFile::remove(path);
        result.outcome = ImportResult::Outcome::Failed;
        result.error = e.text();
        return result;
    }
    result.outcome = ImportResult::Outcome::Imported;
    return result;
}

ImportResult importInvoiceFile(DataModule& data, const QString& path,
                               const QString& attachmentFolder) {
    const render::InvoiceFile file = render::readInvoiceFile(path);
    if (!file.ok) {
        ImportResult result;
        result.file = path;
        result.outcome = ImportResult::Outcome::Failed;
        result.error = file.error;
        return result;
    }
    if (file.isSigned && !file.signature.intact) {
        ImportResult result;
        result.file = path;
        result.outcome = ImportResult::Outcome::Refused;
        result.error = QStringLiteral("la firma non corrisponde al contenuto (%1).")
                           .arg(file.signature.summary());
        return result;
    }
    ImportResult result = importInvoiceXml(data, file.xml, path, attachmentFolder);
    if (file.isSigned && result.imported())
        result.notes.prepend(file.signature.summary() + QLatin1Char('.'));
    return result;
}

QString ImportResult::summary() const {
    const QString shown = QDir::toNativeSeparators(file);
    QStringList lines;
    if (!imported()) {
        lines << QStringLiteral("%1: non importato, %2").arg(shown, error);
        for (const check::Finding& f : findings)
            lines << QStringLiteral("  ") +
                         QStringLiteral("%1 %2 %3").arg(f.code, f.element, f.message).simplified();
        return lines.join(QLatin1Char('\n'));
    }
    lines << QStringLiteral("%1: importato come documento n. %2 (%3 %4).")
                 .arg(shown)
                 .arg(number)
                 .arg(bodies)
                 .arg(bodies == 1 ? QStringLiteral("corpo") : QStringLiteral("corpi"));
    for (const QString& p : parties)
        lines << QStringLiteral("  ") + p;
    for (const QString& n : notes)
        lines << QStringLiteral("  ") + n;
    if (!unplaced.isEmpty())
        lines << QStringLiteral("  Elementi senza posto nell'archivio (non importati o non "
                                "riscritti nei file esportati): %1.")
                     .arg(unplaced.join(QLatin1String(", ")));
    for (const QString& a : attachments)
        lines << QStringLiteral("  Allegato salvato in %1.").arg(QDir::toNativeSeparators(a));
    for (const check::Finding& f : findings)
        lines
            << QStringLiteral("  Il controllo segnala %1 %2: %3").arg(f.code, f.element, f.message);
    return lines.join(QLatin1Char('\n'));
}

} // namespace brevalto
