#include "utility/TrovaPaWindow.h"

#include "logic/Parties.h"
#include "store/DataModule.h"
#include "store/DatasetNames.h"
#include "store/IpaDirectory.h"
#include "store/Prompt.h"
#include "store/Saving.h"
#include "store/SqlText.h"
#include "ui/GuardedAction.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlQuery>
#include <QVBoxLayout>
#include <iterator>

namespace brevalto {

namespace {

const QString kPa = QStringLiteral("PA_Amministrazioni_FatturaElettronica");

struct Criterion {
    const char* objectName;
    const char* label;
    const char* column;
};

// In the order their criteria are joined.
const Criterion kCriteria[] = {
    {"Edit1", "Comune", "Comuni.Comune"},
    {"Edit2", "Desc. PA", "PA_Amministrazioni_FatturaElettronica.DescrizionePA"},
    {"Edit3", "Cod. univoco", "PA_Amministrazioni_FatturaElettronica.codice_univoco"},
    {"Edit4", "Ufficio", "PA_Amministrazioni_FatturaElettronica.DescrizioneUfficio"},
    {"Edit5", "Cod. fiscale", "PA_Amministrazioni_FatturaElettronica.cf"},
    {"Edit6", "Provincia", "Comuni.Provincia"},
    {"Edit7", "Indirizzo", "PA_Amministrazioni_FatturaElettronica.indirizzo"},
    {"Edit8", "Tipologia", "PA_Amministrazioni_FatturaElettronica.tipologia_istat"},
};
constexpr int kProvincia = 5;

const QString kCustomerKey = QStringLiteral("CessionarioCommittente_ID");

bool directoryEmpty(DataModule& db) {
    QSqlQuery q = db.connessione().execNative(QStringLiteral("SELECT 1 FROM %1 LIMIT 1").arg(kPa));
    return !q.next();
}

} // namespace

TrovaPaWindow::TrovaPaWindow(DataModule& db, QWidget* parent)
    : BrowserBase(db,
                  {
                      .caption = QStringLiteral("Trova Pubblica Amministrazione"),
                      .objectName = QStringLiteral("frmTrovaPA"),
                      .dataset = ds::PA_fatturazioneElettronica,
                      .keyColumn = QStringLiteral("codice_univoco"),
                      // Together narrower than the window, so that every column shows.
                      .columns = {{"Comune", "Comune", 110},
                                  {"DescrizionePA", "Descrizione P.A. ", 220},
                                  {"DescrizioneUfficio", "Ufficio", 190},
                                  {"codice_univoco", "Cod.Univoco", 80},
                                  {"tipologia_istat", "Tipologia", 130},
                                  {"indirizzo", "Indirizzo", 170},
                                  {"cf", "cod.fiscale", 95},
                                  {"Provincia", "Prov.", 45}},
                      .tools = {{"spdAvanti", "Avanti", BrowserAction::Modifica,
                                 "Copia l'ufficio scelto nel Cessionario committente"},
                                {.objectName = "spdIndietro",
                                 .caption = "Indietro",
                                 .action = BrowserAction::Indietro,
                                 .stretchAfter = true},
                                {"spdAggiornaElenco", "Aggiorna elenco P.A.", BrowserAction::Custom,
                                 "Importa l'elenco delle amministrazioni scaricato da IndicePA"}},
                      .layoutName = QStringLiteral("frmTrovaPA"),
                      .size = {1100, 620},
                  },
                  parent) {
    auto* group = new QGroupBox(QStringLiteral("Cerca"), this);
    auto* grid = new QGridLayout(group);
    for (int i = 0; i < int(std::size(kCriteria)); ++i) {
        auto* edit = new QLineEdit(group);
        edit->setObjectName(QLatin1String(kCriteria[i].objectName));
        auto* label = new QLabel(QLatin1String(kCriteria[i].label), group);
        label->setBuddy(edit);
        const int row = (i / 4) * 2;
        const int column = i % 4;
        grid->addWidget(label, row, column);
        grid->addWidget(edit, row + 1, column);
        edit->installEventFilter(this);
        boxes_ << edit;
    }
    boxes_[kProvincia]->setToolTip(
        QStringLiteral("Sigla della provincia, di due lettere (altrimenti non è considerata)"));
    auto* cercaButton = new QPushButton(QStringLiteral("cerca"), group);
    cercaButton->setObjectName(QStringLiteral("BitBtn2"));
    cercaButton->setAutoDefault(false);
    auto* resetButton = new QPushButton(QStringLiteral("reset"), group);
    resetButton->setObjectName(QStringLiteral("BitBtn3"));
    resetButton->setAutoDefault(false);
    grid->addWidget(cercaButton, 1, 4);
    grid->addWidget(resetButton, 3, 4);
    connect(cercaButton, &QPushButton::clicked, this, guard([this] { cerca(); }));
    connect(resetButton, &QPushButton::clicked, this, guard([this] { reset(); }));
    connect(button(QStringLiteral("spdAggiornaElenco")), &QPushButton::clicked, this, guard([this] {
                if (!openImport)
                    return;
                openImport();
                // The rows shown may be gone: search again on the new directory.
                dataset().close();
                refreshStatus();
            }));

    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("lblElenco"));
    auto* layout = static_cast<QVBoxLayout*>(this->layout());
    layout->insertWidget(1, group);
    layout->addWidget(status_);
    setTabOrder(boxes_.last(), cercaButton);
    setTabOrder(cercaButton, resetButton);
}

