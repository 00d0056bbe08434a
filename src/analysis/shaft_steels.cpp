#include "analysis/shaft_steels.h"

#include "scheme/value_ranges.h"
#include "store/database.h"

namespace tarnvel {

namespace {

const QString kColumns = QStringLiteral("SteelID, Grade, Treatment, BlankDiameter, Hardness, SigmaB, SigmaT, TauT, "
                                        "SigmaM1, TauM1, PsiTau, E, Source");

// An empty field reads as 0: for the blank that is "any size".
ShaftSteel steelAt(const Recordset &rs)
{
    ShaftSteel steel;
    steel.id = rs.value(0).toLongLong();
    steel.grade = rs.value(1).toString();
    steel.treatment = rs.value(2).toString();
    steel.blankDiameter = rs.value(3).toDouble();
    steel.hardness = rs.value(4).toString();
    steel.sigmaB = rs.value(5).toDouble();
    steel.sigmaT = rs.value(6).toDouble();
    steel.tauT = rs.value(7).toDouble();
    steel.sigmaM1 = rs.value(8).toDouble();
    steel.tauM1 = rs.value(9).toDouble();
    steel.psiTau = rs.value(10).toDouble();
    steel.E = rs.value(11).toDouble();
    steel.source = rs.value(12).toString();
    return steel;
}

} // namespace

QVector<ShaftSteel> shaftSteels(Database &db)
{
    QVector<ShaftSteel> steels;
    Recordset rs
        = db.openRecordset(QStringLiteral("SELECT %1 FROM ShaftSteels ORDER BY UserAdded, SteelID").arg(kColumns));
    for (; !rs.isAfterLast(); rs.next())
        steels.append(steelAt(rs));
    return steels;
}

std::optional<ShaftSteel> shaftSteel(Database &db, qint64 steelId)
{
    const Recordset rs
        = db.openRecordset(QStringLiteral("SELECT %1 FROM ShaftSteels WHERE SteelID = %2").arg(kColumns).arg(steelId));
    if (rs.isBeforeFirst())
        return std::nullopt;
    return steelAt(rs);
}

bool isUserSteel(Database &db, qint64 steelId)
{
    const Recordset rs
        = db.openRecordset(QStringLiteral("SELECT UserAdded FROM ShaftSteels WHERE SteelID = %1").arg(steelId));
    return !rs.isBeforeFirst() && rs.value(0).toInt() != 0;
}

QString shaftSteelFault(const ShaftSteel &steel)
{
    if (steel.grade.trimmed().isEmpty())
        return QStringLiteral("Укажите марку стали.");
    const std::pair<SteelValue, double> values[] = { { SteelValue::SigmaB, steel.sigmaB },
        { SteelValue::SigmaT, steel.sigmaT }, { SteelValue::TauT, steel.tauT }, { SteelValue::SigmaM1, steel.sigmaM1 },
        { SteelValue::TauM1, steel.tauM1 }, { SteelValue::PsiTau, steel.psiTau }, { SteelValue::E, steel.E },
        { SteelValue::BlankDiameter, steel.blankDiameter } };
    for (const auto &[which, value] : values) {
        const ValueRange &range = steelRange(which);
        if (!range.contains(value))
            return outOfRangeMessage(range.name, range);
    }
    // A steel yields before it breaks; the other way round the columns were
    // typed into each other's fields.
    if (steel.sigmaT > steel.sigmaB)
        return QStringLiteral("Предел текучести σт не может быть больше предела прочности σв.");
    return QString();
}

qint64 addShaftSteel(Database &db, const ShaftSteel &steel)
{
    const QString fault = shaftSteelFault(steel);
    if (!fault.isEmpty())
        throw StoreError(fault);
    db.execute(QStringLiteral("INSERT INTO ShaftSteels (Grade, Treatment, BlankDiameter, Hardness, SigmaB, SigmaT, "
                              "TauT, SigmaM1, TauM1, PsiTau, E, Source, UserAdded) "
                              "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, 1)"),
        { steel.grade.trimmed(), steel.treatment.trimmed(), steel.blankDiameter, steel.hardness.trimmed(), steel.sigmaB,
            steel.sigmaT, steel.tauT, steel.sigmaM1, steel.tauM1, steel.psiTau, steel.E, steel.source.trimmed() });
    return db.lastInsertId();
}

void removeShaftSteel(Database &db, qint64 steelId)
{
    if (!shaftSteel(db, steelId))
        throw StoreError(QStringLiteral("Такой стали в каталоге нет."));
    if (!isUserSteel(db, steelId))
        throw StoreError(QStringLiteral("Сталь из справочного каталога удалить нельзя: удалить можно только "
                                        "добавленную пользователем."));
    db.execute(QStringLiteral("DELETE FROM ShaftSteels WHERE SteelID = %1 AND UserAdded <> 0").arg(steelId));
}

} // namespace tarnvel
