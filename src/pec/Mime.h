#pragma once
// Enough of Internet mail (RFC 5322 headers, MIME parts) to read certified-mail receipts and
// envelopes: headers unfolded, multipart bodies split on their boundary, base64 and
// quoted-printable bodies decoded, message/rfc822 parts read as messages of their own. Nothing is
// trusted: a missing boundary, a broken encoding or a part without headers gives what can be
// read, never a crash; the depth of nested parts is bounded.
#include <QByteArray>
#include <QList>
#include <QString>

namespace brevalto::pec {

struct MimePart {
    QList<QPair<QByteArray, QByteArray>> headers; // names as written, values unfolded
    QByteArray body;                              // decoded (base64 or quoted-printable undone)
    QList<MimePart> parts;                        // of a multipart
    QList<MimePart> message;                      // a message/rfc822 part: the message, one item

    // The first header of that name (any case), trimmed; empty when absent.
    QByteArray header(const QByteArray& name) const;
    // The media type in lower case ("multipart/mixed"); "text/plain" when none is given.
    QByteArray contentType() const;
    // A parameter of Content-Type or Content-Disposition ("boundary", "filename", "name").
    QByteArray parameter(const QByteArray& header, const QByteArray& name) const;
    // The file name of an attachment (Content-Disposition's filename, else Content-Type's name),
    // decoded from encoded words; empty when none.
    QString fileName() const;
    // The header's text with encoded words (=?utf-8?B?...?=) decoded.
    QString text(const QByteArray& name) const;
    // Every part below this one, depth first, this one excluded; message/rfc822 parts are not
    // entered.
    QList<const MimePart*> leaves() const;
};

// Reads a message or part. A text with no header block reads as a part with no headers.
MimePart parseMime(const QByteArray& raw);

// "<id@host>" as it stands in Message-ID or X-Riferimento-Message-ID, the angle brackets and
// spaces removed, so that ids read from different places compare equal.
QString normalizedMessageId(const QByteArray& value);

QByteArray decodeQuotedPrintable(const QByteArray& text);
// RFC 2047 encoded words in a header value.
QString decodeEncodedWords(const QByteArray& value);

} // namespace brevalto::pec
