#include "store/store_location.h"

#include "store/database.h"
#include "store/store_file.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace tarnvel {

namespace {

// An installation puts its shared files at this path from its bin folder
// (CMake's GNUInstallDirs: "../share/tarnvel"); a build tree has none.
bool installationFolder(const QString &programDirectory)
{
    return QFileInfo(QDir(programDirectory).filePath(QStringLiteral(TARNVEL_INSTALLED_DATA))).isDir();
}

} // namespace

StoreLocation locateStore(const QString &programDirectory)
{
    const QFileInfo beside(storePath(programDirectory));
    if ((beside.isFile() && userMayWrite(beside))
        || (userMayWrite(QFileInfo(programDirectory)) && !installationFolder(programDirectory)))
        return StoreLocation::portable(programDirectory);
    StoreLocation installed;
    installed.mode = StoreLocation::Mode::Installed;
    installed.directory = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    if (beside.isFile())
        installed.seed = beside.absoluteFilePath();
    return installed;
}

void makeStoreDirectory(const StoreLocation &location)
{
    if (location.directory.isEmpty())
        throw StoreError(QStringLiteral("Не найдена папка данных пользователя: базу данных Tarnvel негде создать."));
    if (!QDir().mkpath(location.directory))
        throw StoreError(QStringLiteral("Не удалось создать папку %1 для базы данных Tarnvel.")
                             .arg(QDir::toNativeSeparators(QDir(location.directory).absolutePath())));
}

} // namespace tarnvel
