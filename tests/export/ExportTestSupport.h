#pragma once
// Archives, documents and output checks for the export tests: an archive with a valid document
// to start from (every value fits the official schema), builders for the rows of a body,
// path queries on the written file and validation with xmllint.
#include "export/ExportDriver.h"
#include "store/DataModule.h"
#include "support/ScriptedPrompt.h"
#include "support/TestFiles.h"

#include <QDomDocument>
#include <QDomElement>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariantMap>
#include <functional>
#include <ostream>

namespace brevalto::test {

class ExportArchive {
public:
    // An archive on the engine of this run (see onServer()); `onFile` forces an archive file.
    explicit ExportArchive(bool onFile = false);
    ~ExportArchive();

    TempFolder folder;
    QString programDir; // the program folder of the run (BREVALTO_HOME)
    DataModule data;

    Connection& db() { return data.connessione(); }

    // Inserts a row and returns its AutoNumber key. QDate, QDateTime and bool values are stored
    // the way the archive layer stores them.
    int add(const QString& table, const QVariantMap& values);
    void update(const QString& table, const QString& keyColumn, int id, const QVariantMap& values);
    QVariant read(const QString& table, const QString& keyColumn, int id, const QString& column);

    // A document with a seller, a buyer with a VAT number and a recipient code.
    int addDocument(const QVariantMap& overrides = {});
    int addBody(int headerId, const QVariantMap& overrides = {});
    int addLine(int bodyId, int numeroLinea, const QVariantMap& overrides = {});
    int addSummary(int bodyId, const QVariantMap& overrides = {});
    // A body with one line and its VAT summary.
    int addCompleteBody(int headerId, const QVariantMap& overrides = {});

    // Runs a command on this archive closed first, as another process would find it, and opens
    // it again afterwards.
    CommandRun runOnClosedArchive(CommandFunction command, const QStringList& args);

    // Opens the datasets the export reads, makes the document current and loads its bodies.
    void select(int headerId);
    bool exported(int headerId) {
        return read("PA_FE_Header", "id", headerId, "Esportato").toBool();
    }

    // The export of the current document to path, without the dialog. The tests of the writer
    // leave out the pre-send check: their documents exercise the mapping, not the arithmetic.
    ExportDriver::Outcome exportTo(const QString& path, ScriptedPrompt& prompt,
                                   ExportDriver::CheckMode check = ExportDriver::CheckMode::Skip);
    // Selects the document, exports it to folder/name and parses the result (which must be
    // written: a failed export fails the test).
    QDomDocument exportDocument(int headerId, const QString& name = QStringLiteral("out.xml"));

    // A file of the given size in the test folder.
    QString makeFile(const QString& name, const QByteArray& content);
};

QByteArray readFile(const QString& path);
QDomDocument parseXml(const QByteArray& text);

// Elements reached from the root through a path of child names, "A/B/C"; a step may pick one
// occurrence with a 1-based index, "FatturaElettronicaBody[2]/DatiGenerali".
QList<QDomElement> elementsAt(const QDomDocument& doc, const QString& path);
QStringList textsAt(const QDomDocument& doc, const QString& path);
// The text of the only element at path; fails the test when there is not exactly one.
QString textAt(const QDomDocument& doc, const QString& path);
bool existsAt(const QDomDocument& doc, const QString& path);
QStringList childNames(const QDomElement& element);
QStringList childNamesAt(const QDomDocument& doc, const QString& path);

// Documents that exercise the export; each returns the key of the document it adds.
struct Scenario {
    const char* name;
    std::function<int(ExportArchive&)> build;
};
// gtest shows a scenario by its name in failures and listings.
inline void PrintTo(const Scenario& scenario, std::ostream* out) {
    *out << scenario.name;
}
const QList<Scenario>& validScenarios();

int scenarioPrivateBuyerWithPec(ExportArchive& a);
int scenarioFiguresWithSurplusDecimals(ExportArchive& a);
int scenarioPublicAdministration(ExportArchive& a);
int scenarioForeignBuyerTaxCodeOnly(ExportArchive& a);
int scenarioPersonWithTitle(ExportArchive& a);
int scenarioEveryOptionalBlock(ExportArchive& a);
int scenarioNoOptionalBlock(ExportArchive& a);
int scenarioTwoBodies(ExportArchive& a);
int scenarioReferencesInKeyOrder(ExportArchive& a);
int scenarioSmallAttachments(ExportArchive& a);

} // namespace brevalto::test
