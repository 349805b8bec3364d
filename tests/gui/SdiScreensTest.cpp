// The Document's life from the bodies' screen, driven as a user would: "Notifiche…" loads a folder
// and says what it linked, "Stato SdI" reads the history in Italian with the errors' titles,
// "Reinvia" writes the rejected Document again and the state starts over.
#include "documents/BodyEditor.h"
#include "documents/BodyRegister.h"
#include "documents/NotificheWindow.h"
#include "documents/StatoSdiWindow.h"
#include "export/ExportTestSupport.h"
#include "receipts/DocumentLife.h"
#include "store/Prompt.h"
#include "support/ScriptedPrompt.h"
#include "ui/ScreenHost.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <gtest/gtest.h>

namespace brevalto {
namespace {

using namespace test;

QByteArray sample(const QString& name) {
    QFile f(QStringLiteral(BREVALTO_SOURCE_DIR "/tests/receipts/samples/") + name);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly));
    return f.readAll();
}

TEST(SdiScreensTest, LoadReadTheHistoryAndReissueFromTheBodies) {
    ExportArchive a;
    const int doc = a.addDocument({{"DatiTrasmissione_ProgressivoInvio", "00001"},
                                   {"DatiTrasmissione_IdCodice", "01234567890"}});
    a.addCompleteBody(doc);
    a.exportDocument(doc, "IT01234567890_00001.xml");
    // Another invoice of the same seller with the same number, issued: the check's 00404.
    const int other = a.addDocument({{"DatiTrasmissione_ProgressivoInvio", "00009"},
                                     {"DatiTrasmissione_IdCodice", "01234567890"}});
    a.addCompleteBody(other);
    a.exportDocument(other, "IT01234567890_00009.xml");
    const QString inbox = a.folder.file("posta");
    const QString again = a.folder.file("nuovi");
    QDir().mkpath(inbox);
    QDir().mkpath(again);
    QFile ns(QDir(inbox).filePath("IT01234567890_00001_NS_001.xml"));
    ASSERT_TRUE(ns.open(QIODevice::WriteOnly));
    ns.write(sample("IT01234567890_00001_NS_001.xml")
                 .replace("<Codice>00200</Codice>", "<Codice>00404</Codice>"));
    ns.close();
    QFile broken(QDir(inbox).filePath("rotta.xml"));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write("<RicevutaScarto>");
    broken.close();

    a.select(doc);
    ScriptedPrompt prompt;
    setPrompt(&prompt);
    BodyRegister reg(a.data);
    auto click = [&](const char* name) {
        QPushButton* b = reg.findChild<QPushButton*>(QString::fromLatin1(name));
        ASSERT_NE(b, nullptr) << name;
        b->click();
    };

    // The same window as the main window's: the folder given, its files' outcomes listed.
    QString summary;
    QString unreadable; // the reason given for the file that is not a notification
    setModalShower([&](QDialog& d) {
        auto* w = dynamic_cast<NotificheWindow*>(&d);
        EXPECT_NE(w, nullptr);
        if (w) {
            w->load({inbox});
            summary = w->summary()->text();
            for (int row = 0; row < w->outcomes()->rowCount(); ++row)
                if (w->outcomes()->item(row, 0)->text().endsWith("rotta.xml") &&
                    w->outcomes()->item(row, 1)->text() == "illeggibile")
                    unreadable = w->outcomes()->item(row, 4)->text();
        }
        return 0;
    });
    click("spdNotifiche");
    setModalShower({});
    EXPECT_TRUE(summary.contains("Collegate: 1")) << summary.toStdString();
    EXPECT_TRUE(summary.contains("Illeggibili: 1"));
    EXPECT_FALSE(unreadable.isEmpty());

    // The history screen: the state with its deadline, the notification in words, each error
    // with its catalogue title and, for the code the check finds in the Document, where to
    // correct it.
    auto stateScreen = [&](const std::function<void(StatoSdiWindow&)>& look) {
        bool shown = false;
        setModalShower([&](QDialog& d) {
            auto* w = dynamic_cast<StatoSdiWindow*>(&d);
            EXPECT_NE(w, nullptr);
            if (w) {
                w->today = [] { return QDate(2026, 3, 5); };
                w->reload();
                look(*w);
            }
            shown = true;
            return 0;
        });
        click("spdStatoSdi");
        setModalShower({});
        EXPECT_TRUE(shown);
    };
    stateScreen([](StatoSdiWindow& w) {
        const QString state = w.stateLabel()->text();
        EXPECT_TRUE(state.contains("Stato SdI: Scartata")) << state.toStdString();
        EXPECT_TRUE(state.contains("entro il 07/03/2026 (2 giorni)")) << state.toStdString();
        ASSERT_EQ(w.history()->rowCount(), 1);
        EXPECT_EQ(w.history()->item(0, 1)->text(), "Notifica di scarto");
        EXPECT_TRUE(w.detail()->toPlainText().contains("Notifica di scarto del 02/03/2026"));
        EXPECT_TRUE(w.detail()->toPlainText().contains("entro 5 giorni, con un nuovo nome"));
        ASSERT_EQ(w.errors()->rowCount(), 2);
        EXPECT_EQ(w.errors()->item(0, 0)->text(), "00311");
        EXPECT_EQ(w.errors()->item(0, 1)->text(), "1.1.4 <CodiceDestinatario> non valido");
        EXPECT_TRUE(w.errors()->item(0, 2)->text().contains("Codice Destinatario B2B ABC1234"));
        EXPECT_EQ(w.errors()->item(0, 3)->text(), "");
        EXPECT_EQ(w.errors()->item(1, 0)->text(), "00404");
        EXPECT_TRUE(w.errors()->item(1, 3)->text().startsWith(
            "Corpo della fattura - Dati Generali, campo Numero (Numero 1 già usato"))
            << w.errors()->item(1, 3)->text().toStdString();
    });

    // The other invoice's number was the mistake; corrected, the re-issue passes the check.
    a.db().execNative("UPDATE PA_FE_Body SET DatiGenerali_Numero = '2' WHERE PA_FE_Header_Id = ?",
                      {other});
    prompt.answerFolder(again);
    click("spdReinvia");
    const QStringList written = QDir(again).entryList(QDir::Files);
    ASSERT_EQ(written.size(), 1);
    EXPECT_NE(written[0], "IT01234567890_00001.xml");
    EXPECT_TRUE(prompt.messages().last().contains(written[0]))
        << prompt.messages().last().toStdString();

    stateScreen([](StatoSdiWindow& w) {
        EXPECT_TRUE(w.stateLabel()->text().contains("Stato SdI: Inviata"));
        // The rejection stays in the history.
        ASSERT_EQ(w.history()->rowCount(), 1);
        EXPECT_EQ(w.history()->item(0, 2)->text(), "IT01234567890_00001.xml.p7m");
    });

    // Sent again before any answer: not a second time.
    click("spdReinvia");
    EXPECT_TRUE(prompt.messages().last().contains("non ha ancora un esito"));
    EXPECT_EQ(QDir(again).entryList(QDir::Files).size(), 1);
    setPrompt(nullptr);
}

