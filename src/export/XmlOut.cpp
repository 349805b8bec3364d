#include "export/XmlOut.h"

#include "export/ExportError.h"
#include "store/WholeFile.h"

#include <QFileDevice>

#include <algorithm>
#include <cerrno>
#include <type_traits>

namespace brevalto {

namespace {

bool isXmlChar(char32_t c) {
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) ||
           (c >= 0xE000 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0x10FFFF);
}

// The entity a character is written as: the markup characters, and in an attribute tabs and
// line breaks too, so that a reader gives them back as they were. Empty for any other.
QLatin1String entity(QChar c, bool inAttribute) {
    switch (c.unicode()) {
    case '<':
        return QLatin1String("&lt;");
    case '>':
        return QLatin1String("&gt;");
    case '&':
        return QLatin1String("&amp;");
    case '"':
        return QLatin1String("&quot;");
    case '\t':
        return inAttribute ? QLatin1String("&#9;") : QLatin1String();
    case '\n':
        return inAttribute ? QLatin1String("&#10;") : QLatin1String();
    case '\r':
        return inAttribute ? QLatin1String("&#13;") : QLatin1String();
    default:
        return QLatin1String();
    }
}

} // namespace

namespace {
constexpr qsizetype kPiece = 64 * 1024;
}

XmlOut::XmlOut(QIODevice* device) : device_(device) {
    out_.reserve(kPiece + 4096);
}

void XmlOut::writeOut(qsizetype atLeast) {
    if (out_.size() < atLeast || out_.isEmpty())
        return;
    errno = 0;
    if (device_->write(out_) != out_.size()) {
        const auto* file = qobject_cast<const QFileDevice*>(device_);
        // A device standing in front of the file carries its name as its object name.
        throw ExportError::cannotWrite(file ? file->fileName() : device_->objectName(),
                                       failureReason(*device_));
    }
    out_.resize(0); // keeps its capacity for the next piece
}

void XmlOut::startDocument() {
    out_.append("<?xml version=\"1.0\" encoding=\"UTF-8\"?>");
}

void XmlOut::attribute(QAnyStringView name, const QString& value) {
    checkText(name, value);
    out_.append(' ');
    appendName(name);
    out_.append("=\"");
    appendEscaped(value, true);
    out_.append('"');
}

void XmlOut::endDocument() {
    finish();
    out_.append('\n');
    writeOut(0);
}

void XmlOut::newLine(qsizetype depth) {
    writeOut(kPiece);
    if (startTagOpen_) {
        out_.append('>');
        startTagOpen_ = false;
    }
    out_.append('\n');
    out_.append(depth * 2, ' ');
}

void XmlOut::appendName(QAnyStringView name) {
    name.visit([this](auto view) {
        if constexpr (std::is_same_v<decltype(view), QStringView>)
            out_.append(view.toUtf8());
        else
            out_.append(view.data(), view.size());
    });
}

void XmlOut::appendEscaped(const QString& text, bool inAttribute) {
    const auto plain = [inAttribute](QChar c) { return entity(c, inAttribute).isEmpty(); };
    if (std::all_of(text.cbegin(), text.cend(), plain)) {
        out_.append(text.toUtf8());
        return;
    }
    QString escaped;
    escaped.reserve(text.size() + 16);
    for (const QChar c : text) {
        const QLatin1String e = entity(c, inAttribute);
        if (e.isEmpty())
            escaped += c;
        else
            escaped += e;
    }
    out_.append(escaped.toUtf8());
}

void XmlOut::start(QAnyStringView name) {
    newLine(open_.size());
    out_.append('<');
    appendName(name);
    startTagOpen_ = true;
    open_ << name.toString();
}

void XmlOut::end() {
    if (open_.isEmpty())
        return;
    if (startTagOpen_) {
        out_.append("/>");
        startTagOpen_ = false;
    } else {
        newLine(open_.size() - 1);
        out_.append("</");
        appendName(open_.constLast());
        out_.append('>');
    }
    open_.removeLast();
}

void XmlOut::element(QAnyStringView name, const QString& text) {
    checkText(name, text);
    newLine(open_.size());
    out_.append('<');
    appendName(name);
    out_.append('>');
    appendEscaped(text, false);
    out_.append("</");
    appendName(name);
    out_.append('>');
}

void XmlOut::elementInPieces(QAnyStringView name, const std::function<QByteArray()>& next) {
    newLine(open_.size());
    out_.append('<');
    appendName(name);
    out_.append('>');
    for (QByteArray piece = next(); !piece.isEmpty(); piece = next()) {
        out_.append(piece);
        writeOut(kPiece);
    }
    out_.append("</");
    appendName(name);
    out_.append('>');
}

void XmlOut::decimal(QAnyStringView name, const QVariant& value, SchemaDecimal type) {
    QString problem;
    const QString text = SchemaDecimalText(value, type, &problem);
    if (!problem.isEmpty())
        refuse(name, problem);
    element(name, text);
}

void XmlOut::integer(QAnyStringView name, const QVariant& value, qint64 minimum, qint64 maximum) {
    QString problem;
    const QString text = SchemaIntegerText(value, minimum, maximum, &problem);
    if (!problem.isEmpty())
        refuse(name, problem);
    element(name, text);
}

void XmlOut::date(QAnyStringView name, const QVariant& value) {
    QString problem;
    const QString text = SchemaDateText(value, &problem);
    if (!problem.isEmpty())
        refuse(name, problem);
    element(name, text);
}

void XmlOut::dateTime(QAnyStringView name, const QVariant& value) {
    QString problem;
    const QString text = SchemaDateTimeText(value, &problem);
    if (!problem.isEmpty())
        refuse(name, problem);
    element(name, text);
}

void XmlOut::refuse(QAnyStringView name, const QString& problem) const {
    QString where = path();
    where += (where.isEmpty() ? QString() : QStringLiteral("/")) + name.toString();
    QStringList place;
    if (!body_.isEmpty())
        place << body_;
    if (!row_.isEmpty())
        place << row_;
    throw ExportError::abort(
        QStringLiteral("Impossibile esportare %1%2: %3. Correggerlo prima di esportare.")
            .arg(where,
                 place.isEmpty()
                     ? QString()
                     : QStringLiteral(" (") + place.join(QLatin1String(", ")) + QLatin1Char(')'),
                 problem));
}

void XmlOut::finish() {
    while (!open_.isEmpty())
        end();
}

void XmlOut::checkText(QAnyStringView name, const QString& text) const {
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        if (c.unicode() >= 0x20 && c.unicode() < 0xD800)
            continue; // the common case
        char32_t code = c.unicode();
        if (c.isHighSurrogate() && i + 1 < n && text.at(i + 1).isLowSurrogate()) {
            code = QChar::surrogateToUcs4(c, text.at(i + 1));
            ++i;
        }
        if (!isXmlChar(code)) {
            QString where = path();
            where += (where.isEmpty() ? QString() : QStringLiteral("/")) + name.toString();
            throw ExportError::abort(
                QStringLiteral("Il valore di %1 contiene un carattere non ammesso in un file XML "
                               "(codice U+%2): \"%3\". Correggerlo prima di esportare.")
                    .arg(where)
                    .arg(QString::number(uint(code), 16)
                             .toUpper()
                             .rightJustified(4, QLatin1Char('0')))
                    .arg(text.left(80)));
        }
    }
}

} // namespace brevalto
