#include "render/InvoiceRender.h"

#include "check/Decimal.h"
#include "check/XmlScreen.h"

#include <QDate>
#include <QDomDocument>
#include <QDomElement>
#include <QRegularExpression>

namespace brevalto::render {

namespace {

// Element children by local name (the root carries a prefix, its children none).
QList<QDomElement> kids(const QDomElement& parent, const QString& name) {
    QList<QDomElement> out;
    for (QDomElement e = parent.firstChildElement(); !e.isNull(); e = e.nextSiblingElement())
        if (e.localName() == name || e.tagName() == name)
            out << e;
    return out;
}

QDomElement kid(const QDomElement& parent, const QString& name) {
    for (QDomElement e = parent.firstChildElement(); !e.isNull(); e = e.nextSiblingElement())
        if (e.localName() == name || e.tagName() == name)
            return e;
    return {};
}

QDomElement at(const QDomElement& parent, const QString& path) {
    QDomElement e = parent;
    for (const QString& step : path.split(QLatin1Char('/'))) {
        e = kid(e, step);
        if (e.isNull())
            break;
    }
    return e;
}

QString text(const QDomElement& parent, const QString& path) {
    return at(parent, path).text().trimmed();
}

QStringList texts(const QDomElement& parent, const QString& name) {
    QStringList out;
    for (const QDomElement& e : kids(parent, name))
        out << e.text().trimmed();
    return out;
}

// Adds "label: value" when the value is there.
void labelled(QStringList& lines, const QString& label, const QString& value) {
    if (!value.isEmpty())
        lines << (label.isEmpty() ? value : label + QStringLiteral(": ") + value);
}

QString joined(const QStringList& parts, const QString& separator = QStringLiteral(" ")) {
    QStringList kept;
    for (const QString& p : parts)
        if (!p.trimmed().isEmpty())
            kept << p.trimmed();
    return kept.join(separator);
}

QString rateText(const QString& rate) {
    return rate.isEmpty() ? QString() : italianAmount(rate) + QStringLiteral("%");
}

class Writer {
public:
    Writer(const CodeLists& codes, RenderedInvoice& out)
        : codes_(codes), out_(out), doc_(out.document) {}

    void run(const QDomElement& root) {
        const QDomElement header = kid(root, QStringLiteral("FatturaElettronicaHeader"));
        const QList<QDomElement> bodies = kids(root, QStringLiteral("FatturaElettronicaBody"));
        const QString seller =
            partyName(at(header, QStringLiteral("CedentePrestatore/DatiAnagrafici")));
        if (!bodies.isEmpty())
            out_.title = bodyTitle(bodies.first());
        QString title = out_.title.isEmpty() ? QStringLiteral("Fattura elettronica") : out_.title;
        if (bodies.size() > 1)
            title = QStringLiteral("Fattura elettronica: %1 documenti").arg(bodies.size());
        doc_.title(title);
        doc_.footer = joined({title, seller}, QStringLiteral(" — "));
        transmission(header);
        parties(header);
        for (int i = 0; i < bodies.size(); ++i)
            body(bodies[i], i + 1, bodies.size() > 1);
    }

private:
    // "TD04 Nota di credito" style: the code's words, or the code when the list lacks it.
    QString words(const QString& table, const QString& code) const {
        if (code.isEmpty())
            return {};
        const QString description = codes_.describe(table, code);
        return description.isEmpty() ? code : description;
    }
    QString codeWords(const QString& table, const QString& code) const {
        if (code.isEmpty())
            return {};
        const QString description = codes_.describe(table, code);
        return description.isEmpty() ? code : code + QStringLiteral(" – ") + description;
    }

    QString bodyTitle(const QDomElement& body) const {
        const QDomElement g = at(body, QStringLiteral("DatiGenerali/DatiGeneraliDocumento"));
        QString t =
            words(QStringLiteral("PA_TipoDocumento"), text(g, QStringLiteral("TipoDocumento")));
        if (t.isEmpty())
            t = QStringLiteral("Documento");
        const QString number = text(g, QStringLiteral("Numero"));
        const QString date = text(g, QStringLiteral("Data"));
        if (!number.isEmpty())
            t += QStringLiteral(" n. ") + number;
        if (!date.isEmpty())
            t += QStringLiteral(" del ") + italianDate(date);
        return t;
    }

    static QString partyName(const QDomElement& anagraphic) {
        const QDomElement a = kid(anagraphic, QStringLiteral("Anagrafica"));
        const QString name = text(a, QStringLiteral("Denominazione"));
        if (!name.isEmpty())
            return name;
        return joined({text(a, QStringLiteral("Titolo")), text(a, QStringLiteral("Cognome")),
                       text(a, QStringLiteral("Nome"))});
    }

    void identity(QStringList& lines, const QDomElement& anagraphic) const {
        labelled(lines, {}, partyName(anagraphic));
        const QDomElement vat = kid(anagraphic, QStringLiteral("IdFiscaleIVA"));
        if (!vat.isNull())
            labelled(lines, QStringLiteral("Partita IVA"),
                     text(vat, QStringLiteral("IdPaese")) + text(vat, QStringLiteral("IdCodice")));
        labelled(lines, QStringLiteral("Codice fiscale"),
                 text(anagraphic, QStringLiteral("CodiceFiscale")));
        labelled(lines, QStringLiteral("Codice EORI"),
                 text(anagraphic, QStringLiteral("Anagrafica/CodEORI")));
    }

