// Reading what a certified-mail box holds: real messages of a provider and of the exchange
// system, and the odd ones a box also gets.
#include "pec/PecMessage.h"
#include "PecTestSupport.h"

#include <gtest/gtest.h>

using namespace brevalto::pec;
using brevalto::test::pecSample;

namespace {

const char* kOurMessage = "1542123565.921546936035156.464602125997431-openerp-8-fatturapa."
                          "attachment.out@elbati-Vostro-3550";

TEST(PecMessage, RealProviderReceiptsNameOurMessage) {
    struct Case {
        const char* file;
        ReceiptKind kind;
    } cases[] = {
        {"ACCETTAZIONE_IT03339130126_00009.xml.eml", ReceiptKind::Accepted},
        {"CONSEGNA_IT03339130126_00009.xml.eml", ReceiptKind::Delivered},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const PecMessage m = readPecMessage(pecSample(c.file));
        EXPECT_EQ(m.kind, PecMessage::Kind::Receipt);
        EXPECT_EQ(m.receipt, c.kind);
        EXPECT_EQ(m.referencedId, QString::fromLatin1(kOurMessage));
        EXPECT_EQ(m.referencedSubject, QStringLiteral("IT03339130126_00009.xml"));
    }
}

TEST(PecMessage, RealEnvelopesGiveTheNotificationFileInside) {
    // Quoted-printable and base64 attachments of the inner message, decoded to the XML itself.
    const PecMessage rc =
        readPecMessage(pecSample("POSTA_CERTIFICATA_Ricevuta_di_consegna_6782414.eml"));
    ASSERT_EQ(rc.kind, PecMessage::Kind::Notification) << rc.why.toStdString();
    ASSERT_EQ(rc.files.size(), 1);
    EXPECT_EQ(rc.files[0].name, QStringLiteral("IT03339130126_00009_RC_003.xml"));
    EXPECT_TRUE(rc.files[0].bytes.startsWith(
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?><ns3:RicevutaConsegna"));
    EXPECT_EQ(rc.sdiAddress, QStringLiteral("sdi03@pec.fatturapa.it"));
    EXPECT_TRUE(rc.nextSdiAddress.isEmpty());

    // The production undeliverable notice has no daticert.xml and names the box to use next.
    const PecMessage mc = readPecMessage(pecSample("POSTA_CERTIFICATA_mancata_consegna.eml"));
    ASSERT_EQ(mc.kind, PecMessage::Kind::Notification) << mc.why.toStdString();
    ASSERT_EQ(mc.files.size(), 1);
    EXPECT_EQ(mc.files[0].name, QStringLiteral("IT14627831002_02621_MC_001.xml"));
    EXPECT_TRUE(mc.files[0].bytes.contains("<IdentificativoSdI>141107829</IdentificativoSdI>"));
    EXPECT_EQ(mc.nextSdiAddress, QStringLiteral("sdi48@pec.fatturapa.it"));
}

TEST(PecMessage, WhatIsNotANotificationIsSaidSo) {
    struct Case {
        const char* name;
        QByteArray raw;
        PecMessage::Kind kind;
    } cases[] = {
        // An invoice the exchange system delivers to us: metadata and invoice, not a notification.
        {"fattura ricevuta", pecSample("POSTA_CERTIFICATA_Invio_File_7339338.eml"),
         PecMessage::Kind::IncomingInvoice},
        {"fattura ricevuta p7m", pecSample("POSTA_CERTIFICATA_Invio_File_7339338_base64.eml"),
         PecMessage::Kind::IncomingInvoice},
        {"posta di una persona",
         "From: cliente@example.com\r\nSubject: Buongiorno\r\nMessage-ID: <a@b>\r\n\r\nSalve\r\n",
         PecMessage::Kind::Other},
        // Someone else's certified mail, with an attachment named like a notification.
        {"posta certificata di altri",
         brevalto::test::sdiEnvelope("x@y", "Prova", "IT01234567890_00001_RC_001.xml", "<x/>",
                                     "ufficio@pec.example.it"),
         PecMessage::Kind::Other},
        {"ricevuta senza riferimento",
         "From: posta-certificata@pec.example\r\nX-Ricevuta: accettazione\r\nSubject: "
         "ACCETTAZIONE: x\r\n\r\n",
         PecMessage::Kind::Other},
        {"non è posta", QByteArray("\x00\x01\x02 binario\r\n\r\n", 14),
         PecMessage::Kind::Unreadable},
        {"vuoto", QByteArray(), PecMessage::Kind::Unreadable},
        // Boundaries that never close and nesting without end are read as far as they go.
        {"troncato",
         "From: a@b\r\nContent-Type: multipart/mixed; boundary=zz\r\n\r\n--zz\r\nContent-Type: "
         "message/rfc822\r\n\r\nFrom: c@d\r\nContent-Type: multipart/mixed; "
         "boundary=zz\r\n\r\n--zz\r\n",
         PecMessage::Kind::Other},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const PecMessage m = readPecMessage(c.raw);
        EXPECT_EQ(m.kind, c.kind);
        EXPECT_FALSE(m.why.isEmpty());
    }
}

TEST(PecMessage, ProviderWarningsAndFailures) {
    struct Case {
        const char* value;
        ReceiptKind kind;
    } cases[] = {
        {"preavviso-errore-consegna", ReceiptKind::Warning},
        {"errore-consegna", ReceiptKind::NotDelivered},
        {"non-accettazione", ReceiptKind::NotAccepted},
        {"presa-in-carico", ReceiptKind::Other},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        const PecMessage m = readPecMessage(brevalto::test::providerReceipt(
            "r@p", c.value, "mio@brevalto.test", "AVVISO DI MANCATA CONSEGNA: IT1_00001.xml"));
        EXPECT_EQ(m.kind, PecMessage::Kind::Receipt);
        EXPECT_EQ(m.receipt, c.kind);
        EXPECT_EQ(m.referencedId, QStringLiteral("mio@brevalto.test"));
    }
}

TEST(Mime, EncodedWordsAndParameters) {
    const MimePart p = parseMime(
        "Subject: =?utf-8?B?RmF0dHVyYSDDqA==?= =?iso-8859-1?Q?pronta_=E8?=\r\n"
        "Content-Type: application/octet-stream;\r\n name*=utf-8''caff%C3%A8.xml\r\n\r\nx");
    EXPECT_EQ(p.text("subject"), QStringLiteral("Fattura èpronta è"));
    EXPECT_EQ(p.fileName(), QStringLiteral("caffè.xml"));
}

} // namespace
