#include "check/Checker.h"

#include "check/CheckTree.h"
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
#include <libxml/parserInternals.h>
#include <libxml/xmlschemas.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <new>
#include <optional>

namespace brevalto::check {

namespace {

const Decimal kCent(1, 2);
const Decimal kEuro(1, 0);

QString it(const Decimal& d) {
    return d.toItalian(2);
}

std::optional<Decimal> number(const Node* node) {
    if (!node)
        return std::nullopt;
    return Decimal::parse(text(node));
}

bool isSi(const Node* node) {
    return node && text(node).trimmed() == QLatin1String("SI");
}

QString trimmedAt(const Node* parent, const char* path) {
    return textAt(parent, path).trimmed();
}

// A finding whose element path is finished once the part of the file it names is read: the
// path of `anchor` (a node kept to the end), then what `finding.element` already holds (the
// path below it, for a node let go before the end).
struct Pending {
    Finding finding;
    const Node* anchor = nullptr;
};

Finding resolved(Pending p) {
    const QString above = elementPath(p.anchor);
    if (p.finding.element.isEmpty())
        p.finding.element = above;
    else if (!above.isEmpty())
        p.finding.element = above + u'/' + p.finding.element;
    return p.finding;
}

// What the rules need of the lines of one body, gathered line by line as the file is read (each
// line is let go once read), in the order the rules give their findings.
struct BodyLines {
    bool typeKnown = false;             // the body's TipoDocumento was read before its lines
    std::vector<Pending> zeroRate;      // 00474 for a TD21, the lines with AliquotaIVA 0
    std::optional<Pending> withholding; // 00411, the first line with Ritenuta SI
    std::vector<Pending> rules;         // 00400, 00401, 00424, 00445, 00438, 00423 line by line
    struct Rate {
        Decimal rate; // the last written form of the rate
        Decimal lines;
    };
    std::map<QString, Rate> rates;
    // The first line of each rate and of each nature: where 00443, 00444 and 00422 point.
    std::vector<std::pair<Decimal, Pending>> firstRates;
    std::vector<std::pair<QString, Pending>> firstNatures;
};

// The content rules of the SdI that need no outside database. The lines of each body are read
// as they come (line()); the rest once the whole file is read (run()).
class ContentRules {
public:
    explicit ContentRules(QDate today) : today_(today) {}

    // One line of a body (the line's DatiBeniServizi is its parent, the body above it).
    void line(Node* lineNode) {
        const Node* goods = lineNode->parent;
        BodyLines& facts = lines_[goods->parent];
        const Node* typeNode =
            descend(goods->parent, "DatiGenerali/DatiGeneraliDocumento/TipoDocumento");
        const Node* general = descend(goods->parent, "DatiGenerali/DatiGeneraliDocumento");
        facts.typeKnown = general != nullptr;
        anchorLine_ = lineNode;
        sink_ = &facts.rules;

        Node* rateNode = child(lineNode, "AliquotaIVA");
        const auto rate = number(rateNode);
        // TD21 (00474): known here in any file the schema accepts, otherwise kept for the end.
        if (rate && rate->isZero() &&
            (!facts.typeKnown || text(typeNode).trimmed() == QLatin1String("TD21")))
            facts.zeroRate.push_back(
                pending("00474", rateNode,
                        QStringLiteral("Con TipoDocumento TD21 non sono "
                                       "ammesse linee con AliquotaIVA 0,00.")));
        if (!facts.withholding && isSi(child(lineNode, "Ritenuta")))
            facts.withholding = pending(
                "00411", child(lineNode, "Ritenuta"),
                QStringLiteral("Linea soggetta a ritenuta (Ritenuta SI) ma manca DatiRitenuta "
                               "nei dati generali del documento."));

        checkRateAndNature(lineNode, "AliquotaIVA", "00400", "00401",
                           QStringLiteral("Linea %1").arg(trimmedAt(lineNode, "NumeroLinea")));
        checkDiscounts(lineNode, "00438");
        checkLineTotal(lineNode);

        if (Node* n = child(lineNode, "Natura")) {
            const QString nature = text(n).trimmed();
            const bool seen = std::any_of(facts.firstNatures.cbegin(), facts.firstNatures.cend(),
                                          [&](const auto& f) { return f.first == nature; });
            if (!nature.isEmpty() && !seen)
                facts.firstNatures.emplace_back(nature, pending("", n, QString()));
        }
        if (rate) {
            const QString key = rate->toString();
            const auto found = facts.rates.find(key);
            if (found == facts.rates.end())
                facts.firstRates.emplace_back(*rate, pending("", rateNode, QString()));
            BodyLines::Rate& r = facts.rates[key];
            r.rate = *rate;
            if (const auto v = number(child(lineNode, "PrezzoTotale")))
                r.lines = r.lines + *v;
        }
        anchorLine_ = nullptr;
        sink_ = nullptr;
    }

