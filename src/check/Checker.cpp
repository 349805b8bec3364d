#include "check/Checker.h"

#include "check/Decimal.h"
#include "check/LineDiscounts.h"
#include "check/RecipientCode.h"
#include "check/SchemaValidator.h"
#include "check/SummaryTax.h"
#include "check/XmlScreen.h"
#include "check/XmlTree.h"

#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <libxml/parser.h>

#include <algorithm>
#include <map>

namespace brevalto::check {

namespace {

const Decimal kCent(1, 2);
const Decimal kEuro(1, 0);

QString it(const Decimal& d) {
    return d.toItalian(2);
}

std::optional<Decimal> number(const xmlNode* node) {
    if (!node)
        return std::nullopt;
    return Decimal::parse(text(node));
}

bool isSi(const xmlNode* node) {
    return node && text(node).trimmed() == QLatin1String("SI");
}

QString trimmedAt(const xmlNode* parent, const char* path) {
    return textAt(parent, path).trimmed();
}

// The content rules of the SdI that need no outside database, over one parsed file.
class ContentRules {
public:
    ContentRules(xmlNode* root, QDate today) : root_(root), today_(today) {}

    Findings run() {
        header_ = child(root_, "FatturaElettronicaHeader");
        checkTransmission();
        checkParties();
        const std::vector<xmlNode*> bodies = children(root_, "FatturaElettronicaBody");
        for (xmlNode* body : bodies)
            checkBody(body);
        checkDuplicatesInLot(bodies);
        return findings_;
    }

private:
    void add(const char* code, const xmlNode* node, const QString& message) {
        findings_ << Finding{
            QString::fromLatin1(code), elementPath(node), message, lineOf(node), {}, {}};
    }

    // 00427, 00428.
    void checkTransmission() {
        xmlNode* formatNode = descend(header_, "DatiTrasmissione/FormatoTrasmissione");
        const QString format = text(formatNode).trimmed();
        xmlChar* attribute = xmlGetProp(root_, reinterpret_cast<const xmlChar*>("versione"));
        const QString versione =
            attribute ? QString::fromUtf8(reinterpret_cast<const char*>(attribute)) : QString();
        xmlFree(attribute);
        if (formatNode && !format.isEmpty() && !versione.isEmpty() && format != versione)
            add("00428", formatNode,
                QStringLiteral("FormatoTrasmissione %1 diverso dall'attributo versione %2 della "
                               "radice.")
                    .arg(format, versione));
        xmlNode* codeNode = descend(header_, "DatiTrasmissione/CodiceDestinatario");
        const QString code = text(codeNode).trimmed();
        if (format == QLatin1String("FPA12") && isOtherKindOfRecipientCode(true, code))
            add("00427", codeNode,
                QStringLiteral("CodiceDestinatario %1 di 7 caratteri non ammesso per una fattura "
                               "alla pubblica amministrazione (FPA12): serve il codice ufficio di "
                               "6 caratteri.")
                    .arg(code));
        if (format == QLatin1String("FPR12") && isOtherKindOfRecipientCode(false, code))
            add("00427", codeNode,
                QStringLiteral("CodiceDestinatario %1 di 6 caratteri non ammesso per una fattura "
                               "tra privati (FPR12): serve un codice di 7 caratteri.")
                    .arg(code));
    }

    // 00417, 00476.
    void checkParties() {
        xmlNode* buyer = descend(header_, "CessionarioCommittente/DatiAnagrafici");
        if (buyer && !child(buyer, "IdFiscaleIVA") && !child(buyer, "CodiceFiscale"))
            add("00417", buyer,
                QStringLiteral("Il cessionario/committente non ha né IdFiscaleIVA né "
                               "CodiceFiscale: almeno uno dei due è obbligatorio."));
        const QString sellerCountry = sellerCountry_();
        xmlNode* buyerCountryNode = descend(buyer, "IdFiscaleIVA/IdPaese");
        const QString buyerCountry = text(buyerCountryNode).trimmed();
        if (!sellerCountry.isEmpty() && !buyerCountry.isEmpty() &&
            sellerCountry != QLatin1String("IT") && buyerCountry != QLatin1String("IT"))
            add("00476", buyerCountryNode,
                QStringLiteral("IdPaese del cedente/prestatore (%1) e del cessionario/committente "
                               "(%2) entrambi diversi da IT: uno dei due deve essere italiano.")
                    .arg(sellerCountry, buyerCountry));
    }

