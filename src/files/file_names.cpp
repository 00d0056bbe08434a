#include "files/file_names.h"

#include <QDir>
#include <QFileDevice>
#include <QFileInfo>

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

QString fileErrorText(const QFileDevice &file, const QString &path, bool writing)
{
    const QFileInfo info(path);
    const QFileInfo folder(info.absolutePath());
    const QString folderName = QDir::toNativeSeparators(info.absolutePath());
    if (info.isDir())
        return QStringLiteral("Это папка, а не файл.");
    if (!folder.isDir())
        return QStringLiteral("Папка %1 не существует.").arg(folderName);
    if (!writing && !info.exists())
        return QStringLiteral("Файл не найден.");
    switch (file.error()) {
    case QFileDevice::OpenError:
    case QFileDevice::PermissionsError:
    case QFileDevice::RenameError:
    case QFileDevice::RemoveError:
        if (!writing)
            return QStringLiteral("Нет прав на чтение файла.");
        if (info.exists() && !info.isWritable())
            return QStringLiteral("Файл защищён от записи.");
        return QStringLiteral("Нет прав на запись в папку %1.").arg(folderName);
    case QFileDevice::ResourceError:
    case QFileDevice::WriteError:
        if (writing)
            return QStringLiteral("Не удалось записать файл: на диске нет места или он недоступен.");
        break;
    case QFileDevice::ReadError:
        return QStringLiteral("Не удалось прочитать файл: диск недоступен или файл повреждён.");
    default:
        break;
    }
    return QStringLiteral("Ошибка файла: ") + file.errorString();
}

} // namespace tarnvel
