#include "documents/FindingsWindow.h"

#include "documents/ErrorTitles.h"
#include "store/DataModule.h"
#include "store/Prompt.h"
#include "ui/GuardedAction.h"
#include "ui/ReadOnlyTable.h"

#include <QDialogButtonBox>
#include <QHash>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QTableWidget>
#include <QVBoxLayout>

namespace brevalto {

namespace {

// Some titles end with a long explanation in brackets: the row shows the title before it (the
// tooltip keeps the whole text), so that each finding stays a few lines high.
QString shortTitle(const QString& title) {
    const qsizetype bracket = title.indexOf(QLatin1String(" ("));
    return bracket > 0 && title.endsWith(QLatin1Char(')')) ? title.left(bracket) : title;
}

} // namespace

FindingsWindow::FindingsWindow(DataModule& db, const check::Findings& findings, QWidget* parent)
    : QDialog(parent), findings_(findings),
      table_(readOnlyTable(
          {tr("Codice"), tr("Errore"), tr("Elemento"), tr("Descrizione"), tr("Dove correggere")},
          QStringLiteral("grdErrori"), tr("Errori rilevati"), this)) {
    setObjectName(QStringLiteral("frmControllo"));
    setWindowTitle(tr("Controllo della fattura"));
    auto* layout = new QVBoxLayout(this);
    auto* caption =
        new QLabel(tr("Il Sistema di Interscambio scarterebbe la fattura per questi motivi "
                      "(doppio clic per andare al valore da correggere):"),
                   this);
    caption->setWordWrap(true);
    caption->setBuddy(table_);
    layout->addWidget(caption);

    table_->setRowCount(int(findings.size()));
    table_->setWordWrap(true);
    ErrorTitles titles(db);
    for (int row = 0; row < findings.size(); ++row) {
        const check::Finding& f = findings[row];
        QString where = f.screen;
        if (!f.field.isEmpty())
            where += QStringLiteral(" › ") + f.field;
        const QString title = titles.title(f.code);
        setTableRow(table_, row, {f.code, shortTitle(title), f.element, f.message, where},
                    {QString(), title});
    }
    table_->setColumnWidth(0, 60);
    table_->setColumnWidth(1, 200);
    table_->setColumnWidth(2, 260);
    table_->setColumnWidth(3, 420);
    table_->resizeRowsToContents();
    layout->addWidget(table_);
    connect(table_, &QTableWidget::cellDoubleClicked, this,
            [this](int row, int) { guarded([this, row] { open(row); }); });

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* close = buttons->addButton(tr("Chiudi"), QDialogButtonBox::RejectRole);
    close->setObjectName(QStringLiteral("btnChiudi"));
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    resize(1200, 480);
}

int FindingsWindow::bodyOf(const QString& element) {
    static const QRegularExpression body(QStringLiteral("^FatturaElettronicaBody\\[(\\d+)\\]"));
    const QRegularExpressionMatch m = body.match(element);
    return m.hasMatch() ? m.captured(1).toInt() : 0;
}

void FindingsWindow::open(int row) {
    if (row < 0 || row >= findings_.size())
        return;
    const check::Finding& f = findings_[row];
    const int body = bodyOf(f.element);
    if (body > 0) {
        if (openBody)
            openBody(body);
        return;
    }
    // The header's screens come before the bodies: they are beneath this window, not above it.
    const QString where = f.screen.isEmpty() ? tr("nei dati del documento")
                                             : tr("nella schermata «%1»").arg(f.screen);
    prompt().message(Prompt::warningTitle(),
                     tr("Il valore si corregge %1, prima del corpo della fattura: chiudere il "
                        "corpo della fattura per tornarvi.")
                         .arg(where));
}

} // namespace brevalto
