#pragma once
// "Corpo della fattura" (TfrmModifica_PA_Body): the editor of the current body of TablePA_Body.
// It edits the body's general, transport and other data, and from it every child section of the
// body is added, opened and deleted as the section table (BodySections.h) says. The section
// screens are registered per dataset; the editor makes its own for withholding, pension fund,
// discounts, reasons and attachments.
#include "ui/FormEditor.h"

#include <QMap>
#include <functional>

class QPushButton;

namespace brevalto {

class DataGrid;
struct BodySection;

class BodyEditor : public FormEditor {
    Q_OBJECT
public:
    explicit BodyEditor(DataModule& db, QWidget* parent = nullptr);

    // The screen that edits a row of a section's dataset (e.g.
    // "TablePA_FE_Body_DatiBeniServizi_DettaglioLinee"). While a section has none, adding still
    // stores the row and opening re-queries its second-level rows and shows nothing.
    void setSectionScreen(const QString& datasetName, EditorBase* screen);
    // A section screen made only when its section is first opened.
    void setSectionScreenMaker(const QString& datasetName, std::function<EditorBase*()> make);
    EditorBase* sectionScreen(const QString& datasetName) const;

    // "Crea automaticamente" (the VAT summaries of the lines), "Importa da file esterno" and
    // "Importa da linee dall'archivio". Each button stays disabled while its action is unset;
    // refreshActions() (also run when the screen is shown) updates them after setting one.
    std::function<void()> createSummaries;
    std::function<void()> importFromFile;
    std::function<void()> importFromArchive;
    void refreshActions();

    // Section operations, by the section's dataset name. Adding stores a new row of the current
    // body with its start values and opens it; false when nothing was added.
    bool addSectionRow(const QString& datasetName);
    void openSectionRow(const QString& datasetName);
    // Asks (unless the section honours silentDelete and it is set), then deletes the current row
    // with its second-level rows, all or nothing. True when deleted.
    bool deleteSectionRow(const QString& datasetName);
    DataGrid* sectionGrid(const QString& datasetName) const;

    // The carrier and delivery-municipality picks (run when a row is picked in their lists).
    void pickCarrier();
    void pickDeliveryMunicipality();

    // "Indietro": first offers to rebuild summaries the lines have left behind.
    void indietro() override;

    // "Annulla" for a body just added: the body and all its rows go, without a question.
    void deleteJustAdded() override;

    QPushButton* createSummariesButton() const { return createSummaries_; }
    QPushButton* importFromFileButton() const { return importFile_; }
    QPushButton* importFromArchiveButton() const { return importArchive_; }

    enum Tab {
        DatiGenerali,
        DettaglioLinee,
        DatiRiepilogo,
        DatiPagamento,
        OrdiniConvenzioni,
        Sal,
        Ddt,
        Trasporto,
        Altro,
        Allegati
    };

protected:
    bool confirmSave() override;
    void showEvent(QShowEvent* event) override;

private:
    QWidget* makeSectionBox(const BodySection& section, QList<QPushButton*> extraButtons = {});
    void buildFields();
    void buildSections();
    // Moves the fields from firstColumn to lastColumn (rows of a tab's field grid) to a second
    // column pair, beside the first.
    void moveRowsBeside(int tab, const QString& firstColumn, const QString& lastColumn);
    void setCheckCaption(const QString& column);

    mutable QMap<QString, QPointer<EditorBase>> screens_;
    QMap<QString, std::function<EditorBase*()>> screenMakers_;
    QMap<QString, DataGrid*> grids_;
    QPushButton* createSummaries_ = nullptr;
    QPushButton* importFile_ = nullptr;
    QPushButton* importArchive_ = nullptr;
};

} // namespace brevalto