    static QString address(const QDomElement& a) {
        if (a.isNull())
            return {};
        const QString street =
            joined({text(a, QStringLiteral("Indirizzo")), text(a, QStringLiteral("NumeroCivico"))});
        QString province = text(a, QStringLiteral("Provincia"));
        if (!province.isEmpty())
            province = QStringLiteral("(") + province + QStringLiteral(")");
        const QString town =
            joined({text(a, QStringLiteral("CAP")), text(a, QStringLiteral("Comune")), province,
                    text(a, QStringLiteral("Nazione"))});
        return joined({street, town}, QStringLiteral("\n"));
    }

    QString seller(const QDomElement& s) const {
        QStringList lines;
        const QDomElement anagraphic = kid(s, QStringLiteral("DatiAnagrafici"));
        identity(lines, anagraphic);
        labelled(lines, {}, address(kid(s, QStringLiteral("Sede"))));
        const QString stable = address(kid(s, QStringLiteral("StabileOrganizzazione")));
        labelled(lines, QStringLiteral("Stabile organizzazione"), stable);
        labelled(lines, QStringLiteral("Regime fiscale"),
                 codeWords(QStringLiteral("PA_RegimeFiscale"),
                           text(anagraphic, QStringLiteral("RegimeFiscale"))));
        const QDomElement albo = anagraphic;
        labelled(lines, QStringLiteral("Albo professionale"),
                 joined({text(albo, QStringLiteral("AlboProfessionale")),
                         text(albo, QStringLiteral("ProvinciaAlbo")),
                         text(albo, QStringLiteral("NumeroIscrizioneAlbo"))}));
        const QDomElement rea = kid(s, QStringLiteral("IscrizioneREA"));
        if (!rea.isNull()) {
            labelled(lines, QStringLiteral("REA"),
                     joined({text(rea, QStringLiteral("Ufficio")),
                             text(rea, QStringLiteral("NumeroREA"))},
                            QStringLiteral(" ")));
            const QString capital = text(rea, QStringLiteral("CapitaleSociale"));
            labelled(lines, QStringLiteral("Capitale sociale"),
                     capital.isEmpty() ? QString() : italianAmount(capital));
            labelled(lines, {},
                     words(QStringLiteral("PA_IscrizRea_SocioUnico"),
                           text(rea, QStringLiteral("SocioUnico"))));
            labelled(lines, {},
                     words(QStringLiteral("PA_IscrizRea_StatoLiquidazione"),
                           text(rea, QStringLiteral("StatoLiquidazione"))));
        }
        const QDomElement c = kid(s, QStringLiteral("Contatti"));
        labelled(lines, QStringLiteral("Tel."), text(c, QStringLiteral("Telefono")));
        labelled(lines, QStringLiteral("Fax"), text(c, QStringLiteral("Fax")));
        labelled(lines, QStringLiteral("Email"), text(c, QStringLiteral("Email")));
        labelled(lines, QStringLiteral("Riferimento amministrazione"),
                 text(s, QStringLiteral("RiferimentoAmministrazione")));
        return lines.join(QLatin1Char('\n'));
    }

    QString buyer(const QDomElement& b) const {
        QStringList lines;
        identity(lines, kid(b, QStringLiteral("DatiAnagrafici")));
        labelled(lines, {}, address(kid(b, QStringLiteral("Sede"))));
        labelled(lines, QStringLiteral("Stabile organizzazione"),
                 address(kid(b, QStringLiteral("StabileOrganizzazione"))));
        const QDomElement r = kid(b, QStringLiteral("RappresentanteFiscale"));
        if (!r.isNull()) {
            const QDomElement vat = kid(r, QStringLiteral("IdFiscaleIVA"));
            const QString name =
                joined({text(r, QStringLiteral("Denominazione")),
                        text(r, QStringLiteral("Cognome")), text(r, QStringLiteral("Nome"))});
            labelled(lines, QStringLiteral("Rappresentante fiscale"),
                     joined({name, text(vat, QStringLiteral("IdPaese")) +
                                       text(vat, QStringLiteral("IdCodice"))}));
        }
        return lines.join(QLatin1Char('\n'));
    }

    void transmission(const QDomElement& header) {
        const QDomElement t = kid(header, QStringLiteral("DatiTrasmissione"));
        QStringList parts;
        const QDomElement id = kid(t, QStringLiteral("IdTrasmittente"));
        labelled(parts, QStringLiteral("Trasmittente"),
                 text(id, QStringLiteral("IdPaese")) + text(id, QStringLiteral("IdCodice")));
        labelled(parts, QStringLiteral("Progressivo invio"),
                 text(t, QStringLiteral("ProgressivoInvio")));
        labelled(parts, QStringLiteral("Formato"), text(t, QStringLiteral("FormatoTrasmissione")));
        labelled(parts, QStringLiteral("Codice destinatario"),
                 text(t, QStringLiteral("CodiceDestinatario")));
        labelled(parts, QStringLiteral("PEC destinatario"),
                 text(t, QStringLiteral("PECDestinatario")));
        doc_.paragraph(parts.join(QStringLiteral("   ")));
    }

