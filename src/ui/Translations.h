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

} // namespace brevalto