    QString sellerCountry_() const {
        return trimmedAt(header_, "CedentePrestatore/DatiAnagrafici/IdFiscaleIVA/IdPaese");
    }
    QString sellerVat() const {
        const xmlNode* id = descend(header_, "CedentePrestatore/DatiAnagrafici/IdFiscaleIVA");
        return id ? trimmedAt(id, "IdPaese") + trimmedAt(id, "IdCodice") : QString();
    }
    QString sellerCode() const {
        return trimmedAt(header_, "CedentePrestatore/DatiAnagrafici/IdFiscaleIVA/IdCodice");
    }
    QString sellerTaxCode() const {
        return trimmedAt(header_, "CedentePrestatore/DatiAnagrafici/CodiceFiscale");
    }
    QString buyerVat() const {
        const xmlNode* id = descend(header_, "CessionarioCommittente/DatiAnagrafici/IdFiscaleIVA");
        return id ? trimmedAt(id, "IdPaese") + trimmedAt(id, "IdCodice") : QString();
    }
    QString buyerTaxCode() const {
        return trimmedAt(header_, "CessionarioCommittente/DatiAnagrafici/CodiceFiscale");
    }

    // Whether seller and buyer are the same subject: the same VAT identifier, or, for a buyer
    // known only by its tax code, a tax code equal to the seller's VAT code or tax code (the SdI
    // looks the VAT number up in its registry; offline this is the best available evidence).
    bool sameSubject() const {
        const QString buyer = buyerVat();
        if (!buyer.isEmpty())
            return buyer == sellerVat();
        const QString cf = buyerTaxCode();
        return !cf.isEmpty() && (cf == sellerCode() || cf == sellerTaxCode());
    }

    // 00471-00475 for one body.
    void checkDocumentType(const QString& type, xmlNode* typeNode,
                           const std::vector<xmlNode*>& lines) {
        static const QSet<QString> differentSubjects = {"TD16", "TD17", "TD18",
                                                        "TD19", "TD20", "TD29"};
        static const QSet<QString> foreignSeller = {"TD17", "TD18", "TD19", "TD28"};
        static const QSet<QString> buyerVatNeeded = {"TD16", "TD17", "TD18", "TD19", "TD20",
                                                     "TD22", "TD23", "TD28", "TD29"};
        if (differentSubjects.contains(type) && sameSubject())
            add("00471", typeNode,
                QStringLiteral("Con TipoDocumento %1 il cedente/prestatore (%2) non può essere "
                               "anche il cessionario/committente.")
                    .arg(type, sellerVat()));
        if (type == QLatin1String("TD21") && !sameSubject())
            add("00472", typeNode,
                QStringLiteral("Con TipoDocumento TD21 (autofattura per splafonamento) il "
                               "cessionario/committente deve essere il cedente/prestatore (%1), "
                               "non %2.")
                    .arg(sellerVat(), buyerVat().isEmpty() ? buyerTaxCode() : buyerVat()));
        const QString country = sellerCountry_();
        if (foreignSeller.contains(type) && country == QLatin1String("IT"))
            add("00473", typeNode,
                QStringLiteral("Con TipoDocumento %1 il cedente/prestatore deve essere estero: "
                               "IdPaese IT non ammesso.")
                    .arg(type));
        if (type == QLatin1String("TD29") && !country.isEmpty() && country != QLatin1String("IT"))
            add("00473", typeNode,
                QStringLiteral("Con TipoDocumento TD29 il cedente/prestatore deve essere italiano: "
                               "IdPaese %1 non ammesso.")
                    .arg(country));
        if (type == QLatin1String("TD21")) {
            for (xmlNode* line : lines) {
                xmlNode* rateNode = child(line, "AliquotaIVA");
                const auto rate = number(rateNode);
                if (rate && rate->isZero())
                    add("00474", rateNode,
                        QStringLiteral("Con TipoDocumento TD21 non sono ammesse linee con "
                                       "AliquotaIVA 0,00."));
            }
        }
        if (buyerVatNeeded.contains(type) &&
            !descend(header_, "CessionarioCommittente/DatiAnagrafici/IdFiscaleIVA"))
            add("00475", typeNode,
                QStringLiteral("Con TipoDocumento %1 il cessionario/committente deve avere "
                               "IdFiscaleIVA.")
                    .arg(type));
    }

