#include "documents/BodySections.h"

#include "store/DataModule.h"
#include "store/DatasetNames.h"
#include "store/Prompt.h"
#include "store/Saving.h"
#include "ui/BoundInputs.h"
#include "ui/EditorBase.h"

#include <QGridLayout>
#include <QLocale>

namespace brevalto {

namespace {

using Kind = SectionStart::Kind;

const QString kBody = QStringLiteral("PA_FE_Body_");

QList<GridColumn> linkedDocumentColumns() {
    return {{"IdDocumento", "IdDocumento", 95},
            {"Data", "Data", 80},
            {"NumItem", "NumItem", 65},
            {"CodiceCommessaConvenzione", "Codice Commessa-Convenzione", 175},
            {"CodiceCUP", "CodiceCUP", 100},
            {"CodiceCIG", "CodiceCIG", 100}};
}

// A linked-document section (orders, contracts, agreements, receipts, linked invoices): they
// differ only in their block name, caption, question and batch behaviour.
BodySection linkedDocument(const QString& block, const QString& title, const QString& question,
                           bool skippedInBatch) {
    BodySection s;
    s.title = title;
    s.dataset = QStringLiteral("Table") + kBody + block;
    s.table = kBody + block;
    s.tab = 4;
    s.columns = linkedDocumentColumns();
    s.start = {{QStringLiteral("Data"), Kind::Today, {}}};
    s.markModified = true;
    s.showAnnulla = true;
    s.secondLevel = {{s.dataset + QStringLiteral("_Riferimenti"),
                      s.table + QStringLiteral("_Riferimenti"), s.table + QStringLiteral("_Id"),
                      QStringLiteral(" order by RiferimentoNumeroLinea")}};
    s.skippedInBatch = skippedInBatch;
    s.deleteQuestion = question;
    s.honoursSilentDelete = true;
    return s;
}

QList<BodySection> makeSections() {
    QList<BodySection> list;
    {
        BodySection s;
        s.title = QStringLiteral("Sconto Maggiorazione");
        s.dataset = ds::PA_FE_Body_ScontoMaggiorazione;
        s.table = QStringLiteral("PA_FE_Body_ScontoMaggiorazione");
        s.columns = {
            {"Tipo", "Tipo", 60}, {"Percentuale", "Percentuale", 80}, {"Importo", "Importo", 90}};
        s.start = {{QStringLiteral("Percentuale"), Kind::Fixed, 0}};
        s.clearFilter = true;
        s.markModified = true;
        s.skippedInBatch = true;
        s.deleteQuestion = QStringLiteral(
            "Sei sicuro di voler eliminare il Record dello Sconto - Maggiorazione ?");
        list << s;
    }
    {
        BodySection s;
        s.title = QStringLiteral("Dati Cassa Previdenziale");
        s.dataset = ds::PA_FE_Body_DatiCassaPrevidenziale;
        s.table = QStringLiteral("PA_FE_Body_DatiCassaPrevidenziale");
        s.columns = {{"TipoCassa", "Tipo", 60},
                     {"AlCassa", "Aliquota", 70},
                     {"ImportoContributoCassa", "Importo", 90},
                     {"AliquotaIva", "Aliquota Iva", 80},
                     {"ImponibileCassa", "Imponibile", 90}};
        s.start = {{QStringLiteral("AlCassa"), Kind::Fixed, 0}};
        s.personalizzazioni = s.table;
        s.clearFilter = true;
        s.markModified = true;
        s.deleteQuestion =
            QStringLiteral("Sei sicuro di voler eliminare il Record della cassa previdenziale ?");
        list << s;
    }
    {
        BodySection s;
        s.title = QStringLiteral("Causali");
        s.dataset = ds::PA_FE_Body_Causale;
        s.table = QStringLiteral("PA_FE_Body_Causali");
        s.columns = {{"Descrizione", "Causale", 330}};
        s.clearFilter = true;
        s.markModified = true;
        s.deleteQuestion =
            QStringLiteral("Sei sicuro di voler eliminare il Record della causale ?");
        list << s;
    }
    {
        BodySection s;
        s.title = QStringLiteral("Dati Ritenute");
        s.dataset = ds::PA_FE_Body_DatiRitenuta;
        s.table = QStringLiteral("PA_FE_Body_DatiRitenuta");
        s.columns = {{"TipoRitenuta", "Tipo", 60},
                     {"ImportoRitenuta", "Importo", 90},
                     {"AliquotaRitenuta", "Aliquota", 70},
                     {"CausalePagamento", "Causale", 70}};
        s.start = {{QStringLiteral("ImportoRitenuta"), Kind::Fixed, 0}};
        s.personalizzazioni = s.table;
        s.clearFilter = true;
        s.markModified = true;
        s.deleteQuestion =
            QStringLiteral("Sei sicuro di voler eliminare il Record della ritenuta ?");
        list << s;
    }
    {
        BodySection s;
        s.title = QStringLiteral("Dettaglio Linee");
        s.dataset = ds::PA_FE_Body_DatiBeniServizi_DettaglioLinee;
        s.table = QStringLiteral("PA_FE_Body_DatiBeniServizi_DettaglioLinee");
        s.tab = 1;
        s.columns = {{"NumeroLinea", "N° Linea", 70},
                     {"Descrizione", "Descrizione", 380},
                     {"Quantita", "Quantita", 80},
                     {"UnitaMisura", "Unita Misura", 90},
                     {"PrezzoUnitario", "Prezzo Unitario", 100},
                     {"PrezzoTotale", "PrezzoTotale", 100}};
        s.unsortedColumn = QStringLiteral("Descrizione");
        s.start = {{QStringLiteral("NumeroLinea"), Kind::NextLineNumber, {}},
                   {QStringLiteral("Quantita"), Kind::Fixed, 1}};
        s.showAnnulla = true;
        const QString key = s.table + QStringLiteral("_Id");
        for (const auto& [suffix, ordering] :
             {std::pair{"_Altro", " order by TipoDato"},
              std::pair{"_Codici", " order by CodiceTipo"}, std::pair{"_Sconto", " order by Tipo"}})
            s.secondLevel << SecondLevel{s.dataset + QLatin1String(suffix),
                                         s.table + QLatin1String(suffix), key,
                                         QLatin1String(ordering)};
        s.skippedInBatch = true;
        s.deleteQuestion =
            QStringLiteral("Sei sicuro di voler eliminare il Record del dettaglio ?");
        s.honoursSilentDelete = true;
        s.firstTabOnOpen = true;
        list << s;
    }
    {
        BodySection s;
        s.title = QStringLiteral("Dati Riepilogo");
        s.dataset = ds::PA_FE_Body_DatiBeniServizi_DatiRiepilogo;
        s.table = QStringLiteral("PA_FE_Body_DatiBeniServizi_DatiRiepilogo");
        s.tab = 2;
        s.columns = {{"AliquotaIva", "Aliquota Iva", 90},
                     {"Natura", "Natura", 70},
                     {"ImponibileImporto", "Imponibile Importo", 130},
                     {"Imposta", "Imposta", 100}};
        s.start = {{QStringLiteral("EsigibilitaIva"), Kind::StartEsigibilita, {}}};
        s.showAnnulla = true;
        s.skippedInBatch = true;
        s.deleteQuestion =
            QStringLiteral("Sei sicuro di voler eliminare il Record del riepilogo ?");
        list << s;
    }
    {
        BodySection s;
        s.title = QStringLiteral("Dati pagamento");
        s.dataset = ds::PA_FE_Body_DatiPagamento;
        s.table = QStringLiteral("PA_FE_Body_DatiPagamento");
        s.tab = 3;
        s.columns = {{"CondizioniPagamento", "CondizioniPagamento", 160}};
        s.start = {{QStringLiteral("CondizioniPagamento"), Kind::Fixed, QStringLiteral("TP02")}};
        s.showAnnulla = true;
        s.secondLevel = {{ds::PA_FE_Body_DatiPagamento_Dettaglio,
                          QStringLiteral("PA_FE_Body_DatiPagamento_Dettaglio"),
                          QStringLiteral("PA_FE_Body_DatiPagamento_Id"),
                          QStringLiteral(" order by DataScadenzaPagamento")}};
        s.skippedInBatch = true;
        s.deleteQuestion =
            QStringLiteral("Sei sicuro di voler eliminare il Record del pagamento ?");
        s.honoursSilentDelete = true;
        list << s;
    }
    list << linkedDocument(
        QStringLiteral("DatiOrdineAcquisto"), QStringLiteral("Ordini di acquisto"),
        QStringLiteral("Sei sicuro di voler eliminare il Record dell' Ordine di acquisto ?"), true);
    list << linkedDocument(
        QStringLiteral("DatiContratto"), QStringLiteral("Contratti"),
        QStringLiteral("Sei sicuro di voler eliminare il Record del contratto ?"), false);
    list << linkedDocument(
        QStringLiteral("DatiConvenzione"), QStringLiteral("Convenzioni"),
        QStringLiteral("Sei sicuro di voler eliminare il Record della Convenzione ?"), false);
    list << linkedDocument(
        QStringLiteral("DatiRicezione"), QStringLiteral("Ricezione"),
        QStringLiteral("Sei sicuro di voler eliminare il Record della Ricezione ?"), false);
    list << linkedDocument(
        QStringLiteral("DatiFattureCollegate"), QStringLiteral("Fatture collegate"),
        QStringLiteral("Sei sicuro di voler eliminare il Record delle Fatture Collegate ?"), true);
    {
        BodySection s;
        s.title = QStringLiteral("SAL");
        s.dataset = ds::PA_FE_Body_DatiSAL;
        s.table = QStringLiteral("PA_FE_Body_DatiSAL");
        s.tab = 5;
        s.columns = {{"RiferimentoFase", "Riferimento Fase", 140}};
        s.sortOnTitleClick = false;
        s.openOnDoubleClick = false;
        s.showAnnulla = true;
        s.deleteQuestion = QStringLiteral("Sei sicuro di voler eliminare il Record dei Dati Sal ?");
        list << s;
    }
    {
        BodySection s;
        s.title = QStringLiteral("DDT");
        s.dataset = ds::PA_FE_Body_DatiDDT;
        s.table = QStringLiteral("PA_FE_Body_DatiDDT");
        s.tab = 6;
        s.columns = {{"NumeroDDT", "Numero DDT", 140}, {"DataDDT", "DataDDT", 100}};
        s.start = {{QStringLiteral("DataDDT"), Kind::Today, {}}};
        s.showAnnulla = true;
        s.secondLevel = {{ds::PA_FE_Body_DatiDDT_Riferimenti,
                          QStringLiteral("PA_FE_Body_DatiDDT_Riferimenti"),
                          QStringLiteral("PA_FE_Body_DatiDDT_Id"),
                          QStringLiteral(" order by RiferimentoNumeroLinea")}};
        s.skippedInBatch = true;
        s.deleteQuestion = QStringLiteral("Sei sicuro di voler eliminare il Record dei DDT ?");
        s.honoursSilentDelete = true;
        list << s;
    }
    {
        BodySection s;
        s.title = QStringLiteral("Allegati");
        s.dataset = ds::PA_FE_Body_Allegati;
        s.table = QStringLiteral("PA_FE_Body_Allegati");
        s.tab = 9;
        s.columns = {{"NomeAttachment", "Nome", 160},
                     {"DescrizioneAttachment", "Descrizione", 240},
                     {"PercorsoCompleto", "Percorso", 320}};
        s.deleteQuestion =
            QStringLiteral("Sei sicuro di voler eliminare il Record dell'Allegato ?");
        list << s;
    }
    return list;
}

// A Personalizzazioni value as a number; locale decimal mark first, then ".".
bool toNumber(const QString& text, bool integer, QVariant* out) {
    bool ok = false;
    const QString t = text.trimmed();
    if (integer) {
        const int n = t.toInt(&ok);
        *out = n;
        return ok;
    }
    double d = QLocale().toDouble(t, &ok);
    if (!ok)
        d = QLocale::c().toDouble(t, &ok);
    if (!ok)
        d = QLocale::c().toDouble(QString(t).replace(QLatin1Char(','), QLatin1Char('.')), &ok);
    *out = d;
    return ok;
}

} // namespace

const QList<BodySection>& bodySections() {
    static const QList<BodySection> sections = makeSections();
    return sections;
}

const BodySection* bodySection(const QString& dataset) {
    for (const BodySection& s : bodySections()) {
        if (s.dataset.compare(dataset, Qt::CaseInsensitive) == 0)
            return &s;
    }
    return nullptr;
}

void ApplyPersonalizzazioni(DataModule& db, const QString& tableName, Dataset& target) {
    // Read row by row rather than through the shared dataset's filter: the defaults are applied
    // in the dataset's order (table, then column) and nobody else's filter is disturbed.
    const Dataset& p = db.table(ds::Personalizzazioni);
    const int cTable = p.columnIndex(QStringLiteral("NomeTabella"));
    const int cField = p.columnIndex(QStringLiteral("NomeCampo"));
    const int cKind = p.columnIndex(QStringLiteral("Tipo"));
    const int cValue = p.columnIndex(QStringLiteral("Valore"));
    target.edit();
    for (int row = 0; row < p.rowCount(); ++row) {
        if (p.valueAt(row, cTable).toString().compare(tableName, Qt::CaseInsensitive) != 0)
            continue;
        const QString column = p.valueAt(row, cField).toString();
        const QString kind = p.valueAt(row, cKind).toString();
        const QString text = p.valueAt(row, cValue).toString();
        QVariant value;
        if (kind == QLatin1String("t")) {
            value = text;
        } else if (kind == QLatin1String("n") || kind == QLatin1String("f")) {
            if (!toNumber(text, kind == QLatin1String("n"), &value))
                throw DbError(QStringLiteral("Il valore predefinito \"%1\" del campo %2 (tabella "
                                             "Personalizzazioni) non è un numero valido.")
                                  .arg(text, column));
        } else {
            continue;
        }
        if (!target.hasColumn(column))
            throw DbError(QStringLiteral("Il campo %1 indicato nella tabella Personalizzazioni "
                                         "non esiste in %2.")
                              .arg(column, tableName));
        target.setValue(column, value);
    }
}

bool deleteCurrentBody(DataModule& db, Prompt& prompt) {
    Dataset& bodies = db.table(ds::PA_Body);
    if (bodies.isEmpty())
        return false;
    if (!db.silentDelete() &&
        !prompt.question(Prompt::warningTitle(),
                         QStringLiteral("Sei sicuro di voler eliminare il Record ?")))
        return false;
    // The body goes whole: an edit pending on it must not be written by the cursor moves.
    if (bodies.state() != Dataset::State::Browse)
        bodies.cancel();
    const QVariant key = bodies.value(QStringLiteral("ID"));
    Connection& connection = db.connessione();
    try {
        connection.inTransaction([&] {
            db.deleteBodyChildRows(key.toInt());
            DeleteAndReposition(bodies, QStringLiteral("ID"));
        });
    } catch (const DbError& e) {
        try {
            bodies.requery();
            bodies.locate(QStringLiteral("ID"), key);
        } catch (const DbError&) {
        }
        prompt.message(
            Prompt::errorTitle(),
            QStringLiteral("Il corpo della fattura non è stato eliminato.\n%1").arg(e.text()));
        return false;
    }
    return true;
}

} // namespace brevalto
