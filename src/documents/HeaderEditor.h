#pragma once
// "Dati Trasmissione" (TfrmModifica_PA_Header): the first screen of a Document. It edits the
// transmission data and leads to the party screens: the seller, the fiscal representative and
// the intermediary through their captions, the buyer through "Avanti".
#include "documents/HeaderForm.h"

#include <QPointer>
#include <functional>

class QLabel;

namespace brevalto {

class HeaderCedenteEditor;
class HeaderCessionarioEditor;
class HeaderRappresentanteEditor;
class HeaderTerzoIntermediarioEditor;

class HeaderEditor : public HeaderForm {
    Q_OBJECT
public:
    explicit HeaderEditor(DataModule& db, QWidget* parent = nullptr);

    // The party screens this one leads to (created separately, once).
    void setPartyScreens(HeaderCedenteEditor* cedente, HeaderRappresentanteEditor* rappresentante,
                         HeaderTerzoIntermediarioEditor* terzo,
                         HeaderCessionarioEditor* cessionario);

    // Deletes the current Document with everything in it (the document register's delete); run
    // by "Annulla" with silentDelete set. While unset, the register's delete is run directly.
    std::function<void()> deleteCurrentDocument;

    // Shows the screen modally on the current Document; justAdded offers "Annulla" while it is
    // open (a Document just added can be taken back).
    int showDocument(bool justAdded);

    // "Avanti": saves when modified and, unless the save failed, opens the buyer screen.
    void avanti();
    // "Annulla" asks first when the Document just added already has bodies.
    bool confirmAnnulla() override;
    // "Annulla": deletes the Document just added.
    void deleteJustAdded() override;
    // The captions that open the party screens.
    void openCedente();
    void openRappresentante();
    void openTerzoIntermediario();

    QPushButton* avantiButton() const { return avanti_; }
    QLabel* cedenteLink() const { return cedenteLink_; }
    QLabel* rappresentanteLink() const { return rappresentanteLink_; }
    QLabel* terzoLink() const { return terzoLink_; }

private:
    QPushButton* avanti_;
    QLabel* cedenteLink_;
    QLabel* rappresentanteLink_;
    QLabel* terzoLink_;
    QPointer<HeaderCedenteEditor> cedente_;
    QPointer<HeaderRappresentanteEditor> rappresentante_;
    QPointer<HeaderTerzoIntermediarioEditor> terzo_;
    QPointer<HeaderCessionarioEditor> cessionario_;
};

} // namespace brevalto
