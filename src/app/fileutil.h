#pragma once

#include <QString>
#include <QtGlobal>

// File helpers shared by the install, download and clearing code. They report
// through the log only and never throw; failures give an empty text, 0 or false.
namespace FileUtil {

// Lower-case hexadecimal MD5 of the file's content, read in chunks; empty on failure.
QString md5OfFile(const QString &path);

// Copies the folder's content into `target` (created when missing), replacing files.
// Symbolic links are copied as the files they point to, never followed into folders.
bool copyFolder(const QString &source, const QString &target);

// Deletes the folder and everything in it. A symbolic link inside is removed
// itself; what it points to is left alone.
bool removeFolder(const QString &path);

// Deletes the plain files directly in `folder` whose path ends with `suffix`
// (case-sensitive).
void removeFilesWithSuffix(const QString &folder, const QString &suffix);

// The bytes of the visible files in the folder and, recursively, its visible
// sub-folders (symbolic links to folders are not followed).
qint64 folderSize(const QString &path);

// Bytes available to the user on the volume that holds `path`. A path that
// does not exist yet is answered for the nearest folder above it that does.
qint64 freeSpace(const QString &path);

// Creates the parent folder of `path` (with all missing levels) when neither
// the path nor its parent exists. True when nothing had to be created.
bool createParentFolder(const QString &path);

// Deletes a file, trying twice; logs "Delete file failed:" when both fail.
bool removeFileTwice(const QString &path);

} // namespace FileUtil
