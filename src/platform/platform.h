#pragma once

// What the program asks of the operating system beyond Qt: everything that
// differs between POSIX systems and Windows is answered here and nowhere else.

#include <QString>
#include <QtGlobal>

class QFileInfo;

namespace tarnvel::platform {

// Pushes a file's bytes (or a directory's entries, where the system can) to
// the disk, so that a rename that follows can never expose a file whose
// contents are still only in the cache.
bool flushToDisk(const QString &path);

// Renames from over to in one step: at every moment the path names either the
// old file or the new one. The folder's new entry is pushed to the disk.
bool renameOver(const QString &from, const QString &to);

// The same file under two names (a symbolic or a hard link), or one name twice.
bool sameFile(const QString &a, const QString &b);

// True when no running process has this id (it ended, or never was).
bool processGone(qint64 id);

// Whether the user running the program owns the file.
bool ownedByUser(const QFileInfo &info);

// The longest file name (bytes as encoded) the file system of folder takes,
// and the longest path the system opens.
qint64 longestFileName(const QString &folder);
qint64 longestPath();

// A window cannot appear: on X11 and Wayland neither display is named and no
// other Qt platform (offscreen, vnc, ...) is chosen.
bool displayMissing();

} // namespace tarnvel::platform
