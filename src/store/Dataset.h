#pragma once
// The in-memory rowset every screen works on: a query over the archive with a cursor, a
// client-side filter and sort, and an edit buffer that is written back to the query's table.
//
// Cursor rules follow the classic desktop dataset: when the dataset has rows the cursor is always
// on one of them; next() on the last row sets eof() and stays, prior() on the first sets bof() and
// stays. Column names are matched without regard to letter case.
#include "store/DbError.h"

#include <QDate>
#include <QDateTime>
#include <QHash>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>
#include <functional>
#include <memory>

class QSqlQuery;

namespace brevalto {

class Connection;
class NativeQuery;
class RowFilter;
struct TableDef;

class Dataset : public QObject {
    Q_OBJECT
public:
    enum class State { Inactive, Browse, Edit, Insert };

    Dataset(Connection& connection, const QString& name, const QString& sql = {},
            QObject* parent = nullptr);
    ~Dataset() override;

    QString name() const { return name_; }
    Connection& connection() const { return connection_; }

    // The query, in the Jet dialect. Changing it does not reopen the dataset.
    QString sql() const { return sql_; }
    void setSql(const QString& sql);
    // The table that post() and remove() write to: the first table after FROM.
    QString baseTable() const { return baseTable_; }

    void open();    // throws DbError
    void close();   // drops any pending edit
    void requery(); // drops a pending edit, runs the query again, cursor on the first row
    // Reads the rows again when another connection committed a change to the archive since they
    // were read (PRAGMA data_version: one cheap query when nothing changed). Only in browse
    // state; filter, sort and the current row (by its row id) are kept. True when re-read.
    bool refreshIfChanged();
    // Reads the query's rows one at a time without keeping them: each call of visit() sees the
    // next row, in the order open() gives, as the dataset's only and current row (value(),
    // columnIndex()). For a pass over more rows than need to stay in memory (an export's ten
    // thousand lines); the rows are not to be edited. Closed afterwards. Throws DbError, and
    // what visit() throws.
    void walk(const std::function<void()>& visit);
    bool isOpen() const { return state_ != State::Inactive; }
    // Opening on demand: a deferred dataset stays closed until ensureOpen() (a screen that shows
    // its rows is about to appear); open() and close() end the deferral. Big tables are read
    // when first needed instead of at start-up.
    void deferOpen();
    bool isDeferred() const { return deferred_; }
    // Opens a deferred dataset; does nothing otherwise. Throws DbError.
    void ensureOpen();
    State state() const { return state_; }
    // Columns read for every row when the dataset opens from an archive file; the other columns
    // of a row are read the first time one of them is asked for (a register that lists a few
    // columns of thousands of wide rows). Filtering, or sorting or locating on another column,
    // reads them for every row at once. Empty (the default): every column at open. Takes effect
    // at the next open.
    void setEagerColumns(const QStringList& columns);

    // Columns of the query, in query order.
    QStringList columnNames() const { return columns_; }
    int columnCount() const { return int(columns_.size()); }
    int columnIndex(const QString& name) const; // -1 when absent
    bool hasColumn(const QString& name) const { return columnIndex(name) >= 0; }
    // True for a column of the base table (written by post); false for computed ones.
    bool isTableColumn(int column) const;

    // Rows visible through the filter, in sort order.
    int rowCount() const { return int(view_.size()); }
    bool isEmpty() const { return view_.isEmpty(); }
    int position() const { return cursor_; } // 0-based index in the view, -1 when empty
    bool bof() const { return bof_; }
    bool eof() const { return eof_; }
    void first();
    void last();
    void next();
    void prior();
    void moveTo(int row);
    // Exact match of one column's value (numbers compared as numbers); moves the cursor and
    // returns true when found, otherwise leaves the cursor where it was.
    bool locate(const QString& column, const QVariant& value);

    // Value of the current row (of the edit buffer while editing). Null when the dataset is empty.
    QVariant value(const QString& column) const;
    QVariant value(int column) const;
    // Value of any visible row, for grids.
    QVariant valueAt(int row, int column) const;
    bool isNull(const QString& column) const;
    QString text(const QString& column) const;  // empty for null
    int integer(const QString& column) const;   // 0 for null
    double number(const QString& column) const; // 0 for null
    bool flag(const QString& column) const;     // false for null
    QDate date(const QString& column) const;
    QDateTime dateTime(const QString& column) const;
    // Sets a value of the edit buffer; requires the Edit or Insert state. Throws DbError for an
    // unknown column or a computed one.
    void setValue(const QString& column, const QVariant& value);

    // Edit and insert states. edit() on an empty dataset starts a new row; while editing, a no-op.
    void edit();
    void insert(); // a new empty row before the current one, which becomes current
    void append(); // a new empty row at the end
    // Writes the edit buffer to the base table: an UPDATE of the changed columns, or an INSERT
    // that fills the AutoNumber key. On failure throws DbError and keeps the buffer unchanged, so
    // the caller can cancel; nothing half-written stays in memory.
    void post();
    // Runs at the start of every post() that writes; throwing DbError refuses the write (the
    // buffer stays as it was). The data module guards the Document's tables with it.
    std::function<void()> beforeWrite;
    void cancel();
    // Posts a pending change, or cancels an edit that changed nothing. Moving the cursor, sorting
    // and filtering settle first, so that nothing typed is lost by a move.
    void settle();
    // Deletes the current row from the table; the row that followed becomes current (the new last
    // row when the last was deleted). Throws DbError.
    void remove();
    bool isModified() const { return !modified_.isEmpty(); }