    // 00400/00401 (lines), 00413/00414 (cassa), 00429/00430 (summaries), 00424 and 00445 for all.
    void checkRateAndNature(xmlNode* block, const char* rateName, const char* zeroCode,
                            const char* nonZeroCode, const QString& where) {
        xmlNode* rateNode = child(block, rateName);
        xmlNode* natureNode = child(block, "Natura");
        const auto rate = number(rateNode);
        const QString nature = text(natureNode).trimmed();
        if (rate) {
            if (rate->isZero() && !natureNode)
                add(zeroCode, rateNode,
                    QStringLiteral("%1 con AliquotaIVA 0,00 senza Natura: indicare la natura "
                                   "dell'operazione non imponibile, esente o fuori campo.")
                        .arg(where));
            if (!rate->isZero() && natureNode)
                add(nonZeroCode, natureNode,
                    QStringLiteral("%1 con AliquotaIVA %2 e Natura %3: la Natura va indicata "
                                   "solo con aliquota 0,00.")
                        .arg(where, it(*rate), nature));
            if (!rate->isZero() && rate->abs() < kEuro)
                add("00424", rateNode,
                    QStringLiteral("AliquotaIVA %1 non espressa in percentuale: il 22% si scrive "
                                   "22.00, non 0.22.")
                        .arg(it(*rate)));
        }
        if (nature == QLatin1String("N2") || nature == QLatin1String("N3") ||
            nature == QLatin1String("N6"))
            add("00445", natureNode,
                QStringLiteral("Natura generica %1 non più ammessa dal 1° gennaio 2021: indicare "
                               "il sottocodice (%1.1, %1.2, ...).")
                    .arg(nature));
    }

    // 00437 (document) and 00438 (line): a discount or surcharge needs a percentage or amount.
    void checkDiscounts(xmlNode* parent, const char* code) {
        for (xmlNode* discount : children(parent, "ScontoMaggiorazione")) {
            if (child(discount, "Tipo") && !child(discount, "Percentuale") &&
                !child(discount, "Importo"))
                add(code, discount,
                    QStringLiteral("ScontoMaggiorazione di tipo %1 senza Percentuale né Importo.")
                        .arg(trimmedAt(discount, "Tipo")));
        }
    }

    // 00423: PrezzoTotale = (PrezzoUnitario with each discount and surcharge applied in order, as
    // the screens apply them) × Quantita, within a cent of the exact value.
    void checkLineTotal(xmlNode* line) {
        xmlNode* totalNode = child(line, "PrezzoTotale");
        const auto total = number(totalNode);
        const auto unitPrice = number(child(line, "PrezzoUnitario"));
        if (!total || !unitPrice)
            return;
        xmlNode* quantityNode = child(line, "Quantita");
        Decimal quantity(1, 0);
        if (quantityNode) {
            const auto q = number(quantityNode);
            if (!q)
                return;
            quantity = *q;
        }
        QList<LineDiscount> discounts;
        for (xmlNode* discount : children(line, "ScontoMaggiorazione"))
            discounts.append({trimmedAt(discount, "Tipo"), number(child(discount, "Percentuale")),
                              number(child(discount, "Importo"))});
        const Decimal price = discountedPrice(*unitPrice, discounts);
        const Decimal expected = price * quantity;
        if ((*total - expected).abs() > kCent)
            add("00423", totalNode,
                QStringLiteral("PrezzoTotale %1 diverso da Quantita %2 × PrezzoUnitario%3 %4 = %5 "
                               "(tolleranza 0,01).")
                    .arg(it(*total), it(quantity),
                         children(line, "ScontoMaggiorazione").empty()
                             ? QString()
                             : QStringLiteral(" scontato"),
                         it(price), it(expected)));
    }

    struct RateTotals {
        Decimal rate;
        Decimal taxable;  // Σ DatiRiepilogo/ImponibileImporto
        Decimal lines;    // Σ DettaglioLinee/PrezzoTotale
        Decimal cassa;    // Σ DatiCassaPrevidenziale/ImportoContributoCassa
        Decimal rounding; // Σ DatiRiepilogo/Arrotondamento
        xmlNode* firstSummary = nullptr;
        bool fromLinesOrCassa = false;
    };

