#include "store/store_file.h"

#include "platform/platform.h"
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

} // namespace

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

namespace {

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
                       .arg(quoteLiteral(f.at(designation)), SqlNum(f.at(d)), SqlNum(f.at(D)), SqlNum(f.at(B)),
                            SqlNum(f.at(C)), SqlNum(f.at(C0)), SqlNum(f.at(alpha)))
                       .arg(bearingTip(f.at(kind))));
    }
}

// The steels as the handbook tables give them: stresses and E in MPa, the
// largest blank in mm, empty or 0 for a blank of any size.
void loadShaftSteels(Database &db)
{
    const QStringList lines = resourceText(QStringLiteral("shaft_steels.csv")).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    const QStringList header = csvFields(lines.value(0).trimmed());
    auto column = [&header](const char *name) {
        const qsizetype index = header.indexOf(QLatin1String(name));
        if (index < 0)
            throw StoreError(QStringLiteral("В каталоге сталей нет столбца %1").arg(QLatin1String(name)));
        return index;
    };
    const qsizetype text[] = {column("grade"), column("treatment"), column("hardness"), column("source")};
    const qsizetype blank = column("blank_mm");
    const qsizetype number[] = {column("sigma_b_MPa"),  column("sigma_t_MPa"), column("tau_t_MPa"),
                                column("sigma_m1_MPa"), column("tau_m1_MPa"),  column("psi_tau"),
                                column("E_MPa")};
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QStringList f = csvFields(lines.at(i).trimmed());
        if (f.size() < header.size())
            throw StoreError(QStringLiteral("Неполная строка каталога сталей: %1").arg(lines.at(i)));
        auto toNumber = [&](const QString &field) {
            bool ok = false;
            const double value = field.trimmed().toDouble(&ok);
            if (!ok)
                throw StoreError(QStringLiteral("Не число в каталоге сталей: %1").arg(lines.at(i)));
            return value;
        };
        QVariantList values;
        for (qsizetype index : text)
            values << f.at(index).trimmed();
        values << (f.at(blank).trimmed().isEmpty() ? 0.0 : toNumber(f.at(blank)));
        for (qsizetype index : number)
            values << toNumber(f.at(index));
        db.execute(QStringLiteral("INSERT INTO ShaftSteels (Grade, Treatment, Hardness, Source, BlankDiameter, SigmaB, "
                                  "SigmaT, TauT, SigmaM1, TauM1, PsiTau, E, UserAdded) "
                                  "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, 0)"),
                   values);
    }
}

// Stores made before the steels were kept get the table and the catalogue's
// rows; nothing else of them is changed.
void addShaftSteelCatalogue(Database &db)
{
    if (db.hasTable(QStringLiteral("ShaftSteels")))
        return;
    Database::Transaction transaction(db);
    db.execute(resourceText(QStringLiteral("shaft_steels.sql")));
    loadShaftSteels(db);
    transaction.commit();
}

void removeStoreFiles(const QString &path)
{
    QFile::remove(path);
    QFile::remove(path + QStringLiteral("-wal"));
    QFile::remove(path + QStringLiteral("-shm"));
}

// The columns of every table as the schema makes them: a store of an older
// or foreign make that lacks one is refused when it is opened, not at the
// first statement that needs the column.
const QHash<QString, QStringList> &storeColumns()
{
    static const QHash<QString, QStringList> columns = [] {
        QHash<QString, QStringList> result;
        std::unique_ptr<Database> db = Database::create(QStringLiteral(":memory:"));
        db->execute(resourceText(QStringLiteral("schema.sql")));
        for (const QString &table : storeTables()) {
            Recordset rs = db->openRecordset(QStringLiteral("SELECT name FROM pragma_table_info('%1')").arg(table));
            for (; !rs.isAfterLast(); rs.next())
                result[table] << rs.field(QStringLiteral("name")).toString();
        }
        return result;
    }();
    return columns;
}

// A store that cannot serve: missing, empty, not a database, damaged or
// without the store's tables. One that is merely locked or read-only can.
bool unusableStore(const QString &path)
{
    if (!QFileInfo(path).isFile())
        return true;
    try {
        Database::open(path, storeTables(), storeColumns())->close();
        return false;
    } catch (const StoreError &error) {
        return error.fault() == StoreError::Fault::NotAStore;
    }
}

