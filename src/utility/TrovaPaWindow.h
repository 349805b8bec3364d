#pragma once
// The public-administration finder ("Trova Pubblica Amministrazione"): searches the directory of
// public-administration offices by up to eight criteria, each a contains match, and copies the
// chosen office into the customer being edited (TablePA_CessionarioCommittente), which it stores.
//
// Offices whose municipality the directory import could not place in Comuni are found too (the
// municipality columns are then empty): the directory is joined to Comuni with a left join, so a
// search by name, code or address still shows them; a search by municipality or province cannot.
#include "ui/BrowserBase.h"

#include <QStringList>
#include <functional>

class QLabel;

namespace brevalto {

class TrovaPaWindow : public BrowserBase {
    Q_OBJECT
public:
    explicit TrovaPaWindow(DataModule& db, QWidget* parent = nullptr);

    // The query of the eight boxes' texts (in the order "Comune", "Desc. PA", "Cod. univoco",
    // "Ufficio", "Cod. fiscale", "Provincia", "Indirizzo", "Tipologia"); empty when no box gives
    // a criterion.
    static QString searchSql(const QStringList& texts);

    // "cerca": runs the search of the boxes; with no criterion says so and leaves the result
    // closed. When the directory is empty offers to import it first.
    void cerca();
    // "reset": empties the boxes, closes the result and clears its filter.
    void reset();
    // "Avanti" and double click: copies the current office into the customer and closes. When
    // the copy replaces values the customer holds it names them and asks first (Yes by default);
    // asks nothing when there is no result.
    void modifica() override;

    // Opens the directory import (set by the program; the finder offers it when the directory is
    // empty and from its "Aggiorna elenco" button).
    std::function<void()> openImport;
    // Shows when and from which file the directory was loaded.
    void refreshStatus();

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QList<QLineEdit*> boxes_;
    QLabel* status_ = nullptr;
};

} // namespace brevalto
