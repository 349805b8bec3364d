#pragma once
// "Cassa Previdenziale" (TfrmModifica_PA_Body_CassaPrevidenziale): one pension-fund row of the
// current body. A row with VAT loses its nature silently on save; a row at VAT rate 0 needs one.
#include "ui/FormEditor.h"

namespace brevalto {

class CassaEditor : public FormEditor {
    Q_OBJECT
public:
    explicit CassaEditor(DataModule& db, QWidget* parent = nullptr);

protected:
    bool confirmSave() override;
};

} // namespace brevalto
