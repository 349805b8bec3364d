#include "ExportTestSupport.h"

#include "store/Dataset.h"
#include "store/ProgramFolder.h"
#include "store/StoredValue.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSqlQuery>
#include <QStandardPaths>
#include <gtest/gtest.h>

namespace brevalto::test {

namespace {

QVariantMap merged(QVariantMap base, const QVariantMap& overrides) {
    for (auto it = overrides.begin(); it != overrides.end(); ++it)
        base.insert(it.key(), it.value());
    return base;
}

} // namespace

ExportArchive::ExportArchive(bool onFile) {
    programDir = folder.file(QStringLiteral("programma"));
    QDir().mkpath(programDir);
    qputenv("BREVALTO_HOME", programDir.toLocal8Bit());
    db().open(onFile ? copyOfNewFileArchive(folder) : copyOfNewArchive(folder));
    db().exec("update Ditta set CodFisc = 'rssmra80a01h501u', IdPaese = 'IT'");
    db().exec("update opzioni set CartellaEsportazioneDocumenti = ''");
}

ExportArchive::~ExportArchive() {
    qunsetenv("BREVALTO_HOME");
}

int ExportArchive::add(const QString& table, const QVariantMap& values) {
    QStringList columns;
    QStringList marks;
    QVariantList bound;
    for (auto it = values.begin(); it != values.end(); ++it) {
        columns << it.key();
        marks << QStringLiteral("?");
        bound << storedValue(it.value());
    }
    QSqlQuery q = db().execNative(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                          .arg(table, columns.join(", "), marks.join(", ")) +
                                      db().returningRowId(table),
                                  bound);
    return int(db().writtenRowId(q));
}

void ExportArchive::update(const QString& table, const QString& keyColumn, int id,
                           const QVariantMap& values) {
    QStringList sets;
    QVariantList bound;
    for (auto it = values.begin(); it != values.end(); ++it) {
        sets << it.key() + QStringLiteral(" = ?");
        bound << storedValue(it.value());
    }
    bound << id;
    db().execNative(
        QStringLiteral("UPDATE %1 SET %2 WHERE %3 = ?").arg(table, sets.join(", "), keyColumn),
        bound);
}

QVariant ExportArchive::read(const QString& table, const QString& keyColumn, int id,
                             const QString& column) {
    return db().scalar(
        QStringLiteral("select %1 from %2 where %3 = ?").arg(column, table, keyColumn), {id});
}

int ExportArchive::addDocument(const QVariantMap& overrides) {
    const int numero = db().scalar("select max(Numero) from PA_FE_Header").toInt() + 1;
    QVariantMap v{
        {"Numero", numero},
        {"Data", QDate(2024, 1, 15)},
        {"Esportato", false},
        {"DatiTrasmissione_IdPaese", "IT"},
        {"DatiTrasmissione_IdCodice", "RSSMRA80A01H501U"},
        {"DatiTrasmissione_ProgressivoInvio", QString::number(numero)},
        {"DatiTrasmissione_FormatoTrasmissione", "FPR12"},
        {"DatiTrasmissione_CodiceDestinatario", "ABC1234"},
        {"DatiTrasmissione_ContattiTrasmittente", false},
        {"CedentePrestatore_IdPaese", "IT"},
        {"CedentePrestatore_IdCodice", "01234567890"},
        {"CedentePrestatore_Denominazione", "Alfa Srl"},
        {"CedentePrestatore_RegimeFiscale", "RF01"},
        {"CedentePrestatore_Sede_Indirizzo", "Via Roma"},
        {"CedentePrestatore_Sede_NumeroCivico", "1"},
        {"CedentePrestatore_Sede_CAP", "00100"},
        {"CedentePrestatore_Sede_Comune", "Roma"},
        {"CedentePrestatore_Sede_Provincia", "RM"},
        {"CedentePrestatore_Sede_Nazione", "IT"},
        {"CedentePrestatore_StabileOrganizzazione", false},
        {"CedentePrestatore_Iscrizione_REA", false},
        {"CedentePrestatore_Iscrizione_Contatti", false},
        {"RappresentanteFiscale", false},
        {"CessionarioCommittente_IdFiscaleIva", true},
        {"CessionarioCommittente_IdPaese", "IT"},
        {"CessionarioCommittente_IdCodice", "09876543210"},
        {"CessionarioCommittente_Denominazione", "Beta Spa"},
        {"CessionarioCommittente_Sede_Indirizzo", "Corso Italia"},
        {"CessionarioCommittente_Sede_CAP", "20100"},
        {"CessionarioCommittente_Sede_Comune", "Milano"},
        {"CessionarioCommittente_Sede_Provincia", "MI"},
        {"CessionarioCommittente_Sede_Nazione", "IT"},
        {"CessionarioCommittente_StabileOrganizzazione", false},
        {"CessionarioCommittente_RappresentanteFiscale", false},
        {"CessionarioCommittente_PubblicaAmministrazione", false},
        {"TerzoIntermediarioOSoggettoEmittente", false},
        {"TerzoIntermediarioOSoggettoEmittente_IdFiscaleIVA", false},
    };
    return add("PA_FE_Header", merged(v, overrides));
}

int ExportArchive::addBody(int headerId, const QVariantMap& overrides) {
    const QVariantMap v{
        {"PA_FE_Header_Id", headerId},  {"DatiGenerali_TipoDocumento", "TD01"},
        {"DatiGenerali_Divisa", "EUR"}, {"DatiGenerali_Data", QDate(2024, 1, 15)},
        {"DatiGenerali_Numero", "1"},   {"DatiGenerali_DatiBollo", false},
        {"DatiTrasporto", false},       {"DatiAnagraficiVettore", false},
        {"IndirizzoResa", false},       {"FatturaPrincipale", false},
        {"DatiVeicoli", false},
    };
    return add("PA_FE_Body", merged(v, overrides));
}

int ExportArchive::addLine(int bodyId, int numeroLinea, const QVariantMap& overrides) {
    const QVariantMap v{
        {"PA_FE_Body_Id", bodyId}, {"NumeroLinea", numeroLinea}, {"Descrizione", "Consulenza"},
        {"PrezzoUnitario", 100.0}, {"PrezzoTotale", 100.0},      {"AliquotaIva", 22.0},
    };
    return add("PA_FE_Body_DatiBeniServizi_DettaglioLinee", merged(v, overrides));
}

int ExportArchive::addSummary(int bodyId, const QVariantMap& overrides) {
    const QVariantMap v{
        {"PA_FE_Body_Id", bodyId}, {"AliquotaIva", 22.0},   {"ImponibileImporto", 100.0},
        {"Imposta", 22.0},         {"EsigibilitaIva", "I"},
    };
    return add("PA_FE_Body_DatiBeniServizi_DatiRiepilogo", merged(v, overrides));
}

int ExportArchive::addCompleteBody(int headerId, const QVariantMap& overrides) {
    const int body = addBody(headerId, overrides);
    addLine(body, 1);
    addSummary(body);
    return body;
}

CommandRun ExportArchive::runOnClosedArchive(CommandFunction command, const QStringList& args) {
    const QString location = db().path();
    data.closeAllDatasets();
    db().close();
    CommandRun run = runCommand(command, args);
    db().open(location);
    return run;
}

void ExportArchive::select(int headerId) {
    for (const char* name : {"TableDitta", "TableOpzioni", "TablePA_FE_Header"})
        data.table(name).open();
    Dataset& header = data.table("TablePA_FE_Header");
    ASSERT_TRUE(header.locate("id", headerId)) << "no document " << headerId;
    data.loadBodies();
}

ExportDriver::Outcome ExportArchive::exportTo(const QString& path, ScriptedPrompt& prompt,
                                              ExportDriver::CheckMode check) {
    ExportDriver driver(data, prompt);
    driver.setCheckMode(check);
    return driver.exportTo(path);
}

QDomDocument ExportArchive::exportDocument(int headerId, const QString& name) {
    select(headerId);
    ScriptedPrompt prompt;
    const QString path = folder.file(name);
    const ExportDriver::Outcome outcome = exportTo(path, prompt);
    EXPECT_EQ(outcome, ExportDriver::Outcome::Written)
        << prompt.messages().join("\n").toStdString();
    return parseXml(readFile(path));
}

QString ExportArchive::makeFile(const QString& name, const QByteArray& content) {
    const QString path = folder.file(name);
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(content) != content.size())
        ADD_FAILURE() << "cannot write " << path.toStdString();
    return path;
}

