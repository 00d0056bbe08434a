#pragma once

#include "store/database.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <atomic>
#include <csignal>
#include <memory>
#include <thread>

#include <sys/resource.h>

namespace tarnvel::test {

// A temporary store directory with a fresh store in it.
struct TempStore
{
    QTemporaryDir dir;
    QString path() const;
    QString directory() const { return dir.path(); }
    std::unique_ptr<Database> open() const;
};

// A file's bytes; none when it cannot be read.
QByteArray fileBytes(const QString &path);
// Writes bytes as the whole of a file (the test fails when it cannot).
void putFile(const QString &path, const QByteArray &bytes);
// Names in sorted order, for comparing folder listings.
QStringList sorted(QStringList names);

// The pictures a report page with an ASCII name shows: each <img src> as a
// path relative to the page's folder, the HTML and the percent escapes
// undone, in page order.
QStringList pageImageSources(const QByteArray &page);

// Count of rows a statement returns.
int countRows(Database &db, const QString &statement);

// The rows a statement returns, each its fields joined by blanks: numbers in
// statement form, "-" for an empty field.
QStringList rows(Database &db, const QString &statement);

// While it lives, no file of this process may grow past limit bytes: the
// write that would is refused by the system as on a full disk.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t limit);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;
    bool isSet() const { return m_set; }

private:
    rlimit m_old {};
    void (*m_handler)(int) = nullptr;
    bool m_set = false;
};

// While it lives, the user's home is a fresh empty folder: the user's data
// folder (QStandardPaths in test mode: ~/.qttest/share/...) lies inside it.
class FreshHome
{
public:
    FreshHome();
    ~FreshHome();
    FreshHome(const FreshHome &) = delete;
    FreshHome &operator=(const FreshHome &) = delete;
    QString path() const { return m_dir.path(); }

private:
    QTemporaryDir m_dir;
    QByteArray m_old;
    bool m_had = false;
};

// A named pipe at path for as long as the object lives. A reader that opens
// it is let go after a few seconds (a writer opens its end and closes it at
// once), so that code which waits forever on it fails a test instead of
// hanging it.
class TestFifo
{
public:
    explicit TestFifo(const QString &path);
    ~TestFifo();
    bool isValid() const { return m_valid; }
    // Whether a reader had to be let go.
    bool readerWaited() const { return m_released; }

private:
    QString m_path;
    bool m_valid = false;
    std::atomic<bool> m_done { false };
    std::atomic<bool> m_released { false };
    std::thread m_release;
};

} // namespace tarnvel::test
