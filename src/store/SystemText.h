#pragma once
// The system's reasons for a failed file operation in Italian, as the rest of the program speaks:
// the C library words them in the system's language, English on a machine set up without Italian.
#include <QString>

namespace brevalto {

// The Italian for the common reasons ("No space left on device": "il disco è pieno"); any other
// text as it is.
QString italianReason(const QString& systemText);

} // namespace brevalto
