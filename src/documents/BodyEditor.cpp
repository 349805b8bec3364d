#include "documents/BodyEditor.h"

#include "logic/ChildRows.h"
#include "logic/DocumentRules.h"
#include "logic/LineeLogic.h"
#include "logic/RiepilogoBuilder.h"
#include "logic/VatRules.h"
#include "store/DatasetNames.h"

#include "documents/AllegatiEditor.h"
#include "documents/BodySections.h"
#include "documents/CassaEditor.h"
#include "documents/CausaliEditor.h"
#include "documents/RitenutaEditor.h"
#include "documents/ScontoEditor.h"
#include "store/DataModule.h"
#include "store/Prompt.h"
#include "store/Saving.h"
#include "ui/BoundInputs.h"
#include "ui/CommonFields.h"
#include "ui/DataGrid.h"
#include "ui/ScreenHost.h"

#include <QDate>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QVBoxLayout>

namespace brevalto {

namespace {

const QString kBodies = ds::PA_Body;
const QString kLines = ds::PA_FE_Body_DatiBeniServizi_DettaglioLinee;
const QString kSummaries = ds::PA_FE_Body_DatiBeniServizi_DatiRiepilogo;

QGridLayout* pageGrid(QTabWidget* tabs, int tab) {
    return qobject_cast<QGridLayout*>(tabs->widget(tab)->layout());
}

} // namespace

BodyEditor::BodyEditor(DataModule& db, QWidget* parent)
    : FormEditor(db, kBodies, QStringLiteral("id"), QStringLiteral("Corpo della fattura"), parent) {
    setObjectName(QStringLiteral("frmModifica_PA_Body"));
    tabs()->setObjectName(QStringLiteral("PageControl1"));
    beginForm({QStringLiteral("Dati Generali"), QStringLiteral("Dettaglio Linee"),
               QStringLiteral("Dati Riepilogo"), QStringLiteral("Dati pagamento"),
               QStringLiteral("Ordini - Convenzioni"), QStringLiteral("SAL"), QStringLiteral("DDT"),
               QStringLiteral("Trasporto"), QStringLiteral("Altro"), QStringLiteral("Allegati")});
    annullaButton()->setToolTip(QStringLiteral("Torna indietro senza salvare"));
    buildFields();
    setIncludedBlocks(bodyBlocks());
    buildSections();
    setRules(bodyRules());

    setSectionScreen(ds::PA_FE_Body_ScontoMaggiorazione, new ScontoEditor(db, this));
    setSectionScreen(ds::PA_FE_Body_DatiCassaPrevidenziale, new CassaEditor(db, this));
    setSectionScreen(ds::PA_FE_Body_Causale, new CausaliEditor(db, this));
    setSectionScreen(ds::PA_FE_Body_DatiRitenuta, new RitenutaEditor(db, this));
    setSectionScreen(ds::PA_FE_Body_Allegati, new AllegatiEditor(db, this));

    connect(lookup(QStringLiteral("Vettore_ID")), &BoundLookup::picked, this,
            &BodyEditor::pickCarrier);
    connect(lookup(QStringLiteral("Resa_Comune")), &BoundLookup::picked, this,
            &BodyEditor::pickDeliveryMunicipality);
    finishForm();
    resize(1000, 720);
    refreshActions();
}

void BodyEditor::setCheckCaption(const QString& column) {
    if (auto* box = qobject_cast<QCheckBox*>(field(column)))
        box->setText(QStringLiteral("Includi"));
}

void BodyEditor::buildFields() {
    addTabbed({
        {.label = "Tipo Documento",
         .column = "DatiGenerali_TipoDocumento",
         .help = "2.1.1.1",
         .list = codeList("TablePA_TipoDocumento")},
        {.label = "Divisa",
         .column = "DatiGenerali_Divisa",
         .help = "2.1.1.2",
         .list = codeList("TablePA_Divise")},
        {.label = "Data",
         .column = "DatiGenerali_Data",
         .control = FieldControl::Date,
         .help = "2.1.1.3"},
        {.label = "Numero", .column = "DatiGenerali_Numero", .help = "2.1.1.4"},
        {.label = "Totale Documento",
         .column = "ImportoTotaleDocumento",
         .control = FieldControl::Number,
         .help = "2.1.1.9"},
        {.label = "Arrotondamento",
         .column = "Arrotondamento",
         .control = FieldControl::Number,
         .help = "2.1.1.10"},
        {.label = "Art.73", .column = "Art73", .help = "2.1.1.12"},
        // The stamp duty's fields, beside the others.
        Field{.label = "Dati Bollo",
              .column = "DatiGenerali_DatiBollo",
              .control = FieldControl::Check,
              .help = "2.1.1.6"},
        {.label = "Virtuale",
         .column = "DatiGenerali_DatiBollo_BolloVirtuale",
         .help = "2.1.1.6.1"},
        {.label = "Importo",
         .column = "DatiGenerali_DatiBollo_ImportoBollo",
         .control = FieldControl::Number,
         .help = "2.1.1.6.2"},
    });
    moveRowsBeside(DatiGenerali, QStringLiteral("DatiGenerali_DatiBollo"),
                   QStringLiteral("DatiGenerali_DatiBollo_ImportoBollo"));
    field(QStringLiteral("Art73"))->setToolTip(QStringLiteral("Il solo valore possibile è \"SI\""));
    setCheckCaption(QStringLiteral("DatiGenerali_DatiBollo"));

    const int t = Trasporto;
    addTabbed({
        {.label = "Dati Vettore",
         .column = "DatiAnagraficiVettore",
         .control = FieldControl::Check,
         .help = "2.1.9.1",
         .tab = t},
        {.label = "Vettore",
         .column = "Vettore_ID",
         .tab = t,
         .list = PickList{"TableVettori", "Id", "Nominativo"}},
    });
    addTabbed(identityFields(party::bodyCarrier(), t));
    addTabbed({
        {.label = "N° Lic. guida",
         .column = "Vettore_NumeroLicenzaGuida",
         .help = "2.1.9.1.4",
         .tab = t},
        {.label = "Indirizzo Resa",
         .column = "IndirizzoResa",
         .control = FieldControl::Check,
         .help = "2.1.9.12",
         .tab = t},
        {.label = "Indirizzo", .column = "Resa_Indirizzo", .help = "2.1.9.12.1", .tab = t},
        {.label = "N° Civico", .column = "Resa_NumeroCivico", .help = "2.1.9.12.2", .tab = t},
        {.label = "CAP",
         .column = "Resa_CAP",
         .help = "2.1.9.12.3",
         .tab = t,
         .pattern = QStringLiteral("[0-9]*")},
        {.label = "Comune",
         .column = "Resa_Comune",
         .help = "2.1.9.12.4",
         .tab = t,
         .list = kMunicipalities},
        {.label = "Provincia",
         .column = "Resa_Provincia",
         .help = "2.1.9.12.5",
         .tab = t,
         .list = kProvinces},
        {.label = "Nazione",
         .column = "Resa_Nazione",
         .help = "2.1.9.12.6",
         .tab = t,
         .list = kCountries},
        // The transport block, beside the carrier and the delivery address.
        Field{.label = "Trasporto",
              .column = "DatiTrasporto",
              .control = FieldControl::Check,
              .help = "2.1.9",
              .tab = t},
        {.label = "Mezzo", .column = "MezzoTrasporto", .help = "2.1.9.2", .tab = t},
        {.label = "Causale", .column = "CausaleTrasporto", .help = "2.1.9.3", .tab = t},
        {.label = "Numero Colli",
         .column = "NumeroColli",
         .control = FieldControl::Integer,
         .help = "2.1.9.4",
         .tab = t},
        {.label = "Descrizione", .column = "Descrizione", .help = "2.1.9.5", .tab = t},
        {.label = "U. Misura Peso", .column = "UnitaMisuraPeso", .help = "2.1.9.6", .tab = t},
        {.label = "Peso Lordo",
         .column = "PesoLordo",
         .control = FieldControl::Number,
         .help = "2.1.9.7",
         .tab = t},
        {.label = "Netto",
         .column = "PesoNetto",
         .control = FieldControl::Number,
         .help = "2.1.9.8",
         .tab = t},
        {.label = "Data ora ritiro",
         .column = "DataOraRitiro",
         .control = FieldControl::DateTime,
         .help = "2.1.9.9",
         .tab = t},
        {.label = "Data inizio trasp.",
         .column = "DataInizioTrasporto",
         .control = FieldControl::Date,
         .help = "2.1.9.10",
         .tab = t},
        {.label = "Data ora cons.",
         .column = "DataOraConsegna",
         .control = FieldControl::DateTime,
         .help = "2.1.9.13",
         .tab = t},
        {.label = "Tipo resa",
         .column = "TipoResa",
         .help = "2.1.9.11",
         .tab = t,
         .list = PickList{"TablePA_TipoResa", "Codice", "Codice"}},
    });
    moveRowsBeside(Trasporto, QStringLiteral("DatiTrasporto"), QStringLiteral("TipoResa"));
    for (const char* c : {"DatiAnagraficiVettore", "IndirizzoResa", "DatiTrasporto"})
        setCheckCaption(QLatin1String(c));

    const int a = Altro;
    addTabbed({
        {.label = "Fattura principale",
         .column = "FatturaPrincipale",
         .control = FieldControl::Check,
         .help = "2.1.10",
         .tab = a},
        {.label = "Numero", .column = "NumeroFatturaPrincipale", .help = "2.1.10.1", .tab = a},
        {.label = "Data",
         .column = "DataFatturaPrincipale",
         .control = FieldControl::Date,
         .help = "2.1.10.2",
         .tab = a},
        {.label = "Dati Veicoli",
         .column = "DatiVeicoli",
         .control = FieldControl::Check,
         .help = "2.3",
         .tab = a},
        {.label = "Data immatric.",
         .column = "DatiVeicoli_Data",
         .control = FieldControl::Date,
         .help = "2.3.1",
         .tab = a},
        {.label = "totale percorso",
         .column = "DatiVeicoli_TotalePercorso",
         .help = "2.3.2",
         .tab = a},
    });
    moveRowsBeside(Altro, QStringLiteral("DatiVeicoli"),
                   QStringLiteral("DatiVeicoli_TotalePercorso"));
    setCheckCaption(QStringLiteral("FatturaPrincipale"));
    setCheckCaption(QStringLiteral("DatiVeicoli"));
}

void BodyEditor::moveRowsBeside(int tab, const QString& firstColumn, const QString& lastColumn) {
    QGridLayout* grid = pageGrid(tabs(), tab);
    const auto rowOf = [grid](QWidget* input) {
        int row = 0, col = 0, rowSpan = 0, colSpan = 0;
        grid->getItemPosition(grid->indexOf(input), &row, &col, &rowSpan, &colSpan);
        return row;
    };
    const int from = rowOf(field(firstColumn));
    const int to = rowOf(field(lastColumn)) + 1;
    // The first column pair starts where its first field is.
    int top = from;
    for (int i = 0; i < grid->count(); ++i) {
        int row = 0, col = 0, rowSpan = 0, colSpan = 0;
        grid->getItemPosition(i, &row, &col, &rowSpan, &colSpan);
        top = qMin(top, row);
    }
    for (int row = from; row < to; ++row) {
        for (int col = 0; col < 3; ++col) {
            QLayoutItem* item = grid->itemAtPosition(row, col);
            if (!item || !item->widget())
                continue;
            QWidget* w = item->widget();
            grid->removeWidget(w);
            grid->addWidget(w, top + row - from, col + 4);
        }
    }
    grid->setColumnMinimumWidth(3, 24);
    grid->setColumnStretch(5, 1);
}

QWidget* BodyEditor::makeSectionBox(const BodySection& section, QList<QPushButton*> extraButtons) {
    auto* box = new QGroupBox(section.title);
    box->setObjectName(QStringLiteral("box_") + section.dataset);
    auto* buttons = new QHBoxLayout;
    const QString name = section.dataset;
    const struct {
        const char* objectName;
        const char* caption;
        std::function<void()> action;
    } tools[] = {
        {"spdElimina_", "Elimina", [this, name] { deleteSectionRow(name); }},
        {"spdInserisci_", "Aggiungi", [this, name] { addSectionRow(name); }},
        {"spdModifica_", "Modifica", [this, name] { openSectionRow(name); }},
    };
    for (const auto& tool : tools) {
        auto* b = new QPushButton(QString::fromUtf8(tool.caption), box);
        b->setObjectName(QLatin1String(tool.objectName) + name);
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, tool.action);
        buttons->addWidget(b);
    }
    for (QPushButton* b : extraButtons) {
        b->setParent(box);
        b->setAutoDefault(false);
        buttons->addWidget(b);
    }
    buttons->addStretch();

