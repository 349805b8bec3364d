#pragma once
// The element writer of the invoice file: nested elements and text elements on a stream writer
// that builds the whole file in memory. Text that XML 1.0 cannot carry (control characters other
// than tab and line breaks, broken surrogates) stops the export instead of producing a file no
// parser can read.
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QXmlStreamWriter>

namespace brevalto {

class XmlOut {
public:
    explicit XmlOut(QByteArray* buffer);

    QXmlStreamWriter& writer() { return writer_; }

    void start(const QString& name);
    void end();
    // A leaf element with its text; an empty text gives an empty element.
    void element(const QString& name, const QString& text);
    // Ends every element still open.
    void finish();

    // The elements open at this point, joined by "/" (for messages).
    QString path() const { return open_.join(QLatin1Char('/')); }

private:
    void checkText(const QString& name, const QString& text) const;

    QXmlStreamWriter writer_;
    QStringList open_;
};

} // namespace brevalto
