#pragma once
// What happens to a Document after its export: the files written for it, the exchange system's
// notifications about them, and the state and deadline that follow from those. The state is never
// stored: it is read from the history each time, so that it cannot be typed over.
//
// A notification links to a Document by the name of the file it is about (as written, then with
// or without ".p7m", in any letter case); a later message that names no known file links through
// the exchange system's identifier of an earlier one. One that links to nothing is kept all the
// same and linked when its Document's file turns up. The same message loaded twice is recorded
// once.
#include "receipts/Notification.h"

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QHash>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

namespace brevalto {
class Connection;
}

namespace brevalto::receipts {

enum class State {
    ToSend,                  // Da inviare
    Sent,                    // Inviata
    Rejected,                // Scartata
    Delivered,               // Consegnata
    NotDelivered,            // Non consegnata (an administration: the system still tries)
    InReservedArea,          // Non consegnata (in area riservata): issued, not to be sent again
    Accepted,                // Accettata
    Refused,                 // Rifiutata
    TermsExpired,            // Decorrenza termini
    TransmittedNotDelivered, // Trasmessa ma non recapitabile
};

QString stateText(State state);

// Days for re-issuing a rejected file, from the rejection; days an administration has to accept
// or refuse a delivered invoice.
constexpr int kReissueDays = 5;
constexpr int kAdministrationDays = 15;

struct DocumentStatus {
    int headerId = 0;
    int number = 0;
    bool publicAdministration = false;
    QString fileName;  // the file last written for the Document; empty when never exported
    QString channel;   // how that file was sent ("PEC", ...), empty when only written
    QString messageId; // the id of the message that carried it, when known
    State state = State::ToSend;
    QDateTime date;    // of the notification the state comes from (of the export for Inviata)
    QStringList codes; // a rejection's error codes
    QDate deadline;    // when a term runs: re-issue after a rejection, the administration's answer
    int daysLeft(const QDate& today) const {
        return deadline.isValid() ? int(today.daysTo(deadline)) : 0;
    }
    // True when the Document may get a new file: never sent, or rejected.
    bool canReissue() const { return state == State::Rejected; }
    // True when the invoice counts as issued (delivered, in the reserved area, answered by the
    // administration, expired, attested): a credit note, not a new file, corrects it.
    bool issued() const {
        return state != State::ToSend && state != State::Sent && state != State::Rejected &&
               state != State::NotDelivered;
    }
    // Why the Document must not be sent again, in Italian; empty when it may.
    QString whyNotResend() const;
};

// The state as a register shows it: with the days left where a term runs ("Scartata: reinviare
// entro 3 giorni", "Consegnata: esito entro 12 giorni") or that it has passed.
QString stateWithDeadline(const DocumentStatus& status, const QDate& today);

// The groups a register filters the Documents by.
enum class StateGroup {
    All,          // Tutte
    ToSend,       // Da inviare
    Awaiting,     // In attesa di esito: sent without answer, an administration still to answer
    Rejected,     // Scartate: to correct and send again
    Done,         // Consegnate o accettate: delivered, accepted, terms expired
    NotDelivered, // Non recapitate: in the reserved area, or attested (the user tells or sends)
    Refused,      // Rifiutate dall'amministrazione
};
// The groups in the order a list offers them, with their names.
QList<QPair<StateGroup, QString>> stateGroups();
bool inGroup(const DocumentStatus& status, StateGroup group);

struct HistoryError {
    QString code;
    QString description;
    QString suggestion;
};

struct HistoryEntry {
    int id = 0;
    QString type; // "RC", "NS", ...
    QString notificationFile;
    QString sentFile;
    QString sdiId;
    QString messageId;
    QString outcome;
    QDateTime date;
    QDateTime loaded;
    QString description;
    QString note;
    QList<HistoryError> errors;
    // One or two sentences in Italian saying what the message means for the Document.
    QString text() const;
};

struct LoadedFile {
    enum class Result { Linked, AlreadyKnown, NotLinked, Unreadable };
    QString path;
    Result result = Result::Unreadable;
    QString why;      // for an unreadable or unlinked file
    int headerId = 0; // the Document linked to, 0 when none
    int number = 0;
    QString state; // the Document's state after loading
    // "collegata", "già nota", "non collegata", "illeggibile".
    QString resultText() const;
};

// The notification files among paths: files as given, folders searched with their subfolders for
// names ending ".xml", ".p7m" or ".zip" (any letter case), in name order.
QStringList notificationFiles(const QStringList& paths);

// Loads one notification from its bytes and its file's name (the name tells a zip or a signed
// file and is listed as the notification's file), as loadNotifications does for a file on disk:
// for messages that arrive by mail. Never throws: an archive error comes back as an unreadable
// result with its reason.
LoadedFile loadNotification(Connection& connection, const QByteArray& bytes,
                            const QString& fileName,
                            const QDateTime& now = QDateTime::currentDateTime());

// Records that the Document's file fileName (a path or a name; the name is kept) was sent on
// when, through channel ("PEC", ...) in the message messageId: the Document is Inviata until a
// notification about that file arrives. The record of a file already written is completed, a
// file not yet recorded is added. Throws DbError.
void recordSending(Connection& connection, int headerId, const QString& fileName,
                   const QDateTime& when, const QString& channel, const QString& messageId);

// Loads each file in its own transaction: a file that cannot be read or stored is reported and
// the others go on. DbError is thrown only when the archive cannot be read at all.
QList<LoadedFile> loadNotifications(Connection& connection, const QStringList& paths,
                                    const QDateTime& now = QDateTime::currentDateTime());

DocumentStatus documentStatus(Connection& connection, int headerId);
// Every Document's, by Numero: read in a few queries whatever the number of Documents.
QList<DocumentStatus> documentStatuses(Connection& connection);
// The same by the Document's key, for a register that shows each row's state.
QHash<int, DocumentStatus> documentStatusMap(Connection& connection);
// Oldest first.
QList<HistoryEntry> documentHistory(Connection& connection, int headerId);
// Notifications that link to no Document, oldest first.
QList<HistoryEntry> unlinkedNotifications(Connection& connection);

// The name the export gives the Document's file: the transmitter's country and tax code and the
// transmission progressive, "IT01234567890_00001.xml".
QString derivedFileName(Connection& connection, int headerId);

} // namespace brevalto::receipts
