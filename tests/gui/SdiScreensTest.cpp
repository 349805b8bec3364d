// The Document's life from the bodies' screen, driven as a user would: "Notifiche…" loads a folder
// and says what it linked, "Stato SdI" reads the history in Italian with the errors' titles,
// "Reinvia" writes the rejected Document again and the state starts over.
#include "documents/BodyEditor.h"
#include "documents/BodyRegister.h"
#include "export/ExportTestSupport.h"
#include "store/Prompt.h"
#include "support/ScriptedPrompt.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPushButton>
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
    const QString inbox = a.folder.file("posta");
    const QString again = a.folder.file("nuovi");
    QDir().mkpath(inbox);
    QDir().mkpath(again);
    QFile ns(QDir(inbox).filePath("IT01234567890_00001_NS_001.xml"));
    ASSERT_TRUE(ns.open(QIODevice::WriteOnly));
    ns.write(sample("IT01234567890_00001_NS_001.xml"));
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

    prompt.answerFolder(inbox);
    click("spdNotifiche");
    ASSERT_FALSE(prompt.messages().isEmpty());
    const QString summary = prompt.messages().last();
    EXPECT_TRUE(summary.contains("Collegate: 1")) << summary.toStdString();
    EXPECT_TRUE(summary.contains("Illeggibili: 1"));
    EXPECT_TRUE(summary.contains("rotta.xml (illeggibile): "));

    click("spdStatoSdi");
    const QString history = prompt.messages().last();
    EXPECT_TRUE(history.contains("Stato SdI: Scartata")) << history.toStdString();
    EXPECT_TRUE(history.contains("Da reinviare entro il 07/03/2026"));
    EXPECT_TRUE(history.contains("Errore 00311 (1.1.4 <CodiceDestinatario> non valido): "));
    EXPECT_TRUE(history.contains("Notifica di scarto del 02/03/2026"));

    prompt.answerFolder(again);
    click("spdReinvia");
    const QStringList written = QDir(again).entryList(QDir::Files);
    ASSERT_EQ(written.size(), 1);
    EXPECT_NE(written[0], "IT01234567890_00001.xml");
    EXPECT_TRUE(prompt.messages().last().contains(written[0]))
        << prompt.messages().last().toStdString();

    click("spdStatoSdi");
    EXPECT_TRUE(prompt.messages().last().contains("Stato SdI: Inviata"));
    // The rejection stays in the history.
    EXPECT_TRUE(prompt.messages().last().contains("Notifica di scarto"));

    // Sent again before any answer: not a second time.
    click("spdReinvia");
    EXPECT_TRUE(prompt.messages().last().contains("non ha ancora un esito"));
    EXPECT_EQ(QDir(again).entryList(QDir::Files).size(), 1);
    setPrompt(nullptr);
}

} // namespace
} // namespace brevalto
