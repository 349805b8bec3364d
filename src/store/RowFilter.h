#pragma once
// A client-side row filter in the Jet filter syntax the screens write:
//   col like 'abc*'    col like '*abc*'    col = 'x'    col <> 3    a = 'x' and (b like 'y*' or c =
//   1)
// Literals are '...' (an apostrophe doubled inside) or numbers; "*" and "%" are wildcards of
// like, "?" and "_" match one character, "[...]" one of the characters it lists (literally, so
// "[*]" is a star). Comparisons of text ignore letter case.
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>
#include <functional>
#include <memory>

namespace brevalto {

class RowFilter {
public:
    // Parses the text against the dataset's column names. Throws DbError when it cannot read it.
    RowFilter(const QString& text, const QStringList& columns);
    ~RowFilter();
    // row: every column's value; or, with slots, the values of a row read in part, slots giving
    // each column's place among them (every column the filter reads has one).
    bool matches(const QVector<QVariant>& row, const QVector<int>* slots = nullptr) const;
    // The columns the filter reads.
    const QVector<int>& columns() const { return columns_; }

    struct Node;

private:
    std::unique_ptr<Node> root_;
    QVector<int> columns_;
};

// True when text matches a like pattern with "*"/"%" and "?"/"_" wildcards and "[...]" sets,
// ignoring case.
bool likeMatch(const QString& text, const QString& pattern);

} // namespace brevalto
