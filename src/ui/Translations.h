#pragma once
// Qt's own texts (the standard buttons of dialogs, the file dialog, the context menus of inputs)
// in Italian, as the rest of the program.
class QCoreApplication;
class QTranslator;

namespace brevalto {

// Loads Qt's Italian translations (qtbase_it.qm from Qt's translations folder) into the
// application; the returned translator belongs to the application. Null when the file is missing
// (the texts stay in English).
QTranslator* installQtItalian(QCoreApplication& application);

// Numbers and dates shown and read as an Italian bookkeeper writes them (1.234,56), whatever
// language the system is set to: on a machine set up in English, or with no language at all (a
// plain Debian), the screens would show and read 1,234.56.
void useItalianFormats();

} // namespace brevalto
