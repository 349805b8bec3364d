#pragma once
// Every screen of the program, created once in a fixed order and kept until the program ends:
// the main window first, then the data module, then the other screens. Screens may configure one
// another at start-up because all of them exist before the main window is first activated.
#include "app/Environment.h"

#include <QList>
#include <QPair>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <memory>

class QWidget;

namespace brevalto {

class BodyEditor;
class BodyRegister;
class DataGrid;
class EditorBase;
class DataModule;
class DescrizioneFunzionaliWindow;
class DittaWindow;
class DocumentRegister;
class HeaderCedenteEditor;
class HeaderCessionarioEditor;
class HeaderEditor;
class HeaderRappresentanteEditor;
class HeaderTerzoIntermediarioEditor;
class MainWindow;
class OpzioniWindow;
class PasswordDialog;
class RealizzazioneWindow;

class Screens {
public:
    explicit Screens(Environment environment);
    ~Screens();
    Screens(const Screens&) = delete;
    Screens& operator=(const Screens&) = delete;

    const Environment& environment() const { return environment_; }

    MainWindow& mainWindow() const { return *form1_; }           // TForm1
    DataModule& dataModule() const { return *formDB_; }          // form_DB
    PasswordDialog& pass() const { return *frmPass_; }           // TfrmPass
    DescrizioneFunzionaliWindow& descrizioneFunzionali() const { // TfrmDescrizioneFunzionali
        return *frmDescrizioneFunzionali_;
    }
    RealizzazioneWindow& realizzazione() const { return *frmRealizzazione_; } // TfrmRealizzazione
    DittaWindow& ditta() const { return *frmDitta_; }                         // TfrmDitta
    OpzioniWindow& opzioni() const { return *frmOpzioni_; }                   // TfrmOpzioni
    HeaderEditor& header() const { return *frmHeader_; } // TfrmModifica_PA_Header
    HeaderCedenteEditor& headerCedente() const { return *frmHeaderCedente_; }
    HeaderRappresentanteEditor& headerRappresentante() const { return *frmHeaderRappresentante_; }
    HeaderCessionarioEditor& headerCessionario() const { return *frmHeaderCessionario_; }
    HeaderTerzoIntermediarioEditor& headerTerzo() const { return *frmHeaderTerzo_; }
    BodyRegister& bodyRegister() const { return *frmBodyRegister_; } // TfrmGriglia_PA_Body
    BodyEditor& bodyEditor() const { return *frmBodyEditor_; }       // TfrmModifica_PA_Body
    // The register of documents behind the main window's "Fatture e Documenti" tab.
    DocumentRegister& documents() const { return *documents_; }

    // The layout names of the grids whose columns are kept per workstation, in the order in which
    // the start-up applies them.
    static const QStringList& layoutGridNames();
    // A list screen registers its grid under its layout name; this also turns on the grid's
    // layout pop-up menu.
    void registerLayoutGrid(const QString& layoutName, DataGrid* grid);
    // The registered grids, in start-up order.
    QList<QPair<QString, DataGrid*>> layoutGrids() const;

    // Seller selectors that only make sense when several sellers are kept (with their labels).
    void registerMultiSellerSelector(QWidget* selector, QWidget* label);
    void setMultiSellerSelectorsVisible(bool visible);

private:
    Environment environment_;
    // Creation order; destroyed in reverse.
    std::unique_ptr<MainWindow> form1_;
    std::unique_ptr<DataModule> formDB_;
    std::unique_ptr<RealizzazioneWindow> frmRealizzazione_;
    std::unique_ptr<DittaWindow> frmDitta_;
    std::unique_ptr<DescrizioneFunzionaliWindow> frmDescrizioneFunzionali_;
    std::unique_ptr<OpzioniWindow> frmOpzioni_;
    std::unique_ptr<PasswordDialog> frmPass_;
    std::unique_ptr<HeaderEditor> frmHeader_;
    std::unique_ptr<HeaderCedenteEditor> frmHeaderCedente_;
    std::unique_ptr<HeaderRappresentanteEditor> frmHeaderRappresentante_;
    std::unique_ptr<HeaderCessionarioEditor> frmHeaderCessionario_;
    std::unique_ptr<HeaderTerzoIntermediarioEditor> frmHeaderTerzo_;
    std::unique_ptr<BodyRegister> frmBodyRegister_;
    std::unique_ptr<BodyEditor> frmBodyEditor_;
    // The body's section screens, each registered with the body editor for its dataset.
    QList<QPair<QString, EditorBase*>> sectionScreens_;
    std::unique_ptr<DocumentRegister> documents_;

    // Connects the screens to the main window's buttons and to one another.
    void wireScreens();

    QList<QPair<QString, QPointer<DataGrid>>> layoutGrids_;
    QList<QPointer<QWidget>> multiSellerWidgets_;
};

} // namespace brevalto
