// The utilities driven as the user drives them: the rejection-error catalogue and the guide (F1),
// the line import, the invoice list export and the quick lines, on real archives.
#include "DocumentiBodyFixture.h"
#include "ShellFixture.h"

#include "documents/BodyEditor.h"
#include "export/ExportTestSupport.h"
#include "logic/InvoiceList.h"
#include "logic/VatRules.h"
#include "ui/DataGrid.h"
#include "utility/DettaglioVeloceWindow.h"
#include "utility/ErroriBrowser.h"
#include "utility/EsportazioniWindow.h"
#include "utility/GuidaWindow.h"
#include "utility/ImportaWindow.h"

#include <QApplication>
#include <QCheckBox>
#include <QColor>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QProgressDialog>
#include <QPushButton>
#include <QSqlQuery>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <algorithm>

using namespace brevalto;
using brevalto::test::BodyFixture;
using brevalto::test::ShellTest;

namespace {

QPushButton* buttonOf(QWidget& screen, const char* name) {
    auto* b = screen.findChild<QPushButton*>(QLatin1String(name));
    EXPECT_TRUE(b) << name;
    return b;
}

QStringList column(Dataset& d, const char* name) {
    QStringList out;
    for (int row = 0; row < d.rowCount(); ++row)
        out << d.valueAt(row, d.columnIndex(QLatin1String(name))).toString();
    return out;
}

} // namespace

TEST_F(ShellTest, UtilityButtonsAreWiredAndTheCatalogueIsSearchedAndRead) {
    makeArchive();
    ASSERT_TRUE(start());
    for (QPushButton* b : window().centralWidget()->findChildren<QPushButton*>())
        EXPECT_TRUE(b->isEnabled()) << b->objectName().toStdString();
    BodyEditor& bodyEditor = screens->get<BodyEditor>();
    EXPECT_TRUE(bodyEditor.importFromFileButton()->isEnabled());
    EXPECT_TRUE(bodyEditor.importFromArchiveButton()->isEnabled());

    auto& browser = screens->get<ErroriBrowser>();
    auto& detail = screens->get<ErroreDettaglioWindow>();
    auto& guida = screens->get<GuidaWindow>();
    Dataset& errors = browser.dataset();
    browser.searchBox(1)->setText("Nome"); // left from an earlier opening: emptied by the button
    QStringList shown;
    QString detailCode, detailText;
    bool searched = false;
    setModalShower([&](QDialog& screen) {
        shown << screen.windowTitle();
        if (&screen == &detail) {
            detailCode = detail.codice();
            detailText = detail.descrizione();
            return 0;
        }
        EXPECT_EQ(&screen, &browser);
        EXPECT_EQ(browser.searchBox(1)->text(), "");
        const int all = errors.rowCount();
        EXPECT_GT(all, 50);
        QTest::keyClicks(browser.findChild<QLineEdit*>("Edit2"), "004");
        const QStringList codes = column(errors, "Codice");
        EXPECT_FALSE(codes.isEmpty());
        for (const QString& c : codes)
            EXPECT_TRUE(c.startsWith("004")) << c.toStdString();
        browser.grid()->horizontalHeader()->sectionClicked(1); // by title
        EXPECT_EQ(errors.sort(), "Titolo ASC");
        QStringList titles = column(errors, "Titolo");
        EXPECT_TRUE(
            std::is_sorted(titles.begin(), titles.end(), [](const QString& a, const QString& b) {
                return a.compare(b, Qt::CaseInsensitive) < 0;
            }));
        errors.moveTo(1);
        const QString current = errors.text("Codice");
        buttonOf(browser, "spdAvanti")->click();
        EXPECT_EQ(detailCode, current);
        EXPECT_EQ(detailText, errors.text("Descrizione"));

        browser.findChild<QLineEdit*>("Edit2")->setText("*");
        EXPECT_EQ(errors.rowCount(), all);
        QTest::keyClicks(browser.findChild<QLineEdit*>("Edit4"), "*duplicat");
        EXPECT_TRUE(column(errors, "Codice").contains("00002"));
        browser.findChild<QLineEdit*>("Edit4")->setText("nessun titolo così");
        EXPECT_EQ(errors.rowCount(), 0);
        buttonOf(browser, "spdAvanti")->click(); // nothing to show
        Q_EMIT browser.grid()->rowActivated();   // nor by double click

        EXPECT_FALSE(guida.isVisible());
        QTest::keyClick(browser.grid(), Qt::Key_F1); // F1 anywhere opens the guide
        EXPECT_TRUE(guida.isVisible());
        guida.close();
        buttonOf(browser, "spdHelp")->click();
        EXPECT_TRUE(guida.isVisible());
        EXPECT_TRUE(guida.browser()->toPlainText().contains("Importa da file esterno"));
        guida.close();
        searched = true;
        return 0;
    });
    window().button("btnErroriScarto")->click();
    EXPECT_TRUE(searched);
    EXPECT_EQ(shown, QStringList({"Elenco Errori scarto fatturazione elettronica",
                                  "Errore Fatturazione Elettronica"}));
    EXPECT_TRUE(prompt.calls().isEmpty());

    QTest::keyClick(&window(), Qt::Key_F1);
    EXPECT_TRUE(guida.isVisible());
    guida.close();
}

