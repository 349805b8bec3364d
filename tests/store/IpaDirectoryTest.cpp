// Loading the directory of public-administration offices from IndicePA files into a real archive:
// both layouts, headings in any order, municipalities found by each key, what is skipped and why,
// and the previous directory kept whole when anything goes wrong.
#include "store/IpaDirectory.h"
#include "store/ArchiveCatalog.h"
#include "store/ArchiveUpgrade.h"
#include "store/Connection.h"
#include "support/TestFiles.h"

#include <QFile>
#include <QProcess>
#include <QSqlQuery>
#include <functional>
#include <gtest/gtest.h>

using namespace brevalto;

namespace {

const QString kTable = QStringLiteral("PA_Amministrazioni_FatturaElettronica");

class IpaDirectoryTest : public ::testing::Test {
protected:
    void SetUp() override {
        archive = test::copyOfNewArchive(folder);
        connection.open(archive);
    }
    QString write(const QString& name, const QByteArray& bytes) {
        const QString path = folder.file(name);
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return path;
    }
    // codice_univoco -> "DescrizionePA|DescrizioneUfficio|codice_Amministrazione|cod_ou|indirizzo|
    // cap|cf|tipologia_istat|Comune"
    QMap<QString, QString> directory() {
        QMap<QString, QString> rows;
        QSqlQuery q = connection.execNative(
            "SELECT p.codice_univoco, p.DescrizionePA, p.DescrizioneUfficio, "
            "p.codice_Amministrazione, p.cod_ou, p.indirizzo, p.cap, p.cf, p.tipologia_istat, "
            "c.Comune FROM PA_Amministrazioni_FatturaElettronica p LEFT JOIN Comuni c ON "
            "c.ID = p.Comune_Id");
        while (q.next()) {
            QStringList values;
            for (int i = 1; i <= 9; ++i)
                values << q.value(i).toString();
            rows.insert(q.value(0).toString(), values.join('|'));
        }
        return rows;
    }

