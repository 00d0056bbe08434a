#include "files/scenario_file.h"

#include "analysis/shaft_inputs.h"
#include "analysis/shaft_steels.h"

#include "files/file_names.h"
#include "files/file_replacement.h"
#include "scheme/value_ranges.h"

#include "store/database.h"
#include "store/numbers.h"
#include "store/store_file.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QIODevice>
#include <QtEndian>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <stdexcept>

namespace tarnvel {

namespace {

constexpr qsizetype kParameterSize = 4 + 8;
constexpr qsizetype kModeSize = 6 * 8;
constexpr qsizetype kBearingSize = 6 * 4;
constexpr qsizetype kBearingsSize = 2 * kBearingSize;
constexpr qsizetype kEmptyListSize = 2;
// PointNumber, GroupID, an empty Modes list, PowerNumber, an empty Params list.
constexpr qsizetype kSmallestPointSize = 4 + 4 + kEmptyListSize + 4 + kEmptyListSize;
// Thousands of points with all their modes take a few hundred kilobytes; a
// file far beyond that is not a scenario, and is not read into memory.
constexpr qint64 kLargestScenarioFile = 64 * 1024 * 1024;
constexpr qint32 kLongestList = 10000;

static_assert(kEmptyListSize + kEmptyListSize + kBearingsSize == kEmptyScenarioSize);

// ---- writing -------------------------------------------------------------

class ByteWriter
{
public:
    void int16(qint16 value) { raw(value); }
    void int32(qint32 value) { raw(value); }
    void float64(double value) { raw(std::bit_cast<quint64>(value)); }
    void float32(float value) { raw(std::bit_cast<quint32>(value)); }

    // The list header: no dimension for an empty list, otherwise one
    // dimension of count entries starting at index 1.
    void listHeader(qsizetype count)
    {
        if (count == 0) {
            int16(0);
            return;
        }
        int16(1);
        int32(static_cast<qint32>(count));
        int32(1);
    }

    QByteArray bytes;

private:
    template <typename T> void raw(T value)
    {
        char buffer[sizeof(T)];
        qToLittleEndian(value, buffer);
        bytes.append(buffer, sizeof(T));
    }
};

void writeParameters(ByteWriter &out, const QVector<ScenarioParameter> &parameters)
{
    out.listHeader(parameters.size());
    for (const ScenarioParameter &p : parameters) {
        out.int32(p.parameterId);
        out.float64(p.value);
    }
}

// ---- reading -------------------------------------------------------------

class ByteReader
{
public:
    explicit ByteReader(const QByteArray &bytes)
        : m_bytes(bytes)
    {
    }

    qsizetype remaining() const { return m_bytes.size() - m_position; }
    qsizetype position() const { return m_position; }
    bool bytes(qsizetype count, QByteArray &value)
    {
        if (count < 0 || remaining() < count)
            return false;
        value = m_bytes.mid(m_position, count);
        m_position += count;
        return true;
    }

    bool int16(qint16 &value) { return raw(value); }
    bool int32(qint32 &value) { return raw(value); }
    bool float64(double &value)
    {
        quint64 bits = 0;
        if (!raw(bits))
            return false;
        value = std::bit_cast<double>(bits);
        return true;
    }
    bool float32(float &value)
    {
        quint32 bits = 0;
        if (!raw(bits))
            return false;
        value = std::bit_cast<float>(bits);
        return true;
    }

private:
    template <typename T> bool raw(T &value)
    {
        if (remaining() < static_cast<qsizetype>(sizeof(T)))
            return false;
        value = qFromLittleEndian<T>(m_bytes.constData() + m_position);
        m_position += sizeof(T);
        return true;
    }

