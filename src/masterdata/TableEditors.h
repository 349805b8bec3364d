#pragma once
// Two small code-table editors: a municipality, whose region follows the province picked, and a
// VAT rate, whose exemption nature goes with a zero rate only.
#include "ui/FormEditor.h"

namespace brevalto {

class Connection;

// Who names the municipality called name, which the row with key id would take away (deleted or
// renamed): "2 anagrafiche e 1 documento", or empty when none does or another row keeps the name.
// Parties and Documents store the name, and their editors refuse an address whose municipality
// their pick list no longer shows.
QString municipalityUsers(Connection& connection, const QString& name, const QVariant& id);

// "Comuni" (TfrmModificaComuni). A municipality that parties name keeps its name.
class ComuneEditor : public FormEditor {
    Q_OBJECT
public:
    explicit ComuneEditor(DataModule& db, QWidget* parent = nullptr);

protected:
    bool confirmSave() override;
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
