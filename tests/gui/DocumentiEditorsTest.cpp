// Linked-document screens on a real archive: "Cerca" with the line picker, picked versus typed
// line numbers, the screens' rules and "Annulla" taking the line references along.
#include "documents/DocumentiEditors.h"
#include "DocumentiBodyFixture.h"
#include "documents/CercaLineePicker.h"

using namespace brevalto;

namespace {

class DocumentiEditorsTest : public test::BodyFixture {
public:
    // A new row of the kind with one line reference loaded, as the body editor opens it.
    void newRow(DocumentiKind kind) {
        sql(QString("insert into %1 (PA_FE_Body_Id) values (?)").arg(documenti::table(kind)),
            {body});
        db.requeryBodyChildren();
        table("Table" + documenti::table(kind)).last();
        documenti::requeryReferences(db, kind);
    }
    QString refTable(DocumentiKind k) { return documenti::referenceTable(k); }
};

TEST_F(DocumentiEditorsTest, CercaPicksALineTypingLeavesTheKeyEmpty) {
    DocumentiRiferimentoEditor contract(db, DocumentiKind::Contratto);
    newRow(DocumentiKind::Contratto);
    auto* reference = contract.referenceScreen();

    // No lines: the message, no picker, nothing changed.
    screens << [&](QDialog&) {
        reference->cerca();
        EXPECT_EQ(scripted.messages(), QStringList{"Attenzione ancora non sono state caricate le "
                                                   "linee di dettaglio della fattura !"});
        EXPECT_TRUE(reference->dataset().isNull("RiferimentoNumeroLinea"));
        // Leaving the new reference empty is refused; "Annulla" deletes it.
        EXPECT_EQ(leave(*reference), "Attenzione manca il Riferimanto linea");
        EXPECT_TRUE(reference->isAnnullaVisible());
        reference->annulla();
    };
    contract.addReference();
    EXPECT_EQ(count(refTable(DocumentiKind::Contratto), "1 = 1"), 0);

    line(1, 10, 22);
    const int third = line(3, 10, 22);
    // Picking line 3 (after "Indietro" once, which picks nothing).
    screens << [&](QDialog&) {
        screens << [&](QDialog& picker) {
            EXPECT_EQ(picker.windowTitle(), "Cerca Linee dettaglio Fattura");
            static_cast<CercaLineePicker&>(picker).indietro();
        };
        reference->cerca();
        EXPECT_TRUE(reference->dataset().isNull("RiferimentoNumeroLinea"));
        screens << [&](QDialog& picker) {
            Dataset& lines = table("TableCercaLinee");
            EXPECT_EQ(lines.rowCount(), 2) << "this body's lines";
            ASSERT_TRUE(lines.locate("NumeroLinea", 3));
            static_cast<CercaLineePicker&>(picker).scegli();
        };
        reference->cerca();
        EXPECT_TRUE(reference->isModified());
        reference->indietro();
        EXPECT_FALSE(reference->saveFailed());
    };
    contract.addReference();
    // Typing 3 by hand.
    screens << [&](QDialog&) {
        type(*reference, "RiferimentoNumeroLinea", "3");
        reference->indietro();
    };
    contract.addReference();
    const QString refs = refTable(DocumentiKind::Contratto);
    EXPECT_EQ(count(refs, QString("RiferimentoNumeroLinea = 3 and "
                                  "PA_FatturaElettronica_DatiBeniServizi_Id = %1")
                              .arg(third)),
              1);
    EXPECT_EQ(count(refs, "RiferimentoNumeroLinea = 3 and "
                          "PA_FatturaElettronica_DatiBeniServizi_Id is null"),
              1);

    // Deleting one reference leaves the contract; deleting the contract takes its references.
    scripted.clear();
    scripted.answerQuestion(true);
    contract.removeReference();
    EXPECT_EQ(count(refs, "1 = 1"), 1);
    EXPECT_EQ(count(documenti::table(DocumentiKind::Contratto), "1 = 1"), 1);
    documenti::deleteCurrentWithReferences(db, DocumentiKind::Contratto);
    EXPECT_EQ(count(refs, "1 = 1"), 0);
    EXPECT_EQ(count(documenti::table(DocumentiKind::Contratto), "1 = 1"), 0);
}

TEST_F(DocumentiEditorsTest, RulesOfTheDocumentDeliveryNoteAndStageScreens) {
    DocumentiRiferimentoEditor order(db, DocumentiKind::OrdineAcquisto);
    newRow(DocumentiKind::OrdineAcquisto);
    EXPECT_EQ(order.windowTitle(), "Ordini Acquisto");
    EXPECT_EQ(leave(order), "Attenzione manca l'IdDocumento");
    type(order, "IdDocumento", "ORD-1");
    EXPECT_EQ(leave(order), "");

    DocumentiRiferimentoEditor ddt(db, DocumentiKind::DDT);
    newRow(DocumentiKind::DDT);
    EXPECT_EQ(leave(ddt), "Attenzione manca il numero del DDT");
    type(ddt, "NumeroDDT", "12");
    type(ddt, "DataDDT", "");
    EXPECT_EQ(leave(ddt), "Attenzione manca la data");
    type(ddt, "DataDDT", "01/02/2024");
    EXPECT_EQ(leave(ddt), "");
    // Under batch insertion a delivery note's references open no screen.
    {
        const BatchInsertScope batch(db);
        ddt.addReference();
    }
    EXPECT_EQ(count(refTable(DocumentiKind::DDT), "1 = 1"), 1);

    DocumentiSALEditor sal(db);
    sql("insert into PA_FE_Body_DatiSAL (PA_FE_Body_Id) values (?)", {body});
    db.requeryBodyChildren();
    EXPECT_EQ(leave(sal), "Attenzione manca il Riferimanto fase");
    sal.annulla();
    EXPECT_EQ(count("PA_FE_Body_DatiSAL", "1 = 1"), 0);
}

TEST_F(DocumentiEditorsTest, AnnullaOnANewDocumentDeletesItsLineReferences) {
    for (DocumentiKind kind :
         {DocumentiKind::OrdineAcquisto, DocumentiKind::Contratto, DocumentiKind::Convenzione,
          DocumentiKind::Ricezione, DocumentiKind::FattureCollegate, DocumentiKind::DDT}) {
        DocumentiRiferimentoEditor screen(db, kind);
        newRow(kind);
        screens << [&](QDialog& d) {
            type(static_cast<EditorBase&>(d), "RiferimentoNumeroLinea", "1");
            static_cast<EditorBase&>(d).indietro();
        };
        screen.addReference();
        ASSERT_EQ(count(refTable(kind), "1 = 1"), 1) << documenti::block(kind).toStdString();
        scripted.clear();
        screen.annulla();
        EXPECT_TRUE(scripted.calls().isEmpty());
        EXPECT_FALSE(db.silentDelete());
        EXPECT_EQ(count(documenti::table(kind), "1 = 1"), 0)
            << documenti::block(kind).toStdString();
        EXPECT_EQ(count(refTable(kind), "1 = 1"), 0) << documenti::block(kind).toStdString();
    }
}

} // namespace
