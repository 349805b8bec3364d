#pragma once
// "Importa Dati da file esterno" (TfrmImporta): the lines of a delimited text file become lines of
// the body being edited. Four column buttons, dragged into the order of the file's fields, say
// which field is which, and the fields are read in exactly the order they show, left to right; a
// button may carry a fixed value instead (right button). The separator,
// the headings option and the column order are kept in opzioni. The import is all or nothing.
#include <QDialog>
#include <QHash>
#include <QStringList>

class QLineEdit;
class QMenu;
class QPushButton;

namespace brevalto {

class DataModule;

class ImportaWindow : public QDialog {
    Q_OBJECT
public:
    explicit ImportaWindow(DataModule& db, QWidget* parent = nullptr);

    // A column button by name: "Descrizione", "Prezzo", "AliquotaIva", "Quantita".
    QPushButton* columnButton(const QString& name) const;
    // The area the buttons are dragged on.
    QWidget* columnArea() const { return area_; }
    // The column order in force (names, left to right once the buttons were arranged).
    QStringList columnOrder() const { return order_; }
    // The buttons carrying a fixed value, with their values.
    const QHash<QString, QString>& fixedValues() const { return fixed_; }
    // The box in which a fixed value is typed, and the pop-up menu of the column buttons.
    QLineEdit* fixedValueBox() const { return fixedBox_; }
    QMenu* columnMenu() const { return menu_; }

    // What a drop of a column button does: the button goes to x, then all are lined up again.
    void dropColumn(const QString& name, int x);

    // "Importa": stores the settings, asks for the file and adds its lines to the current body.
    void importa();
    // "Car. Tab": the tab character becomes the separator.
    void carTab();
    // "Indietro": stores the settings and closes.
    void indietro();

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void reject() override { indietro(); }

private:
    void ordina();
    void impostaValoreFisso();
    void fineValoreFisso();
    void annullaValoreFisso();
    void resetCaption(const QString& name);
    bool saveOptions();

    DataModule& db_;
    QWidget* area_;
    QHash<QString, QPushButton*> buttons_;
    QStringList order_;
    QHash<QString, QString> fixed_;
    QString lastClicked_;
    QPoint dragStart_;
    QLineEdit* fixedBox_;
    QLineEdit* separatorBox_;
    QMenu* menu_;
    bool activated_ = false;
};

} // namespace brevalto