    auto* grid = new DataGrid(box);
    grid->setObjectName(QStringLiteral("grid_") + name);
    grid->setDataset(&db().table(name));
    grid->setColumns(section.columns);
    grid->horizontalHeader()->setStretchLastSection(true);
    if (!section.sortOnTitleClick || !section.unsortedColumn.isEmpty())
        grid->setSortOnTitleClick(false);
    if (section.sortOnTitleClick && !section.unsortedColumn.isEmpty()) {
        const QString unsorted = section.unsortedColumn;
        connect(grid, &DataGrid::titleClicked, this, [grid, unsorted](const QString& column) {
            if (column.compare(unsorted, Qt::CaseInsensitive) == 0 || !grid->dataset())
                return;
            grid->dataset()->setSort(DataGrid::toggledSort(grid->dataset()->sort(), column));
        });
    }
    if (section.openOnDoubleClick)
        connect(grid, &DataGrid::rowActivated, this, [this, name] { openSectionRow(name); });
    grids_.insert(name.toLower(), grid);

    auto* layout = new QVBoxLayout(box);
    layout->addLayout(buttons);
    layout->addWidget(grid, 1);
    return box;
}

void BodyEditor::buildSections() {
    createSummaries_ = new QPushButton(QStringLiteral("Crea automaticamente"));
    createSummaries_->setObjectName(QStringLiteral("btnCreaRiepilogo"));
    connect(createSummaries_, &QPushButton::clicked, this, [this] {
        if (createSummaries)
            createSummaries();
        // A proposed document total waits in the edit buffer to be saved with the body.
        if (dataset().isModified())
            setModified(true);
    });
    importFile_ = new QPushButton(QStringLiteral("Importa da file esterno"));
    importFile_->setObjectName(QStringLiteral("btnImportaFile"));
    connect(importFile_, &QPushButton::clicked, this, [this] {
        if (importFromFile)
            importFromFile();
    });
    importArchive_ = new QPushButton(QStringLiteral("Importa da linee dall'archivio"));
    importArchive_->setObjectName(QStringLiteral("btnImportaArchivio"));
    connect(importArchive_, &QPushButton::clicked, this, [this] {
        if (importFromArchive)
            importFromArchive();
    });

    // Tab pages holding only grids give them the whole height.
    for (int tab = DettaglioLinee; tab <= Allegati; ++tab) {
        if (tab != Trasporto && tab != Altro)
            pageGrid(tabs(), tab)->setAlignment(Qt::Alignment());
    }
    pageGrid(tabs(), DatiGenerali)->setAlignment(Qt::Alignment());

    QMap<int, QList<QWidget*>> boxes;
    for (const BodySection& s : bodySections()) {
        QList<QPushButton*> extra;
        if (s.dataset == kLines)
            extra = {importFile_, importArchive_};
        else if (s.dataset == kSummaries)
            extra = {createSummaries_};
        boxes[s.tab] << makeSectionBox(s, extra);
    }
    for (auto it = boxes.cbegin(); it != boxes.cend(); ++it) {
        const QList<QWidget*>& list = it.value();
        if (list.size() == 1) {
            addWidget(it.key(), list.first(), 1);
            continue;
        }
        // Several sections on one tab: two per row.
        auto* holder = new QWidget;
        auto* grid = new QGridLayout(holder);
        grid->setContentsMargins(0, 0, 0, 0);
        for (int i = 0; i < list.size(); ++i)
            grid->addWidget(list[i], i / 2, i % 2);
        addWidget(it.key(), holder, 1);
    }
    // The grids of the first tab span both column pairs of its fields.
    QGridLayout* page = pageGrid(tabs(), DatiGenerali);
    QWidget* holder = page->itemAt(page->count() - 1)->widget();
    int row = 0, col = 0, rowSpan = 0, colSpan = 0;
    page->getItemPosition(page->indexOf(holder), &row, &col, &rowSpan, &colSpan);
    page->removeWidget(holder);
    page->addWidget(holder, row, 0, 1, -1);
}

