#include "store/DataModule.h"

#include <QMetaObject>
#include <QSysInfo>

namespace brevalto {

namespace {

QString nominativoSql(const QString& table, const QString& prefix, const QString& dash,
                      const QString& tail) {
    return QStringLiteral("select *, %1_Denominazione & \"%2\" & %1_Cognome & \" \" & %1_Nome as "
                          "Nominativo from %3%4")
        .arg(prefix, dash, table, tail);
}

} // namespace

const QList<DataModule::DatasetDef>& DataModule::sharedDatasetDefs() {
    static const QList<DatasetDef> defs = {
        {"TableComuni", "SELECT * FROM Comuni Order By Comune"},
        {"TableDitta", "SELECT * from Ditta"},
        {"TableGriglie", "SELECT * from griglie"},
        {"TableIva", "select * from Iva order by descrizione"},
        {"TableNazioni", "select * from Nazioni order by DENOMINAZ"},
        {"TableOpzioni", "select * from opzioni"},
        {"TablePA_Body", "select top 1 * from PA_FE_Body"},
        {"TablePA_CedentePrestatore",
         nominativoSql("PA_CedentePrestatore", "CedentePrestatore", " - ", QString())},
        {"TablePA_CessionarioCommittente",
         nominativoSql("PA_CessionarioCommittente", "CessionarioCommittente", "- ",
                       " order by CessionarioCommittente_NominativoVisualizzato")},
        {"TablePA_DescrizioniFunzionali", "select * from PA_DescrizioniFunzionali"},
        {"TablePA_Divise", "select * from PA_Divise order by Descrizione"},
        {"TablePA_FE_Body_DatiBeniServizi_DatiRiepilogo",
         "select top 1 * from PA_FE_Body_DatiBeniServizi_DatiRiepilogo"},
        {"TablePA_FE_Body_DatiBeniServizi_DettaglioLinee",
         "select top 1 * from PA_FE_Body_DatiBeniServizi_DettaglioLinee"},
        {"TablePA_FE_Body_DatiBeniServizi_DettaglioLinee_Altro",
         "SELECT top 1 * from PA_FE_Body_DatiBeniServizi_DettaglioLinee_Altro"},
        {"TablePA_FE_Body_DatiBeniServizi_DettaglioLinee_Codici",
         "SELECT top 1 * from PA_FE_Body_DatiBeniServizi_DettaglioLinee_Codici"},
        {"TablePA_FE_Body_DatiBeniServizi_DettaglioLinee_Sconto",
         "SELECT top 1 * FROM PA_FE_Body_DatiBeniServizi_DettaglioLinee_Sconto"},
        {"TablePA_FE_Body_DatiCassaPrevidenziale",
         "SELECT TOP 1 * from PA_FE_Body_DatiCassaPrevidenziale"},
        {"TablePA_FE_Body_DatiContratto", "select top 1 * from PA_FE_Body_DatiContratto"},
        {"TablePA_FE_Body_DatiContratto_Riferimenti",
         "select top 1 * from PA_FE_Body_DatiContratto_Riferimenti"},
        {"TablePA_FE_Body_DatiConvenzione", "select top 1 * from PA_FE_Body_DatiConvenzione"},
        {"TablePA_FE_Body_DatiConvenzione_Riferimenti",
         "select top 1 * from PA_FE_Body_DatiConvenzione_Riferimenti"},
        {"TablePA_FE_Body_DatiDDT", "SELECT top 1 * from PA_FE_Body_DatiDDT"},
        {"TablePA_FE_Body_DatiDDT_Riferimenti",
         "select top 1 * from PA_FE_Body_DatiDDT_Riferimenti"},
        {"TablePA_FE_Body_DatiFattureCollegate",
         "select top 1 * from PA_FE_Body_DatiFattureCollegate"},
        {"TablePA_FE_Body_DatiFattureCollegate_Riferimenti",
         "select top 1 * from PA_FE_Body_DatiFattureCollegate_Riferimenti"},
        {"TablePA_FE_Body_DatiOrdineAcquisto", "select top 1 * from PA_FE_Body_DatiOrdineAcquisto"},
        {"TablePA_FE_Body_DatiOrdineAcquisto_Riferimenti",
         "select top 1 * from PA_FE_Body_DatiOrdineAcquisto_Riferimenti"},
        {"TablePA_FE_Body_DatiPagamento", "select top 1 * from PA_FE_Body_DatiPagamento"},
        {"TablePA_FE_Body_DatiPagamento_Dettaglio",
         "SELECT top 1 * FROM PA_FE_Body_DatiPagamento_Dettaglio"},
        {"TablePA_FE_Body_DatiRicezione", "select top 1 * from PA_FE_Body_DatiRicezione"},
        {"TablePA_FE_Body_DatiRicezione_Riferimenti",
         "select top 1 * from PA_FE_Body_DatiRicezione_Riferimenti"},
        {"TablePA_FE_Body_DatiSAL", "select top 1 * from PA_FE_Body_DatiSAL"},
        {"TablePA_FE_Body_ScontoMaggiorazione",
         "select top 1 * from PA_FE_Body_ScontoMaggiorazione"},
        {"TablePA_FE_Header", "SELECT * from PA_FE_Header order by numero, Data"},
        {"TablePA_ModalitaPagamento", "select * from PA_ModalitaPagamento order by Descrizione"},
        {"TablePA_Natura", "select * from PA_Natura order by Descrizione"},
        {"TablePA_RappresentanteFiscale", "select * from PA_RappresentanteFiscale"},
        {"TablePA_RegimeFiscale", "select * from PA_RegimeFiscale"},
        {"TablePA_TerzoIntermediarioOSoggettoEmittente",
         "SELECT * from PA_TerzoIntermediarioOSoggettoEmittente"},
        {"TablePA_TipoCassa", "select * from PA_TipoCassa"},
        {"TablePA_TipoDocumento", "select * from PA_TipoDocumento"},
        {"TablePA_IscrizRea_SocioUnico",
         "select * from PA_IscrizRea_SocioUnico order by Descrizione"},
        {"TablePA_IscrizRea_StatoLiquidazione",
         "select * from PA_IscrizRea_StatoLiquidazione order by Descrizione"},
        {"TableProvince", "select * from Province"},
        {"TablePersonalizzazioni",
         "select * from Personalizzazioni order by NomeTabella, NomeCampo"},
        {"TableRegioni", "select * from regioni"},
        {"TableVettori", "Select *, (Denominazione & ' - ' & Cognome & ' ' & Nome) as Nominativo "
                         "from Vettori order by Denominazione, Cognome"},
        {"TablePA_SoggettoEmittente", "select * from PA_SoggettoEmittente order by Descrizione"},
        {"TablePA_FE_Body_Allegati",
         "select top 1 * from PA_FE_Body_Allegati order by NomeAttachment"},
        {"TablePA_CondizioniPagamenti", "select * from PA_CondizioniPagamento order by Codice"},
        {"TablePA_TipoRitenute", "select * from PA_TipoRitenuta order by Codice"},
        {"TablePa_Ritenute_CausalePagamento",
         "select * from Pa_Ritenute_CausalePagamento order by Codice"},
        {"TablePa_TipoScontoMaggiorazione", "select * from Pa_TipoScontoMaggiorazione"},
        {"TablePA_TipoResa", "select * from PA_TipoResa order by Codice"},
        {"TablePA_TipoCessionePrestazione",
         "select * from PA_TipoCessionePrestazione order by Codice"},
        {"TablePA_EsigibilitaIva", "select * from PA_EsigibilitaIva order by Codice"},
        {"TableDettaglioVeloce", "select * from DettaglioVeloce order by Id"},
        {"TablePA_FE_Body_Causale", "select top 1 * from PA_FE_Body_Causali"},
        {"TablePA_fatturazioneElettronica",
         "select top 1 PA_Amministrazioni_FatturaElettronica.DescrizionePA, "
         "PA_Amministrazioni_FatturaElettronica.DescrizioneUfficio, "
         "PA_Amministrazioni_FatturaElettronica.codice_Amministrazione, "
         "PA_Amministrazioni_FatturaElettronica.cod_ou, "
         "PA_Amministrazioni_FatturaElettronica.codice_univoco, "
         "PA_Amministrazioni_FatturaElettronica.indirizzo, "
         "PA_Amministrazioni_FatturaElettronica.cap, PA_Amministrazioni_FatturaElettronica.cf, "
         "Comuni.Comune, Comuni.Provincia, PA_Amministrazioni_FatturaElettronica.tipologia_istat, "
         "Comuni.Id as Comune_id from PA_Amministrazioni_FatturaElettronica inner join Comuni on "
         "PA_Amministrazioni_FatturaElettronica.Comune_Id = Comuni.ID"},
        {"TableErroriScartoFatturazioneElettronica", "select * from PA_Errori order by Codice"},
        {"TablePA_FE_Body_DatiRitenuta", "select top 1 * from PA_FE_Body_DatiRitenuta"},
    };
    return defs;
}

const QStringList& DataModule::bodyChildTables() {
    static const QStringList tables = {
        "PA_FE_Body_DatiRitenuta",
        "PA_FE_Body_Allegati",
        "PA_FE_Body_Causali",
        "PA_FE_Body_DatiBeniServizi_DatiRiepilogo",
        "PA_FE_Body_DatiBeniServizi_DettaglioLinee",
        "PA_FE_Body_DatiBeniServizi_DettaglioLinee_Altro",
        "PA_FE_Body_DatiBeniServizi_DettaglioLinee_Codici",
        "PA_FE_Body_DatiBeniServizi_DettaglioLinee_Sconto",
        "PA_FE_Body_DatiCassaPrevidenziale",
        "PA_FE_Body_DatiContratto",
        "PA_FE_Body_DatiContratto_Riferimenti",
        "PA_FE_Body_DatiConvenzione",
        "PA_FE_Body_DatiConvenzione_Riferimenti",
        "PA_FE_Body_DatiDDT",
        "PA_FE_Body_DatiDDT_Riferimenti",
        "PA_FE_Body_DatiFattureCollegate",
        "PA_FE_Body_DatiFattureCollegate_Riferimenti",
        "PA_FE_Body_DatiOrdineAcquisto",
        "PA_FE_Body_DatiOrdineAcquisto_Riferimenti",
        "PA_FE_Body_DatiPagamento",
        "PA_FE_Body_DatiPagamento_Dettaglio",
        "PA_FE_Body_DatiRicezione",
        "PA_FE_Body_DatiRicezione_Riferimenti",
        "PA_FE_Body_DatiSAL",
        "PA_FE_Body_ScontoMaggiorazione",
    };
    return tables;
}

const QList<DataModule::BodyChildDef>& DataModule::bodyChildDatasets() {
    static const QList<BodyChildDef> defs = {
        {"TablePA_FE_Body_Causale", "PA_FE_Body_Causali", ""},
        {"TablePA_FE_Body_Allegati", "PA_FE_Body_Allegati", " order by NomeAttachment"},
        {"TablePA_FE_Body_DatiBeniServizi_DatiRiepilogo",
         "PA_FE_Body_DatiBeniServizi_DatiRiepilogo", " order by AliquotaIva"},
        {"TablePA_FE_Body_DatiBeniServizi_DettaglioLinee",
         "PA_FE_Body_DatiBeniServizi_DettaglioLinee", " order by NumeroLinea"},
        {"TablePA_FE_Body_DatiCassaPrevidenziale", "PA_FE_Body_DatiCassaPrevidenziale",
         " order by TipoCassa"},
        {"TablePA_FE_Body_DatiContratto", "PA_FE_Body_DatiContratto", " order by IdDocumento"},
        {"TablePA_FE_Body_DatiConvenzione", "PA_FE_Body_DatiConvenzione", " order by IdDocumento"},
        {"TablePA_FE_Body_DatiDDT", "PA_FE_Body_DatiDDT", " order by NumeroDDT"},
        {"TablePA_FE_Body_DatiFattureCollegate", "PA_FE_Body_DatiFattureCollegate",
         " order by IdDocumento"},
        {"TablePA_FE_Body_DatiOrdineAcquisto", "PA_FE_Body_DatiOrdineAcquisto",
         " order by IdDocumento"},
        {"TablePA_FE_Body_DatiPagamento", "PA_FE_Body_DatiPagamento",
         " order by CondizioniPagamento"},
        {"TablePA_FE_Body_DatiRicezione", "PA_FE_Body_DatiRicezione", " order by IdDocumento"},
        {"TablePA_FE_Body_DatiSAL", "PA_FE_Body_DatiSAL", " order by RiferimentoFase"},
        {"TablePA_FE_Body_ScontoMaggiorazione", "PA_FE_Body_ScontoMaggiorazione", " order by Tipo"},
        {"TablePA_FE_Body_DatiRitenuta", "PA_FE_Body_DatiRitenuta", " order by TipoRitenuta"},
    };
    return defs;
}

DataModule::DataModule(QObject* parent) : QObject(parent) {
    setObjectName(QStringLiteral("form_DB"));
    for (const DatasetDef& def : sharedDatasetDefs())
        shared_ << new Dataset(connection_, def.name, def.sql, this);
    cercaLinee_ = new Dataset(
        connection_, QStringLiteral("TableCercaLinee"),
        QStringLiteral(
            "select * from PA_FE_Body_DatiBeniServizi_DettaglioLinee order by NumeroLinea"),
        this);
    for (Dataset* d : std::as_const(shared_))
        byName_.insert(d->name().toLower(), d);
    byName_.insert(cercaLinee_->name().toLower(), cercaLinee_);
    setComputerName(QSysInfo::machineHostName());
    for (Dataset* d : std::as_const(shared_))
        d->beforeWrite = [this, d] { guardDocumentWrite(*d); };
    cercaLinee_->beforeWrite = [this] { guardDocumentWrite(*cercaLinee_); };
}

DataModule::~DataModule() {
    closeAllDatasets();
    cercaLinee_->close();
}

void DataModule::setComputerName(const QString& name) {
    computerName_ = name.left(15);
    if (computerName_.isEmpty())
        computerName_ = QStringLiteral("SenzaNome");
}

Dataset& DataModule::table(const QString& name) const {
    Dataset& d = dataset(name);
    d.ensureOpen();
    return d;
}

Dataset& DataModule::dataset(const QString& name) const {
    if (Dataset* d = byName_.value(name.toLower()))
        return *d;
    throw DbError(QStringLiteral("Il dataset %1 non esiste.").arg(name));
}

void DataModule::closeAllDatasets() {
    for (Dataset* d : shared_)
        d->close();
}

const QStringList& DataModule::onDemandDatasets() {
    static const QStringList names = {QStringLiteral("TablePA_CessionarioCommittente"),
                                      QStringLiteral("TableComuni")};
    return names;
}

void DataModule::openAllDatasets() {
    closeAllDatasets();
    for (Dataset* d : shared_) {
        if (onDemandDatasets().contains(d->name(), Qt::CaseInsensitive))
            d->deferOpen();
        else
            d->open();
    }
}

void DataModule::loadBodies() {
    Dataset& header = table(QStringLiteral("TablePA_FE_Header"));
    Dataset& bodies = table(QStringLiteral("TablePA_Body"));
    bodies.setFilter(QString());
    bodies.close();
    bodies.setSql(QStringLiteral("select * from PA_FE_Body where PA_FE_Header_Id = %1 order by "
                                 "DatiGenerali_Numero")
                      .arg(header.value(QStringLiteral("ID")).toInt()));
    bodies.open();
}

void DataModule::requeryBodyChildren(const QStringList& deferred) {
    const int bodyId = table(QStringLiteral("TablePA_Body")).value(QStringLiteral("ID")).toInt();
    for (const BodyChildDef& def : bodyChildDatasets()) {
        Dataset& d = table(def.dataset);
        d.setFilter(QString());
        d.close();
        d.setSql(QStringLiteral("select * from %1 where PA_FE_Body_Id = %2%3")
                     .arg(def.table)
                     .arg(bodyId)
                     .arg(def.ordering));
        if (deferred.contains(def.dataset, Qt::CaseInsensitive))
            d.deferOpen();
        else
            d.open();
    }
}

void DataModule::deleteBodyChildRows(int bodyId) {
    for (const QString& child : bodyChildTables())
        connection_.exec(
            QStringLiteral("Delete * from %1 where PA_FE_Body_Id = %2").arg(child).arg(bodyId));
}

bool DataModule::belongsToDocument(const Dataset& dataset) {
    return dataset.baseTable().startsWith(QLatin1String("PA_FE_"), Qt::CaseInsensitive);
}

bool DataModule::documentGone() {
    if (!connection_.isOpen())
        return false;
    // The Document of the register's current row, and the one the loaded bodies belong to (the
    // register may have been re-read meanwhile); a Document being added has no key yet.
    QVariantList ids;
    const Dataset& header = table(QStringLiteral("TablePA_FE_Header"));
    if (header.isOpen() && !header.isEmpty())
        ids << header.value(QStringLiteral("ID"));
    const Dataset& bodies = table(QStringLiteral("TablePA_Body"));
    if (bodies.isOpen() && !bodies.isEmpty() && bodies.hasColumn(QStringLiteral("PA_FE_Header_Id")))
        ids << bodies.value(QStringLiteral("PA_FE_Header_Id"));
    for (const QVariant& id : std::as_const(ids)) {
        if (!id.isNull() &&
            connection_
                    .scalar(QStringLiteral("select count(*) from PA_FE_Header where ID = ?"), {id})
                    .toInt() == 0)
            return true;
    }
    return false;
}

void DataModule::guardDocumentWrite(const Dataset& dataset) {
    if (!belongsToDocument(dataset) || !documentGone())
        return;
    // Not at once: the write that is being refused is still running on these datasets.
    QMetaObject::invokeMethod(this, &DataModule::dropGoneDocument, Qt::QueuedConnection);
    throw DbError(documentGoneText());
}

void DataModule::dropGoneDocument() {
    Q_EMIT documentDeleted();
    try {
        Dataset& header = table(QStringLiteral("TablePA_FE_Header"));
        header.cancel();
        header.requery();
        loadBodies(); // those of the Document now current, or none
        requeryBodyChildren();
    } catch (const DbError&) {
        // The register shows what could be read; the next "Ricarica" tries again.
    }
}

} // namespace brevalto
