#pragma once
// The Document's life after its export, from the bodies' screen: "Notifiche…" loads the exchange
// system's notifications (a folder, with its subfolders, or one file), "Reinvia" writes a rejected
// Document again under a new file name. Each talks to the user through the prompt.
#include <QDate>
#include <QString>

namespace brevalto {

class DataModule;
class Prompt;

namespace receipts {
struct LoadedFile;
}

// The summary of a load: how many linked, already known, not linked and unreadable, and why.
QString notificationsSummary(const QList<receipts::LoadedFile>& loaded);
// "Reinvia": for a rejected Document, asks for the folder and writes the new file.
void reinvia(DataModule& db, Prompt& prompt);

} // namespace brevalto
