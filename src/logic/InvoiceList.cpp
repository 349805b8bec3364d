#include "logic/InvoiceList.h"

#include "store/Connection.h"

#include <QDateTime>
#include <QSqlQuery>

namespace brevalto::elenco {

QString proposedFileName(const QDate& day) {
    return QStringLiteral("Esportazioni_%1_%2_%3.csv")
        .arg(day.day())
        .arg(day.month())
        .arg(day.year());
}

QString headingLine() {
    return QStringLiteral(
        "Data Documento;Numero Documento;TipoDocumento;Divisa;Importo Totale Documento;Causale;"
        "Arrotondamento;Cessionario:IdentificativoFiscale;Cessionario:CodiceFiscale;"
        "Cessionario:RagioneSociale;Cessionario:Nome;Cessionario:Cognome;Cessionario:Titolo;"
        "Cessionario:CodEori;Cessionario:SedeIndirizzo;Cessionario:SedeCivico;Cessionario:SedeCap;"
        "Cessionario:SedeComune;Cessionario:SedeProvincia;Cessionario:SedeNazione;");
}

namespace {

const QString kSelect = QStringLiteral(
    "SELECT PA_FE_Header.CessionarioCommittente_IdCodice, "
    "PA_FE_Header.CessionarioCommittente_CodiceFiscale, "
    "PA_FE_Header.CessionarioCommittente_Denominazione, PA_FE_Header.CessionarioCommittente_Nome, "
    "PA_FE_Header.CessionarioCommittente_Cognome, PA_FE_Header.CessionarioCommittente_Titolo, "
    "PA_FE_Header.CessionarioCommittente_CodEORI, "
    "PA_FE_Header.CessionarioCommittente_Sede_Indirizzo, "
    "PA_FE_Header.CessionarioCommittente_Sede_NumeroCivico, "
    "PA_FE_Header.CessionarioCommittente_Sede_CAP, "
    "PA_FE_Header.CessionarioCommittente_Sede_Comune, "
    "PA_FE_Header.CessionarioCommittente_Sede_Provincia, "
    "PA_FE_Header.CessionarioCommittente_Sede_Nazione, PA_FE_Body.DatiGenerali_TipoDocumento, "
    "PA_FE_Body.DatiGenerali_Divisa, PA_FE_Body.DatiGenerali_Data, PA_FE_Body.DatiGenerali_Numero, "
    "PA_FE_Body.ImportoTotaleDocumento, PA_FE_Body.Arrotondamento, PA_FE_Header.id "
    "FROM PA_FE_Body INNER JOIN PA_FE_Header ON PA_FE_Body.PA_FE_Header_Id = PA_FE_Header.id "
    "where (PA_FE_Header.EsportatoElenco = 0 or PA_FE_Header.EsportatoElenco is null)%1 "
    "ORDER BY  PA_FE_Body.DatiGenerali_Data, PA_FE_Body.DatiGenerali_Numero");

// Column positions of kSelect.
enum Col {
    IdCodice,
    CodiceFiscale,
    Denominazione,
    Nome,
    Cognome,
    Titolo,
    CodEori,
    Indirizzo,
    Civico,
    Cap,
    Comune,
    Provincia,
    Nazione,
    TipoDocumento,
    Divisa,
    Data,
    Numero,
    Totale,
    Arrotondamento,
    DocumentId
};

QString shortDateFormat(const QLocale& locale) {
    QString format = locale.dateFormat(QLocale::ShortFormat);
    if (!format.contains(QLatin1String("yyyy")))
        format.replace(QLatin1String("yy"), QLatin1String("yyyy"));
    return format;
}

// A stored date as the workstation writes it: a date, a date with its time, or a time alone.
QString dateText(const QVariant& value, const QLocale& locale) {
    if (value.isNull())
        return {};
    const QString stored = value.toString().trimmed();
    const QString timeFormat = locale.timeFormat(QLocale::ShortFormat);
    if (stored.size() <= 10) {
        const QDate d = QDate::fromString(stored, Qt::ISODate);
        return d.isValid() ? locale.toString(d, shortDateFormat(locale)) : stored;
    }
    const QDateTime dt = QDateTime::fromString(
        stored.left(19).replace(QLatin1Char(' '), QLatin1Char('T')), Qt::ISODate);
    if (!dt.isValid())
        return stored;
    if (dt.date() == QDate(1899, 12, 30)) // the day a time alone is stored on
        return locale.toString(dt.time(), timeFormat);
    return locale.toString(dt.date(), shortDateFormat(locale)) + QLatin1Char(' ') +
           locale.toString(dt.time(), timeFormat);
}

// General number format: at most 15 significant digits, no trailing zeros, no thousands
// separator, the locale's decimal mark; null is 0.
QString numberText(const QVariant& value, const QLocale& locale) {
    QString text = QString::number(value.isNull() ? 0.0 : value.toDouble(), 'g', 15);
    text.replace(QLatin1Char('.'), locale.decimalPoint());
    return text;
}

// The columns of amounts (total, rounding), which the list writes itself from numbers: never
// quoted or neutralised, so that "-0,01" stays a number for the spreadsheet. A date is a text:
// one the archive holds in no date format is written as stored.
bool isNumberColumn(int field) {
    return field == 4 || field == 6;
}

} // namespace

QString csvField(const QString& text) {
    QString out = text;
    // A spreadsheet takes a cell starting with one of these as a formula (a tab or CR before
    // one too): a quote in front makes it text.
    if (!out.isEmpty()) {
        const QChar first = out.at(0);
        if (first == QLatin1Char('=') || first == QLatin1Char('+') || first == QLatin1Char('-') ||
            first == QLatin1Char('@') || first == QLatin1Char('\t') || first == QLatin1Char('\r'))
            out.prepend(QLatin1Char('\''));
    }
    if (out.contains(QLatin1Char(';')) || out.contains(QLatin1Char('"')) ||
        out.contains(QLatin1Char('\n')) || out.contains(QLatin1Char('\r'))) {
        out.replace(QLatin1String("\""), QLatin1String("\"\""));
        out = QLatin1Char('"') + out + QLatin1Char('"');
    }
    return out;
}

Listing build(Connection& connection, std::optional<qint64> sellerId, const QLocale& locale) {
    Listing out;
    const QStringList headings = headingLine().split(QLatin1Char(';'));
    out.text = headingLine() + QLatin1Char('\n');
    const QString sellerFilter =
        sellerId ? QStringLiteral(" and PA_FE_Header.CedentePrestatore_Id = ?") : QString();
    const QVariantList sellerValue = sellerId ? QVariantList{*sellerId} : QVariantList{};
    QSqlQuery q = connection.exec(kSelect.arg(sellerFilter), sellerValue);
    while (q.next()) {
        const auto text = [&q](int col) { return q.value(col).toString(); };
        const QStringList fields = {
            dateText(q.value(Data), locale),
            text(Numero),
            text(TipoDocumento),
            text(Divisa),
            numberText(q.value(Totale), locale),
            QString(),
            numberText(q.value(Arrotondamento), locale),
            text(IdCodice),
            text(CodiceFiscale),
            text(Denominazione),
            text(Nome),
            text(Cognome),
            text(Titolo),
            text(CodEori),
            text(Indirizzo),
            text(Civico),
            text(Cap),
            text(Comune),
            text(Provincia),
            text(Nazione),
        };
        for (int i = 0; i < fields.size(); ++i) {
            QString wide;
            for (const QChar c : fields[i]) {
                if (c.unicode() > 0xFF && !wide.contains(c))
                    wide += c;
            }
            if (!wide.isEmpty())
                out.unrepresentable << Unrepresentable{
                    QStringLiteral("fattura n. %1 del %2").arg(fields[1], fields[0]),
                    headings.value(i), wide};
            out.text += (isNumberColumn(i) ? fields[i] : csvField(fields[i])) + QLatin1Char(';');
        }
        out.text += QLatin1Char('\n');
        ++out.invoices;
        const qint64 document = q.value(DocumentId).toLongLong();
        if (!out.documents.contains(document))
            out.documents << document;
    }
    // With invoices to list, the seller's Documents without any invoice are marked with them.
    if (out.invoices == 0)
        return out;
    QSqlQuery empty = connection.exec(
        QStringLiteral("select id from PA_FE_Header where (EsportatoElenco = 0 or "
                       "EsportatoElenco is null)%1 and not exists (select * from PA_FE_Body "
                       "where PA_FE_Body.PA_FE_Header_Id = PA_FE_Header.id)")
            .arg(sellerId ? QStringLiteral(" and CedentePrestatore_Id = ?") : QString()),
        sellerValue);
    while (empty.next())
        out.documents << empty.value(0).toLongLong();
    return out;
}

QByteArray encode(const QString& text) {
    QByteArray bytes(text.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        bytes[i] = c > 0xFF ? '?' : char(c);
    }
    return bytes;
}

QString describe(const QList<Unrepresentable>& values) {
    QStringList lines;
    for (const Unrepresentable& v : values.mid(0, 10))
        lines << QStringLiteral("%1, %2: %3").arg(v.invoice, v.field, v.characters);
    if (values.size() > 10)
        lines << QStringLiteral("... e altri %1 valori").arg(values.size() - 10);
    return lines.join(QLatin1Char('\n'));
}

void markExported(Connection& connection, const QList<qint64>& documents) {
    connection.inTransaction([&] {
        for (qsizetype i = 0; i < documents.size(); i += 500) {
            QStringList ids;
            for (const qint64 id : documents.mid(i, 500))
                ids << QString::number(id);
            connection.exec(QStringLiteral("UPDATE PA_FE_Header SET EsportatoElenco = 1 where "
                                           "id in (%1)")
                                .arg(ids.join(QLatin1Char(','))));
        }
    });
}

} // namespace brevalto::elenco
