#include "logic/DocumentRegister.h"

#include "logic/PartyColumns.h"
#include "store/DataModule.h"
#include "store/DatasetNames.h"
#include "store/PartyIdentity.h"
#include "store/Prompt.h"
#include "store/Saving.h"

#include <QDate>

namespace brevalto {

namespace {

const QString kHeader = ds::PA_FE_Header;

} // namespace

DocumentRegister::DocumentRegister(DataModule& db, Prompt& prompt) : db_(db), prompt_(prompt) {}

void DocumentRegister::ricarica() {
    try {
        db_.table(kHeader).requery();
    } catch (const DbError& e) {
        prompt_.message(Prompt::errorTitle(), e.text());
    }
}

void DocumentRegister::loadBodies() {
    db_.loadBodies();
}

void DocumentRegister::modifica(bool justAdded) {
    Dataset& header = db_.table(kHeader);
    if (header.isEmpty() || header.isNull(QStringLiteral("ID")))
        return;
    try {
        loadBodies();
    } catch (const DbError& e) {
        prompt_.message(Prompt::errorTitle(), e.text());
        return;
    }
    if (db_.batchInsert())
        return;
    if (showHeaderEditor)
        showHeaderEditor(justAdded);
}

int DocumentRegister::nextNumber(DataModule& db) {
    const QVariant highest =
        db.connessione().scalar(QStringLiteral("SELECT max(Numero) as Nume from PA_FE_Header"));
    // The highest number ever given outlives its Document: a file already sent under it must
    // never be named again.
    const QVariant given =
        db.connessione().scalar(QStringLiteral("SELECT max(UltimoProgressivoInvio) from opzioni"));
    return qMax(highest.toInt(), given.toInt()) + 1; // null maxima count as 0
}

void DocumentRegister::fillNewDocument(Dataset& header, int number) {
    const Dataset& ditta = db_.table(ds::Ditta);
    const Dataset& opzioni = db_.table(ds::Opzioni);
    Dataset& sellers = db_.table(ds::PA_CedentePrestatore);
    const Dataset& representative = db_.table(ds::PA_RappresentanteFiscale);
    const Dataset& intermediary = db_.table(ds::PA_TerzoIntermediarioOSoggettoEmittente);

    header.setValue(QStringLiteral("Data"), QDate::currentDate());
    header.setValue(QStringLiteral("Numero"), number);
    header.setValue(QStringLiteral("DatiTrasmissione_ProgressivoInvio"), QString::number(number));
    header.setValue(QStringLiteral("DatiTrasmissione_IdPaese"),
                    ditta.value(QStringLiteral("IdPaese")));
    header.setValue(QStringLiteral("DatiTrasmissione_IdCodice"),
                    ditta.text(QStringLiteral("CodFisc")).toUpper());
    header.setValue(QStringLiteral("DatiTrasmissione_ContattiTrasmittente"), true);
    header.setValue(QStringLiteral("DatiTrasmissione_ContattiTrasmittente_Telefono"),
                    ditta.value(QStringLiteral("Tel")));
    header.setValue(QStringLiteral("DatiTrasmissione_ContattiTrasmittente_Email"),
                    ditta.value(QStringLiteral("Email")));

    // An accounting office keeping several sellers issues new Documents for its default seller;
    // otherwise (or when that seller is gone) the current seller row is used.
    const int defaultSeller = opzioni.integer(QStringLiteral("CedentePrestatore_Id"));
    if (opzioni.flag(QStringLiteral("StudioCommerciale")) && defaultSeller > 0)
        sellers.locate(QStringLiteral("CedentePrestatore_Id"), defaultSeller);
    copyColumns(header, sellers, sellerColumns());
    // A block the seller does not use stays empty in the Document, whatever old data the seller
    // row still holds there.
    for (const OptionalBlock& block : sellerBlocks()) {
        const bool used = sellers.flag(block.flag);
        header.setValue(block.flag, used);
        if (used)
            copyColumns(header, sellers, block.columns);
    }
    copyColumns(header, sellers,
                {"CedentePrestatore_RiferimentoAmministrazione", "DPBeneficiario", "DPIban",
                 "DPIstitutoFinanziario"});

    const bool hasRepresentative = representative.flag(QStringLiteral("RappresentanteFiscale"));
    header.setValue(QStringLiteral("RappresentanteFiscale"), hasRepresentative);
    if (hasRepresentative)
        copyColumns(header, representative,
                    identityColumns(QStringLiteral("RappresentanteFiscale_DatiAnagrafici_")));

    const bool hasIntermediary =
        intermediary.flag(QStringLiteral("TerzoIntermediarioOSoggettoEmittente"));
    header.setValue(QStringLiteral("TerzoIntermediarioOSoggettoEmittente"), hasIntermediary);
    if (hasIntermediary)
        copyColumns(header, intermediary,
                    identityColumns(QStringLiteral("TerzoIntermediarioOSoggettoEmittente_")));

    header.setValue(QStringLiteral("Esportato"), false);
}

bool DocumentRegister::aggiungi() {
    Dataset& header = db_.table(kHeader);
    Connection& connection = db_.connessione();
    bool stored = false;
    try {
        // The write lock is taken before the highest number is read, so another workstation
        // adding at the same moment waits for this row and then numbers after it.
        connection.inTransaction([&] {
            header.append();
            const int number = nextNumber(db_);
            fillNewDocument(header, number);
            connection.exec(QStringLiteral("UPDATE opzioni SET UltimoProgressivoInvio = ?"),
                            {number});
            QString error;
            if (!SaveNewRecord(header, QStringLiteral("id"), &error))
                throw DbError(error);
            stored = true;
        });
    } catch (const DbError& e) {
        try {
            if (header.state() == Dataset::State::Insert)
                header.cancel();
            else if (stored)
                header.requery(); // the commit failed: the row shown is not in the archive
        } catch (const DbError&) {
        }
        prompt_.message(Prompt::errorTitle(),
                        QStringLiteral("Il documento non è stato creato.\n%1").arg(e.text()));
        return false;
    }
    modifica(true);
    return true;
}

bool DocumentRegister::elimina() {
    Dataset& header = db_.table(kHeader);
    if (header.isEmpty())
        return false;
    if (!db_.silentDelete() &&
        !prompt_.question(Prompt::warningTitle(),
                          QStringLiteral("Sei sicuro di voler eliminare il Documento?")))
        return false;
    // The Document goes whole: an edit pending on it must not be written by the cursor moves.
    if (header.state() != Dataset::State::Browse)
        header.cancel();
    const QVariant key = header.value(QStringLiteral("ID"));
    Connection& connection = db_.connessione();
    try {
        loadBodies();
        Dataset& bodies = db_.table(ds::PA_Body);
        const int idColumn = bodies.columnIndex(QStringLiteral("Id"));
        QList<int> bodyIds;
        for (int row = 0; row < bodies.rowCount(); ++row)
            bodyIds << bodies.valueAt(row, idColumn).toInt();
        connection.inTransaction([&] {
            for (int bodyId : std::as_const(bodyIds)) {
                db_.deleteBodyChildRows(bodyId);
                connection.exec(
                    QStringLiteral("Delete * from PA_FE_Body where Id = %1").arg(bodyId));
            }
            DeleteAndReposition(header, QStringLiteral("ID"));
        });
        bodies.requery(); // TablePA_Body keeps the (now empty) bodies of the deleted Document
    } catch (const DbError& e) {
        // Nothing was deleted: show the archive as it is, on the same Document.
        try {
            header.requery();
            header.locate(QStringLiteral("ID"), key);
            loadBodies();
        } catch (const DbError&) {
        }
        prompt_.message(Prompt::errorTitle(),
                        QStringLiteral("Il documento non è stato eliminato.\n%1").arg(e.text()));
        return false;
    }
    return true;
}

} // namespace brevalto