    // Client-side filter in the Jet filter syntax: "col like 'abc*' and col2 = 'x'". An empty text
    // shows every row. Throws DbError for a text it cannot read.
    QString filter() const { return filterText_; }
    void setFilter(const QString& filter);
    // The same for a filter that admits no row the current one hides (a search text typed
    // further): only the rows now visible are tested, and their order is kept, so a keystroke
    // costs the rows it can still match rather than the whole table.
    void narrowFilter(const QString& filter);
    // A test on one column's value besides the text filter, for a choice the filter syntax cannot
    // say (a register showing the rows whose keys are in a set worked out elsewhere): a row is
    // shown when both pass. An empty test (the default) passes every row. The column should be
    // one read at open (an eager one). Throws DbError for an unknown column.
    void setRowTest(const QString& column, std::function<bool(const QVariant&)> test);
    // Client-side sort: "col ASC" or "col DESC", several joined by commas; empty for query order.
    QString sort() const { return sortText_; }
    void setSort(const QString& sort);

    // Suspends the changed() signals (a screen about to do many moves); nests.
    void disableControls();
    void enableControls();

Q_SIGNALS:
    // The set of rows, their order or the columns changed (open, requery, filter, sort, insert,
    // delete, close). Grids reset.
    void rowsChanged();
    // The cursor moved to another row.
    void currentChanged();
    // A value of the current row changed (setValue, post, cancel).
    void valueChanged(const QString& column);
    void stateChanged();

private:
    struct Row {
        // Every column's value; for a partial row, only the eager columns' (see eagerSlot_).
        QVector<QVariant> values;
        qint64 rowid = 0; // SQLite row id of the base table; 0 for a row not yet posted
        bool partial = false;
    };

    void rebuildView();
    void setCursor(int pos);
    void notifyRows();
    void notifyCurrent();
    struct Translated;
    using RowSink = std::function<void(Row&&)>;
    Translated translate(); // also sets the base table and its AutoNumber column
    void setResultColumns(const QStringList& names, bool withRowIds, const TableDef* table);
    bool readNatively(const Translated& translated, const RowSink& take);
    bool readEagerColumns(const QString& sqlWithRowId, const TableDef* table);
    void forgetColumns();
    QVector<QVariant> valuesOf(const NativeQuery& query, int first) const;
    QVector<QVariant> valuesOf(const QSqlQuery& query, int first) const;
    void readCompleteRows(const QString& sql,
                          const std::function<void(qint64, QVector<QVariant>&)>& take);
    void expandUnread(int row);
    // The value of a column of rows_[row], reading the rest of a partial row when needed.
    const QVariant& cell(int row, int column) const;
    // Reads the other columns of partial rows: one row, or every row (throw DbError).
    void completeRow(int row);
    void completeRows();
    // Before an operation that tests a column over every row (-1: every column).
    void completeRowsFor(int column);
    // Before filtering or sorting: the columns they read. Before anything changes, so that a read
    // that fails leaves the rows shown as they were.
    void completeRowsFor(const RowFilter* filter, const QString& sort);
    bool matchesFilter(const Row& row) const;
    // The row test on the row at index i of rows_.
    bool passesRowTest(int i) const;
    QList<QPair<int, bool>> sortKeys(const QString& sort) const; // (column, descending)
    void readThroughDriver(const Translated& translated, const RowSink& take);
    QVariant fromStorage(int column, const QVariant& stored) const;
    QVariant toStorage(int column, const QVariant& value) const;
    int currentRowIndex() const; // index into rows_, -1 when none

    Connection& connection_;
    QString name_;
    QString sql_;
    QString baseTable_;
    QString autoNumberColumn_;
    State state_ = State::Inactive;

    QStringList columns_;
    QHash<QString, int> columnLookup_; // lower-case name → first column of that name
    QVector<int> kinds_;               // ColumnKind per column, -1 when unknown (computed)
    QVector<bool> tableColumn_;        // column belongs to the base table
    QList<Row> rows_;                  // every row the query returned, query order
    QStringList eagerColumns_;
    QVector<int> eagerSlot_; // per column: its place in a partial row, -1 when read on demand
    QString completeSql_;    // the query with row ids, read again to complete partial rows
    bool hasPartialRows_ = false;
    int rowsCompletedOneByOne_ = 0;
    QVector<int> view_; // indices into rows_: filtered and sorted
    int cursor_ = -1;
    bool bof_ = true;
    bool eof_ = true;

    Row buffer_;           // edit buffer
    QList<int> modified_;  // columns changed in the buffer
    int insertedRow_ = -1; // index into rows_ of the row being inserted

    QString filterText_;
    std::unique_ptr<RowFilter> filter_;
    QString rowTestColumn_;
    std::function<bool(const QVariant&)> rowTest_;
    QString sortText_;
    int controlsDisabled_ = 0;
    bool deferred_ = false;
    qint64 readVersion_ = -1; // the connection's data_version when the rows were read
};

} // namespace brevalto
