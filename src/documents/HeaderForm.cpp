#include "documents/HeaderForm.h"

#include "store/DataModule.h"
#include "ui/BoundInputs.h"

namespace brevalto {

HeaderForm::HeaderForm(DataModule& db, const QString& caption, QWidget* parent)
    : FormEditor(db, QStringLiteral("TablePA_FE_Header"), QStringLiteral("ID"), caption, parent) {}

void HeaderForm::bindMunicipality(const QString& comune, const QString& cap,
                                  const QString& provincia, const QString& nazione) {
    connect(lookup(comune), &BoundLookup::picked, this, [this, cap, provincia, nazione] {
        const Dataset& comuni = db().table(QStringLiteral("TableComuni"));
        if (comuni.isNull(QStringLiteral("ID")))
            return;
        const Dataset& nazioni = db().table(QStringLiteral("TableNazioni"));
        const QVariant countryId = comuni.value(QStringLiteral("Nazione_ID"));
        QString country = QStringLiteral("IT");
        const int idColumn = nazioni.columnIndex(QStringLiteral("IDNazione"));
        const int siglaColumn = nazioni.columnIndex(QStringLiteral("SIGLA"));
        for (int row = 0; !countryId.isNull() && row < nazioni.rowCount(); ++row) {
            if (nazioni.valueAt(row, idColumn).toInt() == countryId.toInt()) {
                country = nazioni.valueAt(row, siglaColumn).toString();
                break;
            }
        }
        Dataset& header = dataset();
        header.edit();
        header.setValue(cap, comuni.text(QStringLiteral("CAP")));
        header.setValue(provincia, comuni.text(QStringLiteral("Provincia")));
        header.setValue(nazione, country);
        setModified(true);
    });
}

} // namespace brevalto
