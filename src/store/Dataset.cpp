#include "store/Dataset.h"

#include "store/Connection.h"
#include "store/JetSql.h"
#include "store/NativeQuery.h"
#include "store/RowFilter.h"
#include "store/Schema.h"

#include <QSqlField>
#include <QSqlQuery>
#include <QSqlRecord>
#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>

namespace brevalto {

namespace {

const QString kRowIdAlias = QStringLiteral("__rowid__");

// Partial rows completed one query each before the rest are read in one go: a screen showing
// one Document reads one row, a loop over the register reads the table once.
constexpr int kRowsCompletedOneByOne = 32;

// Positions of the SQL text that are outside string literals and quoted names.
template <typename F> void scanOutsideLiterals(const QString& sql, F&& visit) {
    QChar quote;
    for (int i = 0; i < sql.size(); ++i) {
        const QChar c = sql[i];
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
            continue;
        }
        if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            quote = c;
            continue;
        }
        if (c == QLatin1Char('['))
            quote = QLatin1Char(']');
        if (!visit(i))
            return;
    }
}

bool wordAt(const QString& sql, int i, QLatin1String word) {
    if (i > 0 && (sql[i - 1].isLetterOrNumber() || sql[i - 1] == QLatin1Char('_')))
        return false;
    if (sql.mid(i, word.size()).compare(word, Qt::CaseInsensitive) != 0)
        return false;
    const int end = i + int(word.size());
    return end >= sql.size() || !(sql[end].isLetterOrNumber() || sql[end] == QLatin1Char('_'));
}

// The first table named after FROM, without quotes or brackets.
QString tableAfterFrom(const QString& sql) {
    QString table;
    scanOutsideLiterals(sql, [&](int i) {
        if (!wordAt(sql, i, QLatin1String("from")))
            return true;
        int j = i + 4;
        while (j < sql.size() && sql[j].isSpace())
            ++j;
        if (j < sql.size() && (sql[j] == QLatin1Char('"') || sql[j] == QLatin1Char('['))) {
            const QChar close = sql[j] == QLatin1Char('"') ? QLatin1Char('"') : QLatin1Char(']');
            const int end = sql.indexOf(close, j + 1);
            if (end > j)
                table = sql.mid(j + 1, end - j - 1);
        } else {
            int end = j;
            while (end < sql.size() &&
                   (sql[end].isLetterOrNumber() || sql[end] == QLatin1Char('_')))
                ++end;
            table = sql.mid(j, end - j);
        }
        return false;
    });
    return table;
}

// Adds the base table's row id as a hidden first column, so that rows of tables without a key
// of their own can still be written back.
QString withRowId(const QString& sql, const QString& rowIdExpression) {
    int selectAt = -1;
    scanOutsideLiterals(sql, [&](int i) {
        if (wordAt(sql, i, QLatin1String("select"))) {
            selectAt = i;
            return false;
        }
        return !sql[i].isLetter();
    });
    if (selectAt < 0)
        return {};
    const int at = selectAt + 6;
    return sql.left(at) + QStringLiteral(" %1 AS %2,").arg(rowIdExpression, kRowIdAlias) +
           sql.mid(at);
}

bool isNumeric(const QVariant& v) {
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Bool:
        return true;
    default:
        return false;
    }
}

