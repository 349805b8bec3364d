#include "logic/DocumentRules.h"

#include "logic/Parties.h"
#include "logic/VatRules.h"

#include <QFileInfo>
#include <QRegularExpression>

namespace brevalto {

using rules::missing;

namespace {

const QString kRate = QStringLiteral("AliquotaIva");
const QString kNature = QStringLiteral("Natura");

RowRule required(const QString& column, const QString& message) {
    return {missing(column), message, column};
}

RowTest lengthBetween(const QString& column, int min, int max) {
    return [column, min, max](const RowValues& row) {
        return row.length(column) >= min && row.length(column) <= max;
    };
}

RowTest inBlock(const QString& flag, RowTest test) {
    return rules::whileOn({flag}, std::move(test));
}

// The generic natures are refused where the rate is zero (with another rate the nature goes).
RowRule retiredNatureAtZeroRate() {
    return {[](const RowValues& row) {
                return vat::isZeroRate(row.numeric(kRate)) &&
                       vat::isRetiredNature(row.text(kNature));
            },
            vat::kRetiredNatureMessage, kNature};
}

RowRule withholdingFlag() {
    return {rules::notSi(QStringLiteral("Ritenuta")),
            QStringLiteral(
                "Attenzione il solo valore per la Ritenuta e' di SI altrimenti lasciare vuoto!"),
            QStringLiteral("Ritenuta")};
}

} // namespace

QList<RowRule> transmissionRules() {
    return {
        required(QStringLiteral("DatiTrasmissione_ProgressivoInvio"),
                 QStringLiteral("Attenzione manca il Progressivo Invio")),
        required(QStringLiteral("DatiTrasmissione_IdCodice"),
                 QStringLiteral("Attenzione manca il Codice Fiscale")),
        required(QStringLiteral("DatiTrasmissione_IdPaese"),
                 QStringLiteral("Attenzione manca la Nazione")),
    };
}

QList<RowRule> bodyRules() {
    const QString number = QStringLiteral("DatiGenerali_Numero");
    const QString resa = QStringLiteral("IndirizzoResa");
    const QString principale = QStringLiteral("FatturaPrincipale");
    const QString veicoli = QStringLiteral("DatiVeicoli");
    const auto inResa = [&](const QString& column, const QString& message) {
        return RowRule{inBlock(resa, missing(column)), message, column};
    };
    return QList<RowRule>{
               required(QStringLiteral("DatiGenerali_TipoDocumento"),
                        QStringLiteral("Attenzione manca il tipo di documento")),
               required(QStringLiteral("DatiGenerali_Divisa"),
                        QStringLiteral("Attenzione manca la Divisa")),
               required(QStringLiteral("DatiGenerali_Data"),
                        QStringLiteral("Attenzione manca la Data")),
               required(number, QStringLiteral("Attenzione manca il numero di Documento")),
               {[number](const RowValues& row) {
                    static const QRegularExpression digit(QStringLiteral("[0-9]"));
                    return !row.text(number).contains(digit);
                },
                QStringLiteral("Attenzione il numero di Documento deve contenere almeno una cifra"),
                number},
               {rules::notSi(QStringLiteral("Art73")),
                QStringLiteral(
                    "Attenzione il solo valore per l'Art.73 e' di SI altrimenti lasciare vuoto!"),
                QStringLiteral("Art73")},
               {inBlock(QStringLiteral("DatiGenerali_DatiBollo"),
                        [](const RowValues& row) {
                            return row.text(
                                       QStringLiteral("DatiGenerali_DatiBollo_BolloVirtuale")) !=
                                   QLatin1String("SI");
                        }),
                QStringLiteral("Attenzione Il Bollo Virtuale deve essere impostato a SI"),
                QStringLiteral("DatiGenerali_DatiBollo_BolloVirtuale")},
           } +
           identityRules(party::bodyCarrier()) +
           QList<RowRule>{
               inResa(QStringLiteral("Resa_Indirizzo"),
                      QStringLiteral("Attenzione manca l'indirizzo della Resa")),
               inResa(QStringLiteral("Resa_CAP"),
                      QStringLiteral("Attenzione manca il CAP della Resa")),
               {inBlock(resa, lengthBetween(QStringLiteral("Resa_CAP"), 1, 1)),
                QStringLiteral("Attenzione il CAP della Resa deve essere di almeno 2 caratteri"),
                QStringLiteral("Resa_CAP")},
               inResa(QStringLiteral("Resa_Comune"),
                      QStringLiteral("Attenzione manca il Comune della Resa")),
               inResa(QStringLiteral("Resa_Nazione"),
                      QStringLiteral("Attenzione manca la Nazionalità del comune di Resa")),
               {inBlock(principale, missing(QStringLiteral("NumeroFatturaPrincipale"))),
                QStringLiteral("Attenzione manca il numero di fattura principale"),
                QStringLiteral("NumeroFatturaPrincipale")},
               {inBlock(principale, missing(QStringLiteral("DataFatturaPrincipale"))),
                QStringLiteral("Attenzione manca la data di fattura principale"),
                QStringLiteral("DataFatturaPrincipale")},
               {inBlock(veicoli, missing(QStringLiteral("DatiVeicoli_Data"))),
                QStringLiteral("Attenzione manca la data di immatricolazione veicolo"),
                QStringLiteral("DatiVeicoli_Data")},
               {inBlock(veicoli, missing(QStringLiteral("DatiVeicoli_TotalePercorso"))),
                QStringLiteral("Attenzione manca il totale percorso dal veicolo"),
                QStringLiteral("DatiVeicoli_TotalePercorso")},
           };
}

QList<RowRule> discountRules() {
    return {
        required(QStringLiteral("Tipo"), QStringLiteral("Attenzione manca il Tipo")),
        {[](const RowValues& row) {
             return vat::lacksPercentageAndAmount(row.numeric(QStringLiteral("Percentuale")),
                                                  row.numeric(QStringLiteral("Importo")));
         },
         vat::kMissingPercentageAndAmount, QStringLiteral("Percentuale")},
    };
}

QList<RowRule> pensionFundRules() {
    return QList<RowRule>{
               required(QStringLiteral("TipoCassa"),
                        QStringLiteral("Attenzione manca il Tipo di Cassa")),
               required(QStringLiteral("AlCassa"),
                        QStringLiteral("Attenzione manca l'Aliquota della cassa")),
               required(QStringLiteral("ImportoContributoCassa"),
                        QStringLiteral("Attenzione manca l'Importo del Contributo della cassa")),
               required(kRate, QStringLiteral("Attenzione manca l'Aliquota Iva")),
               withholdingFlag(),
           } +
           vat::rateRules() + QList<RowRule>{retiredNatureAtZeroRate()};
}

QList<RowRule> causaleRules() {
    return {
        required(QStringLiteral("Descrizione"), QStringLiteral("Attenzione manca la Descrizione"))};
}

QList<RowRule> withholdingRules(std::function<bool(const QString&)> knownReason) {
    const QString reason = QStringLiteral("CausalePagamento");
    return {
        required(QStringLiteral("TipoRitenuta"),
                 QStringLiteral("Attenzione manca il Tipo di ritenuta")),
        required(QStringLiteral("ImportoRitenuta"),
                 QStringLiteral("Attenzione manca l'importo della ritenuta")),
        required(QStringLiteral("AliquotaRitenuta"),
                 QStringLiteral("Attenzione manca l'aliquota della ritenuta")),
        required(reason, QStringLiteral("Attenzione manca la causale della ritenuta")),
        {[reason, knownReason = std::move(knownReason)](const RowValues& row) {
             return !knownReason(row.text(reason));
         },
         QStringLiteral("Attenzione il codice inserito per la Causale relativa alle ritenute non è "
                        "conforme ai codici da poter utilizzare!"),
         reason},
    };
}

QList<RowRule> attachmentRules() {
    const QString path = QStringLiteral("PercorsoCompleto");
    return {
        required(QStringLiteral("NomeAttachment"),
                 QStringLiteral("Attenzione manca il nome dell'allegato")),
        required(path, QStringLiteral("Attenzione manca il Percorso dell'allegato")),
        {[path](const RowValues& row) {
             const QFileInfo file(row.text(path));
             return !file.exists() || !file.isFile();
         },
         QStringLiteral("Attenzione il File non risulta esistere nel percorso definito !"), path},
    };
}

QList<RowRule> summaryRules() {
    return QList<RowRule>{
               required(kRate, QStringLiteral("Attenzione manca l'aliquota iva")),
               required(QStringLiteral("ImponibileImporto"),
                        QStringLiteral("Attenzione manca l'imponibile")),
               required(QStringLiteral("Imposta"), QStringLiteral("Attenzione manca l'imposta")),
           } +
           vat::rateRules() +
           QList<RowRule>{
               {[](const RowValues& row) {
                    return !vat::isZeroRate(row.numeric(kRate)) && !row.isEmpty(kNature);
                },
                QStringLiteral("Attenzione con aliquota IVA diversa da zero non deve essere "
                               "presente il campo Natura !"),
                kNature},
               {[](const RowValues& row) { return vat::isRetiredNature(row.text(kNature)); },
                vat::kRetiredNatureMessage, kNature},
               {[](const RowValues& row) {
                    return vat::isReverseCharge(row.text(kNature)) &&
                           row.text(QStringLiteral("EsigibilitaIva")).toUpper() ==
                               QLatin1String("S");
                },
                QStringLiteral("Attenzione con la natura N6 (inversione contabile) l'esigibilità "
                               "IVA non può essere S (scissione dei pagamenti): usare I"),
                QStringLiteral("EsigibilitaIva")},
           };
}

QList<RowRule> referredDocumentRules() {
    return {
        required(QStringLiteral("IdDocumento"), QStringLiteral("Attenzione manca l'IdDocumento"))};
}

QList<RowRule> referredLineRules() {
    return {required(QStringLiteral("RiferimentoNumeroLinea"),
                     QStringLiteral("Attenzione manca il Riferimanto linea"))};
}

QList<RowRule> ddtRules() {
    return {
        required(QStringLiteral("NumeroDDT"), QStringLiteral("Attenzione manca il numero del DDT")),
        required(QStringLiteral("DataDDT"), QStringLiteral("Attenzione manca la data")),
    };
}

QList<RowRule> salRules() {
    return {required(QStringLiteral("RiferimentoFase"),
                     QStringLiteral("Attenzione manca il Riferimanto fase"))};
}

QList<RowRule> paymentRules() {
    return {required(QStringLiteral("CondizioniPagamento"),
                     QStringLiteral("Attenzione manca la condizione di pagamento"))};
}

QList<RowRule> instalmentRules() {
    const auto atLeast = [](const QString& column, int min, const QString& message) {
        return RowRule{rules::tooShort(column, min), message, column};
    };
    return {
        required(QStringLiteral("ModalitaPagamento"),
                 QStringLiteral("Attenzione manca la modalità di pagamento")),
        required(QStringLiteral("ImportoPagamento"),
                 QStringLiteral("Attenzione manca l'importo !")),
        atLeast(
            QStringLiteral("CFQuietanzante"), 16,
            QStringLiteral("Attenzione il codice fiscale del Quietanzante deve essere di almeno "
                           "16 caratteri")),
        atLeast(QStringLiteral("Iban"), 27,
                QStringLiteral("Attenzione il codice Iban deve essere di almeno 27 caratteri")),
        atLeast(QStringLiteral("Abi"), 5,
                QStringLiteral("Attenzione il codice Abi deve essere di almeno 5 caratteri")),
        atLeast(QStringLiteral("Cab"), 5,
                QStringLiteral("Attenzione il codice Cab deve essere di almeno 5 caratteri")),
        atLeast(QStringLiteral("Bic"), 8,
                QStringLiteral("Attenzione il codice Bic deve essere di almeno 8 caratteri")),
    };
}

QList<RowRule> lineRules() {
    return QList<RowRule>{
               required(QStringLiteral("NumeroLinea"),
                        QStringLiteral("Attenzione manca il Numero Linea")),
               required(QStringLiteral("Descrizione"),
                        QStringLiteral("Attenzione manca la Descrizione")),
               required(QStringLiteral("PrezzoUnitario"),
                        QStringLiteral("Attenzione manca il Prezzo Unitario")),
               required(QStringLiteral("PrezzoTotale"),
                        QStringLiteral("Attenzione manca il Prezzo Totale")),
               required(kRate, QStringLiteral("Attenzione manca l'Aliquota Iva")),
           } +
           vat::rateRules() + QList<RowRule>{retiredNatureAtZeroRate(), withholdingFlag()};
}

QList<RowRule> lineCodeRules() {
    return {
        required(QStringLiteral("CodiceTipo"), QStringLiteral("Attenzione manca il Codice tipo")),
        required(QStringLiteral("CodiceValore"),
                 QStringLiteral("Attenzione manca il Codice valore")),
    };
}

QList<RowRule> lineOtherDataRules() {
    return {required(QStringLiteral("TipoDato"), QStringLiteral("Attenzione manca il tipo"))};
}

} // namespace brevalto
