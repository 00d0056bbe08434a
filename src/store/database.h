#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>

#include <memory>
#include <stdexcept>

struct sqlite3;
struct sqlite3_stmt;

namespace tarnvel {

// Every failure of the project store (a statement the engine rejects, a file
// that cannot be opened, copied or compacted) arrives as this one error type.
class StoreError : public std::runtime_error
{
public:
    // NotAStore: the file is missing, empty, not a database, damaged or not
    // of the expected make, so nothing of it can be used. Locked: another
    // program holds it. InUse: another window of Tarnvel works on it.
    enum class Fault { Other, NotAStore, Locked, InUse };
    explicit StoreError(const QString &message, Fault fault = Fault::Other);
    QString message() const { return QString::fromUtf8(what()); }
    Fault fault() const { return m_fault; }

private:
    Fault m_fault;
};

// Text as an SQL string literal: in single quotes, each quote doubled. The
// one way user text (a designation, a path) enters a statement it cannot bind.
QString quoteLiteral(const QString &text);

// A read-only, fully materialised result set: the rows are fetched when it is
// opened, so it stays valid whatever statements run afterwards (a snapshot).
class Recordset
{
public:
    Recordset() = default;
    Recordset(QStringList columns, QVector<QVector<QVariant>> rows);

    bool isBeforeFirst() const { return m_rows.isEmpty(); }  // true for an empty set
    bool isAfterLast() const { return m_row >= m_rows.size(); }
    void next() { if (m_row < m_rows.size()) ++m_row; }
    void first() { m_row = 0; }
    void last() { m_row = m_rows.isEmpty() ? 0 : m_rows.size() - 1; }
    int rowCount() const { return static_cast<int>(m_rows.size()); }

    // Value of the current row's column by name or alias; a null QVariant for
    // an empty (NULL) field. Asking for a column the set does not have is a
    // programming error and throws.
    QVariant field(const QString &name) const;
    // The current row's value by column position, for loops over many rows
    // that need no look-up by name.
    const QVariant &value(int column) const { return m_rows.at(m_row).at(column); }
    bool hasField(const QString &name) const { return columnIndex(name) >= 0; }
    const QStringList &columns() const { return m_columns; }
    void close();

private:
    friend class Database;
    int columnIndex(const QString &name) const;

    QStringList m_columns;
    QVector<QVector<QVariant>> m_rows;
    int m_row = 0;
};

// The one connection to the project store. Statements are SQLite's own; the
// backtick and bracket quoting of names the older statements use is SQLite's
// too.
class Database
{
public:
    ~Database();
    Database(const Database &) = delete;
    Database &operator=(const Database &) = delete;

    // Opens an existing database. A file that is missing, is not a database,
    // is damaged, or lacks one of the required tables is refused with
    // StoreError, and nothing is written to it: the file is looked at through
    // a read-only connection first. So is a file another program holds
    // locked, and one whose tables lack a required column.
    // A throwaway store (the batch report's private copy) is never flushed
    // to the disk: a crash may leave it damaged, and nobody minds.
    enum class Durability { Durable, Throwaway };
    static std::unique_ptr<Database> open(const QString &path, const QStringList &requiredTables = {},
                                          const QHash<QString, QStringList> &requiredColumns = {},
                                          Durability durability = Durability::Durable);
    // Creates a new database file (which must not exist) with no tables.
    static std::unique_ptr<Database> create(const QString &path, Durability durability = Durability::Durable);
    // Writes a compacted copy of the database at source to destination, which
    // must not exist.
    static void compact(const QString &sourcePath, const QString &destinationPath);
    // Writes a consistent copy of the database at source, opened read-only,
    // to destination, which must not exist.
    static void snapshot(const QString &sourcePath, const QString &destinationPath,
                         Durability durability = Durability::Durable);

    QString path() const { return m_path; }
    bool isOpen() const { return m_db != nullptr; }
    void close();

    void execute(const QString &statement);
    // A statement with "?" parameters and their values, bound in order: a
    // double as a real, a text as text, a null as NULL, anything else as a
    // whole number.
    void execute(const QString &statement, const QVariantList &values);
    // Result sets are snapshots; forward-only ones behave the same.
    Recordset openRecordset(const QString &statement, bool forwardOnly = false);
    Recordset openTable(const QString &table);
    bool hasTable(const QString &table);
    qint64 lastInsertId() const;
    // What the store holds, as a value to compare: equal versions mean no
    // write of this connection that stood, and no commit of any other
    // connection, came between. A write rolled back leaves the version where
    // it was before the write.
    struct Version
    {
        quint64 connection = 0;
        qint64 ownChanges = 0; // rows changed through this connection and not rolled back
        qint64 dataVersion = 0; // the engine's count of other connections' commits
        bool operator==(const Version &) const = default;
    };
    Version version();

    // Nestable transaction: everything done while the guard lives is undone if
    // it is destroyed before commit(), also when an exception leaves the scope.
    class Transaction
    {
    public:
        explicit Transaction(Database &db);
        ~Transaction();
        Transaction(const Transaction &) = delete;
        Transaction &operator=(const Transaction &) = delete;
        void commit();

    private:
        Database &m_db;
        QString m_name;
        bool m_done = false;
        qint64 m_startChanges = 0; // the engine's change count when it began
        qint64 m_startRolledBack = 0;
    };

private:
    Database(sqlite3 *db, QString path);
    void configure(Durability durability);
    // A prepared statement for sql, from the cache when it was prepared
    // before; empty for a text that holds no statement. More than one
    // statement in the text is an error here (run() handles scripts).
    struct Prepared
    {
        ::sqlite3_stmt *statement = nullptr;
        bool single = true;
        bool cached = true; // kept for the next use, else finalized when finished
    };
    Prepared prepare(const QString &sql);
    void finished(const Prepared &prepared);
    void forgetStatements();
    void run(const QString &sql);
    Recordset query(const QString &sql);
    [[noreturn]] void fail(const QString &context) const;
    [[noreturn]] void failStatement(const QString &statement) const;

    sqlite3 *m_db = nullptr;
    QString m_path;
    quint64 m_identity = 0;
    int m_savepointDepth = 0;
    qint64 m_rolledBack = 0; // rows changed in transactions that were rolled back
    // The walk-through asks the same questions over and over: read-only
    // statements are kept prepared, all dropped when they grow too many.
    QHash<QString, ::sqlite3_stmt *> m_statements;
};

// The session the start-up opens and the shutdown closes: a name and a user
// for the log, and whether it is still open. SQLite needs no such session; the
// object keeps start-up and shutdown symmetric and testable.
struct Workspace
{
    QString name = QStringLiteral("TarnvelWorkSpace");
    QString user = QStringLiteral("Admin");
    bool open = true;
    void close() { open = false; }
};

} // namespace tarnvel
