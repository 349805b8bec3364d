// One invoice from start to file, as a user makes it: through the real main window, the header,
// customer, body register, body editor and line screens, the automatic VAT summary and the export,
// and the file the official schema accepts.
#include "ShellFixture.h"
#include "documents/BodyEditor.h"
#include "documents/BodyRegister.h"
#include "documents/HeaderEditor.h"
#include "documents/HeaderPartyEditors.h"
#include "ui/BoundInputs.h"
#include "ui/ScreenHost.h"

#include <QDir>
#include <QDomDocument>
#include <QFile>
#include <QLineEdit>
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
    if (auto* memo = qobject_cast<QPlainTextEdit*>(input))
        QTest::keyClicks(memo, text);
    else
        QTest::keyClicks(qobject_cast<QLineEdit*>(input), text);
}

void pick(BoundLookup* list, const QString& shown) {
    ASSERT_NE(list, nullptr);
    const int index = list->findText(shown);
    ASSERT_GE(index, 0) << shown.toStdString();
    list->setCurrentIndex(index);
    Q_EMIT list->activated(index);
}

TEST_F(InvoiceFlowTest, AnInvoiceMadeThroughTheScreensExportsToAValidFile) {
    makeArchive();
    sql(defaultArchive(), "update Ditta set RagSoc = 'Rossi Srl', CodFisc = '01234567897', "
                          "IdPaese = 'IT', Tel = '0612345678', Email = 'info@rossi.example'");
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

    const QString file = folder.file("fattura.xml");
    HeaderEditor& header = screens->get<HeaderEditor>();
    HeaderCessionarioEditor& customer = screens->get<HeaderCessionarioEditor>();
    BodyRegister& bodies = screens->get<BodyRegister>();
    BodyEditor& body = screens->get<BodyEditor>();
    const QString linesDataset = "TablePA_FE_Body_DatiBeniServizi_DettaglioLinee";
    EditorBase* lines = body.sectionScreen(linesDataset);
    ASSERT_NE(lines, nullptr);

    QStringList shown;
    setModalShower([&](QDialog& screen) {
        shown << screen.objectName();
        if (&screen == &header) {
            header.avanti(); // saves the header, opens the customer screen
            header.indietro();
        } else if (&screen == &customer) {
            pick(customer.lookup("CessionarioCommittente_ID"), "Bianchi Spa");
            customer.avanti(); // saves the customer, opens the body register
            customer.indietro();
        } else if (&screen == &bodies) {
            EXPECT_TRUE(bodies.aggiungi()); // a new body, opened in the body editor
            prompt.answerSaveFile(file);
            bodies.esportaXml();
            bodies.accept();
        } else if (&screen == &body) {
            type(body.field("DatiGenerali_Numero"), "2026/17");
            EXPECT_TRUE(body.addSectionRow(linesDataset)); // opens the line screen
            prompt.answerQuestion(true); // "Crea automaticamente" asks before rebuilding
            body.createSummariesButton()->click();
            body.indietro();
        } else if (&screen == lines) {
            type(lines->field("Descrizione"), "Consulenza fiscale");
            // The new line proposes a quantity of 1: typing replaces it.
            qobject_cast<QLineEdit*>(lines->field("Quantita"))->selectAll();
            type(lines->field("Quantita"), "2");
            type(lines->field("PrezzoUnitario"), "75,50");
            type(lines->field("PrezzoTotale"), "151");
            type(lines->field("AliquotaIva"), "22");
            lines->indietro();
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
    EXPECT_EQ(text("PrezzoTotale"), "151.00");
    EXPECT_EQ(text("ImponibileImporto"), "151.00");
    EXPECT_EQ(text("Imposta"), "33.22");

    const QString errors = schemaErrors(file);
    EXPECT_TRUE(errors.isEmpty()) << errors.toStdString();
}

} // namespace
} // namespace brevalto::test
