#pragma once
// "Notifiche SdI": loads the exchange system's notification files into the archive, chosen with a
// dialog (a folder with its subfolders, or one file) or dropped on the window (files and folders
// together, from a file manager or a mail program's saved attachments), and lists what became of
// each file: linked to a Document (with its number and new state), already known, not linked, or
// unreadable with the reason. Nothing is refused silently and no file stops the others.
#include <QDialog>
#include <QStringList>

class QLabel;
class QTableWidget;

namespace brevalto {

class DataModule;

class NotificheWindow : public QDialog {
    Q_OBJECT
public:
    explicit NotificheWindow(DataModule& db, QWidget* parent = nullptr);

    // Loads the files and folders and shows the outcome of each; the archive's errors are shown.
    void load(const QStringList& paths);
    QTableWidget* outcomes() const { return outcomes_; }
    QLabel* summary() const { return summary_; }

Q_SIGNALS:
    // Notifications were stored: the Documents' states may have changed.
    void notificationsLoaded();

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void scegliCartella();
    void scegliFile();

    DataModule& db_;
    QTableWidget* outcomes_;
    QLabel* summary_;
};

} // namespace brevalto