// ---- line import ----

class ImportaTest : public BodyFixture {
public:
    void SetUp() override {
        BodyFixture::SetUp();
        window = std::make_unique<ImportaWindow>(db);
        window->show();
    }
    void TearDown() override {
        window.reset();
        BodyFixture::TearDown();
    }
    QString file(const QByteArray& bytes) {
        const QString path = folder.file(QString("linee%1.txt").arg(++files));
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return path;
    }
    // "Importa" on a file; the messages shown.
    QStringList importa(const QString& path) {
        scripted.clear();
        scripted.answerOpenFile(path);
        buttonOf(*window, "SpeedButton13")->click();
        return scripted.messages();
    }
    // Drags column buttons into this order, as drops on the button area.
    void arrange(const QStringList& order) {
        int x = 400;
        for (const QString& name : order) {
            auto* mime = new QMimeData;
            mime->setData("application/x-brevalto-colonna", name.toUtf8());
            // The drag enters the area, then the button is dropped there.
            QDragEnterEvent enter(QPoint(x, 10), Qt::MoveAction, mime, Qt::LeftButton, {});
            QApplication::sendEvent(window->columnArea(), &enter);
            EXPECT_TRUE(enter.isAccepted());
            QDropEvent drop(QPointF(x, 10), Qt::MoveAction, mime, Qt::LeftButton, {});
            QApplication::sendEvent(window->columnArea(), &drop);
            EXPECT_TRUE(drop.isAccepted());
            delete mime;
            x += 1; // each drop lands right of the ones before
        }
    }
    void setSeparator(const QString& text) {
        auto* box = window->findChild<QLineEdit*>("ImportaCarattereDivisorio");
        ASSERT_TRUE(box);
        box->clear();
        QTest::keyClicks(box, text);
    }
    QList<QVariantList> stored() {
        QList<QVariantList> out;
        QSqlQuery q = db.connessione().exec(
            QString("select NumeroLinea, Descrizione, Quantita, PrezzoUnitario, PrezzoTotale, "
                    "AliquotaIva from PA_FE_Body_DatiBeniServizi_DettaglioLinee where "
                    "PA_FE_Body_Id = %1 order by NumeroLinea")
                .arg(body));
        while (q.next())
            out << QVariantList{q.value(0).toInt(),    q.value(1),
                                q.value(2).toDouble(), q.value(3).toDouble(),
                                q.value(4).toDouble(), q.value(5)};
        return out;
    }

    std::unique_ptr<ImportaWindow> window;
    int files = 0;
};

