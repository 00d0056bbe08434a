#pragma once

// A temporary project store with helpers that put a loading scheme into it the
// way the input dialogs and the mesh force command leave it.

#include "store/database.h"
#include "store/numbers.h"
#include "test_support.h"

#include <gtest/gtest.h>

namespace tarnvel::test {

class SchemeStore : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(store.dir.isValid());
        db = store.open();
    }

    void setCommon(int id, double value)
    {
        db->execute(QStringLiteral("DELETE FROM CommonParameters WHERE ParameterID = %1").arg(id));
        db->execute(QStringLiteral("INSERT INTO CommonParameters (ParameterID, ParamValue) VALUES (%1, %2)")
                        .arg(id)
                        .arg(SqlNum(value)));
    }

    qint64 addPoint(int number, int group)
    {
        db->execute(QStringLiteral("INSERT INTO Points (PointNumber, GroupID) VALUES (%1, %2)").arg(number).arg(group));
        return db->lastInsertId();
    }

    // A free-force point with its coordinates (5, 6, 7) and equivalent forces (8, 9, 10).
    qint64 addFreeForce(int number, double x, double y, double z, double Fx, double Fy, double Fz)
    {
        const qint64 id = addPoint(number, 2);
        const std::pair<int, double> values[] = { { 5, x }, { 6, y }, { 7, z }, { 8, Fx }, { 9, Fy }, { 10, Fz } };
        for (const auto &[parameter, value] : values)
            db->execute(
                QStringLiteral("INSERT INTO PointParameters (PointID, ParameterID, ParValue) VALUES (%1, %2, %3)")
                    .arg(id)
                    .arg(parameter)
                    .arg(SqlNum(value)));
        return id;
    }

    // The equivalent rows (RezNumber -1) the mesh force command writes for a gear point.
    void addEquivalentForces(qint64 pointId, double x, double y, double z, double Fx, double Fy, double Fz)
    {
        const std::pair<int, double> values[] = { { 5, x }, { 6, y }, { 7, z }, { 46, Fx }, { 47, Fy }, { 48, Fz } };
        for (const auto &[parameter, value] : values)
            db->execute(QStringLiteral("INSERT INTO PointForses (PointID, ParameterID, ParameterValue, RezNumber) "
                                       "VALUES (%1, %2, %3, -1)")
                            .arg(pointId)
                            .arg(parameter)
                            .arg(SqlNum(value)));
    }

    void addMode(qint64 pointId, int rez, double speed, double coeff)
    {
        db->execute(QStringLiteral("INSERT INTO Powers (PointID, Power, Speed, Coeff, PowerID, PowerNumber, RezNumber) "
                                   "VALUES (%1, 10, %2, %3, 4, 4, %4)")
                        .arg(pointId)
                        .arg(SqlNum(speed), SqlNum(coeff))
                        .arg(rez));
    }

    QVariant value(const QString &statement, const QString &field)
    {
        Recordset rs = db->openRecordset(statement);
        return rs.isBeforeFirst() ? QVariant() : rs.field(field);
    }

    TempStore store;
    std::unique_ptr<Database> db;
};

} // namespace tarnvel::test
