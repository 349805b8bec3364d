#include "export/XmlOut.h"

#include "export/ExportError.h"

namespace brevalto {

namespace {

bool isXmlChar(char32_t c) {
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) ||
           (c >= 0xE000 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0x10FFFF);
}

} // namespace

XmlOut::XmlOut(QByteArray* buffer) : writer_(buffer) {
    writer_.setAutoFormatting(true);
    writer_.setAutoFormattingIndent(2);
}

void XmlOut::start(const QString& name) {
    writer_.writeStartElement(name);
    open_ << name;
}

void XmlOut::end() {
    writer_.writeEndElement();
    open_.removeLast();
}

void XmlOut::element(const QString& name, const QString& text) {
    checkText(name, text);
    writer_.writeTextElement(name, text);
}

void XmlOut::decimal(const QString& name, const QVariant& value, SchemaDecimal type) {
    QString problem;
    const QString text = SchemaDecimalText(value, type, &problem);
    if (!problem.isEmpty())
        refuse(name, problem);
    element(name, text);
}

void XmlOut::integer(const QString& name, const QVariant& value, qint64 minimum, qint64 maximum) {
    QString problem;
    const QString text = SchemaIntegerText(value, minimum, maximum, &problem);
    if (!problem.isEmpty())
        refuse(name, problem);
    element(name, text);
}

void XmlOut::date(const QString& name, const QVariant& value) {
    QString problem;
    const QString text = SchemaDateText(value, &problem);
    if (!problem.isEmpty())
        refuse(name, problem);
    element(name, text);
}

void XmlOut::dateTime(const QString& name, const QVariant& value) {
    QString problem;
    const QString text = SchemaDateTimeText(value, &problem);
    if (!problem.isEmpty())
        refuse(name, problem);
    element(name, text);
}

void XmlOut::refuse(const QString& name, const QString& problem) const {
    QString where = path();
    where += (where.isEmpty() ? QString() : QStringLiteral("/")) + name;
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

void XmlOut::checkText(const QString& name, const QString& text) const {
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
            where += (where.isEmpty() ? QString() : QStringLiteral("/")) + name;
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
