#pragma once
// The files written for each Document, by name: the exchange system's notifications name the file
// they are about, and a Document re-issued after a rejection has more than one.
#include <QDateTime>
#include <QString>

namespace brevalto {

class Connection;

// Records that the file at path (its name is kept) was written for the Document, once per name.
// Throws DbError.
void recordSentFile(Connection& connection, int headerId, const QString& path,
                    const QDateTime& when = QDateTime::currentDateTime());

// Why the Document must not be exported again, in Italian, or an empty text: its invoice counts
// as issued (delivered, in the customer's reserved area, answered by the administration or
// attested) or the exchange system is still trying to deliver it. Read from the latest of the
// exchange system's messages about it; a rejection leaves it free. Throws DbError.
QString alreadyIssuedMessage(Connection& connection, int headerId);

} // namespace brevalto
