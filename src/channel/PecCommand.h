#pragma once
#include <QStringList>
#include <cstdio>

namespace brevalto::channel {

// brevalto pec invia --archive PATH --document LIST... [--di-nuovo]  (LIST: 12,13,20-25)
// brevalto pec ricevi --archive PATH
// brevalto pec prova --archive PATH
// Sends Documents' files to the exchange system by certified mail, reads the mailbox into the
// archive, or tries the servers. The password comes from BREVALTO_PEC_PASSWORD or, when unset,
// is asked on the terminal without echo. Returns 0 when everything went, 1 when a Document did
// not leave or a server failed, 2 for a wrong command line, an archive that cannot be opened, no
// account or no password. args are the words after "pec".
int runPecCommand(const QStringList& args, std::FILE* out = stdout, std::FILE* err = stderr);

} // namespace brevalto::channel
