#include "logic/LineImport.h"

#include "store/NumberText.h"

#include <QStringDecoder>
#include <QVarLengthArray>
#include <optional>

namespace brevalto::importa {

QStringList columnOrder(const QVariant& importaStringa) {
    if (importaStringa.isNull())
        return {kDescrizione, kPrezzo, kAliquotaIva, kQuantita};
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

// A plain number of the file ("1250", "12,5", "0.25"): digits with at most one decimal mark and
// at most 15 digits, read in place without building any string. Its double is then the one the
// general reading gives. Anything else (signs, thousands marks, blanks, euro signs, more digits)
// goes the general way.
std::optional<Decimal> readPlain(QStringView text) {
    if (text.isEmpty() || text.size() > 16)
        return std::nullopt;
    int count = 0, mark = -1;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c >= u'0' && c <= u'9')
            ++count;
        else if ((c == u',' || c == u'.') && mark < 0)
            mark = int(i);
        else
            return std::nullopt;
    }
    if (count == 0 || count > 15)
        return std::nullopt;
    // "1.250" is a thousand two hundred and fifty: the general reading knows the thousands mark.
    if (mark >= 0 && text[mark] == QLatin1Char('.') && pointsAreThousands(text))
        return std::nullopt;
    return Decimal::fromText(text);
}

// The fields of a line, up to the last one the column order reads.
using Fields = QVarLengthArray<QStringView, 8>;

void splitFields(QStringView line, QChar separator, qsizetype wanted, Fields* fields) {
    fields->clear();
    qsizetype from = 0;
    while (fields->size() < wanted) {
        const qsizetype at = line.indexOf(separator, from);
        if (at < 0) {
            fields->append(line.mid(from));
            return;
        }
        fields->append(line.mid(from, at - from));
        from = at + 1;
    }
}

enum class Column { Descrizione, Prezzo, Quantita, AliquotaIva, Other };

Column columnOf(const QString& name) {
    if (name == kPrezzo)
        return Column::Prezzo;
    if (name == kQuantita)
        return Column::Quantita;
    if (name == kAliquotaIva)
        return Column::AliquotaIva;
    if (name == kDescrizione)
        return Column::Descrizione;
    return Column::Other;
}

// One field of the file (or a fixed value) taken as a number column: the text it stands for
// after the column's clean-up, without a copy when nothing needs removing.
struct NumberField {
    QStringView view;
    QString owned; // holds the text when the clean-up had to build it
};

bool hasChar(QStringView text, QChar c) {
    return text.indexOf(c) >= 0;
}

} // namespace

