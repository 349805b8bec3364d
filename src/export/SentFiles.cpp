#include "export/SentFiles.h"

#include "store/Connection.h"

#include <QFileInfo>
#include <QSqlQuery>

namespace brevalto {

void recordSentFile(Connection& connection, int headerId, const QString& path,
                    const QDateTime& when) {
    const QString name = QFileInfo(path).fileName();
    connection.inTransaction([&] {
        if (connection
                .execNative(QStringLiteral("SELECT 1 FROM SdI_Invii WHERE PA_FE_Header_Id = ? AND "
                                           "lower(NomeFile) = lower(?)"),
                            {headerId, name})
                .next())
            return;
        connection.execNative(QStringLiteral("INSERT INTO SdI_Invii (PA_FE_Header_Id, NomeFile, "
                                             "DataInvio) VALUES (?, ?, ?)"),
                              {headerId, name, when.toString(Qt::ISODate)});
    });
}

} // namespace brevalto
