// The archive's tables, written out close to the way the invoice format names its blocks: one
// cell per group of columns of the same kind.
#include "store/PartyIdentity.h"
#include "store/Schema.h"

namespace brevalto {

namespace {

using K = ColumnKind;

// A group of columns of one kind. Names after the first may be given by their ending only
// ("_CAP"): the ending replaces the part after the last underscore of the first name, so long
// address and contact groups stay readable.
struct Cell {
    K kind;
    QStringList names;
};

QList<ColumnDef> expand(const QList<Cell>& cells) {
    QList<ColumnDef> columns;
    for (const Cell& cell : cells) {
        const QString& first = cell.names.constFirst();
        const QString stem = first.left(first.lastIndexOf(QLatin1Char('_')));
        for (qsizetype i = 0; i < cell.names.size(); ++i) {
            const QString& name = cell.names.at(i);
            const bool ending = i > 0 && name.startsWith(QLatin1Char('_'));
            columns.append({ending ? stem + name : name, cell.kind});
        }
    }
    return columns;
}

TableDef table(const QString& name, const QList<Cell>& cells, const QStringList& indexed = {}) {
    return {name, expand(cells), indexed};
}

// Tables hanging off an invoice body: all carry their own key and the body's key, so that every
// row of a body can be found (and deleted) by body; `parentKeys` name the key of a row of another
// section the row belongs to (a line, a linked document, a payment), also indexed.
TableDef childTable(const QString& name, const QList<Cell>& cells,
                    const QStringList& parentKeys = {}) {
    QList<Cell> all{{K::AutoNumber, {"Id"}}, {K::Long, {"PA_FE_Body_Id"}}};
    all.append(cells);
    return table(name, all, QStringList{"PA_FE_Body_Id"} + parentKeys);
}

TableDef codeList(const QString& name, K descriptionKind = K::Text) {
    return table(name, {{K::Text, {"Codice"}}, {descriptionKind, {"Descrizione"}}});
}

QList<TableDef> documentTables() {
    QList<TableDef> t;
    t << table("PA_FE_Header",
               {
                   {K::AutoNumber, {"id"}},
                   {K::Long, {"Numero"}},
                   {K::Date, {"Data"}},
                   {K::YesNo, {"Esportato"}},
                   // Listed in an invoice list for the accounts (apart from the XML export).
                   {K::YesNo, {"EsportatoElenco"}},
                   // The name of the invoice file the Document was imported from; empty for a
                   // Document made here.
                   {K::Text, {"Importato"}},
                   // When and into which file the XML export last wrote the Document.
                   {K::Date, {"DataEsportazione"}},
                   {K::Memo, {"FileEsportazione"}},
                   {K::Text,
                    {"DatiTrasmissione_IdPaese", "DatiTrasmissione_IdCodice",
                     "DatiTrasmissione_ProgressivoInvio", "DatiTrasmissione_FormatoTrasmissione",
                     "DatiTrasmissione_CodiceDestinatario"}},
                   {K::YesNo, {"DatiTrasmissione_ContattiTrasmittente"}},
                   {K::Text,
                    {"DatiTrasmissione_ContattiTrasmittente_Telefono",
                     "DatiTrasmissione_ContattiTrasmittente_Email", "SoggettoEmittente",
                     "DPBeneficiario", "DPIban", "DPIstitutoFinanziario"}},
                   // Seller copy.
                   {K::Long, {"CedentePrestatore_Id"}},
                   {K::Text, identityColumns("CedentePrestatore_", "CodOERI") +
                                 QStringList{"CedentePrestatore_AlboProfessionale",
                                             "_ProvinciaAlbo", "_NumeroIscrizioneAlbo"}},
                   {K::Date, {"CedentePrestatore_DataIscrizioneAlbo"}},
                   {K::Text, {"CedentePrestatore_RegimeFiscale"}},
                   {K::Text,
                    {"CedentePrestatore_Sede_Indirizzo", "_NumeroCivico", "_CAP", "_Comune",
                     "_Provincia", "_Nazione"}},
                   {K::YesNo, {"CedentePrestatore_StabileOrganizzazione"}},
                   {K::Text,
                    {"CedentePrestatore_StabileOrganizzazione_Indirizzo", "_NumeroCivico", "_CAP",
                     "_Comune", "_Provincia", "_Nazione"}},
                   {K::YesNo, {"CedentePrestatore_Iscrizione_REA"}},
                   {K::Text,
                    {"CedentePrestatore_Iscrizione_REA_Ufficio",
                     "CedentePrestatore_Iscrizione_REA_NumeroREA"}},
                   {K::Double, {"CedentePrestatore_Iscrizione_REA_CapitaleSociale"}},
                   {K::Text,
                    {"CedentePrestatore_Iscrizione_REA_SocioUnico",
                     "CedentePrestatore_Iscrizione_REA_StatoLiquidazione"}},
                   {K::YesNo, {"CedentePrestatore_Iscrizione_Contatti"}},
                   {K::Text, {"CedentePrestatore_Contatti_Telefono", "_Fax", "_Email"}},
                   {K::Text, {"CedentePrestatore_RiferimentoAmministrazione"}},
                   // Seller's fiscal representative copy.
                   {K::YesNo, {"RappresentanteFiscale"}},
                   {K::Text, identityColumns("RappresentanteFiscale_DatiAnagrafici_")},
                   // Buyer copy.
                   {K::Long, {"CessionarioCommittente_ID"}},
                   {K::YesNo, {"CessionarioCommittente_IdFiscaleIva"}},
                   {K::Text, identityColumns("CessionarioCommittente_")},
                   {K::Text,
                    {"CessionarioCommittente_Sede_Indirizzo", "_NumeroCivico", "_CAP", "_Comune",
                     "_Provincia", "_Nazione"}},
                   {K::YesNo, {"CessionarioCommittente_StabileOrganizzazione"}},
                   {K::Text,
                    {"CessionarioCommittente_StabileOrganizzazione_Indirizzo", "_NumeroCivico",
                     "_CAP", "_Comune", "_Provincia", "_Nazione"}},
                   {K::YesNo, {"CessionarioCommittente_RappresentanteFiscale"}},
                   {K::Text,
                    {"CessionarioCommittente_RappresentanteFiscale_Nazione", "_IdCodice",
                     "_Denominazione", "_Nome", "_Cognome"}},
                   {K::YesNo, {"CessionarioCommittente_PubblicaAmministrazione"}},
                   {K::Text,
                    {"CessionarioCommittente_CodiceUnivocoUfficio", "CessionarioCommittente_Pec",
                     "CessionarioCommittente_NominativoVisualizzato",
                     "CessionarioCommittente_NominativoDocumenti"}},
                   // Intermediary copy.
                   {K::YesNo,
                    {"TerzoIntermediarioOSoggettoEmittente",
                     "TerzoIntermediarioOSoggettoEmittente_IdFiscaleIVA"}},
                   {K::Text, identityColumns("TerzoIntermediarioOSoggettoEmittente_")},
               },
               // The register lists Documents by number; numbering reads the highest.
               {"Numero"});

    t << table(
        "PA_FE_Body",
        {
            {K::AutoNumber, {"Id"}},
            {K::Long, {"PA_FE_Header_Id"}},
            {K::Text, {"DatiGenerali_TipoDocumento", "DatiGenerali_Divisa"}},
            {K::Date, {"DatiGenerali_Data"}},
            {K::Text, {"DatiGenerali_Numero"}},
            {K::YesNo, {"DatiGenerali_DatiBollo"}},
            {K::Text, {"DatiGenerali_DatiBollo_BolloVirtuale"}},
            {K::Double,
             {"DatiGenerali_DatiBollo_ImportoBollo", "ImportoTotaleDocumento", "Arrotondamento"}},
            {K::Text, {"Art73"}},
            {K::YesNo, {"DatiTrasporto", "DatiAnagraficiVettore"}},
            {K::Long, {"Vettore_ID"}},
            {K::Text, identityColumns("Vettore_") + QStringList{"Vettore_NumeroLicenzaGuida"}},
            {K::Text, {"MezzoTrasporto", "CausaleTrasporto"}},
            {K::Long, {"NumeroColli"}},
            {K::Text, {"Descrizione", "UnitaMisuraPeso"}},
            {K::Double, {"PesoLordo", "PesoNetto"}},
            {K::Date, {"DataOraRitiro", "DataInizioTrasporto"}},
            {K::Text, {"TipoResa"}},
            {K::YesNo, {"IndirizzoResa"}},
            {K::Text,
             {"Resa_Indirizzo", "Resa_NumeroCivico", "Resa_CAP", "Resa_Comune", "Resa_Provincia",
              "Resa_Nazione"}},
            {K::Date, {"DataOraConsegna"}},
            {K::YesNo, {"FatturaPrincipale"}},
            {K::Text, {"NumeroFatturaPrincipale"}},
            {K::Date, {"DataFatturaPrincipale"}},
            {K::YesNo, {"DatiVeicoli"}},
            {K::Date, {"DatiVeicoli_Data"}},
            {K::Text, {"DatiVeicoli_TotalePercorso"}},
            {K::Long, {"SoftwareEsterno_Fattura_id"}},
        },
        {"PA_FE_Header_Id"});

    t << childTable("PA_FE_Body_DatiBeniServizi_DettaglioLinee",
                    {
                        {K::Long, {"NumeroLinea"}},
                        {K::Text, {"TipoCessionePrestazione"}},
                        {K::Memo, {"Descrizione"}},
                        {K::Double, {"Quantita"}},
                        {K::Text, {"UnitaMisura"}},
                        {K::Date, {"DataInizioPeriodo", "DataFinePeriodo"}},
                        {K::Double, {"PrezzoUnitario", "PrezzoTotale", "AliquotaIva"}},
                        {K::Text, {"Ritenuta", "Natura", "RiferimentoAmministrazione"}},
                    });
    const QString lineKey = QStringLiteral("PA_FE_Body_DatiBeniServizi_DettaglioLinee_Id");
    t << childTable("PA_FE_Body_DatiBeniServizi_DettaglioLinee_Codici",
                    {{K::Long, {lineKey}}, {K::Text, {"CodiceTipo", "CodiceValore"}}}, {lineKey});
    t << childTable(
        "PA_FE_Body_DatiBeniServizi_DettaglioLinee_Sconto",
        {{K::Long, {lineKey}}, {K::Text, {"Tipo"}}, {K::Double, {"Percentuale", "Importo"}}},
        {lineKey});
    t << childTable("PA_FE_Body_DatiBeniServizi_DettaglioLinee_Altro",
                    {{K::Long, {lineKey}},
                     {K::Text, {"TipoDato", "RiferimentoTesto"}},
                     {K::Double, {"RiferimentoNumero"}},
                     {K::Date, {"RiferimentoData"}}},
                    {lineKey});
    t << childTable(
        "PA_FE_Body_DatiBeniServizi_DatiRiepilogo",
        {
            {K::Double, {"AliquotaIva"}},
            {K::Text, {"Natura"}},
            {K::Double, {"SpeseAccessorie", "Arrotondamento", "ImponibileImporto", "Imposta"}},
            {K::Text, {"EsigibilitaIva", "RiferimentoNormativo"}},
        });
    t << childTable(
        "PA_FE_Body_DatiCassaPrevidenziale",
        {
            {K::Text, {"TipoCassa"}},
            {K::Double, {"AlCassa", "ImportoContributoCassa", "ImponibileCassa", "AliquotaIva"}},
            {K::Text, {"Ritenuta", "Natura", "RiferimentoAmministrazione"}},
        });
    t << childTable("PA_FE_Body_DatiRitenuta",
                    {{K::Text, {"TipoRitenuta"}},
                     {K::Double, {"ImportoRitenuta", "AliquotaRitenuta"}},
                     {K::Text, {"CausalePagamento"}}});
    t << childTable("PA_FE_Body_ScontoMaggiorazione",
                    {{K::Text, {"Tipo"}}, {K::Double, {"Percentuale", "Importo"}}});
    t << childTable("PA_FE_Body_Causali", {{K::Text, {"Descrizione"}}});

    const QStringList linkedDocuments{"DatiOrdineAcquisto", "DatiContratto", "DatiConvenzione",
                                      "DatiRicezione", "DatiFattureCollegate"};
    for (const QString& block : linkedDocuments) {
        t << childTable(
            "PA_FE_Body_" + block,
            {{K::Text, {"IdDocumento"}},
             {K::Date, {"Data"}},
             {K::Text, {"NumItem", "CodiceCommessaConvenzione", "CodiceCUP", "CodiceCIG"}}});
    }
    t << childTable("PA_FE_Body_DatiDDT", {{K::Text, {"NumeroDDT"}}, {K::Date, {"DataDDT"}}});
    t << childTable("PA_FE_Body_DatiSAL", {{K::Long, {"RiferimentoFase"}}});
    // Line references: each row points both at its linked document and at an invoice line.
    for (const QString& block : linkedDocuments + QStringList{"DatiDDT"}) {
        const QString parent = "PA_FE_Body_" + block;
        t << childTable(parent + "_Riferimenti",
                        {{K::Long,
                          {parent + "_Id", "RiferimentoNumeroLinea",
                           "PA_FatturaElettronica_DatiBeniServizi_Id"}}},
                        {parent + "_Id", "PA_FatturaElettronica_DatiBeniServizi_Id"});
    }

    t << childTable("PA_FE_Body_DatiPagamento", {{K::Text, {"CondizioniPagamento"}}});
    t << childTable(
        "PA_FE_Body_DatiPagamento_Dettaglio",
        {
            {K::Long, {"PA_FE_Body_DatiPagamento_Id"}},
            {K::Text, {"Beneficiario", "ModalitaPagamento"}},
            {K::Date, {"DataRiferimentoTerminiPagamento"}},
            {K::Long, {"GiorniTerminiPagamento"}},
            {K::Date, {"DataScadenzaPagamento"}},
            {K::Double, {"ImportoPagamento"}},
            {K::Text,
             {"CodUfficioPostale", "CognomeQuietanzante", "NomeQuietanzante", "CFQuietanzante",
              "TitoloQuietanzante", "IstitutoFinanziario", "Iban", "Abi", "Cab", "Bic"}},
            {K::Double, {"ScontoPagamentoAnticipato"}},
            {K::Date, {"DataLimitePagamentoAnticipato"}},
            {K::Double, {"PenalitaPagamentiRitardati"}},
            {K::Date, {"DataDecorrenzaPenale"}},
            {K::Text, {"CodicePagamento"}},
        },
        {"PA_FE_Body_DatiPagamento_Id"});
    t << childTable("PA_FE_Body_Allegati",
                    {{K::Text,
                      {"NomeAttachment", "AlgoritmoCompressione", "FormatoAttachment",
                       "DescrizioneAttachment", "PercorsoCompleto"}}});

    // The life of a Document after its export. Every file written for it (a re-issue writes a
    // new one under a new name) and how it was sent, every message of the exchange system about
    // those files (kept whole, base64, with the document's key empty while it links to none), and
    // each error of a rejection.
    t << table("SdI_Invii",
               {{K::AutoNumber, {"Id"}},
                {K::Long, {"PA_FE_Header_Id"}},
                {K::Text, {"NomeFile", "Canale", "MessageId"}},
                {K::Date, {"DataInvio"}}},
               {"PA_FE_Header_Id"});
    t << table("SdI_Notifiche",
               {{K::AutoNumber, {"Id"}},
                {K::Long, {"PA_FE_Header_Id"}},
                {K::Text,
                 {"Tipo", "NomeFileNotifica", "NomeFileInviato", "IdentificativoSdI", "MessageId",
                  "Esito"}},
                {K::Date, {"DataOra", "Caricata"}},
                {K::Memo, {"Descrizione", "Note", "Contenuto"}}},
               {"PA_FE_Header_Id", "IdentificativoSdI"});
    t << table("SdI_Errori",
               {{K::AutoNumber, {"Id"}},
                {K::Long, {"SdI_Notifiche_Id"}},
                {K::Text, {"Codice"}},
                {K::Memo, {"Descrizione", "Suggerimento"}}},
               {"SdI_Notifiche_Id"});
    return t;
}

QList<TableDef> masterTables() {
    QList<TableDef> t;
    t << table("Ditta", {{K::Text,
                          {"RagSoc",
                           "Nome",
                           "Cognome",
                           "Via",
                           "Numero",
                           "Comune",
                           "Cap",
                           "Provincia",
                           "Tel",
                           "Fax",
                           "Cell",
                           "Email",
                           "Internet",
                           "PIva",
                           "CodFisc",
                           "IdPaese",
                           "NomeHostOnline",
                           "NomeDbOnline",
                           "UtenteDbOnline",
                           "PasswordDbOnline"}}});
    t << table("opzioni", {
                              {K::AutoNumber, {"Id"}},
                              {K::Long, {"VerBaseDati"}},
                              {K::Text, {"PasswordAmministratore"}},
                              {K::Long, {"TabIniziale"}},
                              {K::YesNo, {"StudioCommerciale"}},
                              {K::Long, {"CedentePrestatore_Id", "ModPagamento_Id", "Iva_Id"}},
                              {K::Double, {"AliquotaIva"}},
                              {K::Text,
                               {"EsigibilitaIva", "CartellaEsportazioneDocumenti",
                                "ImportaCarattereDivisorio", "CarattereTab"}},
                              {K::YesNo, {"ImportaIntestazionePrimaLinea"}},
                              {K::Text, {"ImportaStringa"}},
                              {K::Long, {"UltimoProgressivoInvio"}},
                              // When and from which file(s) the directory of public
                              // administrations was last loaded.
                              {K::Date, {"ElencoPA_Aggiornato"}},
                              {K::Text, {"ElencoPA_File"}},
                          });

    t << table("PA_CedentePrestatore",
               {
                   {K::AutoNumber, {"CedentePrestatore_Id"}},
                   {K::Text, identityColumns("CedentePrestatore_", "CodOERI") +
                                 QStringList{"CedentePrestatore_AlboProfessionale",
                                             "_ProvinciaAlbo", "_NumeroIscrizioneAlbo"}},
                   {K::Date, {"CedentePrestatore_DataIscrizioneAlbo"}},
                   {K::Text, {"CedentePrestatore_RegimeFiscale"}},
                   {K::Text,
                    {"CedentePrestatore_Sede_Indirizzo", "_NumeroCivico", "_CAP", "_Comune",
                     "_Provincia", "_Nazione"}},
                   {K::YesNo, {"CedentePrestatore_StabileOrganizzazione"}},
                   {K::Text,
                    {"CedentePrestatore_StabileOrganizzazione_Indirizzo", "_NumeroCivico", "_CAP",
                     "_Comune", "_Provincia", "_Nazione"}},
                   {K::YesNo, {"CedentePrestatore_Iscrizione_REA"}},
                   {K::Text, {"CedentePrestatore_Iscrizione_REA_Ufficio", "_NumeroREA"}},
                   {K::Double, {"CedentePrestatore_Iscrizione_REA_CapitaleSociale"}},
                   {K::Text, {"CedentePrestatore_Iscrizione_REA_SocioUnico", "_StatoLiquidazione"}},
                   {K::YesNo, {"CedentePrestatore_Iscrizione_Contatti"}},
                   {K::Text, {"CedentePrestatore_Contatti_Telefono", "_Fax", "_Email"}},
                   {K::Text,
                    {"CedentePrestatore_RiferimentoAmministrazione", "DPBeneficiario", "DPIban",
                     "DPIstitutoFinanziario"}},
               });
    t << table("PA_CessionarioCommittente",
               {
                   {K::AutoNumber, {"CessionarioCommittente_ID"}},
                   {K::Text, identityColumns("CessionarioCommittente_")},
                   {K::Text,
                    {"CessionarioCommittente_Sede_Indirizzo", "_NumeroCivico", "_CAP", "_Comune",
                     "_Provincia", "_Nazione"}},
                   {K::YesNo, {"CessionarioCommittente_StabileOrganizzazione"}},
                   {K::Text,
                    {"CessionarioCommittente_StabileOrganizzazione_Indirizzo", "_NumeroCivico",
                     "_CAP", "_Comune", "_Provincia", "_Nazione"}},
                   {K::YesNo, {"CessionarioCommittente_RappresentanteFiscale"}},
                   {K::Text,
                    {"CessionarioCommittente_RappresentanteFiscale_Nazione", "_IdCodice",
                     "_Denominazione", "_Nome", "_Cognome"}},
                   {K::YesNo, {"CessionarioCommittente_PubblicaAmministrazione"}},
                   {K::Text,
                    {"CessionarioCommittente_CodiceUnivocoUfficio", "CessionarioCommittente_Pec",
                     "CessionarioCommittente_NominativoVisualizzato",
                     "CessionarioCommittente_NominativoDocumenti"}},
               },
               // The customer list is read in this order.
               {"CessionarioCommittente_NominativoVisualizzato"});
    t << table("PA_RappresentanteFiscale",
               {{K::AutoNumber, {"RappresentanteFiscale_id"}},
                {K::YesNo, {"RappresentanteFiscale"}},
                {K::Text, identityColumns("RappresentanteFiscale_DatiAnagrafici_")}});
    t << table("PA_TerzoIntermediarioOSoggettoEmittente",
               {{K::AutoNumber, {"id"}},
                {K::YesNo, {"TerzoIntermediarioOSoggettoEmittente"}},
                {K::Text, identityColumns("TerzoIntermediarioOSoggettoEmittente_")}});
    t << table("Vettori",
               {{K::AutoNumber, {"Id"}},
                {K::Text, identityColumns(QString()) + QStringList{"NumeroLicenzaGuida"}}});

    t << table("Nazioni", {{K::Long, {"IDNazione"}}, {K::Text, {"SIGLA", "DENOMINAZ"}}});
    t << table("Regioni", {{K::Long, {"IDRegione"}}, {K::Text, {"Descrizione"}}});
    t << table("Province", {{K::Text, {"PROVINCIA", "CAPOLUOGO"}}, {K::Long, {"Regione_ID"}}},
               {"Regione_ID"});
    t << table("Comuni", {
                             {K::AutoNumber, {"ID"}},
                             {K::Text, {"Comune", "CAP", "Provincia"}},
                             {K::Long, {"Regione_ID", "Nazione_ID"}},
                             {K::Text, {"COD_ISTAT", "CODICE_F", "PrefNaz"}},
                             {K::YesNo, {"Capoluogo"}},
                             {K::Text, {"Latitudine", "Longitudine"}},
                         });

    t << table("Iva", {{K::AutoNumber, {"Id"}},
                       {K::Double, {"Iva"}},
                       {K::Text, {"Descrizione", "Pa_Natura_Codice"}},
                       {K::YesNo, {"NonEliminabile"}}});
    t << table("DettaglioVeloce", {{K::AutoNumber, {"Id"}},
                                   {K::Memo, {"Descrizione"}},
                                   {K::Double, {"Quantita", "PrezzoUnitario", "AliquotaIva"}},
                                   {K::YesNo, {"Valido"}}});

    t << table("griglie",
               {{K::Text,
                 {"NomeComputer", "NomeGriglia", "CampiUtente", "WidthUtente", "CaptionUtente",
                  "CampiPredefiniti", "WidthPredefiniti", "CaptionPredefiniti"}},
                {K::Long, {"TotaleCampiPredefiniti"}},
                {K::Text, {"CampoOrdinamento"}}});
    t << table("Personalizzazioni", {{K::Text, {"NomeTabella", "NomeCampo", "Tipo", "Valore"}}});

    t << table("PA_Errori", {{K::Text, {"Codice", "Titolo", "Descrizione", "Suggerimenti"}}});
    t << table("PA_DescrizioniFunzionali",
               {{K::Text, {"Codice", "Titolo"}}, {K::Memo, {"Descrizione"}}});
    t << table("PA_Amministrazioni_FatturaElettronica",
               {{K::Text,
                 {"DescrizionePA", "DescrizioneUfficio", "codice_Amministrazione", "cod_ou",
                  "codice_univoco", "indirizzo", "cap", "cf", "tipologia_istat"}},
                {K::Long, {"Comune_Id"}}},
               {"Comune_Id"});

    for (const char* name :
         {"PA_TipoDocumento", "PA_Divise", "PA_RegimeFiscale", "PA_Natura", "PA_EsigibilitaIva"})
        t << codeList(name);
    // The payment-method list is the only code list referred to by key (the default method of
    // the settings row).
    t << table("PA_ModalitaPagamento",
               {{K::AutoNumber, {"Id"}}, {K::Text, {"Codice", "Descrizione"}}});
    for (const char* name : {"PA_CondizioniPagamento", "PA_TipoCassa", "PA_TipoRitenuta"})
        t << codeList(name);
    t << codeList("Pa_Ritenute_CausalePagamento", K::Memo);
    for (const char* name :
         {"Pa_TipoScontoMaggiorazione", "PA_TipoCessionePrestazione", "PA_TipoResa",
          "PA_SoggettoEmittente", "PA_IscrizRea_SocioUnico", "PA_IscrizRea_StatoLiquidazione"})
        t << codeList(name);
    return t;
}

// Certified mail: the account of each seller (no password: it is asked once per program run),
// every message sent with a Document's file, the provider's receipts about them, and the
// Message-IDs of the messages of the mailbox already used, so that reading it again records
// nothing twice.
QList<TableDef> pecTables() {
    QList<TableDef> t;
    t << table("PEC_Account",
               {{K::AutoNumber, {"Id"}},
                {K::Long, {"CedentePrestatore_Id"}},
                {K::Text,
                 {"Indirizzo", "Utente", "ServerSmtp", "SicurezzaSmtp", "ServerImap",
                  "IndirizzoSdI", "IndirizzoSdIProposto"}},
                {K::Long, {"PortaSmtp", "PortaImap"}},
                {K::Memo, {"FileCertificati"}},
                {K::YesNo, {"RiceviAllAvvio"}}},
               {"CedentePrestatore_Id"});
    t << table("PEC_Invii",
               {{K::AutoNumber, {"Id"}},
                {K::Long, {"PA_FE_Header_Id", "PEC_Account_Id"}},
                {K::Text, {"NomeFile", "MessageId", "Mittente", "Destinatario"}},
                {K::Date, {"DataInvio"}}},
               {"PA_FE_Header_Id", "MessageId"});
    t << table("PEC_Ricevute",
               {{K::AutoNumber, {"Id"}},
                {K::Long, {"PEC_Invii_Id", "PA_FE_Header_Id"}},
                {K::Text, {"Tipo", "MessageId"}},
                {K::Date, {"DataOra"}},
                {K::Memo, {"Testo"}}},
               {"PEC_Invii_Id", "PA_FE_Header_Id"});
    t << table("PEC_Messaggi",
               {{K::AutoNumber, {"Id"}},
                {K::Long, {"PEC_Account_Id"}},
                {K::Text, {"MessageId"}},
                {K::Date, {"Elaborato"}},
                {K::Memo, {"Oggetto", "Esito"}}},
               {"MessageId"});
    return t;
}

} // namespace

const QList<TableDef>& archiveSchema() {
    static const QList<TableDef> tables = documentTables() + masterTables() + pecTables();
    return tables;
}

} // namespace brevalto
