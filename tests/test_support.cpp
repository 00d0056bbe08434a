#include "test_support.h"

#include "store/numbers.h"
#include "store/store_file.h"

namespace tarnvel::test {

QString TempStore::path() const
{
    return storePath(dir.path());
}

std::unique_ptr<Database> TempStore::open() const
{
    return openOrCreateStore(dir.path());
}

int countRows(Database &db, const QString &statement)
{
    return db.openRecordset(statement).rowCount();
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

} // namespace tarnvel::test
