// The register's work on many Documents at once, driven through the real main window: rows
// picked with Ctrl and a click or with "Seleziona da esportare", the buttons of the second row,
// the progress window's "Annulla", one summary.
#include "documents/BatchScreen.h"
#include "../sdi/SigningTestSupport.h"
#include "ShellFixture.h"
#include "documents/SdiRegister.h"
#include "export/ExportTestSupport.h"
#include "sdi/SigningSettings.h"
#include "ui/DataGrid.h"

#include <QDir>
#include <QProgressDialog>
#include <QPushButton>
#include <QSettings>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTest>

namespace brevalto::test {
namespace {

class BatchScreenTest : public ShellTest {
protected:
    // count Documents numbered 1..count, each with its own invoice number; the one numbered
    // `wrong` has a line total that does not match its price (the check finds 00423).
    void makeDocuments(int count, int wrong = 0) {
        for (int n = 1; n <= count; ++n) {
            const int doc = archive.addDocument();
            ids << doc;
            const int body = archive.addBody(doc, {{"DatiGenerali_Numero", QString::number(n)}});
            archive.addLine(body, 1,
                            n == wrong ? QVariantMap{{"PrezzoTotale", 150.0}} : QVariantMap{});
            archive.addSummary(body);
        }
    }
    bool startOnArchive() {
        writeFile(programFolder() + "percorsoPa.txt", archive.db().path().toUtf8() + "\n");
        if (!start())
            return false;
        window().tabs()->setCurrentIndex(MainWindow::TabDocumenti);
        window().show();
        return true;
    }
    DataGrid& grid() { return *window().documentGrid(); }
    void click(const char* button) {
        QPushButton* b = window().button(QString::fromLatin1(button));
        ASSERT_NE(b, nullptr) << button;
        ASSERT_TRUE(b->isEnabled()) << button;
        QTest::mouseClick(b, Qt::LeftButton);
    }
    // A click on a row of the grid, with the modifiers a user holds.
    void clickRow(int row, Qt::KeyboardModifiers modifiers = {}) {
        const QRect cell = grid().visualRect(grid().model()->index(row, 0));
        QTest::mouseClick(grid().viewport(), Qt::LeftButton, modifiers, cell.center());
    }
    int selectedRows() { return int(grid().selectionModel()->selectedRows().size()); }
    QString lastMessage() {
        const QStringList messages = prompt.messages();
        return messages.isEmpty() ? QString() : messages.last();
    }
    int questions() {
        int n = 0;
        for (const ScriptedPrompt::Call& call : prompt.calls())
            n += call.kind == ScriptedPrompt::Kind::Question;
        return n;
    }
    bool exported(int n) { return archive.exported(ids[n - 1]); }
    QStringList filesIn(const QString& folder) {
        return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }
    static QString fileOf(int n) {
        return QStringLiteral("ITRSSMRA80A01H501U_%1.xml").arg(n, 5, 10, QLatin1Char('0'));
    }

