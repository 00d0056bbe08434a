#include "analysis/scheme_inputs.h"

#include "store/database.h"
#include "store/numbers.h"

#include <algorithm>

namespace tarnvel {

namespace {

double numberOf(const QVariant &value) { return value.isNull() ? 0.0 : value.toDouble(); }

bool isNumber(const QVariant &value)
{
    return value.typeId() == QMetaType::LongLong || value.typeId() == QMetaType::Double;
}

// A coefficient as the bearing computation takes it, in single precision.
float coefficientOf(const QVariant &value) { return bearingCoefficient(SqlNum(numberOf(value))); }

QString catalogueNumber(const QVariant &value) { return value.isNull() ? QString() : SqlNum(value.toDouble()); }

void readCatalogueTexts(Database &db, SchemeInputs &in)
{
    Recordset parameters = db.openRecordset(QStringLiteral("SELECT ParameterID, Parameter, GroupID FROM `Parameters`"));
    for (; !parameters.isAfterLast(); parameters.next()) {
        const int id = parameters.value(0).toInt();
        in.captions.insert(id, parameters.value(1).toString());
        in.parameterGroups.insert(id, parameters.value(2).toInt());
    }

    // Choices by parameter and value; a value that is not a number is no choice.
    Recordset choices = db.openRecordset(QStringLiteral(
        "SELECT ParameterID, DefaultValue, DefaultText FROM DefaultParameters ORDER BY ParameterID, DefaultValue, rowid"));
    for (; !choices.isAfterLast(); choices.next()) {
        const QVariant &value = choices.value(1);
        const std::pair<int, double> key { choices.value(0).toInt(), value.toDouble() };
        if (isNumber(value) && !in.choices.contains(key))
            in.choices.insert(key, choices.value(2).toString());
    }

    Recordset loads = db.openRecordset(QStringLiteral("SELECT PowerID, PowerClass FROM PowerClasses"));
    for (; !loads.isAfterLast(); loads.next())
        in.loadCaptions.insert(loads.value(0).toInt(), loads.value(1).toString());
}

void readGeneralData(Database &db, SchemeInputs &in)
{
    Recordset common = db.openRecordset(QStringLiteral("SELECT ParameterID, ParamValue FROM CommonParameters ORDER BY rowid"));
    for (; !common.isAfterLast(); common.next()) {
        const int id = common.value(0).toInt();
        if (!in.common.contains(id))
            in.common.insert(id, common.value(1));
    }
    // Every general datum, stored or not: the calculation may set one (the
    // diagram axis) that the report then lists in its place.
    Recordset rows = db.openRecordset(
        QStringLiteral("SELECT `Parameters`.Parameter, `Parameters`.ParameterID, CommonParameters.ParamValue, "
                       "CommonParameters.rowid FROM `Parameters` LEFT JOIN CommonParameters ON "
                       "CommonParameters.ParameterID = `Parameters`.ParameterID WHERE `Parameters`.GroupID = 1 "
                       "ORDER BY `Parameters`.ParameterID, CommonParameters.rowid"));
    for (; !rows.isAfterLast(); rows.next()) {
        in.generalRows.append(
            { wholeNumber(rows.value(1).toDouble()), rows.value(0).toString(), rows.value(2), !rows.value(3).isNull() });
    }

    // The force unit's caption; any unit but kilogram-force is computed as
    // newtons and captioned so.
    const QVariant unit = in.common.value(4);
    const auto choice = isNumber(unit) ? in.choices.constFind({ 4, unit.toDouble() }) : in.choices.constEnd();
    in.unitCaption = choice != in.choices.constEnd() ? *choice : in.choices.value({ 4, 1.0 });
}

void readPoints(Database &db, SchemeInputs &in)
{
    Recordset points = db.openRecordset(
        QStringLiteral("SELECT Points.PointID, Points.PointNumber, Points.GroupID, Groups.`Group` FROM Points LEFT JOIN "
                       "Groups ON Points.GroupID = Groups.GroupID ORDER BY Points.PointNumber, Points.PointID"));
    QHash<qint64, qsizetype> index;
    for (; !points.isAfterLast(); points.next()) {
        PointInputs point;
        point.pointId = points.value(0).toLongLong();
        point.number = points.value(1).toInt();
        point.group = points.value(2).toInt();
        point.groupCaption = points.value(3).toString();
        index.insert(point.pointId, in.points.size());
        in.points.append(point);
    }
    if (in.points.isEmpty())
        return;

    Recordset parameters = db.openRecordset(
        QStringLiteral("SELECT PointID, ParameterID, ParValue FROM PointParameters ORDER BY PointID, ParameterID, rowid"));
    for (; !parameters.isAfterLast(); parameters.next()) {
        const auto at = index.constFind(parameters.value(0).toLongLong());
        if (at != index.constEnd())
            in.points[*at].parameters.append({ parameters.value(1).toInt(), parameters.value(2) });
    }

    const QHash<qint64, QVector<ModeCells>> modes = storedModeCells(db);
    for (auto it = modes.cbegin(); it != modes.cend(); ++it) {
        const auto at = index.constFind(it.key());
        if (at != index.constEnd())
            in.points[*at].modes = it.value();
    }

    // The kind a gear point's loads were entered in: that of its first row.
    Recordset kinds = db.openRecordset(
        QStringLiteral("SELECT Points.PointID, (SELECT PowerNumber FROM Powers WHERE Powers.PointID = Points.PointID "
                       "ORDER BY RezNumber, rowid LIMIT 1) AS Kind FROM Points"));
    for (; !kinds.isAfterLast(); kinds.next()) {
        const auto at = index.constFind(kinds.value(0).toLongLong());
        if (at != index.constEnd())
            in.points[*at].loadKind = wholeNumber(kinds.value(1).toDouble());
    }

    const MeshInputReader mesh(db);
    for (PointInputs &point : in.points) {
        if (point.group == 3 || point.group == 4)
            point.mesh = mesh.read(static_cast<int>(point.pointId), point.group);
    }
}

void readSupports(Database &db, SchemeInputs &in)
{
    Recordset rs = db.openRecordset(QStringLiteral(
        "SELECT BearRep.Side, BearRep.BearingID, BearRep.Kb, BearRep.Kt, BearRep.Kv, BearRep.RollRing, BearRep.Radial, "
        "BearRep.Osev, Bearings.BearingID, Bearings.`Number`, Bearings.de, Bearings.di, Bearings.b, Bearings.C, "
        "Bearings.C0, Bearings.Alfa, Bearings.Tkah, Bearings.TipID, BearingsTip.Tip, BearingsTip.TipID FROM BearRep "
        "LEFT JOIN Bearings ON Bearings.BearingID = BearRep.BearingID LEFT JOIN BearingsTip ON BearingsTip.TipID = "
        "Bearings.TipID ORDER BY BearRep.rowid"));
    std::array<bool, 2> seen {};
    for (; !rs.isAfterLast(); rs.next()) {
        const QVariant side = rs.value(0);
        if (!isNumber(side) || (side.toDouble() != 0 && side.toDouble() != 1))
            continue;
        const auto s = static_cast<std::size_t>(side.toInt());
        if (seen.at(s))
            continue; // the first row of a side is the one that counts
        seen.at(s) = true;
        SupportInputs &support = in.supports.at(s);
        support.stored = true;
        support.ring = std::clamp(rs.value(5).toInt(), 0, 2);
        support.Kb = rs.value(2);
        support.Kt = rs.value(3);
        support.Kv = rs.value(4);
        support.radial = rs.value(6);
        support.axial = rs.value(7);
        const qint64 bearingId = rs.value(1).toLongLong();
        if (bearingId == 0 || rs.value(8).isNull())
            continue;
        support.number = rs.value(9).toString();
        support.de = rs.value(10);
        support.di = rs.value(11);
        support.b = rs.value(12);
        support.C = rs.value(13);
        support.C0 = rs.value(14);
        support.alpha = rs.value(15);
        support.quality = rs.value(16);
        support.typeCaption = rs.value(18).toString();
        support.shown = !rs.value(19).isNull();

        BearingSettings b;
        b.side = static_cast<int>(s);
        b.bearingId = bearingId;
        b.typeCode = rs.value(17).toInt();
        // The values go the way the dialog's texts would take them.
        b.C = leadingNumber(catalogueNumber(support.C));
        b.C0 = leadingNumber(catalogueNumber(support.C0));
        b.alpha = leadingNumber(catalogueNumber(support.alpha));
        const QString quality = catalogueNumber(support.quality);
        b.Kk = bearingCoefficient(quality.isEmpty() ? QStringLiteral("1") : quality);
        b.Kb = coefficientOf(support.Kb);
        b.Kt = coefficientOf(support.Kt);
        b.ringIndex = support.ring;
        if (b.typeCode == bearingType::radialRoller) {
            b.takesRadial = true;
            b.takesAxial = false;
        } else {
            b.takesAxial = support.axial.toInt() != 0;
            b.takesRadial = support.radial.toInt() != 0;
            if (!b.takesAxial && !b.takesRadial)
                b.takesRadial = true;
        }
        support.settings = b;
    }

    Recordset required = db.openRecordset(QStringLiteral("SELECT Side, Lh FROM RequiredLife"));
    for (; !required.isAfterLast(); required.next()) {
        const int side = required.value(0).toInt();
        if ((side == 0 || side == 1) && !required.value(1).isNull())
            in.supports.at(static_cast<std::size_t>(side)).requiredLife = required.value(1).toDouble();
    }
}

} // namespace

double PointInputs::parameter(int parameterId) const
{
    double value = 0;
    for (const StoredParameter &row : parameters) {
        if (row.id == parameterId)
            value = numberOf(row.value);
    }
    return value;
}

double SchemeInputs::commonValue(int parameterId) const { return numberOf(common.value(parameterId)); }

int SchemeInputs::forceUnit() const { return wholeNumber(commonValue(4)) == 2 ? 2 : 1; }

QString SchemeInputs::caption(int parameterId) const
{
    const auto found = captions.constFind(parameterId);
    return found == captions.constEnd() ? QStringLiteral("%1 ID").arg(parameterId) : *found;
}

QVector<std::pair<int, QString>> SchemeInputs::groupCaptions(int groupId) const
{
    QVector<std::pair<int, QString>> rows;
    for (auto it = parameterGroups.cbegin(); it != parameterGroups.cend(); ++it) {
        if (it.value() == groupId)
            rows.append({ it.key(), captions.value(it.key()) });
    }
    std::sort(rows.begin(), rows.end(), [](const auto &a, const auto &b) { return a.first < b.first; });
    return rows;
}

const PointInputs *SchemeInputs::point(qint64 pointId) const
{
    for (const PointInputs &p : points) {
        if (p.pointId == pointId)
            return &p;
    }
    return nullptr;
}

SchemeInputs readScheme(Database &db)
{
    SchemeInputs in;
    readCatalogueTexts(db, in);
    readGeneralData(db, in);
    readPoints(db, in);
    in.shaftModes = shaftModes(db);
    readSupports(db, in);
    return in;
}

} // namespace tarnvel
