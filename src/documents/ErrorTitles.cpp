#include "documents/ErrorTitles.h"

#include "store/DataModule.h"
#include "store/DbError.h"

namespace brevalto {

QString ErrorTitles::title(const QString& code) {
    const auto known = titles_.constFind(code);
    if (known != titles_.constEnd())
        return *known;
    QString title;
    try {
        title = db_.connessione()
                    .scalar(QStringLiteral("select Titolo from PA_Errori where Codice = ?"), {code})
                    .toString();
    } catch (const DbError&) {
    }
    titles_.insert(code, title);
    return title;
}

} // namespace brevalto