QString TrovaPaWindow::searchSql(const QStringList& texts) {
    QString where;
    for (int i = 0; i < int(std::size(kCriteria)) && i < texts.size(); ++i) {
        const QString& text = texts[i];
        if (text.isEmpty() || text == QLatin1String("*"))
            continue;
        QString criterion;
        if (i == kProvincia) {
            if (text.size() != 2)
                continue;
            criterion = QStringLiteral(" %1 like '%2'")
                            .arg(QLatin1String(kCriteria[i].column), LikePattern(text));
        } else {
            criterion = QStringLiteral(" %1 like '%%2%'")
                            .arg(QLatin1String(kCriteria[i].column), LikePattern(text));
        }
        if (!where.isEmpty())
            where += QStringLiteral(" and ");
        where += criterion;
    }
    if (where.isEmpty())
        return QString();
    // A left join: offices whose municipality is not in Comuni are still found.
    return QStringLiteral(
               "SELECT %1.DescrizionePA, %1.DescrizioneUfficio, %1.codice_Amministrazione, "
               "%1.cod_ou, %1.codice_univoco, %1.indirizzo, %1.cap, %1.cf, Comuni.Comune, "
               "Comuni.Provincia, %1.tipologia_istat, Comuni.Id as Comune_id FROM %1 LEFT JOIN "
               "Comuni ON %1.Comune_Id = Comuni.ID where ")
               .arg(kPa) +
           where +
           QStringLiteral(" ORDER BY Comuni.Comune, %1.DescrizionePA, %1.DescrizioneUfficio")
               .arg(kPa);
}

void TrovaPaWindow::cerca() {
    Dataset& result = dataset();
    result.close();
    if (directoryEmpty(db_)) {
        // Nothing is lost by importing into an empty directory: Yes is the default.
        if (openImport &&
            prompt().ask(Prompt::warningTitle(),
                         QStringLiteral("L'elenco delle amministrazioni è vuoto: importarlo "
                                        "da un file scaricato da IndicePA?"),
                         false, Prompt::Choice::Yes) == Prompt::Choice::Yes)
            openImport();
        refreshStatus();
        if (directoryEmpty(db_))
            return;
    }
    QStringList texts;
    for (QLineEdit* box : std::as_const(boxes_))
        texts << box->text();
    const QString sql = searchSql(texts);
    if (sql.isEmpty()) {
        prompt().message(Prompt::warningTitle(),
                         QStringLiteral("Attenzione ! E' necessario inserire i criteri di "
                                        "ricerca !"));
        return;
    }
    result.setFilter(QString());
    result.setSql(sql);
    result.open();
}

void TrovaPaWindow::reset() {
    for (QLineEdit* box : std::as_const(boxes_))
        box->clear();
    dataset().close();
    dataset().setFilter(QString());
    refreshStatus();
}

