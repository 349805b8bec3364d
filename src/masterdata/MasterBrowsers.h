#pragma once
// The five master-data lists: sellers, customers, municipalities, VAT rates and carriers. Each is
// a Browser definition over its shared dataset; each opens its record editor.
#include "ui/BrowserBase.h"

namespace brevalto {

// "Griglia Cedenti Prestatori" (TfrmGrigliaCedentiPrestatori).
class CedentiBrowser : public BrowserBase {
    Q_OBJECT
public:
    explicit CedentiBrowser(DataModule& db, QWidget* parent = nullptr);
};

// "Cessionari - Committenti" (TfrmGriglia_CessionarioCommittente). Its "Aggiungi" is also the
// header editor's new-customer button.
class CessionariBrowser : public BrowserBase {
    Q_OBJECT
public:
    explicit CessionariBrowser(DataModule& db, QWidget* parent = nullptr);

    // Asks first; a customer that Documents name is deleted only once the question has said how
    // many (they keep their own copy of its data).
    bool elimina() override;
};

// "Comuni" (TfrmGrigliaComuni). A municipality that parties or Documents name is not deleted:
// they store its name, and their editors would show an empty "Comune" and refuse to save.
class ComuniBrowser : public BrowserBase {
    Q_OBJECT
public:
    explicit ComuniBrowser(DataModule& db, QWidget* parent = nullptr);

protected:
    bool canDelete() override;
};

// "Iva" (TfrmGrigliaIva): the rates the program ships are marked not deletable.
class IvaBrowser : public BrowserBase {
    Q_OBJECT
public:
    explicit IvaBrowser(DataModule& db, QWidget* parent = nullptr);

protected:
    bool canDelete() override;
};

// " Vettori" (TfrmGrigliaVettori).
class VettoriBrowser : public BrowserBase {
    Q_OBJECT
public:
    explicit VettoriBrowser(DataModule& db, QWidget* parent = nullptr);
};

// What the main window's master-data buttons do around the screens.
// "Cedente - Prestatore": the list of sellers when the firm keeps several (opzioni's
// StudioCommerciale), otherwise the editor on the one seller, on a new unsaved row when there is
// none yet.
void openSellers(DataModule& db, BrowserBase& browser, EditorBase& editor);
// The fiscal representative or the intermediary: the editor on the table's one row. A missing row
// is added switched on, and counts as modified: leaving checks it and stores it (switched off, it
// is stored without checks).
void openSingleRow(EditorBase& editor, const QString& flagColumn);
// Shows the browser, then empties its search boxes and filter.
void showThenClearSearch(BrowserBase& browser);

} // namespace brevalto
