#include "app/FirstSetup.h"

#include "app/Screens.h"
#include "masterdata/MasterBrowsers.h"
#include "masterdata/PartyEditors.h"
#include "settings/DittaWindow.h"
#include "store/DataModule.h"
#include "store/DatasetNames.h"
#include "store/Prompt.h"
#include "ui/GuardedAction.h"
#include "ui/ScreenHost.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QList>
#include <QPointer>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace brevalto {

namespace {

constexpr int kSteps = 3;
constexpr int kSedeTab = 1;
constexpr int kBankTab = 5;

// The strip above a screen's own buttons while the screen is a step of the setup. Its "Avanti"
// and "Salta" take the place of the screen's way out ("Indietro", the firm's "Salva") until the
// step ends; Escape still asks whether to save, as on the screen itself.
class SetupStrip {
public:
    SetupStrip(EditorBase& screen, int step, const QString& title, const QString& text)
        : screen_(screen), strip_(new QFrame(&screen)) {
        strip_->setObjectName(QStringLiteral("frmGuidaPrimoAvvio"));
        strip_->setFrameShape(QFrame::StyledPanel);
        strip_->setAutoFillBackground(true);
        strip_->setBackgroundRole(QPalette::AlternateBase);
        auto* heading = new QLabel(QStringLiteral("<b>Primo avvio – passo %1 di %2: %3</b>")
                                       .arg(step)
                                       .arg(kSteps)
                                       .arg(title.toHtmlEscaped()),
                                   strip_);
        auto* body = new QLabel(text, strip_);
        body->setWordWrap(true);
        auto* next = new QPushButton(QStringLiteral("Avanti"), strip_);
        next->setObjectName(kSetupNext);
        next->setToolTip(QStringLiteral("Salva questo passo e va al successivo"));
        next->setAutoDefault(false);
        auto* skip = new QPushButton(QStringLiteral("Salta"), strip_);
        skip->setObjectName(kSetupSkip);
        skip->setToolTip(QStringLiteral("Non salva nulla di questo passo: si può completare dopo"));
        skip->setAutoDefault(false);
        QObject::connect(next, &QPushButton::clicked, strip_, guard([this] {
                             if (screen_.save())
                                 screen_.done(QDialog::Accepted);
                         }));
        QObject::connect(skip, &QPushButton::clicked, strip_, guard([this] { screen_.discard(); }));

        auto* texts = new QVBoxLayout;
        texts->addWidget(heading);
        texts->addWidget(body);
        auto* buttons = new QVBoxLayout;
        buttons->addWidget(next);
        buttons->addWidget(skip);
        buttons->addStretch();
        auto* row = new QHBoxLayout(strip_);
        row->addLayout(texts, 1);
        row->addLayout(buttons);
        if (auto* layout = qobject_cast<QVBoxLayout*>(screen.layout()))
            layout->insertWidget(0, strip_);

        for (const char* name : {"spdIndietro", "bitSalva"}) {
            auto* own = screen.findChild<QPushButton*>(QLatin1String(name));
            if (own && !own->isHidden()) {
                own->hide();
                hidden_ << own;
            }
        }
    }
    ~SetupStrip() {
        delete strip_;
        for (const QPointer<QPushButton>& own : std::as_const(hidden_)) {
            if (own)
                own->show();
        }
    }
    SetupStrip(const SetupStrip&) = delete;
    SetupStrip& operator=(const SetupStrip&) = delete;

private:
    EditorBase& screen_;
    QFrame* strip_;
    QList<QPointer<QPushButton>> hidden_;
};

// A new seller starts as one added to the sellers' list does, and with the firm's data: most firms
// transmit their own invoices.
void startSellerFromFirm(DataModule& db, BrowserBase& sellersList, Dataset& sellers) {
    sellers.append();
    for (const auto& [column, value] : sellersList.definition().initialValues)
        sellers.setValue(column, value);
    const Dataset& firm = db.table(ds::Ditta);
    const QString p = QStringLiteral("CedentePrestatore_");
    const struct {
        const char* from;
        const char* to;
    } copies[] = {
        {"IdPaese", "IdPaese"},          {"PIva", "IdCodice"},
        {"CodFisc", "CodiceFiscale"},    {"RagSoc", "Denominazione"},
        {"Cognome", "Cognome"},          {"Nome", "Nome"},
        {"Via", "Sede_Indirizzo"},       {"Numero", "Sede_NumeroCivico"},
        {"Comune", "Sede_Comune"},       {"Cap", "Sede_CAP"},
        {"Provincia", "Sede_Provincia"},
    };
    for (const auto& copy : copies) {
        const QString value = firm.text(QLatin1String(copy.from)).trimmed();
        if (!value.isEmpty())
            sellers.setValue(p + QLatin1String(copy.to), value);
    }
}

bool firmReady(DataModule& db) {
    return !db.table(ds::Ditta).text(QStringLiteral("CodFisc")).trimmed().isEmpty();
}

QString closingMessage(DataModule& db, bool sellerStored) {
    QStringList missing;
    if (!firmReady(db))
        missing << QStringLiteral(
            "- la Ditta: pulsante \"Ditta\" della scheda Archivio (o Ctrl+D)");
    if (!sellerStored)
        missing << QStringLiteral("- il Cedente - Prestatore: pulsante \"Cedente - Prestatore\" "
                                  "della scheda Archivio");
    else if (db.table(ds::PA_CedentePrestatore).text(QStringLiteral("DPIban")).isEmpty())
        missing << QStringLiteral("- i dati bancari (se servono): scheda \"Dati predefiniti "
                                  "bancari\" del Cedente - Prestatore");
    QString text = missing.isEmpty() ? QStringLiteral("Impostazione iniziale completata.")
                                     : QStringLiteral("Impostazione iniziale terminata. Restano da "
                                                      "completare:\n") +
                                           missing.join(QLatin1Char('\n'));
    text += QStringLiteral(
        "\n\nPer la prima fattura: scheda Archivio, \"Cessionario Committente\" per il cliente; "
        "poi scheda \"Fatture e Documenti\", \"Aggiungi\": intestazione, cliente e corpo della "
        "fattura con le linee e il riepilogo Iva; infine \"Controlla\" ed \"Esporta xml\" nei "
        "corpi della fattura.");
    return text;
}

} // namespace