    void checkBody(xmlNode* body) {
        xmlNode* general = descend(body, "DatiGenerali/DatiGeneraliDocumento");
        xmlNode* goods = child(body, "DatiBeniServizi");
        const std::vector<xmlNode*> lines = children(goods, "DettaglioLinee");
        const std::vector<xmlNode*> summaries = children(goods, "DatiRiepilogo");
        const std::vector<xmlNode*> cassa = children(general, "DatiCassaPrevidenziale");
        xmlNode* typeNode = child(general, "TipoDocumento");
        const QString type = text(typeNode).trimmed();

        // 00403, 00418: dates.
        xmlNode* dateNode = child(general, "Data");
        const QDate date = QDate::fromString(text(dateNode).trimmed(), Qt::ISODate);
        if (date.isValid() && date > today_)
            add("00403", dateNode,
                QStringLiteral("Data %1 successiva alla data di oggi (%2): la fattura non può "
                               "avere una data futura.")
                    .arg(date.toString(QStringLiteral("dd/MM/yyyy")),
                         today_.toString(QStringLiteral("dd/MM/yyyy"))));
        if (type == QLatin1String("TD04") && date.isValid()) {
            for (xmlNode* linked : children(child(body, "DatiGenerali"), "DatiFattureCollegate")) {
                const QDate linkedDate = QDate::fromString(trimmedAt(linked, "Data"), Qt::ISODate);
                if (linkedDate.isValid() && date < linkedDate)
                    add("00418", dateNode,
                        QStringLiteral("Data della nota di credito %1 antecedente alla data %2 "
                                       "della fattura collegata %3.")
                            .arg(date.toString(QStringLiteral("dd/MM/yyyy")),
                                 linkedDate.toString(QStringLiteral("dd/MM/yyyy")),
                                 trimmedAt(linked, "IdDocumento")));
            }
        }

        // 00425.
        xmlNode* numberNode = child(general, "Numero");
        static const QRegularExpression digit(QStringLiteral("[0-9]"));
        if (numberNode && !text(numberNode).contains(digit))
            add("00425", numberNode,
                QStringLiteral("Numero \"%1\" senza alcuna cifra: il numero della fattura deve "
                               "contenere almeno un carattere numerico.")
                    .arg(text(numberNode)));

        checkDiscounts(general, "00437");
        checkDocumentType(type, typeNode, lines);

        // 00411, 00415: withholding.
        const bool withholding = child(general, "DatiRitenuta") != nullptr;
        for (xmlNode* line : lines) {
            if (!withholding && isSi(child(line, "Ritenuta"))) {
                add("00411", child(line, "Ritenuta"),
                    QStringLiteral("Linea soggetta a ritenuta (Ritenuta SI) ma manca DatiRitenuta "
                                   "nei dati generali del documento."));
                break;
            }
        }
        for (xmlNode* block : cassa) {
            if (!withholding && isSi(child(block, "Ritenuta"))) {
                add("00415", child(block, "Ritenuta"),
                    QStringLiteral("Contributo cassa soggetto a ritenuta (Ritenuta SI) ma manca "
                                   "DatiRitenuta nei dati generali del documento."));
                break;
            }
        }

        for (xmlNode* line : lines) {
            checkRateAndNature(line, "AliquotaIVA", "00400", "00401",
                               QStringLiteral("Linea %1").arg(trimmedAt(line, "NumeroLinea")));
            checkDiscounts(line, "00438");
            checkLineTotal(line);
        }
        for (xmlNode* block : cassa)
            checkRateAndNature(
                block, "AliquotaIVA", "00413", "00414",
                QStringLiteral("Contributo cassa %1").arg(trimmedAt(block, "TipoCassa")));
        for (xmlNode* summary : summaries) {
            checkRateAndNature(summary, "AliquotaIVA", "00429", "00430",
                               QStringLiteral("Riepilogo"));
            checkSummaryTax(summary);
            const QString nature = trimmedAt(summary, "Natura");
            if (trimmedAt(summary, "EsigibilitaIVA") == QLatin1String("S") &&
                nature.startsWith(QLatin1String("N6")))
                add("00420", child(summary, "Natura"),
                    QStringLiteral("Natura %1 (inversione contabile) non ammessa con "
                                   "EsigibilitaIVA S (scissione dei pagamenti).")
                        .arg(nature));
        }
        checkSummariesAgainstLines(goods, lines, cassa, summaries);
    }

