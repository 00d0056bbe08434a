#include "analysis/scheme_inputs.h"

#include "analysis/calculation.h"

#include "store/database.h"
#include "store/numbers.h"

#include <algorithm>
#include <map>

namespace tarnvel {

namespace {

double numberOf(const QVariant &value) { return value.isNull() ? 0.0 : value.toDouble(); }

bool isNumber(const QVariant &value)
{
    return value.typeId() == QMetaType::LongLong || value.typeId() == QMetaType::Double;
}

// A coefficient as the bearing computation takes it, in single precision.
float coefficientOf(const QVariant &value) { return bearingCoefficient(SqlNum(numberOf(value))); }

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

// A stored value as ORDER BY and GROUP BY take it: empty values first, then
// numbers by value (1 and 1.0 alike), then texts.
struct StoredKey
{
    int rank = 0;
    double number = 0;
    QString text;

    explicit StoredKey(const QVariant &value)
        : rank(value.isNull() ? 0 : isNumber(value) ? 1 : 2)
        , number(rank == 1 ? value.toDouble() : 0.0)
        , text(rank == 2 ? value.toString() : QString())
    {
    }
    bool operator<(const StoredKey &other) const
    {
        if (rank != other.rank)
            return rank < other.rank;
        if (number != other.number)
            return number < other.number;
        return text < other.text;
    }
    bool operator==(const StoredKey &other) const
    {
        return rank == other.rank && number == other.number && text == other.text;
    }
};

// Everything the calculation takes of the loads, from one reading of the
// table: each point's modes, the kind its loads were entered in, the torque
// rows of the force unit's kind and the shaft's modes.
void readLoads(Database &db, SchemeInputs &in, const QHash<qint64, qsizetype> &index, QHash<int, QHash<int, double>> values)
{
    enum Column { PointID, RezNumber, Speed, Coeff, PowerID, Power, PowerNumber, RowId };
    Recordset rows = db.openRecordset(QStringLiteral("SELECT PointID, RezNumber, Speed, Coeff, PowerID, Power, PowerNumber, "
                                                     "rowid FROM Powers ORDER BY PointID, RezNumber, Speed, Coeff, rowid"));
    const QHash<qint64, QVector<ModeCells>> modes = modeCellsOf(rows);
    for (auto it = modes.cbegin(); it != modes.cend(); ++it) {
        const auto at = index.constFind(it.key());
        if (at != index.constEnd())
            in.points[*at].modes = it.value();
    }

    struct Row
    {
        StoredKey point;
        StoredKey rez;
        qint64 pointId = 0; // for a point of the scheme
        int rezNumber = 0;
        double speed = 0, coeff = 0, power = 0;
        std::optional<double> kind;
        int entered = 0;
        qint64 rowid = 0;
    };
    QVector<Row> all;
    all.reserve(rows.rowCount());
    for (rows.first(); !rows.isAfterLast(); rows.next()) {
        const QVariant &kind = rows.value(PowerID);
        all.append({ StoredKey(rows.value(PointID)), StoredKey(rows.value(RezNumber)), rows.value(PointID).toLongLong(),
            rows.value(RezNumber).toInt(), rows.value(Speed).toDouble(), rows.value(Coeff).toDouble(),
            rows.value(Power).toDouble(), isNumber(kind) ? std::optional<double>(kind.toDouble()) : std::nullopt,
            wholeNumber(rows.value(PowerNumber).toDouble()), rows.value(RowId).toLongLong() });
    }

    // The kind a point's loads were entered in: that of its first row by mode
    // number and the order written.
    QHash<qint64, std::pair<const Row *, const Row *>> first; // by point: the row, and the first of its modes
    for (const Row &row : std::as_const(all)) {
        if (row.point.rank != 1)
            continue;
        auto &[best, mode] = first[row.pointId];
        if (!mode)
            mode = &row;
        if (row.rez == mode->rez && (!best || row.rowid < best->rowid))
            best = &row;
    }
    for (auto it = first.cbegin(); it != first.cend(); ++it) {
        const auto at = index.constFind(it.key());
        if (at != index.constEnd())
            in.points[*at].loadKind = it->first->entered;
    }

    // The torque rows of the force unit's kind, by point in mode order.
    MeshInputReader::Stored mesh;
    const QVariant unit = in.common.value(4);
    const QVariant rotation = in.common.value(38);
    mesh.unit = unit.isNull() ? std::nullopt : std::optional<double>(unit.toDouble());
    mesh.rotation = rotation.isNull() ? std::nullopt : std::optional<double>(rotation.toDouble());
    if (const std::optional<int> kind = MeshInputReader::torqueKind(mesh.unit)) {
        QVector<const Row *> torques;
        for (const Row &row : std::as_const(all)) {
            if (row.kind == *kind)
                torques.append(&row);
        }
        std::stable_sort(torques.begin(), torques.end(), [](const Row *a, const Row *b) {
            if (a->point != b->point)
                return a->point < b->point;
            if (a->rez != b->rez)
                return a->rez < b->rez;
            return a->rowid < b->rowid;
        });
        for (const Row *row : std::as_const(torques)) {
            mesh.torques[static_cast<int>(row->pointId)].append(
                MeshInputReader::TorqueRow { row->power, { row->speed, row->coeff } });
        }
    }
    mesh.values = std::move(values);
    mesh.choices = in.choices;
    const MeshInputReader reader(std::move(mesh));
    for (PointInputs &point : in.points) {
        if (point.group == 3 || point.group == 4)
            point.mesh = reader.read(static_cast<int>(point.pointId), point.group);
    }

    // Each mode's speed and coefficient are those of its row of the lowest
    // point number, the reference's (a row of no point counts last), so that
    // a store whose points disagree on a mode still gives one speed per mode.
    QHash<qint64, double> numbers;
    for (const PointInputs &point : std::as_const(in.points))
        numbers.insert(point.pointId, point.number);
    std::map<StoredKey, std::pair<std::pair<double, qint64>, const Row *>> byMode; // mode → ((reference, rowid), row)
    for (const Row &row : std::as_const(all)) {
        const auto number = row.point.rank == 1 ? numbers.constFind(row.pointId) : numbers.constEnd();
        const std::pair<double, qint64> rank { number == numbers.constEnd() ? 9E300 : *number, row.rowid };
        const auto [at, added] = byMode.try_emplace(row.rez, rank, &row);
        if (!added && rank < at->second.first)
            at->second = { rank, &row };
    }
    int last = 0;
    for (const auto &[rez, reference] : byMode) {
        const Row &row = *reference.second;
        if (!in.shaftModes.isEmpty() && row.rezNumber == last)
            continue;
        last = row.rezNumber;
        in.shaftModes.append({ row.speed, row.coeff });
    }
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

    // The parameters as the mesh computation reads them: a number as its
    // statement text reads back, an empty value as 0; of equal rows the last.
    QHash<int, QHash<int, double>> values;
    for (const PointInputs &point : std::as_const(in.points)) {
        QHash<int, double> &own = values[static_cast<int>(point.pointId)];
        for (const StoredParameter &row : point.parameters)
            own.insert(row.id, row.value.isNull() ? 0.0 : storedNumber(row.value.toDouble()));
    }
    readLoads(db, in, index, std::move(values));
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
        b.C = leadingNumber(catalogueText(support.C));
        b.C0 = leadingNumber(catalogueText(support.C0));
        b.alpha = leadingNumber(catalogueText(support.alpha));
        const QString quality = catalogueText(support.quality);
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
    readSupports(db, in);
    in.shaft = readShaftInputs(db);
    return in;
}

} // namespace tarnvel
