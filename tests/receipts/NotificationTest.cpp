#include "receipts/Notification.h"
#include "SdiTestSupport.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

namespace brevalto::receipts {
namespace {

using namespace test;

// Every kind, in both namespaces and both spellings of the renamed roots, with what real files
// leave out (no Hash, an empty Destinatario, no date at all).
TEST(NotificationTest, ReadsEveryKindInBothNamespaces) {
    struct Case {
        const char* file;
        NotificationType type;
        bool older;
        const char* sdiId;
        const char* sentFile;
        const char* date; // ISO, empty when the message carries none
        int errors;
        bool valid; // against its schema
    };
    const Case cases[] = {
        {"IT01234567890_11111_RC_001.xml", NotificationType::Delivered, true, "111",
         "IT01234567890_11111.xml.p7m", "2013-06-06T12:01:00Z", 0, false},
        {"IT03339130126_00009_RC_003.xml", NotificationType::Delivered, false, "6782414",
         "IT03339130126_00009.xml", "2018-11-13T16:47:32.000+01:00", 0, false},
        {"IT01234567890_00001_NS_001.xml", NotificationType::Rejected, false, "5000000001",
         "IT01234567890_00001.xml.p7m", "2026-03-02T10:15:30.000+01:00", 2, true},
        {"IT01234567890_00004_NS_001.xml", NotificationType::Rejected, true, "5000000004",
         "IT01234567890_00004.xml.p7m", "2026-03-02T11:00:00.000+01:00", 1, true},
        {"IT14627831002_02621_MC_001.xml", NotificationType::NotDelivered, false, "141107829",
         "IT14627831002_02621.xml", "2019-01-05", 0, true},
        {"IT01234567890_11111_MC_001.xml", NotificationType::NotDelivered, true, "111",
         "IT01234567890_11111.xml.p7m", "2013-06-06T12:00:00", 0, false},
        {"IT01234567890_00005_NE_001.xml", NotificationType::Outcome, true, "5000000005",
         "IT01234567890_00005.xml.p7m", "", 0, true},
        {"IT01234567890_00006_DT_001.xml", NotificationType::TermsExpired, true, "5000000006",
         "IT01234567890_00006.xml.p7m", "", 0, true},
        {"IT01234567890_00007_AT_001.xml", NotificationType::Undeliverable, true, "5000000007",
         "IT01234567890_00007.xml.p7m", "2026-03-02T12:00:00.000+01:00", 0, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const ReadNotification r = readNotification(sdiSample(c.file), c.file);
        ASSERT_TRUE(r.ok) << r.error.toStdString();
        const Notification& n = r.notification;
        EXPECT_EQ(n.type, c.type);
        EXPECT_EQ(n.olderNamespace, c.older);
        EXPECT_EQ(n.sdiId, c.sdiId);
        EXPECT_EQ(n.sentFileName, c.sentFile);
        EXPECT_EQ(n.date, parseSdiDate(c.date));
        EXPECT_EQ(n.date.isValid(), *c.date != 0);
        EXPECT_EQ(n.errors.size(), c.errors);
        EXPECT_EQ(n.schemaComplaint.isEmpty(), c.valid) << n.schemaComplaint.toStdString();
        EXPECT_FALSE(n.messageId.isEmpty());
        EXPECT_FALSE(r.signedFile);
    }

    const Notification ns =
        readNotification(sdiSample("IT01234567890_00001_NS_001.xml"), "x.xml").notification;
    EXPECT_EQ(ns.errors[0].code, "00311");
    EXPECT_TRUE(ns.errors[0].suggestion.startsWith("Verificare il CodiceDestinatario"));
    EXPECT_TRUE(ns.errors[1].description.contains("riga: 47"));
    const Notification ne =
        readNotification(sdiSample("IT01234567890_00005_NE_001.xml"), "x.xml").notification;
    EXPECT_EQ(ne.outcome, "EC02");
    EXPECT_TRUE(ne.description.startsWith("Rifiutata"));
}

// Signed (DER or base64, whatever the name) and zipped notifications give the message inside;
// the bytes kept are the file's own.
TEST(NotificationTest, OpensSignedFilesAndTheAttestationZip) {
    TempFolder folder;
    const QByteArray plain = sdiSample("IT01234567890_00002_RC_001.xml");
    const QByteArray der = signedWithOpenssl(folder.path(), plain);
    for (const auto& [bytes, name] :
         QList<QPair<QByteArray, QString>>{{der, "IT01234567890_00002_RC_001.xml.p7m"},
                                           {der, "IT01234567890_00002_RC_001.XML.P7M"},
                                           {der.toBase64(), "IT01234567890_00002_RC_001.xml.p7m"},
                                           {der, "senza-estensione"}}) {
        SCOPED_TRACE(name.toStdString());
        const ReadNotification r = readNotification(bytes, name);
        ASSERT_TRUE(r.ok) << r.error.toStdString();
        EXPECT_TRUE(r.signedFile);
        EXPECT_EQ(r.notification.sdiId, "5000000002");
        EXPECT_EQ(r.bytes, bytes);
    }

    const QByteArray attestation = sdiSample("IT01234567890_00007_AT_001.xml");
    const QByteArray zip = zipOf(
        {{"IT01234567890_00007.xml", "<FatturaElettronica/>"},
         {"IT01234567890_00007_AT_001.xml.p7m", signedWithOpenssl(folder.path(), attestation)}});
    const ReadNotification at = readNotification(zip, "IT01234567890_00007_AT_001.zip");
    ASSERT_TRUE(at.ok) << at.error.toStdString();
    EXPECT_EQ(at.notification.type, NotificationType::Undeliverable);
    EXPECT_EQ(at.notification.sentFileName, "IT01234567890_00007.xml.p7m");
    EXPECT_EQ(at.bytes, zip);
}

// What cannot be read is refused with a reason, never half read.
TEST(NotificationTest, RefusesWhatIsNotANotification) {
    const QByteArray rc = sdiSample("IT01234567890_00002_RC_001.xml");
    struct Case {
        const char* name;
        QByteArray bytes;
        const char* reason;
    };
    const Case cases[] = {
        {"vuoto.xml", "", "vuoto"},
        {"fattura.xml",
         "<p:FatturaElettronica xmlns:p=\"http://ivaservizi.agenziaentrate.gov.it/docs/xsd/"
         "fatture/v1.2\"/>",
         "FatturaElettronica"},
        {"troncato.xml", rc.left(rc.indexOf("<MessageId>")), "XML leggibile"},
        {"entita.xml", "<?xml version=\"1.0\"?><!DOCTYPE r [<!ENTITY a \"aaaa\">]><r>&a;</r>",
         "DOCTYPE"},
        {"senza-id.xml",
         QByteArray(rc).replace("<IdentificativoSdI>5000000002</IdentificativoSdI>", ""),
         "IdentificativoSdI"},
        {"finto.xml.p7m", rc.left(40).toHex(), "firmat"},
        {"rotto.zip", QByteArray("PK\x03\x04", 4) + "rotto", "zip"},
        {"senza-notifica.zip", zipOf({{"fattura.xml", "<FatturaElettronica/>"}}), "zip"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ReadNotification r = readNotification(c.bytes, c.name);
        EXPECT_FALSE(r.ok);
        EXPECT_TRUE(r.error.contains(c.reason, Qt::CaseInsensitive)) << r.error.toStdString();
    }
}

} // namespace
} // namespace brevalto::receipts
