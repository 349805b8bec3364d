#pragma once
// The invoice list export without its screen: the invoices (bodies) of the Documents not yet
// listed, one ";"-separated line each, in a one-byte-per-character text; and the marking of exactly
// the Documents that went into the file. The list keeps its own mark
// (PA_FE_Header.EsportatoElenco): exporting a Document as XML does not take it off the list, nor
// listing it mark it exported.
#include <QByteArray>
#include <QDate>
#include <QList>
#include <QLocale>
#include <QString>
#include <optional>

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

// A text field of the list as a spreadsheet reads it back as the same text: quoted when it holds
// ";", a quote or a line break (inner quotes doubled), and with a "'" in front when it starts
// with "=", "+", "-", "@", a tab or a CR, which a spreadsheet would take for a formula. Any other
// text is written as it is.
QString csvField(const QString& text);

// Reads the invoices whose Document is not listed yet (a Document never marked counts as not
// listed), of one seller or, without one, of every Document of the archive (the firm's own use,
// one seller), ordered by date and number, and writes their lines: dates in the locale's short
// format with a four-digit year, amounts in general format with the locale's decimal mark (null
// is 0), texts through csvField (null is empty). Without any invoice to list, documents is empty
// too. Throws DbError.
Listing build(Connection& connection, std::optional<qint64> sellerId,
              const QLocale& locale = QLocale());

// The text as one byte per character: the character's code for Latin-1, "?" for any other.
QByteArray encode(const QString& text);

// What a list of unrepresentable values tells the user (one line each, at most ten).
QString describe(const QList<Unrepresentable>& values);

// Marks the Documents listed, all in one transaction. Throws DbError (nothing marked then).
void markExported(Connection& connection, const QList<qint64>& documents);

} // namespace brevalto::elenco
