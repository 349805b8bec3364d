#pragma once
// "Importa fattura xml": a FatturaPA file (plain, or signed as .p7m) becomes a Document of the
// archive with every body and every section the archive keeps. The file is screened and checked
// first: a file the schema refuses is refused with the findings of the pre-send check, and so is
// a signed file whose signature does not match its content. The parties are looked up among the
// archive's sellers and customers by VAT number or tax code and created when missing. The
// Document gets the next free number (and with it the progressive of its next file), keeps the
// invoice numbers and dates of its bodies, is marked as imported and not as exported. Attached
// files are written to a folder of their own. Every element of the file that the archive has no
// place for is named in the summary: nothing is dropped without saying so.
#include "check/Finding.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace brevalto {

class DataModule;

struct ImportResult {
    enum class Outcome {
        Imported, // the Document is in the archive
        Refused,  // the file is not one the archive takes (findings or error say why)
        Failed,   // the file could not be read, or the archive refused the rows
    };
    Outcome outcome = Outcome::Failed;
    QString file;             // the path as given
    QString error;            // why it was refused or failed, in Italian
    check::Findings findings; // of the pre-send check: the refusal's, or remarks on an import
    int documentId = 0;       // PA_FE_Header.id of the new Document
    int number = 0;           // its number in the register
    int bodies = 0;
    QStringList parties;     // "Cedente/prestatore trovato: ..." / "... creato: ..."
    QStringList notes;       // signature, progressive, values the archive keeps differently
    QStringList unplaced;    // paths of elements the archive has no place for
    QStringList attachments; // where the attached files were written

    bool imported() const { return outcome == Outcome::Imported; }
    // The summary shown to the user (several lines, Italian).
    QString summary() const;
};

// Imports the file at path into the archive open on data's connection. attachmentFolder is where
// the attached files go (a subfolder per Document is made there); empty chooses the archive
// file's folder, or the program folder for an archive on a server.
ImportResult importInvoiceFile(DataModule& data, const QString& path,
                               const QString& attachmentFolder = QString());

// The same for bytes already read (the content of a signed file, or a plain file); name is what
// the Document records as its source.
ImportResult importInvoiceXml(DataModule& data, const QByteArray& xml, const QString& name,
                              const QString& attachmentFolder = QString());

// The folder the attached files of imported Documents go to when none is given.
QString defaultAttachmentFolder(DataModule& data);

} // namespace brevalto
