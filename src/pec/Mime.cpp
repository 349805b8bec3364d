#include "pec/Mime.h"

#include <QRegularExpression>
#include <QStringDecoder>
#include <QUrl>

namespace brevalto::pec {

namespace {

constexpr int kMaxDepth = 16;

bool isHeaderLine(const QByteArray& line) {
    const int colon = line.indexOf(':');
    if (colon <= 0)
        return false;
    for (int i = 0; i < colon; ++i) {
        const char c = line[i];
        if (c <= 32 || c >= 127)
            return false;
    }
    return true;
}

QByteArray stripCr(QByteArray line) {
    if (line.endsWith('\r'))
        line.chop(1);
    return line;
}

// The parameters of a structured header value, split on semicolons outside quotes.
QList<QByteArray> splitParameters(const QByteArray& value) {
    QList<QByteArray> out;
    QByteArray current;
    bool quoted = false;
    for (int i = 0; i < value.size(); ++i) {
        const char c = value[i];
        if (c == '"')
            quoted = !quoted;
        if (c == ';' && !quoted) {
            out << current.trimmed();
            current.clear();
        } else {
            current += c;
        }
    }
    out << current.trimmed();
    return out;
}

QByteArray unquote(QByteArray v) {
    v = v.trimmed();
    if (v.size() >= 2 && v.startsWith('"') && v.endsWith('"'))
        v = v.mid(1, v.size() - 2);
    return v;
}

QString decodeCharset(const QByteArray& bytes, const QByteArray& charset) {
    QStringDecoder decoder(charset.constData());
    if (!decoder.isValid())
        return QString::fromLatin1(bytes);
    return decoder.decode(bytes);
}

MimePart parseAt(const QByteArray& raw, int depth);

QList<MimePart> splitMultipart(const QByteArray& body, const QByteArray& boundary, int depth) {
    QList<MimePart> parts;
    if (boundary.isEmpty())
        return parts;
    const QByteArray delimiter = "--" + boundary;
    qsizetype partStart = -1;
    qsizetype pos = 0;
    while (pos <= body.size()) {
        qsizetype end = body.indexOf('\n', pos);
        if (end < 0)
            end = body.size();
        const QByteArray line = stripCr(body.mid(pos, end - pos));
        if (line.startsWith(delimiter)) {
            const QByteArray rest = line.mid(delimiter.size()).trimmed();
            if (rest.isEmpty() || rest == "--") {
                if (partStart >= 0) {
                    // The newline before the delimiter belongs to the delimiter.
                    qsizetype partEnd = pos;
                    if (partEnd > partStart && body[partEnd - 1] == '\n')
                        --partEnd;
                    if (partEnd > partStart && body[partEnd - 1] == '\r')
                        --partEnd;
                    parts << parseAt(body.mid(partStart, partEnd - partStart), depth + 1);
                }
                if (rest == "--")
                    return parts;
                partStart = end + 1;
            }
        }
        pos = end + 1;
    }
    // No closing delimiter: the last part runs to the end.
    if (partStart >= 0 && partStart < body.size())
        parts << parseAt(body.mid(partStart), depth + 1);
    return parts;
}

MimePart parseAt(const QByteArray& raw, int depth) {
    MimePart part;
    qsizetype pos = 0;
    bool headers = true;
    while (pos < raw.size()) {
        qsizetype end = raw.indexOf('\n', pos);
        if (end < 0)
            end = raw.size();
        const QByteArray line = stripCr(raw.mid(pos, end - pos));
        if (line.isEmpty()) {
            pos = end + 1;
            break;
        }
        if ((line[0] == ' ' || line[0] == '\t') && !part.headers.isEmpty()) {
            part.headers.last().second += ' ' + line.trimmed();
        } else if (isHeaderLine(line)) {
            const int colon = line.indexOf(':');
            part.headers.append({line.left(colon), line.mid(colon + 1).trimmed()});
        } else {
            headers = false;
            break;
        }
        pos = end + 1;
    }
    if (!headers || part.headers.isEmpty()) {
        part.headers.clear();
        pos = 0;
    }
    QByteArray body = raw.mid(qMin(pos, raw.size()));
    const QByteArray encoding = part.header("Content-Transfer-Encoding").toLower();
    if (encoding == "base64")
        body = QByteArray::fromBase64(body);
    else if (encoding == "quoted-printable")
        body = decodeQuotedPrintable(body);
    const QByteArray type = part.contentType();
    if (depth < kMaxDepth && type.startsWith("multipart/"))
        part.parts = splitMultipart(body, part.parameter("Content-Type", "boundary"), depth);
    else if (depth < kMaxDepth && type == "message/rfc822")
        part.message << parseAt(body, depth + 1);
    part.body = body;
    return part;
}

} // namespace

QByteArray MimePart::header(const QByteArray& name) const {
    for (const auto& [key, value] : headers)
        if (key.compare(name, Qt::CaseInsensitive) == 0)
            return value.trimmed();
    return {};
}

QByteArray MimePart::contentType() const {
    const QByteArray value = header("Content-Type");
    if (value.isEmpty())
        return "text/plain";
    return splitParameters(value).value(0).trimmed().toLower();
}

QByteArray MimePart::parameter(const QByteArray& headerName, const QByteArray& name) const {
    const QList<QByteArray> params = splitParameters(header(headerName));
    for (int i = 1; i < params.size(); ++i) {
        const int eq = params[i].indexOf('=');
        if (eq <= 0)
            continue;
        const QByteArray key = params[i].left(eq).trimmed().toLower();
        const QByteArray value = params[i].mid(eq + 1);
        if (key == name.toLower())
            return unquote(value);
        // RFC 2231: name*=charset''percent-encoded
        if (key == name.toLower() + "*") {
            const QByteArray v = unquote(value);
            const int q = v.indexOf("''");
            const QByteArray charset = q >= 0 ? v.left(q) : QByteArray("us-ascii");
            return decodeCharset(QByteArray::fromPercentEncoding(q >= 0 ? v.mid(q + 2) : v),
                                 charset.isEmpty() ? QByteArray("us-ascii") : charset)
                .toUtf8();
        }
    }
    return {};
}

QString MimePart::fileName() const {
    QByteArray name = parameter("Content-Disposition", "filename");
    if (name.isEmpty())
        name = parameter("Content-Type", "name");
    return decodeEncodedWords(name).trimmed();
}

QString MimePart::text(const QByteArray& name) const {
    return decodeEncodedWords(header(name));
}

QList<const MimePart*> MimePart::leaves() const {
    QList<const MimePart*> out;
    for (const MimePart& p : parts) {
        out << &p;
        out << p.leaves();
    }
    return out;
}

MimePart parseMime(const QByteArray& raw) {
    return parseAt(raw, 0);
}

QString normalizedMessageId(const QByteArray& value) {
    QByteArray v = value.trimmed();
    const int open = v.indexOf('<');
    const int close = v.indexOf('>', open + 1);
    if (open >= 0 && close > open)
        v = v.mid(open + 1, close - open - 1);
    return QString::fromLatin1(v.trimmed());
}

QByteArray decodeQuotedPrintable(const QByteArray& text) {
    QByteArray out;
    out.reserve(text.size());
    auto hex = [](char c) -> int {
        if (c >= '0' && c <= '9')
            return c - '0';
        if (c >= 'A' && c <= 'F')
            return c - 'A' + 10;
        if (c >= 'a' && c <= 'f')
            return c - 'a' + 10;
        return -1;
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c != '=') {
            out += c;
            continue;
        }
        if (i + 1 < text.size() && text[i + 1] == '\n') { // soft line break
            i += 1;
        } else if (i + 2 < text.size() && text[i + 1] == '\r' && text[i + 2] == '\n') {
            i += 2;
        } else if (i + 2 < text.size() && hex(text[i + 1]) >= 0 && hex(text[i + 2]) >= 0) {
            out += char(hex(text[i + 1]) * 16 + hex(text[i + 2]));
            i += 2;
        } else {
            out += c;
        }
    }
    return out;
}

