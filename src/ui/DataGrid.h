#pragma once
// A read-only grid over a Dataset: the row under the cursor is the dataset's current row, a click
// on a column title sorts the dataset, and a pop-up menu offers the layout commands.
#include <QAbstractTableModel>
#include <QList>
#include <QPointer>
#include <functional>

#include "store/Dataset.h"
#include <QTableView>

namespace brevalto {

struct GridColumn {
    QString field;
    QString caption;
    int width = 100;
};

class DatasetModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit DatasetModel(QObject* parent = nullptr);
    void setDataset(Dataset* dataset);
    Dataset* dataset() const { return dataset_; }
    void setColumns(const QList<GridColumn>& columns);
    const QList<GridColumn>& columns() const { return columns_; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

    // An editable grid writes what is typed in a cell into the dataset's edit buffer (the row is
    // stored when the cursor leaves it, or by the screen). readCell turns the text typed into the
    // column's value; false refuses it (the screen says why). Without it the text is stored.
    void setEditable(bool on) { editable_ = on; }
    std::function<bool(const QString& field, const QString& text, QVariant* value)> readCell;
    // The value of a column the dataset does not have (a register's column worked out from other
    // tables), by row of the view; without it such a column shows empty. Title clicks do not
    // sort on it.
    std::function<QVariant(int row, const QString& field)> computedValue;
    // The background of a row (a QColor), or an invalid value for the grid's own.
    std::function<QVariant(int row)> rowBackground;

    // The text a cell shows: dates as dd/MM/yyyy, Yes/No as "Sì"/"No", long texts cut to 400,
    // decimals as typed.
    static QString displayText(const QVariant& value);
    // The text a cell of a field shows: like displayText, but the decimals of a money column
    // (every decimal column but quantities) with two digits at least ("50,00", "0,125").
    static QString displayText(const QVariant& value, const QString& field);

private:
    QPointer<Dataset> dataset_;
    QList<GridColumn> columns_;
    bool editable_ = false;
};

class DataGrid : public QTableView {
    Q_OBJECT
public:
    explicit DataGrid(QWidget* parent = nullptr);

    void setDataset(Dataset* dataset);
    Dataset* dataset() const { return model_->dataset(); }

    // The designed columns; the layout routines replace them with saved ones. Internal keys
    // ("Id") are never shown.
    void setColumns(const QList<GridColumn>& columns);
    // The columns as shown now, with the widths the user gave them.
    QList<GridColumn> columns() const;
    // Removes the column holding the current cell (nothing is stored).
    void removeSelectedColumn();

    // Title clicks sort the dataset (toggling ASC/DESC on the previous sort text); on by default.
    void setSortOnTitleClick(bool on) { sortOnTitleClick_ = on; }
    // Shows the pop-up menu "Salva Griglia", "Elimina Colonna", "Reset Griglia".
    void setLayoutMenu(bool on) { layoutMenu_ = on; }
    // The model, for an editable grid's readCell and rowBackground.
    DatasetModel* datasetModel() const { return model_; }

    // The sort text a title click on field gives after the previous sort text.
    static QString toggledSort(const QString& previous, const QString& field);

Q_SIGNALS:
    void rowActivated(); // double click or Enter
    void titleClicked(const QString& field);
    void saveLayoutRequested();  // "Salva Griglia"
    void resetLayoutRequested(); // "Reset Griglia"

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void syncFromDataset();
    void onTitleClicked(int section);

    DatasetModel* model_;
    bool sortOnTitleClick_ = true;
    bool layoutMenu_ = false;
    bool syncing_ = false;
};

} // namespace brevalto