    ExportArchive archive{true};
    QList<int> ids;
};

// A month at once: checked, exported and printed with one question each, one Document failing
// the check and one whose archive row another workstation holds. Nothing is written for those
// two, and neither is marked; the summary names both with the reason.
TEST_F(BatchScreenTest, ExportsChecksAndPrintsThirtyDocumentsAtOnce) {
    makeDocuments(30, 7);
    refuseRows(archive.db(), "PA_FE_Header", "UPDATE", QStringLiteral("OLD.ID = %1").arg(ids[11]),
               "riga bloccata da un altra postazione");
    ASSERT_TRUE(startOnArchive());

    // Two Documents picked with Ctrl and a click: the check runs on those two only.
    clickRow(1);
    clickRow(3, Qt::ControlModifier);
    EXPECT_EQ(selectedRows(), 2);
    EXPECT_EQ(screens->documentBatch().selectedIds(), QList<qint64>({ids[1], ids[3]}));
    click("spdControllaSelezione");
    EXPECT_TRUE(lastMessage().startsWith("Controlla: 2 documenti. Fatti: 2; saltati: 0; non "
                                         "riusciti: 0."))
        << lastMessage().toStdString();

    click("spdSelezionaDaEsportare");
    EXPECT_EQ(selectedRows(), 30);

    prompt.clear();
    click("spdControllaSelezione");
    ASSERT_EQ(prompt.calls().size(), 1) << "only the summary";
    QString summary = lastMessage();
    EXPECT_TRUE(
        summary.startsWith("Controlla: 30 documenti. Fatti: 29; saltati: 0; non riusciti: 1."))
        << summary.toStdString();
    EXPECT_TRUE(summary.contains("Documento n. 7: non riuscito: il controllo ha trovato 2 errori"))
        << summary.toStdString();
    EXPECT_TRUE(summary.contains("00423")) << summary.toStdString();
    EXPECT_EQ(selectedRows(), 30) << "the selection stays for the next button";

    const QString out = folder.file("xml");
    QDir().mkpath(out);
    prompt.clear();
    prompt.answerFolder(out);
    prompt.answerChoice(Prompt::Choice::No); // "salta" for the Documents with findings
    const int reads = screens->sdiRegister().reads();
    click("spdEsportaSelezione");
    EXPECT_EQ(questions(), 1) << "one question for the findings of every Document";
    EXPECT_EQ(screens->sdiRegister().reads(), reads + 1)
        << "the register's states read once for the run, not once per Document";
    summary = lastMessage();
    EXPECT_TRUE(summary.startsWith("Esporta xml: 30 documenti. Fatti: 28; saltati: 1; non "
                                   "riusciti: 1."))
        << summary.toStdString();
    EXPECT_TRUE(summary.contains("Documento n. 7: saltato: il controllo ha trovato 2 errori"))
        << summary.toStdString();
    EXPECT_TRUE(summary.contains("Documento n. 12: non riuscito: ")) << summary.toStdString();
    EXPECT_TRUE(summary.contains("riga bloccata da un altra postazione")) << summary.toStdString();

    QStringList expected;
    for (int n = 1; n <= 30; ++n) {
        EXPECT_EQ(exported(n), n != 7 && n != 12) << n;
        if (n != 7 && n != 12)
            expected << fileOf(n);
    }
    EXPECT_EQ(filesIn(out), expected) << "no file for the two, no work file left";
    EXPECT_EQ(archive.read("PA_FE_Header", "id", ids[0], "FileEsportazione").toString(),
              QDir::toNativeSeparators(out + "/" + fileOf(1)));

    // Printed: every Document, the one with findings too (its copy shows what it holds).
    const QString pdfs = folder.file("pdf");
    QDir().mkpath(pdfs);
    prompt.clear();
    prompt.answerFolder(pdfs);
    click("spdPdfSelezione");
    summary = lastMessage();
    EXPECT_TRUE(summary.startsWith("Anteprima/PDF: 30 documenti. Fatti: 30;"))
        << summary.toStdString();
    EXPECT_EQ(filesIn(pdfs).size(), 30);
    EXPECT_TRUE(readFile(pdfs + "/ITRSSMRA80A01H501U_00007.pdf").startsWith("%PDF"));

    // "esporta comunque": the Document with findings alone, written on the user's word.
    clickRow(6);
    EXPECT_EQ(selectedRows(), 1);
    prompt.clear();
    prompt.answerFolder(out);
    prompt.answerChoice(Prompt::Choice::Yes);
    click("spdEsportaSelezione");
    summary = lastMessage();
    EXPECT_TRUE(summary.contains("Fatti: 1;")) << summary.toStdString();
    EXPECT_TRUE(summary.contains("scritto comunque")) << summary.toStdString();
    EXPECT_TRUE(exported(7));
    EXPECT_TRUE(QFileInfo::exists(out + "/" + fileOf(7)));
}

// "Annulla" in the progress window halfway: the Documents done stay written and marked, the
// others are neither, no work file is left; the next "Seleziona da esportare" picks the rest.
TEST_F(BatchScreenTest, AnnullaHalfwayKeepsWhatWasDoneAndNothingElse) {
    makeDocuments(30);
    ASSERT_TRUE(startOnArchive());
    click("spdSelezionaDaEsportare");
    ASSERT_EQ(selectedRows(), 30);

    bool progressShown = false;
    screens->documentBatch().afterDocument = [&](int done) {
        if (done != 15)
            return;
        auto* progress = window().findChild<QProgressDialog*>("progressoDocumenti");
        ASSERT_NE(progress, nullptr);
        progressShown = progress->isVisible();
        QPushButton* annulla = progress->findChild<QPushButton*>();
        ASSERT_NE(annulla, nullptr);
        EXPECT_EQ(annulla->text(), QStringLiteral("Annulla"));
        QTest::mouseClick(annulla, Qt::LeftButton);
    };
    const QString out = folder.file("xml");
    QDir().mkpath(out);
    prompt.clear();
    prompt.answerFolder(out);
    click("spdEsportaSelezione");
    EXPECT_TRUE(progressShown);
    const QString summary = lastMessage();
    EXPECT_TRUE(summary.startsWith("Esporta xml: 30 documenti. Fatti: 15; saltati: 0; non "
                                   "riusciti: 0."))
        << summary.toStdString();
    EXPECT_TRUE(summary.contains("Interrotto: 15 documenti non elaborati"))
        << summary.toStdString();
    QStringList expected;
    for (int n = 1; n <= 30; ++n) {
        EXPECT_EQ(exported(n), n <= 15) << n;
        if (n <= 15)
            expected << fileOf(n);
    }
    EXPECT_EQ(filesIn(out), expected);

    screens->documentBatch().afterDocument = nullptr;
    click("spdSelezionaDaEsportare");
    EXPECT_EQ(screens->documentBatch().selectedIds(), QList<qint64>(ids.begin() + 15, ids.end()));
    prompt.clear();
    prompt.answerFolder(out);
    click("spdEsportaSelezione");
    EXPECT_TRUE(lastMessage().startsWith("Esporta xml: 15 documenti. Fatti: 15;"))
        << lastMessage().toStdString();
    EXPECT_EQ(filesIn(out).size(), 30);

    prompt.clear();
    click("spdSelezionaDaEsportare");
    EXPECT_EQ(prompt.messages(), QStringList({"Tutti i documenti sono già stati esportati."}));

    // The month's files into a ZIP for the portal: a click and a Shift-click pick them all.
    clickRow(0);
    clickRow(29, Qt::ShiftModifier);
    EXPECT_EQ(selectedRows(), 30);
    prompt.clear();
    const QString zip = out + "/ITRSSMRA80A01H501U_Z0001.zip";
    prompt.answerSaveFile(zip);
    click("spdCreaZip");
    ASSERT_GE(prompt.calls().size(), 1);
    EXPECT_EQ(prompt.calls().first().fileName, "ITRSSMRA80A01H501U_Z0001.zip");
    EXPECT_EQ(prompt.calls().first().folder, out);
    EXPECT_TRUE(lastMessage().startsWith("Crea ZIP per il portale: 30 file in 1 archivi"))
        << lastMessage().toStdString();
    EXPECT_TRUE(lastMessage().contains(fileOf(30))) << lastMessage().toStdString();
    EXPECT_GT(QFileInfo(zip).size(), 0);
}

// "Invia" on a selection of Documents not yet exported: nothing is tried and nothing asked (no
// password), each is named skipped with the reason, and the register reads its states once.
TEST_F(BatchScreenTest, InviaSkipsTheDocumentsNotExported) {
    makeDocuments(3);
    ASSERT_TRUE(startOnArchive());
    clickRow(0);
    clickRow(2, Qt::ShiftModifier);
    prompt.clear();
    const int reads = screens->sdiRegister().reads();
    click("spdInviaSelezione");
    ASSERT_EQ(prompt.calls().size(), 1) << "only the summary";
    const QString summary = lastMessage();
    EXPECT_TRUE(summary.startsWith("Invia: 3 documenti. Fatti: 0; saltati: 3; non riusciti: 0."))
        << summary.toStdString();
    EXPECT_TRUE(summary.contains("Documento n. 2: saltato: non ancora esportato"))
        << summary.toStdString();
    EXPECT_EQ(screens->sdiRegister().reads(), reads + 1);
}

// "Firma" on a selection: the password asked once for every Document, each written as .xml and
// .xml.p7m and recorded with its signed file. A wrong password stops the run at the first
// Document: nothing is written or marked, and the summary says why.
TEST_F(BatchScreenTest, SignsTheSelectionWithOnePassword) {
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, folder.file("config"));
    const TestCertificate mario = makeCertificate(folder, "mario");
    sdi::saveSigningKey(
        {.kind = sdi::SigningKey::Kind::Pkcs12, .file = makePkcs12(folder, mario, "segreta")});
    makeDocuments(3);
    ASSERT_TRUE(startOnArchive());
    click("spdSelezionaDaEsportare");
    const QString out = folder.file("firmati");
    QDir().mkpath(out);

