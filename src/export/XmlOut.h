#pragma once
// The element writer of the invoice file: nested elements and text elements on a stream writer
// that builds the whole file in memory. Text that XML 1.0 cannot carry (control characters other
// than tab and line breaks, broken surrogates) stops the export instead of producing a file no
// parser can read.
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QXmlStreamWriter>

#include "export/ValueFormat.h"

namespace brevalto {

class XmlOut {
public:
    explicit XmlOut(QByteArray* buffer);

    QXmlStreamWriter& writer() { return writer_; }

    void start(const QString& name);
    void end();
    // A leaf element with its text; an empty text gives an empty element.
    void element(const QString& name, const QString& text);
    // Leaf elements holding a stored number, integer, date or date-time, checked against what the
    // element's schema type can hold: a value it cannot hold stops the export (an abort) with a
    // message naming the element, the body and the line.
    void decimal(const QString& name, const QVariant& value, SchemaDecimal type);
    void integer(const QString& name, const QVariant& value, qint64 minimum, qint64 maximum);
    void date(const QString& name, const QVariant& value);
    void dateTime(const QString& name, const QVariant& value);
    // Where the writer stands, for those messages: the body ("corpo n. 2") and the line or row
    // within it ("linea 3"); an empty text clears it.
    void setBody(const QString& text) { body_ = text; }
    void setRow(const QString& text) { row_ = text; }
    // Ends every element still open.
    void finish();

    // The elements open at this point, joined by "/" (for messages).
    QString path() const { return open_.join(QLatin1Char('/')); }

private:
    void checkText(const QString& name, const QString& text) const;
    [[noreturn]] void refuse(const QString& name, const QString& problem) const;

    QXmlStreamWriter writer_;
    QStringList open_;
    QString body_;
    QString row_;
};

} // namespace brevalto
