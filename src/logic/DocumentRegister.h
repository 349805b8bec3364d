#pragma once
// The register of Documents (the rows of PA_FE_Header) without its widgets: numbering a new
// Document and filling it with a snapshot of the firm and of the parties, opening, deleting with
// every body and child row, reloading. The main window's buttons call these; the header editor's
// "Annulla" calls elimina() under silentDelete.
#include <QString>
#include <functional>

namespace brevalto {

class DataModule;
class Dataset;
class Prompt;

class DocumentRegister {
public:
    DocumentRegister(DataModule& db, Prompt& prompt);

    // Shows the header editor on the current Document; justAdded offers its "Annulla". Set by
    // the main window; while unset, opening a Document only loads its bodies.
    std::function<void(bool justAdded)> showHeaderEditor;

    // "Ricarica": the register re-read from the archive, cursor on the first Document.
    void ricarica();
    // The bodies of the current Document into TablePA_Body.
    void loadBodies();
    // "Modifica": loads the bodies and shows the header editor (not while lines are added in a
    // batch). Does nothing on an empty register.
    void modifica(bool justAdded = false);
    // "Aggiungi": a new Document numbered after the highest one, filled from the firm, the seller,
    // the fiscal representative and the intermediary, stored and opened. Taking the number and
    // storing the row happen in one write transaction, so two workstations never share a number.
    // False (with the error shown) when the archive refused the row.
    bool aggiungi();
    // "Elimina": asks first (unless silentDelete), then deletes the current Document with its
    // bodies and all their rows in one transaction; a failure leaves everything in place and is
    // shown. False when nothing was deleted.
    bool elimina();

    // The number the next Document gets: one after the greater of the highest Numero and the
    // highest number ever given (kept in opzioni, so deleting the last Document frees nothing);
    // 1 on an empty archive.
    static int nextNumber(DataModule& db);

private:
    void fillNewDocument(Dataset& header, int number);

    DataModule& db_;
    Prompt& prompt_;
};

} // namespace brevalto
