#include "settings/DittaWindow.h"

#include "logic/Parties.h"
#include "store/DataModule.h"
#include "store/DatasetNames.h"
#include "store/Prompt.h"
#include "store/VatNumber.h"
#include "ui/BoundInputs.h"
#include "ui/CommonFields.h"

#include <QFocusEvent>
#include <QGridLayout>
#include <QPushButton>

namespace brevalto {

DittaWindow::DittaWindow(DataModule& db, QWidget* parent)
    : EditorBase(db, ds::Ditta, QString(), QStringLiteral("Ditta"), parent),
      cancella_(new QPushButton(QStringLiteral("Cancella"))) {
    setObjectName(QStringLiteral("frmDitta"));
    beginForm({QStringLiteral("Ditta")});
    // The firm's data reach the invoice file: each input takes the length of its element there.
    // Only what a bookkeeper sets is shown; the archive on a server is chosen in "Lavora in Rete".
    const auto line = [](const char* label, const char* column, int maxLength = 0) {
        return Field{.label = QString::fromUtf8(label),
                     .column = QString::fromUtf8(column),
                     .maxLength = maxLength};
    };
    Field cap = line("Cap", "Cap", 5);
    cap.pattern = QStringLiteral("[0-9]*");
    Field provincia = line("Provincia", "Provincia", 2);
    provincia.pattern = QStringLiteral("[A-Za-z]*");
    provincia.upperCase = true;
    Field piva = line("P.Iva", "PIva", 28);
    piva.upperCase = piva.noSpaces = true;
    Field codFisc = line("Cod Fiscale", "CodFisc", 16);
    codFisc.upperCase = codFisc.noSpaces = true;
    addTabbed({
        line("Ragione Sociale", "RagSoc", 80),
        line("Cognome", "Cognome", 60),
        line("Nome", "Nome", 60),
        {.label = "Nazione", .column = "IdPaese", .list = kCountries},
        piva,
        codFisc,
        line("Via", "Via", 60),
        line("Numero", "Numero", 8),
        {.label = "comune", .column = "Comune", .list = kMunicipalities},
        cap,
        provincia,
        line("Telefono", "Tel", 12),
        line("Fax", "Fax", 12),
        line("Cellulare", "Cell", 12),
        line("E-mail", "Email", 256),
        line("Internet", "Internet"),
    });
    finishForm();
    field(QStringLiteral("CodFisc"))
        ->setToolTip(QStringLiteral("Il codice fiscale della ditta che trasmette le fatture (per "
                                    "una società di solito è la partita Iva): con la nazione dà "
                                    "il nome ai file esportati"));
    setRules(firmRules());
    // The municipality pick fills postcode and province: the Tab key passes them by.
    field(QStringLiteral("Cap"))->setFocusPolicy(Qt::ClickFocus);
    field(QStringLiteral("Provincia"))->setFocusPolicy(Qt::ClickFocus);

    // "Cancella" sits beside the municipality it empties.
    cancella_->setObjectName(QStringLiteral("Button4"));
    cancella_->setAutoDefault(false);
    QWidget* comune = field(QStringLiteral("Comune"));
    auto* grid = qobject_cast<QGridLayout*>(comune->parentWidget()->layout());
    int row = 0, column = 0, rowSpan = 0, columnSpan = 0;
    grid->getItemPosition(grid->indexOf(comune), &row, &column, &rowSpan, &columnSpan);
    grid->addWidget(cancella_, row, 2);
    connect(cancella_, &QPushButton::clicked, this, &DittaWindow::cancellaComune);

    // The kit's hidden save button is this screen's visible "Salva".
    salva_ = findChild<QPushButton*>(QStringLiteral("spdSalva"));
    salva_->setObjectName(QStringLiteral("bitSalva"));
    salva_->setToolTip(QStringLiteral("Salva le modifiche effettuate"));
    salva_->show();

    connect(qobject_cast<BoundLookup*>(comune), &BoundLookup::picked, this, [this] {
        const Dataset& comuni = this->db().table(ds::Comuni);
        Dataset& ditta = dataset();
        ditta.edit();
        if (!comuni.isNull(QStringLiteral("Cap")))
            ditta.setValue(QStringLiteral("Cap"), comuni.text(QStringLiteral("Cap")));
        if (!comuni.isNull(QStringLiteral("Provincia")))
            ditta.setValue(QStringLiteral("Provincia"), comuni.text(QStringLiteral("Provincia")));
    });
    field(QStringLiteral("PIva"))->installEventFilter(this);
    setMinimumWidth(480);
}

void DittaWindow::salva() {
    save();
}

void DittaWindow::cancellaComune() {
    Dataset& ditta = dataset();
    ditta.edit();
    for (const char* column : {"Comune", "Cap", "Provincia"})
        ditta.setValue(QString::fromLatin1(column), QString());
    markModified();
}

bool DittaWindow::store(QString* error) {
    // The firm's row has no key of its own: stored as it is, no re-read.
    try {
        dataset().edit();
        dataset().post();
        dataset().edit();
        if (saved)
            saved();
        return true;
    } catch (const DbError& e) {
        if (error)
            *error = e.text();
        return false;
    }
}

bool DittaWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut && watched == field(QStringLiteral("PIva"))) {
        // Only a move to another field of this screen counts as leaving it; the warning's own
        // window taking the focus does not.
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason ||
            reason == Qt::MouseFocusReason || reason == Qt::ShortcutFocusReason ||
            reason == Qt::OtherFocusReason)
            checkPartitaIva();
    }
    return EditorBase::eventFilter(watched, event);
}

void DittaWindow::checkPartitaIva() {
    const QString value = dataset().text(QStringLiteral("PIva"));
    if (value.isEmpty() || IsValidPartitaIva(value))
        return;
    // A warning only: the number stays as typed.
    prompt().message(QStringLiteral("Brevalto"),
                     QStringLiteral("Attenzione la partita Iva appena inserita non è valida!!!"));
}

} // namespace brevalto
