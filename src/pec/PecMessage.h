#pragma once
// What a message found in a certified-mail box is: one of the provider's receipts about a
// message we sent, an envelope of the exchange system (SdI) carrying its notification files, or
// something else. The provider's receipts name our message by X-Riferimento-Message-ID (the
// Message-ID we gave it); the exchange system's envelopes carry the original message as the
// attachment postacert.eml, whose attachments are the notification files.
#include "pec/Mime.h"

#include <QByteArray>
#include <QList>
#include <QString>

namespace brevalto::pec {

enum class ReceiptKind {
    Accepted,     // accettazione: the provider took the message
    NotAccepted,  // non-accettazione: the provider refused it
    Delivered,    // avvenuta-consegna: in the recipient's box (the exchange system's, not the
                  // customer's)
    NotDelivered, // errore-consegna: could not be delivered (also after 24 hours)
    Warning,      // preavviso-errore-consegna: not delivered after 12 hours, still trying
    Other,        // presa-in-carico, rilevazione-virus and any other
};

// "Accettazione", "Consegna", ... in Italian, for the Document's history.
QString receiptText(ReceiptKind kind);

struct NotificationFile {
    QString name;
    QByteArray bytes;
};

struct PecMessage {
    enum class Kind {
        Receipt,         // the provider's receipt about a message we sent
        Notification,    // the exchange system's envelope with notification files
        IncomingInvoice, // the exchange system delivering an invoice to us (metadata + invoice)
        Other,           // any other message: left for a person
        Unreadable,      // not a mail message at all
    };
    Kind kind = Kind::Unreadable;
    QString messageId; // this message's Message-ID, normalised
    QString subject;
    QString from;
    // Receipt: what it says and the Message-ID of the message it is about.
    ReceiptKind receipt = ReceiptKind::Other;
    QString receiptValue; // X-Ricevuta as written
    QString referencedId;
    QString referencedSubject; // the subject of our message, from the receipt's subject
    // Notification: the files of the inner message and the exchange system's box that sent it.
    QList<NotificationFile> files;
    QString sdiAddress; // "sdi48@pec.fatturapa.it"
    // The box the exchange system asks to write to from now on, when its text names one.
    QString nextSdiAddress;
    QString why; // Other/Unreadable: why it is not used, in Italian
};

PecMessage readPecMessage(const QByteArray& raw);

// True for an address of the exchange system's certified-mail boxes.
bool isSdiAddress(const QString& address);

} // namespace brevalto::pec
