// Archives are also edited by other tools and update scripts: values a number, integer or date
// element cannot hold stop the export with a message naming the element, the body and the line,
// instead of being written as something else.
#include "ExportTestSupport.h"

#include <QFileInfo>
#include <gtest/gtest.h>

namespace brevalto {
namespace {

using namespace test;

TEST(StoredValueCheckTest, AbsurdStoredValuesStopTheExport) {
    const struct {
        const char* column;
        const char* stored; // SQL literal written straight into the line row
        const char* element;
        const char* says;
        bool typedColumnsHoldIt = true; // false: a server's typed column refuses or rounds it
    } cases[] = {
        {"PrezzoUnitario", "1e20", "DettaglioLinee/PrezzoUnitario", "11 cifre intere"},
        {"PrezzoUnitario", "9e999", "DettaglioLinee/PrezzoUnitario", "non è un numero finito",
         false},
        {"PrezzoTotale", "-9e999", "DettaglioLinee/PrezzoTotale", "non è un numero finito", false},
        {"PrezzoUnitario", "'abc'", "DettaglioLinee/PrezzoUnitario", "\"abc\" non è un numero",
         false},
        {"Quantita", "-2", "DettaglioLinee/Quantita", "quantità non negativa"},
        {"AliquotaIva", "150", "DettaglioLinee/AliquotaIVA", "tra 0 e 100"},
        {"NumeroLinea", "9223372036854775807", "DettaglioLinee/NumeroLinea", "non è tra 1 e 9999",
         false},
        {"NumeroLinea", "12345", "DettaglioLinee/NumeroLinea", "non è tra 1 e 9999"},
        {"NumeroLinea", "2.5", "DettaglioLinee/NumeroLinea", "non è un numero intero", false},
        {"DataInizioPeriodo", "'abc'", "DettaglioLinee/DataInizioPeriodo", "non è una data"},
        {"DataInizioPeriodo", "'2024-02-30'", "DettaglioLinee/DataInizioPeriodo", "non è una data"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.column) + " = " + c.stored);
        if (onServer() && !c.typedColumnsHoldIt)
            continue;
        ExportArchive a;
        const int doc = a.addDocument();
        const int body = a.addBody(doc, {{"DatiGenerali_Numero", "FT-7"}});
        a.addLine(body, 1);
        const int line = a.addLine(body, 2);
        a.addSummary(body, {{"ImponibileImporto", 200.0}, {"Imposta", 44.0}});
        a.db().execNative(
            QStringLiteral("UPDATE PA_FE_Body_DatiBeniServizi_DettaglioLinee SET %1 = %2 "
                           "WHERE Id = %3")
                .arg(QLatin1String(c.column), QLatin1String(c.stored))
                .arg(line));

        a.select(doc);
        ScriptedPrompt prompt;
        const QString path = a.folder.file("fattura.xml");
        EXPECT_EQ(a.exportTo(path, prompt), ExportDriver::Outcome::Aborted);
        ASSERT_EQ(prompt.calls().size(), 1);
        const QString text = prompt.calls()[0].text;
        EXPECT_EQ(prompt.calls()[0].title, Prompt::warningTitle());
        EXPECT_TRUE(text.contains(QLatin1String(c.element))) << text.toStdString();
        EXPECT_TRUE(text.contains(QString::fromUtf8(c.says))) << text.toStdString();
        EXPECT_TRUE(text.contains("corpo n. 1, fattura numero \"FT-7\"")) << text.toStdString();
        EXPECT_TRUE(text.contains("linea ")) << text.toStdString();
        EXPECT_FALSE(QFileInfo::exists(path));
        EXPECT_FALSE(a.exported(doc));
    }
}

// Values the types hold go out; the edges of each type included.
TEST(StoredValueCheckTest, EdgesOfEachTypeAreWritten) {
    ExportArchive a;
    const int doc = a.addDocument();
    const int body = a.addBody(doc);
    a.addLine(body, 9999,
              {{"PrezzoUnitario", -99999999999.5},
               {"Quantita", 999999999999.0},
               {"AliquotaIva", 100.0},
               {"PrezzoTotale", 0.0},
               {"DataInizioPeriodo", "0001-01-01"}});
    a.addSummary(body);
    const QDomDocument x = a.exportDocument(doc);
    const QString line = "FatturaElettronicaBody/DatiBeniServizi/DettaglioLinee";
    EXPECT_EQ(textAt(x, line + "/NumeroLinea"), "9999");
    EXPECT_EQ(textAt(x, line + "/PrezzoUnitario"), "-99999999999.50");
    EXPECT_EQ(textAt(x, line + "/Quantita"), "999999999999.00");
    EXPECT_EQ(textAt(x, line + "/AliquotaIVA"), "100.00");
    EXPECT_EQ(textAt(x, line + "/DataInizioPeriodo"), "0001-01-01");
}

} // namespace
} // namespace brevalto
