#include "export/IncludedBlocks.h"

#include "store/DataModule.h"
#include "store/Dataset.h"
#include "store/DatasetNames.h"

namespace brevalto {

const QString kWarningCode = QStringLiteral("AVVISO");

namespace {

QStringList prefixed(const QString& prefix, std::initializer_list<const char*> tails) {
    QStringList columns;
    for (const char* tail : tails)
        columns << prefix + QLatin1String(tail);
    return columns;
}

QStringList address(const QString& prefix) {
    return prefixed(prefix, {"Indirizzo", "NumeroCivico", "CAP", "Comune", "Provincia", "Nazione"});
}

QStringList anagrafica(const QString& prefix) {
    return prefixed(prefix, {"IdPaese", "IdCodice", "CodiceFiscale", "Denominazione", "Nome",
                             "Cognome", "Titolo", "CodEORI"});
}

bool included(const Dataset& rows, int row, const QString& flag) {
    const int index = rows.columnIndex(flag);
    return index < 0 || rows.valueAt(row, index).toBool();
}

} // namespace

const QList<IncludedBlock>& headerBlocks() {
    static const QList<IncludedBlock> blocks = {
        {"CedentePrestatore_StabileOrganizzazione",
         "Stabile Organizzazione del Cedente",
         address("CedentePrestatore_StabileOrganizzazione_"),
         {},
         "Cedente Prestatore"},
        {"CedentePrestatore_Iscrizione_REA",
         "Iscrizione REA del Cedente",
         prefixed("CedentePrestatore_Iscrizione_REA_",
                  {"Ufficio", "NumeroREA", "CapitaleSociale", "SocioUnico", "StatoLiquidazione"}),
         {},
         "Cedente Prestatore"},
        {"CedentePrestatore_Iscrizione_Contatti",
         "Contatti del Cedente",
         prefixed("CedentePrestatore_Contatti_", {"Telefono", "Fax", "Email"}),
         {},
         "Cedente Prestatore"},
        {"CessionarioCommittente_StabileOrganizzazione",
         "Stabile Organizzazione del Cessionario",
         address("CessionarioCommittente_StabileOrganizzazione_"),
         {},
         "Cessionario - Committente"},
        {"CessionarioCommittente_RappresentanteFiscale",
         "Rappresentante fiscale del Cessionario",
         prefixed("CessionarioCommittente_RappresentanteFiscale_",
                  {"Nazione", "IdCodice", "Denominazione", "Nome", "Cognome"}),
         {},
         "Cessionario - Committente"},
        {"RappresentanteFiscale",
         "Rappresentante Fiscale",
         anagrafica("RappresentanteFiscale_DatiAnagrafici_"),
         {},
         "Rappresentante Fiscale"},
        {"TerzoIntermediarioOSoggettoEmittente",
         "Terzo Intermediario",
         anagrafica("TerzoIntermediarioOSoggettoEmittente_"),
         {},
         "Terzo Intermediario"},
    };
    return blocks;
}

const QList<IncludedBlock>& bodyBlocks() {
    static const QString trasporto = QStringLiteral("Corpo della fattura - Trasporto");
    static const QList<IncludedBlock> blocks = {
        {"DatiGenerali_DatiBollo",
         "Dati Bollo",
         {"DatiGenerali_DatiBollo_BolloVirtuale", "DatiGenerali_DatiBollo_ImportoBollo"},
         {},
         "Corpo della fattura - Dati Generali"},
        {"DatiTrasporto",
         "Dati Trasporto",
         {"MezzoTrasporto", "CausaleTrasporto", "NumeroColli", "Descrizione", "UnitaMisuraPeso",
          "PesoLordo", "PesoNetto", "DataOraRitiro", "DataInizioTrasporto", "DataOraConsegna",
          "TipoResa"},
         {},
         trasporto},
        {"DatiAnagraficiVettore", "Dati Vettore",
         QStringList{"Vettore_ID"} + anagrafica("Vettore_") +
             QStringList{"Vettore_NumeroLicenzaGuida"},
         "DatiTrasporto", trasporto},
        {"IndirizzoResa", "Indirizzo Resa", address("Resa_"), "DatiTrasporto", trasporto},
        {"FatturaPrincipale",
         "Fattura principale",
         {"NumeroFatturaPrincipale", "DataFatturaPrincipale"},
         {},
         "Corpo della fattura - Altro"},
        {"DatiVeicoli",
         "Dati Veicoli",
         {"DatiVeicoli_Data", "DatiVeicoli_TotalePercorso"},
         {},
         "Corpo della fattura - Altro"},
    };
    return blocks;
}

bool holdsData(const Dataset& rows, int row, const IncludedBlock& block) {
    for (const QString& column : block.columns) {
        if (column.endsWith(QLatin1String("IdPaese")) || column.endsWith(QLatin1String("Nazione")))
            continue;
        const int index = rows.columnIndex(column);
        if (index < 0)
            continue;
        const QVariant value = rows.valueAt(row, index);
        if (!value.isNull() && !value.toString().trimmed().isEmpty())
            return true;
    }
    return false;
}

check::Findings excludedBlockFindings(DataModule& data) {
    check::Findings findings;
    const auto scan = [&](const Dataset& rows, int row, const QList<IncludedBlock>& blocks,
                          const QString& where) {
        for (const IncludedBlock& block : blocks) {
            if (!holdsData(rows, row, block))
                continue;
            QString message;
            if (!included(rows, row, block.flag)) {
                message = QStringLiteral("Il blocco «%1» contiene dati ma «Includi» non è "
                                         "spuntato: quei dati non saranno nel file.")
                              .arg(block.caption);
            } else if (!block.parent.isEmpty() && !included(rows, row, block.parent)) {
                QString parentCaption;
                for (const IncludedBlock& other : blocks)
                    if (other.flag == block.parent)
                        parentCaption = other.caption;
                message = QStringLiteral("Il blocco «%1» contiene dati ma «Includi» di «%2» non "
                                         "è spuntato: quei dati non saranno nel file.")
                              .arg(block.caption, parentCaption);
            } else {
                continue;
            }
            findings << check::Finding{
                kWarningCode, where, message, 0, block.screen, QStringLiteral("Includi")};
        }
    };
    const Dataset& header = data.table(ds::PA_FE_Header);
    if (header.position() >= 0)
        scan(header, header.position(), headerBlocks(), QStringLiteral("FatturaElettronicaHeader"));
    const Dataset& bodies = data.table(ds::PA_Body);
    if (bodies.isOpen())
        for (int row = 0; row < bodies.rowCount(); ++row)
            scan(bodies, row, bodyBlocks(),
                 QStringLiteral("FatturaElettronicaBody[%1]/DatiGenerali").arg(row + 1));
    return findings;
}

bool isWarning(const check::Finding& finding) {
    return finding.code == kWarningCode;
}

} // namespace brevalto
