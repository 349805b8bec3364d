#pragma once
// The headless commands of the exchange system's notifications:
//
//   brevalto notifiche --archive PATH FILE|FOLDER...
//     loads notification files (folders with their subfolders) into the archive and prints one
//     line per file: FILE<TAB>ESITO<TAB>NUMERO<TAB>STATO, ESITO being collegata, già nota, non
//     collegata or illeggibile, NUMERO and STATO those of the Document linked (empty when none).
//     Why a file was not linked or not read goes to the error stream. 0 when every file was
//     read, 1 when one was unreadable or the archive could not be used, 2 for a wrong command
//     line.
//
//   brevalto stato --archive PATH [--document NUMERO]
//     prints NUMERO<TAB>FILE<TAB>STATO<TAB>DATA<TAB>CODICI per Document (CODICI: a rejection's
//     error codes joined by commas; DATA as dd/mm/yyyy). 0, 1 when the archive cannot be used or
//     no Document has the number, 2 for a wrong command line.
#include <QStringList>
#include <cstdio>

namespace brevalto::receipts {

int runNotificheCommand(const QStringList& args, std::FILE* out = stdout, std::FILE* err = stderr);
int runStatoCommand(const QStringList& args, std::FILE* out = stdout, std::FILE* err = stderr);

} // namespace brevalto::receipts