Parsed parse(const QString& text, const Settings& settings) {
    Parsed out;
    const QChar separator =
        settings.separator.isEmpty() ? QLatin1Char('|') : settings.separator.at(0);
    const QChar euro(0x20AC);
    struct OrderColumn {
        Column column;
        bool fixed;
        QString fixedValue;
    };
    QList<OrderColumn> order;
    for (const QString& name : settings.order) {
        const bool fixed = settings.fixed.contains(name);
        order.append({columnOf(name), fixed, fixed ? settings.fixed.value(name) : QString()});
    }
    const QStringView all(text);
    bool headingSkipped = !settings.headings;
    out.lines.reserve(all.count(QLatin1Char('\n')) + 1);
    Fields fields;
    int number = 0;
    for (qsizetype from = 0; from < all.size();) {
        qsizetype end = all.indexOf(QLatin1Char('\n'), from);
        if (end < 0)
            end = all.size();
        QStringView line = all.mid(from, end - from);
        from = end + 1;
        ++number;
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
        QStringView descrizione;
        NumberField prezzo, quantita, aliquota;
        splitFields(line, separator, order.size(), &fields);
        for (qsizetype n = 0; n < order.size(); ++n) {
            const OrderColumn& c = order[n];
            const QStringView value = c.fixed             ? QStringView(c.fixedValue)
                                      : n < fields.size() ? fields[n]
                                                          : QStringView();
            switch (c.column) {
            case Column::Prezzo:
                // Every euro sign and every blank goes (a fixed value is taken as typed).
                if (!c.fixed && (hasChar(value, euro) || hasChar(value, QLatin1Char(' ')))) {
                    QString cleaned = value.toString();
                    cleaned.remove(euro);
                    cleaned = cleaned.trimmed();
                    cleaned.remove(QLatin1Char(' '));
                    prezzo.owned = cleaned.trimmed();
                    prezzo.view = prezzo.owned;
                } else {
                    prezzo.view = value.trimmed();
                    prezzo.owned.clear();
                }
                break;
            case Column::Quantita:
                if (!c.fixed && hasChar(value, euro)) {
                    QString cleaned = value.toString();
                    cleaned.remove(euro);
                    quantita.owned = cleaned.trimmed();
                    quantita.view = quantita.owned;
                } else {
                    quantita.view = value.trimmed();
                    quantita.owned.clear();
                }
                break;
            case Column::AliquotaIva:
                aliquota.view = value.trimmed();
                aliquota.owned.clear();
                break;
            case Column::Descrizione:
                descrizione = value.left(1000);
                break;
            case Column::Other:
                break;
            }
        }
        linee::NewLine row;
        QString reason;
        std::optional<Decimal> plainPrice, plainQuantity, plainRate;
        // The plain numbers the file normally holds are read in place; the rest the general way.
        const auto read = [&reason](const QString& caption, QStringView field, QVariant* value,
                                    std::optional<Decimal>* plain) {
            if (field.isEmpty()) {
                *value = QVariant();
                return true;
            }
            *plain = readPlain(field);
            if (*plain) {
                *value = (*plain)->toDouble();
                return true;
            }
            return readNumber(caption, field.toString(), value, &reason);
        };
        if (prezzo.view.isEmpty())
            reason = QStringLiteral("manca il prezzo unitario");
        else if (read(QStringLiteral("Prezzo unitario"), prezzo.view, &row.prezzoUnitario,
                      &plainPrice) &&
                 read(QStringLiteral("Quantità"), quantita.view, &row.quantita, &plainQuantity) &&
                 read(QStringLiteral("Aliquota Iva"), aliquota.view, &row.aliquotaIva, &plainRate))
            reason.clear();
        // The exchange system takes a rate as a percentage: 22, not 0,22; never above 100.
        if (reason.isEmpty() && !row.aliquotaIva.isNull()) {
            const double rate = row.aliquotaIva.toDouble();
            if (rate < 0 || (rate > 0 && rate < 1) || rate > 100)
                reason = QStringLiteral("Aliquota Iva non valida: %1 (scrivere 22 per il 22 %)")
                             .arg(aliquota.view.toString());
        }
        if (!reason.isEmpty()) {
            out.lines.clear();
            out.error = LineError{number, line.toString(), reason};
            return out;
        }
        if (row.quantita.isNull()) {
            row.quantita = 1.0;
            plainQuantity = Decimal(1, 0);
        }
        row.descrizione = descrizione.isEmpty() ? QVariant() : QVariant(descrizione.toString());
        // price × quantity rounded half up to cents, as lineTotal() computes it.
        row.prezzoTotale = plainPrice && plainQuantity
                               ? (*plainPrice * *plainQuantity).rounded(2).toDouble()
                               : linee::lineTotal(row.quantita, row.prezzoUnitario, {})->toDouble();
        const QStringView shown = line.left(200);
        QString source;
        source.reserve(20 + shown.size());
        source += QStringLiteral("Riga ");
        source += QString::number(number);
        source += QStringLiteral(" del file (\"");
        source += shown;
        source += QStringLiteral("\")");
        row.source = std::move(source);
        out.lines << std::move(row);
    }
    return out;
}

} // namespace brevalto::importa
