#pragma once
// "Opzioni" (TfrmOpzioni): the settings row of the archive (opzioni), shown without waiting.
// Everything is stored when the screen is left through "Indietro".
#include "ui/EditorBase.h"

#include <QStringList>
#include <QUrl>
#include <functional>

class QComboBox;
class QToolButton;

namespace brevalto {

class BoundLookup;

class OpzioniWindow : public EditorBase {
    Q_OBJECT
public:
    // tabCaptions: the captions of the main window's tabs, in tab order ("Tab iniziale ").
    OpzioniWindow(DataModule& db, const QStringList& tabCaptions, QWidget* parent = nullptr);

    void setTabCaptions(const QStringList& captions) { tabCaptions_ = captions; }

    // Shows or hides the seller selectors that only make sense when several sellers are kept;
    // run after every save with the stored StudioCommerciale. Set by the main window.
    std::function<void(bool visible)> setMultiSellerSelectorsVisible;
    // Opens a folder or an address with the system's handler; replaceable for tests.
    std::function<bool(const QUrl&)> openUrl;

    // "Indietro" (and Escape): saves, modified or not, then closes.
    void indietro() override;
    // Save: the chosen start tab and the whole row stored, then the seller selectors adjusted.
    void salva();
    // The folder picker beside "Cartella Esp. Documenti"; nothing is stored until "Indietro".
    void pickFolder();
    // Opens the export folder with the file manager, or says why it cannot.
    void openFolder();

    QComboBox* tabInizialeList() const { return tabIniziale_; }
    QToolButton* pickFolderButton() const { return pickFolder_; }
    QToolButton* openFolderButton() const { return openFolder_; }

protected:
    void showEvent(QShowEvent* event) override;
    void beforeRules() override;
    bool store(QString* error) override;

private:
    QStringList tabCaptions_;
    QComboBox* tabIniziale_;
    QToolButton* pickFolder_;
    QToolButton* openFolder_;
};

} // namespace brevalto
