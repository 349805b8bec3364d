#pragma once
// Every screen of the program: the main window and the data module are made at once; every other
// screen is registered with the function that makes it and is made the first time it is asked
// for, then kept until the program ends. A screen is wired to the others when it is made, so
// start-up costs the main window only, however many screens the program has.
#include "app/Environment.h"

#include <QHash>
#include <QList>
#include <QPair>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <typeindex>

class QWidget;

namespace brevalto {

class DamageCheck;
class BatchScreen;
class DocumentRegister;
class SdiRegister;

class DataGrid;
class DataModule;
class MainWindow;

// Screens are registered by their type, body section screens by their section's dataset; each is
// a QObject child of the main window, which owns them all. Adding a screen is one entry in the
// constructor's table.
class Screens {
public:
    explicit Screens(Environment environment);
    ~Screens();
    Screens(const Screens&) = delete;
    Screens& operator=(const Screens&) = delete;

    const Environment& environment() const { return environment_; }

    MainWindow& mainWindow() const { return *mainWindow_; } // TForm1
    DataModule& dataModule() const { return *dataModule_; } // form_DB
    // The register of documents behind the main window's "Fatture e Documenti" tab.
    DocumentRegister& documents() const { return *documents_; }
    // The register's "Stato SdI" column and filter.
    SdiRegister& sdiRegister() const { return *sdiRegister_; }
    // The register's work on the selected Documents (its buttons' second row).
    BatchScreen& documentBatch() const { return *batch_; }
    // The damage check of the archive in use, run in the background once it is opened.
    DamageCheck& damageCheck() const { return *damageCheck_; }

    // A screen by its type ("screens.get<HeaderEditor>()"), made now if it was not yet; every
    // type is registered once.
    template <typename T> T& get() {
        const int index = byType_.value(std::type_index(typeid(T)), -1);
        Q_ASSERT_X(index >= 0, "Screens::get", typeid(T).name());
        return *static_cast<T*>(screenAt(index));
    }
    // Whether the screen of that type has been made (start-up makes none but the main window).
    template <typename T> bool isMade() const {
        const int index = byType_.value(std::type_index(typeid(T)), -1);
        return index >= 0 && entries_[index].screen;
    }

    // The layout names of the grids whose columns are kept per workstation, in the order in which
    // the start-up applies them.
    static const QStringList& layoutGridNames();
    // A list screen registers its grid under its layout name; this also turns on the grid's
    // layout pop-up menu, and gives it the workstation's stored layout when the archive's
    // layouts are already in use (a screen made after start-up).
    void registerLayoutGrid(const QString& layoutName, DataGrid* grid);
    // The registered grids, in start-up order.
    QList<QPair<QString, DataGrid*>> layoutGrids() const;
    // How a grid gets its stored layout; set by start-up once the archive is open.
    void setLayoutApplier(std::function<void(const QString&, DataGrid&)> apply);

    // Seller selectors that only make sense when several sellers are kept (with their labels).
    void registerMultiSellerSelector(QWidget* selector, QWidget* label);
    void setMultiSellerSelectorsVisible(bool visible);

private:
    struct Entry {
        std::function<QWidget*()> make;
        QPointer<QWidget> screen;
        QString bodySection; // the body section's dataset, for a body section screen
    };
    // Registers a screen and the function that makes it (and wires it to the others).
    template <typename T, typename Make>
    void add(Make make, const QString& bodySection = QString()) {
        byType_.insert(std::type_index(typeid(T)), int(entries_.size()));
        addSection(bodySection, make);
    }
    // A body section screen reached only through its section (several share one type).
    template <typename Make> void addSection(const QString& bodySection, Make make) {
        entries_.append({[make] { return static_cast<QWidget*>(make()); }, nullptr, bodySection});
    }
    template <typename List, typename Editor> void addList();
    QWidget* screenAt(int index);
    void registerScreens();
    // Connects the screens to the main window's buttons and to one another.
    void wireScreens();
    void wireMasterData();
    void wireUtilities();
    void wirePaDirectory(); // the public-administration finder and the directory import

    Environment environment_;
    // The two roots: the main window owns every screen, the data module the archive. The screens
    // go first at the end, the archive after them.
    std::unique_ptr<DataModule> dataModule_;
    std::unique_ptr<MainWindow> mainWindow_;
    QList<Entry> entries_;
    QHash<std::type_index, int> byType_;
    // Not a screen: the register logic behind the main window's documents tab.
    std::unique_ptr<DocumentRegister> documents_;
    SdiRegister* sdiRegister_ = nullptr; // owned by the main window
    BatchScreen* batch_ = nullptr;       // a child of the main window
    std::unique_ptr<DamageCheck> damageCheck_;

    QList<QPair<QString, QPointer<DataGrid>>> layoutGrids_;
    std::function<void(const QString&, DataGrid&)> applyLayout_;
    QList<QPointer<QWidget>> multiSellerWidgets_;
    int multiSellerVisible_ = -1; // not yet known: the selectors keep their own visibility
};

} // namespace brevalto
