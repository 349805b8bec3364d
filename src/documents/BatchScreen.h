#pragma once
// The Document register's work on many Documents at once: the rows selected in its grid (extended
// selection: Ctrl and Shift with a click or the arrows), "Seleziona da esportare", and the buttons
// that work on the selection. Each asks what it needs once (a folder, the password or PIN), runs
// the headless runner (export/BatchRun.h) under a progress window with "Annulla", and shows one
// summary: done, skipped with the reason, failed with the reason.
//
// A new action on the selection is one step (batch::Step) given to runOnSelection().
#include "export/BatchRun.h"

#include <QList>
#include <QObject>
#include <QString>
#include <functional>

class QProgressDialog;
class QWidget;

namespace brevalto {

class DataGrid;
class DataModule;
class SdiRegister;

class BatchScreen : public QObject {
    Q_OBJECT
public:
    BatchScreen(DataModule& db, DataGrid& grid, QWidget* window);

    // The IDs of the Documents selected in the grid, in the register's order (the current one
    // when none is selected; none on an empty register).
    QList<qint64> selectedIds() const;
    // Selects the rows of these Documents (the first becomes current).
    void selectIds(const QList<qint64>& ids);

    // "Seleziona da esportare": every Document not yet exported. Says so when there is none.
    void selezionaDaEsportare();
    // "Esporta xml": the folder asked once, each Document's file written there.
    void esportaXml();
    // "Controlla": the pre-send check of each Document, nothing written.
    void controlla();
    // "Firma": as "Esporta xml", each file also signed with this workstation's key; the password
    // or PIN asked once for the run and forgotten after it.
    void firma();
    // "Anteprima/PDF": one Document selected, its preview; several, the PDF of each into a
    // folder asked once.
    void anteprimaPdf();
    // "Crea ZIP per il portale": the files of the selected Documents (the signed one when the
    // Document was signed) packed into ZIPs within the portal's limits (export/PortalZip.h); the
    // name of the first ZIP asked, the others named after it. Documents not exported, or whose
    // file is gone, are named in the summary.
    void creaZip();
    // "Invia": each Document's file (the signed one when there is one) in its own certified-mail
    // message to the exchange system, from its seller's box; the password asked once per box.
    // Documents not exported are skipped; whether those already sent and not rejected leave
    // again is asked once for all. A Document that does not leave stays as it was.
    void invia();

    // The register's "Stato SdI" column: held during a run and read once at its end, instead of
    // once for every Document the run changes.
    void setSdiRegister(SdiRegister* sdiRegister) { sdi_ = sdiRegister; }

    // Runs step on the Documents ids under a progress window with "Annulla" (checked between
    // Documents), then shows the summary and selects the same Documents again. Nothing is shown
    // for an empty list but a message saying to select Documents.
    batch::Report runOnSelection(const QString& action, const QList<qint64>& ids,
                                 const batch::Step& step);

    // Called after each Document with how many are done while the progress window is up (tests
    // press its "Annulla" from here).
    std::function<void(int done)> afterDocument;

    static const QString kNothingSelected;

private:
    // The folder for the files of a run (the options' export folder proposed); empty: cancelled.
    QString askFolder(const QString& title);

    DataModule& db_;
    DataGrid& grid_;
    QWidget* window_;
    SdiRegister* sdi_ = nullptr;
    // The progress window of the run under way (a step that waits shows it there).
    QProgressDialog* progress_ = nullptr;
};

} // namespace brevalto
