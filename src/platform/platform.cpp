#include "platform/platform.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#if defined(Q_OS_WIN)
#include <qt_windows.h>
#else
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace tarnvel::platform {

#if defined(Q_OS_WIN)

namespace {

std::wstring wide(const QString &path)
{
    return QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()).toStdWString();
}

// A handle that reads nothing and locks nothing: enough to flush or identify.
HANDLE openForQuery(const QString &path, DWORD access)
{
    return ::CreateFileW(wide(path).c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

} // namespace

bool flushToDisk(const QString &path)
{
    // A folder's entries are written through by MoveFileEx below; only a
    // file has buffers of its own.
    if (QFileInfo(path).isDir())
        return true;
    const HANDLE file = openForQuery(path, GENERIC_WRITE);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    const bool flushed = ::FlushFileBuffers(file) != 0;
    ::CloseHandle(file);
    return flushed;
}

bool renameOver(const QString &from, const QString &to)
{
    return ::MoveFileExW(wide(from).c_str(), wide(to).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

bool sameFile(const QString &a, const QString &b)
{
    const auto identify = [](const QString &path, BY_HANDLE_FILE_INFORMATION *info) {
        const HANDLE file = openForQuery(path, 0);
        if (file == INVALID_HANDLE_VALUE)
            return false;
        const bool known = ::GetFileInformationByHandle(file, info) != 0;
        ::CloseHandle(file);
        return known;
    };
    BY_HANDLE_FILE_INFORMATION first {};
    BY_HANDLE_FILE_INFORMATION second {};
    return identify(a, &first) && identify(b, &second) && first.dwVolumeSerialNumber == second.dwVolumeSerialNumber
        && first.nFileIndexHigh == second.nFileIndexHigh && first.nFileIndexLow == second.nFileIndexLow;
}

bool processGone(qint64 id)
{
    if (id <= 0 || id > static_cast<qint64>(MAXDWORD))
        return false;
    const HANDLE process = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(id));
    if (!process)
        return ::GetLastError() == ERROR_INVALID_PARAMETER;
    DWORD status = 0;
    const bool ended = ::GetExitCodeProcess(process, &status) != 0 && status != STILL_ACTIVE;
    ::CloseHandle(process);
    return ended;
}

// The temporary folder and the data folder are the user's own profile's.
bool ownedByUser(const QFileInfo &)
{
    return true;
}

qint64 longestFileName(const QString &)
{
    return 255;
}

qint64 longestPath()
{
    return 32767;
}

bool displayMissing()
{
    return false;
}

#else

bool flushToDisk(const QString &path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY);
    if (fd < 0)
        return false;
    const bool flushed = ::fsync(fd) == 0;
    ::close(fd);
    return flushed;
}

bool renameOver(const QString &from, const QString &to)
{
    if (std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) != 0)
        return false;
    flushToDisk(QFileInfo(to).absolutePath());
    return true;
}

bool sameFile(const QString &a, const QString &b)
{
    struct stat first {};
    struct stat second {};
    return ::stat(QFile::encodeName(a).constData(), &first) == 0 && ::stat(QFile::encodeName(b).constData(), &second) == 0
        && first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

bool processGone(qint64 id)
{
    // A process of another user answers EPERM: it is there.
    if (id <= 0 || id > INT_MAX)
        return false;
    return ::kill(static_cast<pid_t>(id), 0) != 0 && errno == ESRCH;
}

bool ownedByUser(const QFileInfo &info)
{
    return info.ownerId() == ::getuid();
}

qint64 longestFileName(const QString &folder)
{
    const long limit = ::pathconf(QFile::encodeName(folder).constData(), _PC_NAME_MAX);
    return limit > 0 ? limit : 255;
}

qint64 longestPath()
{
    return PATH_MAX;
}

bool displayMissing()
{
#if defined(Q_OS_MACOS)
    return false;
#else
    return qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY")
        && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
#endif
}

#endif

} // namespace tarnvel::platform
