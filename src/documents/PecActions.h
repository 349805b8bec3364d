#pragma once
// "Invia" and "Ricevi" on the screens: Documents sent by certified mail and the mailbox read into
// the archive, with the password asked through the prompt the first time a run needs it, the
// questions and the outcome said through the prompt, and a progress window with "Annulla" when
// there is more than one message to go through.
#include <QList>

class QWidget;

namespace brevalto {

class DataModule;

// Sends each Document's file; a Document already sent and not rejected is sent again only when
// the user says so. Returns how many left.
int inviaDocumenti(DataModule& db, const QList<int>& headerIds, QWidget* parent);

// Reads the mailbox of every account of the archive. atStart: only the accounts that ask for it,
// and no message when there was nothing new.
void riceviPec(DataModule& db, QWidget* parent, bool atStart = false);

} // namespace brevalto