    test::TempFolder folder;
    QString archive;
    Connection connection;
};

// The current layout: BOM, CRLF, quoted commas and quotes, columns in an order of their own, the
// administrations' file for the type; municipalities by ISTAT code (also without its leading
// zeros), by cadastral code, and not at all.
TEST_F(IpaDirectoryTest, CurrentCsvLayoutWithAdministrations) {
    const QString offices = write(
        "uo_sfe.csv",
        "\xEF\xBB\xBF"
        "Codice_uni_uo,Descrizione_uo,Codice_IPA,Denominazione_ente,Codice_fiscale_ente,"
        "Codice_fiscale_sfe,Codice_comune_ISTAT,Codice_catastale_comune,CAP,Indirizzo,Mail1\r\n"
        "UFABC1,\"Ufficio Tributi, Sede\",c_h501,Roma Capitale,02438750586,80000000001,058091,"
        "H501,00184,\"Via del \"\"Tritone\"\", 1\",a@b.it\r\n"
        "\r\n"
        "ufx2y3,Ragioneria,c_l219,Comune di Torino,00514490010,,1272,,10121,Piazza Palazzo di "
        "Citta' 1,\r\n"
        "MI0001,Protocollo,c_f205,Comune di Milano,01199250158,,,F205,20121,Piazza della Scala "
        "2,\r\n"
        "XX0001,Ufficio estero,ente_x,Ente senza comune,12345678901,,999999,Z999,,,\r\n");
    const QString enti =
        write("enti.csv", "Codice_IPA,Denominazione_ente,Tipologia,Codice_Categoria\n"
                          "c_h501,Roma Capitale,Pubbliche Amministrazioni,L6\n"
                          "C_L219,Comune di Torino,Pubbliche Amministrazioni,L6\n");

    const ipa::ImportReport report = ipa::importDirectory(connection, offices, enti);
    EXPECT_EQ(report.layout, "CSV");
    EXPECT_EQ(report.read, 4);
    EXPECT_EQ(report.imported, 4);
    EXPECT_EQ(report.skipped(), 0);
    EXPECT_EQ(report.noComune, 1);

    const QMap<QString, QString> rows = directory();
    ASSERT_EQ(rows.size(), 4);
    EXPECT_EQ(rows["UFABC1"], "Roma Capitale|Ufficio Tributi, Sede|c_h501||Via del \"Tritone\", "
                              "1|00184|80000000001|Pubbliche Amministrazioni|Roma");
    // The office code is kept in capitals; the tax code of the administration stands in for the
    // service's; the administrations' file matches the IPA code whatever its case.
    EXPECT_EQ(rows["UFX2Y3"], "Comune di Torino|Ragioneria|c_l219||Piazza Palazzo di Citta' "
                              "1|10121|00514490010|Pubbliche Amministrazioni|Torino");
    EXPECT_EQ(rows["MI0001"], "Comune di Milano|Protocollo|c_f205||Piazza della Scala "
                              "2|20121|01199250158||Milano");
    EXPECT_EQ(rows["XX0001"], "Ente senza comune|Ufficio estero|ente_x||||12345678901||");
    EXPECT_TRUE(report.text().contains("Uffici importati senza comune (non trovato nella tabella "
                                       "dei Comuni): 1"));

    const ipa::LastLoad load = ipa::lastLoad(connection);
    EXPECT_TRUE(load.when.isValid());
    EXPECT_LE(load.when.secsTo(QDateTime::currentDateTime()), 60);
    EXPECT_EQ(load.files, "uo_sfe.csv + enti.csv");
    EXPECT_TRUE(ipa::lastLoadText(connection).startsWith("Elenco aggiornato al "));
}

// A file of several megabytes is read a piece at a time: rows whose quoted fields run over a line
// break, and accented letters of two bytes, fall across the pieces and read as a whole
// text of the same rows reads (one of them cut by the end of the first megabyte read); a Windows
// code page letter near the end still makes the whole file read byte by byte.
TEST_F(IpaDirectoryTest, AFileOfManyMegabytesReadsAsTheWholeText) {
    QByteArray bytes = "Codice_uni_uo,Descrizione_uo,Denominazione_ente,Indirizzo\n";
    const int rows = 30000;
    for (int i = 0; i < rows; ++i) {
        const QByteArray code = QByteArray::number(36 * 36 * 36 * 36 * 36 + i, 36).toUpper();
        // A line break in a quoted field now and then, as the files have them.
        bytes += code + ",\"Ufficio " + QByteArray::number(i) +
                 (i % 500 == 7 ? "\nsecondo rigo\"" : "\"") + ",Città di Forlì " +
                 QByteArray(i % 97, 'x') + ",\"Via " + QByteArray::number(i) + ", 1\"\n";
    }
    ASSERT_GT(bytes.size(), 2 << 20);
    // The first byte of a two-byte letter last in the first megabyte, its second byte first in
    // the next.
    QByteArray cut = bytes;
    const qsizetype lastByte = (1 << 20) - 1;
    const qsizetype letter = cut.indexOf('\xC3', lastByte - 200);
    ASSERT_LE(letter, lastByte);
    cut.insert(letter, QByteArray(lastByte - letter, 'x'));
    QByteArray windowsFile = bytes;
    windowsFile.replace(windowsFile.size() - 40, 0, "\xE0"); // "à" in the Windows code page
    const struct {
        const char* name;
        QByteArray file;
        bool windows;
    } cases[] = {{"UTF-8", bytes, false},
                 {"UTF-8, a letter across the first megabyte", cut, false},
                 {"Windows code page", windowsFile, true}};
    for (const auto& [name, file, windows] : cases) {
        SCOPED_TRACE(name);
        const QString path = write("uo.csv", file);
        const ipa::ImportReport report = ipa::importDirectory(connection, path);
        EXPECT_EQ(report.read, rows);
        EXPECT_EQ(report.imported, rows);
        const QList<QStringList> whole = ipa::parseDelimited(
            windows ? QString::fromLatin1(file) : QString::fromUtf8(file), u',');
        ASSERT_EQ(whole.size(), rows + 1);
        const QMap<QString, QString> stored = directory();
        for (const int i : {0, 1, 1234, 17000, rows - 1}) {
            const QStringList& f = whole[i + 1];
            // Values are stored without the blanks around them.
            EXPECT_EQ(stored.value(f[0]), f[2].trimmed() + "|" + f[1] + "|||" + f[3] + "||||") << i;
        }
    }
}

// The older TAB layout, written in the Windows code page: municipalities by name and province
// ("FORLI'" is Forlì, "L'AQUILA" is L'Aquila), names and types from the administrations' file.
TEST_F(IpaDirectoryTest, OlderTabLayoutByMunicipalityName) {
    const QString offices = write(
        "serv_fatt.txt",
        "cod_amm\tcod_ou\tcod_uni_ou\tdes_ou\tregione\tprovincia\tcomune\tindirizzo\tcap\tcf"
        "\tdt_verifica_cf\tdata_avvio_sfe\n"
        "c_d704\tRAG\tABCDEF\tRagioneria\tEmilia-Romagna\tFC\tFORLI'\tPiazza Saffi "
        "8\t47121\t00606620409\t2014-06-06\t2015-03-31\n"
        "c_a345\tUff_eFatturaPA\tQWERTY\tUff. Fatturazione\tAbruzzo\tAQ\tL'AQUILA\tVia "
        "Roma\t67100\t80002270660\t\t\n"
        "c_zzz\tX\tZZZZZZ\tUfficio\tLazio\tRM\tComune inesistente\tVia\t00100\t1\t\t\n"
        "c_zzz\tX\tZZZZZ1\tMunicipio di Forl\xec\tEmilia-Romagna\t\tForl\xec\tVia\t\t1\t\t\n");
    const QString enti =
        write("amministrazioni.txt",
              "cod_amm\tdes_amm\ttipologia_istat\n"
              "c_d704\tComune di Forli'\tComuni e loro Consorzi e Associazioni\n"
              "c_a345\tComune dell'Aquila\tComuni e loro Consorzi e Associazioni\n");

    const ipa::ImportReport report = ipa::importDirectory(connection, offices, enti);
    EXPECT_EQ(report.layout, "TAB");
    EXPECT_EQ(report.imported, 4);
    EXPECT_EQ(report.noComune, 1);
    EXPECT_EQ(report.noEnteName, 2);
    const QMap<QString, QString> rows = directory();
    EXPECT_EQ(rows["ABCDEF"], "Comune di Forli'|Ragioneria|c_d704|RAG|Piazza Saffi "
                              "8|47121|00606620409|Comuni e loro Consorzi e Associazioni|Forlì");
    EXPECT_TRUE(rows["QWERTY"].endsWith("|L'Aquila"));
    EXPECT_TRUE(rows["ZZZZZZ"].endsWith("|"));
    // Without a province the name alone finds the only municipality called so; Latin-1 text
    // keeps its accents.
    EXPECT_EQ(rows["ZZZZZ1"].toStdString(), "|Municipio di Forlì|c_zzz|X|Via||1||Forlì");
}

TEST_F(IpaDirectoryTest, RowsThatCannotBeOfficesAreSkippedAndCounted) {
    const QString offices = write("uo.csv", "Codice_IPA,Codice_uni_uo,Descrizione_uo\n"
                                            "a,AAAAAA,primo\n"
                                            "a,,senza codice\n"
                                            "a,AB-123,codice non valido\n"
                                            "a,ABCDEFG,codice lungo\n"
                                            "a,aaaaaa,ripetuto\n"
                                            "a,BBBBBB,campo,in più\n"
                                            "a,CCCCCC\n"
                                            "a,DDDDDD,ultimo");
    const ipa::ImportReport r = ipa::importDirectory(connection, offices);
    EXPECT_EQ(r.read, 8);
    EXPECT_EQ(r.imported, 2);
    EXPECT_EQ(r.noCode, 1);
    EXPECT_EQ(r.badCode, 2);
    EXPECT_EQ(r.duplicate, 1);
    EXPECT_EQ(r.malformed, 2);
    EXPECT_EQ(directory().keys(), (QList<QString>{"AAAAAA", "DDDDDD"}));
    const QString text = r.text();
    EXPECT_TRUE(text.contains("Uffici letti: 8\nUffici importati: 2\nRighe scartate: 6\n"));
    EXPECT_TRUE(text.contains("1 con un codice univoco già letto in una riga precedente"));
}

// Whatever goes wrong, the directory loaded before stays whole, and so does the record of it.
TEST_F(IpaDirectoryTest, PreviousDirectoryKeptOnRefusalFailureAndCancel) {
    const QString good = write("uo.csv", "Codice_uni_uo,Descrizione_uo\nAAAAAA,primo\n"
                                         "BBBBBB,secondo\n");
    ipa::importDirectory(connection, good);
    const QMap<QString, QString> before = directory();
    const QString loadedBefore = ipa::lastLoad(connection).files;
    ASSERT_EQ(before.size(), 2);

    // Headings not recognised: refused before the archive is touched, saying what was expected
    // and what was found.
    const QString wrong = write("altro.csv", "Nome,Cognome\nMario,Rossi\n");
    try {
        ipa::importDirectory(connection, wrong);
        ADD_FAILURE() << "refused file imported";
    } catch (const ipa::FileError& e) {
        EXPECT_FALSE(e.unreadable());
        EXPECT_TRUE(e.text().contains("Attese: Codice_uni_uo (oppure cod_uni_ou)"));
        EXPECT_TRUE(e.text().contains("Trovate: Nome, Cognome."));
    }
    EXPECT_THROW(ipa::importDirectory(connection, folder.file("manca.csv")), ipa::FileError);
    EXPECT_THROW(ipa::importDirectory(connection, good, wrong), ipa::FileError);
    // A download that stopped in the middle of a row: refused, not taken as the directory.
    const QString cut = write("interrotto.csv", "Codice_uni_uo,Descrizione_uo,CAP\n"
                                                "CCCCCC,terzo,00100\nDDDDDD,quar");
    try {
        ipa::importDirectory(connection, cut);
        ADD_FAILURE() << "cut-off file imported";
    } catch (const ipa::FileError& e) {
        EXPECT_TRUE(e.text().contains("scaricato solo in parte")) << e.text().toStdString();
    }
    EXPECT_EQ(directory(), before);

    // The archive refuses a row halfway through the file.
    QString rows = "Codice_uni_uo,Descrizione_uo\n";
    for (int i = 0; i < 5000; ++i)
        rows += QString("U%1,ufficio\n").arg(i, 5, 10, QChar('0'));
    const QString big = write("grande.csv", rows.toUtf8());
    test::refuseRows(connection, "PA_Amministrazioni_FatturaElettronica", "INSERT",
                     "NEW.codice_univoco = 'U03000'", "disco pieno");
    EXPECT_THROW(ipa::importDirectory(connection, big), DbError);
    EXPECT_EQ(directory(), before);
    test::stopRefusingRows(connection, "PA_Amministrazioni_FatturaElettronica");

    // "Annulla" in the progress window.
    int calls = 0;
    const ipa::ImportReport cancelled =
        ipa::importDirectory(connection, big, {}, [&](qint64 done, qint64 total) {
            EXPECT_LE(done, total);
            return ++calls < 2;
        });
    EXPECT_TRUE(cancelled.cancelled);
    EXPECT_EQ(directory(), before);
    EXPECT_EQ(ipa::lastLoad(connection).files, loadedBefore);
    EXPECT_EQ(connection.transactionDepth(), 0);

    // And the same file goes in whole when nothing stops it.
    EXPECT_EQ(ipa::importDirectory(connection, big).imported, 5000);
    EXPECT_EQ(ipa::lastLoad(connection).files, "grande.csv");
    // A whole last row needs no line break after it.
    EXPECT_EQ(ipa::importDirectory(
                  connection, write("ultima.csv", "Codice_uni_uo,Descrizione_uo\nEEEEEE,quinto"))
                  .imported,
              1);
}

// A file of offices: the heading, then rows "Unnnnn,ufficio n,Via n" (n from 1); change(n, row)
// may rewrite a row.
QByteArray officesFile(int rows, const std::function<QByteArray(int, QByteArray)>& change = {}) {
    QByteArray text = "Codice_uni_uo,Descrizione_uo,Indirizzo\n";
    for (int n = 1; n <= rows; ++n) {
        QByteArray row = "U" + QByteArray::number(n).rightJustified(5, '0') + ",ufficio " +
                         QByteArray::number(n) + ",Via " + QByteArray::number(n);
        if (change)
            row = change(n, row);
        text += row + "\n";
    }
    return text;
}

// A stray quote, an overlong field or line: the file is refused naming the line, and the
// directory loaded before stays whole, instead of some rows going in and the rest vanishing into
// one field.
TEST_F(IpaDirectoryTest, AStrayQuoteOrAnOverlongFieldOrLineRefusesTheFile) {
    ipa::importDirectory(connection, write("prima.csv", officesFile(100)));
    const QMap<QString, QString> before = directory();
    ASSERT_EQ(before.size(), 100);
    const QByteArray longField(ipa::kMaxFieldLength + 1, 'x');
    const QByteArray longLine(ipa::kMaxLineLength + 1, 'y');
    const struct {
        const char* name;
        QByteArray text;
        QString says;
    } cases[] = {
        {"quote opened in row 5, never closed",
         officesFile(1000,
                     [](int n, QByteArray row) {
                         return n == 5 ? row.replace(",ufficio", ",\"ufficio") : row;
                     }),
         "il campo tra virgolette aperto alla riga 6 prosegue per più di 5 righe"},
        {"quote opened in the last field, never closed",
         officesFile(
             1000,
             [](int n, QByteArray row) { return n == 5 ? row.replace(",Via", ",\"Via") : row; }),
         "il campo tra virgolette aperto alla riga 6 prosegue per più di 5 righe"},
        {"quote opened near the end, never closed",
         officesFile(
             10,
             [](int n, QByteArray row) { return n == 9 ? row.replace(",Via", ",\"Via") : row; }),
         "alla riga 10 si aprono le virgolette di un campo che non si chiudono più"},
        {"quote opened in row 5 closed by another in row 500",
         officesFile(1000,
                     [](int n, QByteArray row) {
                         return n == 5 || n == 500 ? row.replace(",Via", ",\"Via") : row;
                     }),
         "il campo tra virgolette aperto alla riga 6 prosegue per più di 5 righe"},
        {"a field longer than a field of the directory",
         officesFile(10,
                     [&](int n, QByteArray row) {
                         return n == 7 ? row.replace("ufficio 7", longField) : row;
                     }),
         QString("un campo alla riga 8 è lungo %1 caratteri, più dei %2")
             .arg(ipa::kMaxFieldLength + 1)
             .arg(ipa::kMaxFieldLength)},
        {"a quoted field too long",
         officesFile(10,
                     [&](int n, QByteArray row) {
                         return n == 2 ? row.replace("ufficio 2", "\"" + longField + "\"") : row;
                     }),
         "il campo tra virgolette aperto alla riga 3 è lungo"},
        {"a line longer than any row",
         officesFile(
             10, [&](int n, QByteArray row) { return n == 3 ? row + ",altro," + longLine : row; }),
         QString("la riga 4 è lunga più di %1 caratteri").arg(ipa::kMaxLineLength)},
        {"many quoted fields running onto the next line",
         officesFile(40,
                     [](int n, QByteArray row) {
                         return n % 2 ? row.replace(",Via", ",\"Via\n") + "\"" : row;
                     }),
         "ha 61 righe ma se ne leggono solo 41, perché 20 a capo cadono dentro campi tra "
         "virgolette (il primo aperto alla riga 2)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        try {
            ipa::importDirectory(connection, write("uo.csv", c.text));
            ADD_FAILURE() << "file imported";
        } catch (const ipa::FileError& e) {
            EXPECT_FALSE(e.unreadable());
            EXPECT_TRUE(e.text().startsWith("Il file uo.csv")) << e.text().toStdString();
            EXPECT_TRUE(e.text().contains(c.says)) << e.text().toStdString();
        }
        EXPECT_EQ(directory(), before);
    }
    // The administrations' file is read by the same rules.
    const QString enti = write("enti.csv", "Codice_IPA,Denominazione_ente\nc_1,\"Ente\n");
    EXPECT_THROW(ipa::importDirectory(connection, write("uo.csv", officesFile(3)), enti),
                 ipa::FileError);

    // A quoted field may go on to the next line, and a field of the longest length goes in.
    const ipa::ImportReport report = ipa::importDirectory(
        connection, write("uo.csv", officesFile(10, [&](int n, QByteArray row) {
                              if (n == 4)
                                  return row.replace(",Via 4", ",\"Via 4\npiano 2\"");
                              return n == 5 ? row.replace("ufficio 5", longField.mid(1)) : row;
                          })));
    EXPECT_EQ(report.imported, 10);
    EXPECT_EQ(report.skipped(), 0);
    EXPECT_TRUE(directory()["U00004"].contains("Via 4\npiano 2"));
}

// An archive of version 2 gets the record of the load and the index when upgraded.
TEST_F(IpaDirectoryTest, UpgradeAddsTheLoadRecordAndTheIndex) {
    connection.execNative("DROP INDEX ix_PA_Amministrazioni_FatturaElettronica_Comune_Id");
    connection.execNative("ALTER TABLE opzioni DROP COLUMN ElencoPA_Aggiornato");
    connection.execNative("ALTER TABLE opzioni DROP COLUMN ElencoPA_File");
    connection.execNative("UPDATE opzioni SET VerBaseDati = 2");
    const UpgradeReport report = upgradeArchive(connection);
    EXPECT_EQ(report.version, requiredArchiveVersion);
    EXPECT_EQ(report.columnsAdded,
              (QStringList{"opzioni.ElencoPA_Aggiornato", "opzioni.ElencoPA_File"}));
    EXPECT_TRUE(
        archiveIndexes(connection)
            .contains("ix_PA_Amministrazioni_FatturaElettronica_Comune_Id", Qt::CaseInsensitive));
    EXPECT_EQ(ipa::lastLoadText(connection),
              "Elenco vuoto: importarlo con \"Aggiorna elenco P.A.\"");
}

TEST(IpaDelimitedTest, QuotedFieldsAndLineEnds) {
    const struct {
        const char* text;
        QChar delimiter;
        QList<QStringList> records;
    } cases[] = {
        {"a,b\r\nc,d", ',', {{"a", "b"}, {"c", "d"}}},
        {"a,b\rc,d\r", ',', {{"a", "b"}, {"c", "d"}}},
        {"\"x, y\",\"he said \"\"hi\"\"\"\n", ',', {{"x, y", "he said \"hi\""}}},
        {"\"two\nlines\",z\n\n\nlast,", ',', {{"two\nlines", "z"}, {"last", ""}}},
        {"a\t\"b\tc\"\t\n", '\t', {{"a", "b\tc", ""}}},
        {"O'Brien,5\" disk", ',', {{"O'Brien", "5\" disk"}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(ipa::parseDelimited(QString::fromUtf8(c.text), c.delimiter), c.records);
    }
    EXPECT_THROW(ipa::parseDelimited("a,\"b\nc,d\n", ','), ipa::FileError);
}

// The command line: exit codes and what it prints.
TEST_F(IpaDirectoryTest, CommandLine) {
    const QString exe = QStringLiteral(BREVALTO_BINARY_DIR "/brevalto");
    if (!QFile::exists(exe))
        GTEST_SKIP() << "brevalto executable not built";
    connection.close();
    const QString offices = write("uo.csv", "Codice_uni_uo,Descrizione_uo\nAAAAAA,primo\n");
    const QString wrong = write("altro.csv", "Nome,Cognome\n");
    const QString notArchive = write("vuoto.mdb", "");
    const QString stray =
        write("virgolette.csv", "Codice_uni_uo,Descrizione_uo\nAAAAAA,\"primo\nBBBBBB,secondo\n");
    const struct {
        QStringList args;
        int code;
        const char* says;
    } cases[] = {
        {{"--help"}, 0, "Uso: brevalto import-ipa --archive PERCORSO FILE [FILE-ENTI]"},
        {{"--archive", archive, offices}, 0, "Uffici importati: 1"},
        {{offices}, 2, "Indicare l'archivio con --archive."},
        {{"--archive", archive}, 2, "Indicare il file degli uffici"},
        {{"--archive", archive, offices, offices, offices}, 2, "Troppi file"},
        {{"--archive", archive, "--fretta", offices}, 2, "Opzione sconosciuta: --fretta"},
        {{"--archive"}, 2, "Manca il valore di --archive."},
        {{"--archive", archive, folder.file("manca.csv")}, 2, "non esiste"},
        {{"--archive", archive, wrong}, 1, "non sono riconosciute"},
        {{"--archive", archive, stray}, 1, "alla riga 2 si aprono le virgolette"},
        {{"--archive", notArchive, offices}, 1, "L'elenco precedente è rimasto invariato."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        QProcess p;
        p.start(exe, QStringList{"import-ipa"} + c.args);
        ASSERT_TRUE(p.waitForFinished(60000));
        EXPECT_EQ(p.exitCode(), c.code);
        const QString output =
            QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError());
        EXPECT_TRUE(output.contains(QString::fromUtf8(c.says))) << output.toStdString();
    }
    Connection check;
    check.open(archive);
    EXPECT_EQ(check.scalar("SELECT codice_univoco FROM " + kTable).toString(), "AAAAAA");
}

} // namespace
