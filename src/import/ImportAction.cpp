#include "import/ImportAction.h"

#include "import/InvoiceImport.h"
#include "store/DataModule.h"
#include "store/DatasetNames.h"
#include "store/DbError.h"
#include "store/Prompt.h"

namespace brevalto {

namespace {

const QString kTitle = QStringLiteral("Importa fattura xml");
const QString kFilter =
    QStringLiteral("Fatture elettroniche (*.xml *.XML *.p7m *.P7M);;Tutti i file (*)");

} // namespace

bool importInvoiceFromRegister(DataModule& data, Prompt& prompt) {
    const QString path = prompt.openFileName(kTitle, QString(), kFilter);
    if (path.isEmpty())
        return false;
    const ImportResult result = importInvoiceFile(data, path);
    if (!result.imported()) {
        prompt.message(result.outcome == ImportResult::Outcome::Failed ? Prompt::errorTitle()
                                                                       : Prompt::warningTitle(),
                       result.summary());
        return false;
    }
    try {
        Dataset& header = data.table(ds::PA_FE_Header);
        header.requery();
        header.locate(QStringLiteral("id"), result.documentId);
    } catch (const DbError& e) {
        prompt.message(Prompt::errorTitle(), e.text());
    }
    prompt.message(kTitle, result.summary());
    return true;
}

} // namespace brevalto
