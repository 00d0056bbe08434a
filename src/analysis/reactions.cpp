#include "analysis/reactions.h"

#include "store/database.h"
#include "store/numbers.h"

#include <algorithm>
#include <cmath>

namespace tarnvel {

namespace {

double numberOf(const QVariant &value) { return value.isNull() ? 0.0 : value.toDouble(); }

} // namespace

std::optional<Reactions> CalcReakz(const ForceArrays &forces, double L)
{
    if (L == 0.0 || !std::isfinite(L))
        return std::nullopt;

    // Moment balance about each support: S about the right one, T about the
    // left one; M is the couple of the off-axis axial forces.
    double Sx = 0, Sy = 0, Tx = 0, Ty = 0, Mx = 0, My = 0, A = 0;
    for (const PointForce &f : forces) {
        Sx += (L - f.z) * f.Fx;
        Sy += (L - f.z) * f.Fy;
        Tx += f.z * f.Fx;
        Ty += f.z * f.Fy;
        Mx += f.x * f.Fz;
        My += f.y * f.Fz;
        A += f.Fz;
    }

    const double k = -1.0 / L;
    Reactions r;
    r.R1x = k * (Sx + Mx);
    r.R1y = k * (Sy + My);
    r.R2x = k * (Tx - Mx);
    r.R2y = k * (Ty - My);
    r.R1 = std::sqrt(r.R1y * r.R1y + r.R1x * r.R1x);
    r.R2 = std::sqrt(r.R2y * r.R2y + r.R2x * r.R2x);
    r.Ra = -A;
    return r;
}

void writeReakz(Database &db, const Reactions &r)
{
    // Reakz holds either no rows or all seven: a half-written set would be
    // taken for valid reactions by the diagrams and the bearings.
    Database::Transaction transaction(db);
    db.execute(QStringLiteral("DELETE FROM Reakz"));
    const std::pair<int, double> rows[]
        = { { 39, r.R1x }, { 40, r.R1y }, { 41, r.R1 }, { 42, r.R2x }, { 43, r.R2y }, { 44, r.R2 }, { 45, r.Ra } };
    for (const auto &[id, value] : rows)
        db.execute(
            QStringLiteral("INSERT INTO Reakz (ParameterID, ParamValue) VALUES (%1, %2)").arg(id).arg(SqlNum(value)));
    transaction.commit();
}

std::optional<Reactions> readReakz(Database &db)
{
    double values[7] = {};
    for (int id = 39; id <= 45; ++id) {
        Recordset rs = db.openRecordset(QStringLiteral("SELECT ParamValue FROM Reakz WHERE ParameterID = %1").arg(id));
        if (rs.isBeforeFirst())
            return std::nullopt;
        values[id - 39] = numberOf(rs.field(QStringLiteral("ParamValue")));
    }
    return Reactions { values[0], values[1], values[2], values[3], values[4], values[5], values[6] };
}

} // namespace tarnvel
