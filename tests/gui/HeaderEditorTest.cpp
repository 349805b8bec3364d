// The header editor's screens driven as a user would, on a real archive: the picks that copy a
// party into the Document, the municipality picks, every screen's save rules, the walk from the
// header to the buyer and on, and "Annulla" right after a Document was added.
#include "documents/HeaderEditor.h"
#include "documents/HeaderPartyEditors.h"
#include "logic/DocumentRegister.h"
#include "masterdata/MasterBrowsers.h"
#include "store/DataModule.h"
#include "store/Prompt.h"
#include "support/ScriptedPrompt.h"
#include "support/TestFiles.h"
#include "ui/BoundInputs.h"
#include "ui/FieldHelp.h"
#include "ui/ScreenHost.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

using namespace brevalto;

namespace {

class HeaderEditorTest : public ::testing::Test {
protected:
    void SetUp() override {
        db.connessione().open(test::copyOfNewArchive(folder));
        db.openAllDatasets();
        // Some screens are driven without being shown: their municipality lists are opened as
        // showing them would.
        db.table("TableComuni");
        setPrompt(&scripted);
        ASSERT_TRUE(reg.aggiungi());
        header.setPartyScreens(&cedente, &rappresentante, &terzo, &cessionario);
    }
    void TearDown() override {
        setPrompt(nullptr);
        setModalShower({});
        setFieldHelpHandler({});
    }

    Dataset& h() { return db.table("TablePA_FE_Header"); }
    void sql(const QString& statement, const QVariantList& values = {}) {
        db.connessione().exec(statement, values);
    }
    QVariant stored(const QString& column) {
        return db.connessione().scalar(
            QString("select %1 from PA_FE_Header where ID = ?").arg(column), {h().integer("ID")});
    }
    // Sets columns of the current Document as typing would.
    void set(const QList<QPair<QString, QVariant>>& values) {
        h().edit();
        for (const auto& [column, value] : values)
            h().setValue(column, value);
    }
    // Picks the item showing text in a pick list, as a click does.
    static void pick(EditorBase& screen, const QString& column, const QString& text) {
        auto* list = qobject_cast<BoundLookup*>(screen.field(column));
        ASSERT_TRUE(list) << column.toStdString();
        const int index = list->findText(text);
        ASSERT_GE(index, 0) << text.toStdString();
        list->setCurrentIndex(index);
        Q_EMIT list->activated(index);
    }
    // Runs "Indietro" and returns the message shown (empty when the save passed).
    QString leave(EditorBase& screen) {
        scripted.clear();
        screen.setModified(true);
        screen.indietro();
        const QStringList messages = scripted.messages();
        EXPECT_EQ(screen.saveFailed(), !messages.isEmpty());
        return messages.value(0);
    }
    void validSeller() {
        const QString p = "CedentePrestatore_";
        set({{p + "IdPaese", "IT"},
             {p + "IdCodice", "01234567890"},
             {p + "RegimeFiscale", "RF01"},
             {p + "Denominazione", "Alfa Srl"},
             {p + "Sede_Indirizzo", "Via Roma"},
             {p + "Sede_CAP", "00100"},
             {p + "Sede_Comune", "Roma"},
             {p + "Sede_Nazione", "IT"},
             {p + "CodiceFiscale", QVariant()},
             {p + "Titolo", QVariant()},
             {p + "CodOERI", QVariant()},
             {p + "StabileOrganizzazione", false},
             {p + "Iscrizione_REA", false},
             {p + "Iscrizione_Contatti", false}});
    }
    void validBuyer() {
        const QString p = "CessionarioCommittente_";
        set({{p + "IdPaese", "IT"},
             {p + "IdCodice", "01234567890"},
             {p + "Denominazione", "Beta Spa"},
             {p + "Sede_Indirizzo", "Via Po"},
             {p + "Sede_CAP", "10100"},
             {p + "Sede_Comune", "Torino"},
             {p + "Sede_Nazione", "IT"},
             {p + "StabileOrganizzazione", false},
             {p + "CodiceFiscale", QVariant()},
             {p + "Pec", QVariant()},
             {p + "RappresentanteFiscale", false},
             {p + "PubblicaAmministrazione", false},
             {"DatiTrasmissione_CodiceDestinatario", "ABC1234"}});
    }