    void parties(const QDomElement& header) {
        Block& t = doc_.table({{QStringLiteral("Cedente / Prestatore")},
                               {QStringLiteral("Cessionario / Committente")}});
        t.rows.append(Row{{seller(kid(header, QStringLiteral("CedentePrestatore"))),
                           buyer(kid(header, QStringLiteral("CessionarioCommittente")))}});
        QList<Column> extraColumns;
        QStringList extra;
        const QDomElement r = kid(header, QStringLiteral("RappresentanteFiscale"));
        if (!r.isNull()) {
            QStringList lines;
            identity(lines, kid(r, QStringLiteral("DatiAnagrafici")));
            extraColumns << Column{QStringLiteral("Rappresentante fiscale")};
            extra << lines.join(QLatin1Char('\n'));
        }
        const QDomElement third =
            kid(header, QStringLiteral("TerzoIntermediarioOSoggettoEmittente"));
        if (!third.isNull()) {
            QStringList lines;
            identity(lines, kid(third, QStringLiteral("DatiAnagrafici")));
            extraColumns << Column{QStringLiteral("Terzo intermediario o soggetto emittente")};
            extra << lines.join(QLatin1Char('\n'));
        }
        const QString issuer = text(header, QStringLiteral("SoggettoEmittente"));
        if (!issuer.isEmpty()) {
            extraColumns << Column{QStringLiteral("Soggetto emittente")};
            extra << codeWords(QStringLiteral("PA_SoggettoEmittente"), issuer);
        }
        if (!extra.isEmpty())
            doc_.table(extraColumns).rows.append(Row{extra});
    }

    void body(const QDomElement& b, int index, bool several) {
        const QDomElement general = kid(b, QStringLiteral("DatiGenerali"));
        const QDomElement g = kid(general, QStringLiteral("DatiGeneraliDocumento"));
        QString heading = bodyTitle(b);
        if (several)
            heading = QStringLiteral("%1. ").arg(index) + heading;
        doc_.heading(heading);
        QStringList facts;
        labelled(facts, QStringLiteral("Tipo documento"),
                 codeWords(QStringLiteral("PA_TipoDocumento"),
                           text(g, QStringLiteral("TipoDocumento"))));
        labelled(facts, QStringLiteral("Divisa"), text(g, QStringLiteral("Divisa")));
        labelled(facts, QStringLiteral("Art. 73"), text(g, QStringLiteral("Art73")));
        doc_.paragraph(facts.join(QStringLiteral("   ")));
        const QStringList causali = texts(g, QStringLiteral("Causale"));
        if (!causali.isEmpty())
            doc_.paragraph(QStringLiteral("Causale: ") + causali.join(QLatin1Char(' ')));

        withholdings(g);
        const QDomElement bollo = kid(g, QStringLiteral("DatiBollo"));
        if (!bollo.isNull())
            doc_.paragraph(QStringLiteral("Bollo virtuale: %1   Importo bollo: %2")
                               .arg(text(bollo, QStringLiteral("BolloVirtuale")),
                                    italianAmount(text(bollo, QStringLiteral("ImportoBollo")))));
        pensionFunds(g);
        const QString discounts = discountText(g);
        if (!discounts.isEmpty())
            doc_.paragraph(QStringLiteral("Sconti e maggiorazioni sul documento: ") + discounts);
        linkedDocuments(general);
        transport(general);

        const QDomElement goods = kid(b, QStringLiteral("DatiBeniServizi"));
        lines(goods);
        summaries(goods);
        totals(b, g, goods);
        vehicles(kid(b, QStringLiteral("DatiVeicoli")));
        payments(b);
        attachments(b, index);
    }

    void withholdings(const QDomElement& g) {
        const QList<QDomElement> all = kids(g, QStringLiteral("DatiRitenuta"));
        if (all.isEmpty())
            return;
        Block& t = doc_.table({{QStringLiteral("Ritenuta"), 3},
                               {QStringLiteral("Aliquota"), 1, true},
                               {QStringLiteral("Importo"), 1.2, true},
                               {QStringLiteral("Causale pagamento"), 3}});
        for (const QDomElement& r : all)
            t.rows.append(Row{{codeWords(QStringLiteral("PA_TipoRitenuta"),
                                         text(r, QStringLiteral("TipoRitenuta"))),
                               rateText(text(r, QStringLiteral("AliquotaRitenuta"))),
                               italianAmount(text(r, QStringLiteral("ImportoRitenuta"))),
                               codeWords(QStringLiteral("Pa_Ritenute_CausalePagamento"),
                                         text(r, QStringLiteral("CausalePagamento")))}});
    }

    QString natureOrRate(const QString& rate, const QString& nature) const {
        const auto value = Decimal::parse(rate);
        if (!nature.isEmpty() && (!value || value->isZero()))
            return codeWords(QStringLiteral("PA_Natura"), nature);
        return rateText(rate);
    }

