// One invoice from start to file, as a user makes it: through the real main window, the header,
// customer, body register, body editor, line and discount screens, the automatic VAT summary and
// document total and the export; the file passes the official schema and its totals are the ones
// the exchange system recomputes (discounts in cascade, a 5.5 % rate, a reverse-charge line).
#include "ShellFixture.h"
#include "documents/BodyEditor.h"
#include "documents/BodyRegister.h"
#include "documents/HeaderEditor.h"
#include "documents/HeaderPartyEditors.h"
#include "documents/LineeEditors.h"
#include "logic/LineeLogic.h"
#include "ui/BoundInputs.h"
#include "ui/ScreenHost.h"

#include <QDir>
#include <QDomDocument>
#include <QFile>
#include <QLineEdit>
#include <QMap>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QTest>

namespace brevalto::test {
namespace {

class InvoiceFlowTest : public ShellTest {
protected:
    void TearDown() override {
        setModalShower({});
        ShellTest::TearDown();
    }
};

void type(QWidget* input, const QString& text) {
    ASSERT_NE(input, nullptr);
    if (auto* memo = qobject_cast<QPlainTextEdit*>(input)) {
        QTest::keyClicks(memo, text);
    } else {
        auto* edit = qobject_cast<QLineEdit*>(input);
        edit->selectAll();
        QTest::keyClicks(edit, text);
    }
}

Decimal decimalOf(const QDomElement& parent, const char* tag) {
    return Decimal::fromText(parent.firstChildElement(tag).text());
}

void pick(BoundLookup* list, const QString& shown) {
    ASSERT_NE(list, nullptr);
    const int index = list->findText(shown);
    ASSERT_GE(index, 0) << shown.toStdString();
    list->setCurrentIndex(index);
    Q_EMIT list->activated(index);
}

// The firm's record is left as a fresh archive has it (no tax code): the transmitter typed on the
// header names the file.
TEST_F(InvoiceFlowTest, AnInvoiceMadeThroughTheScreensExportsToAValidFile) {
    makeArchive();
    sql(defaultArchive(),
        "insert into PA_CedentePrestatore (CedentePrestatore_IdPaese, CedentePrestatore_IdCodice, "
        "CedentePrestatore_Denominazione, CedentePrestatore_RegimeFiscale, "
        "CedentePrestatore_Sede_Indirizzo, CedentePrestatore_Sede_NumeroCivico, "
        "CedentePrestatore_Sede_CAP, CedentePrestatore_Sede_Comune, "
        "CedentePrestatore_Sede_Provincia, CedentePrestatore_Sede_Nazione) values ('IT', "
        "'01234567897', 'Rossi Srl', 'RF01', 'Via Roma', '1', '00184', 'Roma', 'RM', 'IT')");
    sql(defaultArchive(),
        "insert into PA_CessionarioCommittente (CessionarioCommittente_IdPaese, "
        "CessionarioCommittente_IdCodice, CessionarioCommittente_Denominazione, "
        "CessionarioCommittente_Sede_Indirizzo, CessionarioCommittente_Sede_CAP, "
        "CessionarioCommittente_Sede_Comune, CessionarioCommittente_Sede_Provincia, "
        "CessionarioCommittente_Sede_Nazione, CessionarioCommittente_CodiceUnivocoUfficio, "
        "CessionarioCommittente_NominativoVisualizzato) values ('IT', '12345678903', "
        "'Bianchi Spa', 'Corso Italia 5', '20122', 'Milano', 'MI', 'IT', 'ABC1234', "
        "'Bianchi Spa')");
    ASSERT_TRUE(start());

    const QString file = folder.file("IT01234567897_00001.xml");
    HeaderEditor& header = screens->get<HeaderEditor>();
    HeaderCessionarioEditor& customer = screens->get<HeaderCessionarioEditor>();
    BodyRegister& bodies = screens->get<BodyRegister>();
    BodyEditor& body = screens->get<BodyEditor>();
    const QString linesDataset = "TablePA_FE_Body_DatiBeniServizi_DettaglioLinee";
    EditorBase* lines = body.sectionScreen(linesDataset);
    ASSERT_NE(lines, nullptr);

    auto* linee = static_cast<LineeEditor*>(lines);
    EditorBase* sconto = linee->subScreen(LineeEditor::Sconti);
    struct Line {
        const char* descrizione;
        const char* quantita;
        const char* prezzo;
        QStringList sconti; // percentages, in cascade
        const char* aliquota;
        const char* natura;
    };
    const QList<Line> typed{
        {"Fornitura di profilati", "100", "500", {"8,50", "5,15", "3"}, "22", ""},
        {"Manuali tecnici", "2", "10", {}, "5,5", ""},
        {"Posa in subappalto",
         "1",
         "1000",
         {},
         "0",
         "Inversione contabile - subappalto nel settore edile"},
    };
    int current = -1;
    QStringList percentages;

    QStringList shown;
    setModalShower([&](QDialog& screen) {
        shown << screen.objectName();
        if (&screen == &header) {
            type(header.field("DatiTrasmissione_IdCodice"), "01234567897");
            header.avanti(); // saves the header, opens the customer screen
            header.indietro();
        } else if (&screen == &customer) {
            pick(customer.lookup("CessionarioCommittente_ID"), "Bianchi Spa");
            customer.avanti(); // saves the customer, opens the body register
            customer.indietro();
        } else if (&screen == &bodies) {
            EXPECT_TRUE(bodies.aggiungi()); // a new body, opened in the body editor
            bodies.controlla();
            EXPECT_EQ(prompt.messages().last(), BodyRegister::kNoFindingsMessage);
            prompt.answerSaveFile(file);
            bodies.esportaXml();
            for (const ScriptedPrompt::Call& call : prompt.calls()) {
                if (call.kind == ScriptedPrompt::Kind::SaveFile) {
                    EXPECT_EQ(call.fileName, "IT01234567897_00001.xml");
                }
            }
            bodies.accept();
        } else if (&screen == &body) {
            type(body.field("DatiGenerali_Numero"), "2026/17");
            for (current = 0; current < typed.size(); ++current)
                EXPECT_TRUE(body.addSectionRow(linesDataset)); // opens the line screen
            prompt.answerQuestion(true); // the build proposes the document total
            body.createSummariesButton()->click();
            body.indietro();
        } else if (&screen == lines) {
            const Line& l = typed[current];
            type(lines->field("Descrizione"), l.descrizione);
            // The new line proposes a quantity of 1: typing replaces it.
            qobject_cast<QLineEdit*>(lines->field("Quantita"))->selectAll();
            type(lines->field("Quantita"), l.quantita);
            type(lines->field("PrezzoUnitario"), l.prezzo);
            for (const QString& p : l.sconti) {
                percentages << p;
                linee->addSubRow(LineeEditor::Sconti); // opens the discount screen
            }
            type(lines->field("AliquotaIva"), l.aliquota);
            if (*l.natura)
                pick(qobject_cast<BoundLookup*>(lines->field("Natura")), l.natura);
            lines->indietro();
        } else if (&screen == sconto) {
            pick(qobject_cast<BoundLookup*>(sconto->field("Tipo")), "Sconto");
            type(sconto->field("Percentuale"), percentages.takeFirst());
            sconto->indietro();
        }
        return 0;
    });
    QTest::mouseClick(window().button("spdInserisci"), Qt::LeftButton);

    EXPECT_EQ(prompt.pendingAnswers(), 0);
    ASSERT_TRUE(QFile::exists(file)) << prompt.messages().join(" | ").toStdString();
    EXPECT_TRUE(prompt.messages().last().contains("firma"))
        << prompt.messages().join(" | ").toStdString();
    EXPECT_EQ(scalar(defaultArchive(), "select Esportato from PA_FE_Header").toInt(), 1);

    QFile xml(file);
    ASSERT_TRUE(xml.open(QIODevice::ReadOnly));
    QDomDocument doc;
    ASSERT_TRUE(doc.setContent(&xml));
    const auto text = [&](const char* tag) {
        return doc.elementsByTagName(tag).item(0).toElement().text();
    };
    EXPECT_EQ(text("CodiceDestinatario"), "ABC1234");
    EXPECT_EQ(text("Numero"), "2026/17");
    EXPECT_EQ(text("ImportoTotaleDocumento"), "52373.41");

    // What the exchange system recomputes: each line total from price, discounts and quantity
    // (within a cent), each summary's taxable amount from its lines and its tax from the rate.
    const QDomNodeList lineNodes = doc.elementsByTagName("DettaglioLinee");
    ASSERT_EQ(lineNodes.size(), typed.size());
    QMap<QString, Decimal> taxableByKey;
    QStringList lineTotals;
    for (int i = 0; i < lineNodes.size(); ++i) {
        const QDomElement l = lineNodes.item(i).toElement();
        QList<linee::ScontoLinea> discounts;
        for (QDomElement d = l.firstChildElement("ScontoMaggiorazione"); !d.isNull();
             d = d.nextSiblingElement("ScontoMaggiorazione"))
            discounts << linee::ScontoLinea{d.firstChildElement("Tipo").text(),
                                            d.firstChildElement("Percentuale").text(), QVariant()};
        const Decimal written = decimalOf(l, "PrezzoTotale");
        const std::optional<Decimal> recomputed =
            linee::lineTotal(l.firstChildElement("Quantita").text(),
                             l.firstChildElement("PrezzoUnitario").text(), discounts);
        ASSERT_TRUE(recomputed.has_value());
        EXPECT_LT((written - *recomputed).abs(), Decimal::fromText("0.01")) << i;
        lineTotals << l.firstChildElement("PrezzoTotale").text();
        taxableByKey[decimalOf(l, "AliquotaIVA").toString() + "/" +
                     l.firstChildElement("Natura").text()] += written;
    }
    EXPECT_EQ(lineTotals, (QStringList{"42092.06", "20.00", "1000.00"}));
    QStringList summaries;
    const QDomNodeList summaryNodes = doc.elementsByTagName("DatiRiepilogo");
    for (int i = 0; i < summaryNodes.size(); ++i) {
        const QDomElement r = summaryNodes.item(i).toElement();
        const Decimal rate = decimalOf(r, "AliquotaIVA");
        const Decimal taxable = decimalOf(r, "ImponibileImporto");
        EXPECT_EQ(taxable,
                  taxableByKey.take(rate.toString() + "/" + r.firstChildElement("Natura").text()));
        EXPECT_EQ(decimalOf(r, "Imposta"), (rate * taxable).percent().rounded(2));
        summaries << QString("%1/%2/%3/%4/%5")
                         .arg(r.firstChildElement("AliquotaIVA").text(),
                              r.firstChildElement("Natura").text(),
                              r.firstChildElement("ImponibileImporto").text(),
                              r.firstChildElement("Imposta").text(),
                              r.firstChildElement("EsigibilitaIVA").text());
    }
    EXPECT_TRUE(taxableByKey.isEmpty()) << "every rate and nature has its summary";
    summaries.sort();
    EXPECT_EQ(summaries, (QStringList{"0.00/N6.3/1000.00/0.00/I", "22.00//42092.06/9260.25/I",
                                      "5.50//20.00/1.10/I"}));

    const QString errors = schemaErrors(file);
    EXPECT_TRUE(errors.isEmpty()) << errors.toStdString();
}

} // namespace
} // namespace brevalto::test
