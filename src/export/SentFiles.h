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

} // namespace brevalto