TEST_F(ImportaTest, TheExampleWithHeadingsAFixedRateAndTheStoredOrder) {
    EXPECT_EQ(window->windowTitle(), "Importa Dati da file esterno");
    EXPECT_FALSE(window->isModal());
    EXPECT_EQ(window->columnOrder(),
              QStringList({"Descrizione", "Prezzo", "AliquotaIva", "Quantita"}))
        << "none stored: the order shown";
    arrange({"Descrizione", "Quantita", "Prezzo", "AliquotaIva"});
    EXPECT_EQ(window->columnOrder(),
              QStringList({"Descrizione", "Quantita", "Prezzo", "AliquotaIva"}));
    EXPECT_LT(window->columnButton("Descrizione")->x(), window->columnButton("Quantita")->x());
    setSeparator(";");
    window->findChild<QCheckBox*>("ImportaIntestazionePrimaLinea")->click();

    // A fixed rate, typed in the box laid over the right-clicked button.
    QTest::mouseClick(window->columnButton("AliquotaIva"), Qt::RightButton);
    window->columnMenu()->actions().at(0)->trigger();
    QLineEdit* box = window->fixedValueBox();
    EXPECT_TRUE(box->isVisible());
    EXPECT_EQ(box->geometry(), window->columnButton("AliquotaIva")->geometry());
    QTest::keyClicks(box, "10");
    QTest::keyClick(box, Qt::Key_Return);
    EXPECT_FALSE(box->isVisible());
    EXPECT_EQ(window->columnButton("AliquotaIva")->text(), "10");

    const QStringList messages = importa(file(QString::fromUtf8("Descrizione;Quantità;Prezzo;Iva\n"
                                                                "Viti inox;10;€ 1,50;22\n"
                                                                "Dadi;2;1 250,00;4\n")
                                                  .toUtf8()));
    EXPECT_EQ(messages, QStringList({"importazione terminata con successo !"}));
    EXPECT_EQ(stored(), (QList<QVariantList>{{1, "Viti inox", 10.0, 1.5, 15.0, 10.0},
                                             {2, "Dadi", 2.0, 1250.0, 2500.0, 10.0}}));
    EXPECT_EQ(table("TablePA_FE_Body_DatiBeniServizi_DettaglioLinee").rowCount(), 2);
    EXPECT_EQ(scalar("select ImportaStringa from opzioni").toString(),
              "Descrizione|Quantita|Prezzo|AliquotaIva|");
    EXPECT_EQ(scalar("select ImportaCarattereDivisorio from opzioni").toString(), ";");
    EXPECT_FALSE(db.batchInsert());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);

    QTest::mouseClick(window->columnButton("AliquotaIva"), Qt::RightButton);
    window->columnMenu()->actions().at(1)->trigger(); // "Annulla Valore Fisso"
    EXPECT_EQ(window->columnButton("AliquotaIva")->text(), "I.v.a.");
    EXPECT_TRUE(window->fixedValues().isEmpty());

    // The next run of the program lays the buttons out in the stored order.
    window = std::make_unique<ImportaWindow>(db);
    window->show();
    EXPECT_EQ(window->columnOrder(),
              QStringList({"Descrizione", "Quantita", "Prezzo", "AliquotaIva"}));
    int left = -1;
    for (const char* name : {"Descrizione", "Quantita", "Prezzo", "AliquotaIva"}) {
        EXPECT_GT(window->columnButton(name)->x(), left) << name;
        left = window->columnButton(name)->x();
    }
}

