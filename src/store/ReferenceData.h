#pragma once
// The reference data every new archive is born with (firm and settings rows, code lists,
// geography, VAT rates, catalogues). The rows are compiled into the program as one resource file
// per table, ":/data/<TableName>.tsv", produced by tools/convert_reference.py.
//
// File format: UTF-8, LF line ends; the first line names the columns, separated by TAB; then one
// line per row, fields separated by TAB. Inside a field "\t", "\n", "\r" and "\\" stand for tab,
// line feed, carriage return and backslash; a field that is exactly "\N" is NULL.
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

namespace brevalto {

class Connection;

struct ReferenceTable {
    QString name; // the table, taken from the file name
    QStringList columns;
    // Each field a QString, or a null QVariant for NULL; lineNumbers[i] is the file line of
    // rows[i].
    QList<QVariantList> rows;
    QList<int> lineNumbers;
};

// Paths of the compiled-in reference files, sorted by name.
QStringList referenceDataFiles();

// Reads and unescapes one reference file. Throws DbError naming the file and line when the file
// cannot be read, a line has the wrong number of fields or holds an unknown escape.
ReferenceTable readReferenceTable(const QString& path);

// Inserts every compiled-in reference file into the table of the same name, with one prepared
// statement per table. The caller holds the transaction. Throws DbError naming file and line.
void loadReferenceData(Connection& connection);

} // namespace brevalto
