#pragma once

#include <QString>

// The one place that answers "where does the launcher live". Everything the
// launcher keeps beside its executable (edition file, settings, logs,
// downloads, caches, updater folders) is found through it. Tests point it at a
// temporary folder.
namespace AppDir {

// The application directory, without a trailing separator. Defaults to
// QCoreApplication::applicationDirPath().
QString path();

// path() + "/" + relative.
QString filePath(const QString &relative);

// Points the application directory elsewhere; an empty text restores the default.
void setPath(const QString &dir);

} // namespace AppDir