    Findings run(Node* root) {
        root_ = root;
        header_ = child(root_, "FatturaElettronicaHeader");
        checkTransmission();
        checkParties();
        const std::vector<Node*> bodies = children(root_, "FatturaElettronicaBody");
        for (Node* body : bodies)
            checkBody(body);
        checkDuplicatesInLot(bodies);
        Findings findings;
        for (Pending& p : findings_)
            findings << resolved(std::move(p));
        return findings;
    }

private:
    // A finding on node: within the line being read, its path below the line's DatiBeniServizi
    // now (the line is let go after); elsewhere the whole path once the file is read.
    Pending pending(const char* code, const Node* node, const QString& message) const {
        if (anchorLine_ && node && isInside(node, anchorLine_))
            return {Finding{QString::fromLatin1(code),
                            elementPathBelow(node, anchorLine_->parent),
                            message,
                            lineOf(node),
                            {},
                            {}},
                    anchorLine_->parent};
        return {Finding{QString::fromLatin1(code), QString(), message, lineOf(node), {}, {}}, node};
    }

    void add(const char* code, const Node* node, const QString& message) {
        (sink_ ? *sink_ : findings_).push_back(pending(code, node, message));
    }
    void add(const Pending& p) { findings_.push_back(p); }
    // A finding at a place noted earlier.
    void add(Pending place, const char* code, const QString& message) {
        place.finding.code = QString::fromLatin1(code);
        place.finding.message = message;
        findings_.push_back(std::move(place));
    }

    // 00427, 00428.
    void checkTransmission() {
        Node* formatNode = descend(header_, "DatiTrasmissione/FormatoTrasmissione");
        const QString format = text(formatNode).trimmed();
        const QString versione = QString::fromUtf8(root_->versione);
        if (formatNode && !format.isEmpty() && !versione.isEmpty() && format != versione)
            add("00428", formatNode,
                QStringLiteral("FormatoTrasmissione %1 diverso dall'attributo versione %2 della "
                               "radice.")
                    .arg(format, versione));
        Node* codeNode = descend(header_, "DatiTrasmissione/CodiceDestinatario");
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
        Node* buyer = descend(header_, "CessionarioCommittente/DatiAnagrafici");
        if (buyer && !child(buyer, "IdFiscaleIVA") && !child(buyer, "CodiceFiscale"))
            add("00417", buyer,
                QStringLiteral("Il cessionario/committente non ha né IdFiscaleIVA né "
                               "CodiceFiscale: almeno uno dei due è obbligatorio."));
        const QString sellerCountry = sellerCountry_();
        Node* buyerCountryNode = descend(buyer, "IdFiscaleIVA/IdPaese");
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
        const Node* id = descend(header_, "CedentePrestatore/DatiAnagrafici/IdFiscaleIVA");
        return id ? trimmedAt(id, "IdPaese") + trimmedAt(id, "IdCodice") : QString();
    }
    QString sellerCode() const {
        return trimmedAt(header_, "CedentePrestatore/DatiAnagrafici/IdFiscaleIVA/IdCodice");
    }
    QString sellerTaxCode() const {
        return trimmedAt(header_, "CedentePrestatore/DatiAnagrafici/CodiceFiscale");
    }
    QString buyerVat() const {
        const Node* id = descend(header_, "CessionarioCommittente/DatiAnagrafici/IdFiscaleIVA");
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
    void checkDocumentType(const QString& type, Node* typeNode, const BodyLines& lines) {
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
            for (const Pending& p : lines.zeroRate)
                add(p);
        }
        if (buyerVatNeeded.contains(type) &&
            !descend(header_, "CessionarioCommittente/DatiAnagrafici/IdFiscaleIVA"))
            add("00475", typeNode,
                QStringLiteral("Con TipoDocumento %1 il cessionario/committente deve avere "
                               "IdFiscaleIVA.")
                    .arg(type));
    }

