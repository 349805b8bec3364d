#pragma once
// "Corpo della fattura" (TfrmGriglia_PA_Body): the bodies of the current Document
// (TablePA_Body, loaded by the Document register). From here a body is added, opened in the body
// editor, deleted with all its rows, and the Document is exported.
#include <QDialog>
#include <QPointer>
#include <functional>

class QLineEdit;
class QPushButton;

namespace brevalto {

class BodyEditor;
class DataGrid;
class DataModule;

class BodyRegister : public QDialog {
    Q_OBJECT
public:
    explicit BodyRegister(DataModule& db, QWidget* parent = nullptr);

    // The editor "Modifica" shows. While unset, opening a body only re-queries its rows.
    void setBodyEditor(BodyEditor* editor) { editor_ = editor; }
    BodyEditor* bodyEditor() const { return editor_; }

    // "Esci programma": set by the shell (it closes the archive and ends the process). While
    // unset, the connection is closed and the application asked to quit.
    std::function<void()> quitProgram;

    // "Aggiungi": a new body (TD01, EUR, today, presence flags off) of the current Document,
    // stored and opened with "Annulla" offered. False when the archive refused it.
    bool aggiungi();
    // "Modifica" and double click: re-queries the body's rows and shows the editor (not while
    // lines are added in a batch). Nothing on an empty register.
    void modifica();
    // "Elimina": asks, then deletes the body with every child row, all or nothing.
    bool elimina();
    // "Esporta xml".
    void esportaXml();
    void esciProgramma();
    // The hidden "REquery": every child dataset re-queried for the current body.
    void requeryChildren();

    DataGrid* grid() const { return grid_; }
    QLineEdit* tipoDocSearch() const { return edit2_; }
    QLineEdit* numeroSearch() const { return edit3_; }
    QPushButton* button(const QString& objectName) const;

private:
    void applySearch();

    DataModule& db_;
    DataGrid* grid_;
    QLineEdit* edit2_;
    QLineEdit* edit3_;
    QPointer<BodyEditor> editor_;
};

} // namespace brevalto
