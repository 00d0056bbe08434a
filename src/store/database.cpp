#include "store/database.h"

#include "store/statement_literals.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QScopeGuard>
#include <QUrl>

#include <sqlite3.h>

#include <cctype>

namespace tarnvel {

StoreError::StoreError(const QString &message, Fault fault)
    : std::runtime_error(message.toStdString())
    , m_fault(fault)
{
}

// ---------------------------------------------------------------- Recordset

Recordset::Recordset(QStringList columns, QVector<QVector<QVariant>> rows)
    : m_columns(std::move(columns))
    , m_rows(std::move(rows))
{
}

int Recordset::columnIndex(const QString &name) const
{
    for (int i = 0; i < m_columns.size(); ++i) {
        if (m_columns.at(i).compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

QVariant Recordset::field(const QString &name) const
{
    const int column = columnIndex(name);
    if (column < 0)
        throw StoreError(QStringLiteral("Поле «%1» отсутствует в наборе записей").arg(name));
    if (isAfterLast())
        throw StoreError(QStringLiteral("Нет текущей записи (поле «%1»)").arg(name));
    return m_rows.at(m_row).at(column);
}

void Recordset::close()
{
    m_rows.clear();
    m_row = 0;
}

// ---------------------------------------------------------------- helpers

namespace {

QVariant columnValue(sqlite3_stmt *statement, int column)
{
    switch (sqlite3_column_type(statement, column)) {
    case SQLITE_INTEGER:
        return QVariant(static_cast<qlonglong>(sqlite3_column_int64(statement, column)));
    case SQLITE_FLOAT:
        return QVariant(sqlite3_column_double(statement, column));
    case SQLITE_TEXT:
        return QVariant(QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(statement, column)),
                                          sqlite3_column_bytes(statement, column)));
    case SQLITE_BLOB:
        return QVariant(QByteArray(static_cast<const char *>(sqlite3_column_blob(statement, column)),
                                   sqlite3_column_bytes(statement, column)));
    default:
        return QVariant();
    }
}

} // namespace

QString quoteLiteral(const QString &text)
{
    QString quoted = text;
    quoted.replace(QLatin1Char('\''), QStringLiteral("''"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

// ---------------------------------------------------------------- Database

Database::Database(sqlite3 *db, QString path)
    : m_db(db)
    , m_path(std::move(path))
{
    static quint64 connections = 0;
    m_identity = ++connections;
}

Database::~Database()
{
    close();
}

namespace {

// Runs one question on a bare connection; the first column of every row.
int probeRows(sqlite3 *handle, const char *sql, QStringList *rows)
{
    sqlite3_stmt *statement = nullptr;
    int rc = sqlite3_prepare_v2(handle, sql, -1, &statement, nullptr);
    if (rc != SQLITE_OK)
        return rc;
    while ((rc = sqlite3_step(statement)) == SQLITE_ROW) {
        const unsigned char *text = sqlite3_column_text(statement, 0);
        if (rows)
            *rows << QString::fromUtf8(text ? reinterpret_cast<const char *>(text) : "");
    }
    sqlite3_finalize(statement);
    return rc == SQLITE_DONE ? SQLITE_OK : rc;
}

bool isBusy(int rc)
{
    return (rc & 0xff) == SQLITE_BUSY || (rc & 0xff) == SQLITE_LOCKED;
}

QString lockedText(const QString &native)
{
    return QStringLiteral("База данных %1 занята другой программой. Закройте её и запустите Tarnvel снова.").arg(native);
}

// Is the file a database in write-ahead-log mode? Its header says so (the
// read and write format versions, bytes 18 and 19, are 2).
bool inLogMode(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray header = file.read(20);
    return header.size() == 20 && header.at(18) == 2 && header.at(19) == 2;
}

// How a file that is only read is opened so that nothing is written beside
// it. A read-only connection to a database in write-ahead-log mode makes the
// log and its index (-wal, -shm) when they are missing and, not being
// allowed to fold them back, leaves them behind; in a folder nobody may
// write it cannot even start. Without a log beside it the file alone is the
// whole database, so it is read as a file that does not change. With a log
// beside it (another program has it open, or one crashed) the committed rows
// may still be in the log, and only a reading connection sees them: that
// connection adds nothing that is not already there.
QString untouchedReading(const QString &path)
{
    if (inLogMode(path) && !QFileInfo::exists(path + QStringLiteral("-wal")))
        return QStringLiteral("immutable=1");
    return QStringLiteral("mode=ro");
}

// A connection by URI that reads path as the query (mode=ro, immutable=1) says.
int openForReading(const QString &path, const QString &query, sqlite3 **handle)
{
    QUrl url = QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath());
    url.setQuery(query);
    return sqlite3_open_v2(url.toString(QUrl::FullyEncoded).toUtf8().constData(), handle,
                           SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, nullptr);
}

// A reading connection that failed for want of writing (the log's index
// could not be made or recovered).
bool neededToWrite(int rc)
{
    return (rc & 0xff) == SQLITE_READONLY || (rc & 0xff) == SQLITE_CANTOPEN;
}

// The verdict on a file before anything may write to it, read without
// writing anything (see untouchedReading): a database of another program,
// also one in write-ahead-log mode, is neither checkpointed nor converted by
// looking. A store whose log (or its index) was left behind by a crash
// cannot be read through a reading connection (recovering them is a write);
// its own file is then looked at alone, and true tells the caller to finish
// the check once it is open.
bool inspect(const QString &path, const QStringList &requiredTables, const QHash<QString, QStringList> &requiredColumns)
{
    const QString native = QDir::toNativeSeparators(path);
    if (QFileInfo(path).size() == 0)
        throw StoreError(QStringLiteral("Файл %1 пуст: это не база данных").arg(native), StoreError::Fault::NotAStore);
    sqlite3 *handle = nullptr;
    const auto closeProbe = qScopeGuard([&handle] { sqlite3_close_v2(handle); });
    const auto probe = [&](const QString &mode, QStringList *verdict) {
        sqlite3_close_v2(handle);
        handle = nullptr;
        int rc = openForReading(path, mode, &handle);
        if (rc == SQLITE_OK) {
            sqlite3_busy_timeout(handle, 300);
            rc = probeRows(handle, "PRAGMA quick_check", verdict);
        }
        return rc;
    };
    QStringList verdict;
    int rc = probe(untouchedReading(path), &verdict);
    const bool logLeftBehind = neededToWrite(rc);
    if (logLeftBehind)
        rc = probe(QStringLiteral("immutable=1"), nullptr);
    else if (rc == SQLITE_OK && verdict.value(0) != QLatin1String("ok"))
        throw StoreError(QStringLiteral("Файл %1 не является базой данных или повреждён (%2)")
                             .arg(native, verdict.join(QLatin1Char(' '))),
                         StoreError::Fault::NotAStore);
    if (isBusy(rc))
        throw StoreError(lockedText(native), StoreError::Fault::Locked);
    if (rc != SQLITE_OK) {
        const QString engine = handle ? QString::fromUtf8(sqlite3_errmsg(handle)) : QString();
        throw StoreError(QStringLiteral("Файл %1 не является базой данных или повреждён (%2)").arg(native, engine),
                         StoreError::Fault::NotAStore);
    }

    QStringList missing;
    for (const QString &table : requiredTables) {
        QStringList found;
        const QString sql = QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' AND name = %1 COLLATE NOCASE")
                                .arg(quoteLiteral(table));
        if (probeRows(handle, sql.toUtf8().constData(), &found) != SQLITE_OK || found.isEmpty())
            missing << table;
    }
    if (!missing.isEmpty())
        throw StoreError(QStringLiteral("Файл %1 не является базой данных Tarnvel (нет таблиц: %2)")
                             .arg(native, missing.join(QStringLiteral(", "))),
                         StoreError::Fault::NotAStore);
    for (auto table = requiredColumns.cbegin(); table != requiredColumns.cend(); ++table) {
        QStringList names;
        const QString sql = QStringLiteral("SELECT name FROM pragma_table_info(%1)").arg(quoteLiteral(table.key()));
        probeRows(handle, sql.toUtf8().constData(), &names);
        for (const QString &column : table.value()) {
            if (!names.contains(column, Qt::CaseInsensitive))
                throw StoreError(QStringLiteral("Файл %1 не подходит этой версии Tarnvel: в таблице %2 нет столбца %3")
                                     .arg(native, table.key(), column),
                                 StoreError::Fault::NotAStore);
        }
    }
    return logLeftBehind;
}

} // namespace

std::unique_ptr<Database> Database::open(const QString &path, const QStringList &requiredTables,
                                         const QHash<QString, QStringList> &requiredColumns, Durability durability)
{
    if (!QFileInfo(path).isFile())
        throw StoreError(QStringLiteral("Файл базы данных не найден: %1").arg(QDir::toNativeSeparators(path)),
                         StoreError::Fault::NotAStore);
    const bool checkWhenOpen = inspect(path, requiredTables, requiredColumns);

    sqlite3 *handle = nullptr;
    const int rc = sqlite3_open_v2(path.toUtf8().constData(), &handle, SQLITE_OPEN_READWRITE, nullptr);
    std::unique_ptr<Database> db(new Database(handle, path));
    if (rc != SQLITE_OK)
        db->fail(QStringLiteral("Не удалось открыть файл %1").arg(QDir::toNativeSeparators(path)));
    try {
        db->configure(durability);
    } catch (const StoreError &) {
        const int code = sqlite3_extended_errcode(db->m_db);
        db->close();
        if (isBusy(code))
            throw StoreError(lockedText(QDir::toNativeSeparators(path)), StoreError::Fault::Locked);
        throw;
    }
    if (checkWhenOpen) {
        const Recordset check = db->query(QStringLiteral("PRAGMA quick_check"));
        const QString verdict = check.isBeforeFirst() ? QString() : check.m_rows.first().value(0).toString();
        if (verdict != QLatin1String("ok")) {
            db->close();
            throw StoreError(QStringLiteral("Файл %1 повреждён (%2)").arg(QDir::toNativeSeparators(path), verdict),
                             StoreError::Fault::NotAStore);
        }
    }
    return db;
}

std::unique_ptr<Database> Database::create(const QString &path, Durability durability)
{
    if (QFileInfo::exists(path))
        throw StoreError(QStringLiteral("Файл уже существует: %1").arg(path));
    sqlite3 *handle = nullptr;
    const int rc = sqlite3_open_v2(path.toUtf8().constData(), &handle,
                                   SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    std::unique_ptr<Database> db(new Database(handle, path));
    if (rc != SQLITE_OK)
        db->fail(QStringLiteral("Не удалось создать файл %1").arg(path));
    db->configure(durability);
    return db;
}

void Database::configure(Durability durability)
{
    // Another program in the middle of writing is not waited for long: the
    // user is told at once that the file is taken.
    sqlite3_busy_timeout(m_db, 300);
    // The write-ahead log with normal syncing commits without waiting for the
    // disk and still never leaves a damaged file after a crash: an edit costs
    // well under a millisecond. Closing the store folds the log back in, so
    // between runs the store is the one file.
    if (durability == Durability::Throwaway)
        run(QStringLiteral("PRAGMA synchronous=OFF"));
    run(QStringLiteral("PRAGMA journal_mode=WAL"));
    if (durability == Durability::Durable)
        run(QStringLiteral("PRAGMA synchronous=NORMAL"));
    // A write lock held elsewhere shows now rather than at the first edit.
    run(QStringLiteral("BEGIN IMMEDIATE"));
    run(QStringLiteral("ROLLBACK"));
    sqlite3_busy_timeout(m_db, 2000);
}

void Database::close()
{
    if (m_db == nullptr)
        return;
    forgetStatements();
    sqlite3_close_v2(m_db);
    m_db = nullptr;
}

namespace {

// The faults a user can do something about, in Russian words; an empty text
// for the others, which are the program's own.
QString userFault(int code)
{
    switch (code & 0xff) {
    case SQLITE_FULL:
        return QStringLiteral("Нет места на диске: база данных не может записать изменения. Освободите место на диске "
                              "и повторите действие.");
    case SQLITE_READONLY:
        return QStringLiteral("Файл хранилища доступен только для чтения: изменения не записаны.");
    case SQLITE_PERM:
    case SQLITE_AUTH:
        return QStringLiteral("Нет прав доступа к файлу хранилища.");
    case SQLITE_IOERR:
        return QStringLiteral("Ошибка чтения или записи диска при работе с базой данных.");
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return QStringLiteral("База данных занята другой программой. Закройте её и повторите действие.");
    case SQLITE_CANTOPEN:
        return QStringLiteral("Не удалось открыть файл хранилища.");
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
        return QStringLiteral("Файл хранилища повреждён.");
    default:
        return QString();
    }
}

// The engine's text of the last failure: the user's own words for a fault
// the user can act on, the engine's words for the program's own faults.
QString engineErrorText(sqlite3 *db)
{
    if (!db)
        return QStringLiteral("нет соединения");
    const QString fault = userFault(sqlite3_errcode(db));
    return fault.isEmpty() ? QString::fromUtf8(sqlite3_errmsg(db)) : fault;
}

// The failure of a statement. A full disk or a store another program holds
// is not made clearer by the statement that met it, so the user is spared
// it; a statement the engine rejected is the program's fault, and its text
// is what finds it.
StoreError statementError(sqlite3 *db, const QString &statement)
{
    const int code = db ? sqlite3_errcode(db) : SQLITE_MISUSE;
    const QString fault = userFault(code);
    const StoreError::Fault kind = (code & 0xff) == SQLITE_BUSY || (code & 0xff) == SQLITE_LOCKED
        ? StoreError::Fault::Locked
        : StoreError::Fault::Other;
    if (!fault.isEmpty())
        return StoreError(fault, kind);
    return StoreError(engineErrorText(db) + QLatin1Char('\n') + statement, kind);
}

} // namespace

void Database::fail(const QString &context) const
{
    const QString engine = engineErrorText(m_db);
    throw StoreError(context.isEmpty() ? engine : engine + QLatin1Char('\n') + context);
}

void Database::failStatement(const QString &statement) const
{
    throw statementError(m_db, statement);
}

namespace {
constexpr int kCachedStatements = 1024;

bool onlyBlanks(const char *text, const char *end)
{
    for (; text < end; ++text) {
        if (!std::isspace(static_cast<unsigned char>(*text)) && *text != ';')
            return false;
    }
    return true;
}
} // namespace

Database::Prepared Database::prepare(const QString &sql)
{
    if (m_db == nullptr)
        throw StoreError(QStringLiteral("База данных закрыта\n") + sql);

    // The same statement with other values is prepared once and kept.
    const std::optional<SeparatedStatement> separated = separateLiterals(sql);
    if (separated) {
        sqlite3_stmt *statement = m_statements.value(separated->text);
        if (statement == nullptr) {
            const QByteArray utf8 = separated->text.toUtf8();
            const char *tail = nullptr;
            if (sqlite3_prepare_v3(m_db, utf8.constData(), static_cast<int>(utf8.size()), SQLITE_PREPARE_PERSISTENT,
                                   &statement, &tail)
                    == SQLITE_OK
                && statement != nullptr
                && (!onlyBlanks(tail, utf8.constData() + utf8.size())
                    || sqlite3_bind_parameter_count(statement) != separated->values.size())) {
                sqlite3_finalize(statement);
                statement = nullptr;
            }
            if (statement != nullptr) {
                if (m_statements.size() >= kCachedStatements)
                    forgetStatements();
                m_statements.insert(separated->text, statement);
            }
        }
        if (statement != nullptr) {
            sqlite3_clear_bindings(statement);
            int index = 0;
            for (const Literal &value : separated->values) {
                ++index;
                if (value.whole)
                    sqlite3_bind_int64(statement, index, value.integer);
                else
                    sqlite3_bind_double(statement, index, value.real);
            }
            return {statement, true};
        }
        // Whatever the engine makes of the statement, it says so about the
        // text as the program wrote it.
    }

    if (sqlite3_stmt *cached = m_statements.value(sql))
        return {cached, true};
    const QByteArray utf8 = sql.toUtf8();
    const char *tail = nullptr;
    sqlite3_stmt *statement = nullptr;
    if (sqlite3_prepare_v3(m_db, utf8.constData(), static_cast<int>(utf8.size()), SQLITE_PREPARE_PERSISTENT, &statement,
                           &tail)
        != SQLITE_OK)
        failStatement(sql);
    if (statement == nullptr)
        return {nullptr, true};
    if (!onlyBlanks(tail, utf8.constData() + utf8.size())) {
        sqlite3_finalize(statement);
        return {nullptr, false};
    }
    // Only questions come back as they stand; a change carries its values in
    // its text and is seldom written twice alike.
    if (!sqlite3_stmt_readonly(statement))
        return {statement, true, false};
    if (m_statements.size() >= kCachedStatements)
        forgetStatements();
    m_statements.insert(sql, statement);
    return {statement, true};
}

void Database::finished(const Prepared &prepared)
{
    if (prepared.cached)
        sqlite3_reset(prepared.statement);
    else
        sqlite3_finalize(prepared.statement);
}

void Database::forgetStatements()
{
    for (sqlite3_stmt *cached : std::as_const(m_statements))
        sqlite3_finalize(cached);
    m_statements.clear();
}

void Database::run(const QString &sql)
{
    const Prepared prepared = prepare(sql);
    if (prepared.single) {
        if (prepared.statement == nullptr)
            return;
        int rc;
        while ((rc = sqlite3_step(prepared.statement)) == SQLITE_ROW) {
        }
        if (rc != SQLITE_DONE) {
            const StoreError error = statementError(m_db, sql);
            finished(prepared);
            throw error;
        }
        finished(prepared);
        return;
    }

    // A script of several statements, run one after the other.
    const QByteArray utf8 = sql.toUtf8();
    const char *tail = utf8.constData();
    const char *end = tail + utf8.size();
    while (tail < end) {
        sqlite3_stmt *statement = nullptr;
        if (sqlite3_prepare_v2(m_db, tail, static_cast<int>(end - tail), &statement, &tail) != SQLITE_OK)
            failStatement(sql);
        if (statement == nullptr) // only blanks or a comment were left
            break;
        int rc;
        while ((rc = sqlite3_step(statement)) == SQLITE_ROW) {
        }
        if (rc != SQLITE_DONE) {
            const StoreError error = statementError(m_db, sql);
            sqlite3_finalize(statement);
            throw error;
        }
        sqlite3_finalize(statement);
    }
}

Recordset Database::query(const QString &sql)
{
    const Prepared prepared = prepare(sql);
    if (!prepared.single)
        throw StoreError(QStringLiteral("Запрос из нескольких операторов\n") + sql);
    sqlite3_stmt *statement = prepared.statement;
    if (statement == nullptr)
        return Recordset();
    const int columnCount = sqlite3_column_count(statement);
    QStringList columns;
    columns.reserve(columnCount);
    for (int c = 0; c < columnCount; ++c)
        columns << QString::fromUtf8(sqlite3_column_name(statement, c));
    QVector<QVector<QVariant>> rows;
    int rc;
    while ((rc = sqlite3_step(statement)) == SQLITE_ROW) {
        QVector<QVariant> row;
        row.reserve(columnCount);
        for (int c = 0; c < columnCount; ++c)
            row << columnValue(statement, c);
        rows << std::move(row);
    }
    if (rc != SQLITE_DONE) {
        const StoreError error = statementError(m_db, sql);
        finished(prepared);
        throw error;
    }
    finished(prepared);
    return Recordset(std::move(columns), std::move(rows));
}

void Database::execute(const QString &statement)
{
    run(statement);
}

void Database::execute(const QString &statement, const QVariantList &values)
{
    if (m_db == nullptr)
        throw StoreError(QStringLiteral("База данных закрыта\n") + statement);
    sqlite3_stmt *prepared = m_statements.value(statement);
    if (prepared == nullptr) {
        const QByteArray utf8 = statement.toUtf8();
        if (sqlite3_prepare_v3(m_db, utf8.constData(), static_cast<int>(utf8.size()), SQLITE_PREPARE_PERSISTENT, &prepared,
                               nullptr)
            != SQLITE_OK)
            failStatement(statement);
        if (m_statements.size() >= kCachedStatements)
            forgetStatements();
        m_statements.insert(statement, prepared);
    }
    sqlite3_clear_bindings(prepared);
    for (int i = 0; i < values.size(); ++i) {
        const QVariant &value = values.at(i);
        if (value.isNull())
            sqlite3_bind_null(prepared, i + 1);
        else if (value.typeId() == QMetaType::Double)
            sqlite3_bind_double(prepared, i + 1, value.toDouble());
        else if (value.typeId() == QMetaType::QString)
            sqlite3_bind_text(prepared, i + 1, value.toString().toUtf8().constData(), -1, SQLITE_TRANSIENT);
        else
            sqlite3_bind_int64(prepared, i + 1, value.toLongLong());
    }
    int rc;
    while ((rc = sqlite3_step(prepared)) == SQLITE_ROW) {
    }
    if (rc != SQLITE_DONE) {
        const StoreError error = statementError(m_db, statement);
        sqlite3_reset(prepared);
        throw error;
    }
    sqlite3_reset(prepared);
}

Recordset Database::openRecordset(const QString &statement, bool /*forwardOnly*/)
{
    return query(statement);
}

Recordset Database::openTable(const QString &table)
{
    QString quoted = table;
    quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return query(QStringLiteral("SELECT * FROM \"%1\"").arg(quoted));
}

bool Database::hasTable(const QString &table)
{
    Recordset rs = query(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' AND name = %1 COLLATE NOCASE")
                             .arg(quoteLiteral(table)));
    return !rs.isBeforeFirst();
}

Database::Version Database::version()
{
    if (!m_db)
        return {};
    const Recordset rs = query(QStringLiteral("PRAGMA data_version"));
    return Version { m_identity, sqlite3_total_changes64(m_db) - m_rolledBack, rs.isBeforeFirst() ? 0 : rs.value(0).toLongLong() };
}

qint64 Database::lastInsertId() const
{
    return m_db ? sqlite3_last_insert_rowid(m_db) : 0;
}

void Database::compact(const QString &sourcePath, const QString &destinationPath)
{
    if (QFileInfo::exists(destinationPath))
        throw StoreError(QStringLiteral("Файл уже существует: %1").arg(destinationPath));
    std::unique_ptr<Database> source = open(sourcePath);
    source->run(QStringLiteral("VACUUM INTO %1").arg(quoteLiteral(destinationPath)));
    source->close();
}

void Database::snapshot(const QString &sourcePath, const QString &destinationPath, Durability durability)
{
    if (QFileInfo::exists(destinationPath))
        throw StoreError(QStringLiteral("Файл уже существует: %1").arg(destinationPath));
    if (!QFileInfo(sourcePath).isFile())
        throw StoreError(QStringLiteral("Файл базы данных не найден: %1").arg(sourcePath));
    // The user's store may lie in a folder nobody may write, and a store that
    // is only read is left as it was: nothing is written beside it.
    int lastFailure = SQLITE_OK;
    const auto copyReading = [&](const QString &query) {
        QFile::remove(destinationPath);
        sqlite3 *handle = nullptr;
        const int rc = openForReading(sourcePath, query, &handle);
        std::unique_ptr<Database> source(new Database(handle, sourcePath));
        try {
            if (rc != SQLITE_OK)
                source->fail(QStringLiteral("Не удалось открыть файл %1").arg(sourcePath));
            sqlite3_busy_timeout(handle, 2000);
            // The copy is flushed as the source connection syncs.
            if (durability == Durability::Throwaway)
                source->run(QStringLiteral("PRAGMA synchronous=OFF"));
            source->run(QStringLiteral("VACUUM INTO %1").arg(quoteLiteral(destinationPath)));
        } catch (const StoreError &) {
            lastFailure = handle ? sqlite3_extended_errcode(handle) : rc;
            QFile::remove(destinationPath);
            throw;
        }
        source->close();
    };
    const QString reading = untouchedReading(sourcePath);
    if (reading == QLatin1String("immutable=1")) {
        // Read as a file that does not change, it must not have changed: a
        // program that opened it meanwhile and wrote to it makes the copy
        // one of a torn file, and then it is taken again the way that sees
        // that program's log.
        const QFileInfo before(sourcePath);
        copyReading(reading);
        const QFileInfo after(sourcePath);
        if (!QFileInfo::exists(sourcePath + QStringLiteral("-wal")) && after.size() == before.size()
            && after.lastModified() == before.lastModified())
            return;
        copyReading(QStringLiteral("mode=ro"));
        return;
    }
    try {
        copyReading(reading);
    } catch (const StoreError &) {
        // A log left behind by a crash that only a writer could recover: its
        // rows were never seen by anyone, and the store's own file is whole.
        if (!neededToWrite(lastFailure))
            throw;
        copyReading(QStringLiteral("immutable=1"));
    }
}

// ---------------------------------------------------------------- Transaction

Database::Transaction::Transaction(Database &db)
    : m_db(db)
    , m_name(QStringLiteral("tarnvel_%1").arg(++db.m_savepointDepth))
    , m_startChanges(db.m_db ? sqlite3_total_changes64(db.m_db) : 0)
    , m_startRolledBack(db.m_rolledBack)
{
    try {
        m_db.run(QStringLiteral("SAVEPOINT ") + m_name);
    } catch (...) {
        --m_db.m_savepointDepth;
        throw;
    }
}

void Database::Transaction::commit()
{
    if (m_done)
        return;
    m_db.run(QStringLiteral("RELEASE ") + m_name);
    m_done = true;
    --m_db.m_savepointDepth;
}

Database::Transaction::~Transaction()
{
    if (m_done)
        return;
    --m_db.m_savepointDepth;
    if (!m_db.isOpen())
        return;
    // What this transaction changed is undone: it no longer counts, except
    // for what a transaction inside it already took back.
    const qint64 changed = sqlite3_total_changes64(m_db.m_db) - m_startChanges;
    m_db.m_rolledBack += changed - (m_db.m_rolledBack - m_startRolledBack);
    try {
        m_db.run(QStringLiteral("ROLLBACK TO ") + m_name);
        m_db.run(QStringLiteral("RELEASE ") + m_name);
    } catch (const StoreError &) {
        // Nothing sensible is left to do in a destructor; the engine already
        // rolls back what it could not keep.
    }
}

} // namespace tarnvel
