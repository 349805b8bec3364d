// The master data through the real main window: the buttons of the "Archivio" tab, the single
// seller and the single representative row, the header's new-customer button, and a new user's
// first invoice on a fresh archive, from the seller to a file the official schema accepts.
#include "ShellFixture.h"
#include "documents/BodyEditor.h"
#include "documents/BodyRegister.h"
#include "documents/HeaderEditor.h"
#include "documents/HeaderPartyEditors.h"
#include "masterdata/MasterBrowsers.h"
#include "masterdata/PartyEditors.h"
#include "masterdata/TableEditors.h"
#include "ui/BoundInputs.h"
#include "ui/DataGrid.h"
#include "ui/ScreenHost.h"

#include <QDomDocument>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

namespace brevalto::test {
namespace {

class MasterDataFlowTest : public ShellTest {
protected:
    void TearDown() override {
        setModalShower({});
        ShellTest::TearDown();
    }
    void click(const char* button) { QTest::mouseClick(window().button(button), Qt::LeftButton); }
    int count(const QString& table) {
        return scalar(defaultArchive(), "select count(*) from " + table).toInt();
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
    int index = list->findText(shown);
    if (index < 0)
        index = list->findText(shown, Qt::MatchStartsWith);
    ASSERT_GE(index, 0) << shown.toStdString();
    list->setCurrentIndex(index);
    Q_EMIT list->activated(index);
}

void check(QWidget* box) {
    auto* check = qobject_cast<QAbstractButton*>(box);
    ASSERT_NE(check, nullptr);
    QTest::mouseClick(check, Qt::LeftButton, {}, QPoint(4, check->height() / 2));
}

// The fields of a new customer, typed as a user would.
void typeCustomer(CessionarioEditor& customer) {
    const QString p = "CessionarioCommittente_";
    type(customer.field(p + "IdCodice"), "12345678903");
    type(customer.field(p + "Denominazione"), "Bianchi Spa");
    type(customer.field(p + "CodiceUnivocoUfficio"), "abc1234");
    type(customer.field(p + "Sede_Indirizzo"), "Corso Italia");
    type(customer.field(p + "Sede_NumeroCivico"), "5");
    pick(customer.lookup(p + "Sede_Comune"), "Milano");
}

TEST_F(MasterDataFlowTest, SingleSellerAndSingleRowsOpenTheirEditors) {
    makeArchive();
    ASSERT_TRUE(start());
    auto& seller = screens->get<CedenteEditor>();
    auto& representative = screens->get<RappresentanteFiscaleEditor>();
    QStringList shown;
    setModalShower([&](QDialog& screen) {
        shown << screen.objectName();
        if (&screen == &seller) {
            EXPECT_EQ(seller.dataset().state(), Dataset::State::Insert);
            EXPECT_EQ(seller.dataset().text("CedentePrestatore_IdPaese"), "IT");
            EXPECT_EQ(seller.dataset().text("CedentePrestatore_Sede_Nazione"), "IT");
            seller.indietro(); // nothing typed: nothing stored
        } else if (&screen == &representative && shown.count(screen.objectName()) == 1) {
            EXPECT_TRUE(representative.dataset().flag("RappresentanteFiscale"));
            EXPECT_TRUE(representative.isModified());
            representative.indietro(); // switched on and empty: the rules stop it
            EXPECT_TRUE(representative.saveFailed());
            check(representative.field("RappresentanteFiscale"));
            representative.indietro();
            EXPECT_FALSE(representative.saveFailed());
        } else if (&screen == &representative) {
            EXPECT_FALSE(representative.dataset().flag("RappresentanteFiscale"));
            representative.indietro();
        }
        return 0;
    });
    click("btnCedentePrestatore");
    EXPECT_EQ(count("PA_CedentePrestatore"), 0);
    EXPECT_EQ(seller.dataset().state(), Dataset::State::Browse);
    click("btnRappresentanteFiscale");
    EXPECT_EQ(
        scalar(defaultArchive(),
               "select count(*) from PA_RappresentanteFiscale where RappresentanteFiscale = 0")
            .toInt(),
        1);
    EXPECT_EQ(prompt.messages(), QStringList{"Attenzione manca la Partita Iva"});
    click("btnRappresentanteFiscale");
    EXPECT_EQ(count("PA_RappresentanteFiscale"), 1) << "the one row is opened again";
    EXPECT_EQ(shown,
              QStringList({"frmModificaCedentePrestatore", "frmModificaRappresentanteFiscale",
                           "frmModificaRappresentanteFiscale"}));

    // Several sellers: the list instead.
    sql(defaultArchive(), "update opzioni set StudioCommerciale = 1");
    dm().table("TableOpzioni").requery();
    shown.clear();
    click("btnCedentePrestatore");
    EXPECT_EQ(shown, QStringList{"frmGrigliaCedentiPrestatori"});

    // The lists the main window empties after closing them, and the VAT list it shows unfiltered.
    auto& comuni = screens->get<ComuniBrowser>();
    setModalShower([&](QDialog& screen) {
        if (&screen == &comuni)
            comuni.searchBox(0)->setText("Mil");
        return 0;
    });
    click("btnComuni");
    EXPECT_TRUE(comuni.searchBox(0)->text().isEmpty());
    EXPECT_TRUE(comuni.dataset().filter().isEmpty());
    dm().table("TableIva").setFilter("Iva = 22");
    click("btnIva");
    EXPECT_TRUE(dm().table("TableIva").filter().isEmpty());
    // Every list registers its grid's layout when it is made (the customers' and carriers' now).
    screens->get<CessionariBrowser>();
    screens->get<VettoriBrowser>();
    for (const char* name : {"frmGrigliaCedentiPrestatori", "frmGriglia_CessionarioCommittente",
                             "frmGrigliaComuni", "frmGrigliaIva", "frmGrigliaVettori"}) {
        bool registered = false;
        for (const auto& [layout, grid] : screens->layoutGrids())
            registered = registered || layout == name;
        EXPECT_TRUE(registered) << name;
    }
}

TEST_F(MasterDataFlowTest, NewCustomerButtonOfTheHeaderAddsAndPicksTheCustomer) {
    makeArchive();
    sql(defaultArchive(), "insert into PA_FE_Header (Numero) values (1)");
    ASSERT_TRUE(start());
    auto& header = screens->get<HeaderCessionarioEditor>();
    auto& customer = screens->get<CessionarioEditor>();
    ASSERT_TRUE(header.newCustomerButton()->isEnabled());

    QStringList shown;
    setModalShower([&](QDialog& screen) {
        shown << screen.objectName();
        EXPECT_TRUE(customer.isAnnullaVisible());
        customer.annulla();
        return 0;
    });
    header.newCustomerButton()->click();
    EXPECT_EQ(shown, QStringList{"frmModificaCessionarioCommittente"}) << "the list stays hidden";
    EXPECT_EQ(count("PA_CessionarioCommittente"), 0);
    EXPECT_TRUE(dm().table("TablePA_FE_Header").isNull("CessionarioCommittente_ID"));

    setModalShower([&](QDialog& screen) {
        EXPECT_EQ(&screen, &customer);
        typeCustomer(customer);
        customer.indietro();
        return 0;
    });
    header.newCustomerButton()->click();
    EXPECT_TRUE(prompt.calls().isEmpty()) << prompt.messages().join("|").toStdString();
    ASSERT_EQ(count("PA_CessionarioCommittente"), 1);
    const Dataset& document = dm().table("TablePA_FE_Header");
    EXPECT_EQ(document.text("CessionarioCommittente_Denominazione"), "Bianchi Spa");
    EXPECT_EQ(document.text("DatiTrasmissione_CodiceDestinatario"), "ABC1234");
    EXPECT_EQ(header.lookup("CessionarioCommittente_ID")->currentText(), "Bianchi Spa");
}

TEST_F(MasterDataFlowTest, ANewUserIssuesAValidInvoiceFromAnEmptyArchive) {
    makeArchive();
    sql(defaultArchive(), "update Ditta set RagSoc = 'Rossi Srl', CodFisc = '01234567897', "
                          "IdPaese = 'IT', Tel = '0612345678', Email = 'info@rossi.example'");
    ASSERT_TRUE(start());
    auto& seller = screens->get<CedenteEditor>();
    auto& customers = screens->get<CessionariBrowser>();
    auto& customer = screens->get<CessionarioEditor>();
    auto& carriers = screens->get<VettoriBrowser>();
    auto& carrier = screens->get<VettoreEditor>();
    const QString s = "CedentePrestatore_";

    setModalShower([&](QDialog& screen) {
        if (&screen == &seller) {
            pick(seller.lookup(s + "IdPaese"), "Italia");
            type(seller.field(s + "IdCodice"), "01234567897");
            type(seller.field(s + "Denominazione"), "Rossi Srl");
            pick(seller.lookup(s + "RegimeFiscale"), "Regime ordinario");
            type(seller.field(s + "Sede_Indirizzo"), "Via Roma");
            type(seller.field(s + "Sede_NumeroCivico"), "1");
            pick(seller.lookup(s + "Sede_Comune"), "Roma");
            type(seller.field("DPIban"), "IT60 X054 2811 1010 0000 0123 456");
            seller.indietro();
            EXPECT_FALSE(seller.saveFailed()) << prompt.messages().join("|").toStdString();
        } else if (&screen == &customers) {
            EXPECT_TRUE(customers.aggiungi());
            customers.indietro();
        } else if (&screen == &customer) {
            typeCustomer(customer);
            customer.indietro();
        } else if (&screen == &carriers) {
            EXPECT_TRUE(carriers.aggiungi());
            carriers.indietro();
        } else if (&screen == &carrier) {
            type(carrier.field("IdCodice"), "12345678903");
            type(carrier.field("Denominazione"), "Trasporti Veloci Srl");
            type(carrier.field("NumeroLicenzaGuida"), "AB123");
            carrier.indietro();
        }
        return 0;
    });
    click("btnCedentePrestatore");
    click("btnCessionarioCommittente");
    click("btnVettori");
    EXPECT_TRUE(prompt.calls().isEmpty()) << prompt.messages().join("|").toStdString();
    ASSERT_EQ(count("PA_CedentePrestatore"), 1);
    ASSERT_EQ(count("PA_CessionarioCommittente"), 1);
    ASSERT_EQ(count("Vettori"), 1);
    EXPECT_EQ(scalar(defaultArchive(), "select DPIban from PA_CedentePrestatore").toString(),
              "IT60X0542811101000000123456");
    EXPECT_EQ(scalar(defaultArchive(), "select CedentePrestatore_Sede_CAP from "
                                       "PA_CedentePrestatore")
                  .toString(),
              scalar(defaultArchive(), "select CAP from Comuni where Comune = 'Roma'").toString());

    // A Document for the new customer, with the carrier, exported.
    const QString file = folder.file("IT01234567897_00001.xml");
    HeaderEditor& header = screens->get<HeaderEditor>();
    HeaderCessionarioEditor& buyer = screens->get<HeaderCessionarioEditor>();
    BodyRegister& bodies = screens->get<BodyRegister>();
    BodyEditor& body = screens->get<BodyEditor>();
    const QString linesDataset = "TablePA_FE_Body_DatiBeniServizi_DettaglioLinee";
    EditorBase* lines = body.sectionScreen(linesDataset);
    ASSERT_NE(lines, nullptr);
    setModalShower([&](QDialog& screen) {
        if (&screen == &header) {
            header.avanti();
            header.indietro();
        } else if (&screen == &buyer) {
            pick(buyer.lookup("CessionarioCommittente_ID"), "Bianchi Spa");
            buyer.avanti();
            buyer.indietro();
        } else if (&screen == &bodies) {
            EXPECT_TRUE(bodies.aggiungi());
            prompt.answerSaveFile(file);
            bodies.esportaXml();
            bodies.accept();
        } else if (&screen == &body) {
            type(body.field("DatiGenerali_Numero"), "1");
            // Picking the carrier is enough: its block and the transport data are included.
            pick(qobject_cast<BoundLookup*>(body.field("Vettore_ID")), "Trasporti Veloci Srl");
            EXPECT_TRUE(body.addSectionRow(linesDataset));
            prompt.answerQuestion(true); // the build proposes the document total
            body.createSummariesButton()->click();
            body.indietro();
        } else if (&screen == lines) {
            type(lines->field("Descrizione"), "Consulenza fiscale");
            qobject_cast<QLineEdit*>(lines->field("Quantita"))->selectAll();
            type(lines->field("Quantita"), "1");
            type(lines->field("PrezzoUnitario"), "100"); // the total follows
            type(lines->field("AliquotaIva"), "22");
            lines->indietro();
        }
        return 0;
    });
    click("spdInserisci");
    ASSERT_TRUE(QFile::exists(file)) << prompt.messages().join(" | ").toStdString();

    QFile xml(file);
    ASSERT_TRUE(xml.open(QIODevice::ReadOnly));
    QDomDocument doc;
    ASSERT_TRUE(doc.setContent(&xml));
    const auto text = [&](const char* parent, const char* tag) {
        return doc.elementsByTagName(parent)
            .item(0)
            .toElement()
            .elementsByTagName(tag)
            .item(0)
            .toElement()
            .text();
    };
    EXPECT_EQ(text("CedentePrestatore", "Denominazione"), "Rossi Srl");
    EXPECT_EQ(text("CessionarioCommittente", "Denominazione"), "Bianchi Spa");
    EXPECT_EQ(text("DatiTrasmissione", "CodiceDestinatario"), "ABC1234");
    EXPECT_EQ(text("DatiAnagraficiVettore", "Denominazione"), "Trasporti Veloci Srl");
    const QString errors = schemaErrors(file);
    EXPECT_TRUE(errors.isEmpty()) << errors.toStdString();
}

} // namespace
} // namespace brevalto::test
