// Signing from the screens: the workstation's key chosen under the options and remembered (never
// a password), and "Firma" in the body register checking, exporting and signing the Document on a
// real archive with a real certificate file.
#include "../sdi/SigningTestSupport.h"
#include "check/SignedFile.h"
#include "documents/BodyEditor.h"
#include "documents/BodyRegister.h"
#include "logic/DocumentRegister.h"
#include "sdi/SigningSettings.h"
#include "settings/FirmaWindow.h"
#include "settings/OpzioniWindow.h"
#include "store/Connection.h"
#include "store/DataModule.h"
#include "store/Dataset.h"
#include "store/Prompt.h"
#include "support/ScriptedPrompt.h"
#include "support/TestFiles.h"
#include "ui/ScreenHost.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QStandardPaths>
#include <QToolButton>
#include <gtest/gtest.h>

using namespace brevalto;

namespace {

class FirmaTest : public ::testing::Test {
protected:
    void SetUp() override {
        // The workstation's settings go to the test's folder.
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, folder.file("config"));
        const QString archive = test::copyOfNewArchive(folder);
        db.setArchive(archive, archive);
        db.connessione().open(archive);
        db.openAllDatasets();
        setPrompt(&scripted);
    }
    void TearDown() override {
        setPrompt(nullptr);
        setModalShower({});
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope,
                           QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation));
    }
    QByteArray settingsFile() {
        return test::readBytes(folder.file("config/Brevalto/Brevalto.ini"));
    }

    test::TempFolder folder;
    DataModule db;
    test::ScriptedPrompt scripted;
};

TEST_F(FirmaTest, TheKeyIsChosenUnderTheOptionsAndRememberedOnThisComputer) {
    OpzioniWindow options(db, {"Archivio", "Fatture e Documenti", "Utility"});
    QString shownKind;
    setModalShower([&](QDialog& screen) {
        auto* firma = qobject_cast<FirmaWindow*>(&screen);
        EXPECT_TRUE(firma);
        if (!firma)
            return 0;
        firma->load();
        // Nothing named yet: a file certificate is asked for, and a key without it is not kept.
        EXPECT_EQ(firma->kindList()->currentIndex(), 0);
        EXPECT_FALSE(firma->moduleBox()->isEnabled());
        firma->findChild<QPushButton*>("spdSalva")->click();
        EXPECT_EQ(scripted.messages().value(0),
                  "Indicare il file del certificato di firma (.pfx, .p12).");

        // A card: OpenSC's module is proposed as a value, not left as a hint that is not saved.
        firma->kindList()->setCurrentIndex(1);
        EXPECT_EQ(firma->moduleBox()->text(), FirmaWindow::kOpenScModule);
        EXPECT_TRUE(firma->moduleBox()->isEnabled());
        EXPECT_FALSE(firma->fileBox()->isEnabled());
        scripted.answerOpenFile(test::kSoftHsmModule);
        firma->findChild<QToolButton*>("btnScegliModulo")->click();
        firma->tokenBox()->setText("CNS di Mario");
        firma->findChild<QPushButton*>("spdSalva")->click();
        shownKind = firma->kindList()->currentText();
        return firma->result();
    });
    options.findChild<QPushButton*>("btnFirmaDigitale")->click();
    EXPECT_TRUE(shownKind.contains("PKCS#11"));

    const sdi::SigningKey stored = sdi::loadSigningKey();
    EXPECT_EQ(stored.kind, sdi::SigningKey::Kind::Pkcs11);
    EXPECT_EQ(stored.module, test::kSoftHsmModule);
    EXPECT_EQ(stored.token, "CNS di Mario");
    FirmaWindow again;
    again.load();
    EXPECT_EQ(again.kindList()->currentIndex(), 1);
    EXPECT_EQ(again.moduleBox()->text(), test::kSoftHsmModule);
    EXPECT_EQ(again.tokenBox()->text(), "CNS di Mario");
    // Every input is named for assistive technology through its label.
    for (QWidget* input : std::initializer_list<QWidget*>{again.kindList(), again.fileBox(),
                                                          again.moduleBox(), again.tokenBox()}) {
        bool labelled = false;
        for (QLabel* label : again.findChildren<QLabel*>())
            labelled |= label->buddy() == input;
        EXPECT_TRUE(labelled) << input->objectName().toStdString();
    }
}

TEST_F(FirmaTest, FirmaInTheBodyRegisterSignsTheDocumentAskingThePasswordEachTime) {
    DocumentRegister documents{db, scripted};
    BodyRegister reg{db};
    BodyEditor editor{db};
    reg.setBodyEditor(&editor);
    ASSERT_TRUE(documents.aggiungi());
    // The transmitter the file is named after.
    Dataset& header = db.table("TablePA_FE_Header");
    header.edit();
    header.setValue("DatiTrasmissione_IdPaese", "IT");
    header.setValue("DatiTrasmissione_IdCodice", "01234567890");
    header.setValue("DatiTrasmissione_ProgressivoInvio", "00001");
    header.post();
    Connection& c = db.connessione();
    c.exec("insert into PA_FE_Body (PA_FE_Header_Id, DatiGenerali_TipoDocumento, "
           "DatiGenerali_Numero) values (?, 'TD01', '1')",
           {db.table("TablePA_FE_Header").integer("ID")});
    const QVariant body = c.scalar("select max(Id) from PA_FE_Body");
    c.exec("insert into PA_FE_Body_DatiBeniServizi_DettaglioLinee (PA_FE_Body_Id, NumeroLinea, "
           "Descrizione, PrezzoUnitario, PrezzoTotale, AliquotaIva) values (?, 1, 'Riga', 10, 10, "
           "22)",
           {body});
    c.exec("insert into PA_FE_Body_DatiBeniServizi_DatiRiepilogo (PA_FE_Body_Id, AliquotaIva, "
           "ImponibileImporto, Imposta, EsigibilitaIva) values (?, 22, 10, 2.2, 'I')",
           {body});
    db.loadBodies();

    // No key chosen yet: the user is told where to choose it.
    reg.button("spdFirma")->click();
    ASSERT_EQ(scripted.messages().size(), 1);
    EXPECT_TRUE(scripted.messages()[0].contains("Firma digitale"));

    const test::TestCertificate mario = test::makeCertificate(folder, "mario");
    sdi::saveSigningKey({.kind = sdi::SigningKey::Kind::Pkcs12,
                         .file = test::makePkcs12(folder, mario, "segreta")});
    const QString xml = folder.file("IT01234567890_00001.xml");
    for (const char* password : {"sbagliata", "segreta"}) {
        scripted.clear();
        scripted.answerSaveFile(xml);
        scripted.answerQuestion(true); // the check's findings: write anyway
        scripted.answerText(password);
        if (QByteArray(password) == "segreta")
            scripted.answerQuestion(false); // keep the unsigned file? No
        reg.button("spdFirma")->click();
        EXPECT_EQ(scripted.pendingAnswers(), 0)
            << password << ": " << scripted.messages().join("\n").toStdString();
    }
    EXPECT_FALSE(QFileInfo::exists(xml));
    const check::SignedFile signedFile = check::openSigned(test::readBytes(xml + ".p7m"));
    EXPECT_TRUE(signedFile.intact);
    EXPECT_EQ(signedFile.signer, "Mario Rossi");
    EXPECT_TRUE(signedFile.content.contains("FatturaElettronica"));
    EXPECT_FALSE(settingsFile().contains("segreta"));
    EXPECT_FALSE(settingsFile().isEmpty());
}

} // namespace
