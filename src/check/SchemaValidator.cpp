#include "check/SchemaValidator.h"

#include "check/XmlTree.h"

#include <QFile>
#include <QRegularExpression>
#include <cstring>
#include <libxml/parserInternals.h>
#include <libxml/xmlschemas.h>
#include <mutex>

namespace brevalto::check {

namespace {

QByteArray resource(const char* path) {
    QFile file(QString::fromLatin1(path));
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

const QByteArray& signatureSchema() {
    static const QByteArray bytes = resource(":/data/schema/xmldsig-core-schema.xsd");
    return bytes;
}

// Schemas import the signature schema, by a relative name or by the W3C address: it is answered
// from the compiled-in copy, and every other outside resource is refused.
xmlParserInputPtr localOnlyLoader(const char* url, const char*, xmlParserCtxtPtr context) {
    static const char kEnding[] = "xmldsig-core-schema.xsd";
    const size_t length = url ? std::strlen(url) : 0;
    if (length >= sizeof kEnding - 1 &&
        std::strcmp(url + length - (sizeof kEnding - 1), kEnding) == 0 &&
        !signatureSchema().isEmpty()) {
        xmlParserInputPtr input = xmlNewStringInputStream(
            context, reinterpret_cast<const xmlChar*>(signatureSchema().constData()));
        if (input)
            input->filename =
                reinterpret_cast<char*>(xmlStrdup(reinterpret_cast<const xmlChar*>(url)));
        return input;
    }
    return nullptr;
}

void ignoreErrors(void*, xmlErrorPtr) {}

} // namespace

xmlSchemaPtr compileBundledSchema(const char* resourcePath) {
    const QByteArray main = resource(resourcePath);
    if (main.isEmpty())
        return nullptr;
    const xmlExternalEntityLoader previous = xmlGetExternalEntityLoader();
    xmlSetExternalEntityLoader(localOnlyLoader);
    xmlSchemaParserCtxtPtr parser = xmlSchemaNewMemParserCtxt(main.constData(), int(main.size()));
    xmlSchemaSetParserStructuredErrors(parser, ignoreErrors, nullptr);
    xmlSchemaPtr schema = xmlSchemaParse(parser);
    xmlSchemaFreeParserCtxt(parser);
    xmlSetExternalEntityLoader(previous);
    return schema;
}

xmlSchemaPtr officialSchema() {
    static xmlSchemaPtr schema = nullptr;
    static std::once_flag once;
    std::call_once(once,
                   [] { schema = compileBundledSchema(":/data/schema/Schema_VFPR12_v1.2.3.xsd"); });
    return schema;
}

Finding schemaFinding(int line, const QString& libxmlMessage) {
    Finding f;
    f.code = QStringLiteral("00200");
    f.line = line;
    const QString sentence = schemaMessageInItalian(libxmlMessage.trimmed());
    f.message = f.line > 0 ? QStringLiteral("Riga %1: %2").arg(f.line).arg(sentence)
                           : sentence.left(1).toUpper() + sentence.mid(1);
    return f;
}

Finding tooManySchemaErrors(int count) {
    return Finding{QStringLiteral("00201"),
                   QString(),
                   QStringLiteral("Gli errori di formato sono %1, più dei %2 oltre i quali "
                                  "il Sistema di Interscambio non prosegue i controlli.")
                       .arg(count)
                       .arg(kMaxSchemaErrors),
                   0,
                   {},
                   {}};
}

Finding schemaMissing() {
    return Finding{QStringLiteral("00200"),
                   QString(),
                   QStringLiteral("Lo schema ufficiale non è disponibile nel programma: "
                                  "impossibile verificare il formato."),
                   0,
                   {},
                   {}};
}

namespace {

QString expectedList(const QString& raw) {
    // "( A, B )" or "one of ( A, B, ##other{...}* )": keep the names.
    QStringList names;
    static const QRegularExpression item(QStringLiteral("([A-Za-z_][\\w.:]*)"));
    const qsizetype from = raw.indexOf(QLatin1String("Expected is"));
    if (from < 0)
        return QString();
    const qsizetype open = raw.indexOf(u'(', from);
    const qsizetype close = raw.lastIndexOf(u')');
    if (open < 0 || close < open)
        return QString();
    const QString inner = raw.mid(open + 1, close - open - 1);
    static const QRegularExpression ns(QStringLiteral("\\{[^}]*\\}"));
    for (const QString& part : inner.split(u',')) {
        const QString p = part.trimmed().remove(ns); // "{namespace}Name": the name
        if (p.startsWith(QLatin1String("##")))
            continue;
        const QRegularExpressionMatch m = item.match(p);
        if (m.hasMatch())
            names << m.captured(1);
    }
    return names.join(QStringLiteral(", "));
}

} // namespace

QString schemaMessageInItalian(const QString& raw) {
    static const QRegularExpression head(
        QStringLiteral("^Element '([^']+)'(?:, attribute '([^']+)')?: (.*)$"),
        QRegularExpression::DotMatchesEverythingOption);
    const QRegularExpressionMatch h = head.match(raw);
    if (!h.hasMatch())
        return QStringLiteral("Non conforme allo schema: %1").arg(raw);
    // The root element comes with its namespace: named without it, except where the namespace
    // is what is wrong.
    const QString qualified = h.captured(1);
    static const QRegularExpression ns(QStringLiteral("^\\{[^}]*\\}"));
    const QString element = QString(qualified).remove(ns);
    const QString attribute = h.captured(2);
    const QString rest = h.captured(3);
    const QString what = attribute.isEmpty()
                             ? QStringLiteral("dell'elemento %1").arg(element)
                             : QStringLiteral("dell'attributo %1 di %2").arg(attribute, element);

    if (rest.startsWith(QLatin1String("This element is not expected."))) {
        const QString expected = expectedList(rest.mid(29));
        // The name expected, in a namespace: only the root element may have one.
        if (qualified != element && expected.split(QStringLiteral(", ")).contains(element))
            return QStringLiteral("l'elemento %1 è scritto in uno spazio dei nomi (con un prefisso "
                                  "o un xmlns): solo FatturaElettronica ne ha uno, gli elementi "
                                  "al suo interno vanno scritti senza.")
                .arg(element);
        if (expected.isEmpty())
            return QStringLiteral("l'elemento %1 non è ammesso in questo punto (è in più o "
                                  "nell'ordine sbagliato).")
                .arg(element);
        return QStringLiteral("l'elemento %1 non è ammesso in questo punto (è in più o "
                              "nell'ordine sbagliato); qui è atteso: %2.")
            .arg(element, expected);
    }
    if (rest.startsWith(QLatin1String("Missing child element(s)."))) {
        return QStringLiteral("in %1 manca un elemento obbligatorio; è atteso: %2.")
            .arg(element, expectedList(rest));
    }
    static const QRegularExpression enumeration(QStringLiteral(
        "\\[facet 'enumeration'\\] The value '([^']*)' is not an element of the set"));
    QRegularExpressionMatch m = enumeration.match(rest);
    if (m.hasMatch())
        return QStringLiteral("il valore '%1' %2 non è tra i codici ammessi.")
            .arg(m.captured(1), what);
    static const QRegularExpression pattern(QStringLiteral(
        "\\[facet 'pattern'\\] The value '([^']*)' is not accepted by the pattern '([^']*)'"));
    m = pattern.match(rest);
    if (m.hasMatch()) {
        const QString p = m.captured(2);
        static const QRegularExpression decimals(
            QStringLiteral("\\\\\\.\\[0-9\\]\\{(\\d+)(?:,(\\d+))?\\}"));
        const QRegularExpressionMatch d = decimals.match(p);
        if (d.hasMatch()) {
            const QString count =
                d.captured(2).isEmpty()
                    ? d.captured(1)
                    : QStringLiteral("da %1 a %2").arg(d.captured(1), d.captured(2));
            return QStringLiteral(
                       "il valore '%1' %2 non è un importo valido: serve un numero con il "
                       "punto come separatore e %3 decimali (es. 1234.50).")
                .arg(m.captured(1), what, count);
        }
        // Texts: "(\p{IsBasicLatin}{1,20})" and the like.
        static const QRegularExpression text(
            QStringLiteral("^\\(?\\\\p\\{Is([A-Za-z0-9-]+)\\}\\{(\\d+),(\\d+)\\}\\)?$"));
        const QRegularExpressionMatch t = text.match(p);
        if (t.hasMatch())
            return QStringLiteral("il valore '%1' %2 deve contenere da %3 a %4 caratteri%5 (ne ha "
                                  "%6).")
                .arg(m.captured(1), what, t.captured(2), t.captured(3),
                     t.captured(1) == QLatin1String("BasicLatin")
                         ? QStringLiteral(", senza lettere accentate né simboli speciali")
                         : QString())
                .arg(characters(m.captured(1)));
        // Texts of Latin letters, accented ones included:
        // "[\p{IsBasicLatin}\p{IsLatin-1Supplement}]{1,80}".
        static const QRegularExpression latin(QStringLiteral(
            "^\\[\\\\p\\{IsBasicLatin\\}\\\\p\\{IsLatin-1Supplement\\}\\]\\{(\\d+),(\\d+)\\}$"));
        const QRegularExpressionMatch l = latin.match(p);
        if (l.hasMatch())
            return QStringLiteral("il valore '%1' %2 deve contenere da %3 a %4 caratteri "
                                  "dell'alfabeto latino, anche accentati (non simboli come €); "
                                  "ne ha %5.")
                .arg(leftCharacters(m.captured(1), 80) +
                         (characters(m.captured(1)) > 80 ? QStringLiteral("…") : QString()),
                     what, l.captured(1), l.captured(2))
                .arg(characters(m.captured(1)));
        return QStringLiteral("il valore '%1' %2 non ha la forma richiesta.")
            .arg(m.captured(1), what);
    }
    static const QRegularExpression maxLength(QStringLiteral(
        "\\[facet 'maxLength'\\] The value has a length of '(\\d+)'; this exceeds the allowed "
        "maximum length of '(\\d+)'"));
    m = maxLength.match(rest);
    if (m.hasMatch())
        return QStringLiteral("il valore %1 è lungo %2 caratteri, al massimo ne sono ammessi %3.")
            .arg(what, m.captured(1), m.captured(2));
    static const QRegularExpression minLength(QStringLiteral(
        "\\[facet 'minLength'\\] The value has a length of '(\\d+)'; this underruns the allowed "
        "minimum length of '(\\d+)'"));
    m = minLength.match(rest);
    if (m.hasMatch())
        return QStringLiteral("il valore %1 è lungo %2 caratteri, ne servono almeno %3.")
            .arg(what, m.captured(1), m.captured(2));
    static const QRegularExpression exactLength(QStringLiteral(
        "\\[facet 'length'\\] The value (?:'[^']*' )?has a length of '(\\d+)'; this differs "
        "from the allowed length of '(\\d+)'"));
    m = exactLength.match(rest);
    if (m.hasMatch())
        return QStringLiteral("il valore %1 è lungo %2 caratteri, ne servono esattamente %3.")
            .arg(what, m.captured(1), m.captured(2));
    static const QRegularExpression atomic(
        QStringLiteral("'([^']*)' is not a valid value of the (?:local )?atomic type '([^']*)'"));
    m = atomic.match(rest);
    if (m.hasMatch()) {
        // The type without its namespace (whose address would match any word of the tests).
        const QString type = QString(m.captured(2)).remove(ns);
        if (type.contains(QLatin1String("dateTime"), Qt::CaseInsensitive))
            return QStringLiteral("il valore '%1' %2 non è una data e ora valida "
                                  "(AAAA-MM-GGThh:mm:ss).")
                .arg(m.captured(1), what);
        if (type.contains(QLatin1String("date"), Qt::CaseInsensitive) ||
            type.startsWith(QLatin1String("Data")))
            return QStringLiteral("il valore '%1' %2 non è una data valida (AAAA-MM-GG).")
                .arg(m.captured(1), what);
        if (type.contains(QLatin1String("decimal"), Qt::CaseInsensitive) ||
            type.contains(QLatin1String("Amount"), Qt::CaseInsensitive) ||
            type.contains(QLatin1String("Rate"), Qt::CaseInsensitive) ||
            type.contains(QLatin1String("Quantita"), Qt::CaseInsensitive))
            return QStringLiteral("il valore '%1' %2 non è un numero valido (punto come separatore "
                                  "decimale, nessun separatore delle migliaia).")
                .arg(m.captured(1), what);
        return QStringLiteral("il valore '%1' %2 non è valido.").arg(m.captured(1), what);
    }
    if (rest.startsWith(QLatin1String("No matching global declaration")))
        return QStringLiteral("l'elemento radice %1 non è quello di una fattura elettronica "
                              "(FatturaElettronica nello spazio dei nomi della versione 1.2).")
            .arg(qualified);
    if (rest.startsWith(QLatin1String("Character content other than whitespace")))
        return QStringLiteral("l'elemento %1 non può contenere testo, solo altri elementi.")
            .arg(element);
    if (rest.startsWith(QLatin1String("The attribute")) &&
        rest.contains(QLatin1String("is required")))
        return QStringLiteral("all'elemento %1 manca un attributo obbligatorio.").arg(element);
    return QStringLiteral("Non conforme allo schema: %1").arg(raw);
}

} // namespace brevalto::check