    // 00421: Imposta = AliquotaIVA × ImponibileImporto / 100 rounded half-up to the cent; a
    // difference of one cent is tolerated.
    void checkSummaryTax(xmlNode* summary) {
        const auto rate = number(child(summary, "AliquotaIVA"));
        const auto taxable = number(child(summary, "ImponibileImporto"));
        xmlNode* taxNode = child(summary, "Imposta");
        const auto tax = number(taxNode);
        if (!rate || !taxable || !tax)
            return;
        const Decimal expected = summaryTax(*taxable, *rate);
        if ((*tax - expected).abs() > kCent)
            add("00421", taxNode,
                QStringLiteral("Imposta %1 diversa da AliquotaIVA %2% × ImponibileImporto %3 = %4 "
                               "(arrotondato al centesimo, tolleranza 0,01).")
                    .arg(it(*tax), it(*rate), it(*taxable), it(expected)));
    }

    // 00419, 00443, 00444, 00422.
    void checkSummariesAgainstLines(xmlNode* goods, const std::vector<xmlNode*>& lines,
                                    const std::vector<xmlNode*>& cassa,
                                    const std::vector<xmlNode*>& summaries) {
        std::map<QString, RateTotals> byRate;
        QSet<QString> summaryNatures;
        QList<QPair<QString, xmlNode*>> usedNatures;
        auto totalsFor = [&](const Decimal& rate) -> RateTotals& {
            RateTotals& t = byRate[rate.toString()];
            t.rate = rate;
            return t;
        };
        for (xmlNode* summary : summaries) {
            const auto rate = number(child(summary, "AliquotaIVA"));
            if (const xmlNode* n = child(summary, "Natura"))
                summaryNatures.insert(text(n).trimmed());
            if (!rate)
                continue;
            RateTotals& t = totalsFor(*rate);
            if (!t.firstSummary)
                t.firstSummary = summary;
            if (const auto v = number(child(summary, "ImponibileImporto")))
                t.taxable = t.taxable + *v;
            if (const auto v = number(child(summary, "Arrotondamento")))
                t.rounding = t.rounding + *v;
        }
        QList<QPair<Decimal, xmlNode*>> usedRates;
        for (xmlNode* line : lines) {
            const auto rate = number(child(line, "AliquotaIVA"));
            if (xmlNode* n = child(line, "Natura"))
                usedNatures << qMakePair(text(n).trimmed(), n);
            if (!rate)
                continue;
            RateTotals& t = totalsFor(*rate);
            t.fromLinesOrCassa = true;
            usedRates << qMakePair(*rate, child(line, "AliquotaIVA"));
            if (const auto v = number(child(line, "PrezzoTotale")))
                t.lines = t.lines + *v;
        }
        for (xmlNode* block : cassa) {
            const auto rate = number(child(block, "AliquotaIVA"));
            if (xmlNode* n = child(block, "Natura"))
                usedNatures << qMakePair(text(n).trimmed(), n);
            if (!rate)
                continue;
            RateTotals& t = totalsFor(*rate);
            t.fromLinesOrCassa = true;
            usedRates << qMakePair(*rate, child(block, "AliquotaIVA"));
            if (const auto v = number(child(block, "ImportoContributoCassa")))
                t.cassa = t.cassa + *v;
        }

        int distinctRates = 0;
        for (const auto& [key, t] : byRate)
            distinctRates += t.fromLinesOrCassa ? 1 : 0;
        if (int(summaries.size()) < distinctRates)
            add("00419", goods,
                QStringLiteral("%1 blocchi DatiRiepilogo per %2 aliquote IVA diverse nelle linee e "
                               "nei contributi cassa: serve almeno un riepilogo per aliquota.")
                    .arg(summaries.size())
                    .arg(distinctRates));

        QSet<QString> reported;
        for (const auto& [rate, node] : usedRates) {
            const RateTotals& t = byRate[rate.toString()];
            if (!t.firstSummary && !reported.contains(rate.toString())) {
                reported.insert(rate.toString());
                add("00443", node,
                    QStringLiteral("AliquotaIVA %1% usata nelle linee o nei contributi cassa ma "
                                   "assente nei DatiRiepilogo.")
                        .arg(it(rate)));
            }
        }
        QSet<QString> reportedNatures;
        for (const auto& [nature, node] : usedNatures) {
            if (!nature.isEmpty() && !summaryNatures.contains(nature) &&
                !reportedNatures.contains(nature)) {
                reportedNatures.insert(nature);
                add("00444", node,
                    QStringLiteral("Natura %1 usata nelle linee o nei contributi cassa ma assente "
                                   "nei DatiRiepilogo.")
                        .arg(nature));
            }
        }

        // A rate with lines but no summary has a taxable amount of 0 against its lines, as the
        // exchange system counts it (besides 00419 and 00443).
        for (const auto& [key, t] : byRate) {
            const Decimal expected = t.lines + t.cassa + t.rounding;
            if ((t.taxable - expected).abs() <= kEuro)
                continue;
            xmlNode* where = t.firstSummary ? child(t.firstSummary, "ImponibileImporto") : nullptr;
            for (const auto& [rate, node] : usedRates) {
                if (!where && rate.toString() == key)
                    where = node;
            }
            add("00422", where,
                QStringLiteral("ImponibileImporto per l'aliquota %1%: %2%3 diverso da PrezzoTotale "
                               "delle linee %4 + ImportoContributoCassa %5 + Arrotondamento %6 "
                               "= %7 (tolleranza 1 euro).")
                    .arg(it(t.rate), it(t.taxable),
                         t.firstSummary ? QString() : QStringLiteral(" (nessun DatiRiepilogo)"),
                         it(t.lines), it(t.cassa), it(t.rounding), it(expected)));
        }
    }