// A temporary file left by a compaction that was interrupted. It is the only
// sound copy when the store itself did not survive; otherwise it is stale.
QString recoverFromTemporary(const QString &store, const QString &temporary)
{
    if (!QFileInfo::exists(temporary))
        return QString();
    if (unusableStore(store) && !unusableStore(temporary)) {
        // Whatever stood at the path is kept aside, not deleted: it may be
        // a file of the user's that only happened to bear the store's name.
        if (QFileInfo(store).size() > 0)
            platform::renameOver(store, store + QStringLiteral(".lost"));
        else
            QFile::remove(store);
        QFile::remove(store + QStringLiteral("-wal"));
        QFile::remove(store + QStringLiteral("-shm"));
        if (platform::renameOver(temporary, store)) {
            return QStringLiteral("Работа программы была прервана во время сжатия базы данных, и файл %1 оказался "
                                  "неполным или отсутствовал. База данных восстановлена из временной копии %2.")
                .arg(QDir::toNativeSeparators(store), QFileInfo(temporary).fileName());
        }
    }
    removeStoreFiles(temporary);
    return QString();
}

// An installation's first store, made from the store its program folder
// ships or was left with: the catalogue, bearings added to it included, is
// taken; the scenario and the results are the other user's and are not. The
// copy is made whole under a side name and renamed into place, so that a
// start that is stopped midway leaves no store that lacks the catalogue.
QString createStoreFromSeed(const QString &seed, const QString &path, Database::Durability durability)
{
    const QString staging = path + QStringLiteral(".seed");
    removeStoreFiles(staging);
    try {
        Database::snapshot(seed, staging, durability);
        std::unique_ptr<Database> db = openStore(staging, durability);
        {
            Database::Transaction transaction(*db);
            emptyScenario(*db);
            transaction.commit();
        }
        db->close();
        if (!platform::renameOver(staging, path))
            throw StoreError(QStringLiteral("Не удалось переименовать файл %1").arg(QDir::toNativeSeparators(staging)));
        return QString();
    } catch (const StoreError &error) {
        removeStoreFiles(staging);
        createStore(path, durability);
        return QStringLiteral("Каталог не взят из базы данных %1:\n%2\nБаза данных %3 создана со встроенным каталогом.")
            .arg(QDir::toNativeSeparators(seed), error.message(), QDir::toNativeSeparators(path));
    }
}

} // namespace

bool userMayWrite(const QFileInfo &info)
{
    constexpr QFile::Permissions anyWrite = QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther;
    return info.isWritable() && (info.permissions() & anyWrite);
}

QString storePath(const QString &directory)
{
    return QDir(directory).filePath(QStringLiteral("TarnvelN.mdb"));
}

QString temporaryPath(const QString &directory)
{
    return QDir(directory).filePath(QStringLiteral("TarnvelN.tmp"));
}

QString windowLockPath(const QString &directory)
{
    return QDir(directory).filePath(QStringLiteral("TarnvelN.lock"));
}

std::unique_ptr<QLockFile> claimStoreForWindow(const QString &directory)
{
    auto lock = std::make_unique<QLockFile>(windowLockPath(directory));
    // A window stays open for hours: only a dead owner makes a lock stale,
    // never its age.
    lock->setStaleLockTime(0);
    if (lock->tryLock(0))
        return lock;
    if (lock->error() == QLockFile::LockFailedError)
        throw StoreError(QStringLiteral("Tarnvel уже открыт с базой данных %1.\nС одной базой данных работает только "
                                        "одно окно программы: перейдите в уже открытое окно.")
                             .arg(QDir::toNativeSeparators(QFileInfo(storePath(directory)).absoluteFilePath())),
                         StoreError::Fault::InUse);
    return nullptr;
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
                                    QStringLiteral("BearRep"),          QStringLiteral("RequiredLife"),
                                    QStringLiteral("ShaftSegments"),    QStringLiteral("ShaftSettings")};
    return tables;
}

