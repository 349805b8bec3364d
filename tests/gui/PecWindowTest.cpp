// The certified-mail account screen on a real archive and the real servers of
// scripts/mail-server: typed in, tried with "Prova connessione", stored without the password.
#include "settings/PecWindow.h"
#include "../pec/PecTestSupport.h"
#include "channel/PecPasswords.h"
#include "store/DataModule.h"
#include "support/ScriptedPrompt.h"
#include "support/TestFiles.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <gtest/gtest.h>

using namespace brevalto;

namespace {

class PecWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        archive = test::copyOfNewArchive(folder);
        db.setArchive(archive, archive);
        db.connessione().open(archive);
        db.openAllDatasets();
        setPrompt(&scripted);
        channel::forgetAllPecPasswords();
    }
    void TearDown() override {
        setPrompt(nullptr);
        channel::forgetAllPecPasswords();
    }

    void type(QLineEdit* box, const QString& text) {
        box->clear();
        QTest::keyClicks(box, text);
    }

    test::TempFolder folder;
    QString archive;
    DataModule db;
    test::ScriptedPrompt scripted;
};

TEST_F(PecWindowTest, TypedTriedAndStoredWithoutThePassword) {
    pec::MailAccount mail;
    if (!test::mailServerAccount(&mail))
        return;
    PecWindow screen(db);
    screen.show();
    // A new account proposes the usual ports and the exchange system's first box; the seller
    // list is for offices keeping several sellers only.
    EXPECT_EQ(screen.smtpPortBox()->value(), 465);
    EXPECT_EQ(screen.imapPortBox()->value(), 993);
    EXPECT_EQ(screen.sdiAddressBox()->text(), channel::kFirstSdiAddress);
    EXPECT_FALSE(screen.sellerList()->isVisible());
    // Every input is named for assistive technology by its label.
    QList<QWidget*> labelled;
    for (QLabel* l : screen.findChildren<QLabel*>())
        labelled << l->buddy();
    for (QWidget* input :
         QList<QWidget*>{screen.addressBox(), screen.userBox(), screen.smtpHostBox(),
                         screen.smtpPortBox(), screen.securityList(), screen.imapHostBox(),
                         screen.imapPortBox(), screen.sdiAddressBox(), screen.caFileBox()})
        EXPECT_TRUE(labelled.contains(input)) << input->objectName().toStdString();
    screen.securityList()->setCurrentIndex(1);
    EXPECT_EQ(screen.smtpPortBox()->value(), 587) << "STARTTLS goes with port 587";
    screen.securityList()->setCurrentIndex(0);
    EXPECT_EQ(screen.smtpPortBox()->value(), 465);

    type(screen.addressBox(), mail.address);
    type(screen.userBox(), mail.user);
    type(screen.smtpHostBox(), mail.smtp.host);
    screen.smtpPortBox()->setValue(mail.smtp.port);
    type(screen.imapHostBox(), mail.imap.host);
    screen.imapPortBox()->setValue(mail.imap.port);
    type(screen.caFileBox(), mail.caFile);
    screen.receiveAtStartBox()->setChecked(true);

    // A wrong password: both servers refuse the login, said in Italian; it is not kept.
    const QString wrong = QStringLiteral("password-sbagliata-7391");
    scripted.answerText(wrong);
    screen.provaButton()->click();
    ASSERT_EQ(scripted.messages().size(), 1);
    EXPECT_EQ(scripted.messages()[0].count("utente o password errati"), 2)
        << scripted.messages()[0].toStdString();
    EXPECT_EQ(screen.outcomeLabel()->text(), "Collegamento non riuscito.");

    scripted.clear();
    scripted.answerText(mail.password);
    screen.provaButton()->click();
    ASSERT_EQ(scripted.calls().size(), 2) << "asked again after the refusal";
    EXPECT_EQ(scripted.calls()[0].kind, test::ScriptedPrompt::Kind::Text);
    EXPECT_TRUE(scripted.messages()[0].contains("Server in uscita (SMTP)"));
    EXPECT_TRUE(scripted.messages()[0].contains("Server in arrivo (IMAP)"));
    EXPECT_EQ(scripted.messages()[0].count("collegamento riuscito"), 2);

    const QString shots = qEnvironmentVariable("BREVALTO_SHOTS");
    if (!shots.isEmpty()) {
        QApplication::processEvents();
        screen.grab().save(QDir(shots).filePath("frmPec.png"));
    }

    // Kept for the run: a second try asks nothing.
    scripted.clear();
    screen.provaButton()->click();
    ASSERT_EQ(scripted.calls().size(), 1);
    EXPECT_EQ(scripted.calls()[0].kind, test::ScriptedPrompt::Kind::Message);

    scripted.clear();
    EXPECT_TRUE(screen.salva());
    const std::optional<channel::PecAccountSettings> stored =
        channel::pecAccount(db.connessione(), 0);
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->address, mail.address);
    EXPECT_EQ(stored->smtpPort, mail.smtp.port);
    EXPECT_TRUE(stored->receiveAtStart);

    // Neither password anywhere in the archive's folder (the archive file included).
    db.connessione().close();
    for (const QString& name : QDir(folder.path()).entryList(QDir::Files | QDir::Hidden)) {
        QFile f(folder.file(name));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        const QByteArray bytes = f.readAll();
        EXPECT_FALSE(bytes.contains(mail.password.toUtf8())) << name.toStdString();
        EXPECT_FALSE(bytes.contains(wrong.toUtf8())) << name.toStdString();
    }
}

TEST_F(PecWindowTest, AnIncompleteAccountIsNotStoredAndTheProposedBoxIsOffered) {
    PecWindow screen(db);
    screen.show();
    type(screen.addressBox(), "fatture@pec.esempio.it");
    EXPECT_FALSE(screen.salva());
    ASSERT_EQ(scripted.messages().size(), 1);
    EXPECT_TRUE(scripted.messages()[0].contains("l'utente"))
        << scripted.messages()[0].toStdString();
    EXPECT_FALSE(channel::pecAccount(db.connessione(), 0));

    channel::PecAccountSettings a;
    a.address = a.user = "fatture@pec.esempio.it";
    a.smtpHost = "smtps.pec.esempio.it";
    a.imapHost = "imaps.pec.esempio.it";
    channel::savePecAccount(db.connessione(), a);
    channel::proposeSdiAddress(db.connessione(), a.id, "sdi48@pec.fatturapa.it");
    PecWindow again(db);
    again.show();
    ASSERT_TRUE(again.proposedLabel()->isVisible());
    EXPECT_TRUE(again.proposedLabel()->text().contains("sdi48@pec.fatturapa.it"));
    again.findChild<QPushButton*>("btnUsaIndirizzo")->click();
    EXPECT_EQ(again.sdiAddressBox()->text(), "sdi48@pec.fatturapa.it");
    // Leaving with a change asks whether to store it.
    scripted.clear();
    scripted.answerChoice(Prompt::Choice::Yes);
    again.reject();
    EXPECT_EQ(channel::pecAccount(db.connessione(), 0)->sdiAddress, "sdi48@pec.fatturapa.it");
}

} // namespace
