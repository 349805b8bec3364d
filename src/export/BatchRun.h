#pragma once
// Work on many Documents at once, without windows: the runner puts the register on each Document
// in turn (its bodies loaded), runs one step on it and keeps a result per Document (done, skipped
// or failed, with the reason). Between two Documents it asks whether to go on, so that "Annulla"
// stops the run there: every Document done stays done, the one under way is finished or left
// untouched by its step (each step is all or nothing), the others are not started.
//
// The screens show the progress and the summary (documents/BatchScreen.h); the command line
// prints the summary. The steps of the register's buttons are here and in render/BatchPdf.h.
#include "export/ExportDriver.h"
#include "store/Prompt.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

namespace brevalto {

class Connection;
class DataModule;
class Prompt;

namespace batch {

enum class Status { Done, Skipped, Failed };

struct Result {
    qint64 id = 0;  // PA_FE_Header.ID
    int numero = 0; // the Document's number, as the register shows it
    Status status = Status::Done;
    // What was done (a Done result), or why the Document was skipped or failed.
    QString reason;
    // The files the step wrote for the Document.
    QStringList files;
    // Set by a step whose question was answered "Annulla": the run stops after this Document.
    bool stop = false;
};

// Works on the current Document of TablePA_FE_Header, whose bodies are loaded. Throws nothing
// it can say in a result; a DbError or ExportError thrown is the Document's failure.
using Step = std::function<Result()>;
// Called before each Document (done of total) and once at the end (total of total); false stops
// the run before the next Document.
using Progress = std::function<bool(int done, int total)>;

struct Report {
    QString action; // the button's name: "Esporta xml", "Controlla"...
    QList<Result> results;
    int total = 0;
    bool cancelled = false; // stopped before every Document had its turn

    int count(Status status) const;
    int notRun() const { return total - int(results.size()); }
    // One text for the user: the counts, then every Document skipped or failed with the reason,
    // and the ones done (the first 30 of them).
    QString summary() const;
};

// Runs step on each Document of ids, in that order. A Document no longer in the archive is a
// failure. The register is left on the last Document worked on.
Report run(DataModule& data, const QString& action, const QList<qint64>& ids, const Step& step,
           const Progress& progress = {});

// The IDs of the Documents not yet exported, in the register's order.
QList<qint64> pendingDocuments(DataModule& data);

// Documents named on the command line: numbers and ranges separated by commas ("12,13,20-25").
struct DocumentList {
    struct Item {
        int from = 0;
        int to = 0; // equal to from for a number named alone
    };
    QList<Item> items;
};
// The list in text; nullopt when it is not one (an empty item, a word, 0, a range backwards).
std::optional<DocumentList> parseDocumentList(const QString& text);
// The IDs of the list's Documents, each once, in the order named. A number named alone must be
// some Document's (otherwise it goes to *missing and nothing is returned); a range takes the
// numbers in it that a Document has, since a deleted Document's number is never given again.
// Where two Documents share a number, the older one. Throws DbError.
QList<qint64> documentIds(Connection& connection, const DocumentList& list, int* missing);

// A question asked once for the whole run and its answer kept: "Sì" for this Document and every
// later one, "No" likewise, "Annulla" stops the run.
class OnceQuestion {
public:
    explicit OnceQuestion(Prompt& prompt) : prompt_(prompt) {}
    // The answer given the first time (the question is asked then).
    Prompt::Choice answer(const QString& text);
    // The answer, given without asking.
    void give(Prompt::Choice choice);

private:
    Prompt& prompt_;
    std::optional<Prompt::Choice> answer_;
};

// "Esporta xml" and "Firma" on many Documents: each Document's file goes into folder under the
// name the export proposes (with signing, its .p7m beside it), through ExportDriver, all or
// nothing per Document. Asked once for all, and only when it happens: whether Documents already
// exported (or whose file is already in the folder) are exported again, replacing the file, and
// whether Documents the check finds errors in are written anyway ("esporta comunque") or skipped
// ("salta"). A signing secret is asked once by the caller and given here.
class ExportStep {
public:
    ExportStep(DataModule& data, Prompt& prompt, const QString& folder,
               std::optional<ExportDriver::Signing> signing = std::nullopt);
    Result operator()();

    // Answers given beforehand, so that the question is never asked (the command line):
    // whether Documents already exported are exported again, and whether files with findings
    // are written.
    void answerBeforehand(bool exportAgain, bool writeWithFindings);

    static QString findingsQuestion(int numero, const check::Findings& findings);
    static QString againQuestion(int numero);

private:
    DataModule& data_;
    Prompt& prompt_;
    QString folder_;
    std::optional<ExportDriver::Signing> signing_;
    OnceQuestion again_;
    OnceQuestion findings_;
};

// "Controlla" on many Documents: each Document's file is built in memory and checked; nothing is
// written. Done when the check finds nothing (or only data left out of the file), failed with the
// findings otherwise.
Result checkStep(DataModule& data);

// The findings in one line: how many errors, the first ones with their code.
QString shortFindings(const check::Findings& findings);

} // namespace batch
} // namespace brevalto