void runFirstSetup(Screens& screens) {
    DataModule& db = screens.dataModule();

    DittaWindow& firm = screens.get<DittaWindow>();
    {
        SetupStrip strip(
            firm, 1, QStringLiteral("la Ditta"),
            QStringLiteral("La ditta che trasmette le fatture al Sistema di Interscambio. Il suo "
                           "codice fiscale e la sua nazione danno il nome ai file esportati. Si "
                           "ritrova con il pulsante \"Ditta\" della scheda Archivio."));
        showModal(firm);
    }

    CedenteEditor& seller = screens.get<CedenteEditor>();
    Dataset& sellers = seller.dataset();
    sellers.setFilter(QString());
    QString sellerText =
        QStringLiteral("Chi emette le fatture, con il regime fiscale e l'indirizzo della sede.");
    if (sellers.isEmpty()) {
        startSellerFromFirm(db, screens.get<CedentiBrowser>(), sellers);
        if (firmReady(db))
            sellerText += QStringLiteral(" È già compilato con i dati della Ditta: cambiarli se "
                                         "le fatture sono di un altro.");
    }
    seller.tabs()->setCurrentIndex(kSedeTab);
    {
        SetupStrip strip(seller, 2, QStringLiteral("il Cedente - Prestatore"), sellerText);
        showModal(seller);
    }
    if (sellers.state() == Dataset::State::Insert)
        sellers.cancel();
    const bool sellerStored = !sellers.isEmpty();

    // The bank details belong to the seller: without one there is nothing to put them on.
    if (sellerStored) {
        seller.tabs()->setCurrentIndex(kBankTab);
        SetupStrip strip(seller, 3, QStringLiteral("i dati bancari"),
                         QStringLiteral("Il beneficiario, l'istituto e l'IBAN proposti nei dati "
                                        "di pagamento di ogni nuova fattura."));
        showModal(seller);
    }
    seller.selectFirstTab();

    prompt().message(QStringLiteral("Brevalto"), closingMessage(db, sellerStored));
}

} // namespace brevalto