    void pensionFunds(const QDomElement& g) {
        const QList<QDomElement> all = kids(g, QStringLiteral("DatiCassaPrevidenziale"));
        if (all.isEmpty())
            return;
        Block& t = doc_.table({{QStringLiteral("Cassa previdenziale"), 3},
                               {QStringLiteral("Aliquota"), 0.9, true},
                               {QStringLiteral("Contributo"), 1.1, true},
                               {QStringLiteral("Imponibile"), 1.1, true},
                               {QStringLiteral("IVA"), 1.6},
                               {QStringLiteral("Ritenuta"), 0.8}});
        for (const QDomElement& c : all)
            t.rows.append(Row{
                {codeWords(QStringLiteral("PA_TipoCassa"), text(c, QStringLiteral("TipoCassa"))),
                 rateText(text(c, QStringLiteral("AlCassa"))),
                 italianAmount(text(c, QStringLiteral("ImportoContributoCassa"))),
                 italianAmount(text(c, QStringLiteral("ImponibileCassa"))),
                 natureOrRate(text(c, QStringLiteral("AliquotaIVA")),
                              text(c, QStringLiteral("Natura"))),
                 text(c, QStringLiteral("Ritenuta"))}});
    }

    // "Sconto 10,00%, Maggiorazione 5,00"; in the narrow column of a line "-10,00%, +5,00".
    QString discountText(const QDomElement& parent, bool brief = false) const {
        QStringList parts;
        for (const QDomElement& s : kids(parent, QStringLiteral("ScontoMaggiorazione"))) {
            const QString type = text(s, QStringLiteral("Tipo"));
            const QString percent = text(s, QStringLiteral("Percentuale"));
            const QString amount = text(s, QStringLiteral("Importo"));
            if (brief && (type == QLatin1String("SC") || type == QLatin1String("MG"))) {
                const QString sign =
                    type == QLatin1String("SC") ? QStringLiteral("-") : QStringLiteral("+");
                parts << joined({percent.isEmpty() ? QString() : sign + rateText(percent),
                                 amount.isEmpty() ? QString() : sign + italianAmount(amount)});
                continue;
            }
            const QString kind = words(QStringLiteral("Pa_TipoScontoMaggiorazione"), type);
            parts << joined(
                {kind, rateText(percent), amount.isEmpty() ? QString() : italianAmount(amount)});
        }
        return parts.join(QStringLiteral(", "));
    }

    void linkedDocuments(const QDomElement& general) {
        struct Kind {
            const char* element;
            const char* label;
        };
        static const Kind kinds[] = {{"DatiOrdineAcquisto", "Ordine di acquisto"},
                                     {"DatiContratto", "Contratto"},
                                     {"DatiConvenzione", "Convenzione"},
                                     {"DatiRicezione", "Ricezione"},
                                     {"DatiFattureCollegate", "Fattura collegata"}};
        QList<Row> rows;
        for (const Kind& k : kinds)
            for (const QDomElement& d : kids(general, QString::fromLatin1(k.element))) {
                QStringList codes;
                labelled(codes, QStringLiteral("Voce"), text(d, QStringLiteral("NumItem")));
                labelled(codes, QStringLiteral("Commessa/convenzione"),
                         text(d, QStringLiteral("CodiceCommessaConvenzione")));
                labelled(codes, QStringLiteral("CUP"), text(d, QStringLiteral("CodiceCUP")));
                labelled(codes, QStringLiteral("CIG"), text(d, QStringLiteral("CodiceCIG")));
                rows.append(Row{
                    {QString::fromLatin1(k.label), text(d, QStringLiteral("IdDocumento")),
                     italianDate(text(d, QStringLiteral("Data"))),
                     texts(d, QStringLiteral("RiferimentoNumeroLinea")).join(QStringLiteral(", ")),
                     codes.join(QStringLiteral(", "))}});
            }
        for (const QDomElement& d : kids(general, QStringLiteral("DatiDDT")))
            rows.append(
                Row{{QStringLiteral("Documento di trasporto"),
                     text(d, QStringLiteral("NumeroDDT")),
                     italianDate(text(d, QStringLiteral("DataDDT"))),
                     texts(d, QStringLiteral("RiferimentoNumeroLinea")).join(QStringLiteral(", ")),
                     {}}});
        const QDomElement main = kid(general, QStringLiteral("FatturaPrincipale"));
        if (!main.isNull())
            rows.append(Row{{QStringLiteral("Fattura principale"),
                             text(main, QStringLiteral("NumeroFatturaPrincipale")),
                             italianDate(text(main, QStringLiteral("DataFatturaPrincipale"))),
                             {},
                             {}}});
        const QStringList stages = [&] {
            QStringList s;
            for (const QDomElement& sal : kids(general, QStringLiteral("DatiSAL")))
                s << text(sal, QStringLiteral("RiferimentoFase"));
            return s;
        }();
        if (!stages.isEmpty())
            rows.append(Row{{QStringLiteral("Stato avanzamento lavori"),
                             QStringLiteral("fase ") + stages.join(QStringLiteral(", ")),
                             {},
                             {},
                             {}}});
        if (rows.isEmpty())
            return;
        Block& t = doc_.table({{QStringLiteral("Documento collegato"), 2},
                               {QStringLiteral("Numero"), 1.6},
                               {QStringLiteral("Data"), 1},
                               {QStringLiteral("Righe"), 0.8},
                               {QStringLiteral("Codici"), 2.6}});
        t.rows = rows;
    }

