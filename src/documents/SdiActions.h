#pragma once
// The Document's life after its export, from the bodies' screen and the register: the summary of
// a notification load, "Reinvia" (a rejected Document written again under a new file name) and the
// signing key "Firma" needs. Each talks to the user through the prompt.
#include "sdi/SigningSettings.h"

#include <QDate>
#include <QString>
#include <optional>

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
// The signing key of the options, or nothing after telling the user to set it up first.
std::optional<sdi::SigningKey> configuredSigningKey(Prompt& prompt);

} // namespace brevalto
