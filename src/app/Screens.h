#pragma once
// Every screen of the program, created once in a fixed order and kept until the program ends:
// the main window first, then the data module, then the other screens. Screens may configure one
// another at start-up because all of them exist before the main window is first activated.
#include "app/Environment.h"

#include <QHash>
#include <QList>
#include <QPair>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <memory>
#include <typeindex>

class QWidget;

namespace brevalto {

class DocumentRegister;

class DataGrid;
class DataModule;
class MainWindow;

// Screens are registered by their identifier (the screen's class name in the program's own
// naming, "TfrmModifica_PA_Header"); each is a QObject child of the main window, which owns them
// all. Adding a screen is one line in the constructor's table.
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

    // A screen by its type ("screens.get<HeaderEditor>()"); every type is registered once.
    template <typename T> T& get() const {
        QWidget* screen = byType_.value(std::type_index(typeid(T)));
        Q_ASSERT_X(screen, "Screens::get", typeid(T).name());
        return *static_cast<T*>(screen);
    }
    // A screen by identifier; nullptr when none is registered under it.
    QWidget* byId(const QString& id) const { return byId_.value(id); }
    // The identifiers in creation order.
    QStringList ids() const { return order_; }

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
    template <typename T> T* add(const char* id, T* screen) {
        const QString key = QLatin1String(id);
        screen->setProperty("screenId", key);
        order_ << key;
        byId_.insert(key, screen);
        byType_.insert(std::type_index(typeid(T)), screen);
        return screen;
    }
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
    QStringList order_;
    QHash<QString, QWidget*> byId_;
    QHash<std::type_index, QWidget*> byType_;
    // Not a screen: the register logic behind the main window's documents tab.
    std::unique_ptr<DocumentRegister> documents_;

    QList<QPair<QString, QPointer<DataGrid>>> layoutGrids_;
    QList<QPointer<QWidget>> multiSellerWidgets_;
};

} // namespace brevalto
