// The utilities without their screens: reading a line-import file, adding a batch of lines all or
// nothing, deleting a line with its rows all or nothing, and the invoice list's exact bytes and
// marks, on real archives.
#include "logic/ChildRows.h"
#include "logic/InvoiceList.h"
#include "logic/LineImport.h"
#include "store/ArchiveUpgrade.h"
#include "store/DataModule.h"
#include "store/NumberText.h"
#include "store/Prompt.h"
#include "support/ScriptedPrompt.h"
#include "support/TestFiles.h"

#include <QFile>
#include <gtest/gtest.h>

using namespace brevalto;

namespace {

struct Expected {
    QVariant descrizione, quantita, prezzo, totale, aliquota;
};

struct ParseCase {
    const char* name;
    QString separator;
    bool headings;
    QVariant order; // opzioni.ImportaStringa
    QHash<QString, QString> fixed;
    QString text;
    QList<Expected> lines;
};

TEST(LineImportTest, ReadsTheFileAsTheColumnButtonsSay) {
    const QString longText(1500, QLatin1Char('x'));
    const QVariant none;
    const QList<ParseCase> cases = {
        {"euro sign and blank removed from the price",
         ";",
         false,
         "Descrizione|Quantita|Prezzo|AliquotaIva|",
         {},
         QString::fromUtf8("Viti inox;10;€ 1,50;22\n"),
         {{"Viti inox", 10.0, 1.5, 15.0, 22.0}}},
        {"without a stored order: description, price, rate, quantity, as the screen shows",
         ";",
         false,
         none,
         {},
         "Bulloni;12,5;22;7\n",
         {{"Bulloni", 7.0, 12.5, 87.5, 22.0}}},
        {"headings: exactly the first line skipped, CR LF endings",
         ";",
         true,
         "Descrizione|Prezzo|",
         {},
         "Descrizione;Prezzo\r\nViti;2\r\nDadi;3\r\n",
         {{"Viti", 1.0, 2.0, 2.0, none}, {"Dadi", 1.0, 3.0, 3.0, none}}},
        {"tab separator",
         "\t",
         false,
         "Quantita|Descrizione|Prezzo|",
         {},
         "3\tMorsetto\t2,10",
         {{"Morsetto", 3.0, 2.1, 6.3, none}}},
        {"a separator of several characters uses its first",
         ";#",
         false,
         "Descrizione|Prezzo|",
         {},
         "Vite;5",
         {{"Vite", 1.0, 5.0, 5.0, none}}},
        {"a fixed rate wins over the file",
         ";",
         false,
         "Descrizione|Prezzo|AliquotaIva|",
         {{"AliquotaIva", "22"}},
         "Vite;1;10\nDado;2;4",
         {{"Vite", 1.0, 1.0, 1.0, 22.0}, {"Dado", 1.0, 2.0, 2.0, 22.0}}},
        {"description cut to 1000 characters",
         ";",
         false,
         "Descrizione|Prezzo|",
         {},
         longText + ";1",
         {{longText.left(1000), 1.0, 1.0, 1.0, none}}},
        {"a short line leaves the missing fields empty",
         ";",
         false,
         "Descrizione|Prezzo|AliquotaIva|Quantita|",
         {},
         "Vite;2,00",
         {{"Vite", 1.0, 2.0, 2.0, none}}},
        {"blank as thousands separator, exact cents",
         ";",
         false,
         "Prezzo|Quantita|",
         {},
         "1 250,00;3\n0,1;3",
         {{none, 3.0, 1250.0, 3750.0, none}, {none, 3.0, 0.1, 0.3, none}}},
        {"a point before three digits is the Italian thousands mark",
         ";",
         false,
         "Descrizione|Prezzo|Quantita|",
         {},
         "Toner;1.250;2\nCarta;12.5;1.000\nPenne;0.500;3",
         {{"Toner", 2.0, 1250.0, 2500.0, none},
          {"Carta", 1000.0, 12.5, 12500.0, none},
          {"Penne", 3.0, 0.5, 1.5, none}}},
        {"blank lines are skipped, a null separator is |",
         "",
         false,
         "Descrizione|Prezzo|",
         {},
         "Vite|1\n   \nDado|2\n",
         {{"Vite", 1.0, 1.0, 1.0, none}, {"Dado", 1.0, 2.0, 2.0, none}}},
    };
    for (const ParseCase& c : cases) {
        SCOPED_TRACE(c.name);
        importa::Settings s{c.separator, c.headings, importa::columnOrder(c.order), c.fixed};
        const importa::Parsed parsed = importa::parse(c.text, s);
        ASSERT_FALSE(parsed.error) << parsed.error->message().toStdString();
        ASSERT_EQ(parsed.lines.size(), c.lines.size());
        for (int i = 0; i < c.lines.size(); ++i) {
            const linee::NewLine& got = parsed.lines[i];
            const Expected& want = c.lines[i];
            EXPECT_EQ(got.descrizione, want.descrizione) << i;
            EXPECT_DOUBLE_EQ(got.quantita.toDouble(), want.quantita.toDouble()) << i;
            EXPECT_DOUBLE_EQ(got.prezzoUnitario.toDouble(), want.prezzo.toDouble()) << i;
            EXPECT_DOUBLE_EQ(got.prezzoTotale.toDouble(), want.totale.toDouble()) << i;
            EXPECT_EQ(got.aliquotaIva.isNull(), want.aliquota.isNull()) << i;
            EXPECT_DOUBLE_EQ(got.aliquotaIva.toDouble(), want.aliquota.toDouble()) << i;
        }
    }
}

TEST(LineImportTest, ABadLineRefusesTheWholeFileAndIsNamed) {
    const struct {
        QString text;
        int line;
        QString reason;
    } cases[] = {
        {"Descrizione;Prezzo;Quantita\nViti;1;2\nDadi;abc;1\nRondelle;1;1", 3,
         "Prezzo unitario non valido: abc"},
        {"Descrizione;Prezzo;Quantita\nViti;1;tre", 2, "Quantità non valido: tre"},
        {"Descrizione;Prezzo;Quantita\nViti;;2", 2, "manca il prezzo unitario"},
        {"Descrizione;Prezzo;Quantita\nViti", 2, "manca il prezzo unitario"},
    };
    importa::Settings s{";", true, {"Descrizione", "Prezzo", "Quantita"}, {}};
    for (const auto& c : cases) {
        const importa::Parsed parsed = importa::parse(c.text, s);
        ASSERT_TRUE(parsed.error) << c.text.toStdString();
        EXPECT_TRUE(parsed.lines.isEmpty());
        EXPECT_EQ(parsed.error->number, c.line);
        EXPECT_EQ(parsed.error->reason, c.reason);
        EXPECT_EQ(parsed.error->text, c.text.split('\n').at(c.line - 1));
        EXPECT_TRUE(parsed.error->message().startsWith(QString("Riga %1 del file").arg(c.line)));
    }
    s.order = {"Descrizione", "Prezzo", "AliquotaIva"};
    s.headings = false;
    const importa::Parsed rate = importa::parse("Viti;1;0,22", s);
    ASSERT_TRUE(rate.error);
    EXPECT_TRUE(rate.error->reason.startsWith("Aliquota Iva non valida: 0,22"));
}

// Plain numbers are read in place and their total worked out in integers; every other spelling
// goes through the general reading. Both must give the values the screens would: the price as
// parseNumberText() reads it and the total as lineTotal() computes it.
TEST(LineImportTest, NumbersAndTotalsMatchTheGeneralReading) {
    const QStringList prices = {"1",
                                "0,005",
                                "1,115",
                                "2,675",
                                "12.",
                                ",5",
                                "007,10",
                                "999999999999,99",
                                "1,5",
                                "0,0000000001",
                                "123456789012345",
                                "1234567890123456",
                                "1.250,50",
                                "1.250",
                                "12.500",
                                "1.250.000",
                                "0.500",
                                "12.5",
                                "999.9999",
                                "€ 1 250,00",
                                "0,1000000000000000055511"};
    const QStringList quantities = {"",        "3",     "0,5",         "2,333",
                                    "1.000,5", "1.000", "99999,99999", "0"};
    const importa::Settings s{";", false, {"Prezzo", "Quantita"}, {}};
    for (const QString& price : prices) {
        for (const QString& quantity : quantities) {
            SCOPED_TRACE((price + " x " + quantity).toStdString());
            const importa::Parsed parsed = importa::parse(price + ";" + quantity, s);
            ASSERT_FALSE(parsed.error);
            ASSERT_EQ(parsed.lines.size(), 1);
            QString cleaned = price;
            cleaned.remove(QChar(0x20AC)).remove(' ');
            QVariant unit, times;
            ASSERT_TRUE(parseNumberText(cleaned, false, &unit));
            ASSERT_TRUE(parseNumberText(quantity, false, &times));
            if (times.isNull())
                times = 1.0;
            const linee::NewLine& got = parsed.lines.first();
            EXPECT_EQ(got.prezzoUnitario.toDouble(), unit.toDouble());
            EXPECT_EQ(got.quantita.toDouble(), times.toDouble());
            EXPECT_EQ(got.prezzoTotale.toDouble(), linee::lineTotal(times, unit, {})->toDouble());
        }
    }
}

TEST(LineImportTest, ReadsUtf8OrWindows1252) {
    EXPECT_EQ(importa::decodeText(QString::fromUtf8("Caffè € 5").toUtf8()),
              QString::fromUtf8("Caffè € 5"));
    EXPECT_EQ(importa::decodeText("\xEF\xBB\xBF" + QString::fromUtf8("Perù").toUtf8()),
              QString::fromUtf8("Perù"));
    // What a spreadsheet on a Windows workstation writes: è is E8, the euro sign 80.
    EXPECT_EQ(importa::decodeText(QByteArray("Caff\xE8 \x80 5 \x93x\x94")),
              QString::fromUtf8("Caffè € 5 “x”"));
}

class LinesBatchTest : public ::testing::Test {
protected:
    void SetUp() override {
        path = test::copyOfNewArchive(folder);
        db.connessione().open(path);
        db.openAllDatasets();
        setPrompt(&scripted);
        sql("insert into PA_FE_Header (DatiTrasmissione_ProgressivoInvio) values ('1')");
        const int header = scalar("select max(ID) from PA_FE_Header").toInt();
        sql("insert into PA_FE_Body (PA_FE_Header_Id) values (?)", {header});
        db.table("TablePA_FE_Header").requery();
        db.table("TablePA_FE_Header").locate("ID", header);
        db.loadBodies();
        db.requeryBodyChildren();
        body = documenti::bodyId(db);
    }
    void TearDown() override { setPrompt(nullptr); }
    void sql(const QString& s, const QVariantList& v = {}) { db.connessione().exec(s, v); }
    QVariant scalar(const QString& s) { return db.connessione().scalar(s); }
    int lines() {
        return scalar(QString("select count(*) from PA_FE_Body_DatiBeniServizi_DettaglioLinee "
                              "where PA_FE_Body_Id = %1")
                          .arg(body))
            .toInt();
    }
    static QList<linee::NewLine> batch(int n, const QString& failing = {}) {
        QList<linee::NewLine> out;
        for (int i = 1; i <= n; ++i)
            out << linee::NewLine{i == n && !failing.isEmpty() ? failing : QString("L%1").arg(i),
                                  2.0,
                                  1.5,
                                  3.0,
                                  22.0,
                                  QString("Riga %1 del file").arg(i)};
        return out;
    }