    // 00409: two bodies of one file with the same number in the same year (the same date when
    // Art73 is SI); a credit note only collides with another credit note.
    void checkDuplicatesInLot(const std::vector<xmlNode*>& bodies) {
        QHash<QString, int> seen;
        for (size_t i = 0; i < bodies.size(); ++i) {
            xmlNode* general = descend(bodies[i], "DatiGenerali/DatiGeneraliDocumento");
            xmlNode* numberNode = child(general, "Numero");
            const QString numero = text(numberNode).trimmed();
            const QDate date = QDate::fromString(trimmedAt(general, "Data"), Qt::ISODate);
            if (numero.isEmpty() || !date.isValid())
                continue;
            const bool art73 = trimmedAt(general, "Art73") == QLatin1String("SI");
            const bool creditNote = trimmedAt(general, "TipoDocumento") == QLatin1String("TD04");
            const QString key =
                numero + u'|' +
                (art73 ? date.toString(Qt::ISODate) : QString::number(date.year())) + u'|' +
                (creditNote ? u'C' : u'F');
            const auto earlier = seen.constFind(key);
            if (earlier != seen.constEnd()) {
                add("00409", numberNode,
                    QStringLiteral("Numero %1 del %2 già usato dal corpo %3 dello stesso file.")
                        .arg(numero, art73 ? date.toString(QStringLiteral("dd/MM/yyyy"))
                                           : QString::number(date.year()))
                        .arg(*earlier));
                continue;
            }
            seen.insert(key, int(i) + 1);
        }
    }