    prompt.clear();
    prompt.answerFolder(out);
    prompt.answerText("sbagliata");
    click("spdFirmaSelezione");
    QString summary = lastMessage();
    EXPECT_TRUE(summary.startsWith("Firma: 3 documenti. Fatti: 0; saltati: 0; non riusciti: 1."))
        << summary.toStdString();
    EXPECT_TRUE(summary.contains("2 documenti non elaborati")) << summary.toStdString();
    EXPECT_TRUE(filesIn(out).isEmpty());
    EXPECT_FALSE(exported(1));

    prompt.clear();
    prompt.answerFolder(out);
    prompt.answerText("segreta");
    click("spdFirmaSelezione");
    int texts = 0;
    for (const ScriptedPrompt::Call& call : prompt.calls())
        texts += call.kind == ScriptedPrompt::Kind::Text;
    EXPECT_EQ(texts, 1);
    summary = lastMessage();
    EXPECT_TRUE(summary.startsWith("Firma: 3 documenti. Fatti: 3;")) << summary.toStdString();
    QStringList expected;
    for (int n = 1; n <= 3; ++n)
        expected << fileOf(n) << fileOf(n) + ".p7m";
    EXPECT_EQ(filesIn(out), expected);
    EXPECT_EQ(archive.read("PA_FE_Header", "id", ids[2], "FileEsportazione").toString(),
              QDir::toNativeSeparators(out + "/" + fileOf(3) + ".p7m"));
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope,
                       QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation));
}

} // namespace
} // namespace brevalto::test
