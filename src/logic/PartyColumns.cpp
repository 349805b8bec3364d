#include "logic/PartyColumns.h"

#include "store/Dataset.h"
#include "store/PartyIdentity.h"

namespace brevalto {

const QStringList& sellerColumns() {
    static const QStringList columns =
        QStringList{"CedentePrestatore_Id"} +
        identityColumns(QStringLiteral("CedentePrestatore_"), QStringLiteral("CodOERI")) +
        QStringList{
            "CedentePrestatore_AlboProfessionale",    "CedentePrestatore_ProvinciaAlbo",
            "CedentePrestatore_NumeroIscrizioneAlbo", "CedentePrestatore_DataIscrizioneAlbo",
            "CedentePrestatore_RegimeFiscale",        "CedentePrestatore_Sede_Indirizzo",
            "CedentePrestatore_Sede_NumeroCivico",    "CedentePrestatore_Sede_CAP",
            "CedentePrestatore_Sede_Comune",          "CedentePrestatore_Sede_Provincia",
            "CedentePrestatore_Sede_Nazione",
        };
    return columns;
}

const QList<OptionalBlock>& sellerBlocks() {
    static const QList<OptionalBlock> blocks = {
        {"CedentePrestatore_StabileOrganizzazione",
         {"CedentePrestatore_StabileOrganizzazione_Indirizzo",
          "CedentePrestatore_StabileOrganizzazione_NumeroCivico",
          "CedentePrestatore_StabileOrganizzazione_CAP",
          "CedentePrestatore_StabileOrganizzazione_Comune",
          "CedentePrestatore_StabileOrganizzazione_Provincia",
          "CedentePrestatore_StabileOrganizzazione_Nazione"}},
        {"CedentePrestatore_Iscrizione_REA",
         {"CedentePrestatore_Iscrizione_REA_Ufficio", "CedentePrestatore_Iscrizione_REA_NumeroREA",
          "CedentePrestatore_Iscrizione_REA_CapitaleSociale",
          "CedentePrestatore_Iscrizione_REA_SocioUnico",
          "CedentePrestatore_Iscrizione_REA_StatoLiquidazione"}},
        {"CedentePrestatore_Iscrizione_Contatti",
         {"CedentePrestatore_Contatti_Telefono", "CedentePrestatore_Contatti_Fax",
          "CedentePrestatore_Contatti_Email"}},
    };
    return blocks;
}

const QStringList& buyerColumns() {
    static const QStringList columns = [] {
        // The VAT number is copied on its own.
        QStringList list = identityColumns(QStringLiteral("CessionarioCommittente_"));
        list.removeOne(QStringLiteral("CessionarioCommittente_IdCodice"));
        return list + QStringList{
                          "CessionarioCommittente_NominativoVisualizzato",
                          "CessionarioCommittente_NominativoDocumenti",
                          "CessionarioCommittente_Sede_Indirizzo",
                          "CessionarioCommittente_Sede_NumeroCivico",
                          "CessionarioCommittente_Sede_CAP",
                          "CessionarioCommittente_Sede_Comune",
                          "CessionarioCommittente_Sede_Provincia",
                          "CessionarioCommittente_Sede_Nazione",
                      };
    }();
    return columns;
}

const QList<OptionalBlock>& buyerBlocks() {
    static const QList<OptionalBlock> blocks = {
        {"CessionarioCommittente_StabileOrganizzazione",
         {"CessionarioCommittente_StabileOrganizzazione_Indirizzo",
          "CessionarioCommittente_StabileOrganizzazione_NumeroCivico",
          "CessionarioCommittente_StabileOrganizzazione_CAP",
          "CessionarioCommittente_StabileOrganizzazione_Comune",
          "CessionarioCommittente_StabileOrganizzazione_Provincia",
          "CessionarioCommittente_StabileOrganizzazione_Nazione"}},
        {"CessionarioCommittente_RappresentanteFiscale",
         {"CessionarioCommittente_RappresentanteFiscale_Nazione",
          "CessionarioCommittente_RappresentanteFiscale_Denominazione",
          "CessionarioCommittente_RappresentanteFiscale_Cognome",
          "CessionarioCommittente_RappresentanteFiscale_Nome",
          "CessionarioCommittente_RappresentanteFiscale_IdCodice"}},
    };
    return blocks;
}

void copyColumns(Dataset& target, const Dataset& source, const QStringList& columns) {
    for (const QString& column : columns)
        target.setValue(column, source.value(column));
}

} // namespace brevalto
