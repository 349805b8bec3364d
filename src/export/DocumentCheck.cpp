#include "export/DocumentCheck.h"

#include "check/Checker.h"
#include "export/FatturaWriter.h"
#include "export/IncludedBlocks.h"
#include "export/ValueFormat.h"
#include "store/DataModule.h"
#include "store/DatasetNames.h"

#include <QFileDevice>
#include <QRegularExpression>
#include <QSqlQuery>
#include <algorithm>

namespace brevalto {

namespace {

struct Place {
    const char* element; // path without indices, from below the root
    const char* screen;
    const char* field;
};

// Where each checked value is typed. Longer paths first where one is the tail of another.
const Place kPlaces[] = {
    {"FatturaElettronicaHeader/DatiTrasmissione/ProgressivoInvio", "Dati Trasmissione",
     "Progressivo Invio"},
    {"FatturaElettronicaHeader/DatiTrasmissione/CodiceDestinatario", "Cessionario - Committente",
     "Codice destinatario"},
    {"FatturaElettronicaHeader/DatiTrasmissione/FormatoTrasmissione", "Cessionario - Committente",
     "Formato Trasmissione"},
    {"FatturaElettronicaHeader/CedentePrestatore/DatiAnagrafici/IdFiscaleIVA/IdPaese",
     "Cedente Prestatore", "Nazione"},
    {"FatturaElettronicaHeader/CedentePrestatore", "Cedente Prestatore", ""},
    {"FatturaElettronicaHeader/CessionarioCommittente/DatiAnagrafici/IdFiscaleIVA/IdPaese",
     "Cessionario - Committente", "Nazione"},
    {"FatturaElettronicaHeader/CessionarioCommittente/DatiAnagrafici", "Cessionario - Committente",
     "Partita Iva / Codice Fiscale"},
    {"FatturaElettronicaHeader/CessionarioCommittente", "Cessionario - Committente", ""},
    {"FatturaElettronicaHeader/DatiTrasmissione", "Dati Trasmissione", ""},
    {"FatturaElettronicaBody/DatiGenerali/DatiGeneraliDocumento/TipoDocumento",
     "Corpo della fattura - Dati Generali", "Tipo Documento"},
    {"FatturaElettronicaBody/DatiGenerali/DatiGeneraliDocumento/Data",
     "Corpo della fattura - Dati Generali", "Data"},
    {"FatturaElettronicaBody/DatiGenerali/DatiGeneraliDocumento/Numero",
     "Corpo della fattura - Dati Generali", "Numero"},
    {"FatturaElettronicaBody/DatiGenerali/DatiGeneraliDocumento/DatiCassaPrevidenziale/"
     "AliquotaIVA",
     "Cassa Previdenziale", "Aliquota Iva"},
    {"FatturaElettronicaBody/DatiGenerali/DatiGeneraliDocumento/DatiCassaPrevidenziale/Natura",
     "Cassa Previdenziale", "Natura"},
    {"FatturaElettronicaBody/DatiGenerali/DatiGeneraliDocumento/DatiCassaPrevidenziale/Ritenuta",
     "Cassa Previdenziale", "Ritenuta"},
    {"FatturaElettronicaBody/DatiGenerali/DatiGeneraliDocumento/DatiCassaPrevidenziale",
     "Cassa Previdenziale", ""},
    {"FatturaElettronicaBody/DatiGenerali/DatiGeneraliDocumento/ScontoMaggiorazione",
     "Sconto Maggiorazione", "Percentuale / Importo"},
    {"FatturaElettronicaBody/DatiGenerali/DatiGeneraliDocumento",
     "Corpo della fattura - Dati Generali", ""},
    {"FatturaElettronicaBody/DatiGenerali/DatiFattureCollegate",
     "Corpo della fattura - Ordini - Convenzioni", "Fatture collegate"},
    {"FatturaElettronicaBody/DatiBeniServizi/DettaglioLinee/ScontoMaggiorazione",
     "Linea di dettaglio - Sconto Maggiorazione", "Percentuale / Importo"},
    {"FatturaElettronicaBody/DatiBeniServizi/DettaglioLinee/Quantita", "Linea di dettaglio",
     "Quantità"},
    {"FatturaElettronicaBody/DatiBeniServizi/DettaglioLinee/PrezzoUnitario", "Linea di dettaglio",
     "Prezzo Unitario"},
    {"FatturaElettronicaBody/DatiBeniServizi/DettaglioLinee/PrezzoTotale", "Linea di dettaglio",
     "Prezzo totale"},
    {"FatturaElettronicaBody/DatiBeniServizi/DettaglioLinee/AliquotaIVA", "Linea di dettaglio",
     "Aliquota Iva"},
    {"FatturaElettronicaBody/DatiBeniServizi/DettaglioLinee/Ritenuta", "Linea di dettaglio",
     "Ritenuta"},
    {"FatturaElettronicaBody/DatiBeniServizi/DettaglioLinee/Natura", "Linea di dettaglio",
     "Natura"},
    {"FatturaElettronicaBody/DatiBeniServizi/DettaglioLinee", "Linea di dettaglio", ""},
    {"FatturaElettronicaBody/DatiBeniServizi/DatiRiepilogo/AliquotaIVA", "Riepilogo Iva",
     "Aliquota Iva"},
    {"FatturaElettronicaBody/DatiBeniServizi/DatiRiepilogo/Natura", "Riepilogo Iva", "Natura"},
    {"FatturaElettronicaBody/DatiBeniServizi/DatiRiepilogo/Arrotondamento", "Riepilogo Iva",
     "Arrotondamento"},
    {"FatturaElettronicaBody/DatiBeniServizi/DatiRiepilogo/ImponibileImporto", "Riepilogo Iva",
     "Imponibile"},
    {"FatturaElettronicaBody/DatiBeniServizi/DatiRiepilogo/Imposta", "Riepilogo Iva", "Imposta"},
    {"FatturaElettronicaBody/DatiBeniServizi/DatiRiepilogo/EsigibilitaIVA", "Riepilogo Iva",
     "Esigibilita Iva"},
    {"FatturaElettronicaBody/DatiBeniServizi/DatiRiepilogo", "Riepilogo Iva", ""},
    {"FatturaElettronicaBody/DatiBeniServizi", "Corpo della fattura - Dettaglio Linee", ""},
};

QString withoutIndices(const QString& path) {
    static const QRegularExpression index(QStringLiteral("\\[\\d+\\]"));
    QString plain = path;
    plain.remove(index);
    return plain;
}

// Rows of another Document of the same seller whose body has this number in this year.
int otherDocumentWithNumber(DataModule& data, int headerId, const QString& country,
                            const QString& code, const QString& numero, const QString& year,
                            bool creditNote) {
    QSqlQuery q = data.connessione().execNative(
        "SELECT h.Numero FROM PA_FE_Body b JOIN PA_FE_Header h ON h.id = b.PA_FE_Header_Id "
        "WHERE h.id <> ? AND h.CedentePrestatore_IdPaese = ? AND h.CedentePrestatore_IdCodice = ? "
        "AND b.DatiGenerali_Numero = ? AND substr(b.DatiGenerali_Data, 1, 4) = ? "
        "AND CASE WHEN coalesce(b.DatiGenerali_TipoDocumento, '') = 'TD04' THEN 1 ELSE 0 END = ? "
        // A Document whose last outcome is a rejection was never issued: its number is free.
        "AND coalesce((SELECT n.Tipo FROM SdI_Notifiche n WHERE n.PA_FE_Header_Id = h.id AND "
        "n.Tipo IN ('NS', 'RC', 'MC', 'NE', 'DT', 'AT') ORDER BY n.Id DESC LIMIT 1), '') <> 'NS' "
        "ORDER BY h.Numero LIMIT 1",
        {headerId, country, code, numero, year, creditNote ? 1 : 0});
    return q.next() ? q.value(0).toInt() : 0;
}

} // namespace

check::Findings archiveFindings(DataModule& data) {
    check::Findings findings;
    const Dataset& header = data.table(ds::PA_FE_Header);
    const int headerId = header.value(QStringLiteral("id")).toInt();

    const QString progressive =
        PadProgressive(header.text(QStringLiteral("DatiTrasmissione_ProgressivoInvio")).left(5));
    QSqlQuery used = data.connessione().execNative(
        "SELECT Numero, DatiTrasmissione_ProgressivoInvio FROM PA_FE_Header "
        "WHERE id <> ? AND Esportato = 1 ORDER BY Numero",
        {headerId});
    while (used.next()) {
        if (PadProgressive(used.value(1).toString().left(5)) == progressive) {
            findings << check::Finding{
                QStringLiteral("00002"),
                QStringLiteral("FatturaElettronicaHeader/DatiTrasmissione/ProgressivoInvio"),
                QStringLiteral("ProgressivoInvio %1 già usato dal documento n. %2, già esportato: "
                               "il file avrebbe lo stesso nome e il Sistema di Interscambio lo "
                               "scarterebbe come duplicato.")
                    .arg(progressive)
                    .arg(used.value(0).toInt()),
                0,
                {},
                {}};
            break;
        }
    }

    const QString country = header.text(QStringLiteral("CedentePrestatore_IdPaese"));
    const QString code = header.text(QStringLiteral("CedentePrestatore_IdCodice"));
    const Dataset& bodies = data.table(ds::PA_Body);
    const int numeroColumn = bodies.columnIndex(QStringLiteral("DatiGenerali_Numero"));
    const int dataColumn = bodies.columnIndex(QStringLiteral("DatiGenerali_Data"));
    const int tipoColumn = bodies.columnIndex(QStringLiteral("DatiGenerali_TipoDocumento"));
    for (int row = 0; row < bodies.rowCount(); ++row) {
        const QString numero = bodies.valueAt(row, numeroColumn).toString().trimmed();
        const QVariant date = bodies.valueAt(row, dataColumn);
        if (numero.isEmpty() || date.isNull())
            continue;
        const QString year = QString::number(date.toDate().year());
        const QString tipo = bodies.valueAt(row, tipoColumn).toString();
        const int other = otherDocumentWithNumber(data, headerId, country, code, numero, year,
                                                  tipo == QLatin1String("TD04"));
        if (other > 0)
            findings << check::Finding{
                QStringLiteral("00404"),
                QStringLiteral("FatturaElettronicaBody[%1]/DatiGenerali/DatiGeneraliDocumento/"
                               "Numero")
                    .arg(row + 1),
                QStringLiteral("Numero %1 già usato nel %2 dal documento n. %3 dello stesso "
                               "cedente/prestatore: il Sistema di Interscambio scarterebbe la "
                               "fattura come duplicata.")
                    .arg(numero, year)
                    .arg(other),
                0,
                {},
                {}};
    }
    return findings;
}

void locateFields(check::Findings& findings) {
    for (check::Finding& f : findings) {
        const QString plain = withoutIndices(f.element);
        for (const Place& place : kPlaces) {
            const QString element = QString::fromLatin1(place.element);
            if (plain == element || plain.startsWith(element + u'/')) {
                f.screen = QString::fromUtf8(place.screen);
                f.field = plain == element ? QString::fromUtf8(place.field) : QString();
                break;
            }
        }
    }
}

QString documentFileName(DataModule& data) {
    const Dataset& header = data.table(ds::PA_FE_Header);
    const QString progressive =
        header.text(QStringLiteral("DatiTrasmissione_ProgressivoInvio")).left(5);
    return header.text(QStringLiteral("DatiTrasmissione_IdPaese")).trimmed() +
           UpperCase(header.text(QStringLiteral("DatiTrasmissione_IdCodice")).trimmed()) +
           QLatin1Char('_') + PadProgressive(progressive) + QStringLiteral(".xml");
}

check::Findings fileNameFindings(DataModule& data, const QString& fileName) {
    const Dataset& header = data.table(ds::PA_FE_Header);
    const QString country = header.text(QStringLiteral("DatiTrasmissione_IdPaese")).trimmed();
    const QString code = header.text(QStringLiteral("DatiTrasmissione_IdCodice")).trimmed();
    check::Findings findings = check::checkFileName(fileName);
    const bool countryWrong = country.size() != 2;
    if (findings.isEmpty() && (code.isEmpty() || countryWrong ||
                               !fileName.startsWith(country + code + u'_', Qt::CaseInsensitive))) {
        findings << check::Finding{
            QStringLiteral("00001"),
            QString(),
            QStringLiteral("Nome file \"%1\" non valido: deve iniziare con il codice paese e "
                           "l'identificativo del trasmittente riportati nel file (%2), ad esempio "
                           "%3.")
                .arg(fileName, country + code, documentFileName(data)),
            0,
            {},
            {}};
    }
    // The name is made of the transmitter's data: that is where it is corrected.
    for (check::Finding& f : findings) {
        if (code.isEmpty())
            f.message += QStringLiteral(" Manca il Codice Fiscale del trasmittente.");
        f.screen = QStringLiteral("Dati Trasmissione");
        f.field = code.isEmpty() ? QStringLiteral("Codice Fiscale")
                  : countryWrong ? QStringLiteral("Nazione")
                                 : QString();
    }
    return findings;
}

CheckedOutput::CheckedOutput(QIODevice* out, QDate today)
    : out_(out), check_({.today = today, .fileName = {}}) {
    if (const auto* file = qobject_cast<const QFileDevice*>(out))
        setObjectName(file->fileName());
    open(QIODevice::WriteOnly | QIODevice::Unbuffered);
}

qint64 CheckedOutput::writeData(const char* data, qint64 size) {
    if (out_ && out_->write(data, size) != size) {
        setErrorString(out_->errorString());
        return -1;
    }
    if (!tooLarge()) {
        const qint64 checked = std::min(size, kMaxInvoiceFileSize + 1 - written_);
        check_.add(data, checked);
    }
    written_ += size;
    return size;
}

check::Findings CheckedOutput::finish() {
    return tooLarge() ? check::Findings{} : check_.finish();
}

check::Findings documentFindings(DataModule& data, check::Findings textFindings,
                                 const QString& fileName) {
    check::Findings findings = std::move(textFindings);
    findings << archiveFindings(data);
    locateFields(findings);
    findings << excludedBlockFindings(data);
    findings =
        fileNameFindings(data, fileName.isEmpty() ? documentFileName(data) : fileName) + findings;
    return findings;
}

check::Findings checkDocumentText(DataModule& data, const QByteArray& xml, QDate today,
                                  const QString& fileName) {
    if (xml.size() > kMaxInvoiceFileSize)
        return fileNameFindings(data, fileName.isEmpty() ? documentFileName(data) : fileName)
               << tooLargeFinding(xml.size());
    return documentFindings(data, check::checkInvoice(xml, {.today = today, .fileName = {}}),
                            fileName);
}

check::Findings checkCurrentDocument(DataModule& data, QDate today) {
    CheckedOutput out(nullptr, today);
    writeInvoiceXml(data, out);
    if (out.tooLarge())
        return fileNameFindings(data, documentFileName(data)) << tooLargeFinding(out.written());
    return documentFindings(data, out.finish());
}

QString findingsText(const check::Findings& findings, int max) {
    QStringList lines;
    for (qsizetype i = 0; i < findings.size() && i < max; ++i) {
        const check::Finding& f = findings[i];
        QString line = f.code + QStringLiteral("  ");
        if (!f.element.isEmpty())
            line += f.element + QStringLiteral(": ");
        line += f.message;
        lines << line;
    }
    if (findings.size() > max)
        lines << QStringLiteral("... e altri %1.").arg(findings.size() - max);
    return lines.join(u'\n');
}

} // namespace brevalto
