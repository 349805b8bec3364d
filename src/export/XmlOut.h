#pragma once
// The element writer of the invoice file: nested elements and text elements written as UTF-8 to
// a device, one element per line indented by two spaces per level (a leaf element's text on its
// line, an element without content as <name/>). The text goes out in pieces of some tens of
// kilobytes, so that a file of ten thousand lines is never held whole. Text that XML 1.0 cannot
// carry (control characters other than tab and line breaks, broken surrogates) stops the export
// instead of producing a file no parser can read.
#include <QAnyStringView>
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>

class QIODevice;

#include "export/ValueFormat.h"

namespace brevalto {

class XmlOut {
public:
    // device: open for writing. A write it refuses stops the export (a failure naming the file).
    explicit XmlOut(QIODevice* device);

    // The XML declaration, first in the file.
    void startDocument();
    // An attribute of the element just started.
    void attribute(QAnyStringView name, const QString& value);
    // Ends every element still open and the file with a line break, and writes what is left.
    void endDocument();

    void start(QAnyStringView name);
    void end();
    // A leaf element with its text; an empty text gives <name></name>.
    void element(QAnyStringView name, const QString& text);
    // A leaf element whose text comes in pieces that XML takes as they are (the base64 of an
    // attached file, megabytes long): next() gives each piece, an empty one ends the text.
    void elementInPieces(QAnyStringView name, const std::function<QByteArray()>& next);
    // Leaf elements holding a stored number, integer, date or date-time, checked against what the
    // element's schema type can hold: a value it cannot hold stops the export (an abort) with a
    // message naming the element, the body and the line.
    void decimal(QAnyStringView name, const QVariant& value, SchemaDecimal type);
    void integer(QAnyStringView name, const QVariant& value, qint64 minimum, qint64 maximum);
    void date(QAnyStringView name, const QVariant& value);
    void dateTime(QAnyStringView name, const QVariant& value);
    // Where the writer stands, for those messages: the body ("corpo n. 2") and the line or row
    // within it ("linea 3"); an empty text clears it.
    void setBody(const QString& text) { body_ = text; }
    void setRow(const QString& text) { row_ = text; }
    // Ends every element still open.
    void finish();

    // The elements open at this point, joined by "/" (for messages).
    QString path() const { return open_.join(QLatin1Char('/')); }

private:
    void checkText(QAnyStringView name, const QString& text) const;
    [[noreturn]] void refuse(QAnyStringView name, const QString& problem) const;
    // Closes the start tag still open (its element gets content), then a new line at depth.
    void newLine(qsizetype depth);
    void appendName(QAnyStringView name);
    void appendEscaped(const QString& text, bool inAttribute);
    // Hands the text so far to the device once there is enough of it (or all of it).
    void writeOut(qsizetype atLeast);

    QIODevice* device_;
    QByteArray out_;            // text not yet handed to the device
    bool startTagOpen_ = false; // "<name ..." written, its ">" not yet
    QStringList open_;
    QString body_;
    QString row_;
};

} // namespace brevalto