void createStore(const QString &path, Database::Durability durability)
{
    try {
        std::unique_ptr<Database> db = Database::create(path, durability);
        Database::Transaction transaction(*db);
        db->execute(resourceText(QStringLiteral("schema.sql")));
        db->execute(resourceText(QStringLiteral("catalogue.sql")));
        loadBearings(*db);
        addShaftSteelCatalogue(*db);
        transaction.commit();
        db->close();
    } catch (...) {
        removeStoreFiles(path);
        throw;
    }
}

std::unique_ptr<Database> openStore(const QString &path, Database::Durability durability)
{
    std::unique_ptr<Database> db = Database::open(path, storeTables(), storeColumns(), durability);
    db->execute(resourceText(QStringLiteral("indexes.sql")));
    // Stores made before the required bearing life was kept lack its table.
    if (!db->hasTable(QStringLiteral("RequiredLife")))
        db->execute(QStringLiteral("CREATE TABLE RequiredLife (Side INTEGER PRIMARY KEY, Lh DOUBLE)"));
    // … and those made before the shaft itself was checked, its steps and settings.
    if (!db->hasTable(QStringLiteral("ShaftSegments")))
        db->execute(QStringLiteral(
            "CREATE TABLE ShaftSegments (SegmentNo INTEGER PRIMARY KEY, Length DOUBLE, Outer DOUBLE, Bore DOUBLE)"));
    if (!db->hasTable(QStringLiteral("ShaftSettings")))
        db->execute(QStringLiteral("CREATE TABLE ShaftSettings (SettingID INTEGER PRIMARY KEY, Value DOUBLE)"));
    addShaftSteelCatalogue(*db);
    return db;
}

std::unique_ptr<Database> openOrCreateStore(const QString &directory, QString *notice, Database::Durability durability,
                                            const QString &seed)
{
    const QString path = storePath(directory);
    // The store lives beside its write-ahead log, so the folder must take new
    // files as well as the store itself taking changes.
    if (!userMayWrite(QFileInfo(directory)))
        throw StoreError(QStringLiteral("Папка %1 доступна только для чтения. Tarnvel хранит в ней базу данных и "
                                        "её рабочие файлы; разрешите запись в эту папку.")
                             .arg(QDir::toNativeSeparators(QDir(directory).absolutePath())));
    QString said = recoverFromTemporary(path, temporaryPath(directory));
    if (!QFileInfo::exists(path)) {
        if (seed.isEmpty())
            createStore(path, durability);
        else
            said = createStoreFromSeed(seed, path, durability);
    }
    if (notice)
        *notice = said;
    if (!userMayWrite(QFileInfo(path)))
        throw StoreError(QStringLiteral("Файл базы данных %1 доступен только для чтения. Разрешите запись в него.")
                             .arg(QDir::toNativeSeparators(path)));
    return openStore(path, durability);
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

    // The store file stays whole throughout: the compacted copy is written
    // beside it, flushed to the disk and only then renamed over it, so that
    // whenever the program is stopped the path holds either the old store
    // or the new one, and the copy is never the only one.
    status(QStringLiteral("Сжатие базы данных..."));
    removeStoreFiles(temporary);
    try {
        compact(store, temporary);
        if (!platform::flushToDisk(temporary))
            throw StoreError(QStringLiteral("Не удалось записать на диск файл %1").arg(QDir::toNativeSeparators(temporary)));
    } catch (const StoreError &error) {
        removeStoreFiles(temporary);
        throw StoreError(QStringLiteral("Не удалось сжать базу данных:\n%1\nБаза данных осталась прежней.").arg(error.message()));
    }

    db->close();
    // A log the engine could not fold back into the store belongs to the old
    // file; the new one must not be paired with it.
    if (QFileInfo::exists(store + QStringLiteral("-wal")) || !platform::renameOver(temporary, store)) {
        removeStoreFiles(temporary);
        db = openStore(store);
        throw StoreError(QStringLiteral("Не удалось заменить файл %1 сжатой копией. База данных осталась прежней.")
                             .arg(QDir::toNativeSeparators(store)));
    }
    status(QStringLiteral("Открытие базы данных..."));
    db = openStore(store);
}

} // namespace tarnvel
