#include "scheme_generator.h"

#include "scheme/load_modes.h"
#include "store/database.h"
#include "store/numbers.h"

#include <QString>

namespace tarnvel {

namespace {

void insertParameter(Database &db, qint64 pointId, int parameter, double value)
{
    db.execute(QStringLiteral("INSERT INTO PointParameters (PointID, ParameterID, ParValue) VALUES (%1, %2, %3)")
                   .arg(pointId)
                   .arg(parameter)
                   .arg(SqlNum(value)));
}

void insertPower(Database &db, qint64 pointId, double power, double speed, double coeff, int powerId, int powerNumber, int mode)
{
    db.execute(QStringLiteral("INSERT INTO Powers (PointID, Power, Speed, Coeff, PowerID, PowerNumber, RezNumber) VALUES (%1, %2, %3, %4, %5, %6, %7)")
                   .arg(pointId)
                   .arg(SqlNum(power), SqlNum(speed), SqlNum(coeff))
                   .arg(powerId)
                   .arg(powerNumber)
                   .arg(mode));
}

} // namespace

void buildBenchScheme(Database &db, int points, int modes)
{
    Database::Transaction transaction(db);
    const std::pair<int, double> common[] = {{2, 400}, {4, 1}, {38, 1}, {53, 460}, {54, 30}};
    for (const auto &[id, value] : common)
        db.execute(QStringLiteral("INSERT INTO CommonParameters (ParameterID, ParamValue) VALUES (%1, %2)").arg(id).arg(SqlNum(value)));

    for (int n = 1; n <= points; ++n) {
        const int group = n % 3 == 1 ? 3 : n % 3 == 2 ? 4 : 2;
        db.execute(QStringLiteral("INSERT INTO Points (PointNumber, GroupID) VALUES (%1, %2)").arg(n).arg(group));
        const qint64 id = db.lastInsertId();
        const double z = -20 + 440.0 * n / (points + 1); // a few overhung at both ends
        const double angle = 30.0 * (n % 12); // round the shaft, as a drawing gives it
        if (group == 3) {
            const std::pair<int, double> values[] = {{11, 2 + n % 3}, {12, 20 + n % 7}, {13, 50 + n % 11}, {14, 12}, {15, 1},
                                                     {16, 0.2}, {17, -0.1}, {18, 1 + n % 2}, {19, 1 + (n / 2) % 2},
                                                     {20, angle}, {33, z}};
            for (const auto &[parameter, value] : values)
                insertParameter(db, id, parameter, value);
        } else if (group == 4) {
            const std::pair<int, double> values[] = {{21, 3}, {22, 17 + n % 5}, {23, 40 + n % 9}, {24, n % 2 ? 30 : 0}, {25, 1},
                                                     {26, 90}, {27, 22}, {28, 1 + n % 2}, {30, 1}, {31, 1 + n % 2},
                                                     {32, angle}, {34, z}};
            for (const auto &[parameter, value] : values)
                insertParameter(db, id, parameter, value);
        } else {
            const double values[] = {10, -5, z, 300.0 + n, -150.0 * (n % 4), 40};
            for (int i = 0; i < 6; ++i)
                insertParameter(db, id, 5 + i, values[i]);
        }
        for (int r = 1; r <= modes; ++r) {
            const double speed = 600 + 75.0 * r;
            const double coeff = 1.0 / modes;
            if (group == 2) {
                insertPower(db, id, 300.0 + n + r, speed, coeff, 5, 1, r);
                insertPower(db, id, -150.0 * (n % 4) + r, speed, coeff, 6, 1, r);
                insertPower(db, id, 40, speed, coeff, 7, 1, r);
            } else {
                ModeRecord record;
                ConvertLoad(4, 80.0 + 5 * r + n, speed, record);
                const double loads[] = {record.Load1, record.Load2, record.Load3, record.Load4};
                for (int k = 1; k <= 4; ++k)
                    insertPower(db, id, loads[k - 1], speed, coeff, k, 4, r);
            }
        }
    }

    // A radial ball bearing on the left, an angular-contact one taking the axial load on the right.
    Recordset left = db.openRecordset(QStringLiteral("SELECT BearingID FROM Bearings WHERE `Number` = '310'"));
    Recordset right = db.openRecordset(QStringLiteral("SELECT BearingID FROM Bearings WHERE `Number` = '46310'"));
    db.execute(QStringLiteral("INSERT INTO BearRep (Side, BearingID, Kb, Kt, RollRing, Radial, Osev) VALUES (0, %1, 1.3, 1, 0, 1, 0)")
                   .arg(left.field(QStringLiteral("BearingID")).toLongLong()));
    db.execute(QStringLiteral("INSERT INTO BearRep (Side, BearingID, Kb, Kt, RollRing, Radial, Osev) VALUES (1, %1, 1.3, 1, 0, 1, 1)")
                   .arg(right.field(QStringLiteral("BearingID")).toLongLong()));
    transaction.commit();
}

} // namespace tarnvel
