#pragma once
// The messages the exchange system (SdI) sends back about a file it received: delivery receipt,
// rejection, undeliverable notice, the public administration's outcome, the expiry of its terms
// and the attestation of an undeliverable file. A message comes as plain XML (".xml", ".XML"),
// signed (".xml.p7m") or, for the attestation, as a zip holding the invoice and the signed
// attestation. Both namespaces the system has used are read, with either name of the roots that
// were renamed, and every element but the system's identifier is optional: real files leave
// some empty or out. The message is also checked against its schema; a complaint is kept for the
// user and never stops the reading.
#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>

namespace brevalto::receipts {

enum class NotificationType {
    Delivered,       // RC: RicevutaConsegna
    Rejected,        // NS: NotificaScarto / RicevutaScarto
    NotDelivered,    // MC: NotificaMancataConsegna / RicevutaImpossibilitaRecapito
    Outcome,         // NE: NotificaEsito (the administration's EC01 or EC02)
    TermsExpired,    // DT: NotificaDecorrenzaTermini
    Undeliverable,   // AT: AttestazioneTrasmissioneFattura
    Metadata,        // MT: MetadatiInvioFile / FileMetadati (sent to recipients)
    CustomerOutcome, // EC: NotificaEsitoCommittente (sent by an administration)
    OutcomeRejected, // SE: ScartoEsitoCommittente (sent to an administration)
};

// "RC", "NS", ...: the two letters the system puts in the notification's file name.
QString typeCode(NotificationType type);
// The type of a two-letter code (any case); false when unknown.
bool typeFromCode(const QString& code, NotificationType* type);
// "Ricevuta di consegna", "Notifica di scarto", ... in Italian.
QString typeTitle(NotificationType type);

struct NotificationError {
    QString code;        // "00311"
    QString description; // as the system wrote it
    QString suggestion;  // empty in the older namespace
};

struct Notification {
    NotificationType type = NotificationType::Delivered;
    bool olderNamespace = false; // http://www.fatturapa.gov.it/sdi/messaggi/v1.0
    QString sdiId;               // IdentificativoSdI
    QString sentFileName;        // NomeFile: the file as it was sent (empty for EC and SE)
    QString messageId;           // MessageId of this message
    // The date the message is about: delivery for RC, availability for MC (else receipt), receipt
    // by the system for NS and AT. Invalid for NE and DT, which carry none.
    QDateTime date;
    QString outcome;     // NE and EC: EC01 accepted, EC02 refused; SE: EN00 or EN01
    QString description; // Descrizione of MC, DT, NE and EC
    QString note;        // Note
    QList<NotificationError> errors;
    // The first complaint of the schema (in English, as libxml2 words it), empty when valid.
    QString schemaComplaint;
};

struct ReadNotification {
    bool ok = false;
    QString error; // why the file could not be read, in Italian
    Notification notification;
    QByteArray bytes; // the whole file as it was read (the zip for an attestation)
    bool signedFile = false;
};

// Reads the bytes of a notification file; name (the file's name) tells a zip or a signed file,
// though the bytes decide too.
ReadNotification readNotification(const QByteArray& bytes, const QString& name);
ReadNotification readNotificationFile(const QString& path);

// Date-times as the system writes them: with or without zone and milliseconds, or a date alone.
QDateTime parseSdiDate(const QString& text);

} // namespace brevalto::receipts
