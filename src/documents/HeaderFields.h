#pragma once
// Short constructors for the field tables of the header screens.
#include "ui/EditorBase.h"

namespace brevalto::headerfields {

inline FieldSpec text(const QString& label, const QString& column, const QString& help, int tab = 0,
                      int maxLength = 0) {
    return {label, column, FieldControl::Text, tab, maxLength, help};
}
inline FieldSpec number(const QString& label, const QString& column, const QString& help,
                        int tab = 0, int maxLength = 0) {
    return {label, column, FieldControl::Number, tab, maxLength, help};
}
inline FieldSpec date(const QString& label, const QString& column, const QString& help,
                      int tab = 0) {
    return {label, column, FieldControl::Date, tab, 0, help};
}
inline FieldSpec check(const QString& label, const QString& column, const QString& help,
                       int tab = 0) {
    return {label, column, FieldControl::Check, tab, 0, help};
}
inline FieldSpec pick(const QString& label, const QString& column, const QString& help,
                      const QString& list, const QString& key, const QString& shown, int tab = 0) {
    return {label, column, FieldControl::Lookup, tab, 0, help, list, key, shown};
}
// A code list: stores Codice, shows Descrizione.
inline FieldSpec code(const QString& label, const QString& column, const QString& help,
                      const QString& list, int tab = 0) {
    return pick(label, column, help, list, QStringLiteral("Codice"), QStringLiteral("Descrizione"),
                tab);
}
inline FieldSpec country(const QString& label, const QString& column, const QString& help,
                         int tab = 0) {
    return pick(label, column, help, QStringLiteral("TableNazioni"), QStringLiteral("SIGLA"),
                QStringLiteral("DENOMINAZ"), tab);
}
inline FieldSpec province(const QString& label, const QString& column, const QString& help,
                          int tab = 0) {
    return pick(label, column, help, QStringLiteral("TableProvince"), QStringLiteral("PROVINCIA"),
                QStringLiteral("CAPOLUOGO"), tab);
}
inline FieldSpec municipality(const QString& label, const QString& column, const QString& help,
                              int tab = 0) {
    return pick(label, column, help, QStringLiteral("TableComuni"), QStringLiteral("Comune"),
                QStringLiteral("Comune"), tab);
}
// The six fields of an address (prefix + Nazione, Indirizzo, NumeroCivico, Comune, CAP,
// Provincia) with the help numbers of its FatturaPA block (block + .1 Indirizzo ... .6 Nazione).
inline QList<FieldSpec> address(const QString& prefix, const QString& block, int tab) {
    const auto help = [&block](int n) { return block + QLatin1Char('.') + QString::number(n); };
    return {
        country(QStringLiteral("Nazione"), prefix + QStringLiteral("Nazione"), help(6), tab),
        text(QStringLiteral("Indirizzo"), prefix + QStringLiteral("Indirizzo"), help(1), tab),
        text(QStringLiteral("N° Civico"), prefix + QStringLiteral("NumeroCivico"), help(2), tab),
        municipality(QStringLiteral("Comune"), prefix + QStringLiteral("Comune"), help(4), tab),
        text(QStringLiteral("CAP"), prefix + QStringLiteral("CAP"), help(3), tab),
        province(QStringLiteral("Provincia"), prefix + QStringLiteral("Provincia"), help(5), tab),
    };
}

} // namespace brevalto::headerfields
