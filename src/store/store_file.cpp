#include "store/store_file.h"

#include "store/numbers.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

// The catalogue is compiled into the static core library; its resources
// must be registered by hand.
static void registerCatalogue()
{
    Q_INIT_RESOURCE(catalogue);
}

namespace tarnvel {

namespace {

QString resourceText(const QString &name)
{
    static const bool registered = (registerCatalogue(), true);
    Q_UNUSED(registered);
    QFile file(QStringLiteral(":/store/") + name);
    if (!file.open(QIODevice::ReadOnly))
        throw StoreError(QStringLiteral("Нет встроенного ресурса %1").arg(name));
    return QString::fromUtf8(file.readAll());
}

// One CSV line into fields; fields may be quoted with doubled inner quotes.
QStringList csvFields(const QString &line)
{
    QStringList fields;
    QString field;
    bool quoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line.at(i);
        if (quoted) {
            if (c == QLatin1Char('"')) {
                if (i + 1 < line.size() && line.at(i + 1) == QLatin1Char('"')) {
                    field += c;
                    ++i;
                } else {
                    quoted = false;
                }
            } else {
                field += c;
            }
        } else if (c == QLatin1Char('"')) {
            quoted = true;
        } else if (c == QLatin1Char(',')) {
            fields << field;
            field.clear();
        } else {
            field += c;
        }
    }
    fields << field;
    return fields;
}

int bearingTip(const QString &kind)
{
    if (kind == QLatin1String("roller_radial"))
        return 1;
    if (kind == QLatin1String("ball_radial"))
        return 2;
    if (kind == QLatin1String("ball_angular"))
        return 3;
    throw StoreError(QStringLiteral("Неизвестный тип подшипника в каталоге: %1").arg(kind));
}

QString sqlText(const QString &text)
{
    QString quoted = text;
    quoted.replace(QLatin1Char('\''), QStringLiteral("''"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

void loadBearings(Database &db)
{
    const QStringList lines = resourceText(QStringLiteral("bearings.csv")).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    const QStringList header = csvFields(lines.value(0).trimmed());
    auto column = [&header](const char *name) {
        const qsizetype index = header.indexOf(QLatin1String(name));
        if (index < 0)
            throw StoreError(QStringLiteral("В каталоге подшипников нет столбца %1").arg(QLatin1String(name)));
        return index;
    };
    const qsizetype kind = column("kind"), designation = column("designation"), d = column("d"), D = column("D"),
                    B = column("B"), C = column("C_N"), C0 = column("C0_N"), alpha = column("alpha_deg");
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QStringList f = csvFields(lines.at(i).trimmed());
        if (f.size() < header.size())
            throw StoreError(QStringLiteral("Неполная строка каталога подшипников: %1").arg(lines.at(i)));
        // Ratings are kept in newtons, as published. Standard-quality bearings
        // have a quality coefficient of 1.
        db.execute(QStringLiteral("INSERT INTO Bearings (`Number`, di, de, b, C, C0, Alfa, Tkah, TipID) "
                                  "VALUES (%1, %2, %3, %4, %5, %6, %7, 1, %8)")
                       .arg(sqlText(f.at(designation)), SqlNum(f.at(d)), SqlNum(f.at(D)), SqlNum(f.at(B)),
                            SqlNum(f.at(C)), SqlNum(f.at(C0)), SqlNum(f.at(alpha)))
                       .arg(bearingTip(f.at(kind))));
    }
}

void removeStoreFiles(const QString &path)
{
    QFile::remove(path);
    QFile::remove(path + QStringLiteral("-wal"));
    QFile::remove(path + QStringLiteral("-shm"));
}

} // namespace

QString storePath(const QString &directory)
{
    return QDir(directory).filePath(QStringLiteral("TarnvelN.mdb"));
}

QString temporaryPath(const QString &directory)
{
    return QDir(directory).filePath(QStringLiteral("TarnvelN.tmp"));
}

const QStringList &storeTables()
{
    static const QStringList tables{
        QStringLiteral("Parameters"),       QStringLiteral("DefaultParameters"), QStringLiteral("Groups"),
        QStringLiteral("PowerClasses"),     QStringLiteral("BearingsTip"),       QStringLiteral("Bearings"),
        QStringLiteral("CommonParameters"), QStringLiteral("Points"),            QStringLiteral("PointParameters"),
        QStringLiteral("Powers"),           QStringLiteral("PointForses"),       QStringLiteral("Reakz"),
        QStringLiteral("BearRep")};
    return tables;
}

const QStringList &scenarioTables()
{
    static const QStringList tables{QStringLiteral("CommonParameters"), QStringLiteral("Points"),
                                    QStringLiteral("PointParameters"),  QStringLiteral("PointForses"),
                                    QStringLiteral("Powers"),           QStringLiteral("Reakz"),
                                    QStringLiteral("BearRep"),          QStringLiteral("RequiredLife")};
    return tables;
}

void createStore(const QString &path)
{
    try {
        std::unique_ptr<Database> db = Database::create(path);
        Database::Transaction transaction(*db);
        db->execute(resourceText(QStringLiteral("schema.sql")));
        db->execute(resourceText(QStringLiteral("catalogue.sql")));
        loadBearings(*db);
        transaction.commit();
        db->close();
    } catch (...) {
        removeStoreFiles(path);
        throw;
    }
}

std::unique_ptr<Database> openStore(const QString &path)
{
    std::unique_ptr<Database> db = Database::open(path, storeTables());
    // Stores made before the required bearing life was kept lack its table.
    db->execute(QStringLiteral("CREATE TABLE IF NOT EXISTS RequiredLife (Side INTEGER PRIMARY KEY, Lh DOUBLE)"));
    return db;
}

std::unique_ptr<Database> openOrCreateStore(const QString &directory)
{
    const QString path = storePath(directory);
    if (!QFileInfo::exists(path))
        createStore(path);
    return openStore(path);
}

void emptyScenario(Database &db)
{
    for (const QString &table : scenarioTables())
        db.execute(QStringLiteral("DELETE FROM ") + table);
}

void newProjectStore(std::unique_ptr<Database> &db, const QString &directory, const StatusText &status,
                     const Compactor &compact)
{
    status(QStringLiteral("Очистка базы данных..."));
    {
        Database::Transaction transaction(*db);
        emptyScenario(*db);
        transaction.commit();
    }
    compactStore(db, directory, status, compact);
}

void compactStore(std::unique_ptr<Database> &db, const QString &directory, const StatusText &status,
                  const Compactor &compact)
{
    const QString store = storePath(directory);
    const QString temporary = temporaryPath(directory);

    status(QStringLiteral("Сжатие базы данных..."));
    db->close();

    // Until the store file is deleted a failure only needs the store reopened.
    if (QFileInfo::exists(temporary))
        removeStoreFiles(temporary);
    if (!QFile::copy(store, temporary)) {
        db = openStore(store);
        throw StoreError(QStringLiteral("Не удалось скопировать базу данных в %1").arg(QDir::toNativeSeparators(temporary)));
    }
    if (!QFile::remove(store)) {
        removeStoreFiles(temporary);
        db = openStore(store);
        throw StoreError(QStringLiteral("Не удалось удалить файл %1 для сжатия").arg(QDir::toNativeSeparators(store)));
    }

    // From here on the temporary copy is the only copy until the compacted
    // store has been opened successfully.
    try {
        compact(temporary, store);
        status(QStringLiteral("Открытие базы данных..."));
        db = openStore(store);
    } catch (const StoreError &error) {
        removeStoreFiles(store);
        if (!QFile::rename(temporary, store) && !QFile::copy(temporary, store)) {
            throw StoreError(QStringLiteral("%1\nНе удалось восстановить базу данных. Её копия сохранена в файле %2")
                                 .arg(error.message(), QDir::toNativeSeparators(temporary)));
        }
        removeStoreFiles(temporary);
        db = openStore(store);
        throw StoreError(QStringLiteral("Не удалось сжать базу данных:\n%1\nБаза данных восстановлена из временной копии.")
                             .arg(error.message()));
    }
    removeStoreFiles(temporary);
}

} // namespace tarnvel