    xmlNode* root_;
    xmlNode* header_ = nullptr;
    QDate today_;
    Findings findings_;
};

// 00001: country code, the transmitter's identifier, "_", a progressive of up to five letters
// or digits, ".xml" (the signed ".xml.p7m" too).
void checkFileName(const QString& name, Findings& findings) {
    static const QRegularExpression valid(
        QStringLiteral("^[A-Z]{2}[A-Za-z0-9]{2,28}_[A-Za-z0-9]{1,5}\\.xml(\\.p7m)?$"),
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression country(QStringLiteral("^[A-Z]{2}"));
    if (name.isEmpty())
        return;
    if (valid.match(name).hasMatch() && country.match(name).hasMatch()) {
        // An Italian transmitter is named by its VAT number (11 characters) or its tax code (16).
        const QString id = name.mid(2, name.indexOf(u'_') - 2);
        if (name.startsWith(QLatin1String("IT")) && characters(id) != 11 && characters(id) != 16)
            findings << Finding{QStringLiteral("00001"),
                                QString(),
                                QStringLiteral("Nome file \"%1\" non valido: l'identificativo "
                                               "italiano %2 ha %3 caratteri, ne servono 11 "
                                               "(partita IVA) o 16 (codice fiscale).")
                                    .arg(name, id)
                                    .arg(characters(id)),
                                0,
                                {},
                                {}};
        return;
    }
    findings << Finding{QStringLiteral("00001"),
                        QString(),
                        QStringLiteral("Nome file \"%1\" non valido: deve essere codice paese, "
                                       "identificativo fiscale del trasmittente, \"_\", "
                                       "progressivo di al massimo 5 caratteri alfanumerici ed "
                                       "estensione .xml (es. IT01234567890_00001.xml).")
                            .arg(name),
                        0,
                        {},
                        {}};
}

struct Silence {
    Silence() { xmlSetStructuredErrorFunc(this, collect); }
    ~Silence() { xmlSetStructuredErrorFunc(nullptr, nullptr); }
    static void collect(void* self, xmlErrorPtr error) {
        auto* s = static_cast<Silence*>(self);
        if (s->message.isEmpty() && error && error->message) {
            s->message = QString::fromUtf8(error->message).trimmed();
            s->line = error->line;
        }
    }
    QString message;
    int line = 0;
};

} // namespace

Findings checkFileName(const QString& name) {
    Findings findings;
    checkFileName(name, findings);
    return findings;
}

Findings checkInvoice(const QByteArray& bytes, const Options& options) {
    Findings findings;
    checkFileName(options.fileName, findings);
    // Looked for without a trimmed copy: a file of several megabytes is not copied to learn
    // that it holds something.
    const bool blank = std::all_of(bytes.cbegin(), bytes.cend(), [](char c) {
        return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
    });
    if (blank) {
        findings << Finding{QStringLiteral("00106"),
                            QString(),
                            QStringLiteral("File vuoto: non contiene alcuna fattura."),
                            0,
                            {},
                            {}};
        return findings;
    }
    // Declarations and entity references are reported and the rest of the file is read without
    // them; a file nested too deep, or in an encoding the screening cannot read, is not parsed.
    const XmlScreening screening = screenXml(bytes);
    for (const XmlHazard& hazard : screening.hazards) {
        QString message = hazard.text();
        if (!screening.withoutHazards.isEmpty()) {
            message.chop(1); // the full stop
            message += hazard.kind == XmlHazard::Kind::Declaration
                           ? QStringLiteral("; il resto del file è controllato senza di essa.")
                           : QStringLiteral("; il resto del file è controllato senza questi "
                                            "riferimenti.");
        }
        findings << Finding{QStringLiteral("00200"), QString(), message, hazard.line, {}, {}};
    }
    if (!screening.safe() && screening.withoutHazards.isEmpty())
        return findings;
    const QByteArray& parsed = screening.safe() ? bytes : screening.withoutHazards;
    xmlDoc* doc = nullptr;
    QString parseError;
    int parseLine = 0;
    {
        Silence silence;
        doc = xmlReadMemory(parsed.constData(), int(parsed.size()), nullptr, nullptr,
                            XML_PARSE_NONET | XML_PARSE_BIG_LINES);
        parseError = silence.message;
        parseLine = silence.line;
    }
    if (!doc) {
        findings << Finding{QStringLiteral("00200"),
                            QString(),
                            QStringLiteral("Riga %1: il file non è un XML ben formato (%2).")
                                .arg(parseLine)
                                .arg(parseError),
                            parseLine,
                            {},
                            {}};
        return findings;
    }
    findings << validateSchema(doc);
    xmlNode* root = xmlDocGetRootElement(doc);
    if (root && xmlStrEqual(root->name, reinterpret_cast<const xmlChar*>("FatturaElettronica")))
        findings << ContentRules(root,
                                 options.today.isValid() ? options.today : QDate::currentDate())
                        .run();
    xmlFreeDoc(doc);
    return findings;
}

Findings checkSignedInvoice(const SignedFile& file, const Options& options) {
    Findings findings;
    if (!file.intact)
        findings << Finding{QStringLiteral("00102"),
                            QString(),
                            QStringLiteral("Firma di %1 non integra: il contenuto è stato "
                                           "modificato dopo la firma, o la firma è danneggiata.")
                                .arg(file.signer.isEmpty()
                                         ? QStringLiteral("firmatario sconosciuto")
                                         : file.signer),
                            0,
                            {},
                            {}};
    findings << checkInvoice(file.content, options);
    return findings;
}

} // namespace brevalto::check