void TrovaPaWindow::modifica() {
    Dataset& result = dataset();
    if (!result.isOpen() || result.isEmpty())
        return;
    Dataset& customer = db_.table(ds::PA_CessionarioCommittente);
    if (!customer.isOpen() || customer.isEmpty())
        return;
    const QString p = QStringLiteral("CessionarioCommittente_");
    const QString name = result.text(QStringLiteral("DescrizionePA")).left(80);
    // The names the customer is then listed and printed under, as its own screen computes them.
    ValueRow renamed;
    for (const char* column : {"Cognome", "Nome", "CodiceFiscale"})
        renamed.set(p + column, customer.text(p + column));
    renamed.set(p + "Denominazione", name);
    if (!result.text(QStringLiteral("cf")).isEmpty())
        renamed.set(p + "CodiceFiscale", result.text(QStringLiteral("cf")));
    const CustomerNames names = customerNames(renamed);
    // What the office puts into the customer. A value the directory does not know never erases
    // what the customer already has. The province follows the municipality it belongs to.
    const struct {
        QString column;
        QString label;
        QString value;
    } copies[] = {
        {QStringLiteral("Denominazione"), QStringLiteral("Rag. Sociale"), name},
        {QStringLiteral("NominativoVisualizzato"), QStringLiteral("Nominativo visualizzato"),
         names.listed},
        {QStringLiteral("NominativoDocumenti"), QStringLiteral("Nominativo nei documenti"),
         names.printed},
        {QStringLiteral("Sede_Indirizzo"), QStringLiteral("Indirizzo"),
         result.text(QStringLiteral("indirizzo")).left(60)},
        {QStringLiteral("Sede_Comune"), QStringLiteral("Comune"),
         result.text(QStringLiteral("Comune"))},
        {QStringLiteral("Sede_Provincia"), QStringLiteral("Provincia"),
         result.text(QStringLiteral("Provincia"))},
        {QStringLiteral("Sede_CAP"), QStringLiteral("CAP"), result.text(QStringLiteral("cap"))},
        {QStringLiteral("CodiceFiscale"), QStringLiteral("Codice Fiscale"),
         result.text(QStringLiteral("cf"))},
        {QStringLiteral("CodiceUnivocoUfficio"), QStringLiteral("Codice Destinatario"),
         result.text(QStringLiteral("codice_univoco"))},
    };
    // Only a value the customer holds and the office changes can be lost: those are named, and
    // the copy (what the user came for) is the default answer.
    QStringList replaced;
    for (const auto& copy : copies) {
        const QString before = customer.text(p + copy.column);
        if (!copy.value.isEmpty() && !before.isEmpty() && before != copy.value)
            replaced << QStringLiteral("%1: «%2» diventa «%3»").arg(copy.label, before, copy.value);
    }
    if (!replaced.isEmpty() &&
        prompt().ask(Prompt::warningTitle(),
                     QStringLiteral("I dati del Cessionario committente saranno sostituiti con "
                                    "quelli dell'ufficio scelto:\n\n%1\n\nVuoi proseguire ?")
                         .arg(replaced.join(u'\n')),
                     false, Prompt::Choice::Yes) != Prompt::Choice::Yes)
        return;
    customer.edit();
    for (const auto& copy : copies)
        if (!copy.value.isEmpty())
            customer.setValue(p + copy.column, copy.value);
    customer.setValue(p + QStringLiteral("PubblicaAmministrazione"), true);
    QString error;
    if (!SaveRecord(customer, kCustomerKey, &error)) {
        prompt().message(Prompt::errorTitle(),
                         QStringLiteral("Il cliente non è stato aggiornato: %1").arg(error));
        return;
    }
    done(QDialog::Accepted);
}

void TrovaPaWindow::refreshStatus() {
    guarded([this] {
        status_->setText(db_.connessione().isOpen() ? ipa::lastLoadText(db_.connessione())
                                                    : QString());
    });
}

void TrovaPaWindow::showEvent(QShowEvent* event) {
    BrowserBase::showEvent(event);
    refreshStatus();
}

bool TrovaPaWindow::eventFilter(QObject* watched, QEvent* event) {
    auto* box = qobject_cast<QLineEdit*>(watched);
    if (event->type() != QEvent::KeyPress || !box || !boxes_.contains(box))
        return BrowserBase::eventFilter(watched, event);
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        guarded([this] { cerca(); });
        return true;
    }
    if (key == Qt::Key_Down || key == Qt::Key_Up) {
        focusNextPrevChild(key == Qt::Key_Down);
        return true;
    }
    return BrowserBase::eventFilter(watched, event);
}

} // namespace brevalto
