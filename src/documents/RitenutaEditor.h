#pragma once
// "Dati Ritenuta" (TfrmModifica_PA_Body_DatiRitenuta): one withholding row of the current body.
// Its reason must be one of the payment reason codes; "Cerca" picks one from their list.
#include "documents/CausaliPagamentoPicker.h"
#include "ui/FormEditor.h"

class QPushButton;

namespace brevalto {

class RitenutaEditor : public FormEditor {
    Q_OBJECT
public:
    explicit RitenutaEditor(DataModule& db, QWidget* parent = nullptr);

    // The reason picker "Cerca" shows; the screen makes its own until one is given.
    void setPicker(CausaliPagamentoPicker* picker) { picker_ = picker; }
    CausaliPagamentoPicker* picker();
    // "Cerca": shows the picker; a chosen code becomes the row's reason.
    void cerca();
    QPushButton* cercaButton() const { return cerca_; }

    // True when code is one of the payment reason codes (compared as the archive's filters do).
    static bool isKnownReason(DataModule& db, const QString& code);

private:
    QPointer<CausaliPagamentoPicker> picker_;
    QPushButton* cerca_ = nullptr;
};

} // namespace brevalto
