#include "test_support.h"

#include "store/numbers.h"
#include "store/store_file.h"

#include <QFile>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tarnvel::test {

QString TempStore::path() const
{
    return storePath(dir.path());
}

std::unique_ptr<Database> TempStore::open() const
{
    return openOrCreateStore(dir.path());
}

FreshHome::FreshHome()
    : m_old(qgetenv("HOME"))
    , m_had(qEnvironmentVariableIsSet("HOME"))
{
    qputenv("HOME", QFile::encodeName(m_dir.path()));
}

FreshHome::~FreshHome()
{
    if (m_had)
        qputenv("HOME", m_old);
    else
        qunsetenv("HOME");
}

int countRows(Database &db, const QString &statement)
{
    return db.openRecordset(statement).rowCount();
}

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList sorted(QStringList names)
{
    names.sort();
    return names;
}

QStringList pageImageSources(const QByteArray &page)
{
    static const QRegularExpression source(QStringLiteral("<img src=\"([^\"]*)\""));
    QStringList sources;
    // Reports of the tests have ASCII names: Latin-1 reads their sources
    // whatever the page's code page.
    QRegularExpressionMatchIterator found = source.globalMatch(QString::fromLatin1(page));
    while (found.hasNext()) {
        QString text = found.next().captured(1);
        text.replace(QStringLiteral("&quot;"), QStringLiteral("\"")).replace(QStringLiteral("&lt;"), QStringLiteral("<"));
        text.replace(QStringLiteral("&gt;"), QStringLiteral(">")).replace(QStringLiteral("&amp;"), QStringLiteral("&"));
        sources << QString::fromLatin1(QByteArray::fromPercentEncoding(text.toLatin1()));
    }
    return sources;
}

void putFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QStringList rows(Database &db, const QString &statement)
{
    QStringList texts;
    for (Recordset rs = db.openRecordset(statement); !rs.isAfterLast(); rs.next()) {
        QStringList fields;
        for (const QString &column : rs.columns())
        {
            const QVariant value = rs.field(column);
            fields << (value.isNull() ? QStringLiteral("-") : value.typeId() == QMetaType::QString ? value.toString() : SqlNum(value));
        }
        texts << fields.join(QLatin1Char(' '));
    }
    return texts;
}

FileSizeLimit::FileSizeLimit(rlim_t limit)
{
    m_handler = std::signal(SIGXFSZ, SIG_IGN);
    ::getrlimit(RLIMIT_FSIZE, &m_old);
    rlimit limited = m_old;
    limited.rlim_cur = std::min(limit, m_old.rlim_max);
    m_set = ::setrlimit(RLIMIT_FSIZE, &limited) == 0;
}

FileSizeLimit::~FileSizeLimit()
{
    ::setrlimit(RLIMIT_FSIZE, &m_old);
    std::signal(SIGXFSZ, m_handler);
}

TestFifo::TestFifo(const QString &path)
    : m_path(path)
{
    const QByteArray name = QFile::encodeName(path);
    m_valid = ::mkfifo(name.constData(), 0600) == 0;
    if (!m_valid)
        return;
    m_release = std::thread([this, name] {
        for (int waited = 0; waited < 50 && !m_done; ++waited)
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        // Succeeds only while a reader waits in its open.
        while (!m_done) {
            const int fd = ::open(name.constData(), O_WRONLY | O_NONBLOCK);
            if (fd >= 0) {
                ::close(fd);
                m_released = true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
    });
}

TestFifo::~TestFifo()
{
    m_done = true;
    if (m_release.joinable())
        m_release.join();
    QFile::remove(m_path);
}

} // namespace tarnvel::test
