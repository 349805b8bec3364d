#pragma once
// The line picker ("Cerca Linee dettaglio Fattura"): a list of the current body's lines, whose
// query the caller sets on TableCercaLinee. A double click (or the hidden "Salva") marks a line
// chosen and closes; "Indietro" closes with nothing chosen. The caller reads the chosen line from
// the current row of TableCercaLinee.
#include "ui/BrowserBase.h"

namespace brevalto {

class CercaLineePicker : public BrowserBase {
    Q_OBJECT
public:
    explicit CercaLineePicker(DataModule& db, QWidget* parent = nullptr);
};

} // namespace brevalto
