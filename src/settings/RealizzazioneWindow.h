#pragma once
// "Realizzazione" (TfrmRealizzazione): the program's version, who made it and how to reach them,
// and where this workstation keeps its data (the archive in use and the program folder), which
// is what support asks first. Shown without waiting.
#include <QDialog>
#include <QUrl>
#include <functional>

class QLabel;
class QPushButton;

namespace brevalto {

class RealizzazioneWindow : public QDialog {
    Q_OBJECT
public:
    explicit RealizzazioneWindow(QWidget* parent = nullptr);

    // Shows the archive in use (archivePath, empty or not open: none) and the program folder.
    void showInstallation(const QString& archivePath, bool archiveOpen,
                          const QString& programFolder);

    static QString webAddress();
    static QString mailAddress();

    // Opens an address with the system's handler; replaceable for tests.
    std::function<bool(const QUrl&)> openUrl;

    QLabel* webLabel() const { return web_; }
    QLabel* mailLabel() const { return mail_; }
    QPushButton* indietroButton() const { return indietro_; }
    QLabel* versionLabel() const { return version_; }
    QLabel* archiveLabel() const { return archive_; }
    QLabel* folderLabel() const { return folder_; }

private:
    QLabel* web_;
    QLabel* mail_;
    QPushButton* indietro_;
    QLabel* version_;
    QLabel* archive_;
    QLabel* folder_;
};

} // namespace brevalto
