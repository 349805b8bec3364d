#include "masterdata/TableEditors.h"

#include "logic/VatRules.h"
#include "store/Connection.h"
#include "store/DataModule.h"
#include "store/DatasetNames.h"
#include "store/Prompt.h"
#include "ui/BoundInputs.h"
#include "ui/CommonFields.h"

namespace brevalto {

QString municipalityUsers(Connection& c, const QString& name, const QVariant& id) {
    if (name.isEmpty())
        return {};
    const auto count = [&c, &name](const QString& sql, int marks) {
        return c.scalar(sql, QVariantList(marks, name)).toInt();
    };
    if (c.scalar(QStringLiteral("select count(*) from Comuni where Comune = ? and ID <> ?"),
                 {name, id.isNull() ? QVariant(-1) : id})
            .toInt() > 0)
        return {};
    const int parties =
        count(QStringLiteral("select count(*) from Ditta where Comune = ?"), 1) +
        count(QStringLiteral("select count(*) from PA_CedentePrestatore where "
                             "CedentePrestatore_Sede_Comune = ? or "
                             "CedentePrestatore_StabileOrganizzazione_Comune = ?"),
              2) +
        count(QStringLiteral("select count(*) from PA_CessionarioCommittente where "
                             "CessionarioCommittente_Sede_Comune = ? or "
                             "CessionarioCommittente_StabileOrganizzazione_Comune = ?"),
              2);
    const int documents = count(
        QStringLiteral("select count(*) from PA_FE_Header where CedentePrestatore_Sede_Comune = ? "
                       "or CedentePrestatore_StabileOrganizzazione_Comune = ? or "
                       "CessionarioCommittente_Sede_Comune = ? or "
                       "CessionarioCommittente_StabileOrganizzazione_Comune = ?"),
        4);
    QStringList users;
    if (parties > 0)
        users << (parties == 1 ? QStringLiteral("1 anagrafica")
                               : QStringLiteral("%1 anagrafiche").arg(parties));
    if (documents > 0)
        users << (documents == 1 ? QStringLiteral("1 documento")
                                 : QStringLiteral("%1 documenti").arg(documents));
    return users.join(QStringLiteral(" e "));
}

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

    setRules({
        {missing("Comune"), QStringLiteral("Attenzione manca la Descrizione del Comune"),
         QStringLiteral("Comune")},
    });
}

bool ComuneEditor::confirmSave() {
    const QVariant id = dataset().value(QStringLiteral("ID"));
    if (id.isNull())
        return true;
    const QString stored =
        dataset()
            .connection()
            .scalar(QStringLiteral("select Comune from Comuni where ID = ?"), {id})
            .toString();
    if (stored.isEmpty() || stored == dataset().text(QStringLiteral("Comune")))
        return true;
    const QString users = municipalityUsers(dataset().connection(), stored, id);
    if (users.isEmpty())
        return true;
    prompt().message(Prompt::errorTitle(),
                     QStringLiteral("Il Comune %1 non può cambiare nome: è indicato da %2, che "
                                    "senza di esso non si potrebbero più salvare. Per un altro "
                                    "nome aggiungere un nuovo Comune.")
                         .arg(stored, users));
    showField(QStringLiteral("Comune"));
    return false;
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

    setRules(vat::rateTableRules());
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
