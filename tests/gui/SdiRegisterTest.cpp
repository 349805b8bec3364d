// The Documents register with the exchange system's states, in the real main window: the
// notifications are dropped on "Notifiche…" as files and a folder, the "Stato SdI" column follows
// with the days left, and the list of states shows only the Documents of the group chosen.
#include "documents/SdiRegister.h"
#include "ShellFixture.h"
#include "app/Screens.h"
#include "documents/NotificheWindow.h"
#include "ui/DataGrid.h"
#include "ui/ScreenHost.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QDropEvent>
#include <QLabel>
#include <QMimeData>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QUrl>

namespace brevalto::test {
namespace {

QByteArray sample(const QString& name) {
    QFile f(QStringLiteral(BREVALTO_SOURCE_DIR "/tests/receipts/samples/") + name);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << name.toStdString();
    return f.readAll();
}

class SdiRegisterTest : public ShellTest {
protected:
    // A Document numbered number for customer; when file is given, recorded as written into it.
    void document(int number, const QString& customer, const QString& format,
                  const QString& file = {}) {
        sql(defaultArchive(),
            QStringLiteral("INSERT INTO PA_FE_Header (Numero, Data, "
                           "CessionarioCommittente_NominativoVisualizzato, "
                           "DatiTrasmissione_FormatoTrasmissione, Esportato) VALUES "
                           "(%1, '2026-03-01', '%2', '%3', %4)")
                .arg(number)
                .arg(customer, format)
                .arg(file.isEmpty() ? 0 : 1));
        if (file.isEmpty())
            return;
        const int id =
            scalar(defaultArchive(),
                   QStringLiteral("select ID from PA_FE_Header where Numero = %1").arg(number))
                .toInt();
        sql(defaultArchive(), QStringLiteral("INSERT INTO SdI_Invii (PA_FE_Header_Id, NomeFile, "
                                             "DataInvio) VALUES (%1, '%2', '2026-03-01T09:00:00')")
                                  .arg(id)
                                  .arg(file));
    }
    QString cell(int row, int column) const {
        const QAbstractItemModel* model = window().documentGrid()->model();
        return model->index(row, column).data().toString();
    }
    // Number and Stato SdI of every row the register shows.
    QStringList shown() const {
        QStringList rows;
        const int rowCount = window().documentGrid()->model()->rowCount();
        for (int row = 0; row < rowCount; ++row)
            rows << cell(row, 0) + QStringLiteral(" ") + cell(row, 3);
        return rows;
    }
    void choose(const QString& group) {
        QComboBox* filter = window().sdiFilter();
        const int index = filter->findText(group);
        ASSERT_GE(index, 0) << group.toStdString();
        filter->setCurrentIndex(index);
    }
};

TEST_F(SdiRegisterTest, DroppedNotificationsSetTheColumnAndTheFilterShowsOneGroup) {
    makeArchive();
    document(1, "Rossi Mario", "FPR12", "IT01234567890_00001.xml");
    document(2, "Comune di Roma", "FPA12", "IT01234567890_00002.xml");
    document(3, "Alfa Srl", "FPR12");
    document(4, "Regione Lazio", "FPA12", "IT01234567890_00005.xml.p7m");
    document(5, "Beta Spa", "FPR12", "IT01234567890_00006.xml");
    const QString inbox = programFolder() + QStringLiteral("posta");
    QDir().mkpath(inbox + QStringLiteral("/marzo"));
    writeFile(inbox + QStringLiteral("/marzo/IT01234567890_00001_NS_001.xml"),
              sample("IT01234567890_00001_NS_001.xml"));
    writeFile(inbox + QStringLiteral("/IT01234567890_00005_NE_001.xml"),
              sample("IT01234567890_00005_NE_001.xml"));
    writeFile(inbox + QStringLiteral("/rotta.xml"), "<RicevutaConsegna>");
    const QString single = programFolder() + QStringLiteral("IT01234567890_00002_RC_001.xml");
    writeFile(single, sample("IT01234567890_00002_RC_001.xml"));

    ASSERT_TRUE(start());
    SdiRegister& states = screens->sdiRegister();
    states.today = [] { return QDate(2026, 3, 5); };
    EXPECT_EQ(window().documentGrid()->model()->headerData(3, Qt::Horizontal).toString(),
              "Stato SdI");
    EXPECT_EQ(shown(),
              (QStringList{"1 Inviata", "2 Inviata", "3 Da inviare", "4 Inviata", "5 Inviata"}));

    // "Notifiche…": the folder and a file dropped together, as from a file manager.
    bool dropped = false;
    setModalShower([&](QDialog& d) {
        auto* w = dynamic_cast<NotificheWindow*>(&d);
        EXPECT_NE(w, nullptr);
        if (!w)
            return 0;
        auto* mime = new QMimeData;
        mime->setUrls({QUrl::fromLocalFile(inbox), QUrl::fromLocalFile(single)});
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(w, &enter);
        EXPECT_TRUE(enter.isAccepted());
        QDropEvent drop(QPointF(10, 10), Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(w, &drop);
        delete mime;
        const QTableWidget* outcomes = w->outcomes();
        QStringList rows;
        for (int row = 0; row < outcomes->rowCount(); ++row)
            rows << QFileInfo(outcomes->item(row, 0)->text()).fileName() + u' ' +
                        outcomes->item(row, 1)->text() + u' ' + outcomes->item(row, 3)->text();
        EXPECT_EQ(rows, (QStringList{"IT01234567890_00005_NE_001.xml collegata Rifiutata",
                                     "IT01234567890_00001_NS_001.xml collegata Scartata",
                                     "rotta.xml illeggibile ",
                                     "IT01234567890_00002_RC_001.xml collegata Consegnata"}));
        EXPECT_FALSE(outcomes->item(2, 4)->text().isEmpty());
        EXPECT_TRUE(w->summary()->text().contains("Collegate: 3"))
            << w->summary()->text().toStdString();
        dropped = true;
        return 0;
    });
    QTest::mouseClick(window().button("spdNotifiche"), Qt::LeftButton);
    ASSERT_TRUE(dropped);

    EXPECT_EQ(shown(), (QStringList{"1 Scartata: reinviare entro 2 giorni",
                                    "2 Consegnata: esito entro 12 giorni", "3 Da inviare",
                                    "4 Rifiutata", "5 Inviata"}));

    const struct {
        const char* group;
        QStringList numbers;
    } groups[] = {
        {"Scartate", {"1"}},
        {"In attesa di esito", {"2", "5"}},
        {"Da inviare", {"3"}},
        {"Rifiutate", {"4"}},
        {"Consegnate o accettate", {}},
        {"Tutte", {"1", "2", "3", "4", "5"}},
    };
    for (const auto& g : groups) {
        choose(QString::fromUtf8(g.group));
        QStringList numbers;
        for (const QString& row : shown())
            numbers << row.section(u' ', 0, 0);
        EXPECT_EQ(numbers, g.numbers) << g.group;
    }

    // A group stays chosen while the register is read again, and a Document whose state changes
    // leaves it: the rejected one, re-issued (a new file recorded), is Inviata again.
    choose("Scartate");
    const int id = scalar(defaultArchive(), "select ID from PA_FE_Header where Numero = 1").toInt();
    sql(defaultArchive(), QStringLiteral("INSERT INTO SdI_Invii (PA_FE_Header_Id, NomeFile, "
                                         "DataInvio) VALUES (%1, 'IT01234567890_00007.xml', "
                                         "'2026-03-04T09:00:00')")
                              .arg(id));
    QTest::mouseClick(window().button("spdRicarica"), Qt::LeftButton);
    EXPECT_TRUE(shown().isEmpty()) << shown().join(", ").toStdString();
    choose("In attesa di esito");
    EXPECT_EQ(shown(),
              (QStringList{"1 Inviata", "2 Consegnata: esito entro 12 giorni", "5 Inviata"}));
}

} // namespace
} // namespace brevalto::test
