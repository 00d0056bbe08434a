#pragma once

#include <QString>

class QFileDevice;

namespace tarnvel {

// The text without the blanks at its ends (blanks only: the file-name box
// and the captions keep any other white space).
QString withoutOuterBlanks(const QString &text);

// The file the panel's confirmation aims at: the directory, a separator and
// the typed name without its leading and trailing blanks. A directory that
// already ends in a separator (a drive's root) gets no second one.
QString composeTargetName(const QString &directory, const QString &typedName);

// name with extension (".tvd", ".htm") appended, unless its file-name part
// already contains the extension anywhere, in any letter case: "plan1" becomes
// "plan1.tvd", "PLAN1.TVD" and "plan1.tvdx" stay as they are.
QString withExtension(const QString &name, const QString &extension);

// The scenario file and the report file a confirmation writes.
QString scenarioFileName(const QString &directory, const QString &typedName);
QString reportFileName(const QString &directory, const QString &typedName);

// The folder beside a report that holds its diagram pictures: the report's
// name cut before the first ".htm" of its file-name part (any letter case),
// then ".files". "C:\Work\report1.htm" has "C:\Work\report1.files",
// "a.html" has "a.files".
QString reportPictureFolder(const QString &reportFile);

// Why reading or writing `path` through `file` failed, in words the user
// can act on: the missing file or folder, a name too long, a link to nothing,
// the missing rights, a full disk.
// The system's own text (in English) only where none of these fits. The
// caller's message names the file; only a folder is named here.
QString fileErrorText(const QFileDevice &file, const QString &path, bool writing);

} // namespace tarnvel
