#pragma once
// The Document's life after its export, from the bodies' screen: "Notifiche…" loads the exchange
// system's notifications (a folder, with its subfolders, or one file), "Stato SdI" shows the
// Document's state and its history in Italian, "Reinvia" writes a rejected Document again under a
// new file name. Each talks to the user through the prompt.
#include <QDate>
#include <QString>

namespace brevalto {

class DataModule;
class Prompt;

namespace receipts {
struct LoadedFile;
}

// "Notifiche…": asks for a folder (Annulla: for one file), loads it and shows the summary.
void caricaNotifiche(DataModule& db, Prompt& prompt);
// The summary of a load: how many linked, already known, not linked and unreadable, and why.
QString notificationsSummary(const QList<receipts::LoadedFile>& loaded);
// "Stato SdI": the current Document's state, deadline and history, each rejection error with its
// title from the archive's error catalogue.
QString documentLifeText(DataModule& db, int headerId, QDate today = QDate::currentDate());
// "Reinvia": for a rejected Document, asks for the folder and writes the new file.
void reinvia(DataModule& db, Prompt& prompt);

} // namespace brevalto