// The fields are read in the order the buttons show, before any is dragged and with an old stored
// order that names only some; the separator box keeps what was typed from one opening to the next.
TEST_F(ImportaTest, ReadsTheOrderShownAndKeepsTheSeparatorAsTyped) {
    const auto shownOrder = [this] {
        QList<QPushButton*> buttons;
        for (const char* name : {"Descrizione", "Prezzo", "AliquotaIva", "Quantita"})
            buttons << window->columnButton(name);
        std::sort(buttons.begin(), buttons.end(),
                  [](QPushButton* a, QPushButton* b) { return a->x() < b->x(); });
        QStringList names;
        for (QPushButton* b : buttons) {
            EXPECT_TRUE(b->isVisible()) << b->objectName().toStdString();
            names << b->objectName();
        }
        return names;
    };
    EXPECT_EQ(shownOrder(), QStringList({"Descrizione", "Prezzo", "AliquotaIva", "Quantita"}));
    EXPECT_EQ(window->columnOrder(), shownOrder());
    setSeparator(";");
    EXPECT_EQ(importa(file("Toner stampante laser;45,90;22;2\n")),
              QStringList({"importazione terminata con successo !"}));
    EXPECT_EQ(stored(), (QList<QVariantList>{{1, "Toner stampante laser", 2.0, 45.9, 91.8, 22.0}}));
    const QStringList refused = importa(file("45,90;Toner;22;2\n"));
    ASSERT_EQ(refused.size(), 1);
    EXPECT_TRUE(refused[0].contains("Prezzo unitario non valido: Toner"))
        << refused[0].toStdString();
    EXPECT_EQ(scalar("select ImportaStringa from opzioni").toString(),
              "Descrizione|Prezzo|AliquotaIva|Quantita|");

    // Closed and opened again, and in the next run of the program: the separator as typed.
    buttonOf(*window, "spdIndietro")->click();
    EXPECT_FALSE(window->isVisible());
    window->show();
    auto* box = window->findChild<QLineEdit*>("ImportaCarattereDivisorio");
    EXPECT_EQ(box->text(), ";");
    window = std::make_unique<ImportaWindow>(db);
    window->show();
    box = window->findChild<QLineEdit*>("ImportaCarattereDivisorio");
    EXPECT_EQ(box->text(), ";");
    // Typing a separator into the box replaces the one it holds.
    box->setFocus();
    box->end(false);
    QTest::keyClicks(box, "|");
    EXPECT_EQ(box->text(), "|");
    buttonOf(*window, "spdIndietro")->click();
    EXPECT_EQ(scalar("select ImportaCarattereDivisorio from opzioni").toString(), "|");

    // An order stored with only some names: those first, the others after, read as shown.
    sql("update opzioni set ImportaStringa = 'Prezzo|Descrizione|', "
        "ImportaCarattereDivisorio = ';'");
    table("TableOpzioni").requery();
    window = std::make_unique<ImportaWindow>(db);
    window->show();
    EXPECT_EQ(shownOrder(), QStringList({"Prezzo", "Descrizione", "AliquotaIva", "Quantita"}));
    EXPECT_EQ(window->columnOrder(), shownOrder());
    EXPECT_EQ(importa(file("3,5;Viti;10;4\n")),
              QStringList({"importazione terminata con successo !"}));
    EXPECT_EQ(stored().last(), (QVariantList{2, "Viti", 4.0, 3.5, 14.0, 10.0}));
}

TEST_F(ImportaTest, TabWindows1252AndABadLineThatAddsNothing) {
    arrange({"Quantita", "Descrizione", "Prezzo", "AliquotaIva"});
    buttonOf(*window, "SpeedButton2")->click(); // "Car. Tab"
    EXPECT_EQ(scalar("select ImportaCarattereDivisorio from opzioni").toString(), "\t");
    EXPECT_EQ(importa(file("2\tCaff\xE8 \x80 espresso\t1,10\n")),
              QStringList({"importazione terminata con successo !"}));
    ASSERT_EQ(stored().size(), 1);
    EXPECT_EQ(stored()[0][1].toString(), QString::fromUtf8("Caffè € espresso"));
    EXPECT_DOUBLE_EQ(stored()[0][4].toDouble(), 2.2);

    const QStringList refused = importa(file("1\tViti\t2\n3\tDadi\tdue euro\n1\tRondelle\t1\n"));
    ASSERT_EQ(refused.size(), 1);
    EXPECT_TRUE(refused[0].startsWith("Riga 2 del file non importata: Prezzo unitario non "
                                      "valido: dueeuro"))
        << refused[0].toStdString();
    EXPECT_TRUE(refused[0].contains("\"3\tDadi\tdue euro\""));
    EXPECT_EQ(stored().size(), 1) << "all or nothing";

    // A row the archive refuses midway takes the file back too.
    sql("CREATE TRIGGER refuse BEFORE INSERT ON PA_FE_Body_DatiBeniServizi_DettaglioLinee WHEN "
        "NEW.Descrizione = 'Dadi' BEGIN SELECT RAISE(ABORT, 'bloccata'); END");
    const QStringList failed = importa(file("1\tViti\t2\n3\tDadi\t1\n"));
    ASSERT_EQ(failed.size(), 1);
    EXPECT_TRUE(failed[0].startsWith("Importazione non riuscita: nessuna linea è stata aggiunta."));
    EXPECT_TRUE(failed[0].contains("Riga 2 del file (\"3\tDadi\t1\")"));
    EXPECT_EQ(stored().size(), 1);
    EXPECT_FALSE(db.batchInsert());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);

    scripted.clear();
    scripted.answerOpenFile(QString()); // cancelling the dialog ends it
    buttonOf(*window, "SpeedButton13")->click();
    EXPECT_TRUE(scripted.messages().isEmpty());
}

