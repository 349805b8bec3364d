#pragma once
// "Corpo della fattura" (TfrmGriglia_PA_Body): the bodies of the current Document
// (TablePA_Body, loaded by the Document register). From here a body is added, opened in the body
// editor, deleted with all its rows, and the Document is exported.
#include "ui/BrowserBase.h"

#include <QDate>
#include <QPointer>
#include <functional>

namespace brevalto {

class BodyEditor;

class BodyRegister : public BrowserBase {
    Q_OBJECT
public:
    explicit BodyRegister(DataModule& db, QWidget* parent = nullptr);

    // The editor "Modifica" shows. While unset, opening a body only re-queries its rows.
    void setBodyEditor(BodyEditor* editor);
    BodyEditor* bodyEditor() const { return bodyEditor_; }

    // "Esci programma": set by the shell (it closes the archive and ends the process). While
    // unset, the connection is closed and the application asked to quit.
    std::function<void()> quitProgram;

    // "Aggiungi" gives a new body TD01, EUR, today and the presence flags off; "Modifica" and a
    // double click re-query the body's rows before the editor shows (not while lines are added
    // in a batch); "Elimina" deletes the body with every child row, all or nothing.
    void modifica() override;
    bool elimina() override;
    // "Esporta xml".
    void esportaXml();
    // "Firma": checked, exported and signed in one step with the key of this workstation (the
    // options' "Firma digitale"), the password or PIN asked; then whether to keep the unsigned
    // file.
    void firma();
    // "Invia": the Document's exported file (the signed one when there is one) to the exchange
    // system by certified mail; "Ricevi" reads the mailbox (documents/PecActions.h).
    void invia();
    // "Controlla": the pre-send check of the Document's file, built in memory and never written;
    // the findings in a window, or "Nessun errore rilevato". today: see check::Options.
    void controlla(QDate today = {});
    static const QString kNoFindingsMessage;
    // "Anteprima": the Document as it would be exported, built in memory, in a print preview with
    // "Stampa" and "Salva PDF".
    void anteprima();
    void esciProgramma();
    // The hidden "REquery": every child dataset re-queried for the current body.
    void requeryChildren();

    QLineEdit* tipoDocSearch() const { return searchBox(0); }
    QLineEdit* numeroSearch() const { return searchBox(1); }

protected:
    void fillNewRow() override;
    void openNewRow() override;

private:
    // False, after saying so, when another workstation deleted the Document.
    bool documentStillThere();
    // Runs build (which builds the Document's file in memory) and puts the register back on the
    // body it was on; says why when there is no body or the file cannot be built.
    bool buildInMemory(const std::function<void()>& build);

    QPointer<BodyEditor> bodyEditor_;
};

} // namespace brevalto