QByteArray readFile(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

QDomDocument parseXml(const QByteArray& text) {
    QDomDocument doc;
    const auto result = doc.setContent(text);
    if (!result)
        ADD_FAILURE() << "not well-formed XML";
    return doc;
}

QList<QDomElement> elementsAt(const QDomDocument& doc, const QString& path) {
    QList<QDomElement> current{doc.documentElement()};
    for (const QString& rawStep : path.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        QString step = rawStep;
        int index = 0;
        const qsizetype bracket = step.indexOf(QLatin1Char('['));
        if (bracket > 0) {
            index = step.mid(bracket + 1, step.size() - bracket - 2).toInt();
            step = step.left(bracket);
        }
        QList<QDomElement> next;
        for (const QDomElement& e : current) {
            int seen = 0;
            for (QDomElement c = e.firstChildElement(step); !c.isNull();
                 c = c.nextSiblingElement(step)) {
                ++seen;
                if (index == 0 || seen == index)
                    next << c;
            }
        }
        current = next;
    }
    return current;
}

QStringList textsAt(const QDomDocument& doc, const QString& path) {
    QStringList texts;
    for (const QDomElement& e : elementsAt(doc, path))
        texts << e.text();
    return texts;
}

QString textAt(const QDomDocument& doc, const QString& path) {
    const QStringList texts = textsAt(doc, path);
    if (texts.size() != 1) {
        ADD_FAILURE() << path.toStdString() << ": " << texts.size() << " elements";
        return QStringLiteral("<%1 elements>").arg(texts.size());
    }
    return texts.first();
}

bool existsAt(const QDomDocument& doc, const QString& path) {
    return !elementsAt(doc, path).isEmpty();
}

QStringList childNames(const QDomElement& element) {
    QStringList names;
    for (QDomElement c = element.firstChildElement(); !c.isNull(); c = c.nextSiblingElement())
        names << c.tagName();
    return names;
}

QStringList childNamesAt(const QDomDocument& doc, const QString& path) {
    const QList<QDomElement> found = elementsAt(doc, path);
    if (found.size() != 1) {
        ADD_FAILURE() << path.toStdString() << ": " << found.size() << " elements";
        return {};
    }
    return childNames(found.first());
}

// ---- scenarios ----

int scenarioPrivateBuyerWithPec(ExportArchive& a) {
    const int doc =
        a.addDocument({{"DatiTrasmissione_CodiceDestinatario", ""},
                       {"CessionarioCommittente_Pec", "beta@pec.example.it"},
                       {"DatiTrasmissione_ContattiTrasmittente", true},
                       {"DatiTrasmissione_ContattiTrasmittente_Telefono", "0612345678"},
                       {"DatiTrasmissione_ContattiTrasmittente_Email", "info@alfa.it"}});
    a.addCompleteBody(doc);
    return doc;
}

int scenarioPublicAdministration(ExportArchive& a) {
    const int doc = a.addDocument({{"DatiTrasmissione_FormatoTrasmissione", "FPA12"},
                                   {"CessionarioCommittente_PubblicaAmministrazione", true},
                                   {"DatiTrasmissione_CodiceDestinatario", "UFABCD"},
                                   {"CessionarioCommittente_Pec", "comune@pec.example.it"},
                                   {"CessionarioCommittente_IdCodice", "80012345678"},
                                   {"CessionarioCommittente_CodiceFiscale", "80012345678"},
                                   {"CessionarioCommittente_Denominazione", "Comune di Prova"}});
    const int body = a.addCompleteBody(doc);
    a.add("PA_FE_Body_DatiOrdineAcquisto", {{"PA_FE_Body_Id", body},
                                            {"IdDocumento", "ORD-7"},
                                            {"CodiceCUP", "J11B12000000001"},
                                            {"CodiceCIG", "Z1A2B3C4D5"}});
    return doc;
}

int scenarioForeignBuyerTaxCodeOnly(ExportArchive& a) {
    const int doc = a.addDocument({{"CessionarioCommittente_IdFiscaleIva", false},
                                   {"CessionarioCommittente_IdPaese", "DE"},
                                   {"CessionarioCommittente_IdCodice", ""},
                                   {"CessionarioCommittente_CodiceFiscale", "de123abc456"},
                                   {"CessionarioCommittente_Sede_CAP", "10115"},
                                   {"CessionarioCommittente_Sede_Comune", "Berlin"},
                                   {"CessionarioCommittente_Sede_Provincia", ""},
                                   {"CessionarioCommittente_Sede_Nazione", "DE"},
                                   {"DatiTrasmissione_CodiceDestinatario", "XXXXXXX"}});
    a.addCompleteBody(doc);
    return doc;
}

int scenarioPersonWithTitle(ExportArchive& a) {
    const int doc = a.addDocument({{"CedentePrestatore_Denominazione", ""},
                                   {"CedentePrestatore_Nome", "Mario"},
                                   {"CedentePrestatore_Cognome", "Rossi"},
                                   {"CedentePrestatore_Titolo", "Dott."},
                                   {"CedentePrestatore_CodiceFiscale", "rssmra80a01h501u"},
                                   {"CedentePrestatore_RegimeFiscale", "RF19"},
                                   {"CessionarioCommittente_IdFiscaleIva", false},
                                   {"CessionarioCommittente_IdCodice", ""},
                                   {"CessionarioCommittente_CodiceFiscale", "vrdlgu75b02f205x"},
                                   {"CessionarioCommittente_Denominazione", ""},
                                   {"CessionarioCommittente_Nome", "Luigi"},
                                   {"CessionarioCommittente_Cognome", "Verdi"}});
    a.addCompleteBody(doc);
    return doc;
}

int scenarioNoOptionalBlock(ExportArchive& a) {
    const int doc = a.addDocument();
    a.addCompleteBody(doc);
    return doc;
}

// Figures typed with more decimals than the file admits, and a price too small for fixed notation.
int scenarioFiguresWithSurplusDecimals(ExportArchive& a) {
    const int doc = a.addDocument();
    const int body =
        a.addBody(doc, {{"ImportoTotaleDocumento", 122.005}, {"Arrotondamento", 0.005}});
    a.addLine(body, 1,
              {{"Quantita", 3.123456789},
               {"PrezzoUnitario", 32.0123456789},
               {"PrezzoTotale", 99.990000001},
               {"AliquotaIva", 22.004}});
    a.addLine(body, 2, {{"PrezzoUnitario", 0.0000001}, {"PrezzoTotale", 0.0000001}});
    a.addSummary(body, {{"ImponibileImporto", 100.0000001}, {"Imposta", 22.0049}});
    return doc;
}

int scenarioEveryOptionalBlock(ExportArchive& a) {
    const int doc = a.addDocument({
        {"DatiTrasmissione_ContattiTrasmittente", true},
        {"DatiTrasmissione_ContattiTrasmittente_Telefono", "0612345678"},
        {"DatiTrasmissione_ContattiTrasmittente_Email", "info@alfa.it"},
        {"CedentePrestatore_CodiceFiscale", "01234567890"},
        {"CedentePrestatore_AlboProfessionale", "Ingegneri"},
        {"CedentePrestatore_ProvinciaAlbo", "RM"},
        {"CedentePrestatore_NumeroIscrizioneAlbo", "A123"},
        {"CedentePrestatore_DataIscrizioneAlbo", QDate(2001, 5, 6)},
        {"CedentePrestatore_StabileOrganizzazione", true},
        {"CedentePrestatore_StabileOrganizzazione_Indirizzo", "Via Po"},
        {"CedentePrestatore_StabileOrganizzazione_NumeroCivico", "2B"},
        {"CedentePrestatore_StabileOrganizzazione_CAP", "10100"},
        {"CedentePrestatore_StabileOrganizzazione_Comune", "Torino"},
        {"CedentePrestatore_StabileOrganizzazione_Provincia", "TO"},
        {"CedentePrestatore_StabileOrganizzazione_Nazione", "IT"},
        {"CedentePrestatore_Iscrizione_REA", true},
        {"CedentePrestatore_Iscrizione_REA_Ufficio", "RM"},
        {"CedentePrestatore_Iscrizione_REA_NumeroREA", "123456"},
        {"CedentePrestatore_Iscrizione_REA_CapitaleSociale", 10000.0},
        {"CedentePrestatore_Iscrizione_REA_SocioUnico", "SU"},
        {"CedentePrestatore_Iscrizione_REA_StatoLiquidazione", "LN"},
        {"CedentePrestatore_Iscrizione_Contatti", true},
        {"CedentePrestatore_Contatti_Telefono", "0611111"},
        {"CedentePrestatore_Contatti_Fax", "0622222"},
        {"CedentePrestatore_Contatti_Email", "amm@alfa.it"},
        {"CedentePrestatore_RiferimentoAmministrazione", "RIF-AMM"},
        {"RappresentanteFiscale", true},
        {"RappresentanteFiscale_DatiAnagrafici_IdPaese", "IT"},
        {"RappresentanteFiscale_DatiAnagrafici_IdCodice", "11122233344"},
        {"RappresentanteFiscale_DatiAnagrafici_CodiceFiscale", "11122233344"},
        {"RappresentanteFiscale_DatiAnagrafici_Denominazione", "Rappresentanze Srl"},
        {"CessionarioCommittente_CodiceFiscale", "09876543210"},
        {"CessionarioCommittente_StabileOrganizzazione", true},
        {"CessionarioCommittente_StabileOrganizzazione_Indirizzo", "Via Dante"},
        {"CessionarioCommittente_StabileOrganizzazione_CAP", "40100"},
        {"CessionarioCommittente_StabileOrganizzazione_Comune", "Bologna"},
        {"CessionarioCommittente_StabileOrganizzazione_Nazione", "IT"},
        {"CessionarioCommittente_RappresentanteFiscale", true},
        {"CessionarioCommittente_RappresentanteFiscale_Nazione", "IT"},
        {"CessionarioCommittente_RappresentanteFiscale_IdCodice", "55566677788"},
        {"CessionarioCommittente_RappresentanteFiscale_Nome", "Anna"},
        {"CessionarioCommittente_RappresentanteFiscale_Cognome", "Bianchi"},
        {"TerzoIntermediarioOSoggettoEmittente", true},
        {"TerzoIntermediarioOSoggettoEmittente_IdFiscaleIVA", true},
        {"TerzoIntermediarioOSoggettoEmittente_IdPaese", "IT"},
        {"TerzoIntermediarioOSoggettoEmittente_IdCodice", "99988877766"},
        {"TerzoIntermediarioOSoggettoEmittente_CodiceFiscale", "bncnna70c41l219k"},
        {"TerzoIntermediarioOSoggettoEmittente_Nome", "Carla"},
        {"TerzoIntermediarioOSoggettoEmittente_Cognome", "Neri"},
        {"TerzoIntermediarioOSoggettoEmittente_Titolo", "Rag."},
        {"TerzoIntermediarioOSoggettoEmittente_CodEORI", "IT123456789012"},
        {"SoggettoEmittente", "TZ"},
    });
    const int body =
        a.addBody(doc, {
                           {"DatiGenerali_DatiBollo", true},
                           {"DatiGenerali_DatiBollo_BolloVirtuale", "SI"},
                           {"DatiGenerali_DatiBollo_ImportoBollo", 2.0},
                           {"ImportoTotaleDocumento", 146.2},
                           {"Arrotondamento", 0.01},
                           {"Art73", "si"},
                           {"DatiTrasporto", true},
                           {"DatiAnagraficiVettore", true},
                           {"Vettore_IdPaese", "IT"},
                           {"Vettore_IdCodice", "44455566677"},
                           {"Vettore_CodiceFiscale", "44455566677"},
                           {"Vettore_Denominazione", "Trasporti Veloci Srl"},
                           {"Vettore_NumeroLicenzaGuida", "LIC-1"},
                           {"MezzoTrasporto", "Autocarro"},
                           {"CausaleTrasporto", "Vendita"},
                           {"NumeroColli", 3},
                           {"Descrizione", "Merce varia"},
                           {"UnitaMisuraPeso", "KG"},
                           {"PesoLordo", 12.5},
                           {"PesoNetto", 10.0},
                           {"DataOraRitiro", QDateTime(QDate(2019, 3, 7), QTime(14, 30))},
                           {"DataInizioTrasporto", QDate(2019, 3, 7)},
                           {"TipoResa", "EXW"},
                           {"IndirizzoResa", true},
                           {"Resa_Indirizzo", "Via Appia"},
                           {"Resa_NumeroCivico", "10"},
                           {"Resa_CAP", "00178"},
                           {"Resa_Comune", "Roma"},
                           {"Resa_Provincia", "RM"},
                           {"Resa_Nazione", "IT"},
                           {"DataOraConsegna", QDateTime(QDate(2019, 3, 8), QTime(9, 5, 7))},
                           {"FatturaPrincipale", true},
                           {"NumeroFatturaPrincipale", "FP-1"},
                           {"DataFatturaPrincipale", QDate(2019, 2, 1)},
                           {"DatiVeicoli", true},
                           {"DatiVeicoli_Data", QDate(2018, 6, 1)},
                           {"DatiVeicoli_TotalePercorso", "12000"},
                       });
    // Withholding (one row without a type, left out), pension fund, document discounts, causali.
    a.add("PA_FE_Body_DatiRitenuta", {{"PA_FE_Body_Id", body},
                                      {"TipoRitenuta", "RT01"},
                                      {"ImportoRitenuta", 20.0},
                                      {"AliquotaRitenuta", 20.0},
                                      {"CausalePagamento", "A"}});
    a.add("PA_FE_Body_DatiRitenuta", {{"PA_FE_Body_Id", body}, {"TipoRitenuta", ""}});
    a.add("PA_FE_Body_DatiCassaPrevidenziale", {{"PA_FE_Body_Id", body},
                                                {"TipoCassa", "TC22"},
                                                {"AlCassa", 4.0},
                                                {"ImportoContributoCassa", 4.0},
                                                {"ImponibileCassa", 100.0},
                                                {"AliquotaIva", 22.0},
                                                {"Ritenuta", "si"},
                                                {"RiferimentoAmministrazione", "CASSA-1"}});
    a.add("PA_FE_Body_ScontoMaggiorazione",
          {{"PA_FE_Body_Id", body}, {"Tipo", "SC"}, {"Percentuale", 5.0}, {"Importo", 5.0}});
    a.add("PA_FE_Body_ScontoMaggiorazione", {{"PA_FE_Body_Id", body}, {"Tipo", ""}});
    a.add("PA_FE_Body_Causali", {{"PA_FE_Body_Id", body}, {"Descrizione", "Prima causale"}});
    a.add("PA_FE_Body_Causali", {{"PA_FE_Body_Id", body}, {"Descrizione", "Seconda causale"}});

    // Lines first, so that the references below can name them.
    const int line1 = a.addLine(body, 1,
                                {{"TipoCessionePrestazione", "AC"},
                                 {"Quantita", 1.5},
                                 {"UnitaMisura", "ORE"},
                                 {"DataInizioPeriodo", QDate(2024, 1, 1)},
                                 {"DataFinePeriodo", QDate(2024, 1, 31)},
                                 {"PrezzoUnitario", 10.12345678},
                                 {"PrezzoTotale", 12.93518517}, // (10.12345678 - 1.50) × 1.5
                                 {"Ritenuta", "si"},
                                 {"RiferimentoAmministrazione", "RIGA-1"}});
    const QString lineKey = QStringLiteral("PA_FE_Body_DatiBeniServizi_DettaglioLinee_Id");
    a.add("PA_FE_Body_DatiBeniServizi_DettaglioLinee_Codici", {{"PA_FE_Body_Id", body},
                                                               {lineKey, line1},
                                                               {"CodiceTipo", "EAN"},
                                                               {"CodiceValore", "8001234567890"}});
    a.add("PA_FE_Body_DatiBeniServizi_DettaglioLinee_Codici",
          {{"PA_FE_Body_Id", body}, {lineKey, line1}, {"CodiceTipo", "INT"}, {"CodiceValore", ""}});
    a.add("PA_FE_Body_DatiBeniServizi_DettaglioLinee_Sconto", {{"PA_FE_Body_Id", body},
                                                               {lineKey, line1},
                                                               {"Tipo", "SC"},
                                                               {"Percentuale", 10.0},
                                                               {"Importo", 1.5}});
    a.add("PA_FE_Body_DatiBeniServizi_DettaglioLinee_Altro",
          {{"PA_FE_Body_Id", body},
           {lineKey, line1},
           {"TipoDato", "COMMESSA"},
           {"RiferimentoTesto", "C-77"},
           {"RiferimentoNumero", 77.5},
           {"RiferimentoData", QDate(2024, 1, 2)}});
    a.add("PA_FE_Body_DatiBeniServizi_DettaglioLinee_Altro",
          {{"PA_FE_Body_Id", body}, {lineKey, line1}, {"TipoDato", "SOLO"}});
    const int line2 = a.addLine(
        body, 2,
        {{"AliquotaIva", 0.0}, {"Natura", "N4"}, {"PrezzoTotale", 30.0}, {"PrezzoUnitario", 30.0}});
    // With the pension fund and the rounding, the 22% lines add up to the summary's 100.00.
    a.addLine(body, 3,
              {{"Descrizione", "Materiale"}, {"PrezzoUnitario", 82.32}, {"PrezzoTotale", 82.32}});
    a.addSummary(body, {{"AliquotaIva", 22.0},
                        {"SpeseAccessorie", 1.0},
                        {"Arrotondamento", 0.01},
                        {"ImponibileImporto", 100.0},
                        {"Imposta", 22.0}});
    a.addSummary(body, {{"AliquotaIva", 0.0},
                        {"Natura", "N4"},
                        {"ImponibileImporto", 30.0},
                        {"Imposta", 0.0},
                        {"EsigibilitaIva", ""},
                        {"RiferimentoNormativo", "Art. 10 DPR 633/72"}});

    // One row of every related-document group, each referring to the lines.
    const char* groups[] = {"DatiOrdineAcquisto", "DatiContratto", "DatiConvenzione",
                            "DatiRicezione", "DatiFattureCollegate"};
    for (const char* g : groups) {
        const QString table = QStringLiteral("PA_FE_Body_") + g;
        const int row = a.add(table, {{"PA_FE_Body_Id", body},
                                      {"IdDocumento", QStringLiteral("%1-1").arg(g).left(20)},
                                      {"Data", QDate(2023, 12, 1)},
                                      {"NumItem", "5"},
                                      {"CodiceCommessaConvenzione", "COMM-1"},
                                      {"CodiceCUP", "J11B12000000001"},
                                      {"CodiceCIG", "Z1A2B3C4D5"}});
        for (int line : {1, 2})
            a.add(table + "_Riferimenti",
                  {{"PA_FE_Body_Id", body},
                   {table + "_Id", row},
                   {"RiferimentoNumeroLinea", line},
                   {"PA_FatturaElettronica_DatiBeniServizi_Id", line == 1 ? line1 : line2}});
    }
    a.add("PA_FE_Body_DatiSAL", {{"PA_FE_Body_Id", body}, {"RiferimentoFase", 1}});
    const int ddt =
        a.add("PA_FE_Body_DatiDDT",
              {{"PA_FE_Body_Id", body}, {"NumeroDDT", "DDT-9"}, {"DataDDT", QDate(2024, 1, 10)}});
    a.add("PA_FE_Body_DatiDDT_Riferimenti",
          {{"PA_FE_Body_Id", body}, {"PA_FE_Body_DatiDDT_Id", ddt}, {"RiferimentoNumeroLinea", 1}});

    // Payment in full with every detail; instalments with two rows.
    const int full = a.add("PA_FE_Body_DatiPagamento",
                           {{"PA_FE_Body_Id", body}, {"CondizioniPagamento", "TP02"}});
    a.add("PA_FE_Body_DatiPagamento_Dettaglio",
          {{"PA_FE_Body_Id", body},
           {"PA_FE_Body_DatiPagamento_Id", full},
           {"Beneficiario", "Alfa Srl"},
           {"ModalitaPagamento", "MP05"},
           {"DataRiferimentoTerminiPagamento", QDate(2024, 1, 15)},
           {"GiorniTerminiPagamento", 30},
           {"DataScadenzaPagamento", QDate(2024, 2, 14)},
           {"ImportoPagamento", 146.2},
           {"CodUfficioPostale", "UP1"},
           {"CognomeQuietanzante", "Rossi"},
           {"NomeQuietanzante", "Mario"},
           {"CFQuietanzante", "RSSMRA80A01H501U"},
           {"TitoloQuietanzante", "Dott."},
           {"IstitutoFinanziario", "Banca Esempio"},
           {"Iban", "IT60X0542811101000000123456"},
           {"Abi", "05428"},
           {"Cab", "11101"},
           {"Bic", "BPPIITRRXXX"},
           {"ScontoPagamentoAnticipato", 1.0},
           {"DataLimitePagamentoAnticipato", QDate(2024, 1, 31)},
           {"PenalitaPagamentiRitardati", 2.0},
           {"DataDecorrenzaPenale", QDate(2024, 3, 1)},
           {"CodicePagamento", "PAG-1"}});
    const int split = a.add("PA_FE_Body_DatiPagamento",
                            {{"PA_FE_Body_Id", body}, {"CondizioniPagamento", "TP01"}});
    for (int i = 0; i < 2; ++i)
        a.add("PA_FE_Body_DatiPagamento_Dettaglio", {{"PA_FE_Body_Id", body},
                                                     {"PA_FE_Body_DatiPagamento_Id", split},
                                                     {"ModalitaPagamento", "MP01"},
                                                     {"ImportoPagamento", 73.1}});

    a.add("PA_FE_Body_Allegati",
          {{"PA_FE_Body_Id", body},
           {"NomeAttachment", "contratto.pdf"},
           {"AlgoritmoCompressione", "ZIP"},
           {"FormatoAttachment", "PDF"},
           {"DescrizioneAttachment", "Contratto firmato"},
           {"PercorsoCompleto", a.makeFile("contratto.pdf", "%PDF-1.4 prova")}});
    a.add("PA_FE_Body_Allegati", {{"PA_FE_Body_Id", body},
                                  {"NomeAttachment", "senza-percorso.txt"},
                                  {"DescrizioneAttachment", "ignorato"},
                                  {"PercorsoCompleto", ""}});
    return doc;
}

int scenarioTwoBodies(ExportArchive& a) {
    const int doc = a.addDocument();
    for (int n = 1; n <= 2; ++n) {
        const int body = a.addBody(doc, {{"DatiGenerali_Numero", QString::number(n)}});
        a.addLine(body, 1,
                  {{"Descrizione", QStringLiteral("Riga del corpo %1").arg(n)},
                   {"PrezzoUnitario", 100.0 * n},
                   {"PrezzoTotale", 100.0 * n}});
        a.addSummary(body, {{"ImponibileImporto", 100.0 * n}, {"Imposta", 22.0 * n}});
        const int pay = a.add("PA_FE_Body_DatiPagamento",
                              {{"PA_FE_Body_Id", body}, {"CondizioniPagamento", "TP02"}});
        a.add("PA_FE_Body_DatiPagamento_Dettaglio", {{"PA_FE_Body_Id", body},
                                                     {"PA_FE_Body_DatiPagamento_Id", pay},
                                                     {"ModalitaPagamento", "MP01"},
                                                     {"ImportoPagamento", 122.0 * n}});
        a.add("PA_FE_Body_Allegati",
              {{"PA_FE_Body_Id", body},
               {"NomeAttachment", QStringLiteral("corpo%1.txt").arg(n)},
               {"PercorsoCompleto", a.makeFile(QStringLiteral("corpo%1.txt").arg(n),
                                               QByteArray("body ") + QByteArray::number(n))}});
    }
    return doc;
}

int scenarioReferencesInKeyOrder(ExportArchive& a) {
    const int doc = a.addDocument();
    const int body = a.addBody(doc);
    a.addLine(body, 9999);
    a.addSummary(body);
    const int order =
        a.add("PA_FE_Body_DatiOrdineAcquisto", {{"PA_FE_Body_Id", body}, {"IdDocumento", "ORD-1"}});
    // Inserted out of numeric order: they come back in key order.
    for (int line : {10, 1, 9999})
        a.add("PA_FE_Body_DatiOrdineAcquisto_Riferimenti",
              {{"PA_FE_Body_Id", body},
               {"PA_FE_Body_DatiOrdineAcquisto_Id", order},
               {"RiferimentoNumeroLinea", line}});
    const int ddt = a.add("PA_FE_Body_DatiDDT", {{"PA_FE_Body_Id", body}, {"NumeroDDT", "7"}});
    a.add("PA_FE_Body_DatiDDT_Riferimenti", {{"PA_FE_Body_Id", body},
                                             {"PA_FE_Body_DatiDDT_Id", ddt},
                                             {"RiferimentoNumeroLinea", 9999}});
    return doc;
}

int scenarioSmallAttachments(ExportArchive& a) {
    const int doc = a.addDocument();
    const int body = a.addCompleteBody(doc);
    // Inserted in reverse: the dataset orders them by name.
    for (int size = 3; size >= 0; --size) {
        const QString name = QStringLiteral("a%1.bin").arg(size);
        a.add("PA_FE_Body_Allegati",
              {{"PA_FE_Body_Id", body},
               {"NomeAttachment", name},
               {"PercorsoCompleto", a.makeFile(name, QByteArray("abc").left(size))}});
    }
    return doc;
}

const QList<Scenario>& validScenarios() {
    static const QList<Scenario> scenarios = {
        {"PrivateBuyerWithPec", scenarioPrivateBuyerWithPec},
        {"PublicAdministration", scenarioPublicAdministration},
        {"ForeignBuyerTaxCodeOnly", scenarioForeignBuyerTaxCodeOnly},
        {"PersonWithTitle", scenarioPersonWithTitle},
        {"EveryOptionalBlock", scenarioEveryOptionalBlock},
        {"NoOptionalBlock", scenarioNoOptionalBlock},
        {"TwoBodies", scenarioTwoBodies},
        {"ReferencesInKeyOrder", scenarioReferencesInKeyOrder},
        {"SmallAttachments", scenarioSmallAttachments},
        {"FiguresWithSurplusDecimals", scenarioFiguresWithSurplusDecimals},
    };
    return scenarios;
}

} // namespace brevalto::test
