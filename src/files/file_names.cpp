#include "files/file_names.h"

#include "platform/platform.h"

#include <QDir>
#include <QFileDevice>
#include <QFile>
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

// The system refuses a name longer than its folder's file system allows (255
// bytes on most), whatever the rights; the characters count as encoded.
bool nameTooLong(const QFileInfo &info)
{
    const QByteArray name = QFile::encodeName(info.fileName());
    const QByteArray path = QFile::encodeName(info.absoluteFilePath());
    return name.size() > platform::longestFileName(info.absolutePath()) || path.size() >= platform::longestPath();
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
    if (nameTooLong(info))
        return QStringLiteral("Слишком длинное имя файла.");
    // A link whose target is gone: writing through it needs the target's folder.
    if (info.isSymLink() && !info.exists())
        return QStringLiteral("Файл - символическая ссылка на несуществующий файл %1.")
            .arg(QDir::toNativeSeparators(info.symLinkTarget()));
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
        if (writing)
            return QStringLiteral("Не удалось записать файл: нет места на диске.");
        break;
    case QFileDevice::WriteError:
        if (writing)
            return QStringLiteral("Не удалось записать файл: диск недоступен.");
        break;
    case QFileDevice::NoError:
        // A write that stopped short without an error: the file reached the
        // size the system allows it.
        if (writing)
            return QStringLiteral("Файл записан не полностью: диск недоступен или файл слишком велик.");
        break;
    case QFileDevice::ReadError:
        return QStringLiteral("Не удалось прочитать файл: диск недоступен или файл повреждён.");
    default:
        break;
    }
    return QStringLiteral("Ошибка файла: ") + file.errorString();
}

} // namespace tarnvel
