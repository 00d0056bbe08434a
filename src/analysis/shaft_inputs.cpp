#include "analysis/shaft_inputs.h"

#include "analysis/bearing_life.h"
#include "analysis/shaft_steels.h"
#include "store/database.h"
#include "store/numbers.h"

#include <cmath>
#include <stdexcept>

namespace tarnvel {

namespace {

// The handbook the allowed values of a shaft's stiffness and strength are
// usually taken from in a gearbox design course.
const QString kDesignHandbook = QStringLiteral("Дунаев П.Ф., Леликов О.П. Конструирование узлов и деталей машин");

constexpr double kBallSlope = 0.005; // rad, radial and angular-contact ball bearings
constexpr double kRollerSlope = 0.0025; // rad, cylindrical roller bearings

ValueRange range(double min, double max, const QString &name, const QString &unit)
{
    return ValueRange { min, max, true, true, false, false, name, unit };
}

} // namespace

const QVector<ShaftSettingInfo> &shaftSettingInfos()
{
    static const QVector<ShaftSettingInfo> infos {
        { shaftSetting::peakFactor, QStringLiteral("Коэффициент перегрузки Kп"), QString(), 2.0,
            range(1, 10, QStringLiteral("Коэффициент перегрузки Kп"), QString()),
            QStringLiteral("отношение пикового момента к номинальному; %1, расчёт валов на статическую прочность")
                .arg(kDesignHandbook) },
        { shaftSetting::allowedBending, QStringLiteral("Допускаемое напряжение изгиба [σ]"), QStringLiteral("МПа"), 55,
            range(1, 1000, QStringLiteral("Допускаемое напряжение изгиба [σ]"), QStringLiteral("МПа")),
            QStringLiteral("[σ] = 50…60 МПа для сталей; Иванов М.Н. Детали машин, проектный расчёт валов") },
        { shaftSetting::requiredSafety, QStringLiteral("Требуемый запас статической прочности [Sт]"), QString(), 1.5,
            range(1, 10, QStringLiteral("Требуемый запас статической прочности [Sт]"), QString()),
            QStringLiteral("[Sт] = 1,3…2; %1, расчёт валов на статическую прочность").arg(kDesignHandbook) },
        { shaftSetting::slopeLeft, QStringLiteral("Допускаемый угол поворота в левой опоре [θ]"), QStringLiteral("рад"),
            kBallSlope, range(1e-5, 0.1, QStringLiteral("Допускаемый угол поворота в опоре [θ]"), QStringLiteral("рад")),
            QString() },
        { shaftSetting::slopeRight, QStringLiteral("Допускаемый угол поворота в правой опоре [θ]"), QStringLiteral("рад"),
            kBallSlope, range(1e-5, 0.1, QStringLiteral("Допускаемый угол поворота в опоре [θ]"), QStringLiteral("рад")),
            QString() },
        { shaftSetting::deflectionSpur, QStringLiteral("Допускаемый прогиб под цилиндрическим колесом [f], доля модуля"),
            QString(), 0.01, range(1e-4, 0.1, QStringLiteral("Допускаемый прогиб [f], доля модуля"), QString()),
            QStringLiteral("[f] = (0,01…0,03)·m; %1, расчёт валов на жёсткость").arg(kDesignHandbook) },
        { shaftSetting::deflectionBevel, QStringLiteral("Допускаемый прогиб под коническим колесом [f], доля модуля"),
            QString(), 0.005, range(1e-4, 0.1, QStringLiteral("Допускаемый прогиб [f], доля модуля"), QString()),
            QStringLiteral("[f] = (0,005…0,007)·m; %1, расчёт валов на жёсткость").arg(kDesignHandbook) },
    };
    return infos;
}

const ShaftSettingInfo *shaftSettingInfo(int id)
{
    for (const ShaftSettingInfo &info : shaftSettingInfos()) {
        if (info.id == id)
            return &info;
    }
    return nullptr;
}

double defaultAllowedSlope(int bearingType)
{
    return bearingType == bearingType::radialRoller ? kRollerSlope : kBallSlope;
}

QString allowedSlopeSource(int bearingType)
{
    const QString kind = bearingType == bearingType::radialRoller
        ? QStringLiteral("0,0025 рад для роликоподшипника с цилиндрическими роликами")
        : QStringLiteral("0,005 рад для шарикоподшипника");
    return QStringLiteral("%1; %2, допускаемые углы поворота в подшипниках").arg(kind, kDesignHandbook);
}

double ShaftInputs::setting(int id) const
{
    if (const auto found = settings.find(id); found != settings.end())
        return *found;
    const ShaftSettingInfo *info = shaftSettingInfo(id);
    return info ? info->defaultValue : 0.0;
}

double ShaftInputs::length() const
{
    double total = 0;
    for (const ShaftSegment &segment : segments)
        total += segment.length;
    return total;
}

ShaftInputs readShaftInputs(Database &db)
{
    ShaftInputs inputs;
    Recordset steps = db.openRecordset(
        QStringLiteral("SELECT Length, Outer, Bore FROM ShaftSegments ORDER BY SegmentNo"), true);
    for (; !steps.isAfterLast(); steps.next())
        inputs.segments.append({ steps.value(0).toDouble(), steps.value(1).toDouble(), steps.value(2).toDouble() });
    Recordset settings = db.openRecordset(QStringLiteral("SELECT SettingID, Value FROM ShaftSettings"), true);
    for (; !settings.isAfterLast(); settings.next()) {
        if (!settings.value(1).isNull())
            inputs.settings.insert(settings.value(0).toInt(), settings.value(1).toDouble());
    }
    if (inputs.isSet(shaftSetting::steel))
        inputs.steel = shaftSteel(db, static_cast<qint64>(inputs.settings.value(shaftSetting::steel)));
    return inputs;
}

std::optional<QString> shaftSegmentProblem(const ShaftSegment &segment)
{
    static const ValueRange lengthRange { 0.1, 100000, true, true, false, false,
        QStringLiteral("Длина ступени"), QStringLiteral("мм") };
    static const ValueRange outerRange { 1, 10000, true, true, false, false,
        QStringLiteral("Наружный диаметр ступени"), QStringLiteral("мм") };
    static const ValueRange boreRange { 0.1, 10000, true, true, false, false,
        QStringLiteral("Диаметр отверстия ступени"), QStringLiteral("мм") };
    if (!lengthRange.contains(segment.length))
        return outOfRangeMessage(lengthRange.name, lengthRange);
    if (!outerRange.contains(segment.outer))
        return outOfRangeMessage(outerRange.name, outerRange);
    if (segment.bore != 0 && !boreRange.contains(segment.bore))
        return outOfRangeMessage(boreRange.name, boreRange);
    if (segment.bore >= segment.outer)
        return QStringLiteral("Диаметр отверстия ступени должен быть меньше её наружного диаметра.");
    return std::nullopt;
}

void writeShaftSegments(Database &db, const QVector<ShaftSegment> &segments)
{
    double total = 0;
    for (qsizetype i = 0; i < segments.size(); ++i) {
        if (const std::optional<QString> problem = shaftSegmentProblem(segments[i]))
            throw std::invalid_argument(QStringLiteral("Ступень %1: %2").arg(i + 1).arg(*problem).toStdString());
        total += segments[i].length;
    }
    static const ValueRange shaftLength { 1, 32767, true, true, false, false, QStringLiteral("Длина вала"),
        QStringLiteral("мм") };
    if (!segments.isEmpty() && !shaftLength.contains(total))
        throw std::invalid_argument(outOfRangeMessage(shaftLength.name, shaftLength).toStdString());

    Database::Transaction transaction(db);
    db.execute(QStringLiteral("DELETE FROM ShaftSegments"));
    for (qsizetype i = 0; i < segments.size(); ++i) {
        db.execute(QStringLiteral("INSERT INTO ShaftSegments (SegmentNo, Length, Outer, Bore) VALUES (?, ?, ?, ?)"),
            { i + 1, segments[i].length, segments[i].outer, segments[i].bore });
    }
    if (!segments.isEmpty()) {
        db.execute(QStringLiteral("DELETE FROM CommonParameters WHERE ParameterID = 53"));
        db.execute(QStringLiteral("INSERT INTO CommonParameters (ParameterID, ParamValue) VALUES (53, ?)"), { total });
    }
    transaction.commit();
}

void writeShaftSetting(Database &db, int id, std::optional<double> value)
{
    if (value && id != shaftSetting::steel) {
        const ShaftSettingInfo *info = shaftSettingInfo(id);
        if (!info)
            throw std::invalid_argument("unknown shaft setting");
        if (!info->range.contains(*value))
            throw std::invalid_argument(outOfRangeMessage(info->caption, info->range).toStdString());
    }
    Database::Transaction transaction(db);
    db.execute(QStringLiteral("DELETE FROM ShaftSettings WHERE SettingID = ?"), { id });
    if (value)
        db.execute(QStringLiteral("INSERT INTO ShaftSettings (SettingID, Value) VALUES (?, ?)"), { id, *value });
    transaction.commit();
}

} // namespace tarnvel