TEST_F(ImportaTest, ALongFileShowsItsProgressAndAnnullaAddsNothing) {
    arrange({"Descrizione", "Prezzo", "AliquotaIva", "Quantita"});
    setSeparator(";");
    QByteArray bytes;
    for (int i = 1; i <= 3000; ++i)
        bytes += "Linea " + QByteArray::number(i) + ";1,25\n";
    const QString path = file(bytes);
    bool progressShown = false;
    QTimer::singleShot(0, [&] {
        auto* progress = window->findChild<QProgressDialog*>();
        ASSERT_TRUE(progress);
        progressShown = progress->isVisible();
        progress->cancel();
    });
    EXPECT_EQ(importa(path),
              QStringList({"Importazione annullata: nessuna linea è stata aggiunta."}));
    EXPECT_TRUE(progressShown);
    EXPECT_TRUE(stored().isEmpty());
    EXPECT_FALSE(db.batchInsert());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);

    EXPECT_EQ(importa(path), QStringList({"importazione terminata con successo !"}));
    const QList<QVariantList> lines = stored();
    ASSERT_EQ(lines.size(), 3000);
    EXPECT_EQ(lines.last()[0].toInt(), 3000);
}

// ---- invoice list export ----

class EsportazioniTest : public BodyFixture {
public:
    void SetUp() override {
        BodyFixture::SetUp();
        sql("delete from PA_FE_Body");
        sql("delete from PA_FE_Header");
        // As on a fresh archive: one seller, and no standard seller in the options.
        sql("update opzioni set CedentePrestatore_Id = NULL, StudioCommerciale = 0");
        table("TableOpzioni").requery();
        window = std::make_unique<EsportazioniWindow>(db);
        window->show();
    }
    void TearDown() override {
        window.reset();
        BodyFixture::TearDown();
    }
    int document(int seller, const QString& name) {
        sql("insert into PA_FE_Header (CedentePrestatore_Id, Esportato, "
            "CessionarioCommittente_Denominazione) values (?, 0, ?)",
            {seller, name});
        const int id = scalar("select max(ID) from PA_FE_Header").toInt();
        sql("insert into PA_FE_Body (PA_FE_Header_Id, DatiGenerali_Data, DatiGenerali_Numero, "
            "ImportoTotaleDocumento) values (?, '2026-03-05', ?, 10)",
            {id, QString::number(id)});
        return id;
    }
    bool listed(int id) {
        return scalar(QString("select EsportatoElenco from PA_FE_Header where ID = %1").arg(id))
            .toBool();
    }
    QStringList esporta(const QList<bool>& answers, const QString& path) {
        scripted.clear();
        scripted.answerQuestion(answers.value(0));
        if (answers.value(0))
            scripted.answerSaveFile(path);
        for (bool yes : answers.mid(1))
            scripted.answerQuestion(yes);
        buttonOf(*window, "btnEsportazioni")->click();
        return scripted.messages();
    }
    // "Esporta" when there is nothing to list: the question, then the message alone.
    QStringList esportaNothing() {
        scripted.clear();
        scripted.answerQuestion(true);
        buttonOf(*window, "btnEsportazioni")->click();
        return scripted.messages();
    }
    QByteArray read(const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(nessun file)");
    }
    std::unique_ptr<EsportazioniWindow> window;
};