int compareForSort(const QVariant& a, const QVariant& b) {
    if (a.isNull() || b.isNull())
        return a.isNull() == b.isNull() ? 0 : (a.isNull() ? -1 : 1);
    if (isNumeric(a) && isNumeric(b)) {
        const double x = a.toDouble(), y = b.toDouble();
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    if (a.typeId() == QMetaType::QDate && b.typeId() == QMetaType::QDate)
        return a.toDate() < b.toDate() ? -1 : (a.toDate() > b.toDate() ? 1 : 0);
    if (a.typeId() == QMetaType::QDateTime || b.typeId() == QMetaType::QDateTime) {
        const QDateTime x = a.toDateTime(), y = b.toDateTime();
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    return a.toString().compare(b.toString(), Qt::CaseInsensitive);
}

bool sameKey(const QVariant& a, const QVariant& b) {
    if (a.isNull() || b.isNull())
        return a.isNull() && b.isNull();
    if (isNumeric(a) || isNumeric(b)) {
        bool okA = false, okB = false;
        const double x = a.toDouble(&okA), y = b.toDouble(&okB);
        return okA && okB && x == y;
    }
    return a.toString() == b.toString();
}

} // namespace

Dataset::Dataset(Connection& connection, const QString& name, const QString& sql, QObject* parent)
    : QObject(parent), connection_(connection), name_(name), sql_(sql) {
    setObjectName(name);
}

Dataset::~Dataset() = default;

void Dataset::setSql(const QString& sql) {
    sql_ = sql;
}

void Dataset::setEagerColumns(const QStringList& columns) {
    eagerColumns_ = columns;
}

int Dataset::columnIndex(const QString& name) const {
    return columnLookup_.value(name.toLower(), -1);
}

bool Dataset::isTableColumn(int column) const {
    return column >= 0 && column < tableColumn_.size() && tableColumn_[column];
}

// The query as this engine runs it, and the same with the base table's row id first (empty when
// the query has no base table).
struct Dataset::Translated {
    QString sql;
    QString withRowId;
    const TableDef* table = nullptr;
};

Dataset::Translated Dataset::translate() {
    Translated t;
    t.sql = translateJetSql(sql_, connection_.dialect());
    baseTable_ = tableAfterFrom(t.sql);
    t.table = baseTable_.isEmpty() ? nullptr : findTable(baseTable_);
    if (t.table)
        baseTable_ = t.table->name;
    autoNumberColumn_ = t.table ? t.table->autoNumberColumn() : QString();
    if (!baseTable_.isEmpty())
        t.withRowId = withRowId(t.sql, connection_.rowIdExpression(baseTable_));
    return t;
}

void Dataset::open() {
    close();
    // Read before the rows, so that a commit landing in between shows as a change later.
    readVersion_ = connection_.dataVersion();
    const Translated query = translate();
    const RowSink keep = [this](Row&& row) { rows_ << std::move(row); };
    const bool read = (!eagerColumns_.isEmpty() && !query.withRowId.isEmpty() &&
                       readEagerColumns(query.withRowId, query.table)) ||
                      readNatively(query, keep);
    if (!read)
        readThroughDriver(query, keep);
    state_ = State::Browse;
    if (!filterText_.isEmpty()) {
        try {
            filter_ = std::make_unique<RowFilter>(filterText_, columns_);
        } catch (const DbError&) {
            filter_.reset();
            filterText_.clear();
        }
    }
    rebuildView();
    setCursor(view_.isEmpty() ? -1 : 0);
    bof_ = true;
    eof_ = view_.isEmpty();
    Q_EMIT stateChanged();
    notifyRows();
}

void Dataset::walk(const std::function<void()>& visit) {
    close();
    struct Closing {
        Dataset* dataset;
        ~Closing() { dataset->close(); }
    } closing{this};
    const Translated query = translate();
    qint64 visited = 0;
    qint64 skip = 0; // rows already visited when the driver reads again
    const RowSink show = [&](Row&& row) {
        if (skip > 0) {
            --skip;
            return;
        }
        rows_.clear();
        rows_ << std::move(row);
        view_ = {0};
        cursor_ = 0;
        bof_ = eof_ = false;
        state_ = State::Browse;
        visit();
        ++visited;
    };
    if (readNatively(query, show))
        return;
    // A server, or the engine failed partway (the driver reads again, reporting the error if it
    // recurs): the rows already visited are not visited twice.
    skip = visited;
    readThroughDriver(query, show);
}

// The column list of a result: names, kinds, and whether each is written back to the base table.
void Dataset::setResultColumns(const QStringList& names, bool withRowIds, const TableDef* table) {
    QStringList baseColumns;
    if (!baseTable_.isEmpty() && !table) {
        QSqlQuery info =
            connection_.isServer()
                ? connection_.execNative(QStringLiteral("SELECT 0, column_name FROM "
                                                        "information_schema.columns WHERE "
                                                        "table_schema = current_schema() AND "
                                                        "table_name = lower(?)"),
                                         {baseTable_})
                : connection_.execNative(
                      QStringLiteral("PRAGMA table_info(%1)").arg(quoteIdentifier(baseTable_)));
        while (info.next())
            baseColumns << info.value(1).toString();
    }
    for (QString column : names) {
        const ColumnDef* def = table ? table->column(column) : nullptr;
        // A server gives the names in lower case: the table's columns keep the schema's spelling.
        if (def && connection_.isServer())
            column = def->name;
        columns_ << column;
        const bool inTable =
            withRowIds && (def != nullptr || baseColumns.contains(column, Qt::CaseInsensitive));
        tableColumn_ << inTable;
        kinds_ << (def ? int(def->kind) : -1);
    }
    // A computed column that repeats a table column's name (select *, x as Id) is not the
    // table's: only the first occurrence is found by name and written back.
    for (int i = 0; i < columns_.size(); ++i) {
        const QString key = columns_[i].toLower();
        if (columnLookup_.contains(key))
            tableColumn_[i] = false;
        else
            columnLookup_.insert(key, i);
    }
}

// Reads the rows straight from the engine; false (no columns kept) when that is not possible, so
// that the driver's way runs and reports any error.
bool Dataset::readNatively(const Translated& translated, const RowSink& take) {
    bool withRowIds = !translated.withRowId.isEmpty();
    auto query = std::make_unique<NativeQuery>(connection_.database(),
                                               withRowIds ? translated.withRowId : translated.sql);
    if (withRowIds && !query->isValid()) {
        withRowIds = false;
        query = std::make_unique<NativeQuery>(connection_.database(), translated.sql);
    }
    if (!query->isValid())
        return false;
    const int first = withRowIds ? 1 : 0;
    QStringList names;
    for (int i = first; i < query->columnCount(); ++i)
        names << query->columnName(i);
    setResultColumns(names, withRowIds, translated.table);
    while (query->next()) {
        Row row;
        row.values = valuesOf(*query, first);
        row.rowid = withRowIds ? query->integer(0) : 0;
        take(std::move(row));
    }
    if (!query->failed())
        return true;
    rows_.clear();
    forgetColumns();
    return false;
}

// Reads the eager columns of every row, the others left for when they are asked for; false
// (nothing kept) when the engine cannot read the query that way.
bool Dataset::readEagerColumns(const QString& sqlWithRowId, const TableDef* table) {
    const NativeQuery whole(connection_.database(), sqlWithRowId); // prepared for its columns
    if (!whole.isValid())
        return false;
    QStringList names;
    for (int i = 1; i < whole.columnCount(); ++i)
        names << whole.columnName(i);
    setResultColumns(names, true, table);
    eagerSlot_.fill(-1, columns_.size());
    QVector<int> eager; // column of each slot
    QStringList selected{kRowIdAlias};
    for (const QString& name : std::as_const(eagerColumns_)) {
        const int c = columnIndex(name);
        if (c < 0 || eagerSlot_[c] >= 0)
            continue;
        eagerSlot_[c] = int(eager.size());
        eager << c;
        selected << quoteIdentifier(columns_[c]);
    }
    // The engine flattens the outer query into the inner one: the same rows in the same order,
    // only the eager columns taken from each.
    NativeQuery query(connection_.database(),
                      QStringLiteral("SELECT %1 FROM (%2)")
                          .arg(selected.join(QLatin1String(", ")), sqlWithRowId));
    while (query.next()) {
        Row row;
        row.partial = true;
        row.rowid = query.integer(0);
        row.values.resize(eager.size());
        for (int slot = 0; slot < eager.size(); ++slot) {
            if (!query.isNull(slot + 1))
                row.values[slot] = fromStorage(eager[slot], query.value(slot + 1));
        }
        rows_ << std::move(row);
    }
    if (!query.isValid() || query.failed()) {
        rows_.clear();
        forgetColumns();
        return false;
    }
    completeSql_ = sqlWithRowId;
    hasPartialRows_ = !rows_.isEmpty();
    return true;
}

// The columns' values of the query's current row, the first of them at result column `first`.
QVector<QVariant> Dataset::valuesOf(const NativeQuery& query, int first) const {
    QVector<QVariant> values(columns_.size()); // null; most columns of a wide table are empty
    for (int i = 0; i < values.size(); ++i) {
        if (!query.isNull(i + first))
            values[i] = fromStorage(i, query.value(i + first));
    }
    return values;
}

QVector<QVariant> Dataset::valuesOf(const QSqlQuery& query, int first) const {
    QVector<QVariant> values(columns_.size());
    for (int i = 0; i < values.size(); ++i)
        values[i] = fromStorage(i, query.value(i + first));
    return values;
}

void Dataset::forgetColumns() {
    columns_.clear();
    columnLookup_.clear();
    tableColumn_.clear();
    kinds_.clear();
    eagerSlot_.clear();
    completeSql_.clear();
    hasPartialRows_ = false;
    rowsCompletedOneByOne_ = 0;
}

// Runs a query of every column with the row id first and hands over each row's values; when the
// engine's way fails the driver's runs, so that the error reads as for any other query.
void Dataset::readCompleteRows(const QString& sql,
                               const std::function<void(qint64, QVector<QVariant>&)>& take) {
    NativeQuery query(connection_.database(), sql);
    while (query.next()) {
        QVector<QVariant> values = valuesOf(query, 1);
        take(query.integer(0), values);
    }
    if (query.isValid() && !query.failed())
        return;
    QSqlQuery again = connection_.execNative(sql); // throws DbError
    while (again.next()) {
        QVector<QVariant> values = valuesOf(again, 1);
        take(again.value(0).toLongLong(), values);
    }
    connection_.throwIfFailed(again);
}

// A partial row whose row no longer exists (another workstation deleted it): what was read
// stays, the rest is empty.
void Dataset::expandUnread(int row) {
    Row& r = rows_[row];
    QVector<QVariant> values(columns_.size());
    for (int c = 0; c < columns_.size(); ++c) {
        if (eagerSlot_[c] >= 0)
            values[c] = r.values[eagerSlot_[c]];
    }
    r.values = std::move(values);
    r.partial = false;
}

void Dataset::completeRow(int row) {
    if (++rowsCompletedOneByOne_ > kRowsCompletedOneByOne) {
        completeRows();
        return;
    }
    readCompleteRows(QStringLiteral("SELECT * FROM (%1) WHERE %2 = %3")
                         .arg(completeSql_, kRowIdAlias)
                         .arg(rows_[row].rowid),
                     [&](qint64, QVector<QVariant>& values) {
                         rows_[row].values = std::move(values);
                         rows_[row].partial = false;
                     });
    if (rows_[row].partial)
        expandUnread(row);
}

void Dataset::completeRows() {
    if (!hasPartialRows_)
        return;
    QHash<qint64, int> partial;
    for (int i = 0; i < rows_.size(); ++i) {
        if (rows_[i].partial)
            partial.insert(rows_[i].rowid, i);
    }
    readCompleteRows(completeSql_, [&](qint64 rowid, QVector<QVariant>& values) {
        const auto found = partial.constFind(rowid);
        if (found == partial.cend() || !rows_[*found].partial)
            return;
        rows_[*found].values = std::move(values);
        rows_[*found].partial = false;
    });
    for (const int i : std::as_const(partial)) {
        if (rows_[i].partial)
            expandUnread(i);
    }
    hasPartialRows_ = false;
}

void Dataset::completeRowsFor(int column) {
    if (hasPartialRows_ && (column < 0 || eagerSlot_.value(column, -1) < 0))
        completeRows();
}

bool Dataset::matchesFilter(const Row& row) const {
    return filter_->matches(row.values, row.partial ? &eagerSlot_ : nullptr);
}

bool Dataset::passesRowTest(int i) const {
    if (!rowTest_)
        return true;
    const int column = columnIndex(rowTestColumn_);
    return column < 0 || rowTest_(cell(i, column));
}

void Dataset::setRowTest(const QString& column, std::function<bool(const QVariant&)> test) {
    if (test && state_ != State::Inactive && columnIndex(column) < 0)
        throw DbError(QStringLiteral("La colonna %1 non esiste in %2.").arg(column, name_));
    settle();
    rowTestColumn_ = column;
    rowTest_ = std::move(test);
    if (state_ == State::Inactive)
        return;
    rebuildView();
    setCursor(0);
    bof_ = true;
    eof_ = view_.isEmpty();
    notifyRows();
}

const QVariant& Dataset::cell(int row, int column) const {
    const Row& r = rows_[row];
    if (!r.partial)
        return r.values[column];
    if (const int slot = eagerSlot_[column]; slot >= 0)
        return r.values[slot];
    // Reading the rest of the row changes nothing the dataset shows: a const read.
    const_cast<Dataset*>(this)->completeRow(row);
    return rows_[row].values[column];
}

void Dataset::readThroughDriver(const Translated& translated, const RowSink& take) {
    QSqlQuery query(connection_.database());
    bool withRowIds = false;
    if (!translated.withRowId.isEmpty()) {
        try {
            query = connection_.execProbe(translated.withRowId);
            withRowIds = true;
        } catch (const DbError&) {
            // A query the row id does not fit (a join with aliases, a union): read-only rows.
        }
    }
    if (!withRowIds)
        query = connection_.execNative(translated.sql);

    const QSqlRecord record = query.record();
    const int first = withRowIds ? 1 : 0;
    QStringList names;
    for (int i = first; i < record.count(); ++i)
        names << record.fieldName(i);
    setResultColumns(names, withRowIds, translated.table);
    while (query.next()) {
        Row row;
        row.values = valuesOf(query, first);
        row.rowid = withRowIds ? query.value(0).toLongLong() : 0;
        take(std::move(row));
    }
    connection_.throwIfFailed(query);
}

void Dataset::deferOpen() {
    close();
    deferred_ = true;
}

void Dataset::ensureOpen() {
    if (deferred_)
        open();
}

void Dataset::close() {
    deferred_ = false;
    const bool wasOpen = state_ != State::Inactive;
    state_ = State::Inactive;
    forgetColumns();
    rows_.clear();
    view_.clear();
    modified_.clear();
    insertedRow_ = -1;
    filter_.reset();
    cursor_ = -1;
    bof_ = eof_ = true;
    if (wasOpen) {
        Q_EMIT stateChanged();
        notifyRows();
    }
}

void Dataset::requery() {
    if (state_ == State::Inactive) {
        open();
        return;
    }
    cancel();
    open();
}

bool Dataset::refreshIfChanged() {
    if (state_ != State::Browse || connection_.dataVersion() == readVersion_)
        return false;
    const int current = currentRowIndex();
    const qint64 rowid = current >= 0 ? rows_[current].rowid : 0;
    const int position = cursor_;
    open();
    for (int i = 0; rowid != 0 && i < view_.size(); ++i) {
        if (rows_[view_[i]].rowid == rowid) {
            moveTo(i);
            return true;
        }
    }
    if (rowid == 0 && position > 0 && position < view_.size())
        moveTo(position);
    return true;
}

QVariant Dataset::fromStorage(int column, const QVariant& stored) const {
    if (stored.isNull())
        return QVariant();
    switch (kinds_.value(column, -1)) {
    // A value another tool stored that the kind cannot hold faithfully (a text in a number
    // column, a fraction or a number beyond the range of a Long) stays as stored, so that a
    // reader can tell it from a real zero or a cut number.
    case int(ColumnKind::AutoNumber):
    case int(ColumnKind::Long): {
        bool ok = false;
        qlonglong n = 0;
        if (stored.typeId() == QMetaType::Double) {
            const double d = stored.toDouble();
            ok = d == std::trunc(d) && std::abs(d) <= 2147483647.0;
            n = ok ? qlonglong(d) : 0;
        } else {
            n = stored.toLongLong(&ok);
        }
        if (ok && n >= std::numeric_limits<int>::min() && n <= std::numeric_limits<int>::max())
            return int(n);
        return stored;
    }
    case int(ColumnKind::Double): {
        bool ok = false;
        const double d = stored.toDouble(&ok);
        return ok ? QVariant(d) : stored;
    }
    case int(ColumnKind::YesNo):
        return stored.toLongLong() != 0;
    case int(ColumnKind::Date): {
        const QString text = stored.toString();
        if (text.size() > 10) {
            QDateTime dt =
                QDateTime::fromString(text.left(19), QStringLiteral("yyyy-MM-dd HH:mm:ss"));
            if (!dt.isValid())
                dt = QDateTime::fromString(text, Qt::ISODate);
            if (dt.isValid())
                return dt;
        }
        const QDate d = QDate::fromString(text.left(10), Qt::ISODate);
        return d.isValid() ? QVariant(d) : stored;
    }
    case int(ColumnKind::Text):
    case int(ColumnKind::Memo):
        return stored.toString();
    default:
        return stored;
    }
}

QVariant Dataset::toStorage(int column, const QVariant& value) const {
    if (value.isNull())
        return QVariant();
    switch (kinds_.value(column, -1)) {
    case int(ColumnKind::YesNo):
        return value.toBool() ? 1 : 0;
    case int(ColumnKind::Date):
        if (value.typeId() == QMetaType::QDate)
            return value.toDate().toString(Qt::ISODate);
        if (value.typeId() == QMetaType::QDateTime)
            return value.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        return value.toString();
    default:
        return value;
    }
}

QList<QPair<int, bool>> Dataset::sortKeys(const QString& sort) const {
    QList<QPair<int, bool>> keys;
    for (const QString& part : sort.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const QStringList words = part.simplified().split(QLatin1Char(' '));
        QString name = words.value(0);
        name.remove(QLatin1Char('[')).remove(QLatin1Char(']'));
        const int column = columnIndex(name);
        if (column < 0)
            continue;
        const bool descending =
            words.value(1).compare(QLatin1String("DESC"), Qt::CaseInsensitive) == 0;
        keys << qMakePair(column, descending);
    }
    return keys;
}

void Dataset::completeRowsFor(const RowFilter* filter, const QString& sort) {
    if (!hasPartialRows_)
        return;
    if (filter) {
        for (const int column : filter->columns())
            completeRowsFor(column);
    }
    for (const auto& key : sortKeys(sort))
        completeRowsFor(key.first);
}

void Dataset::rebuildView() {
    completeRowsFor(filter_.get(), sortText_);
    view_.clear();
    view_.reserve(rows_.size());
    for (int i = 0; i < rows_.size(); ++i) {
        if ((!filter_ || matchesFilter(rows_[i])) && passesRowTest(i))
            view_ << i;
    }
    const QList<QPair<int, bool>> keys = sortKeys(sortText_);
    if (keys.isEmpty())
        return;
    std::stable_sort(view_.begin(), view_.end(), [&](int a, int b) {
        for (const auto& [column, descending] : keys) {
            const int c = compareForSort(cell(a, column), cell(b, column));
            if (c != 0)
                return descending ? c > 0 : c < 0;
        }
        return false;
    });
}

void Dataset::notifyRows() {
    if (controlsDisabled_ == 0) {
        Q_EMIT rowsChanged();
        Q_EMIT currentChanged();
    }
}

void Dataset::notifyCurrent() {
    if (controlsDisabled_ == 0)
        Q_EMIT currentChanged();
}

void Dataset::setCursor(int pos) {
    cursor_ = view_.isEmpty() ? -1 : std::clamp(pos, 0, int(view_.size()) - 1);
}

int Dataset::currentRowIndex() const {
    return cursor_ >= 0 && cursor_ < view_.size() ? view_[cursor_] : -1;
}

void Dataset::first() {
    settle();
    setCursor(0);
    bof_ = true;
    eof_ = view_.isEmpty();
    notifyCurrent();
}

void Dataset::last() {
    settle();
    setCursor(int(view_.size()) - 1);
    eof_ = true;
    bof_ = view_.isEmpty();
    notifyCurrent();
}

void Dataset::next() {
    settle();
    if (cursor_ < 0 || cursor_ >= view_.size() - 1) {
        eof_ = true;
        return;
    }
    ++cursor_;
    bof_ = eof_ = false;
    notifyCurrent();
}

void Dataset::prior() {
    settle();
    if (cursor_ <= 0) {
        bof_ = true;
        return;
    }
    --cursor_;
    bof_ = eof_ = false;
    notifyCurrent();
}

void Dataset::moveTo(int row) {
    if (row == cursor_ || row < 0 || row >= view_.size())
        return;
    settle();
    setCursor(row);
    bof_ = eof_ = false;
    notifyCurrent();
}

bool Dataset::locate(const QString& column, const QVariant& value) {
    const int c = columnIndex(column);
    if (c < 0)
        throw DbError(QStringLiteral("La colonna %1 non esiste in %2.").arg(column, name_));
    completeRowsFor(c);
    for (int i = 0; i < view_.size(); ++i) {
        if (sameKey(cell(view_[i], c), value)) {
            if (i != cursor_) {
                settle();
                setCursor(i);
                notifyCurrent();
            }
            bof_ = eof_ = false;
            return true;
        }
    }
    return false;
}

QVariant Dataset::value(int column) const {
    if (column < 0 || column >= columns_.size())
        return QVariant();
    if (state_ == State::Edit || state_ == State::Insert)
        return buffer_.values.value(column);
    const int row = currentRowIndex();
    return row < 0 ? QVariant() : cell(row, column);
}

QVariant Dataset::value(const QString& column) const {
    const int c = columnIndex(column);
    if (c < 0 && state_ != State::Inactive)
        throw DbError(QStringLiteral("La colonna %1 non esiste in %2.").arg(column, name_));
    return value(c);
}

QVariant Dataset::valueAt(int row, int column) const {
    if (row < 0 || row >= view_.size() || column < 0 || column >= columns_.size())
        return QVariant();
    if (row == cursor_ && (state_ == State::Edit || state_ == State::Insert))
        return buffer_.values.value(column);
    return cell(view_[row], column);
}

bool Dataset::isNull(const QString& column) const {
    return value(column).isNull();
}
QString Dataset::text(const QString& column) const {
    const QVariant v = value(column);
    if (v.typeId() == QMetaType::QDate)
        return v.toDate().toString(Qt::ISODate);
    return v.toString();
}
int Dataset::integer(const QString& column) const {
    return value(column).toInt();
}
double Dataset::number(const QString& column) const {
    return value(column).toDouble();
}
bool Dataset::flag(const QString& column) const {
    return value(column).toBool();
}
QDate Dataset::date(const QString& column) const {
    return value(column).toDate();
}
QDateTime Dataset::dateTime(const QString& column) const {
    return value(column).toDateTime();
}

void Dataset::setValue(const QString& column, const QVariant& newValue) {
    if (state_ != State::Edit && state_ != State::Insert)
        throw DbError(QStringLiteral("%1 non è in modifica.").arg(name_));
    const int c = columnIndex(column);
    if (c < 0)
        throw DbError(QStringLiteral("La colonna %1 non esiste in %2.").arg(column, name_));
    if (!tableColumn_[c])
        throw DbError(
            QStringLiteral("La colonna %1 di %2 non si può modificare.").arg(column, name_));
    QVariant stored = toStorage(c, newValue);
    if (stored.typeId() == QMetaType::QString && stored.toString().isEmpty() &&
        kinds_[c] != int(ColumnKind::Text) && kinds_[c] != int(ColumnKind::Memo))
        stored = QVariant();
    const QVariant normal = fromStorage(c, stored);
    if (buffer_.values[c] == normal && buffer_.values[c].isNull() == normal.isNull())
        return;
    buffer_.values[c] = normal;
    if (!modified_.contains(c))
        modified_ << c;
    if (controlsDisabled_ == 0)
        Q_EMIT valueChanged(columns_[c]);
}

void Dataset::edit() {
    if (state_ == State::Edit || state_ == State::Insert)
        return;
    if (state_ == State::Inactive)
        throw DbError(QStringLiteral("%1 non è aperto.").arg(name_));
    const int row = currentRowIndex();
    if (row < 0) {
        // Editing an empty dataset starts a new row, as the classic dataset does.
        append();
        return;
    }
    if (rows_[row].partial)
        completeRow(row);
    buffer_ = rows_[row];
    modified_.clear();
    state_ = State::Edit;
    Q_EMIT stateChanged();
}

void Dataset::insert() {
    if (state_ == State::Inactive)
        throw DbError(QStringLiteral("%1 non è aperto.").arg(name_));
    settle();
    Row row;
    row.values.resize(columns_.size());
    rows_ << row;
    insertedRow_ = int(rows_.size()) - 1;
    const int at = cursor_ < 0 ? 0 : cursor_;
    view_.insert(at, insertedRow_);
    cursor_ = at;
    bof_ = eof_ = false;
    buffer_ = row;
    modified_.clear();
    state_ = State::Insert;
    Q_EMIT stateChanged();
    notifyRows();
}

void Dataset::append() {
    if (state_ == State::Inactive)
        throw DbError(QStringLiteral("%1 non è aperto.").arg(name_));
    settle();
    Row row;
    row.values.resize(columns_.size());
    rows_ << row;
    insertedRow_ = int(rows_.size()) - 1;
    view_ << insertedRow_;
    cursor_ = int(view_.size()) - 1;
    bof_ = eof_ = false;
    buffer_ = row;
    modified_.clear();
    state_ = State::Insert;
    Q_EMIT stateChanged();
    notifyRows();
}

void Dataset::post() {
    if (state_ != State::Edit && state_ != State::Insert)
        return;
    if (baseTable_.isEmpty())
        throw DbError(QStringLiteral("%1 non si può modificare.").arg(name_));
    if (beforeWrite && (state_ == State::Insert || !modified_.isEmpty()))
        beforeWrite();
    QStringList names;
    QVariantList values;
    for (int c : std::as_const(modified_)) {
        names << quoteIdentifier(columns_[c]);
        values << toStorage(c, buffer_.values[c]);
    }
    if (state_ == State::Edit) {
        if (!modified_.isEmpty()) {
            if (buffer_.rowid == 0)
                throw DbError(QStringLiteral("%1 non si può modificare.").arg(name_));
            QStringList sets;
            for (const QString& n : names)
                sets << n + QStringLiteral(" = ?");
            values << connection_.rowIdParameter(baseTable_, buffer_.rowid);
            QSqlQuery q = connection_.execNative(
                QStringLiteral("UPDATE %1 SET %2 WHERE %3")
                        .arg(quoteIdentifier(baseTable_), sets.join(QLatin1String(", ")),
                             connection_.rowIdCondition(baseTable_)) +
                    connection_.returningRowId(baseTable_),
                values);
            // A server moves an updated row: its new address is where it is found next time
            // (and a row that no longer exists returns none).
            const qint64 written =
                connection_.isServer() ? connection_.writtenRowId(q) : q.numRowsAffected();
            // A server finds a row without a key by its address, which another workstation's
            // update moves too: either way the row is not written over blind.
            if (written == 0)
                throw DbError(
                    connection_.isServer() &&
                            connection_.rowIdCondition(baseTable_).startsWith(QLatin1String("ctid"))
                        ? QStringLiteral("La riga che si sta salvando non esiste più "
                                         "com'era: un'altra postazione l'ha modificata o "
                                         "eliminata. Riaprire la finestra per vederla "
                                         "com'è ora.")
                        : QStringLiteral("La riga che si sta salvando non esiste più: "
                                         "un'altra postazione l'ha eliminata."));
            if (connection_.isServer())
                buffer_.rowid = written;
        }
        rows_[currentRowIndex()] = buffer_;
    } else {
        const QString returning = connection_.returningRowId(baseTable_);
        QSqlQuery q =
            names.isEmpty()
                ? connection_.execNative(QStringLiteral("INSERT INTO %1 DEFAULT VALUES")
                                             .arg(quoteIdentifier(baseTable_)) +
                                         returning)
                : connection_.execNative(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                                 .arg(quoteIdentifier(baseTable_),
                                                      names.join(QLatin1String(", ")),
                                                      QStringList(names.size(), QStringLiteral("?"))
                                                          .join(QLatin1String(", "))) +
                                             returning,
                                         values);
        const qint64 rowid = connection_.writtenRowId(q);
        buffer_.rowid = rowid;
        const int key = columnIndex(autoNumberColumn_);
        if (key >= 0)
            buffer_.values[key] = int(rowid);
        rows_[insertedRow_] = buffer_;
        insertedRow_ = -1;
    }
    modified_.clear();
    state_ = State::Browse;
    Q_EMIT stateChanged();
    if (controlsDisabled_ == 0) {
        Q_EMIT valueChanged(QString());
        Q_EMIT rowsChanged();
        Q_EMIT currentChanged();
    }
}

void Dataset::settle() {
    if (state_ == State::Edit || state_ == State::Insert) {
        if (isModified())
            post();
        else
            cancel();
    }
}

void Dataset::cancel() {
    if (state_ == State::Edit) {
        state_ = State::Browse;
        modified_.clear();
        Q_EMIT stateChanged();
        if (controlsDisabled_ == 0)
            Q_EMIT valueChanged(QString());
    } else if (state_ == State::Insert) {
        state_ = State::Browse;
        modified_.clear();
        const int removed = insertedRow_;
        insertedRow_ = -1;
        view_.removeAll(removed);
        rows_.removeAt(removed);
        setCursor(cursor_);
        Q_EMIT stateChanged();
        notifyRows();
    }
}

void Dataset::remove() {
    if (state_ == State::Insert) {
        cancel();
        return;
    }
    cancel();
    const int row = currentRowIndex();
    if (row < 0)
        throw DbError(QStringLiteral("%1 non contiene righe da eliminare.").arg(name_));
    if (baseTable_.isEmpty() || rows_[row].rowid == 0)
        throw DbError(QStringLiteral("%1 non si può modificare.").arg(name_));
    connection_.execNative(
        QStringLiteral("DELETE FROM %1 WHERE %2")
            .arg(quoteIdentifier(baseTable_), connection_.rowIdCondition(baseTable_)),
        {connection_.rowIdParameter(baseTable_, rows_[row].rowid)});
    rows_.removeAt(row);
    view_.removeAt(cursor_);
    for (int& index : view_) {
        if (index > row)
            --index;
    }
    setCursor(cursor_);
    bof_ = eof_ = view_.isEmpty();
    notifyRows();
}

void Dataset::setFilter(const QString& filter) {
    if (filter == filterText_ && (filter.isEmpty() || filter_))
        return;
    std::unique_ptr<RowFilter> parsed;
    if (!filter.trimmed().isEmpty() && state_ != State::Inactive)
        parsed = std::make_unique<RowFilter>(filter, columns_); // throws before anything changes
    settle();
    // A read of what the filter needs that fails leaves the rows shown as they were.
    completeRowsFor(parsed.get(), sortText_);
    filterText_ = filter.trimmed().isEmpty() ? QString() : filter;
    filter_ = std::move(parsed);
    if (state_ == State::Inactive)
        return;
    rebuildView();
    setCursor(0);
    bof_ = true;
    eof_ = view_.isEmpty();
    notifyRows();
}

void Dataset::narrowFilter(const QString& filter) {
    if (state_ == State::Inactive || filter.trimmed().isEmpty() || !filter_) {
        setFilter(filter);
        return;
    }
    if (filter == filterText_)
        return;
    auto parsed = std::make_unique<RowFilter>(filter, columns_); // throws before anything changes
    settle();
    completeRowsFor(parsed.get(), QString());
    filterText_ = filter;
    filter_ = std::move(parsed);
    QVector<int> kept;
    kept.reserve(view_.size());
    for (const int i : std::as_const(view_)) {
        if (matchesFilter(rows_[i]) && passesRowTest(i))
            kept << i;
    }
    view_ = std::move(kept);
    setCursor(0);
    bof_ = true;
    eof_ = view_.isEmpty();
    notifyRows();
}

void Dataset::setSort(const QString& sort) {
    settle();
    const int row = currentRowIndex();
    if (state_ != State::Inactive)
        completeRowsFor(filter_.get(), sort); // a failed read leaves the order as it was
    sortText_ = sort;
    if (state_ == State::Inactive)
        return;
    rebuildView();
    const int pos = int(view_.indexOf(row));
    setCursor(pos < 0 ? 0 : pos);
    notifyRows();
}

void Dataset::disableControls() {
    ++controlsDisabled_;
}

void Dataset::enableControls() {
    if (controlsDisabled_ > 0 && --controlsDisabled_ == 0)
        notifyRows();
}

} // namespace brevalto