bool BodyEditor::confirmSave() {
    const int body = dataset().integer(QStringLiteral("Id"));
    const QString withholding = vat::withholdingWithoutData(db(), body);
    if (!withholding.isEmpty()) {
        fail(withholding, QString(), DatiGenerali);
        return false;
    }
    if (db().table(kLines).isEmpty() &&
        !prompt().question(Prompt::warningTitle(),
                           QStringLiteral("Attenzione Non sono presenti Linee di dettaglio ! Non "
                                          "si potrà creare il file di esportazione senza nessuna "
                                          "linea! Si vuole proseguire lo stesso ?"))) {
        tabs()->setCurrentIndex(DettaglioLinee);
        return false;
    }
    if (db().table(kSummaries).isEmpty() &&
        !prompt().question(Prompt::warningTitle(),
                           QStringLiteral("Attenzione Non sono presenti i dati di riepilogo ! Non "
                                          "si potrà creare il file di esportazione senza nessuna "
                                          "linea di riepilogo! Si vuole proseguire lo stesso ?"))) {
        tabs()->setCurrentIndex(DatiRiepilogo);
        return false;
    }
    // A document total typed by hand stays as typed, but one that differs from the summaries is
    // pointed out.
    const std::optional<Decimal> total = riepilogo::summariesTotal(db(), body);
    const QVariant typed = dataset().value(QStringLiteral("ImportoTotaleDocumento"));
    if (total && !typed.isNull() && Decimal::fromVariant(typed).differsByACent(*total) &&
        !prompt().question(Prompt::warningTitle(),
                           QStringLiteral("Attenzione il Totale Documento %1 differisce da "
                                          "imponibili più imposte dei riepiloghi (%2). Si vuole "
                                          "salvare lo stesso ?")
                               .arg(QLocale().toString(typed.toDouble(), 'f', 2),
                                    QLocale().toString(total->toDouble(), 'f', 2)))) {
        tabs()->setCurrentIndex(DatiGenerali);
        field(QStringLiteral("ImportoTotaleDocumento"))->setFocus();
        return false;
    }
    return true;
}