    void transport(const QDomElement& general) {
        const QDomElement t = kid(general, QStringLiteral("DatiTrasporto"));
        if (t.isNull())
            return;
        QStringList parts;
        labelled(parts, QStringLiteral("Vettore"),
                 partyName(kid(t, QStringLiteral("DatiAnagraficiVettore"))));
        labelled(parts, QStringLiteral("Mezzo"), text(t, QStringLiteral("MezzoTrasporto")));
        labelled(parts, QStringLiteral("Causale"), text(t, QStringLiteral("CausaleTrasporto")));
        labelled(parts, QStringLiteral("Colli"), text(t, QStringLiteral("NumeroColli")));
        labelled(parts, QStringLiteral("Descrizione"), text(t, QStringLiteral("Descrizione")));
        const QString weight = text(t, QStringLiteral("PesoLordo"));
        labelled(parts, QStringLiteral("Peso lordo"),
                 weight.isEmpty()
                     ? QString()
                     : joined({italianAmount(weight), text(t, QStringLiteral("UnitaMisuraPeso"))}));
        labelled(parts, QStringLiteral("Resa"),
                 codeWords(QStringLiteral("PA_TipoResa"), text(t, QStringLiteral("TipoResa"))));
        labelled(parts, QStringLiteral("Consegna"),
                 italianDate(text(t, QStringLiteral("DataOraConsegna")).left(10)));
        labelled(parts, QStringLiteral("Indirizzo di resa"),
                 address(kid(t, QStringLiteral("IndirizzoResa")))
                     .replace(QLatin1Char('\n'), QStringLiteral(", ")));
        doc_.paragraph(QStringLiteral("Trasporto: ") + parts.join(QStringLiteral("; ")));
    }

    void lines(const QDomElement& goods) {
        Block& t = doc_.table({{QStringLiteral("N."), 0.45},
                               {QStringLiteral("Descrizione"), 3.6},
                               {QStringLiteral("Quantità"), 1.25, true},
                               {QStringLiteral("U.M."), 0.6},
                               {QStringLiteral("Prezzo unitario"), 1.45, true},
                               {QStringLiteral("Sconti"), 1},
                               {QStringLiteral("Totale"), 1.35, true},
                               {QStringLiteral("IVA"), 0.7, true}});
        const QList<QDomElement> all = kids(goods, QStringLiteral("DettaglioLinee"));
        t.rows.reserve(all.size());
        for (const QDomElement& l : all) {
            QStringList description{text(l, QStringLiteral("Descrizione"))};
            for (const QDomElement& c : kids(l, QStringLiteral("CodiceArticolo")))
                description << QStringLiteral("Cod. %1 %2")
                                   .arg(text(c, QStringLiteral("CodiceTipo")),
                                        text(c, QStringLiteral("CodiceValore")));
            const QString from = text(l, QStringLiteral("DataInizioPeriodo"));
            const QString to = text(l, QStringLiteral("DataFinePeriodo"));
            if (!from.isEmpty() || !to.isEmpty())
                description << joined(
                    {from.isEmpty() ? QString()
                                    : QStringLiteral("Periodo dal ") + italianDate(from),
                     to.isEmpty() ? QString() : QStringLiteral("al ") + italianDate(to)});
            labelled(description, {},
                     words(QStringLiteral("PA_TipoCessionePrestazione"),
                           text(l, QStringLiteral("TipoCessionePrestazione"))));
            const QString nature = text(l, QStringLiteral("Natura"));
            if (!nature.isEmpty())
                description << QStringLiteral("Natura ") +
                                   codeWords(QStringLiteral("PA_Natura"), nature);
            if (text(l, QStringLiteral("Ritenuta")) == QLatin1String("SI"))
                description << QStringLiteral("Soggetta a ritenuta");
            for (const QDomElement& o : kids(l, QStringLiteral("AltriDatiGestionali")))
                description << joined({text(o, QStringLiteral("TipoDato")) + QLatin1Char(':'),
                                       text(o, QStringLiteral("RiferimentoTesto")),
                                       italianAmount(text(o, QStringLiteral("RiferimentoNumero"))),
                                       italianDate(text(o, QStringLiteral("RiferimentoData")))});
            const QString rate = text(l, QStringLiteral("AliquotaIVA"));
            const auto rateValue = Decimal::parse(rate);
            const QString quantity = text(l, QStringLiteral("Quantita"));
            t.rows.append(
                Row{{text(l, QStringLiteral("NumeroLinea")), description.join(QLatin1Char('\n')),
                     quantity.isEmpty() ? QString() : italianAmount(quantity),
                     text(l, QStringLiteral("UnitaMisura")),
                     italianAmount(text(l, QStringLiteral("PrezzoUnitario"))),
                     discountText(l, true), italianAmount(text(l, QStringLiteral("PrezzoTotale"))),
                     (rateValue && rateValue->isZero() && !nature.isEmpty()) ? nature
                                                                             : rateText(rate)}});
        }
    }

