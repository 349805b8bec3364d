#include "masterdata/TableEditors.h"

#include "documents/VatRules.h"
#include "store/DataModule.h"
#include "store/DatasetNames.h"
#include "ui/BoundInputs.h"
#include "ui/CommonFields.h"

namespace brevalto {

ComuneEditor::ComuneEditor(DataModule& db, QWidget* parent)
    : FormEditor(db, ds::Comuni, QStringLiteral("ID"), QStringLiteral("Comuni"), parent) {
    setObjectName(QStringLiteral("frmModificaComuni"));
    beginForm();
    addTop({
        {.label = "Descrizione", .column = "Comune", .maxLength = 60},
        {.label = "Cap", .column = "Cap", .maxLength = 5},
        {.label = "Codice Istat", .column = "COD_ISTAT", .maxLength = 6},
        {.label = "Provincia", .column = "Provincia", .list = kProvinces},
        {.label = "Codice Belfiore", .column = "CODICE_F", .maxLength = 4, .upperCase = true},
        {.label = "Prefisso Telefonico", .column = "PrefNaz", .maxLength = 10},
        {.label = "Regione",
         .column = "Regione_ID",
         .list = {"TableRegioni", "IDRegione", "Descrizione"}},
        {.label = "Nazione",
         .column = "Nazione_ID",
         .list = {"TableNazioni", "IDNazione", "DENOMINAZ"}},
        {.label = "Capoluogo", .column = "Capoluogo", .control = FieldControl::Check},
        {.label = "Longitudine", .column = "Longitudine"},
        {.label = "Latitudine", .column = "Latitudine"},
    });
    finishForm();

    // The region follows the province picked; it can still be changed by hand afterwards.
    connect(lookup(QStringLiteral("Provincia")), &BoundLookup::picked, this, [this] {
        const Dataset& province = this->db().table(ds::Province);
        if (province.isNull(QStringLiteral("Regione_ID")))
            return;
        dataset().edit();
        dataset().setValue(QStringLiteral("Regione_ID"),
                           province.value(QStringLiteral("Regione_ID")));
        setModified(true);
    });

    setRules({{missing("Comune"), QStringLiteral("Attenzione manca la Descrizione del Comune"),
               QStringLiteral("Comune")}});
}

IvaEditor::IvaEditor(DataModule& db, QWidget* parent)
    : FormEditor(db, ds::Iva, QStringLiteral("ID"), QStringLiteral("Iva"), parent) {
    setObjectName(QStringLiteral("frmModificaIva"));
    setErrorTitle(QStringLiteral("Messaggio di Errore"));
    beginForm();
    addTop({
        {.label = "Descrizione", .column = "Descrizione", .maxLength = 100},
        {.label = "Aliquota Iva", .column = "Iva", .control = FieldControl::Number, .maxLength = 6},
        {.label = "Natura esenzione ", .column = "Pa_Natura_Codice", .list = natureList()},
    });
    finishForm();
    field(QStringLiteral("Pa_Natura_Codice"))
        ->setToolTip(QStringLiteral("Tipologia di esenzione iva"));
    // The stored nature code, shown beside its description.
    auto* code = new BoundLineEdit(&dataset(), QStringLiteral("Pa_Natura_Codice"));
    code->setObjectName(QStringLiteral("TipoEsenzione"));
    code->setAccessibleName(QStringLiteral("Tipo di esenzione "));
    code->setToolTip(QStringLiteral("Tipo di esenzione "));
    code->setReadOnly(true);
    code->setFocusPolicy(Qt::NoFocus);
    code->setMaximumWidth(70);
    placeBeside(QStringLiteral("Pa_Natura_Codice"), code);

    setRules({
        {missing("Descrizione"), QStringLiteral("Attenzione manca la Descrizione"),
         QStringLiteral("Descrizione")},
        {missing("Iva"), QStringLiteral("Attenzione manca l' Aliquota Iva"), QStringLiteral("Iva")},
        // The rate reaches lines, summaries and pension-fund rows, whose screens refuse these.
        {[this] { return vat::isImpossibleRate(dataset().value(QStringLiteral("Iva"))); },
         vat::kImpossibleRateMessage, QStringLiteral("Iva")},
        {[this] {
             return vat::isZeroRate(dataset().value(QStringLiteral("Iva"))) &&
                    vat::isRetiredNature(dataset().text(QStringLiteral("Pa_Natura_Codice")));
         },
         vat::kRetiredNatureMessage, QStringLiteral("Pa_Natura_Codice")},
        {[this] {
             return dataset().number(QStringLiteral("Iva")) == 0 && isEmpty("Pa_Natura_Codice");
         },
         QStringLiteral("Attenzione si deve specificare la natura di esenzione dell' Aliquota Iva"),
         QStringLiteral("Pa_Natura_Codice")},
    });
}

bool IvaEditor::confirmSave() {
    // A taxable rate carries no exemption nature: it goes without a word.
    if (dataset().number(QStringLiteral("Iva")) != 0 && !isEmpty("Pa_Natura_Codice")) {
        dataset().edit();
        dataset().setValue(QStringLiteral("Pa_Natura_Codice"), QVariant());
    }
    return true;
}

} // namespace brevalto
