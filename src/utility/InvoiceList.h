#pragma once
// The invoice list export without its screen: the invoices (bodies) of one seller's Documents not
// yet exported, one ";"-separated line each, in a one-byte-per-character text; and the marking of
// exactly the Documents that went into the file.
#include <QByteArray>
#include <QDate>
#include <QList>
#include <QLocale>
#include <QString>

namespace brevalto {
class Connection;
}

namespace brevalto::elenco {

// "Esportazioni_5_3_2026.csv" for 5 March 2026: day and month without leading zeros.
QString proposedFileName(const QDate& day);

// The heading line, without its line break.
QString headingLine();

// A value holding a character the one-byte format cannot carry (beyond Latin-1, such as the euro
// sign): which invoice, which field, which characters.
struct Unrepresentable {
    QString invoice; // "fattura n. 12 del 05/03/2026"
    QString field;   // the heading of the column ("Cessionario:RagioneSociale")
    QString characters;
};

struct Listing {
    QString text;            // heading and one line per invoice, each ending "\n"
    int invoices = 0;        // lines after the heading
    QList<qint64> documents; // the Documents to mark: those listed and the seller's empty ones
    QList<Unrepresentable> unrepresentable;
};

// Reads the seller's invoices whose Document is not exported yet (a Document never marked counts
// as not exported), ordered by date and number, and writes their lines: dates in the locale's
// short format with a four-digit year, amounts in general format with the locale's decimal mark
// (null is 0), texts as stored (null is empty). Throws DbError.
Listing build(Connection& connection, qint64 sellerId, const QLocale& locale = QLocale());

// The text as one byte per character: the character's code for Latin-1, "?" for any other.
QByteArray encode(const QString& text);

// What a list of unrepresentable values tells the user (one line each, at most ten).
QString describe(const QList<Unrepresentable>& values);

// Marks the Documents exported, all in one transaction. Throws DbError (nothing marked then).
void markExported(Connection& connection, const QList<qint64>& documents);

} // namespace brevalto::elenco
