#pragma once
// "Causale" (TfrmModifica_PA_Body_Causali): one free-text reason of the current body.
#include "ui/EditorBase.h"

namespace brevalto {

class CausaliEditor : public EditorBase {
    Q_OBJECT
public:
    explicit CausaliEditor(DataModule& db, QWidget* parent = nullptr);
};

} // namespace brevalto