void BodyEditor::indietro() {
    // Lines changed after the summaries were built leave the summaries behind: say so before the
    // body is left, and rebuild them when asked.
    const int body = dataset().integer(QStringLiteral("Id"));
    if (!dataset().isEmpty() && riepilogo::outOfDate(db(), body) &&
        prompt().question(
            Prompt::warningTitle(),
            QStringLiteral("Attenzione i dati di riepilogo non corrispondono più alle "
                           "linee di dettaglio e alla cassa previdenziale. Si vuole "
                           "ricrearli automaticamente ?"))) {
        riepilogo::creaAutomaticamente(db(), false);
        if (dataset().isModified())
            setModified(true);
    }
    FormEditor::indietro();
}

void BodyEditor::showEvent(QShowEvent* event) {
    refreshActions();
    EditorBase::showEvent(event);
}

void BodyEditor::refreshActions() {
    createSummaries_->setEnabled(bool(createSummaries));
    importFile_->setEnabled(bool(importFromFile));
    importArchive_->setEnabled(bool(importFromArchive));
}

void BodyEditor::setSectionScreen(const QString& datasetName, EditorBase* screen) {
    screens_.insert(datasetName.toLower(), screen);
    screenMakers_.remove(datasetName.toLower());
}

void BodyEditor::setSectionScreenMaker(const QString& datasetName,
                                       std::function<EditorBase*()> make) {
    screens_.remove(datasetName.toLower());
    screenMakers_.insert(datasetName.toLower(), std::move(make));
}