// A delivered invoice is not written again: Reinvia says why and, asked, prepares the credit note
// that corrects it, a new Document that refers to the invoice; the register stays on the invoice.
TEST(SdiScreensTest, AnIssuedInvoiceGetsACreditNoteInsteadOfANewFile) {
    ExportArchive a;
    const int doc =
        a.addDocument({{"DatiTrasmissione_ProgressivoInvio", "00002"},
                       {"DatiTrasmissione_IdCodice", "01234567890"},
                       {"CessionarioCommittente_NominativoVisualizzato", "Rossi Mario"}});
    a.addCompleteBody(doc, {{"DatiGenerali_Numero", "A/17"}});
    a.exportDocument(doc, "IT01234567890_00002.xml");
    const QString rc = a.folder.file("IT01234567890_00002_RC_001.xml");
    QFile f(rc);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(sample("IT01234567890_00002_RC_001.xml"));
    f.close();
    receipts::loadNotifications(a.db(), {rc});

    a.select(doc);
    ScriptedPrompt prompt;
    setPrompt(&prompt);
    BodyRegister reg(a.data);
    QPushButton* reinvia = reg.findChild<QPushButton*>("spdReinvia");
    ASSERT_NE(reinvia, nullptr);

    prompt.answerQuestion(false);
    reinvia->click();
    EXPECT_EQ(a.db().scalar("select count(*) from PA_FE_Header").toInt(), 1);

    prompt.answerQuestion(true);
    reinvia->click();
    ASSERT_EQ(a.db().scalar("select count(*) from PA_FE_Header").toInt(), 2);
    setPrompt(nullptr);
    int asked = 0;
    for (const ScriptedPrompt::Call& c : prompt.calls())
        asked += c.kind == ScriptedPrompt::Kind::Question &&
                 c.text.contains("inviarla di nuovo la duplicherebbe") &&
                 c.text.contains("Preparare ora una nota di credito");
    EXPECT_EQ(asked, 2);
    EXPECT_TRUE(prompt.messages().last().contains("nota di credito (TD04)"))
        << prompt.messages().last().toStdString();
    const int note = a.db().scalar("select id from PA_FE_Header where id <> ?", {doc}).toInt();
    EXPECT_EQ(a.db()
                  .scalar("select CessionarioCommittente_NominativoVisualizzato from PA_FE_Header "
                          "where id = ?",
                          {note})
                  .toString(),
              "Rossi Mario");
    EXPECT_EQ(a.db().scalar("select Esportato from PA_FE_Header where id = ?", {note}).toInt(), 0);
    EXPECT_EQ(a.db()
                  .scalar("select DatiGenerali_TipoDocumento from PA_FE_Body where "
                          "PA_FE_Header_Id = ?",
                          {note})
                  .toString(),
              "TD04");
    EXPECT_EQ(a.db()
                  .scalar("select c.IdDocumento from PA_FE_Body_DatiFattureCollegate c join "
                          "PA_FE_Body b on b.Id = c.PA_FE_Body_Id where b.PA_FE_Header_Id = ?",
                          {note})
                  .toString(),
              "A/17");
    EXPECT_EQ(a.data.table("TablePA_FE_Header").integer("id"), doc);
    EXPECT_EQ(receipts::stateText(receipts::documentStatus(a.db(), note).state), "Da inviare");
}

} // namespace
} // namespace brevalto
