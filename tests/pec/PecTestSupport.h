#pragma once
// The mail account of the throwaway servers of scripts/mail-server, and messages shaped as a
// certified-mail provider and the exchange system write them.
#include "pec/MailClient.h"

#include <QByteArray>
#include <QString>

namespace brevalto::test {

// The account of the test mailbox; fails the current test, saying why, when the servers are not
// running (scripts/mail-server run ... sets their variables).
bool mailServerAccount(pec::MailAccount* account);

QByteArray pecSample(const QString& name);

// An envelope of the exchange system carrying one notification file, as the provider delivers
// it: X-Trasporto, "Per conto di" sender, the original message as postacert.eml.
QByteArray sdiEnvelope(const QString& messageId, const QString& innerSubject,
                       const QString& fileName, const QByteArray& file,
                       const QString& sdiBox = QStringLiteral("sdi07@pec.fatturapa.it"));

// A provider's receipt about one of our messages (X-Ricevuta as given).
QByteArray providerReceipt(const QString& messageId, const QString& kind,
                           const QString& referencedId, const QString& subject);

} // namespace brevalto::test