    void summaries(const QDomElement& goods) {
        const QList<QDomElement> all = kids(goods, QStringLiteral("DatiRiepilogo"));
        if (all.isEmpty())
            return;
        doc_.subheading(QStringLiteral("Riepilogo IVA"));
        Block& t = doc_.table({{QStringLiteral("Aliquota o natura"), 3},
                               {QStringLiteral("Imponibile"), 1.2, true},
                               {QStringLiteral("Imposta"), 1.1, true},
                               {QStringLiteral("Esigibilità"), 1.3},
                               {QStringLiteral("Riferimento normativo"), 2.6}});
        for (const QDomElement& r : all) {
            QStringList first{natureOrRate(text(r, QStringLiteral("AliquotaIVA")),
                                           text(r, QStringLiteral("Natura")))};
            labelled(first, QStringLiteral("Spese accessorie"),
                     italianAmount(text(r, QStringLiteral("SpeseAccessorie"))));
            labelled(first, QStringLiteral("Arrotondamento"),
                     italianAmount(text(r, QStringLiteral("Arrotondamento"))));
            t.rows.append(Row{{first.join(QLatin1Char('\n')),
                               italianAmount(text(r, QStringLiteral("ImponibileImporto"))),
                               italianAmount(text(r, QStringLiteral("Imposta"))),
                               words(QStringLiteral("PA_EsigibilitaIva"),
                                     text(r, QStringLiteral("EsigibilitaIVA"))),
                               text(r, QStringLiteral("RiferimentoNormativo"))}});
        }
    }

    static Decimal sum(const QList<QDomElement>& elements, const QString& path) {
        Decimal total;
        for (const QDomElement& e : elements)
            if (const auto v = Decimal::parse(text(e, path)))
                total = total + *v;
        return total;
    }

    static QString amountOf(const Decimal& d) { return italianAmount(d.toString()); }

    void totals(const QDomElement& b, const QDomElement& g, const QDomElement& goods) {
        const QList<QDomElement> summaries = kids(goods, QStringLiteral("DatiRiepilogo"));
        Block& t = doc_.table({{QString(), 5}, {QString(), 1.3, true}}, false);
        const Decimal taxable = sum(summaries, QStringLiteral("ImponibileImporto"));
        const Decimal tax = sum(summaries, QStringLiteral("Imposta"));
        t.rows.append(Row{{QStringLiteral("Totale imponibile"), amountOf(taxable)}});
        t.rows.append(Row{{QStringLiteral("Totale IVA"), amountOf(tax)}});
        const QString declared = text(g, QStringLiteral("ImportoTotaleDocumento"));
        t.rows.append(Row{{QStringLiteral("Totale documento"),
                           declared.isEmpty() ? amountOf(taxable + tax) : italianAmount(declared)},
                          true});
        const QString rounding = text(g, QStringLiteral("Arrotondamento"));
        if (!rounding.isEmpty())
            t.rows.append(Row{{QStringLiteral("Arrotondamento"), italianAmount(rounding)}});
        for (const QDomElement& r : kids(g, QStringLiteral("DatiRitenuta")))
            t.rows.append(Row{
                {QStringLiteral("Ritenuta: ") + words(QStringLiteral("PA_TipoRitenuta"),
                                                      text(r, QStringLiteral("TipoRitenuta"))),
                 QStringLiteral("-") + italianAmount(text(r, QStringLiteral("ImportoRitenuta")))}});
        QList<QDomElement> instalments;
        for (const QDomElement& p : kids(b, QStringLiteral("DatiPagamento")))
            instalments += kids(p, QStringLiteral("DettaglioPagamento"));
        if (!instalments.isEmpty())
            t.rows.append(Row{{QStringLiteral("Totale da pagare"),
                               amountOf(sum(instalments, QStringLiteral("ImportoPagamento")))},
                              true});
    }

    void vehicles(const QDomElement& v) {
        if (v.isNull())
            return;
        doc_.paragraph(QStringLiteral("Veicolo: prima immatricolazione %1, percorsi %2")
                           .arg(italianDate(text(v, QStringLiteral("Data"))),
                                text(v, QStringLiteral("TotalePercorso"))));
    }

