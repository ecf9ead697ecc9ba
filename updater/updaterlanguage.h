#pragma once

#include <QString>

class QTranslator;

// The updater's window speaks the launcher's language: the launcher names it
// on the command line (--language, a Language::code()) and the updater loads
// the launcher's own catalogue and interface face for it.
namespace UpdaterLanguage {

// Installs the catalogue for `code` through `translator` (which must outlive
// the window) and makes the launcher's face for that language the
// application's font. Without a code the window speaks English; an unknown
// code is logged and English too. Returns the code in use.
QString install(const QString &code, QTranslator *translator);

} // namespace UpdaterLanguage
