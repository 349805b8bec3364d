// The invoice file's writer gives, byte for byte, what Qt's stream writer with two-space
// indentation gives for the same elements: the layout earlier files were written with.
#include "export/XmlOut.h"

#include <QBuffer>
#include <QXmlStreamWriter>
#include <gtest/gtest.h>

namespace brevalto {
namespace {

TEST(XmlOutTest, WritesWhatQtsStreamWriterWrites) {
    const QString tricky = QStringLiteral("Rossi & \"Figli\" <srl> l'a\tb\nc\rd àè€ 𝄞 >");
    QByteArray expected;
    {
        QXmlStreamWriter w(&expected);
        w.setAutoFormatting(true);
        w.setAutoFormattingIndent(2);
        w.writeStartDocument(QStringLiteral("1.0"));
        w.writeStartElement(QStringLiteral("p:Radice"));
        w.writeAttribute(QStringLiteral("versione"), tricky);
        w.writeStartElement(QStringLiteral("Vuoto"));
        w.writeEndElement();
        w.writeStartElement(QStringLiteral("Blocco"));
        w.writeTextElement(QStringLiteral("Testo"), tricky);
        w.writeTextElement(QStringLiteral("Niente"), QString());
        w.writeStartElement(QStringLiteral("Interno"));
        w.writeTextElement(QStringLiteral("Numero"), QStringLiteral("1.00"));
        w.writeEndDocument();
    }
    QByteArray written;
    QBuffer device(&written);
    device.open(QIODevice::WriteOnly);
    XmlOut x(&device);
    x.startDocument();
    x.start("p:Radice");
    x.attribute("versione", tricky);
    x.start("Vuoto");
    x.end();
    x.start("Blocco");
    x.element("Testo", tricky);
    x.element("Niente", QString());
    x.start(QStringLiteral("Interno"));
    x.element(QLatin1String("Numero"), QStringLiteral("1.00"));
    x.endDocument();
    EXPECT_EQ(written.toStdString(), expected.toStdString());
}

} // namespace
} // namespace brevalto