    test::TempFolder folder;
    DataModule db;
    test::ScriptedPrompt scripted;
    DocumentRegister reg{db, scripted};
    HeaderEditor header{db};
    HeaderCedenteEditor cedente{db};
    HeaderRappresentanteEditor rappresentante{db};
    HeaderTerzoIntermediarioEditor terzo{db};
    HeaderCessionarioEditor cessionario{db};
};

// Deleting a customer that Documents name says how many do (they keep their copy of its data);
// the Document's customer picker then shows that copy instead of nothing.
TEST_F(HeaderEditorTest, ADeletedCustomerIsNamedByTheDocumentsCopy) {
    const QString p = "CessionarioCommittente_";
    sql("insert into PA_CessionarioCommittente (CessionarioCommittente_Denominazione, "
        "CessionarioCommittente_NominativoVisualizzato) values ('Bianchi Spa', 'Bianchi Spa'), "
        "('Verdi Srl', 'Verdi Srl')");
    const int bianchi =
        db.connessione()
            .scalar("select CessionarioCommittente_ID from PA_CessionarioCommittente where "
                    "CessionarioCommittente_Denominazione = 'Bianchi Spa'")
            .toInt();
    sql("update PA_FE_Header set CessionarioCommittente_ID = ?, "
        "CessionarioCommittente_Denominazione = 'Bianchi Spa'",
        {bianchi});
    sql("insert into PA_FE_Header (Numero, CessionarioCommittente_ID) values (99, ?)", {bianchi});
    const int document = h().integer("ID");
    h().requery();
    ASSERT_TRUE(h().locate("ID", document));

    CessionariBrowser customers(db);
    Dataset& list = customers.dataset();
    list.requery();
    const QString plain = "Sei sicuro di voler eliminare il Cessionario - Committente ?";
    const struct {
        const char* name;
        QString question;
    } cases[] = {
        {"Verdi Srl", plain},
        {"Bianchi Spa", "Il Cessionario - Committente è indicato in 2 documenti, che conservano "
                        "la propria copia dei suoi dati.\n\n" +
                            plain},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(list.locate(p + "Denominazione", c.name));
        scripted.clear();
        scripted.answerQuestion(false);
        EXPECT_FALSE(customers.elimina());
        ASSERT_EQ(scripted.calls().size(), 1);
        EXPECT_EQ(scripted.calls()[0].text, c.question);
    }
    scripted.answerQuestion(true);
    EXPECT_TRUE(customers.elimina());
    EXPECT_EQ(db.connessione()
                  .scalar("select count(*) from PA_CessionarioCommittente where "
                          "CessionarioCommittente_ID = ?",
                          {bianchi})
                  .toInt(),
              0);

    BoundLookup* picker = cessionario.lookup(p + "ID");
    picker->refreshList();
    EXPECT_EQ(picker->currentIndex(), -1);
    EXPECT_EQ(picker->placeholderText(), "Bianchi Spa (non più in archivio)");
    EXPECT_EQ(h().text(p + "Denominazione"), "Bianchi Spa");
}

TEST_F(HeaderEditorTest, SellerPickCopiesTheSellerAndSwitchesItsBlocks) {
    // The Document uses contacts; the seller picked has none, but an establishment.
    set({{"CedentePrestatore_Iscrizione_Contatti", true},
         {"CedentePrestatore_Contatti_Telefono", "0611111"},
         {"DPIban", "IT00DOCUMENT"}});
    sql("insert into PA_CedentePrestatore (CedentePrestatore_Denominazione, "
        "CedentePrestatore_Cognome, "
        "CedentePrestatore_Nome, CedentePrestatore_RegimeFiscale, "
        "CedentePrestatore_Iscrizione_Contatti, "
        "CedentePrestatore_Contatti_Telefono, CedentePrestatore_StabileOrganizzazione, "
        "CedentePrestatore_StabileOrganizzazione_Comune, "
        "CedentePrestatore_RiferimentoAmministrazione, "
        "DPIban) values ('Gamma', 'Neri', 'Ugo', 'RF02', 0, '0622222', 1, 'Milano', 'RIF-9', "
        "'IT00SELLER')");
    db.table("TablePA_CedentePrestatore").requery();

    pick(cedente, "CedentePrestatore_Id", "Gamma - Neri Ugo");
    EXPECT_TRUE(cedente.isModified());
    EXPECT_EQ(h().text("CedentePrestatore_Denominazione"), "Gamma");
    EXPECT_EQ(h().text("CedentePrestatore_RegimeFiscale"), "RF02");
    EXPECT_EQ(h().text("CedentePrestatore_RiferimentoAmministrazione"), "RIF-9");
    EXPECT_TRUE(h().flag("CedentePrestatore_StabileOrganizzazione"));
    EXPECT_EQ(h().text("CedentePrestatore_StabileOrganizzazione_Comune"), "Milano");
    EXPECT_FALSE(h().flag("CedentePrestatore_Iscrizione_Contatti"));
    EXPECT_EQ(h().text("CedentePrestatore_Contatti_Telefono"), "0611111")
        << "a block switched off keeps the Document's old values";
    EXPECT_EQ(h().text("DPIban"), "IT00DOCUMENT")
        << "payment defaults come only with a new Document";
    EXPECT_EQ(
        qobject_cast<BoundLookup*>(cedente.field("CedentePrestatore_RegimeFiscale"))->currentText(),
        "Regime dei contribuenti minimi (art. 1, c.96-117, L. 244/2007)");
}

TEST_F(HeaderEditorTest, MunicipalityPicksFillPostcodeProvinceAndCountry) {
    sql("insert into Comuni (Comune, CAP, Provincia, Nazione_ID) values ('Mentone', '06500', "
        "null, 250)");
    sql("insert into Comuni (Comune, CAP, Provincia, Nazione_ID) values ('Nessunluogo', '99999', "
        "'ZZ', 123456)");
    db.table("TableComuni").requery();
    struct Case {
        EditorBase* screen;
        QString prefix;
        QString municipality, cap, province, country;
    };
    const QString c = "CedentePrestatore_", b = "CessionarioCommittente_";
    for (const Case& k : {
             Case{&cedente, c + "Sede_", "Agliè", "10011", "TO", "IT"},
             Case{&cedente, c + "StabileOrganizzazione_", "Mentone", "06500", "", "FR"},
             Case{&cessionario, b + "Sede_", "Nessunluogo", "99999", "ZZ", "IT"},
             Case{&cessionario, b + "StabileOrganizzazione_", "Airasca", "10060", "TO", "IT"},
         }) {
        set({{k.prefix + "Nazione", "DE"},
             {k.prefix + "CAP", "1"},
             {k.prefix + "Provincia", "XX"}});
        k.screen->setModified(false);
        pick(*k.screen, k.prefix + "Comune", k.municipality);
        EXPECT_EQ(h().text(k.prefix + "Comune"), k.municipality);
        EXPECT_EQ(h().text(k.prefix + "CAP"), k.cap) << k.municipality.toStdString();
        EXPECT_EQ(h().text(k.prefix + "Provincia"), k.province) << k.municipality.toStdString();
        EXPECT_EQ(h().text(k.prefix + "Nazione"), k.country) << k.municipality.toStdString();
        EXPECT_TRUE(k.screen->isModified());
    }
}

TEST_F(HeaderEditorTest, SellerScreenChecksItsRulesInOrderOnTheirTab) {
    const QString p = "CedentePrestatore_";
    struct Case {
        QList<QPair<QString, QVariant>> change;
        QString message;
        int tab;       // -1: the tab shown is left as it was
        QString focus; // empty: the focus stays where it was
    };
    const QList<Case> cases = {
        {{{p + "IdCodice", ""}, {p + "IdPaese", QVariant()}},
         "Attenzione manca la Partita Iva",
         -1,
         p + "IdCodice"},
        {{{p + "RegimeFiscale", "XX"}},
         "Attenzione manca il regime fiscale",
         -1,
         p + "RegimeFiscale"},
        {{{p + "Denominazione", ""}},
         "Attenzione manca la Ragione sociale oppure Nome e Cognome",
         -1,
         ""},
        {{{p + "Sede_CAP", ""}, {p + "Sede_Comune", ""}},
         "Attenzione manca il Cap della Sede",
         1,
         p + "Sede_CAP"},
        {{{p + "CodiceFiscale", "RSSMRA"}, {p + "Sede_CAP", "001"}},
         "Attenzione il Codice fiscale deve essere di almeno 11 caratteri",
         -1,
         p + "CodiceFiscale"},
        {{{p + "Sede_CAP", "0010"}},
         "Attenzione il CAP della sede deve essere di almeno 5 caratteri",
         1,
         p + "Sede_CAP"},
        {{{p + "StabileOrganizzazione", true},
          {p + "StabileOrganizzazione_Indirizzo", "Via X"},
          {p + "StabileOrganizzazione_CAP", "2010"}},
         "Attenzione il Cap dello Stabile dell'organizzazione deve essere di almeno 5 Caratteri !",
         2,
         p + "StabileOrganizzazione_CAP"},
        {{{p + "Iscrizione_REA", true}, {p + "Iscrizione_REA_NumeroREA", "123"}},
         "Attenzione manca l'Ufficio ",
         3,
         p + "Iscrizione_REA_Ufficio"},
        {{{p + "Iscrizione_REA", true},
          {p + "Iscrizione_REA_Ufficio", "RM"},
          {p + "Iscrizione_REA_NumeroREA", "123"}},
         "Attenzione manca lo stato di liquidazione ",
         3,
         p + "Iscrizione_REA_StatoLiquidazione"},
        {{{p + "Iscrizione_Contatti", true}, {p + "Contatti_Fax", "12"}},
         "Attenzione il fax del contatto deve essere di almeno 5 Caratteri !",
         4,
         p + "Contatti_Fax"},
        // Blocks that are not included are not checked.
        {{{p + "StabileOrganizzazione_CAP", "1"}, {p + "Contatti_Fax", "12"}}, "", -1, ""},
    };
    cedente.show();
    for (const Case& c : cases) {
        validSeller();
        set(c.change);
        cedente.tabs()->setCurrentIndex(0);
        cedente.indietroButton()->setFocus();
        EXPECT_EQ(leave(cedente), c.message);
        EXPECT_EQ(cedente.tabs()->currentIndex(), c.tab < 0 ? 0 : c.tab) << c.message.toStdString();
        QWidget* focused = cedente.focusWidget();
        EXPECT_EQ(focused ? focused->objectName() : QString(),
                  c.focus.isEmpty() ? QString("spdIndietro") : c.focus)
            << c.message.toStdString();
    }
    EXPECT_FALSE(cedente.isModified()) << "a save that passed clears the flag";
    EXPECT_EQ(stored("CedentePrestatore_Contatti_Fax").toString(), "12");
}

TEST_F(HeaderEditorTest, BuyerScreenRules) {
    const QString p = "CessionarioCommittente_";
    struct Case {
        const char* what;
        QList<QPair<QString, QVariant>> change;
        QString message;
        int tab;
    };
    const QList<Case> cases = {
        {"tax code only, no country",
         {{p + "IdCodice", ""},
          {p + "IdPaese", QVariant()},
          {p + "CodiceFiscale", "RSSMRA80A01H501U"}},
         "",
         0},
        {"VAT number without country",
         {{p + "IdPaese", QVariant()}},
         "Attenzione manca la Nazione",
         0},
        {"neither VAT number nor tax code",
         {{p + "IdCodice", ""}},
         "Attenzione Manca o il codice fiscale oppure la partita Iva",
         0},
        {"foreign short postcode",
         {{p + "Sede_CAP", "1234"}, {p + "Sede_Nazione", "CH"}},
         "Attenzione il CAP deve essere di 5 cifre anche per un indirizzo estero: se non ne ha uno "
         "di 5 cifre indicare 00000",
         0},
        {"foreign postcode 00000", {{p + "Sede_CAP", "00000"}, {p + "Sede_Nazione", "CH"}}, "", 0},
        {"Italian short postcode",
         {{p + "Sede_CAP", "1234"}},
         "Attenzione il codice CAP deve essere di almeno 5 caratteri",
         0},
        {"establishment without CAP",
         {{p + "StabileOrganizzazione", true}, {p + "StabileOrganizzazione_Indirizzo", "Via Po"}},
         "Attenzione manca il Cap dello Stabile dell'organizzazione",
         1},
        {"representative without VAT number",
         {{p + "RappresentanteFiscale", true}},
         "Attenzione manca la Partita Iva",
         2},
        {"private buyer with PEC only",
         {{"DatiTrasmissione_CodiceDestinatario", ""}, {p + "Pec", "beta@pec.it"}},
         "",
         0},
        {"private buyer with neither",
         {{"DatiTrasmissione_CodiceDestinatario", ""}},
         "Attenzione manca il codice destinatario accreditato sdi - o la pec",
         0},
        {"administration with PEC but no code",
         {{p + "PubblicaAmministrazione", true},
          {"DatiTrasmissione_CodiceDestinatario", ""},
          {p + "Pec", "ente@pec.it"}},
         "Attenzione manca il codice destinatario - codice univoco",
         0},
        // A public administration's office code has 6 characters, any other recipient code 7.
        {"administration with a 7-character code",
         {{p + "PubblicaAmministrazione", true}},
         "Attenzione il codice destinatario di una Pubblica Amministrazione (codice univoco "
         "ufficio) deve essere di 6 caratteri",
         0},
        {"administration with its office code",
         {{p + "PubblicaAmministrazione", true}, {"DatiTrasmissione_CodiceDestinatario", "UFABCD"}},
         "",
         0},
        {"private buyer with a 6-character code",
         {{"DatiTrasmissione_CodiceDestinatario", "UFABCD"}},
         "Attenzione il codice destinatario deve essere di 7 caratteri (0000000 per chi riceve "
         "con la PEC o non è accreditato)",
         0},
        {"private buyer with 0000000 and PEC",
         {{"DatiTrasmissione_CodiceDestinatario", "0000000"}, {p + "Pec", "beta@pec.it"}},
         "",
         0},
    };
    for (const Case& c : cases) {
        validBuyer();
        set({{p + "IdFiscaleIva", QVariant()}});
        set(c.change);
        cessionario.tabs()->setCurrentIndex(0);
        EXPECT_EQ(leave(cessionario), c.message) << c.what;
        EXPECT_EQ(cessionario.tabs()->currentIndex(), c.tab) << c.what;
    }

    // The VAT-number flag follows the number, even when a later rule fails, but not when the
    // number's country is missing.
    validBuyer();
    set({{p + "IdCodice", ""},
         {p + "CodiceFiscale", "RSSMRA80A01H501U"},
         {p + "IdFiscaleIva", true},
         {p + "Sede_Comune", ""}});
    leave(cessionario);
    EXPECT_EQ(h().value(p + "IdFiscaleIva"), QVariant(false));
    set({{p + "IdCodice", "123"}, {p + "IdPaese", QVariant()}, {p + "IdFiscaleIva", false}});
    leave(cessionario);
    EXPECT_EQ(h().value(p + "IdFiscaleIva"), QVariant(false));

    // Ticking or unticking "Pubblica Amministrazione" decides the transmission format.
    validBuyer();
    set({{p + "PubblicaAmministrazione", true}, {"DatiTrasmissione_CodiceDestinatario", "UFABCD"}});
    EXPECT_EQ(leave(cessionario), "");
    EXPECT_EQ(stored("DatiTrasmissione_FormatoTrasmissione").toString(), "FPA12");
    EXPECT_EQ(stored(p + "IdFiscaleIva").toInt(), 1);
    set({{p + "PubblicaAmministrazione", false},
         {"DatiTrasmissione_CodiceDestinatario", "ABC1234"}});
    EXPECT_EQ(leave(cessionario), "");
    EXPECT_EQ(stored("DatiTrasmissione_FormatoTrasmissione").toString(), "FPR12");
    EXPECT_EQ(
        qobject_cast<QLineEdit*>(cessionario.field("DatiTrasmissione_FormatoTrasmissione"))->text(),
        "FPR12");
}

TEST_F(HeaderEditorTest, BuyerPickOverwritesRecipientCodeAndFormat) {
    const QString p = "CessionarioCommittente_";
    set({{p + "IdCodice", "OLDVAT"},
         {p + "IdFiscaleIva", true},
         {"DatiTrasmissione_CodiceDestinatario", "OLD0000"}});
    // A public office known by tax code only, with an establishment it does not use.
    sql("insert into PA_CessionarioCommittente (CessionarioCommittente_CodiceFiscale, "
        "CessionarioCommittente_Denominazione, CessionarioCommittente_NominativoVisualizzato, "
        "CessionarioCommittente_NominativoDocumenti, CessionarioCommittente_CodiceUnivocoUfficio, "
        "CessionarioCommittente_PubblicaAmministrazione, CessionarioCommittente_Pec, "
        "CessionarioCommittente_StabileOrganizzazione, "
        "CessionarioCommittente_StabileOrganizzazione_Comune) values ('80012345678', 'Comune di "
        "Alfa', 'Comune di Alfa', 'Comune di Alfa', ' ufabcd', 1, 'alfa@pec.it', 0, 'Alfa')");
    db.table("TablePA_CessionarioCommittente").requery();

    pick(cessionario, p + "ID", "Comune di Alfa");
    EXPECT_TRUE(cessionario.isModified());
    EXPECT_EQ(h().text("DatiTrasmissione_CodiceDestinatario"), "UFABCD") << "upper case, trimmed";
    EXPECT_EQ(h().text("DatiTrasmissione_FormatoTrasmissione"), "FPA12");
    EXPECT_EQ(h().text(p + "CodiceFiscale"), "80012345678");
    EXPECT_EQ(h().text(p + "NominativoVisualizzato"), "Comune di Alfa");
    EXPECT_EQ(h().text(p + "Pec"), "alfa@pec.it");
    EXPECT_EQ(h().text(p + "IdCodice"), "OLDVAT") << "a buyer without VAT number leaves it";
    EXPECT_TRUE(h().flag(p + "IdFiscaleIva"));
    EXPECT_FALSE(h().flag(p + "StabileOrganizzazione"));
    EXPECT_EQ(h().text(p + "StabileOrganizzazione_Comune"), "Alfa") << "copied whatever its flag";

    // A private buyer with a VAT number.
    sql("insert into PA_CessionarioCommittente (CessionarioCommittente_IdCodice, "
        "CessionarioCommittente_NominativoVisualizzato, "
        "CessionarioCommittente_PubblicaAmministrazione) "
        "values ('09876543210', 'Delta', 0)");
    db.table("TablePA_CessionarioCommittente").requery();
    set({{p + "IdFiscaleIva", false}});
    pick(cessionario, p + "ID", "Delta");
    EXPECT_EQ(h().text(p + "IdCodice"), "09876543210");
    EXPECT_TRUE(h().flag(p + "IdFiscaleIva"));
    EXPECT_EQ(h().text("DatiTrasmissione_FormatoTrasmissione"), "FPR12");
    EXPECT_TRUE(h().isNull("DatiTrasmissione_CodiceDestinatario"));
}

TEST_F(HeaderEditorTest, RepresentativeAndIntermediaryRulesRunOnlyWhenIncluded) {
    struct Case {
        EditorBase* screen;
        QString prefix;
        QString flag;
        QList<QPair<QString, QVariant>> change;
        QString message;
    };
    const QString r = "RappresentanteFiscale_DatiAnagrafici_",
                  t = "TerzoIntermediarioOSoggettoEmittente_";
    const QList<Case> cases = {
        {&rappresentante, r, "RappresentanteFiscale", {}, "Attenzione manca la Partita Iva"},
        {&rappresentante,
         r,
         "RappresentanteFiscale",
         {{r + "IdCodice", "123"}},
         "Attenzione manca la Nazione"},
        {&rappresentante,
         r,
         "RappresentanteFiscale",
         {{r + "IdCodice", "123"}, {r + "IdPaese", "IT"}},
         "Attenzione manca la Ragione sociale oppure Nome e Cognome"},
        {&rappresentante,
         r,
         "RappresentanteFiscale",
         {{r + "IdCodice", "123"},
          {r + "IdPaese", "IT"},
          {r + "Cognome", "Neri"},
          {r + "Titolo", "D"}},
         "Attenzione il Titolo deve essere di almeno 2 caratteri"},
        {&terzo, t, "TerzoIntermediarioOSoggettoEmittente", {{t + "Nome", "Ugo"}}, ""},
        {&terzo,
         t,
         "TerzoIntermediarioOSoggettoEmittente",
         {{t + "Nome", "Ugo"}, {t + "IdCodice", "1"}},
         "Attenzione manca la Nazione"},
        {&terzo,
         t,
         "TerzoIntermediarioOSoggettoEmittente",
         {{t + "Nome", "Ugo"}, {t + "CodEORI", "IT123"}},
         "Attenzione il codice EORI deve essere di almeno 13 caratteri"},
    };
    for (const Case& c : cases) {
        QList<QPair<QString, QVariant>> values;
        for (const char* tail : {"IdPaese", "IdCodice", "CodiceFiscale", "Denominazione", "Nome",
                                 "Cognome", "Titolo", "CodEORI"})
            values.append({c.prefix + tail, QVariant()});
        set(values);
        set(c.change);
        set({{c.flag, false}});
        EXPECT_EQ(leave(*c.screen), "") << "not included: " << c.message.toStdString();
        set(c.change);
        set({{c.flag, true}});
        EXPECT_EQ(leave(*c.screen), c.message);
    }
}

TEST_F(HeaderEditorTest, HeaderRulesAndTheWalkToTheBuyerAndTheBodies) {
    QList<QDialog*> opened;
    setModalShower([&](QDialog& screen) {
        opened << &screen;
        return 0;
    });
    set({{"DatiTrasmissione_ProgressivoInvio", ""}});
    header.setModified(true);
    header.avanti();
    EXPECT_EQ(scripted.messages(), QStringList{"Attenzione manca il Progressivo Invio"});
    EXPECT_TRUE(opened.isEmpty()) << "a failed save stays on the header";

    set({{"DatiTrasmissione_ProgressivoInvio", "7"},
         {"DatiTrasmissione_IdCodice", "RSSMRA80A01H501U"},
         {"DatiTrasmissione_IdPaese", "XX"}});
    EXPECT_EQ(leave(header), "Attenzione manca la Nazione") << "a country the list does not show";
    set({{"DatiTrasmissione_IdPaese", "IT"}, {"DatiTrasmissione_IdCodice", ""}});
    EXPECT_EQ(leave(header), "Attenzione manca il Codice Fiscale");
    set({{"DatiTrasmissione_IdCodice", "RSSMRA80A01H501U"}});

    header.setModified(true);
    header.avanti();
    EXPECT_EQ(opened, QList<QDialog*>{&cessionario});
    EXPECT_EQ(stored("DatiTrasmissione_ProgressivoInvio").toString(), "7")
        << "Avanti saved the header";

    // The captions open the party screens, the seller on its first tab.
    cedente.tabs()->setCurrentIndex(3);
    Q_EMIT header.cedenteLink()->linkActivated("#");
    Q_EMIT header.rappresentanteLink()->linkActivated("#");
    Q_EMIT header.terzoLink()->linkActivated("#");
    EXPECT_EQ(opened, (QList<QDialog*>{&cessionario, &cedente, &rappresentante, &terzo}));
    EXPECT_EQ(cedente.tabs()->currentIndex(), 0);

    // The buyer's "Avanti" saves, then opens the body register; without one it closes.
    validBuyer();
    int registers = 0;
    cessionario.openBodyRegister = [&] { ++registers; };
    cessionario.setModified(true);
    cessionario.avanti();
    EXPECT_EQ(registers, 1);
    EXPECT_EQ(stored("CessionarioCommittente_Denominazione").toString(), "Beta Spa");
    set({{"CessionarioCommittente_Denominazione", ""}});
    cessionario.setModified(true);
    cessionario.avanti();
    EXPECT_EQ(registers, 1) << "not after a failed save";
    set({{"CessionarioCommittente_Denominazione", "Beta Spa"}});
    cessionario.openBodyRegister = nullptr;
    cessionario.show();
    cessionario.avanti();
    EXPECT_FALSE(cessionario.isVisible());
    EXPECT_EQ(cessionario.result(), QDialog::Accepted);

    EXPECT_FALSE(cessionario.newCustomerButton()->isEnabled());
    int added = 0;
    cessionario.setAddCustomer([&] { ++added; });
    EXPECT_TRUE(cessionario.newCustomerButton()->isEnabled());
    cessionario.newCustomerButton()->click();
    EXPECT_EQ(added, 1);
}

TEST_F(HeaderEditorTest, AnnullaRightAfterAddingRemovesTheDocumentAskingFirstWhenItHasBodies) {
    reg.showHeaderEditor = [&](bool justAdded) { header.showDocument(justAdded); };
    header.deleteCurrentDocument = [&] { reg.elimina(); };
    const int before = db.connessione().scalar("select count(*) from PA_FE_Header").toInt();
    const int previous = h().integer("ID");
    const QString question = "Eliminare il documento appena creato con le sue fatture e righe?";

    bool annullaShown = false;
    bool stillOpenAfterNo = false;
    setModalShower([&](QDialog& screen) {
        EXPECT_EQ(&screen, &header);
        annullaShown = header.isAnnullaVisible();
        // Work done before changing one's mind: a body with lines, a typed change.
        sql("insert into PA_FE_Body (PA_FE_Header_Id) values (?)", {h().integer("ID")});
        sql("insert into PA_FE_Body_DatiBeniServizi_DettaglioLinee (PA_FE_Body_Id) select max(Id) "
            "from PA_FE_Body");
        QTest::keyClicks(header.field("DatiTrasmissione_ProgressivoInvio"), "9");
        header.show();
        // "No" keeps everything and the screen.
        scripted.answerQuestion(false);
        header.annullaButton()->click();
        stillOpenAfterNo = header.isVisible() &&
                           db.connessione().scalar("select count(*) from PA_FE_Body").toInt() == 1;
        scripted.answerQuestion(true);
        header.annullaButton()->click();
        return 0;
    });
    scripted.clear();
    ASSERT_TRUE(reg.aggiungi());
    EXPECT_TRUE(stillOpenAfterNo);
    ASSERT_EQ(scripted.calls().size(), 2);
    EXPECT_EQ(scripted.calls()[0].text, question);
    EXPECT_EQ(scripted.calls()[1].text, question);
    EXPECT_TRUE(annullaShown);
    EXPECT_FALSE(header.isAnnullaVisible()) << "hidden again when the editor closes";
    EXPECT_EQ(db.connessione().scalar("select count(*) from PA_FE_Header").toInt(), before);
    EXPECT_EQ(db.connessione().scalar("select count(*) from PA_FE_Body").toInt(), 0);
    EXPECT_EQ(db.connessione()
                  .scalar("select count(*) from PA_FE_Body_DatiBeniServizi_DettaglioLinee")
                  .toInt(),
              0);
    EXPECT_FALSE(db.silentDelete());
    EXPECT_FALSE(header.isModified());
    EXPECT_EQ(h().integer("ID"), previous);

    // A Document without bodies goes without a question.
    setModalShower([&](QDialog&) {
        header.annulla();
        return 0;
    });
    scripted.clear();
    ASSERT_TRUE(reg.aggiungi());
    EXPECT_EQ(db.connessione().scalar("select count(*) from PA_FE_Header").toInt(), before);
    EXPECT_TRUE(scripted.calls().isEmpty()) << "nothing is asked";

    // Opening an existing Document offers no "Annulla".
    setModalShower([&](QDialog&) {
        annullaShown = header.isAnnullaVisible();
        return 0;
    });
    reg.modifica();
    EXPECT_FALSE(annullaShown);
}

TEST_F(HeaderEditorTest, EveryFieldIsAColumnOfTheDocumentAndHelpsWithItsElementNumber) {
    for (EditorBase* screen :
         QList<EditorBase*>{&header, &cedente, &rappresentante, &terzo, &cessionario}) {
        int fields = 0;
        for (QWidget* w : screen->findChildren<QWidget*>()) {
            if (auto* binding = dynamic_cast<Binding*>(w)) {
                ++fields;
                EXPECT_TRUE(h().hasColumn(binding->column()))
                    << screen->windowTitle().toStdString() << ": "
                    << binding->column().toStdString();
            }
        }
        EXPECT_GE(fields, 8) << screen->windowTitle().toStdString();
    }
    // Tab and Enter go from the last field above the tabs to the first one on them.
    const auto nextTabStop = [](QWidget* w) {
        do
            w = w->nextInFocusChain();
        while (!(w->focusPolicy() & Qt::TabFocus));
        return w;
    };
    EXPECT_EQ(nextTabStop(cedente.field("CedentePrestatore_RiferimentoAmministrazione")),
              cedente.field("CedentePrestatore_AlboProfessionale"));
    EXPECT_EQ(nextTabStop(header.field("DatiTrasmissione_IdCodice")),
              header.field("DatiTrasmissione_ContattiTrasmittente_Telefono"));

    QStringList asked;
    setFieldHelpHandler([&](const QString& number) { asked << number; });
    const QList<QPair<EditorBase*, QString>> fields = {
        {&header, "DatiTrasmissione_ProgressivoInvio"},
        {&header, "SoggettoEmittente"},
        {&cedente, "CedentePrestatore_Iscrizione_REA_CapitaleSociale"},
        {&cedente, "CedentePrestatore_StabileOrganizzazione_Provincia"},
        {&cessionario, "DatiTrasmissione_CodiceDestinatario"},
        {&cessionario, "CessionarioCommittente_RappresentanteFiscale_Nome"},
        {&rappresentante, "RappresentanteFiscale_DatiAnagrafici_IdCodice"},
        {&terzo, "TerzoIntermediarioOSoggettoEmittente_CodEORI"},
    };
    for (const auto& [screen, column] : fields) {
        auto* help = screen->findChild<QToolButton*>("help_" + column);
        ASSERT_TRUE(help) << column.toStdString();
        help->click();
    }
    EXPECT_EQ(asked, QStringList({"1.1.2", "1.6", "1.2.4.3", "1.2.3.5", "1.1.4", "1.4.4.3",
                                  "1.3.1.1.2", "1.5.1.3.5"}));
}

TEST_F(HeaderEditorTest, RecipientCodeAndPostcodeTakeOnlyWhatTheFileAccepts) {
    const QString p = "CessionarioCommittente_";
    struct Case {
        QString column;
        QString typed;
        QString kept;
    };
    const QList<Case> cases{
        {"DatiTrasmissione_CodiceDestinatario", "abc-12 3xyz9", "ABC123X"}, // upper, 7 at most
        {p + "Sede_CAP", "2O1 22abc456", "21224"},                          // digits, 5 at most
        {p + "Sede_CAP", "201223", "20122"},
        {p + "Denominazione", QString(90, 'x'), QString(80, 'x')}, // the element's length
    };
    for (const Case& c : cases) {
        auto* input = qobject_cast<QLineEdit*>(cessionario.field(c.column));
        ASSERT_TRUE(input) << c.column.toStdString();
        input->clear();
        QTest::keyClicks(input, c.typed);
        EXPECT_EQ(input->text(), c.kept) << c.column.toStdString();
        EXPECT_EQ(h().text(c.column), c.kept) << c.column.toStdString();
    }
}

} // namespace
