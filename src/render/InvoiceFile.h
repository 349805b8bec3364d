#pragma once
// Reads an invoice file from disk: a plain ".xml", or a signed ".p7m" whose content is taken out
// of the envelope and whose signature is checked.
#include "check/SignedFile.h"

#include <QByteArray>
#include <QString>

namespace brevalto::render {

struct InvoiceFile {
    // False when the file cannot be read or a signed file cannot be opened; error says why.
    bool ok = false;
    QString error;
    QByteArray xml;
    bool isSigned = false;
    check::SignedFile signature; // when isSigned
};

InvoiceFile readInvoiceFile(const QString& path);

} // namespace brevalto::render
