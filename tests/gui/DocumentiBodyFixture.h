#pragma once
// A real archive with one Document and one Body made current as the body register leaves them
// (bodies loaded, the body's child datasets re-queried), a scripted prompt and a queue of actions
// that play the modal screens the code under test opens.
#include "documents/DocumentiForm.h"
#include "store/DataModule.h"
#include "store/Prompt.h"
#include "support/ScriptedPrompt.h"
#include "support/TestFiles.h"
#include "ui/BoundInputs.h"
#include "ui/ScreenHost.h"

#include <QDialog>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>

namespace brevalto::test {

class BodyFixture : public ::testing::Test {
public:
    void SetUp() override {
        db.connessione().open(copyOfNewArchive(folder));
        db.openAllDatasets();
        setPrompt(&scripted);
        setModalShower([this](QDialog& screen) {
            shown << &screen;
            if (screens.isEmpty()) {
                ADD_FAILURE() << "unexpected screen " << screen.windowTitle().toStdString();
                return 0;
            }
            screens.takeFirst()(screen);
            return 0;
        });
        newBody();
    }
    void TearDown() override {
        setPrompt(nullptr);
        setModalShower({});
        EXPECT_EQ(scripted.pendingAnswers(), 0);
        EXPECT_TRUE(screens.isEmpty()) << "a screen expected was never shown";
    }

    // A new Document (public administration or not) with one Body, both current.
    void newBody(bool publicAdministration = false) {
        sql("insert into PA_FE_Header (CessionarioCommittente_PubblicaAmministrazione) values (?)",
            {publicAdministration});
        const int header = scalar("select max(ID) from PA_FE_Header").toInt();
        sql("insert into PA_FE_Body (PA_FE_Header_Id, DatiGenerali_TipoDocumento) values (?, "
            "'TD01')",
            {header});
        Dataset& h = db.table("TablePA_FE_Header");
        h.requery();
        ASSERT_TRUE(h.locate("ID", header));
        db.loadBodies();
        db.requeryBodyChildren();
        body = documenti::bodyId(db);
        ASSERT_GT(body, 0);
    }
    // A line stored directly; returns its key.
    int line(int number, const QVariant& total, const QVariant& rate, const QVariant& nature = {}) {
        sql("insert into PA_FE_Body_DatiBeniServizi_DettaglioLinee (PA_FE_Body_Id, NumeroLinea, "
            "Descrizione, PrezzoTotale, AliquotaIva, Natura) values (?, ?, 'x', ?, ?, ?)",
            {body, number, total, rate, nature});
        return scalar("select max(Id) from PA_FE_Body_DatiBeniServizi_DettaglioLinee").toInt();
    }

    void sql(const QString& statement, const QVariantList& values = {}) {
        db.connessione().exec(statement, values);
    }
    QVariant scalar(const QString& statement, const QVariantList& values = {}) {
        return db.connessione().scalar(statement, values);
    }
    int count(const QString& table, const QString& where) {
        return scalar(QString("select count(*) from %1 where %2").arg(table, where)).toInt();
    }
    Dataset& table(const QString& name) { return db.table(name); }

    // Types into a field as the user does (the field gets the keys).
    static void type(EditorBase& screen, const QString& column, const QString& text) {
        QWidget* input = screen.field(column);
        ASSERT_TRUE(input) << column.toStdString();
        // Emptied as a user does, so that the row loses its value too.
        if (auto* edit = qobject_cast<QLineEdit*>(input)) {
            edit->selectAll();
            QTest::keyClick(edit, Qt::Key_Delete);
        }
        QTest::keyClicks(input, text);
    }
    static void pick(EditorBase& screen, const QString& column, const QString& text) {
        auto* list = qobject_cast<BoundLookup*>(screen.field(column));
        ASSERT_TRUE(list) << column.toStdString();
        const int index = list->findText(text);
        ASSERT_GE(index, 0) << text.toStdString();
        list->setCurrentIndex(index);
        Q_EMIT list->activated(index);
    }
    // "Indietro" with the screen modified, answering the questions asked; the first message
    // shown, empty when the save passed.
    QString leave(EditorBase& screen, const QList<bool>& answers = {}) {
        scripted.clear();
        for (bool yes : answers)
            scripted.answerQuestion(yes);
        screen.setModified(true);
        screen.indietro();
        const QStringList messages = scripted.messages();
        return messages.value(0);
    }

    TempFolder folder;
    DataModule db;
    ScriptedPrompt scripted;
    QList<std::function<void(QDialog&)>> screens; // played in order by the modal shower
    QList<QDialog*> shown;
    int body = 0;
};

} // namespace brevalto::test