TEST_F(EsportazioniTest, WritesTheFileThenMarksExactlyItsDocuments) {
    // One seller: every Document is the firm's, whatever seller key it carries.
    const int mine = document(1, QString::fromUtf8("Società Bianchi"));
    const int other = document(2, "Altro");
    const QString path = folder.file("elenco.csv");
    EXPECT_EQ(esporta({true}, path), QStringList({"Fatture esportate con successo !"}));
    const auto& calls = scripted.calls();
    EXPECT_EQ(calls[0].text, "Sei sicuro di voler Esportare le fatture ?");
    EXPECT_EQ(calls[1].title, "Scegli il file csv");
    EXPECT_EQ(calls[1].fileName, elenco::proposedFileName(QDate::currentDate()));
    const QByteArray bytes = read(path);
    EXPECT_TRUE(bytes.startsWith(elenco::headingLine().toLatin1() + "\n"));
    EXPECT_TRUE(bytes.contains(";Societ\xE0 Bianchi;"));
    EXPECT_TRUE(bytes.contains(";Altro;"));
    EXPECT_EQ(bytes.count('\n'), 3);
    EXPECT_TRUE(listed(mine));
    EXPECT_TRUE(listed(other));

    // Nothing left to list: said, and no file asked for or written.
    EXPECT_EQ(esportaNothing(), QStringList({"Nessuna fattura da esportare"}));
    EXPECT_EQ(scripted.calls().size(), 2);
    EXPECT_EQ(read(path), bytes);

    // Several sellers: only the chosen seller's Documents.
    sql("insert into PA_CedentePrestatore (CedentePrestatore_Denominazione) values ('Alfa')");
    sql("insert into PA_CedentePrestatore (CedentePrestatore_Denominazione) values ('Beta')");
    const int alfa = scalar("select CedentePrestatore_Id from PA_CedentePrestatore where "
                            "CedentePrestatore_Denominazione = 'Alfa'")
                         .toInt();
    const int beta = scalar("select CedentePrestatore_Id from PA_CedentePrestatore where "
                            "CedentePrestatore_Denominazione = 'Beta'")
                         .toInt();
    sql("update opzioni set StudioCommerciale = 1");
    table("TableOpzioni").requery();
    table("TablePA_CedentePrestatore").requery();
    const int ofAlfa = document(alfa, "Cliente di Alfa");
    const int ofBeta = document(beta, "Cliente di Beta");
    window->hide();
    window->show(); // the seller list is read when the screen is shown
    window->sellerSelector()->setCurrentIndex(window->sellerSelector()->findText("Beta"));
    const QString betaPath = folder.file("beta.csv");
    EXPECT_EQ(esporta({true}, betaPath), QStringList({"Fatture esportate con successo !"}));
    EXPECT_TRUE(read(betaPath).contains(";Cliente di Beta;"));
    EXPECT_EQ(read(betaPath).count('\n'), 2);
    EXPECT_TRUE(listed(ofBeta));
    EXPECT_FALSE(listed(ofAlfa));
}

// The XML export of a Document does not take it off the list: the accounts get it all the same.
TEST(EsportazioniAfterXmlTest, TheListHoldsTheInvoicesExportedAsXml) {
    test::ExportArchive archive;
    archive.data.connessione().exec(
        "update opzioni set CedentePrestatore_Id = NULL, StudioCommerciale = 0");
    const int doc = archive.addDocument();
    archive.addCompleteBody(doc, {{"DatiGenerali_Numero", "FT-7"}});
    archive.select(doc);
    test::ScriptedPrompt exportPrompt;
    ASSERT_EQ(archive.exportTo(archive.folder.file("IT01234567890_00001.xml"), exportPrompt),
              ExportDriver::Outcome::Written)
        << exportPrompt.messages().join("\n").toStdString();
    ASSERT_TRUE(archive.exported(doc));

    archive.data.openAllDatasets();
    test::ScriptedPrompt scripted;
    setPrompt(&scripted);
    {
        EsportazioniWindow window(archive.data);
        window.show();
        const QString path = archive.folder.file("elenco.csv");
        scripted.answerQuestion(true);
        scripted.answerSaveFile(path);
        buttonOf(window, "btnEsportazioni")->click();
        EXPECT_EQ(scripted.messages(), QStringList({"Fatture esportate con successo !"}));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        EXPECT_EQ(bytes.count('\n'), 2);
        EXPECT_TRUE(bytes.contains(";FT-7;")) << bytes.toStdString();
        EXPECT_TRUE(archive.exported(doc)) << "the XML export's mark stays";
        EXPECT_TRUE(archive.read("PA_FE_Header", "id", doc, "EsportatoElenco").toBool());

        scripted.clear();
        scripted.answerQuestion(true);
        buttonOf(window, "btnEsportazioni")->click();
        EXPECT_EQ(scripted.messages(), QStringList({"Nessuna fattura da esportare"}));
        EXPECT_EQ(scripted.pendingAnswers(), 0);
    }
    setPrompt(nullptr);
}

