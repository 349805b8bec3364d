#pragma once
// "Causale" (TfrmModifica_PA_Body_Causali): one free-text reason of the current body.
#include "ui/FormEditor.h"

namespace brevalto {

class CausaliEditor : public FormEditor {
    Q_OBJECT
public:
    explicit CausaliEditor(DataModule& db, QWidget* parent = nullptr);
};

} // namespace brevalto
