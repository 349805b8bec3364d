#pragma once
// One reason why the exchange system (SdI) would reject an invoice file.
#include <QList>
#include <QString>

namespace brevalto::check {

struct Finding {
    // The SdI's five-digit code ("00423"), or one of the archive's own checks that borrows the
    // code the SdI would give later (00002 for a reused progressive, 00404 for a reused number).
    QString code;
    // Path of the element from below the root, with 1-based indices on repeatable elements:
    // "FatturaElettronicaBody[2]/DatiBeniServizi/DettaglioLinee[3]/PrezzoTotale". Empty for the
    // file as a whole.
    QString element;
    // What is wrong, in Italian, with the values involved.
    QString message;
    // Line of the file, 0 when unknown.
    int line = 0;
    // For a Document of the archive: the screen and the field that hold the value, when known.
    QString screen;
    QString field;
};

using Findings = QList<Finding>;

} // namespace brevalto::check
