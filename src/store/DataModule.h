#pragma once
// The data module: the process's one archive connection and the shared datasets every screen
// works on, plus the few operations on them that several screens share (loading the bodies of a
// document, re-querying a body's child datasets, deleting a body with all its rows).
#include "store/Connection.h"
#include "store/Dataset.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

namespace brevalto {

class DataModule : public QObject {
    Q_OBJECT
public:
    struct DatasetDef {
        QString name;
        QString sql;
    };
    // The shared datasets in the order in which they are closed and opened.
    static const QList<DatasetDef>& sharedDatasetDefs();
    // The body's child tables in the order in which a body's rows are deleted.
    static const QStringList& bodyChildTables();
    // The fifteen per-body datasets with their tables and orderings, in re-query order.
    struct BodyChildDef {
        QString dataset;
        QString table;
        QString ordering;
    };
    static const QList<BodyChildDef>& bodyChildDatasets();

    explicit DataModule(QObject* parent = nullptr);
    ~DataModule() override;

    Connection& connessione() { return connection_; }

    // A shared dataset by name ("TablePA_Body"), or TableCercaLinee, opened first when its
    // opening was deferred. Throws DbError when unknown or when it cannot be opened.
    Dataset& table(const QString& name) const;
    // The same dataset as it is, not opened: what a screen binds to when it is made (it reads the
    // rows when it is shown). Throws DbError when unknown.
    Dataset& dataset(const QString& name) const;
    const QList<Dataset*>& sharedDatasets() const { return shared_; }

    // Closes every shared dataset in order, then opens them all again with their current queries,
    // except the big ones (onDemandDatasets), which are opened when a screen first needs them.
    void openAllDatasets();
    // The shared datasets whose rows grow with the archive or are many (customers, municipalities):
    // reading them whole at start-up would make it grow with the archive.
    static const QStringList& onDemandDatasets();
    void closeAllDatasets();

    // The workstation's name, at most 15 characters, "SenzaNome" when the system gives none.
    QString computerName() const { return computerName_; }
    void setComputerName(const QString& name);

    // The archive in use, as percorsoPa.txt gives it, and the file name its folder is known by.
    const QString& archivePath() const { return archivePath_; }
    const QString& archiveFilePath() const { return archiveFilePath_; }
    void setArchive(const QString& path, const QString& filePath) {
        archivePath_ = path;
        archiveFilePath_ = filePath;
    }

    // True while the quick lines or the line import add rows through the editors
    // (BatchInsertScope): screens are not shown.
    bool batchInsert() const { return batchInsertDepth_ > 0; }
    // True while an "Annulla" deletes the row it has just added (SilentDeleteScope): deletes ask
    // nothing.
    bool silentDelete() const { return silentDelete_; }

    // The bodies of the current document into TablePA_Body (filter cleared).
    void loadBodies();
    // Every per-body child dataset re-queried for the current body of TablePA_Body; those named in
    // `deferred` are given the body's query but read when next used (table()).
    void requeryBodyChildren(const QStringList& deferred = {});
    // Deletes the rows of every child table of a body, second-level ones included. Callers wrap it
    // in a transaction together with the delete of the body row, so that a body goes whole.
    void deleteBodyChildRows(int bodyId);

    // Several workstations: the Document the screens stand on (the current row of
    // TablePA_FE_Header) may be deleted by another one while its screens are open here.
    static QString documentGoneText() {
        return QStringLiteral("Il documento è stato eliminato da un'altra postazione");
    }
    // True for a dataset whose rows belong to a Document (the PA_FE_ tables).
    static bool belongsToDocument(const Dataset& dataset);
    // True when the current Document has a key the archive no longer holds.
    bool documentGone();
    // Closes the screens of the gone Document (documentDeleted) and shows the archive as it is:
    // the register re-read, the bodies and their rows of the Document now current.
    void dropGoneDocument();

Q_SIGNALS:
    // The current Document was found deleted by another workstation: its screens close without
    // saving.
    void documentDeleted();

private:
    // Run before every write to a Document's table: refuses it (DbError) when the Document is
    // gone, and drops the Document's screens once the running operation has returned.
    void guardDocumentWrite(const Dataset& dataset);

    Connection connection_;
    QList<Dataset*> shared_;
    Dataset* cercaLinee_ = nullptr;
    QHash<QString, Dataset*> byName_; // by lower-case name
    QString archivePath_;
    QString archiveFilePath_;
    int batchInsertDepth_ = 0;
    bool silentDelete_ = false;
    friend class SilentDeleteScope;
    friend class BatchInsertScope;
    QString computerName_;
};

// Deletes ask nothing while one of these lives (an "Annulla" removing the row it has just added).
// The previous state comes back however the scope is left, so a throw never leaves every later
// delete silent.
class SilentDeleteScope {
public:
    explicit SilentDeleteScope(DataModule& db) : db_(db), previous_(db.silentDelete_) {
        db.silentDelete_ = true;
    }
    ~SilentDeleteScope() { db_.silentDelete_ = previous_; }
    SilentDeleteScope(const SilentDeleteScope&) = delete;
    SilentDeleteScope& operator=(const SilentDeleteScope&) = delete;

private:
    DataModule& db_;
    bool previous_;
};

// Rows are added in a batch while one of these lives: the editors show no screen. Scopes nest.
class BatchInsertScope {
public:
    explicit BatchInsertScope(DataModule& db) : db_(db) { ++db.batchInsertDepth_; }
    ~BatchInsertScope() { --db_.batchInsertDepth_; }
    BatchInsertScope(const BatchInsertScope&) = delete;
    BatchInsertScope& operator=(const BatchInsertScope&) = delete;

private:
    DataModule& db_;
};

} // namespace brevalto