TEST_F(EsportazioniTest, AFailedWriteOrAnAnswerNoMarksNothing) {
    const QLocale previous;
    QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy)); // an Italian workstation
    const int euro = document(1, QString::fromUtf8("Bar € Sport"));
    const QStringList failed = esporta({true, true}, folder.file("manca/elenco.csv"));
    ASSERT_EQ(failed.size(), 1);
    EXPECT_TRUE(failed[0].startsWith("Impossibile scrivere il file"));
    EXPECT_TRUE(failed[0].contains("Nessuna fattura è stata segnata come già elencata."));
    EXPECT_FALSE(listed(euro));
    EXPECT_TRUE(scripted.calls()[2].text.contains(
        QString::fromUtf8("fattura n. %1 del 05/03/2026, Cessionario:RagioneSociale: €").arg(euro)))
        << scripted.calls()[2].text.toStdString();

    const QString path = folder.file("elenco.csv");
    EXPECT_TRUE(esporta({true, false}, path).isEmpty()) << "stopped at the euro sign";
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_FALSE(listed(euro));
    EXPECT_TRUE(esporta({false}, path).isEmpty());

    EXPECT_EQ(esporta({true, true}, path), QStringList({"Fatture esportate con successo !"}));
    EXPECT_TRUE(read(path).contains(";Bar ? Sport;"));
    EXPECT_TRUE(listed(euro));

    // Several sellers: one must be chosen first.
    sql("update opzioni set StudioCommerciale = 1");
    table("TableOpzioni").requery();
    window->sellerSelector()->setCurrentIndex(-1);
    scripted.clear();
    buttonOf(*window, "btnEsportazioni")->click();
    EXPECT_EQ(scripted.messages(),
              QStringList({"Scegliere il Cedente - Prestatore prima di continuare !"}));
    QLocale::setDefault(previous);
}

// ---- quick lines ----

class DettaglioVeloceTest : public BodyFixture {
public:
    void SetUp() override {
        BodyFixture::SetUp();
        sql("update opzioni set AliquotaIva = 22");
        table("TableOpzioni").requery();
        window = std::make_unique<DettaglioVeloceWindow>(db);
        window->show();
    }
    void TearDown() override {
        window.reset();
        BodyFixture::TearDown();
    }
    // Types into a cell of the current row, as the user does, and commits it with Enter.
    void typeCell(int column, const QString& text) {
        DataGrid* grid = window->grid();
        const QModelIndex index = grid->model()->index(window->dataset().position(), column);
        grid->setCurrentIndex(index);
        grid->edit(index);
        auto* editor = qobject_cast<QLineEdit*>(grid->indexWidget(index));
        ASSERT_TRUE(editor);
        editor->selectAll();
        QTest::keyClicks(editor, text);
        QTest::keyClick(editor, Qt::Key_Return);
        QCoreApplication::processEvents(); // the cell is written when the editor closes
    }
    int lines() {
        return count("PA_FE_Body_DatiBeniServizi_DettaglioLinee",
                     QString("PA_FE_Body_Id = %1").arg(body));
    }
    std::unique_ptr<DettaglioVeloceWindow> window;
};