    const QByteArray &m_bytes;
    qsizetype m_position = 0;
};

// ---- blocks after the record ----------------------------------------------

constexpr char kBlockMagic[] = "TVBK";
const QByteArray kLifeTag = QByteArrayLiteral("LIFE");
const QByteArray kShaftTag = QByteArrayLiteral("SHFT");

// CRC-32 as zip and PNG compute it (reflected, polynomial 0xEDB88320).
quint32 crc32(const QByteArray &bytes)
{
    quint32 crc = 0xFFFFFFFFu;
    for (const char c : bytes) {
        crc ^= static_cast<quint8>(c);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

void writeBlock(ByteWriter &out, const QByteArray &tag, const QByteArray &payload)
{
    ByteWriter checked;
    checked.bytes = tag;
    checked.int32(static_cast<qint32>(payload.size()));
    checked.bytes.append(payload);
    out.bytes.append(kBlockMagic, 4);
    out.bytes.append(checked.bytes);
    out.int32(static_cast<qint32>(crc32(checked.bytes)));
}

// The blocks after the record, as far as they are whole and sound.
QVector<std::pair<QByteArray, QByteArray>> readBlocks(ByteReader &in)
{
    QVector<std::pair<QByteArray, QByteArray>> blocks;
    for (;;) {
        QByteArray magic, tag;
        qint32 length = 0;
        if (!in.bytes(4, magic) || magic != QByteArray(kBlockMagic, 4) || !in.bytes(4, tag) || !in.int32(length)
            || length < 0 || in.remaining() < qsizetype { length } + 4)
            return blocks;
        QByteArray payload;
        qint32 crc = 0;
        in.bytes(length, payload);
        in.int32(crc);
        ByteWriter checked;
        checked.bytes = tag;
        checked.int32(length);
        checked.bytes.append(payload);
        if (static_cast<quint32>(crc) != crc32(checked.bytes))
            return blocks;
        blocks.append({ tag, payload });
    }
}

// A required life is a positive number of hours; anything else is none.
std::array<std::optional<double>, 2> requiredLives(const QByteArray &payload)
{
    std::array<std::optional<double>, 2> lives {};
    ByteReader in(payload);
    for (std::optional<double> &life : lives) {
        qint32 set = 0;
        double hours = 0;
        if (!in.int32(set) || !in.float64(hours))
            return {};
        if (set == 1 && std::isfinite(hours) && hours > 0)
            life = hours;
    }
    return lives;
}

QString damaged(const QString &reason) { return QStringLiteral("Файл сценария повреждён: %1.").arg(reason); }

// No shaft has a thousand steps, and no handbook names a steel in a kilobyte.
constexpr qint32 kMostShaftEntries = 1000;
constexpr qint32 kLongestShaftText = 1000;

void writeText(ByteWriter &out, const QString &text)
{
    const QByteArray utf8 = text.toUtf8();
    out.int32(static_cast<qint32>(utf8.size()));
    out.bytes.append(utf8);
}

QByteArray shaftPayload(const ScenarioShaft &shaft, quint32 recordCrc)
{
    ByteWriter out;
    out.int32(static_cast<qint32>(recordCrc));
    out.int32(static_cast<qint32>(shaft.segments.size()));
    for (const ShaftSegment &segment : shaft.segments) {
        out.float64(segment.length);
        out.float64(segment.outer);
        out.float64(segment.bore);
    }
    out.int32(static_cast<qint32>(shaft.settings.size()));
    for (const ScenarioParameter &setting : shaft.settings) {
        out.int32(setting.parameterId);
        out.float64(setting.value);
    }
    out.int32(shaft.steel ? 1 : 0);
    if (const std::optional<ShaftSteel> &steel = shaft.steel) {
        for (const QString *text : { &steel->grade, &steel->treatment, &steel->hardness, &steel->source })
            writeText(out, *text);
        for (double value : { steel->blankDiameter, steel->sigmaB, steel->sigmaT, steel->tauT, steel->sigmaM1,
                 steel->tauM1, steel->psiTau, steel->E })
            out.float64(value);
    }
    return out.bytes;
}

bool readText(ByteReader &in, QString &text)
{
    qint32 length = 0;
    QByteArray utf8;
    if (!in.int32(length) || length < 0 || length > kLongestShaftText || !in.bytes(length, utf8))
        return false;
    text = QString::fromUtf8(utf8);
    return true;
}

// What a whole "SHFT" block holds; nothing when it is not laid out as one.
// recordMatches tells whether it belongs to the record it follows.
std::optional<ScenarioShaft> readShaftPayload(const QByteArray &payload, quint32 recordCrc, bool &recordMatches)
{
    ByteReader in(payload);
    ScenarioShaft shaft;
    qint32 crc = 0, count = 0;
    if (!in.int32(crc))
        return std::nullopt;
    recordMatches = static_cast<quint32>(crc) == recordCrc;
    if (!in.int32(count) || count < 0 || count > kMostShaftEntries)
        return std::nullopt;
    for (qint32 i = 0; i < count; ++i) {
        ShaftSegment segment;
        if (!in.float64(segment.length) || !in.float64(segment.outer) || !in.float64(segment.bore))
            return std::nullopt;
        shaft.segments.append(segment);
    }
    if (!in.int32(count) || count < 0 || count > kMostShaftEntries)
        return std::nullopt;
    for (qint32 i = 0; i < count; ++i) {
        ScenarioParameter setting;
        if (!in.int32(setting.parameterId) || !in.float64(setting.value))
            return std::nullopt;
        shaft.settings.append(setting);
    }
    qint32 hasSteel = 0;
    if (!in.int32(hasSteel) || (hasSteel != 0 && hasSteel != 1))
        return std::nullopt;
    if (hasSteel == 1) {
        ShaftSteel steel;
        for (QString *text : { &steel.grade, &steel.treatment, &steel.hardness, &steel.source }) {
            if (!readText(in, *text))
                return std::nullopt;
        }
        for (double *value : { &steel.blankDiameter, &steel.sigmaB, &steel.sigmaT, &steel.tauT, &steel.sigmaM1,
                 &steel.tauM1, &steel.psiTau, &steel.E }) {
            if (!in.float64(*value))
                return std::nullopt;
        }
        shaft.steel = steel;
    }
    if (in.remaining() != 0)
        return std::nullopt;
    return shaft;
}

struct Decoding
{
    ByteReader in;
    QString fault;

    bool fail(const QString &reason)
    {
        if (fault.isEmpty())
            fault = damaged(reason);
        return false;
    }

    // Reads a list header. count receives the number of entries; it is
    // accepted only when that many entries of at least entrySize bytes, and
    // the reserve bytes that must still follow the list, fit into what is left.
    bool listHeader(qsizetype entrySize, qsizetype reserve, const QString &what, qsizetype &count)
    {
        qint16 dimensions = 0;
        if (!in.int16(dimensions))
            return fail(QStringLiteral("запись обрывается (%1)").arg(what));
        if (dimensions == 0) {
            count = 0;
            return true;
        }
        if (dimensions != 1)
            return fail(QStringLiteral("неверный заголовок списка (%1)").arg(what));
        qint32 entries = 0;
        qint32 firstIndex = 0;
        if (!in.int32(entries) || !in.int32(firstIndex))
            return fail(QStringLiteral("запись обрывается (%1)").arg(what));
        if (entries < 1)
            return fail(QStringLiteral("неверное число элементов (%1)").arg(what));
        if (firstIndex != 1)
            return fail(QStringLiteral("список начинается не с первого элемента (%1)").arg(what));
        // No shaft has thousands of loading points, modes or parameters: a
        // list beyond that is refused before it costs minutes to read.
        if (entries > kLongestList)
            return fail(QStringLiteral("в списке (%1) %2 элементов, а их бывает не больше %3").arg(what).arg(entries).arg(kLongestList));
        const qsizetype room = in.remaining() - reserve;
        if (entries > room / entrySize) // also when not even the reserve is left
            return fail(QStringLiteral("число элементов %1 не умещается в файле (%2)").arg(entries).arg(what));
        count = entries;
        return true;
    }

    bool parameters(qsizetype reserve, const QString &what, QVector<ScenarioParameter> &list)
    {
        qsizetype count = 0;
        if (!listHeader(kParameterSize, reserve, what, count))
            return false;
        list.reserve(count);
        for (qsizetype i = 0; i < count; ++i) {
            ScenarioParameter p;
            if (!in.int32(p.parameterId) || !in.float64(p.value))
                return fail(QStringLiteral("запись обрывается (%1)").arg(what));
            list.append(p);
        }
        return true;
    }

    bool modes(qsizetype reserve, const QString &what, ModeList &list)
    {
        qsizetype count = 0;
        if (!listHeader(kModeSize, reserve, what, count))
            return false;
        list.reserve(count);
        for (qsizetype i = 0; i < count; ++i) {
            ModeRecord m;
            if (!in.float64(m.Load1) || !in.float64(m.Load2) || !in.float64(m.Load3) || !in.float64(m.Load4)
                || !in.float64(m.Speed) || !in.float64(m.Coeff))
                return fail(QStringLiteral("запись обрывается (%1)").arg(what));
            list.append(m);
        }
        return true;
    }

    bool bearing(ScenarioBearing &b)
    {
        if (!in.int32(b.bearingId) || !in.float32(b.Kb) || !in.float32(b.Kt) || !in.int32(b.rollRing)
            || !in.int32(b.radial) || !in.int32(b.osev))
            return fail(QStringLiteral("запись обрывается (подшипники)"));
        return true;
    }
};

bool finite(const ModeRecord &m)
{
    return std::isfinite(m.Load1) && std::isfinite(m.Load2) && std::isfinite(m.Load3) && std::isfinite(m.Load4)
        && std::isfinite(m.Speed) && std::isfinite(m.Coeff);
}

bool finite(const QVector<ScenarioParameter> &parameters)
{
    for (const ScenarioParameter &p : parameters) {
        if (!std::isfinite(p.value))
            return false;
    }
    return true;
}

QString outOfRange(double value, const ValueRange &range, const QString &where)
{
    return QStringLiteral("В файле сценария значение %1 параметра «%2» (%3) вне допустимых пределов: оно должно быть %4.")
        .arg(QString::number(value, 'g', 15), range.name, where, range.text());
}

std::optional<QString> parametersOutOfRange(const QVector<ScenarioParameter> &parameters, const QString &where)
{
    for (const ScenarioParameter &p : parameters) {
        const std::optional<ValueRange> range = parameterRange(p.parameterId);
        if (range && !range->containsStored(p.value))
            return outOfRange(p.value, *range, where);
    }
    return std::nullopt;
}

// A message inside another one loses its full stop.
QString withoutFinalPoint(QString text)
{
    if (text.endsWith(QLatin1Char('.')))
        text.chop(1);
    return text;
}

// The shaft's steps and settings within the ranges the workbench allows, and
// a steel whose strength and stiffness a check can use.
std::optional<QString> shaftFault(const ScenarioShaft &shaft)
{
    for (qsizetype i = 0; i < shaft.segments.size(); ++i) {
        if (const std::optional<QString> problem = shaftSegmentProblem(shaft.segments.at(i)))
            return damaged(QStringLiteral("ступень вала %1: %2").arg(i + 1).arg(withoutFinalPoint(*problem)));
    }
    for (const ScenarioParameter &setting : shaft.settings) {
        const ShaftSettingInfo *info = shaftSettingInfo(setting.parameterId);
        if (!info)
            return damaged(QStringLiteral("неизвестная настройка проверки вала (%1)").arg(setting.parameterId));
        if (!info->range.contains(setting.value))
            return outOfRangeMessage(info->caption, info->range);
    }
    if (shaft.steel) {
        if (const QString problem = shaftSteelFault(*shaft.steel); !problem.isEmpty())
            return damaged(QStringLiteral("сталь вала: %1").arg(withoutFinalPoint(problem)));
    }
    return std::nullopt;
}

// The checks of content that a well-formed record can still fail; what the
// open command would otherwise write would break the store's invariants
// (points numbered 1 … n, known kinds) or be no statement at all (a number
// that is not finite has no text a statement accepts).
std::optional<QString> scenarioFault(const Scenario &s)
{
    if (!finite(s.common))
        return damaged(QStringLiteral("недопустимое число в общих данных"));
    if (const std::optional<QString> fault = parametersOutOfRange(s.common, QStringLiteral("общие данные")))
        return fault;
    for (qsizetype i = 0; i < s.points.size(); ++i) {
        const ScenarioPoint &p = s.points.at(i);
        const qint64 position = i + 1;
        if (p.pointNumber != position)
            return damaged(QStringLiteral("точка на месте %1 имеет номер %2").arg(position).arg(p.pointNumber));
        if (p.groupId < 2 || p.groupId > 4)
            return damaged(QStringLiteral("неизвестный вид точки %1 (%2)").arg(position).arg(p.groupId));
        const bool freeForce = p.groupId == 2;
        const bool knownKind
            = freeForce ? (p.powerNumber == 1 || p.powerNumber == 5) : (p.powerNumber >= 1 && p.powerNumber <= 4);
        if (!knownKind)
            return damaged(QStringLiteral("неизвестный вид нагрузки точки %1 (%2)").arg(position).arg(p.powerNumber));
        if (!finite(p.params))
            return damaged(QStringLiteral("недопустимое число в параметрах точки %1").arg(position));
        if (const std::optional<QString> fault
            = parametersOutOfRange(p.params, QStringLiteral("точка %1").arg(position)))
            return fault;
        for (const ModeRecord &m : p.modes) {
            if (!finite(m))
                return damaged(QStringLiteral("недопустимое число в режимах точки %1").arg(position));
        }
    }
    for (int side = 0; side < 2; ++side) {
        const ScenarioBearing &b = s.bearings.at(side);
        if (b.bearingId <= 0)
            continue; // no bearing: the entry's other members are never used
        const bool valid = std::isfinite(b.Kb) && std::isfinite(b.Kt) && b.rollRing >= 0 && b.rollRing <= 2
            && (b.radial == 0 || b.radial == 1) && (b.osev == 0 || b.osev == 1);
        if (!valid)
            return damaged(side == 0 ? QStringLiteral("недопустимые настройки подшипника левой опоры")
                                     : QStringLiteral("недопустимые настройки подшипника правой опоры"));
        const QString where = side == 0 ? QStringLiteral("левая опора") : QStringLiteral("правая опора");
        for (const auto &[value, range] : { std::pair { b.Kb, &bearingRange(BearingValue::Kb) },
                 std::pair { b.Kt, &bearingRange(BearingValue::Kt) } }) {
            if (!range->containsStored(value))
                return outOfRange(value, *range, where);
        }
    }
    return shaftFault(s.shaft);
}

// ---- the store -----------------------------------------------------------

qint32 wholeField(const Recordset &rs, const QString &column) { return wholeNumber(rs.field(column).toDouble()); }

QVector<ScenarioParameter> parameterRows(Recordset rs, const QString &idColumn, const QString &valueColumn)
{
    QVector<ScenarioParameter> list;
    for (; !rs.isAfterLast(); rs.next())
        list.append({ wholeField(rs, idColumn), rs.field(valueColumn).toDouble() });
    return list;
}

// A single-precision coefficient goes into a statement with the seven digits
// it carries, so that 1.2 is stored as 1.2 and not as 1.20000004768372.
QString singleText(float value)
{
    if (value == 0.0f)
        value = 0.0f;
    return SqlNum(QString::asprintf("%.7G", static_cast<double>(value)));
}

} // namespace

Scenario readScenarioFromStore(Database &db)
{
    Scenario s;
    s.common = parameterRows(
        db.openTable(QStringLiteral("CommonParameters")), QStringLiteral("ParameterID"), QStringLiteral("ParamValue"));

    Recordset points = db.openRecordset(QStringLiteral("SELECT PointNumber, GroupID FROM Points ORDER BY PointNumber"));
    for (; !points.isAfterLast(); points.next()) {
        ScenarioPoint p;
        p.pointNumber = wholeField(points, QStringLiteral("PointNumber"));
        p.groupId = wholeField(points, QStringLiteral("GroupID"));
        s.points.append(p);
    }

    for (qsizetype i = 1; i <= s.points.size(); ++i) {
        ScenarioPoint &p = s.points[i - 1];
        const Recordset id
            = db.openRecordset(QStringLiteral("SELECT PointID FROM Points WHERE PointNumber = ") + QString::number(i));
        if (id.isBeforeFirst())
            continue; // only a store whose point numbers have gaps; the entry keeps no loads
        const int pointId = wholeField(id, QStringLiteral("PointID"));
        p.powerNumber = GatherModes(db, pointId, p.modes);
        p.params = parameterRows(db.openRecordset(QStringLiteral("SELECT ParameterID, ParValue FROM PointParameters "
                                                                 "WHERE PointID = ")
                                     + QString::number(pointId)),
            QStringLiteral("ParameterID"), QStringLiteral("ParValue"));
    }

    // Side is read as well, so that each row lands in the entry of its own
    // support: with only the right bearing chosen, entry 0 stays empty.
    Recordset bearings = db.openRecordset(
        QStringLiteral("SELECT Side, BearingID, Kb, Kt, RollRing, Radial, Osev FROM BearRep ORDER BY Side"));
    std::array<bool, 2> filled { false, false };
    for (; !bearings.isAfterLast(); bearings.next()) {
        const qint32 side = wholeField(bearings, QStringLiteral("Side"));
        if (side < 0 || side > 1 || filled.at(side))
            continue;
        filled[side] = true;
        ScenarioBearing &b = s.bearings[side];
        b.bearingId = wholeField(bearings, QStringLiteral("BearingID"));
        b.Kb = static_cast<float>(bearings.field(QStringLiteral("Kb")).toDouble());
        b.Kt = static_cast<float>(bearings.field(QStringLiteral("Kt")).toDouble());
        b.rollRing = wholeField(bearings, QStringLiteral("RollRing"));
        b.radial = wholeField(bearings, QStringLiteral("Radial"));
        b.osev = wholeField(bearings, QStringLiteral("Osev"));
    }
    const ShaftInputs shaft = readShaftInputs(db);
    s.shaft.segments = shaft.segments;
    for (auto setting = shaft.settings.begin(); setting != shaft.settings.end(); ++setting) {
        if (setting.key() != shaftSetting::steel)
            s.shaft.settings.append({ setting.key(), setting.value() });
    }
    s.shaft.steel = shaft.steel;
    Recordset lives = db.openRecordset(QStringLiteral("SELECT Side, Lh FROM RequiredLife ORDER BY Side"));
    for (; !lives.isAfterLast(); lives.next()) {
        const qint32 side = wholeField(lives, QStringLiteral("Side"));
        const double hours = lives.field(QStringLiteral("Lh")).toDouble();
        if ((side == 0 || side == 1) && std::isfinite(hours) && hours > 0)
            s.requiredLife[side] = hours;
    }
    return s;
}

QByteArray encodeScenario(const Scenario &scenario)
{
    ByteWriter out;
    writeParameters(out, scenario.common);
    out.listHeader(scenario.points.size());
    for (const ScenarioPoint &p : scenario.points) {
        out.int32(p.pointNumber);
        out.int32(p.groupId);
        out.listHeader(p.modes.size());
        for (const ModeRecord &m : p.modes) {
            for (double value : { m.Load1, m.Load2, m.Load3, m.Load4, m.Speed, m.Coeff })
                out.float64(value);
        }
        out.int32(p.powerNumber);
        writeParameters(out, p.params);
    }
    for (const ScenarioBearing &b : scenario.bearings) {
        out.int32(b.bearingId);
        out.float32(b.Kb);
        out.float32(b.Kt);
        out.int32(b.rollRing);
        out.int32(b.radial);
        out.int32(b.osev);
    }
    const quint32 recordCrc = crc32(out.bytes);
    if (scenario.requiredLife[0] || scenario.requiredLife[1]) {
        ByteWriter life;
        for (const std::optional<double> &hours : scenario.requiredLife) {
            life.int32(hours ? 1 : 0);
            life.float64(hours.value_or(0));
        }
        writeBlock(out, kLifeTag, life.bytes);
    }
    if (!scenario.shaft.isEmpty())
        writeBlock(out, kShaftTag, shaftPayload(scenario.shaft, recordCrc));
    return out.bytes;
}

std::optional<Scenario> decodeScenario(const QByteArray &bytes, QString *error)
{
    Decoding d { ByteReader(bytes), {} };
    const auto refuse = [&](const QString &reason = {}) -> std::optional<Scenario> {
        if (!reason.isEmpty())
            d.fail(reason);
        if (error)
            *error = d.fault;
        return std::nullopt;
    };

    if (bytes.size() < kEmptyScenarioSize)
        return refuse(QStringLiteral("файл короче %1 байт").arg(kEmptyScenarioSize));

    Scenario s;
    if (!d.parameters(kEmptyListSize + kBearingsSize, QStringLiteral("общие данные"), s.common))
        return refuse();

    qsizetype pointCount = 0;
    if (!d.listHeader(kSmallestPointSize, kBearingsSize, QStringLiteral("точки нагружения"), pointCount))
        return refuse();
    s.points.reserve(pointCount);
    for (qsizetype i = 1; i <= pointCount; ++i) {
        ScenarioPoint p;
        const QString point = QStringLiteral("точка %1").arg(i);
        if (!d.in.int32(p.pointNumber) || !d.in.int32(p.groupId))
            return refuse(QStringLiteral("запись обрывается (%1)").arg(point));
        // After the modes at least the load kind, an empty Params list and
        // the bearings must follow.
        if (!d.modes(4 + kEmptyListSize + kBearingsSize, QStringLiteral("режимы, ") + point, p.modes))
            return refuse();
        if (!d.in.int32(p.powerNumber))
            return refuse(QStringLiteral("запись обрывается (%1)").arg(point));
        if (!d.parameters(kBearingsSize, QStringLiteral("параметры, ") + point, p.params))
            return refuse();
        s.points.append(std::move(p));
    }

    for (ScenarioBearing &b : s.bearings) {
        if (!d.bearing(b))
            return refuse();
    }
    const quint32 recordCrc = crc32(bytes.left(d.in.position()));
    for (const auto &[tag, payload] : readBlocks(d.in)) {
        if (tag == kLifeTag) {
            s.requiredLife = requiredLives(payload);
        } else if (tag == kShaftTag) {
            bool ownRecord = false;
            const std::optional<ScenarioShaft> shaft = readShaftPayload(payload, recordCrc, ownRecord);
            if (ownRecord && !shaft)
                return refuse(QStringLiteral("данные вала"));
            if (ownRecord)
                s.shaft = *shaft;
        }
    }

    if (const std::optional<QString> fault = scenarioFault(s)) {
        if (error)
            *error = *fault;
        return std::nullopt;
    }
    return s;
}

bool writeScenario(QIODevice &device, const Scenario &scenario)
{
    const QByteArray bytes = encodeScenario(scenario);
    return device.write(bytes) == bytes.size();
}

std::optional<Scenario> readScenario(QIODevice &device, QString *error)
{
    const QByteArray bytes = device.read(kLargestScenarioFile + 1);
    if (bytes.size() > kLargestScenarioFile) {
        if (error)
            *error = QStringLiteral("Файл слишком велик для файла сценария.");
        return std::nullopt;
    }
    return decodeScenario(bytes, error);
}

namespace {

// A parameter with a list of choices holds one of them: any other code (a
// direction of rotation of 0) would compute as none of the cases.
// The values each enumerated parameter may take, read once for a whole file.
struct Choices
{
    explicit Choices(Database &db)
    {
        Recordset rs = db.openRecordset(QStringLiteral("SELECT ParameterID, DefaultValue FROM DefaultParameters"));
        for (; !rs.isAfterLast(); rs.next()) {
            QVector<double> &values = byParameter[rs.value(0).toInt()];
            const QVariant value = rs.value(1);
            if (value.typeId() == QMetaType::LongLong || value.typeId() == QMetaType::Double)
                values.append(value.toDouble());
        }
    }
    QHash<int, QVector<double>> byParameter; // an entry for every parameter with choices
};

void checkChoices(Database &db, const Choices &choices, const QVector<ScenarioParameter> &parameters, const QString &where)
{
    for (const ScenarioParameter &p : parameters) {
        const auto allowed = choices.byParameter.constFind(p.parameterId);
        // The value as the file's number reads in a statement, to 15 digits.
        if (allowed == choices.byParameter.constEnd() || allowed->contains(storedNumber(p.value)))
            continue;
        const QString id = QString::number(p.parameterId);
        const Recordset caption = db.openRecordset(QStringLiteral("SELECT Parameter FROM `Parameters` WHERE ParameterID = ") + id);
        const QString name = caption.isBeforeFirst() ? id : caption.field(QStringLiteral("Parameter")).toString();
        throw std::invalid_argument(QStringLiteral("В файле сценария недопустимое значение %1 параметра «%2» (%3).")
                                        .arg(SqlNum(p.value), name, where)
                                        .toStdString());
    }
}

// All points have the modes of point 1, as in the workbench: the same number,
// speeds and coefficients; a surplus mode goes, a missing one comes with no load.
bool alignModes(Scenario &s)
{
    if (s.points.isEmpty() || s.points.first().modes.isEmpty())
        return false;
    const ModeList &reference = s.points.first().modes;
    bool changed = false;
    for (qsizetype i = 1; i < s.points.size(); ++i) {
        ModeList &modes = s.points[i].modes;
        if (modes.size() != reference.size()) {
            changed = true;
            modes.resize(reference.size());
        }
        for (qsizetype r = 0; r < modes.size(); ++r) {
            if (modes[r].Speed != reference[r].Speed || modes[r].Coeff != reference[r].Coeff) {
                changed = true;
                modes[r].Speed = reference[r].Speed;
                modes[r].Coeff = reference[r].Coeff;
            }
        }
    }
    return changed;
}

// The four kinds of a gear load are one load: the calculation takes the kind
// of the force unit, the dialogs and the report show the kind entered, so a
// file whose kinds disagree would print one load and compute with another.
// Each mode's kinds are derived again from the kind entered, at the mode's
// speed; a file whose numbers agree to a tenth of a per cent (a hand-rounded
// table) keeps them as they are. True when any point's loads were derived.
bool agreeLoadKinds(Scenario &s)
{
    const auto agree = [](double a, double b) { return std::fabs(a - b) <= 1e-3 * std::max(std::fabs(a), std::fabs(b)); };
    bool changed = false;
    for (ScenarioPoint &p : s.points) {
        if (p.groupId == 2)
            continue;
        for (qsizetype r = 0; r < p.modes.size(); ++r) {
            ModeRecord &m = p.modes[r];
            const std::array<double, 4> stored { m.Load1, m.Load2, m.Load3, m.Load4 };
            const double entered = stored.at(static_cast<std::size_t>(p.powerNumber - 1));
            ModeRecord derived = m;
            if (entered == 0) {
                derived.Load1 = derived.Load2 = derived.Load3 = derived.Load4 = 0;
            } else if (m.Speed == 0) {
                // Power and torque are tied by the speed: at none, a load
                // in one says nothing of the other.
                throw std::invalid_argument(QStringLiteral("В файле сценария нагрузка точки %1 в режиме %2 задана при "
                                                           "нулевой частоте вращения.")
                                                .arg(p.pointNumber)
                                                .arg(r + 1)
                                                .toStdString());
            } else {
                ConvertLoad(p.powerNumber, entered, m.Speed, derived);
            }
            if (!agree(derived.Load1, m.Load1) || !agree(derived.Load2, m.Load2) || !agree(derived.Load3, m.Load3)
                || !agree(derived.Load4, m.Load4)) {
                m = derived;
                changed = true;
            }
        }
    }
    return changed;
}

} // namespace

namespace {

// The steps are the shaft and its length is the diagram axis: a file whose
// axis says otherwise takes the steps' length. The steel is the catalogue's
// row of the same grade and properties, or goes into the catalogue as a
// user's row; its id is 0 until then.
void fitShaftToStore(Database &db, Scenario &s, QStringList &notes)
{
    if (!s.shaft.segments.isEmpty()) {
        double total = 0;
        for (const ShaftSegment &segment : s.shaft.segments)
            total += segment.length;
        bool found = false;
        for (ScenarioParameter &p : s.common) {
            if (p.parameterId != 53)
                continue;
            if (p.value != total && !found)
                notes << QStringLiteral("Длина оси эпюры моментов приведена к длине вала по ступеням, %1 мм.")
                             .arg(QString::number(total, 'g', 15));
            p.value = total;
            found = true;
        }
        if (!found)
            s.common.append({ 53, total });
    }
    if (!s.shaft.steel)
        return;
    const ShaftSteel wanted = *s.shaft.steel;
    // The same grade, treatment, blank and properties is the same steel,
    // however another catalogue words its hardness or names its source.
    const auto same = [&wanted](const ShaftSteel &steel) {
        return steel.grade == wanted.grade && steel.treatment == wanted.treatment
            && steel.blankDiameter == wanted.blankDiameter && steel.sigmaB == wanted.sigmaB
            && steel.sigmaT == wanted.sigmaT && steel.tauT == wanted.tauT && steel.sigmaM1 == wanted.sigmaM1
            && steel.tauM1 == wanted.tauM1 && steel.psiTau == wanted.psiTau && steel.E == wanted.E;
    };
    for (const ShaftSteel &steel : shaftSteels(db)) {
        if (same(steel)) {
            s.shaft.steel->id = steel.id;
            return;
        }
    }
    s.shaft.steel->id = 0;
    notes << QStringLiteral("Стали «%1» (%2) сценария нет в каталоге; она добавлена в каталог.")
                 .arg(wanted.grade, wanted.treatment);
}

} // namespace

QStringList fitScenarioToStore(Database &db, Scenario &s)
{
    if (const std::optional<QString> fault = scenarioFault(s))
        throw std::invalid_argument(fault->toStdString());
    const Choices choices(db);
    checkChoices(db, choices, s.common, QStringLiteral("общие данные"));
    for (const ScenarioPoint &p : s.points)
        checkChoices(db, choices, p.params, QStringLiteral("точка ") + QString::number(p.pointNumber));

    QStringList notes;
    if (alignModes(s))
        notes << QStringLiteral("Режимы точек сценария расходились с режимами точки 1 (частоты вращения, коэффициенты "
                                "использования или число режимов); они приведены к режимам точки 1.");
    if (agreeLoadKinds(s))
        notes << QStringLiteral("Нагрузки зацеплений в разных единицах (л.с., кВт, кГс·м, Н·м) расходились между "
                                "собой; они пересчитаны из единицы, в которой нагрузка была введена.");
    for (int side = 0; side < 2; ++side) {
        ScenarioBearing &b = s.bearings[side];
        if (b.bearingId <= 0)
            continue;
        const Recordset known = db.openRecordset(QStringLiteral("SELECT BearingID FROM Bearings WHERE BearingID = ")
                                                 + QString::number(b.bearingId));
        if (!known.isBeforeFirst())
            continue;
        notes << QStringLiteral("Подшипника с кодом %1 (%2 опора) нет в каталоге; опора оставлена без подшипника.")
                     .arg(QString::number(b.bearingId), side == 0 ? QStringLiteral("левая") : QStringLiteral("правая"));
        b = ScenarioBearing{};
    }
    fitShaftToStore(db, s, notes);
    return notes;
}

namespace {

void writeShaftToStore(Database &db, const ScenarioShaft &shaft)
{
    db.execute(QStringLiteral("DELETE FROM ShaftSegments"));
    for (qsizetype i = 0; i < shaft.segments.size(); ++i) {
        const ShaftSegment &segment = shaft.segments.at(i);
        db.execute(QStringLiteral("INSERT INTO ShaftSegments (SegmentNo, Length, Outer, Bore) VALUES (?, ?, ?, ?)"),
            { i + 1, segment.length, segment.outer, segment.bore });
    }
    db.execute(QStringLiteral("DELETE FROM ShaftSettings"));
    for (const ScenarioParameter &setting : shaft.settings) {
        db.execute(QStringLiteral("INSERT OR REPLACE INTO ShaftSettings (SettingID, Value) VALUES (?, ?)"),
            { setting.parameterId, setting.value });
    }
    if (shaft.steel) {
        const qint64 id = shaft.steel->id > 0 ? shaft.steel->id : addShaftSteel(db, *shaft.steel);
        db.execute(QStringLiteral("INSERT OR REPLACE INTO ShaftSettings (SettingID, Value) VALUES (?, ?)"),
            { shaftSetting::steel, id });
    }
}

} // namespace

void writeScenarioToStore(Database &db, const Scenario &scenario, QStringList *notes)
{
    Scenario s = scenario;
    const QStringList fitted = fitScenarioToStore(db, s);
    if (notes)
        *notes = fitted;

    const QString comma = QStringLiteral(", ");
    Database::Transaction transaction(db);

    // Values are bound as the statements' literal text would carry them (15
    // digits): thousands of rows go in without writing a statement for each.
    const auto stored = [](double value) { return std::isfinite(value) ? QVariant(storedNumber(value)) : QVariant(); };
    if (!s.common.isEmpty()) {
        db.execute(QStringLiteral("DELETE FROM CommonParameters"));
        for (const ScenarioParameter &p : s.common) {
            db.execute(QStringLiteral("INSERT INTO CommonParameters (ParameterID, ParamValue) VALUES (?, ?)"),
                { p.parameterId, stored(p.value) });
        }
    }

    // Rows of one table go in a few dozen per statement.
    const auto insertRows = [&db](const QString &head, const QString &row, qsizetype columns, const QVariantList &values) {
        constexpr qsizetype kRowsPerStatement = 64;
        const qsizetype count = values.size() / columns;
        for (qsizetype first = 0; first < count; first += kRowsPerStatement) {
            const qsizetype n = std::min(kRowsPerStatement, count - first);
            QString statement = head + row;
            for (qsizetype i = 1; i < n; ++i)
                statement += QStringLiteral(", ") + row;
            db.execute(statement, values.mid(first * columns, n * columns));
        }
    };
    if (!s.points.isEmpty()) {
        db.execute(QStringLiteral("DELETE FROM Points"));
        db.execute(QStringLiteral("DELETE FROM PointParameters"));
        db.execute(QStringLiteral("DELETE FROM Powers"));
        for (const ScenarioPoint &p : std::as_const(s.points)) {
            db.execute(QStringLiteral("INSERT INTO Points (PointNumber, GroupID) VALUES (?, ?)"), { p.pointNumber, p.groupId });
            // The store gives the point a new identifier; the file holds none.
            const qint64 pointId = db.lastInsertId();

            QVariantList parameters;
            for (const ScenarioParameter &parameter : p.params)
                parameters << pointId << parameter.parameterId << stored(parameter.value);
            insertRows(QStringLiteral("INSERT INTO PointParameters (PointID, ParameterID, ParValue) VALUES "),
                QStringLiteral("(?, ?, ?)"), 3, parameters);

            const bool freeForce = p.groupId == 2;
            QVariantList powers;
            for (qsizetype r = 1; r <= p.modes.size(); ++r) {
                const ModeRecord &m = p.modes.at(r - 1);
                // Fx, Fy, Fz of a free force are kinds 5 … 7; a gear load in
                // its four kinds is 1 … 4.
                const std::array<double, 4> loads { m.Load1, m.Load2, m.Load3, m.Load4 };
                const int firstKind = freeForce ? 5 : 1;
                const int kinds = freeForce ? 3 : 4;
                for (int k = 0; k < kinds; ++k) {
                    powers << pointId << stored(loads.at(k)) << stored(m.Speed) << stored(m.Coeff) << firstKind + k
                           << p.powerNumber << static_cast<qint64>(r);
                }
            }
            insertRows(QStringLiteral("INSERT INTO Powers (PointID, Power, Speed, Coeff, PowerID, PowerNumber, RezNumber) VALUES "),
                QStringLiteral("(?, ?, ?, ?, ?, ?, ?)"), 7, powers);
        }
    }

    db.execute(QStringLiteral("DELETE FROM BearRep"));
    for (int side = 0; side < 2; ++side) {
        const ScenarioBearing &b = s.bearings.at(side);
        if (b.bearingId <= 0)
            continue;
        db.execute(QStringLiteral("INSERT INTO BearRep (Side, BearingID, Kb, Kt, RollRing, Radial, Osev) VALUES (")
            + QStringList { QString::number(side), QString::number(b.bearingId), singleText(b.Kb), singleText(b.Kt),
                QString::number(b.rollRing), QString::number(b.radial), QString::number(b.osev) }
                  .join(comma)
            + QStringLiteral(")"));
    }
    db.execute(QStringLiteral("DELETE FROM RequiredLife"));
    for (int side = 0; side < 2; ++side) {
        if (const std::optional<double> hours = s.requiredLife.at(side))
            db.execute(QStringLiteral("INSERT INTO RequiredLife (Side, Lh) VALUES (?, ?)"), { side, *hours });
    }
    writeShaftToStore(db, s.shaft);
    transaction.commit();
}

QStringList openScenarioInStore(std::unique_ptr<Database> &db, const QString &storeDirectory, const Scenario &scenario,
                                const std::function<void(const QString &)> &status)
{
    Scenario fitted = scenario;
    const QStringList notes = fitScenarioToStore(*db, fitted);
    status(QStringLiteral("Очистка базы данных..."));
    {
        Database::Transaction transaction(*db);
        emptyScenario(*db);
        writeScenarioToStore(*db, fitted);
        transaction.commit();
    }
    compactStore(db, storeDirectory, status);
    return notes;
}

bool saveScenarioFile(const QString &path, const QByteArray &bytes, QString *error)
{
    return replaceFile(path, bytes, error);
}

std::optional<Scenario> loadScenarioFile(const QString &path, QString *error)
{
    // A named pipe or a device would keep the open or the read waiting for
    // a writer that never comes.
    const QFileInfo info(path);
    if (info.exists() && !info.isFile() && !info.isDir()) {
        if (error)
            *error = QStringLiteral("Файл не является обычным файлом (это канал, устройство или сокет).");
        return std::nullopt;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = fileErrorText(file, path, false);
        return std::nullopt;
    }
    return readScenario(file, error);
}

} // namespace tarnvel
