#pragma once
// "Allegati" (TfrmModifica_PA_Body_Allegati): one attachment of the current body. The archive
// keeps only the file's description and full path; the export reads the file from there.
#include "ui/FormEditor.h"

class QPushButton;

namespace brevalto {

class AllegatiEditor : public FormEditor {
    Q_OBJECT
public:
    explicit AllegatiEditor(DataModule& db, QWidget* parent = nullptr);

    // "Cerca": a file chosen in the open dialog becomes the path; nothing else is filled.
    void cerca();
    QPushButton* cercaButton() const { return cerca_; }

private:
    QPushButton* cerca_ = nullptr;
};

} // namespace brevalto