EditorBase* BodyEditor::sectionScreen(const QString& datasetName) const {
    const QString key = datasetName.toLower();
    if (!screens_.value(key) && screenMakers_.contains(key))
        screens_.insert(key, screenMakers_.value(key)());
    return screens_.value(key);
}

DataGrid* BodyEditor::sectionGrid(const QString& datasetName) const {
    return grids_.value(datasetName.toLower());
}

bool BodyEditor::addSectionRow(const QString& datasetName) {
    const BodySection* s = bodySection(datasetName);
    if (!s)
        return false;
    Dataset& rows = db().table(s->dataset);
    const QVariant bodyId = dataset().value(QStringLiteral("Id"));
    try {
        if (s->clearFilter)
            rows.setFilter(QString());
        rows.edit();
        rows.insert();
        rows.edit();
        rows.setValue(QStringLiteral("PA_FE_Body_Id"), bodyId);
        for (const SectionStart& start : s->start) {
            QVariant value = start.value;
            switch (start.kind) {
            case SectionStart::Kind::Fixed:
                break;
            case SectionStart::Kind::Today:
                value = QDate::currentDate();
                break;
            case SectionStart::Kind::NextLineNumber:
                value = linee::nextLineNumber(db(), bodyId.toInt());
                break;
            case SectionStart::Kind::StartEsigibilita:
                value = riepilogo::startCollectability(db());
                break;
            }
            rows.setValue(start.column, value);
        }
        if (!s->personalizzazioni.isEmpty())
            ApplyPersonalizzazioni(db(), s->personalizzazioni, rows);
    } catch (const DbError& e) {
        // Nothing half-made stays behind: the new row was never stored.
        if (rows.state() != Dataset::State::Browse)
            rows.cancel();
        prompt().message(Prompt::errorTitle(),
                         QStringLiteral("Impossibile aggiungere il record.\n%1").arg(e.text()));
        return false;
    }
    QString error;
    if (!SaveNewRecord(rows, QStringLiteral("Id"), &error)) {
        prompt().message(Prompt::errorTitle(),
                         QStringLiteral("Impossibile aggiungere il record.\n%1").arg(error));
        return false;
    }
    EditorBase* screen = sectionScreen(s->dataset);
    if (screen && s->markModified)
        screen->setModified(true);
    if (screen && s->showAnnulla)
        screen->setAnnullaVisible(true);
    openSectionRow(s->dataset);
    if (screen && s->showAnnulla)
        screen->setAnnullaVisible(false);
    return true;
}

