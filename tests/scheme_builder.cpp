#include "scheme_builder.h"

#include "store/numbers.h"

namespace tarnvel::test {

void SchemeBuilder::setCommon(int id, double value)
{
    schemeStore().execute(QStringLiteral("DELETE FROM CommonParameters WHERE ParameterID = %1").arg(id));
    schemeStore().execute(QStringLiteral("INSERT INTO CommonParameters (ParameterID, ParamValue) VALUES (%1, %2)")
                              .arg(id)
                              .arg(SqlNum(value)));
}

qint64 SchemeBuilder::addPoint(int number, int group, ParameterValues parameters)
{
    Database &db = schemeStore();
    db.execute(QStringLiteral("INSERT INTO Points (PointNumber, GroupID) VALUES (%1, %2)").arg(number).arg(group));
    const qint64 id = db.lastInsertId();
    for (const auto &[parameter, value] : parameters)
        db.execute(QStringLiteral("INSERT INTO PointParameters (PointID, ParameterID, ParValue) VALUES (%1, %2, %3)")
                       .arg(id)
                       .arg(parameter)
                       .arg(SqlNum(value)));
    return id;
}

qint64 SchemeBuilder::addFreeForce(int number, double x, double y, double z, double Fx, double Fy, double Fz)
{
    return addPoint(number, 2, { { 5, x }, { 6, y }, { 7, z }, { 8, Fx }, { 9, Fy }, { 10, Fz } });
}

qint64 SchemeBuilder::addSpurGear(int number, double z)
{
    return addPoint(number, 3,
        { { 11, 3 }, { 12, 20 }, { 13, 40 }, { 14, 0 }, { 15, 1 }, { 16, 0 }, { 17, 0 }, { 18, 1 }, { 19, 1 },
            { 20, 0 }, { 33, z } });
}

void SchemeBuilder::addPowers(qint64 point, int rez, double speed, double coeff, ParameterValues loads, int powerNumber)
{
    for (const auto &[kind, load] : loads)
        schemeStore().execute(
            QStringLiteral("INSERT INTO Powers (PointID, Power, Speed, Coeff, PowerID, PowerNumber, RezNumber) "
                           "VALUES (%1, %2, %3, %4, %5, %6, %7)")
                .arg(point)
                .arg(SqlNum(load), SqlNum(speed), SqlNum(coeff))
                .arg(kind)
                .arg(powerNumber)
                .arg(rez));
}

void SchemeBuilder::addEquivalentForces(qint64 point, double x, double y, double z, double Fx, double Fy, double Fz)
{
    const std::pair<int, double> values[] = { { 5, x }, { 6, y }, { 7, z }, { 46, Fx }, { 47, Fy }, { 48, Fz } };
    for (const auto &[parameter, value] : values)
        schemeStore().execute(QStringLiteral("INSERT INTO PointForses (PointID, ParameterID, ParameterValue, RezNumber) "
                                             "VALUES (%1, %2, %3, -1)")
                                  .arg(point)
                                  .arg(parameter)
                                  .arg(SqlNum(value)));
}

} // namespace tarnvel::test