    // 00400/00401 (lines), 00413/00414 (cassa), 00429/00430 (summaries), 00424 and 00445 for all.
    void checkRateAndNature(Node* block, const char* rateName, const char* zeroCode,
                            const char* nonZeroCode, const QString& where) {
        Node* rateNode = child(block, rateName);
        Node* natureNode = child(block, "Natura");
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
    void checkDiscounts(Node* parent, const char* code) {
        for (Node* discount : children(parent, "ScontoMaggiorazione")) {
            if (child(discount, "Tipo") && !child(discount, "Percentuale") &&
                !child(discount, "Importo"))
                add(code, discount,
                    QStringLiteral("ScontoMaggiorazione di tipo %1 senza Percentuale né Importo.")
                        .arg(trimmedAt(discount, "Tipo")));
        }
    }

    // 00423: PrezzoTotale = (PrezzoUnitario with each discount and surcharge applied in order, as
    // the screens apply them) × Quantita, within a cent of the exact value.
    void checkLineTotal(Node* line) {
        Node* totalNode = child(line, "PrezzoTotale");
        const auto total = number(totalNode);
        const auto unitPrice = number(child(line, "PrezzoUnitario"));
        if (!total || !unitPrice)
            return;
        Node* quantityNode = child(line, "Quantita");
        Decimal quantity(1, 0);
        if (quantityNode) {
            const auto q = number(quantityNode);
            if (!q)
                return;
            quantity = *q;
        }
        QList<LineDiscount> discounts;
        for (Node* discount : children(line, "ScontoMaggiorazione"))
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
        Node* firstSummary = nullptr;
        bool fromLinesOrCassa = false;
    };

    void checkBody(Node* body) {
        Node* general = descend(body, "DatiGenerali/DatiGeneraliDocumento");
        Node* goods = child(body, "DatiBeniServizi");
        static const BodyLines none;
        const auto read = lines_.find(body);
        const BodyLines& lines = read == lines_.end() ? none : read->second;
        const std::vector<Node*> summaries = children(goods, "DatiRiepilogo");
        const std::vector<Node*> cassa = children(general, "DatiCassaPrevidenziale");
        Node* typeNode = child(general, "TipoDocumento");
        const QString type = text(typeNode).trimmed();

        // 00403, 00418: dates.
        Node* dateNode = child(general, "Data");
        const QDate date = QDate::fromString(text(dateNode).trimmed(), Qt::ISODate);
        if (date.isValid() && date > today_)
            add("00403", dateNode,
                QStringLiteral("Data %1 successiva alla data di oggi (%2): la fattura non può "
                               "avere una data futura.")
                    .arg(date.toString(QStringLiteral("dd/MM/yyyy")),
                         today_.toString(QStringLiteral("dd/MM/yyyy"))));
        if (type == QLatin1String("TD04") && date.isValid()) {
            for (Node* linked : children(child(body, "DatiGenerali"), "DatiFattureCollegate")) {
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
        Node* numberNode = child(general, "Numero");
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
        if (!withholding && lines.withholding)
            add(*lines.withholding);
        for (Node* block : cassa) {
            if (!withholding && isSi(child(block, "Ritenuta"))) {
                add("00415", child(block, "Ritenuta"),
                    QStringLiteral("Contributo cassa soggetto a ritenuta (Ritenuta SI) ma manca "
                                   "DatiRitenuta nei dati generali del documento."));
                break;
            }
        }

        for (const Pending& p : lines.rules)
            add(p);
        for (Node* block : cassa)
            checkRateAndNature(
                block, "AliquotaIVA", "00413", "00414",
                QStringLiteral("Contributo cassa %1").arg(trimmedAt(block, "TipoCassa")));
        for (Node* summary : summaries) {
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
    void checkSummaryTax(Node* summary) {
        const auto rate = number(child(summary, "AliquotaIVA"));
        const auto taxable = number(child(summary, "ImponibileImporto"));
        Node* taxNode = child(summary, "Imposta");
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
    void checkSummariesAgainstLines(Node* goods, const BodyLines& lines,
                                    const std::vector<Node*>& cassa,
                                    const std::vector<Node*>& summaries) {
        std::map<QString, RateTotals> byRate;
        QSet<QString> summaryNatures;
        std::vector<std::pair<QString, Pending>> usedNatures = lines.firstNatures;
        auto totalsFor = [&](const Decimal& rate) -> RateTotals& {
            RateTotals& t = byRate[rate.toString()];
            t.rate = rate;
            return t;
        };
        for (Node* summary : summaries) {
            const auto rate = number(child(summary, "AliquotaIVA"));
            if (const Node* n = child(summary, "Natura"))
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
        std::vector<std::pair<Decimal, Pending>> usedRates = lines.firstRates;
        for (const auto& [key, r] : lines.rates) {
            RateTotals& t = totalsFor(r.rate);
            t.fromLinesOrCassa = true;
            t.lines = t.lines + r.lines;
        }
        for (Node* block : cassa) {
            const auto rate = number(child(block, "AliquotaIVA"));
            if (Node* n = child(block, "Natura"))
                usedNatures.emplace_back(text(n).trimmed(), pending("", n, QString()));
            if (!rate)
                continue;
            RateTotals& t = totalsFor(*rate);
            t.fromLinesOrCassa = true;
            usedRates.emplace_back(*rate, pending("", child(block, "AliquotaIVA"), QString()));
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
        for (const auto& [rate, place] : usedRates) {
            const RateTotals& t = byRate[rate.toString()];
            if (!t.firstSummary && !reported.contains(rate.toString())) {
                reported.insert(rate.toString());
                add(place, "00443",
                    QStringLiteral("AliquotaIVA %1% usata nelle linee o nei contributi cassa ma "
                                   "assente nei DatiRiepilogo.")
                        .arg(it(rate)));
            }
        }
        QSet<QString> reportedNatures;
        for (const auto& [nature, place] : usedNatures) {
            if (!nature.isEmpty() && !summaryNatures.contains(nature) &&
                !reportedNatures.contains(nature)) {
                reportedNatures.insert(nature);
                add(place, "00444",
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
            const Node* summaryPlace =
                t.firstSummary ? child(t.firstSummary, "ImponibileImporto") : nullptr;
            Pending where = pending("", summaryPlace, QString());
            if (!summaryPlace) {
                for (const auto& [rate, place] : usedRates) {
                    if (rate.toString() == key) {
                        where = place;
                        break;
                    }
                }
            }
            add(where, "00422",
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
    void checkDuplicatesInLot(const std::vector<Node*>& bodies) {
        QHash<QString, int> seen;
        for (size_t i = 0; i < bodies.size(); ++i) {
            Node* general = descend(bodies[i], "DatiGenerali/DatiGeneraliDocumento");
            Node* numberNode = child(general, "Numero");
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

    Node* root_ = nullptr;
    Node* header_ = nullptr;
    QDate today_;
    std::vector<Pending> findings_;
    // Where the findings of the line being read go, and that line.
    std::vector<Pending>* sink_ = nullptr;
    const Node* anchorLine_ = nullptr;
    std::map<const Node*, BodyLines> lines_;
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

bool named(const Node* n, const char* name) {
    return n && n->isElement() && std::strcmp(n->name, name) == 0;
}

} // namespace

// The file goes through libxml2's parser with the schema validator plugged into its events;
// the same events build the part of the file the content rules read. A schema error is about
// the element whose start, text or end the validator is looking at: the element just started,
// the one whose text came, or the one just ended (libxml2 gives this program's handlers each
// event before its validator). A line of a body is handed to the rules and let go at the event
// after its end, once the validator has said what it had to say about it.
struct InvoiceCheck::State {
    Options options;
    ContentRules rules;
    xmlSAXHandler sax{};
    xmlSAXHandlerPtr saxInUse = &sax;
    void* userData = this;
    xmlParserCtxtPtr parser = nullptr;
    xmlSchemaValidCtxtPtr validator = nullptr;
    xmlSchemaSAXPlugPtr plug = nullptr;
    bool schemaMissing = false;

    std::unique_ptr<Node> root;
    Node* current = nullptr;
    Node* subject = nullptr; // what the validator is looking at
    bool invoice = false;    // the root is FatturaElettronica

    Node* line = nullptr;     // the line of a body being read
    bool lineCounts = false;  // it is in the body's first DatiBeniServizi
    Node* doneLine = nullptr; // read to its end, not yet let go
    size_t lineErrorsFrom = 0;

    std::vector<Pending> schemaErrors;
    int schemaErrorCount = 0;
    const Node* lastErrorNode = nullptr;
    QByteArray lastErrorAttribute;

    QString parseError;
    int parseLine = 0;

    explicit State(const Options& o)
        : options(o), rules(o.today.isValid() ? o.today : QDate::currentDate()) {
        xmlSchemaPtr schema = officialSchema();
        sax.initialized = XML_SAX2_MAGIC;
        sax.startElementNs = startElement;
        sax.endElementNs = endElement;
        sax.characters = characters;
        sax.ignorableWhitespace = characters;
        sax.cdataBlock = characters;
        if (!schema) {
            schemaMissing = true;
            return;
        }
        validator = xmlSchemaNewValidCtxt(schema);
        xmlSchemaSetValidStructuredErrors(validator, schemaError, this);
        plug = xmlSchemaSAXPlug(validator, &saxInUse, &userData);
    }

    ~State() {
        if (plug)
            xmlSchemaSAXUnplug(plug);
        if (validator)
            xmlSchemaFreeValidCtxt(validator);
        if (parser)
            xmlFreeParserCtxt(parser);
    }

    static State* of(void* data) { return static_cast<State*>(data); }

    int lineNow() const { return parser && parser->input ? parser->input->line : 0; }

    // Lets go of a line read to its end: the rules read it, the schema errors inside it get
    // their path below its DatiBeniServizi.
    void letGoOfLine() {
        if (!doneLine)
            return;
        Node* goods = doneLine->parent;
        if (lineCounts)
            rules.line(doneLine);
        for (size_t i = lineErrorsFrom; i < schemaErrors.size(); ++i) {
            Pending& p = schemaErrors[i];
            if (p.anchor && isInside(p.anchor, doneLine)) {
                p.finding.element = elementPathBelow(p.anchor, goods);
                p.anchor = goods;
            }
        }
        goods->remove(doneLine);
        doneLine = nullptr;
        subject = nullptr;
        lastErrorNode = nullptr;
    }

    static void startElement(void* data, const xmlChar* localname, const xmlChar*, const xmlChar*,
                             int, const xmlChar**, int attributeCount, int,
                             const xmlChar** attributes) {
        State* s = of(data);
        s->letGoOfLine();
        const char* name = reinterpret_cast<const char*>(localname);
        Node* node = nullptr;
        if (!s->current) {
            if (s->root)
                return;
            s->root = std::make_unique<Node>();
            node = s->root.get();
            node->name = name;
            node->line = s->lineNow();
            s->invoice = std::strcmp(name, "FatturaElettronica") == 0;
            for (int i = 0; i < attributeCount; ++i) {
                const xmlChar* const* a = attributes + 5 * i;
                if (xmlStrEqual(a[0], reinterpret_cast<const xmlChar*>("versione"))) {
                    node->versione =
                        QByteArray(reinterpret_cast<const char*>(a[3]), int(a[4] - a[3]));
                    break;
                }
            }
        } else {
            node = s->current->addElement(name, s->lineNow());
            Node* goods = s->current;
            if (!s->line && std::strcmp(name, "DettaglioLinee") == 0 &&
                named(goods, "DatiBeniServizi") && named(goods->parent, "FatturaElettronicaBody") &&
                goods->parent->parent == s->root.get()) {
                s->line = node;
                s->lineCounts = s->invoice && goods->index == 1;
                s->lineErrorsFrom = s->schemaErrors.size();
            }
        }
        s->current = node;
        s->subject = node;
    }

    static void endElement(void* data, const xmlChar*, const xmlChar*, const xmlChar*) {
        State* s = of(data);
        s->letGoOfLine();
        if (!s->current)
            return;
        s->subject = s->current;
        if (s->current == s->line) {
            s->doneLine = s->line;
            s->line = nullptr;
        }
        s->current = s->current->parent;
    }

    static void characters(void* data, const xmlChar* text, int length) {
        State* s = of(data);
        s->letGoOfLine();
        Node* node = s->current;
        if (!node)
            return;
        s->subject = node;
        // Never read by the rules: the base64 of an attached file (megabytes), and what stands
        // between the lines of a body.
        if ((named(node, "Attachment") && named(node->parent, "Allegati")) ||
            (named(node, "DatiBeniServizi") && named(node->parent, "FatturaElettronicaBody") &&
             node->parent->parent == s->root.get()))
            return;
        node->addText(reinterpret_cast<const char*>(text), length);
    }

    static void schemaError(void* data, xmlErrorPtr error) {
        State* s = of(data);
        const QString message = QString::fromUtf8(error->message ? error->message : "");
        // An error about an attribute names no element, as the attribute is no element.
        static const QRegularExpression attribute(
            QStringLiteral("^Element '[^']+', attribute '([^']+)'"));
        const QRegularExpressionMatch m = attribute.match(message);
        const QByteArray attributeName = m.hasMatch() ? m.captured(1).toUtf8() : QByteArray();
        const Node* node = s->subject;
        // libxml2 follows a facet error with a second one on the same element ("... is not a
        // valid value of the atomic type"): the first says more.
        if (node && node == s->lastErrorNode && attributeName == s->lastErrorAttribute)
            return;
        s->lastErrorNode = node;
        s->lastErrorAttribute = attributeName;
        ++s->schemaErrorCount;
        if (s->schemaErrorCount > kMaxSchemaErrors)
            return;
        int line = node ? node->line : error->line;
        if (line <= 0)
            line = error->line;
        s->schemaErrors.push_back({schemaFinding(line, message), m.hasMatch() ? nullptr : node});
    }

    void parse(const char* data, int size, bool last) {
        Silence silence;
        if (!parser) {
            const int head = std::min(size, 4);
            parser = xmlCreatePushParserCtxt(saxInUse, userData, data, head, nullptr);
            if (!parser)
                throw std::bad_alloc();
            xmlCtxtUseOptions(parser, XML_PARSE_NONET | XML_PARSE_BIG_LINES);
            data += head;
            size -= head;
        }
        if (size > 0 || last)
            xmlParseChunk(parser, data, size, last ? 1 : 0);
        if (parseError.isEmpty() && !silence.message.isEmpty()) {
            parseError = silence.message;
            parseLine = silence.line;
        }
    }

    Findings finish() {
        parse(nullptr, 0, true);
        letGoOfLine();
        Findings findings;
        if (!parser->wellFormed) {
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
        if (schemaMissing)
            findings << check::schemaMissing();
        for (Pending& p : schemaErrors)
            findings << resolved(std::move(p));
        if (schemaErrorCount > kMaxSchemaErrors)
            findings << tooManySchemaErrors(schemaErrorCount);
        if (root && invoice)
            findings << rules.run(root.get());
        return findings;
    }
};

InvoiceCheck::InvoiceCheck(const Options& options) : d_(std::make_unique<State>(options)) {}

InvoiceCheck::~InvoiceCheck() = default;

void InvoiceCheck::add(const char* data, qsizetype size) {
    // In pieces an int can count; the parser copies what it has not used yet.
    constexpr qsizetype kPiece = 1 << 16;
    for (qsizetype at = 0; at < size; at += kPiece)
        d_->parse(data + at, int(std::min(kPiece, size - at)), false);
}

Findings InvoiceCheck::finish() {
    return d_->finish();
}

Findings checkFileName(const QString& name) {
    Findings findings;
    checkFileName(name, findings);
    return findings;
}

Finding tooLargeFinding(qint64 size) {
    return Finding{
        QStringLiteral("00003"),
        QString(),
        QStringLiteral("Il file è di %1 MB: supera i 5 MB che il Sistema di Interscambio accetta "
                       "e sarebbe scartato. Alleggerire gli allegati o dividere i corpi in più "
                       "documenti.")
            .arg(QString::number(double(size) / (1024.0 * 1024.0), 'f', 1).replace(u'.', u',')),
        0,
        {},
        {}};
}

Findings checkInvoice(const QByteArray& bytes, const Options& options) {
    if (bytes.size() <= kMaxFileSize)
        return checkInvoiceWhole(bytes, options);
    // The exchange system refuses a file for its size before reading it: nothing else is said.
    Findings findings;
    checkFileName(options.fileName, findings);
    findings << tooLargeFinding(bytes.size());
    return findings;
}

Findings checkInvoiceWhole(const QByteArray& bytes, const Options& options) {
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
    InvoiceCheck stream(options);
    stream.add(parsed.constData(), parsed.size());
    findings << stream.finish();
    return findings;
}

Findings checkSignedInvoice(const SignedFile& file, const Options& options) {
    Findings findings;
    // The signed file is what the exchange system weighs.
    if (file.size > kMaxFileSize) {
        checkFileName(options.fileName, findings);
        findings << tooLargeFinding(file.size);
        return findings;
    }
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