void BodyEditor::openSectionRow(const QString& datasetName) {
    const BodySection* s = bodySection(datasetName);
    if (!s)
        return;
    Dataset& rows = db().table(s->dataset);
    if (rows.isEmpty())
        return;
    const int key = rows.value(QStringLiteral("ID")).toInt();
    try {
        for (const SecondLevel& level : s->secondLevel) {
            Dataset& sub = db().table(level.dataset);
            sub.setFilter(QString());
            sub.close();
            sub.setSql(QStringLiteral("select * from %1 where %2 = %3%4")
                           .arg(level.table, level.parentKey)
                           .arg(key)
                           .arg(level.ordering));
            sub.open();
        }
    } catch (const DbError& e) {
        prompt().message(Prompt::errorTitle(), e.text());
        return;
    }
    EditorBase* screen = sectionScreen(s->dataset);
    if (screen && s->firstTabOnOpen)
        screen->selectFirstTab();
    if (s->skippedInBatch && db().batchInsert())
        return;
    if (screen)
        showModal(*screen);
}

bool BodyEditor::deleteSectionRow(const QString& datasetName) {
    const BodySection* s = bodySection(datasetName);
    if (!s)
        return false;
    Dataset& rows = db().table(s->dataset);
    const bool silent = s->honoursSilentDelete && db().silentDelete();
    if (!silent &&
        (rows.isEmpty() || !prompt().question(Prompt::warningTitle(), s->deleteQuestion)))
        return false;
    QList<documenti::ChildTable> children;
    for (const SecondLevel& level : s->secondLevel)
        children.append({level.table, level.parentKey});
    try {
        return documenti::deleteWithChildren(db().connessione(), rows, children);
    } catch (const DbError& e) {
        prompt().message(Prompt::errorTitle(), e.text());
        return false;
    }
}

void BodyEditor::pickCarrier() {
    const Dataset& carriers = db().table(ds::Vettori);
    if (carriers.isNull(QStringLiteral("ID")))
        return;
    Dataset& body = dataset();
    body.edit();
    const QStringList from = party::carrier().columns() + QStringList{"NumeroLicenzaGuida"};
    const QStringList to =
        party::bodyCarrier().columns() + QStringList{"Vettore_NumeroLicenzaGuida"};
    for (qsizetype i = 0; i < from.size(); ++i)
        body.setValue(to[i], carriers.text(from[i]));
    setModified(true);
}

void BodyEditor::pickDeliveryMunicipality() {
    fillFromMunicipality(QStringLiteral("Resa_CAP"), QStringLiteral("Resa_Provincia"),
                         QStringLiteral("Resa_Nazione"));
}

void BodyEditor::deleteJustAdded() {
    deleteCurrentBody(db(), prompt());
}

} // namespace brevalto
