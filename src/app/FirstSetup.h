#pragma once
// The short setup offered right after a new archive is made, so that the first invoice has what it
// needs: the firm that transmits the files, the seller with its tax regime and address, and the
// bank details proposed for payments. Each step is the program's own screen, with its fields and
// its save rules, shown with a strip that names the step and offers "Avanti" (store and go on) and
// "Salta" (nothing stored, left for later). A closing message says what is still missing, where
// to find it, and the way to a first invoice.
#include <QString>

namespace brevalto {

class Screens;

void runFirstSetup(Screens& screens);

// The strip's buttons, for tests and for anyone driving the steps.
inline const QString kSetupNext = QStringLiteral("btnGuidaAvanti");
inline const QString kSetupSkip = QStringLiteral("btnGuidaSalta");

} // namespace brevalto
