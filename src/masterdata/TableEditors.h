#pragma once
// Two small code-table editors: a municipality, whose region follows the province picked, and a
// VAT rate, whose exemption nature goes with a zero rate only.
#include "ui/FormEditor.h"

namespace brevalto {

// "Comuni" (TfrmModificaComuni).
class ComuneEditor : public FormEditor {
    Q_OBJECT
public:
    explicit ComuneEditor(DataModule& db, QWidget* parent = nullptr);
};

// "Iva" (TfrmModificaIva).
class IvaEditor : public FormEditor {
    Q_OBJECT
public:
    explicit IvaEditor(DataModule& db, QWidget* parent = nullptr);

protected:
    bool confirmSave() override;
};

} // namespace brevalto
