#pragma once
// The line import without its screen: a delimited text file read into invoice lines. The file is
// read whole and every line checked before anything is stored, so that a file with one bad line
// adds nothing and the user learns which line of the file (its number and text) is wrong and why.
#include "logic/LineeLogic.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>
#include <optional>

namespace brevalto::importa {

// The four column names of the column order ("Descrizione|Prezzo|AliquotaIva|Quantita|").
inline const QString kDescrizione = QStringLiteral("Descrizione");
inline const QString kPrezzo = QStringLiteral("Prezzo");
inline const QString kAliquotaIva = QStringLiteral("AliquotaIva");
inline const QString kQuantita = QStringLiteral("Quantita");

// The column order stored in opzioni.ImportaStringa: names each followed by "|". A null setting
// means the order the import screen shows at first: description, price, VAT rate, quantity.
QStringList columnOrder(const QVariant& importaStringa);
QString columnOrderText(const QStringList& order);

// What the import screen sets: the field separator (its first character; "|" when empty), whether
// the first line holds headings, the column order, and the columns given a fixed value instead of
// a field of the file (taken as typed, the file's field is not read).
struct Settings {
    QString separator;
    bool headings = false;
    QStringList order;
    QHash<QString, QString> fixed;
};

// The text of a file: UTF-8 when the bytes are valid UTF-8 (a byte-order mark is dropped),
// otherwise Windows-1252, what a spreadsheet saved on a Windows workstation writes (accents and
// the euro sign come through).
QString decodeText(const QByteArray& bytes);

// A refused line of the file: its number (from 1), its text and the reason.
struct LineError {
    int number = 0;
    QString text;
    QString reason;
    QString message() const;
};

struct Parsed {
    QList<linee::NewLine> lines;
    std::optional<LineError> error; // the first refused line; then lines is empty
    int blank = 0;                  // lines holding only blanks, skipped
};

// The lines of the text as the settings read them. Per line: the price loses every euro sign and
// every blank ("€ 1 250,00" is 1250), the quantity its euro signs, the rate is trimmed, the
// description is cut to 1000 characters; a field missing from a short line is empty. Numbers are
// read as the screens read them (parseNumberText: "," or "." as decimal mark, "1.250" is 1250). A
// line without a price, or whose price, quantity or rate is not a number, refuses the whole file.
// An empty quantity is 1. The total is price × quantity, rounded half up to cents.
Parsed parse(const QString& text, const Settings& settings);

} // namespace brevalto::importa