    void payments(const QDomElement& b) {
        for (const QDomElement& p : kids(b, QStringLiteral("DatiPagamento"))) {
            doc_.subheading(QStringLiteral("Pagamento: ") +
                            codeWords(QStringLiteral("PA_CondizioniPagamento"),
                                      text(p, QStringLiteral("CondizioniPagamento"))));
            Block& t = doc_.table({{QStringLiteral("Modalità"), 2.2},
                                   {QStringLiteral("Scadenza"), 1},
                                   {QStringLiteral("Importo"), 1.1, true},
                                   {QStringLiteral("Beneficiario e coordinate"), 3.7}});
            for (const QDomElement& d : kids(p, QStringLiteral("DettaglioPagamento"))) {
                QStringList bank;
                labelled(bank, QStringLiteral("Beneficiario"),
                         text(d, QStringLiteral("Beneficiario")));
                labelled(bank, QStringLiteral("IBAN"), text(d, QStringLiteral("IBAN")));
                labelled(bank, QStringLiteral("Istituto"),
                         text(d, QStringLiteral("IstitutoFinanziario")));
                labelled(bank, QStringLiteral("ABI"), text(d, QStringLiteral("ABI")));
                labelled(bank, QStringLiteral("CAB"), text(d, QStringLiteral("CAB")));
                labelled(bank, QStringLiteral("BIC"), text(d, QStringLiteral("BIC")));
                labelled(bank, QStringLiteral("Codice pagamento"),
                         text(d, QStringLiteral("CodicePagamento")));
                const QString since = text(d, QStringLiteral("DataRiferimentoTerminiPagamento"));
                const QString days = text(d, QStringLiteral("GiorniTerminiPagamento"));
                if (!days.isEmpty())
                    labelled(
                        bank, QStringLiteral("Termini"),
                        since.isEmpty()
                            ? days + QStringLiteral(" giorni")
                            : QStringLiteral("%1 giorni dal %2").arg(days, italianDate(since)));
                const QString early = text(d, QStringLiteral("ScontoPagamentoAnticipato"));
                if (!early.isEmpty())
                    labelled(bank, QStringLiteral("Sconto pagamento anticipato"),
                             QStringLiteral("%1 entro il %2")
                                 .arg(italianAmount(early),
                                      italianDate(text(
                                          d, QStringLiteral("DataLimitePagamentoAnticipato")))));
                const QString penalty = text(d, QStringLiteral("PenalitaPagamentiRitardati"));
                if (!penalty.isEmpty())
                    labelled(
                        bank, QStringLiteral("Penale per ritardo"),
                        QStringLiteral("%1 dal %2")
                            .arg(italianAmount(penalty),
                                 italianDate(text(d, QStringLiteral("DataDecorrenzaPenale")))));
                t.rows.append(Row{{codeWords(QStringLiteral("PA_ModalitaPagamento"),
                                             text(d, QStringLiteral("ModalitaPagamento"))),
                                   italianDate(text(d, QStringLiteral("DataScadenzaPagamento"))),
                                   italianAmount(text(d, QStringLiteral("ImportoPagamento"))),
                                   bank.join(QLatin1Char('\n'))}});
            }
        }
    }

    void attachments(const QDomElement& b, int index) {
        const QList<QDomElement> all = kids(b, QStringLiteral("Allegati"));
        if (all.isEmpty())
            return;
        doc_.subheading(QStringLiteral("Allegati"));
        Block& t = doc_.table({{QStringLiteral("Nome"), 2.5},
                               {QStringLiteral("Formato"), 0.8},
                               {QStringLiteral("Descrizione"), 3},
                               {QStringLiteral("Dimensione"), 1, true}});
        for (const QDomElement& a : all) {
            Attachment attachment;
            attachment.body = index;
            attachment.name = text(a, QStringLiteral("NomeAttachment"));
            attachment.format = text(a, QStringLiteral("FormatoAttachment"));
            attachment.description = text(a, QStringLiteral("DescrizioneAttachment"));
            attachment.data =
                QByteArray::fromBase64(text(a, QStringLiteral("Attachment")).toLatin1());
            const QString algorithm = text(a, QStringLiteral("AlgoritmoCompressione"));
            t.rows.append(Row{{attachment.name, joined({attachment.format, algorithm}),
                               attachment.description, sizeText(attachment.data.size())}});
            out_.attachments << attachment;
        }
    }

    static QString sizeText(qsizetype bytes) {
        if (bytes < 1024)
            return QStringLiteral("%1 byte").arg(bytes);
        if (bytes < 1024 * 1024)
            return QStringLiteral("%1 KB").arg(QString::number((bytes + 1023) / 1024));
        return QStringLiteral("%1 MB").arg(QString::number(double(bytes) / (1024 * 1024), 'f', 1)
                                               .replace(QLatin1Char('.'), QLatin1Char(',')));
    }