    test::TempFolder folder;
    QString path;
    DataModule db;
    test::ScriptedPrompt scripted;
    int body = 0;
};

TEST_F(LinesBatchTest, AddsEveryLineNumberedAfterTheLastOrNone) {
    sql("insert into PA_FE_Body_DatiBeniServizi_DettaglioLinee (PA_FE_Body_Id, NumeroLinea) "
        "values (?, 4)",
        {body});
    linee::addLines(db, batch(3));
    Dataset& d = db.table("TablePA_FE_Body_DatiBeniServizi_DettaglioLinee");
    EXPECT_EQ(d.rowCount(), 4) << "the lines dataset shows them";
    EXPECT_EQ(d.integer("NumeroLinea"), 7) << "the last new line is current";
    EXPECT_EQ(scalar("select min(NumeroLinea) from PA_FE_Body_DatiBeniServizi_DettaglioLinee "
                     "where Descrizione like 'L%'")
                  .toInt(),
              5);

    // A row the archive refuses (here a trigger, as a lock or a full disk would) takes the whole
    // batch back, and the error names the line of the file.
    test::refuseRows(db.connessione(), "PA_FE_Body_DatiBeniServizi_DettaglioLinee", "INSERT",
                     "NEW.Descrizione = 'boom'", "riga rifiutata");
    try {
        linee::addLines(db, batch(5, "boom"));
        FAIL() << "no error";
    } catch (const DbError& e) {
        EXPECT_TRUE(e.text().startsWith("Riga 5 del file: ")) << e.text().toStdString();
        EXPECT_TRUE(e.text().contains("riga rifiutata"));
    }
    EXPECT_EQ(lines(), 4);
    EXPECT_FALSE(db.batchInsert());
    EXPECT_EQ(db.connessione().transactionDepth(), 0);

    // Many rows go in several a statement: a row refused in the middle of one is still the one
    // named, and nothing of the file stays.
    QList<linee::NewLine> many = batch(200);
    many[99].descrizione = QString("boom");
    try {
        linee::addLines(db, many);
        FAIL() << "no error";
    } catch (const DbError& e) {
        EXPECT_TRUE(e.text().startsWith("Riga 100 del file: ")) << e.text().toStdString();
    }
    EXPECT_EQ(lines(), 4);
    many[99].descrizione = QString("L100");
    linee::addLines(db, many);
    EXPECT_EQ(lines(), 204);
    EXPECT_EQ(scalar("select count(*) from PA_FE_Body_DatiBeniServizi_DettaglioLinee where "
                     "Descrizione = 'L' || (NumeroLinea - 7)")
                  .toInt(),
              200)
        << "each line in its place, numbered after the last";

    int asked = 0;
    EXPECT_THROW(linee::addLines(db, batch(600), [&](int done) { return ++asked, done < 512; }),
                 linee::Cancelled);
    EXPECT_EQ(lines(), 204) << "cancelling adds nothing";
    EXPECT_EQ(asked, 3);
    EXPECT_FALSE(db.batchInsert());
}

TEST_F(LinesBatchTest, DeletingALineTakesItsRowsWithItOrNothing) {
    linee::addLines(db, batch(2));
    const QString tables[3] = {linee::kAltro, linee::kCodici, linee::kSconto};
    const QVariant lineIds[2] = {
        scalar("select min(Id) from PA_FE_Body_DatiBeniServizi_DettaglioLinee"),
        scalar("select max(Id) from PA_FE_Body_DatiBeniServizi_DettaglioLinee")};
    for (const QString& table : tables)
        for (const QVariant& line : lineIds)
            sql(QString("insert into %1 (PA_FE_Body_Id, %2) values (?, ?)")
                    .arg(table, linee::kLineKey),
                {body, line});
    const auto rowsOf = [&](const QVariant& line) {
        int n = 0;
        for (const QString& table : tables)
            n += scalar(QString("select count(*) from %1 where %2 = %3")
                            .arg(table, linee::kLineKey, line.toString()))
                     .toInt();
        return n;
    };
    Dataset& d = db.table(linee::kLinesDataset);
    ASSERT_EQ(d.value("Id"), lineIds[1]);

    // The last child table refuses after the first two were emptied: the line stays whole.
    test::refuseRows(db.connessione(), linee::kSconto, "DELETE", {}, "riga bloccata");
    try {
        linee::deleteCurrentLine(db);
        FAIL() << "no error";
    } catch (const DbError& e) {
        EXPECT_TRUE(e.text().contains("riga bloccata")) << e.text().toStdString();
    }
    EXPECT_EQ(lines(), 2);
    EXPECT_EQ(rowsOf(lineIds[1]), 3);
    EXPECT_EQ(d.rowCount(), 2);
    EXPECT_EQ(d.value("Id"), lineIds[1]) << "the lines stay on the line";
    EXPECT_EQ(db.connessione().transactionDepth(), 0);

    test::stopRefusingRows(db.connessione(), linee::kSconto);
    linee::deleteCurrentLine(db);
    EXPECT_EQ(lines(), 1);
    EXPECT_EQ(rowsOf(lineIds[1]), 0);
    EXPECT_EQ(rowsOf(lineIds[0]), 3) << "another line's rows stay";
    EXPECT_EQ(d.value("Id"), lineIds[0]);
}

class InvoiceListTest : public LinesBatchTest {
protected:
    // A Document of the seller; listed: the list's own mark, xml: the XML export's.
    int document(int seller, const QVariant& listed, const QString& name, const QVariant& xml = 0) {
        sql("insert into PA_FE_Header (CedentePrestatore_Id, EsportatoElenco, Esportato, "
            "CessionarioCommittente_Denominazione, CessionarioCommittente_IdCodice, "
            "CessionarioCommittente_Sede_Indirizzo, CessionarioCommittente_Sede_CAP, "
            "CessionarioCommittente_Sede_Comune, CessionarioCommittente_Sede_Provincia, "
            "CessionarioCommittente_Sede_Nazione) values (?, ?, ?, ?, '01234567890', 'Via Po 1', "
            "'10100', 'Torino', 'TO', 'IT')",
            {seller, listed, xml, name});
        return scalar("select max(ID) from PA_FE_Header").toInt();
    }
    void invoice(int header, const QString& date, const QString& number, const QVariant& total,
                 const QVariant& rounding = {}) {
        sql("insert into PA_FE_Body (PA_FE_Header_Id, DatiGenerali_TipoDocumento, "
            "DatiGenerali_Divisa, DatiGenerali_Data, DatiGenerali_Numero, ImportoTotaleDocumento, "
            "Arrotondamento) values (?, 'TD01', 'EUR', ?, ?, ?, ?)",
            {header, date, number, total, rounding});
    }
    bool listed(int header) {
        return scalar(QString("select EsportatoElenco from PA_FE_Header where ID = %1").arg(header))
            .toBool();
    }
    bool xmlExported(int header) {
        return scalar(QString("select Esportato from PA_FE_Header where ID = %1").arg(header))
            .toBool();
    }
};

TEST_F(InvoiceListTest, WritesTheSellersPendingInvoicesByteForByteAndMarksOnlyThose) {
    sql("delete from PA_FE_Body");
    sql("delete from PA_FE_Header");
    // Exported as XML, never listed: the list still owes it to the accounts.
    const int two = document(7, 0, QString::fromUtf8("Caffè Società"), 1);
    invoice(two, "2026-03-05", "12", 122.0, -0.01);
    invoice(two, "2026-03-02", "11", 15.5);
    const int done = document(7, 1, "Già elencato");
    invoice(done, "2026-01-01", "1", 10.0);
    const int empty = document(7, QVariant(), "Senza fatture"); // never marked: not listed
    const int other = document(8, 0, "Altro cedente");
    invoice(other, "2026-03-01", "3", 1.0);

    const elenco::Listing listing =
        elenco::build(db.connessione(), 7, QLocale(QLocale::Italian, QLocale::Italy));
    const QByteArray bytes = elenco::encode(listing.text);
    const QByteArray customer =
        ";01234567890;;Caff\xE8 Societ\xE0;;;;;Via Po 1;;10100;Torino;TO;IT;\n";
    EXPECT_EQ(bytes, elenco::headingLine().toLatin1() + "\n" + "02/03/2026;11;TD01;EUR;15,5;;0" +
                         customer + "05/03/2026;12;TD01;EUR;122;;-0,01" + customer);
    EXPECT_EQ(listing.invoices, 2);
    EXPECT_TRUE(listing.unrepresentable.isEmpty());
    EXPECT_EQ(bytes.count('\n'), 3);
    EXPECT_EQ(elenco::headingLine().count(';'), 20);

    const int late = document(7, 0, "Aggiunto da un'altra postazione");
    invoice(late, "2026-03-06", "13", 1.0);
    elenco::markExported(db.connessione(), listing.documents);
    EXPECT_TRUE(listed(two));
    EXPECT_TRUE(listed(empty)) << "the seller's documents without invoices go with them";
    EXPECT_FALSE(listed(other));
    EXPECT_FALSE(listed(late)) << "not in the file, not marked";
    EXPECT_FALSE(xmlExported(empty)) << "the XML export's mark is its own";

    // Without a seller (the firm's own use) every Document not yet listed is the firm's.
    const elenco::Listing firm = elenco::build(db.connessione(), std::nullopt);
    EXPECT_EQ(firm.invoices, 2);
    EXPECT_TRUE(firm.documents.contains(other) && firm.documents.contains(late));

    // Nothing to list: nothing to mark either, not even a Document without invoices.
    document(99, 0, "Solo intestazione");
    const elenco::Listing none = elenco::build(db.connessione(), 99);
    EXPECT_EQ(none.invoices, 0);
    EXPECT_TRUE(none.documents.isEmpty());
}

// Texts go into the file as a spreadsheet reads them back: the separator, quotes and line breaks
// inside a value quoted, a formula's first character neutralised; numbers and plain texts as ever.
TEST_F(InvoiceListTest, TextsThatASpreadsheetWouldSplitOrRunAreQuotedOrNeutralised) {
    const struct {
        QString text;
        QString written;
    } cases[] = {
        {"Rossi Srl", "Rossi Srl"},
        {"", ""},
        {"O'Brien", "O'Brien"},
        {"Via Roma; 1;X", "\"Via Roma; 1;X\""},
        {"Bar \"Sport\"", "\"Bar \"\"Sport\"\"\""},
        {"riga\nseconda", "\"riga\nseconda\""},
        {"=cmd|' /C calc'!A0", "'=cmd|' /C calc'!A0"},
        {"+39 06 1234", "'+39 06 1234"},
        {"-2+3", "'-2+3"},
        {"@SUM(A1)", "'@SUM(A1)"},
        {"\t=1+1", "'\t=1+1"},
        {"\r=1+1", "\"'\r=1+1\""},
        {"=HYPERLINK(\"http://x\";\"y\")", "\"'=HYPERLINK(\"\"http://x\"\";\"\"y\"\")\""},
        {"a=b", "a=b"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(elenco::csvField(c.text), c.written) << c.text.toStdString();

    // Through the whole list: the customer's name and address keep the columns in place, the
    // negative rounding stays a number.
    sql("delete from PA_FE_Header");
    const int hostile = document(7, 0, "=cmd|' /C calc'!A0");
    sql("update PA_FE_Header set CessionarioCommittente_Sede_Indirizzo = 'Via Roma; 1;X\nfine' "
        "where ID = ?",
        {hostile});
    invoice(hostile, "2026-03-05", "-5", 10.0, -0.5);
    const QByteArray bytes = elenco::encode(
        elenco::build(db.connessione(), 7, QLocale(QLocale::Italian, QLocale::Italy)).text);
    EXPECT_EQ(bytes, elenco::headingLine().toLatin1() +
                         "\n05/03/2026;'-5;TD01;EUR;10;;-0,5;01234567890;;'=cmd|' /C calc'!A0;;;;;"
                         "\"Via Roma; 1;X\nfine\";;10100;Torino;TO;IT;\n");
    // A date the archive holds as some other text is a text like the others.
    sql("update PA_FE_Body set DatiGenerali_Data = '=1+1;x' where PA_FE_Header_Id = ?", {hostile});
    EXPECT_TRUE(
        elenco::encode(elenco::build(db.connessione(), 7).text).contains("\n\"'=1+1;x\";'-5;"));
}

// An archive of the previous version had one mark for both: what it marked counts as listed, so
// the first list after the upgrade holds only what was never exported.
TEST_F(InvoiceListTest, TheUpgradeStartsTheListsMarkFromTheSharedOne) {
    db.closeAllDatasets();
    sql("delete from PA_FE_Header");
    sql("ALTER TABLE PA_FE_Header DROP COLUMN EsportatoElenco");
    sql(QString("UPDATE opzioni SET VerBaseDati = %1").arg(requiredArchiveVersion - 1));
    const auto add = [this](const QVariant& exported, const QString& number) {
        sql("insert into PA_FE_Header (CedentePrestatore_Id, Esportato) values (7, ?)", {exported});
        const int id = scalar("select max(ID) from PA_FE_Header").toInt();
        invoice(id, "2026-03-05", number, 1.0);
        return id;
    };
    const int old = add(1, "1");
    const int pending = add(0, "2");
    const int never = add(QVariant(), "3");

    const UpgradeReport report = upgradeArchive(db.connessione());
    EXPECT_EQ(report.columnsAdded, QStringList{"PA_FE_Header.EsportatoElenco"});
    EXPECT_EQ(report.version, requiredArchiveVersion);
    EXPECT_TRUE(listed(old));
    EXPECT_FALSE(listed(pending));
    EXPECT_FALSE(listed(never));
    const elenco::Listing listing = elenco::build(db.connessione(), std::nullopt);
    EXPECT_EQ(listing.invoices, 2);
    EXPECT_EQ(listing.documents, (QList<qint64>{pending, never}));

    // A second run adds nothing and leaves the marks the list has set since.
    elenco::markExported(db.connessione(), listing.documents);
    sql("update PA_FE_Header set EsportatoElenco = 0 where ID = ?", {old});
    EXPECT_TRUE(upgradeArchive(db.connessione()).columnsAdded.isEmpty());
    EXPECT_FALSE(listed(old));
    EXPECT_TRUE(listed(never));
}

TEST_F(InvoiceListTest, NamesWhatTheOneByteFormatCannotCarry) {
    sql("delete from PA_FE_Header");
    const int euro = document(7, 0, QString::fromUtf8("Bar € Ristoro"));
    invoice(euro, "2026-03-05", "12", 1.0);
    const elenco::Listing listing =
        elenco::build(db.connessione(), 7, QLocale(QLocale::Italian, QLocale::Italy));
    ASSERT_EQ(listing.unrepresentable.size(), 1);
    EXPECT_EQ(listing.unrepresentable[0].invoice, "fattura n. 12 del 05/03/2026");
    EXPECT_EQ(listing.unrepresentable[0].field, "Cessionario:RagioneSociale");
    EXPECT_EQ(listing.unrepresentable[0].characters, QString::fromUtf8("€"));
    EXPECT_TRUE(elenco::encode(listing.text).contains(";Bar ? Ristoro;"));
}

TEST(InvoiceListFileTest, ProposedName) {
    EXPECT_EQ(elenco::proposedFileName(QDate(2026, 3, 5)), "Esportazioni_5_3_2026.csv");
    EXPECT_EQ(elenco::proposedFileName(QDate(2026, 12, 25)), "Esportazioni_25_12_2026.csv");
}

} // namespace
