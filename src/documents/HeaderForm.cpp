#include "documents/HeaderForm.h"

#include "store/DataModule.h"
#include "store/DatasetNames.h"
#include "ui/BoundInputs.h"

namespace brevalto {

HeaderForm::HeaderForm(DataModule& db, const QString& caption, QWidget* parent)
    : FormEditor(db, ds::PA_FE_Header, QStringLiteral("ID"), caption, parent) {}

} // namespace brevalto
