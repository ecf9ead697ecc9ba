#pragma once

#include <QString>

// The one place that answers "where does the launcher live". Two folders:
//
// - the program folder, where the executable and what is installed beside it
//   live (the updater in "updateProgram/", the edition file);
// - the launcher's folder, which holds everything the launcher keeps (edition
//   file, settings, logs, downloads, caches, the database).
//
// They are one folder when the program folder is writable, as a launcher
// unpacked by the user is. An installed launcher whose folder is read-only
// keeps its data in the user's data folder instead, with the same layout.
// Tests point both at a temporary folder.
namespace AppDir {

// The launcher's folder (its data), without a trailing separator. Defaults to
// the program folder.
QString path();

// path() + "/" + relative.
QString filePath(const QString &relative);

// Points the launcher's folder elsewhere; an empty text restores the default.
void setPath(const QString &dir);

// The program folder, without a trailing separator:
// QCoreApplication::applicationDirPath(), or the folder given to setPath()
// while no program folder of its own was set.
QString programPath();

// programPath() + "/" + relative.
QString programFilePath(const QString &relative);

// Points the program folder elsewhere; an empty text restores the default.
void setProgramPath(const QString &dir);

// Whether this user may write into `dir`: the system allows it and the
// folder's permission bits grant it to the user's class. The bits count for
// the superuser too, so that a folder installed read-only is not filled with
// data when root runs the launcher.
bool isWritableFolder(const QString &dir);

// The data folder of a launcher whose program folder is read-only:
// $XDG_DATA_HOME/quillmere-launcher (~/.local/share/quillmere-launcher).
QString userDataPath();

// Decides where the data lives for the running program: the program folder
// when it is writable, else userDataPath(), which is created. Returns the
// launcher's folder chosen (also path() from then on).
QString settle();

// Whether the data lives beside the program (the program folder is the
// launcher's folder). False after settle() chose the user's data folder.
bool keepsDataBesideProgram();

} // namespace AppDir
