#pragma once
// The FatturaPA code lists in words ("TD04" → "Nota di credito", "N4" → "Esenti"): from the code
// tables of an open archive, which the user may have completed, or else from the copy the program
// ships.
#include <QHash>
#include <QString>

namespace brevalto {
class Connection;
}

namespace brevalto::render {

class CodeLists {
public:
    // The program's own copy.
    static CodeLists shipped();
    // The archive's code tables; the shipped copy for any table the archive cannot give.
    static CodeLists fromArchive(Connection& connection);

    // The description of code in the code table (PA_TipoDocumento, PA_Natura, ...); empty when
    // the code is unknown.
    QString describe(const QString& table, const QString& code) const;

private:
    QHash<QString, QHash<QString, QString>> tables_;
};

} // namespace brevalto::render
