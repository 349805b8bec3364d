#include "PecTestSupport.h"

#include <QFile>
#include <gtest/gtest.h>

namespace brevalto::test {

bool mailServerAccount(pec::MailAccount* account) {
    const QString host = qEnvironmentVariable("BREVALTO_TEST_MAIL_HOST");
    if (host.isEmpty()) {
        ADD_FAILURE() << "BREVALTO_TEST_MAIL_HOST non impostata: nessun server di posta per i test "
                         "(scripts/test li avvia con scripts/mail-server)";
        return false;
    }
    account->address = qEnvironmentVariable("BREVALTO_TEST_MAIL_USER");
    account->user = account->address;
    account->password = qEnvironmentVariable("BREVALTO_TEST_MAIL_PASSWORD");
    account->smtp = {host, qEnvironmentVariable("BREVALTO_TEST_SMTPS_PORT").toInt(),
                     pec::MailServer::Security::Tls};
    account->imap = {host, qEnvironmentVariable("BREVALTO_TEST_IMAPS_PORT").toInt(),
                     pec::MailServer::Security::Tls};
    account->caFile = qEnvironmentVariable("BREVALTO_TEST_MAIL_CA");
    account->timeoutSeconds = 10;
    return true;
}

QByteArray pecSample(const QString& name) {
    QFile f(QStringLiteral(BREVALTO_SOURCE_DIR "/tests/pec/samples/") + name);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << name.toStdString();
    return f.readAll();
}

QByteArray sdiEnvelope(const QString& messageId, const QString& innerSubject,
                       const QString& fileName, const QByteArray& file, const QString& sdiBox) {
    const QByteArray box = sdiBox.toLatin1();
    QByteArray inner = "From: " + box +
                       "\r\nTo: pec@brevalto.test\r\nSubject: " + innerSubject.toLatin1() +
                       "\r\nMIME-Version: 1.0\r\nMessage-ID: <" + messageId.toLatin1() +
                       ">\r\nContent-Type: multipart/mixed; boundary=\"inner\"\r\n\r\n"
                       "--inner\r\nContent-Type: application/octet-stream; name=" +
                       fileName.toLatin1() +
                       "\r\nContent-Transfer-Encoding: base64\r\nContent-Disposition: attachment; "
                       "filename=" +
                       fileName.toLatin1() + "\r\n\r\n" + file.toBase64() +
                       "\r\n--inner\r\nContent-Type: text/plain\r\n\r\nIl file e' stato "
                       "elaborato.\r\n--inner--\r\n";
    return "Subject: POSTA CERTIFICATA: " + innerSubject.toLatin1() + "\r\nReply-To: " + box +
           "\r\nTo: pec@brevalto.test\r\nX-Trasporto: posta-certificata\r\n"
           "From: \"Per conto di: " +
           box +
           "\" <posta-certificata@pcert.example>\r\n"
           "MIME-Version: 1.0\r\nMessage-ID: <" +
           messageId.toLatin1() +
           ">\r\nContent-Type: multipart/signed; protocol=\"application/x-pkcs7-signature\"; "
           "boundary=\"signed\"\r\n\r\n--signed\r\nContent-Type: multipart/mixed; "
           "boundary=\"mixed\"\r\n\r\n--mixed\r\nContent-Type: text/plain\r\n\r\nMessaggio di "
           "posta "
           "certificata\r\n--mixed\r\nContent-Type: message/rfc822; name=\"postacert.eml\"\r\n"
           "Content-Disposition: inline; filename=\"postacert.eml\"\r\n\r\n" +
           inner +
           "\r\n--mixed--\r\n\r\n--signed\r\nContent-Type: application/x-pkcs7-signature; "
           "name=\"smime.p7s\"\r\n\r\nAAAA\r\n--signed--\r\n";
}

QByteArray providerReceipt(const QString& messageId, const QString& kind,
                           const QString& referencedId, const QString& subject) {
    return "From: posta-certificata@pec.example\r\nTo: pec@brevalto.test\r\nSubject: " +
           subject.toLatin1() + "\r\nX-Ricevuta: " + kind.toLatin1() +
           "\r\nX-Riferimento-Message-ID: <" + referencedId.toLatin1() + ">\r\nMessage-ID: <" +
           messageId.toLatin1() +
           ">\r\nMIME-Version: 1.0\r\nContent-Type: text/plain\r\n\r\nAvviso del gestore.\r\n";
}

} // namespace brevalto::test