    const CodeLists& codes_;
    RenderedInvoice& out_;
    PrintDocument& doc_;
};

} // namespace

const QString kSignatureNotIntact =
    QStringLiteral("FIRMA NON INTEGRA: il contenuto è stato modificato dopo la firma");

void warnSignatureNotIntact(RenderedInvoice& invoice) {
    // Every page's foot says it too, for a page that travels without the first.
    invoice.document.footer = QStringLiteral("FIRMA NON INTEGRA — ") + invoice.document.footer;
    invoice.document.alertFirst(
        kSignatureNotIntact +
        QStringLiteral(". Questa copia mostra il contenuto com'è ora, non quello firmato."));
}

void showSignature(RenderedInvoice& invoice, const check::SignedFile& signature) {
    QStringList signer;
    signer << QStringLiteral("Firmato da %1")
                  .arg(signature.signer.isEmpty() ? QStringLiteral("(firmatario sconosciuto)")
                                                  : signature.signer);
    const QDateTime when = signature.signedAt.toLocalTime();
    signer << (signature.signedAt.isValid() ? QStringLiteral("il %1 alle %2")
                                                  .arg(when.toString(QStringLiteral("dd/MM/yyyy")),
                                                       when.toString(QStringLiteral("HH:mm")))
                                            : QStringLiteral("Data della firma non indicata"));
    signer << (signature.intact ? QStringLiteral("Firma integra: il contenuto è quello firmato")
                                : kSignatureNotIntact);
    QStringList certificate;
    if (signature.certificateSummary().isEmpty()) {
        certificate << QStringLiteral("Il file non contiene il certificato del firmatario");
    } else {
        certificate << QStringLiteral("Rilasciato da %1")
                           .arg(signature.issuer.isEmpty() ? QStringLiteral("(ente sconosciuto)")
                                                           : signature.issuer);
        if (signature.validFrom.isValid() && signature.validTo.isValid())
            certificate << QStringLiteral("Valido dal %1 al %2")
                               .arg(signature.validFrom.toLocalTime().toString(
                                        QStringLiteral("dd/MM/yyyy")),
                                    signature.validTo.toLocalTime().toString(
                                        QStringLiteral("dd/MM/yyyy")));
        if (signature.signedOutsideValidity())
            certificate << QStringLiteral("Non era valido alla data della firma");
    }
    Block block;
    block.kind = Block::Kind::Table;
    block.columns = {{QStringLiteral("Firma digitale")},
                     {QStringLiteral("Certificato del firmatario")}};
    block.rows = {Row{{signer.join(QLatin1Char('\n')), certificate.join(QLatin1Char('\n'))},
                      !signature.intact}};
    QList<Block>& blocks = invoice.document.blocks;
    // Below the title, so that it is read before the parties.
    qsizetype title = 0;
    while (title < blocks.size() && blocks[title].kind != Block::Kind::Title)
        ++title;
    blocks.insert(title < blocks.size() ? title + 1 : 0, block);
    if (!signature.intact)
        warnSignatureNotIntact(invoice);
}

QString italianAmount(const QString& raw) {
    static const QRegularExpression number(QStringLiteral("^([-+]?)(\\d+)(?:\\.(\\d*))?$"));
    const QString trimmed = raw.trimmed();
    const QRegularExpressionMatch m = number.match(trimmed);
    if (!m.hasMatch())
        return trimmed;
    QString digits = m.captured(2);
    while (digits.size() > 1 && digits.startsWith(QLatin1Char('0')))
        digits.remove(0, 1);
    QString grouped;
    for (qsizetype i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            grouped += QLatin1Char('.');
        grouped += digits[i];
    }
    QString decimals = m.captured(3);
    while (decimals.size() < 2)
        decimals += QLatin1Char('0');
    const QString sign = m.captured(1) == QLatin1String("-") ? QStringLiteral("-") : QString();
    return sign + grouped + QLatin1Char(',') + decimals;
}

QString italianDate(const QString& text) {
    const QDate d = QDate::fromString(text.trimmed(), Qt::ISODate);
    return d.isValid() ? d.toString(QStringLiteral("dd/MM/yyyy")) : text;
}

QString Attachment::fileName() const {
    // Only the last part of whatever path the sender wrote, without characters that name folders
    // or devices.
    QString n = name;
    n.replace(QLatin1Char('\\'), QLatin1Char('/'));
    n = n.section(QLatin1Char('/'), -1);
    static const QRegularExpression unsafe(QStringLiteral("[<>:\"|?*\\x00-\\x1f]"));
    n.replace(unsafe, QStringLiteral("_"));
    n = n.trimmed();
    while (n.startsWith(QLatin1Char('.')))
        n.remove(0, 1);
    if (n.isEmpty())
        n = QStringLiteral("allegato");
    if (!format.isEmpty() && !n.contains(QLatin1Char('.')))
        n += QLatin1Char('.') + format.toLower();
    return n;
}

RenderedInvoice renderInvoice(const QByteArray& xml, const CodeLists& codes) {
    RenderedInvoice out;
    QDomDocument dom;
    QString message;
    int line = 0;
    int column = 0;
    if (xml.trimmed().isEmpty()) {
        out.error = QStringLiteral("Il file è vuoto.");
        return out;
    }
    // Declarations, entities and deep nesting are refused before the parser sees them: they
    // can make it spend gigabytes and minutes on a file of a few kilobytes.
    const check::XmlScreening screening = check::screenXml(xml);
    if (!screening.safe()) {
        out.error = QStringLiteral("Il file non viene letto. %1").arg(screening.refusal());
        return out;
    }
    if (!dom.setContent(xml, true, &message, &line, &column)) {
        out.error = QStringLiteral("Il file non è un XML leggibile (riga %1, colonna %2: %3).")
                        .arg(line)
                        .arg(column)
                        .arg(message);
        return out;
    }
    const QDomElement root = dom.documentElement();
    if (root.localName() != QLatin1String("FatturaElettronica") ||
        kid(root, QStringLiteral("FatturaElettronicaHeader")).isNull()) {
        out.error = QStringLiteral("Il file non è una fattura elettronica FatturaPA "
                                   "(manca FatturaElettronica con la sua intestazione).");
        return out;
    }
    Writer(codes, out).run(root);
    out.ok = true;
    return out;
}

} // namespace brevalto::render