TEST_F(DettaglioVeloceTest, KeysTogglesAndCopyIntoTheBody) {
    Dataset& d = window->dataset();
    EXPECT_EQ(window->windowTitle(), "Inserimento Linee Veloce");
    DataGrid* grid = window->grid();
    grid->setFocus();
    buttonOf(*window, "SpeedButton49")->click();
    ASSERT_EQ(d.rowCount(), 1);
    typeCell(0, "Consulenza");
    typeCell(1, "2");
    typeCell(2, "50,5");
    QTest::keyClick(grid, Qt::Key_F3); // stores this row, appends the next one
    ASSERT_EQ(d.rowCount(), 2);
    EXPECT_EQ(d.position(), 1);
    EXPECT_DOUBLE_EQ(d.number("AliquotaIva"), 22);
    EXPECT_TRUE(d.flag("Valido"));
    EXPECT_EQ(scalar("select PrezzoUnitario from DettaglioVeloce where Descrizione = "
                     "'Consulenza'")
                  .toDouble(),
              50.5);
    typeCell(0, "Trasferta");
    typeCell(2, "30");
    QTest::keyClick(grid, Qt::Key_Return); // Enter toggles nothing
    QTest::keyClick(grid, Qt::Key_F2);
    EXPECT_EQ(
        scalar("select count(*) from DettaglioVeloce where Descrizione = 'Trasferta'").toInt(), 1);
    buttonOf(*window, "SpeedButton49")->click();
    typeCell(0, "Sconto");
    QTest::keyClick(grid, Qt::Key_F2);

    // Double click: not to import (red), and back; each toggle stored at once.
    d.moveTo(1);
    Q_EMIT grid->doubleClicked(grid->currentIndex());
    EXPECT_FALSE(
        scalar("select Valido from DettaglioVeloce where Descrizione = 'Trasferta'").toBool());
    EXPECT_TRUE(
        scalar("select Valido from DettaglioVeloce where Descrizione = 'Consulenza'").toBool());
    EXPECT_EQ(grid->model()->index(1, 0).data(Qt::BackgroundRole).value<QColor>(),
              QColor(255, 150, 150));
    Q_EMIT grid->doubleClicked(grid->currentIndex());
    EXPECT_TRUE(
        scalar("select Valido from DettaglioVeloce where Descrizione = 'Trasferta'").toBool());
    Q_EMIT grid->doubleClicked(grid->currentIndex());

    buttonOf(*window, "SpeedButton1")->click(); // "Importa tutto": the marked rows
    EXPECT_EQ(scripted.messages(), QStringList({"importazione terminata con successo !"}));
    EXPECT_EQ(lines(), 2);
    EXPECT_EQ(scalar("select PrezzoTotale from PA_FE_Body_DatiBeniServizi_DettaglioLinee where "
                     "Descrizione = 'Consulenza'")
                  .toDouble(),
              101.0);
    d.moveTo(1);
    scripted.clear();
    buttonOf(*window, "BitBtn1")->click(); // the selected row, though not marked
    EXPECT_EQ(lines(), 3);
    EXPECT_EQ(count("PA_FE_Body_DatiBeniServizi_DettaglioLinee", "Descrizione = 'Trasferta'"), 1);

    // A refused line takes the whole copy back.
    sql("CREATE TRIGGER refuse BEFORE INSERT ON PA_FE_Body_DatiBeniServizi_DettaglioLinee WHEN "
        "NEW.Descrizione = 'Sconto' BEGIN SELECT RAISE(ABORT, 'bloccata'); END");
    window->rendiTuttiDaImportare();
    scripted.clear();
    buttonOf(*window, "SpeedButton1")->click();
    ASSERT_EQ(scripted.messages().size(), 1);
    EXPECT_TRUE(scripted.messages()[0].startsWith("Importazione non riuscita"));
    EXPECT_EQ(lines(), 3);
    EXPECT_FALSE(db.batchInsert());

    // "Azzera griglia" from the pop-up menu, after its question.
    scripted.clear();
    scripted.answerQuestion(true);
    window->gridMenu()->actions().at(0)->trigger();
    EXPECT_EQ(scripted.calls()[0].text, "Sei sicuro di voler eliminare tutti i Record ?");
    EXPECT_EQ(d.rowCount(), 0);
    EXPECT_EQ(scalar("select count(*) from DettaglioVeloce").toInt(), 0);
    scripted.clear();
    buttonOf(*window, "SpeedButton1")->click(); // an empty list does nothing
    buttonOf(*window, "SpeedButton48")->click();
    EXPECT_TRUE(scripted.calls().isEmpty());
}

TEST_F(DettaglioVeloceTest, TheRateCellTakesOnlyARateTheLinesAccept) {
    Dataset& d = window->dataset();
    window->grid()->setFocus();
    buttonOf(*window, "SpeedButton49")->click();
    typeCell(0, "Consulenza");
    const struct {
        const char* typed;
        double kept; // the rate the row holds afterwards
        bool refused;
    } cases[] = {
        {"150", 22, true}, {"-5", 22, true}, {"0,22", 22, true},  {"22,555", 22, true},
        {"10", 10, false}, {"0", 0, false},  {"5,5", 5.5, false}, {"100", 100, false},
    };
    for (const auto& c : cases) {
        d.edit();
        d.setValue("AliquotaIva", 22);
        scripted.clear();
        typeCell(3, c.typed);
        EXPECT_EQ(scripted.messages(),
                  c.refused ? QStringList{vat::kImpossibleRateMessage} : QStringList())
            << c.typed;
        EXPECT_DOUBLE_EQ(d.number("AliquotaIva"), c.kept) << c.typed;
    }
}
