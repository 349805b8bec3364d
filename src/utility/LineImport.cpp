#include "utility/LineImport.h"

#include "store/NumberText.h"

#include <QStringDecoder>

namespace brevalto::importa {

QStringList columnOrder(const QVariant& importaStringa) {
    if (importaStringa.isNull())
        return {kPrezzo, kDescrizione};
    QStringList order = importaStringa.toString().split(QLatin1Char('|'));
    if (!order.isEmpty() && order.last().isEmpty())
        order.removeLast(); // every name is followed by "|"
    return order;
}

QString columnOrderText(const QStringList& order) {
    QString text;
    for (const QString& name : order)
        text += name + QLatin1Char('|');
    return text;
}

namespace {

// Windows-1252 differs from Latin-1 only in 0x80-0x9F; the five codes it leaves undefined keep
// their Latin-1 control characters.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

} // namespace

QString decodeText(const QByteArray& bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError()) {
        if (text.startsWith(QChar(0xFEFF)))
            text.remove(0, 1);
        return text;
    }
    text.clear();
    text.reserve(bytes.size());
    for (const char byte : bytes) {
        const auto b = static_cast<unsigned char>(byte);
        text += (b >= 0x80 && b < 0xA0) ? QChar(kCp1252High[b - 0x80]) : QChar(b);
    }
    return text;
}

QString LineError::message() const {
    return QStringLiteral("Riga %1 del file non importata: %2\n\"%3\"\n\nNessuna linea è stata "
                          "aggiunta: correggere il file e ripetere l'importazione.")
        .arg(number)
        .arg(reason, text.left(200));
}

namespace {

// A number field, or why it cannot be read.
bool readNumber(const QString& caption, const QString& text, QVariant* value, QString* reason) {
    if (parseNumberText(text, false, value))
        return true;
    *reason = QStringLiteral("%1 non valido: %2").arg(caption, text);
    return false;
}

} // namespace

Parsed parse(const QString& text, const Settings& settings) {
    Parsed out;
    const QChar separator =
        settings.separator.isEmpty() ? QLatin1Char('|') : settings.separator.at(0);
    QStringList lines = text.split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast(); // the line break after the last line opens no line
    bool headingSkipped = !settings.headings;
    out.lines.reserve(lines.size());
    for (int i = 0; i < lines.size(); ++i) {
        QString line = lines[i];
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (!headingSkipped) {
            headingSkipped = true;
            continue;
        }
        if (line.trimmed().isEmpty()) {
            ++out.blank;
            continue;
        }
        QString descrizione, prezzo, quantita, aliquota;
        // The fields as GetField() gives them, split once per line.
        const QStringList fields = line.split(separator);
        for (int n = 0; n < settings.order.size(); ++n) {
            const QString& name = settings.order[n];
            const bool fixed = settings.fixed.contains(name);
            QString value = fixed ? settings.fixed.value(name) : fields.value(n);
            if (name == kPrezzo) {
                if (!fixed) {
                    value.remove(QChar(0x20AC));
                    value = value.trimmed();
                    value.remove(QLatin1Char(' '));
                }
                prezzo = value.trimmed();
            } else if (name == kQuantita) {
                if (!fixed)
                    value.remove(QChar(0x20AC));
                quantita = value.trimmed();
            } else if (name == kAliquotaIva) {
                aliquota = value.trimmed();
            } else if (name == kDescrizione) {
                descrizione = value.left(1000);
            }
        }
        linee::NewLine row;
        QString reason;
        if (prezzo.isEmpty())
            reason = QStringLiteral("manca il prezzo unitario");
        else if (readNumber(QStringLiteral("Prezzo unitario"), prezzo, &row.prezzoUnitario,
                            &reason) &&
                 readNumber(QStringLiteral("Quantità"), quantita, &row.quantita, &reason) &&
                 readNumber(QStringLiteral("Aliquota Iva"), aliquota, &row.aliquotaIva, &reason))
            reason.clear();
        // The exchange system takes a rate as a percentage: 22, not 0,22; never above 100.
        if (reason.isEmpty() && !row.aliquotaIva.isNull()) {
            const double rate = row.aliquotaIva.toDouble();
            if (rate < 0 || (rate > 0 && rate < 1) || rate > 100)
                reason = QStringLiteral("Aliquota Iva non valida: %1 (scrivere 22 per il 22 %)")
                             .arg(aliquota);
        }
        if (!reason.isEmpty()) {
            out.lines.clear();
            out.error = LineError{i + 1, line, reason};
            return out;
        }
        if (row.quantita.isNull())
            row.quantita = 1.0;
        row.descrizione = descrizione.isEmpty() ? QVariant() : QVariant(descrizione);
        row.prezzoTotale = linee::lineTotal(row.quantita, row.prezzoUnitario, {})->toDouble();
        row.source = QStringLiteral("Riga ") + QString::number(i + 1) +
                     QStringLiteral(" del file (\"") + line.left(200) + QStringLiteral("\")");
        out.lines << row;
    }
    return out;
}

} // namespace brevalto::importa