QString decodeEncodedWords(const QByteArray& value) {
    static const QRegularExpression word(QStringLiteral(R"(=\?([^?]+)\?([bBqQ])\?([^?]*)\?=)"));
    // Raw 8-bit text is read as UTF-8 when it is, else as Latin-1.
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8.decode(value);
    if (utf8.hasError())
        text = QString::fromLatin1(value);
    QString out;
    qsizetype last = 0;
    bool previousWasWord = false;
    auto it = word.globalMatch(text);
    while (it.hasNext()) {
        const auto m = it.next();
        const QString between = text.mid(last, m.capturedStart() - last);
        // Whitespace between two encoded words is not part of the text.
        if (!(previousWasWord && between.trimmed().isEmpty()))
            out += between;
        const QByteArray charset = m.captured(1).toLatin1().split('*').value(0);
        QByteArray bytes = m.captured(3).toLatin1();
        if (m.captured(2).compare(QLatin1String("b"), Qt::CaseInsensitive) == 0)
            bytes = QByteArray::fromBase64(bytes);
        else
            bytes = decodeQuotedPrintable(bytes.replace('_', ' '));
        out += decodeCharset(bytes, charset);
        last = m.capturedEnd();
        previousWasWord = true;
    }
    out += text.mid(last);
    return out;
}

} // namespace brevalto::pec
