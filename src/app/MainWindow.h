#pragma once
// The main window: three tabs ("Archivio", "Fatture e Documenti", "Utility"), the box showing the
// archive in use, "Lavora in Rete" and "Esci"; the title names the firm. Its first activation runs
// the start-up sequence. The buttons that open other screens stay disabled until those screens are
// wired with setButtonAction().
#include <QMainWindow>
#include <functional>

class QComboBox;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;

namespace brevalto {

class DataGrid;
class Dataset;
class Screens;

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    enum Tab { TabArchivio = 0, TabDocumenti = 1, TabUtility = 2 };

    explicit MainWindow(Screens& screens, QWidget* parent = nullptr);

    // The register of documents over TablePA_FE_Header.
    void bindDocuments(Dataset& headers);

    QTabWidget* tabs() const { return tabs_; }
    // "Brevalto - " and the firm's name (its surname and name for a person).
    void showFirmInTitle(const Dataset& firm);
    QPlainTextEdit* archivePathBox() const { return archivePathBox_; }
    void setArchivePathText(const QString& text);
    QString archivePathText() const;

    // A button by object name ("btnComuni", "spdInserisci", ...); nullptr when unknown.
    QPushButton* button(const QString& objectName) const;
    // Enables a button and makes it run action when clicked (replacing any previous action).
    void setButtonAction(const QString& objectName, std::function<void()> action);

    // The documents tab, for the register that fills it: grid and its tool buttons.
    QWidget* documentsPage() const { return documentsPage_; }
    DataGrid* documentGrid() const { return documentGrid_; }
    // The register's choice of Documents by their state at the exchange system.
    QComboBox* sdiFilter() const { return sdiFilter_; }

    // The start-up sequence; returns true when the program is ready for work.
    bool runStartUp();
    bool startUpDone() const { return startUpDone_; }
    // "Lavora in Rete": another archive, chosen by the user.
    void lavoraInRete();
    // "Apri fattura…": shows a received or exported invoice file with its check.
    void apriFattura();
    // "Esci": closes the archive and ends the program.
    void esci();

protected:
    bool event(QEvent* event) override;

private:
    QPushButton* makeButton(const QString& objectName, const QString& caption, QWidget* parent);
    QWidget* buildArchivioPage();
    QWidget* buildDocumentsPage();
    QWidget* buildUtilityPage();

    Screens& screens_;
    QTabWidget* tabs_ = nullptr;
    QPlainTextEdit* archivePathBox_ = nullptr;
    QWidget* documentsPage_ = nullptr;
    DataGrid* documentGrid_ = nullptr;
    QComboBox* sdiFilter_ = nullptr;
    bool startUpDone_ = false;
};

} // namespace brevalto
