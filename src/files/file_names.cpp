#include "files/file_names.h"

#include <QDir>

#include <algorithm>

namespace tarnvel {

namespace {

// Names come from the panel with the platform's separators, and from scenario
// folders moved between systems with either; both end a directory.
qsizetype fileNameStart(const QString &path)
{
    return std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\'))) + 1;
}

bool endsWithSeparator(const QString &path)
{
    return path.endsWith(QLatin1Char('/')) || path.endsWith(QLatin1Char('\\'));
}

} // namespace

QString withoutOuterBlanks(const QString &text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text.at(begin) == QLatin1Char(' '))
        ++begin;
    while (end > begin && text.at(end - 1) == QLatin1Char(' '))
        --end;
    return text.mid(begin, end - begin);
}

QString composeTargetName(const QString &directory, const QString &typedName)
{
    const QString name = withoutOuterBlanks(typedName);
    if (directory.isEmpty() || endsWithSeparator(directory))
        return directory + name;
    return directory + QDir::separator() + name;
}

QString withExtension(const QString &name, const QString &extension)
{
    if (name.indexOf(extension, fileNameStart(name), Qt::CaseInsensitive) >= 0)
        return name;
    return name + extension;
}

QString scenarioFileName(const QString &directory, const QString &typedName)
{
    return withExtension(composeTargetName(directory, typedName), QStringLiteral(".tvd"));
}

QString reportFileName(const QString &directory, const QString &typedName)
{
    return withExtension(composeTargetName(directory, typedName), QStringLiteral(".htm"));
}

QString reportPictureFolder(const QString &reportFile)
{
    const qsizetype cut = reportFile.indexOf(QStringLiteral(".htm"), fileNameStart(reportFile), Qt::CaseInsensitive);
    return (cut >= 0 ? reportFile.left(cut) : reportFile) + QStringLiteral(".files");
}

} // namespace tarnvel
