#pragma once
// "Sconto Maggiorazione" (TfrmModifica_PA_Body_ScontoMaggiorazione): one document-level discount
// or surcharge of the current body. Only its kind is required.
#include "ui/FormEditor.h"

namespace brevalto {

class ScontoEditor : public FormEditor {
    Q_OBJECT
public:
    explicit ScontoEditor(DataModule& db, QWidget* parent = nullptr);
};

} // namespace brevalto
