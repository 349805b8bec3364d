#pragma once
// The certified-mail channel's two questions to the notification reading and the Document
// states: what the exchange system's files in an envelope link to, and what the state of a
// Document says about sending its file again.
#include "pec/PecMessage.h"

#include <QDateTime>
#include <QList>
#include <QString>

namespace brevalto {
class Connection;
}

namespace brevalto::channel {

struct FileIntake {
    QString name;
    bool usable = false; // recorded, already known or kept as not linked
    QString text;        // "collegata al Documento 12 (Consegnata)", or why unreadable
};

// Loads the notification files of an envelope into the archive.
QList<FileIntake> takeNotifications(Connection& connection,
                                    const QList<pec::NotificationFile>& files);

// Records that the Document's file left in the message messageId (its state becomes Inviata).
void recordFileSent(Connection& connection, int headerId, const QString& path,
                    const QDateTime& when, const QString& messageId);

// What the Document's state says about sending fileName: *blocked when it must not leave at all
// (its name was rejected and cannot be used again), *question when it was delivered or is still
// in the system's hands. Both empty when it may leave.
void stateBeforeSending(Connection& connection, int headerId, const QString& fileName,
                        QString* blocked, QString* question);

// The Document's state in Italian ("Inviata", "Consegnata", ...).
QString documentStateText(Connection& connection, int headerId);

} // namespace brevalto::channel
