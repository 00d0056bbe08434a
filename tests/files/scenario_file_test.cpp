#include "files/scenario_file.h"

#include "analysis/bearing_selection.h"
#include "analysis/scheme_store.h"
#include "store/numbers.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtEndian>

#include <gtest/gtest.h>

#include <bit>
#include <limits>

using namespace tarnvel;
using tarnvel::test::countRows;

namespace {

QByteArray golden(const char *name) { return test::fileBytes(QStringLiteral(TARNVEL_TEST_DATA "/files/") + QLatin1String(name)); }

// Little-endian bytes for hand-made damaged records.
struct Bytes
{
    QByteArray data;
    template <typename T> Bytes &put(T value)
    {
        char buffer[sizeof(T)];
        qToLittleEndian(value, buffer);
        data.append(buffer, sizeof(T));
        return *this;
    }
    Bytes &i16(qint16 v) { return put(v); }
    Bytes &i32(qint32 v) { return put(v); }
    Bytes &f64(double v) { return put(std::bit_cast<quint64>(v)); }
    Bytes &zeros(int n)
    {
        data.append(QByteArray(n, '\0'));
        return *this;
    }
};

// The scenario the golden file two_gears_one_force.tvd holds. The golden
// bytes were packed independently (Python struct, '<hii', '<id', '<6d',
// '<iffiii') from these values and are 980 bytes long: Common 2+4+4+3·12,
// Points 10 + per point 8 + (10 + 3·48) + 4 + (10 + n·12) for n = 11, 12, 6
// parameters, Bearings 48.
Scenario twoGearsOneForce()
{
    Scenario s;
    s.common = { { 2, 200 }, { 4, 1 }, { 38, 1 } };
    ScenarioPoint cylindrical { 1, 3,
        { { 13.6, 10, 9.74, 95.55, 1000, 0.5 }, { 17, 12.5, 8.117, 79.63, 1500, 0.3 },
            { 6.8, 5, 6.494, 63.71, 750, 0.2 } },
        2,
        { { 11, 3 }, { 12, 20 }, { 13, 60 }, { 14, 10 }, { 15, 1 }, { 16, 0 }, { 17, 0 }, { 18, 1 }, { 19, 1 },
            { 20, 90 }, { 33, 50 } } };
    ScenarioPoint conical { 2, 4,
        { { 14.2329, 10.4654, 10.1937, 100, 1000, 0.5 }, { 17.0795, 12.5585, 5.43663, 80, 1500, 0.3 },
            { 16.0121, 11.7736, 15.2911, 150, 750, 0.2 } },
        4,
        { { 21, 4 }, { 22, 18 }, { 23, 36 }, { 24, 0 }, { 25, 1 }, { 26, 90 }, { 27, 25 }, { 28, 1 }, { 30, 1 },
            { 31, 1 }, { 32, 0 }, { 34, 150 } } };
    ScenarioPoint force { 3, 2,
        { { 100, -50, 20, 0, 1000, 0.5 }, { 120, -60, 25, 0, 1500, 0.3 }, { 80, -40, 0, 0, 750, 0.2 } }, 5,
        { { 5, 0 }, { 6, 40 }, { 7, 120 }, { 8, 105.2 }, { 9, -52.6 }, { 10, 17.3 } } };
    s.points = { cylindrical, conical, force };
    s.bearings = { ScenarioBearing { 1, 1.2f, 1.0f, 0, 1, 1 }, ScenarioBearing { 2, 1.3f, 1.05f, 1, 1, 0 } };
    return s;
}

class ScenarioStore : public test::SchemeStore
{
protected:
    // Puts the scenario into the store the way the dialogs leave it: the
    // loads of a free force in kinds 5 … 7 with PowerNumber 1.
    void putScheme(const Scenario &s)
    {
        for (const ScenarioParameter &p : s.common)
            setCommon(p.parameterId, p.value);
        for (const ScenarioPoint &p : s.points) {
            const qint64 id = addPoint(p.pointNumber, p.groupId);
            for (const ScenarioParameter &parameter : p.params)
                db->execute(QStringLiteral("INSERT INTO PointParameters (PointID, ParameterID, ParValue) VALUES "
                                           "(%1, %2, %3)")
                                .arg(id)
                                .arg(parameter.parameterId)
                                .arg(SqlNum(parameter.value)));
            for (int r = 1; r <= p.modes.size(); ++r) {
                const ModeRecord &m = p.modes.at(r - 1);
                if (p.groupId == 2)
                    addPowers(id, r, m.Speed, m.Coeff, { { 5, m.Load1 }, { 6, m.Load2 }, { 7, m.Load3 } }, 1);
                else
                    addPowers(id, r, m.Speed, m.Coeff, { { 1, m.Load1 }, { 2, m.Load2 }, { 3, m.Load3 }, { 4, m.Load4 } },
                        p.powerNumber);
            }
        }
        for (int side = 0; side < 2; ++side)
            putBearing(side, s.bearings.at(side));
    }

    void putBearing(int side, const ScenarioBearing &b)
    {
        if (b.bearingId == 0)
            return;
        db->execute(QStringLiteral("INSERT INTO BearRep (Side, BearingID, Kb, Kt, Pr, Lh, RollRing, Radial, Osev) "
                                   "VALUES (%1, %2, %3, %4, 5000, 12000, %5, %6, %7)")
                        .arg(side)
                        .arg(b.bearingId)
                        .arg(QString::number(b.Kb), QString::number(b.Kt))
                        .arg(b.rollRing)
                        .arg(b.radial)
                        .arg(b.osev));
    }

    // Row counts of the scenario tables, to see that a refused file changes nothing.
    QVector<int> tableRows()
    {
        QVector<int> rows;
        for (const char *table : { "CommonParameters", "Points", "PointParameters", "Powers", "BearRep" })
            rows.append(countRows(*db, QStringLiteral("SELECT * FROM ") + QLatin1String(table)));
        return rows;
    }
};

TEST_F(ScenarioStore, EmptySchemeIsFiftyTwoZeroBytes)
{
    const Scenario s = readScenarioFromStore(*db);
    EXPECT_EQ(s, Scenario {});
    const QByteArray bytes = encodeScenario(s);
    EXPECT_EQ(bytes.size(), kEmptyScenarioSize);
    EXPECT_EQ(bytes, golden("empty.tvd"));
    EXPECT_EQ(decodeScenario(bytes), Scenario {});
}

TEST_F(ScenarioStore, SavedSchemeMatchesGoldenBytes)
{
    putScheme(twoGearsOneForce());
    const Scenario saved = readScenarioFromStore(*db);
    // GatherModes gives the free force kind 5 although its rows carry 1.
    EXPECT_EQ(saved.points.at(2).powerNumber, 5);
    EXPECT_EQ(saved, twoGearsOneForce());
    const QByteArray expected = golden("two_gears_one_force.tvd");
    ASSERT_EQ(expected.size(), 980);
    EXPECT_EQ(encodeScenario(saved), expected);

    QBuffer buffer;
    ASSERT_TRUE(buffer.open(QIODevice::ReadWrite));
    ASSERT_TRUE(writeScenario(buffer, saved));
    buffer.seek(0);
    EXPECT_EQ(readScenario(buffer), saved);
}

TEST_F(ScenarioStore, OpenedFileRebuildsTheScheme)
{
    QString error;
    const std::optional<Scenario> file = decodeScenario(golden("two_gears_one_force.tvd"), &error);
    ASSERT_TRUE(file) << error.toStdString();
    writeScenarioToStore(*db, *file);

    // 2 gear points × 3 modes × 4 kinds + 1 free force × 3 modes × 3 kinds.
    EXPECT_EQ(countRows(*db, QStringLiteral("SELECT * FROM Powers")), 24 + 3 * 3);
    EXPECT_EQ(countRows(*db, QStringLiteral("SELECT * FROM PointParameters")), 11 + 12 + 6);
    EXPECT_EQ(countRows(*db, QStringLiteral("SELECT * FROM CommonParameters")), 3);
    // Per point: its modes 1 … 3 with its kinds, all marked with the kind it was entered in.
    EXPECT_EQ(test::rows(*db, QStringLiteral("SELECT Points.PointNumber, Powers.PowerNumber, Count(*), Min(Powers.PowerID), "
                                             "Max(Powers.PowerID) FROM Powers, Points WHERE Powers.PointID = Points.PointID "
                                             "GROUP BY Points.PointNumber, Powers.PowerNumber ORDER BY Points.PointNumber")),
        QStringList({ "1 2 12 1 4", "2 4 12 1 4", "3 5 9 5 7" }));
    EXPECT_EQ(countRows(*db, QStringLiteral("SELECT * FROM Powers WHERE RezNumber < 1 OR RezNumber > 3")), 0);
    // The coefficients keep their single-precision digits: 1.05, not 1.04999995231628.
    EXPECT_EQ(value(QStringLiteral("SELECT Kt FROM BearRep WHERE Side = 1"), QStringLiteral("Kt")).toDouble(), 1.05);
    EXPECT_TRUE(value(QStringLiteral("SELECT Pr FROM BearRep WHERE Side = 0"), QStringLiteral("Pr")).isNull());

    // The file's conical mode 2 gives 5.43663 kgf·m for 80 N·m at 1500 rpm:
    // the store holds the loads the entered N·m make, 80·1500/7025.922 hp,
    // that over 1.36 in kW and 80·716.2/7025.922 kgf·m.
    Scenario stored = readScenarioFromStore(*db);
    ModeRecord &derived = stored.points[1].modes[1];
    EXPECT_NEAR(derived.Load1, 17.079608911115155, 1e-12);
    EXPECT_NEAR(derived.Load2, 12.558535964055261, 1e-12);
    EXPECT_NEAR(derived.Load3, 8.15494393476045, 1e-12);
    EXPECT_EQ(derived.Load4, 80);
    derived = file->points[1].modes[1];
    EXPECT_EQ(stored, *file);
}

TEST_F(ScenarioStore, LoneRightBearingStaysRight)
{
    putBearing(1, { 7, 1.1f, 1.0f, 2, 0, 1 });
    const Scenario s = readScenarioFromStore(*db);
    EXPECT_EQ(s.bearings.at(0), ScenarioBearing {});
    EXPECT_EQ(s.bearings.at(1), (ScenarioBearing { 7, 1.1f, 1.0f, 2, 0, 1 }));

    test::TempStore other;
    auto target = other.open();
    writeScenarioToStore(*target, *decodeScenario(encodeScenario(s)));
    EXPECT_EQ(countRows(*target, QStringLiteral("SELECT * FROM BearRep")), 1);
    EXPECT_EQ(countRows(*target, QStringLiteral("SELECT * FROM BearRep WHERE Side = 1 AND BearingID = 7")), 1);
}

// The required lives travel in a block after the record: the record's bytes
// stay as they were, so a reader that stops after the record opens the file;
// a stale tail or a damaged block is no life at all.
TEST_F(ScenarioStore, RequiredLivesFollowTheRecordInABlock)
{
    putScheme(twoGearsOneForce());
    writeRequiredLife(*db, 0, 7000);
    writeRequiredLife(*db, 1, 2500.5);
    const Scenario saved = readScenarioFromStore(*db);
    EXPECT_EQ(saved.requiredLife, (std::array<std::optional<double>, 2> { 7000, 2500.5 }));
    const QByteArray bytes = encodeScenario(saved);
    const QByteArray record = golden("two_gears_one_force.tvd");
    ASSERT_TRUE(bytes.startsWith(record));
    // magic, tag, length, two × (int32 + float64), CRC-32
    EXPECT_EQ(bytes.mid(record.size(), 12), QByteArray("TVBKLIFE\x18\0\0\0", 12));
    EXPECT_EQ(bytes.size(), record.size() + 12 + 24 + 4);
    // The checksum as zip computes it (Python: zlib.crc32 of tag, length and payload).
    EXPECT_EQ(bytes.right(4), QByteArray::fromHex("d7d808d1"));

    test::TempStore other;
    auto target = other.open();
    writeRequiredLife(*target, 1, 99);
    writeScenarioToStore(*target, *decodeScenario(bytes));
    EXPECT_EQ(test::rows(*target, QStringLiteral("SELECT Side, Lh FROM RequiredLife ORDER BY Side")),
        (QStringList { "0 7000", "1 2500.5" }));

    // One life only; a file of an older version, or one with a stale tail,
    // opens with none and empties what the store held.
    Scenario left = saved;
    left.requiredLife[1].reset();
    EXPECT_EQ(decodeScenario(encodeScenario(left))->requiredLife, left.requiredLife);
    for (const QByteArray &tail : { QByteArray(), QByteArray("TVBKLIFE\x18\0\0\0 stale", 18), bytes.mid(record.size(), 39) }) {
        const std::optional<Scenario> old = decodeScenario(record + tail);
        ASSERT_TRUE(old.has_value());
        EXPECT_EQ(old->requiredLife, (std::array<std::optional<double>, 2> {}));
    }
    QByteArray damaged = bytes;
    damaged[record.size() + 20] = '\x7f'; // in the payload: the checksum no longer holds
    EXPECT_EQ(decodeScenario(damaged)->requiredLife, (std::array<std::optional<double>, 2> {}));
    writeScenarioToStore(*target, *decodeScenario(record));
    EXPECT_EQ(countRows(*target, QStringLiteral("SELECT * FROM RequiredLife")), 0);
}

TEST_F(ScenarioStore, EmptyListsLeaveTheirTablesButBearingsAreAlwaysReplaced)
{
    putScheme(twoGearsOneForce());
    writeScenarioToStore(*db, Scenario {});
    EXPECT_EQ(tableRows(), (QVector<int> { 3, 3, 29, 33, 0 }));
}

TEST_F(ScenarioStore, DamagedRecordsAreRefused)
{
    const QByteArray good = golden("two_gears_one_force.tvd");
    const auto patched = [&](int offset, QByteArray bytes) {
        QByteArray b = good;
        b.replace(offset, bytes.size(), bytes);
        return b;
    };
    // Offsets in the golden record: Common header 0, its entries 10 … 45;
    // Points header 46, first point at 56: PointNumber 56, GroupID 60,
    // Modes header 64 (count at 66), mode 1 at 74, PowerNumber 218.
    const struct
    {
        const char *name;
        QByteArray bytes;
    } cases[] = {
        { "nothing", QByteArray() },
        { "one byte short of an empty scenario", golden("empty.tvd").left(51) },
        { "cut in the last bearing", good.left(good.size() - 1) },
        { "cut inside a point", good.left(300) },
        { "common count beyond the file",
            Bytes().i16(1).i32(std::numeric_limits<qint32>::max()).i32(1).zeros(60).data },
        { "point count beyond the file", Bytes().i16(0).i16(1).i32(100000000).i32(1).zeros(64).data },
        { "mode count beyond the file", patched(66, Bytes().i32(1 << 30).data) },
        // One free force whose mode list claims more than the file holds,
        // though its kind, an empty parameter list and the bearings follow.
        { "mode count beyond a whole rest",
            Bytes().i16(0).i16(1).i32(1).i32(1).i32(1).i32(2).i16(1).i32(1 << 20).i32(1).i32(5).i16(0).zeros(48).data },
        { "negative count", Bytes().i16(1).i32(-1).i32(1).zeros(60).data },
        { "two dimensions", Bytes().i16(2).zeros(60).data },
        { "first index 0", patched(50, Bytes().i32(0).data) },
        { "unknown group", patched(60, Bytes().i32(5).data) },
        { "point number 2 in first place", patched(56, Bytes().i32(2).data) },
        { "gear load kind 5", patched(218, Bytes().i32(5).data) },
        { "value not a number", patched(14, Bytes().f64(std::numeric_limits<double>::quiet_NaN()).data) },
        { "load not a number", patched(74, Bytes().f64(std::numeric_limits<double>::quiet_NaN()).data) },
        { "roll ring 3 of a chosen bearing", patched(good.size() - 36, Bytes().i32(3).data) },
    };

    putScheme(twoGearsOneForce());
    const QVector<int> before = tableRows();
    for (const auto &c : cases) {
        QString error;
        EXPECT_FALSE(decodeScenario(c.bytes, &error)) << c.name;
        EXPECT_FALSE(error.isEmpty()) << c.name;
    }
    EXPECT_EQ(tableRows(), before);
    // Gear loads entered in horsepower (kind 1); the same free force with the one mode it claims, whole.
    EXPECT_TRUE(decodeScenario(patched(218, Bytes().i32(1).data)).has_value());
    const auto one = Bytes().i16(0).i16(1).i32(1).i32(1).i32(1).i32(2).i16(1).i32(1).i32(1).zeros(48).i32(5).i16(0);
    EXPECT_EQ(decodeScenario(one.data + QByteArray(48, '\0')).value_or(Scenario {}).points.value(0).modes.size(), 1);

    // A scenario that never came from a file is refused before any statement.
    Scenario bad = twoGearsOneForce();
    bad.points[1].groupId = 9;
    EXPECT_THROW(writeScenarioToStore(*db, bad), std::invalid_argument);
    EXPECT_EQ(tableRows(), before);
}

// A list longer than any shaft has is refused at once, naming the limit: a
// file of a million empty points would otherwise take minutes and gigabytes.
TEST(ScenarioFile, ListsLongerThanAnyShaftHasAreRefused)
{
    const auto points = [](qint32 count) {
        Bytes bytes;
        bytes.i16(0).i16(1).i32(count).i32(1); // no general data; the points from 1
        for (qint32 i = 1; i <= count; ++i)
            bytes.i32(i).i32(2).i16(0).i32(1).i16(0); // a free force without modes or parameters
        return bytes.zeros(48).data;
    };
    EXPECT_EQ(decodeScenario(points(10000))->points.size(), 10000);
    QString error;
    EXPECT_FALSE(decodeScenario(points(10001), &error).has_value());
    EXPECT_TRUE(error.contains(QStringLiteral("10001 элементов, а их бывает не больше 10000"))) << error.toStdString();
}

TEST(ScenarioFile, SavingTruncatesAndFailuresAreReported)
{
    const QByteArray good = golden("two_gears_one_force.tvd");
    EXPECT_EQ(decodeScenario(good + QByteArray(100, '\x7f')), twoGearsOneForce()); // a stale tail is not read

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("plan1.tvd"));
    QString error;
    ASSERT_TRUE(saveScenarioFile(path, good, &error)) << error.toStdString();
    ASSERT_TRUE(saveScenarioFile(path, golden("empty.tvd"), &error)) << error.toStdString();
    EXPECT_EQ(QFileInfo(path).size(), kEmptyScenarioSize);
    EXPECT_EQ(loadScenarioFile(path, &error), Scenario {});
    // The smallest point a file can hold: no modes, no parameters.
    Scenario bare;
    bare.points = { ScenarioPoint { 1, 2, {}, 5, {} } };
    EXPECT_EQ(decodeScenario(encodeScenario(bare)), bare);

    // Failures are told in the user's words, naming what is missing.
    const QString folder = QDir::toNativeSeparators(dir.filePath(QStringLiteral("missing")));
    EXPECT_FALSE(saveScenarioFile(dir.filePath(QStringLiteral("missing/plan1.tvd")), good, &error));
    EXPECT_EQ(error, QStringLiteral("Папка %1 не существует.").arg(folder));
    EXPECT_FALSE(saveScenarioFile(dir.path(), good, &error));
    EXPECT_EQ(error, QStringLiteral("Это папка, а не файл."));
    // Opening a name that does not exist neither creates it nor yields a scenario.
    const QString absent = dir.filePath(QStringLiteral("absent.tvd"));
    EXPECT_FALSE(loadScenarioFile(absent, &error));
    EXPECT_EQ(error, QStringLiteral("Файл не найден."));
    EXPECT_FALSE(QFileInfo::exists(absent));
}

} // namespace

// A well-formed file that does not fit the store: refused with the
// parameter's caption, or fitted with a note the user sees.
TEST_F(ScenarioStore, OpenedScenarioIsFittedToTheStoreOrRefused)
{
    const struct
    {
        const char *name;
        std::function<void(Scenario &)> change;
        const char *message; // the refusal or the note
        bool refused;
    } cases[] = {
        {"rotation 0", [](Scenario &s) { s.common[2].value = 0; }, "«Направление вращения вала»", true},
        {"teeth direction 2.5", [](Scenario &s) { s.points[0].params[7].value = 2.5; },
         "«Направление зубьев колеса на валу» (точка 1)", true},
        {"another speed", [](Scenario &s) { s.points[1].modes[2].Speed = 700; }, "приведены к режимам точки 1", false},
        {"a surplus mode", [](Scenario &s) { s.points[2].modes.append({1, 2, 3, 0, 9, 9}); }, "приведены к режимам точки 1", false},
        {"a missing mode", [](Scenario &s) { s.points[1].modes.removeLast(); }, "приведены к режимам точки 1", false},
        {"unknown right bearing", [](Scenario &s) { s.bearings[1].bearingId = 99999; }, "99999 (правая опора)", false},
        {"unknown left bearing", [](Scenario &s) { s.bearings[0].bearingId = 99998; }, "99998 (левая опора)", false},
    };
    putScheme(twoGearsOneForce());
    const QVector<int> before = tableRows();
    for (const auto &c : cases) {
        Scenario s = twoGearsOneForce();
        s.points[1].modes[1].Load3 = 8.15494393476045; // as 80 N·m at 1500 rpm make: the kinds agree
        c.change(s);
        QStringList notes;
        try {
            writeScenarioToStore(*db, s, &notes);
            EXPECT_FALSE(c.refused) << c.name;
        } catch (const std::invalid_argument &refusal) {
            EXPECT_TRUE(c.refused) << c.name;
            notes << QString::fromUtf8(refusal.what());
            EXPECT_EQ(tableRows(), before) << c.name;
        }
        EXPECT_TRUE(notes.join(QLatin1Char(' ')).contains(QString::fromUtf8(c.message))) << c.name << notes.join(' ').toStdString();
        EXPECT_EQ(notes.size(), 1) << c.name; // nothing else was changed
        if (!c.refused) {
            // Every point now has point 1's three modes; the dropped bearing's support has none.
            EXPECT_EQ(countRows(*db, QStringLiteral("SELECT * FROM Powers WHERE RezNumber > 3 OR Speed <> 1000 AND RezNumber = 1 "
                                                    "OR Speed <> 1500 AND RezNumber = 2 OR Speed <> 750 AND RezNumber = 3")), 0) << c.name;
            EXPECT_EQ(countRows(*db, QStringLiteral("SELECT * FROM Powers")), 33) << c.name;
            EXPECT_EQ(countRows(*db, QStringLiteral("SELECT * FROM BearRep WHERE BearingID > 99990")), 0);
        }
    }
}

// A number no shaft can have is refused with the parameter and its range;
// the bounds themselves, an overhung load and the store's unset 0 are read.
TEST(ScenarioFile, NumbersOutsideTheirRangesAreRefused)
{
    const struct
    {
        const char *name;
        std::function<void(Scenario &)> change;
        const char *message; // empty: the file is read
    } cases[] = {
        { "Kb 1.4e-45", [](Scenario &s) { s.bearings[0].Kb = 1.4e-45f; },
            "«Коэффициент безопасности Кб» (левая опора) вне допустимых пределов: оно должно быть от 1 до 10." },
        { "Kt 1.4e-45", [](Scenario &s) { s.bearings[1].Kt = 1.4e-45f; }, "«Температурный коэффициент Kt» (правая опора)" },
        { "Kb 1e30", [](Scenario &s) { s.bearings[0].Kb = 1e30f; }, "должно быть от 1 до 10" },
        { "Kb 10", [](Scenario &s) { s.bearings[0].Kb = 10; }, "" },
        { "Kb 0 is not set", [](Scenario &s) { s.bearings[0].Kb = 0; }, "" },
        { "L 1e-12", [](Scenario &s) { s.common[0].value = 1e-12; },
            "значение 1e-12 параметра «Расстояние между опорами L» (общие данные) вне допустимых пределов: оно "
            "должно быть от 0.1 до 100000 мм." },
        { "L 0 is not set", [](Scenario &s) { s.common[0].value = 0; }, "" },
        { "L 100.001 m", [](Scenario &s) { s.common[0].value = 100001; }, "от 0.1 до 100000 мм" },
        { "helix 1.19e40", [](Scenario &s) { s.points[0].params[3].value = 1.19e40; },
            "«Угол наклона зубьев» (точка 1) вне допустимых пределов: оно должно быть не меньше 0 и меньше 90 град." },
        { "helix 90", [](Scenario &s) { s.points[0].params[3].value = 90; }, "меньше 90 град" },
        { "helix -5", [](Scenario &s) { s.points[0].params[3].value = -5; }, "не меньше 0" },
        { "module 0.01", [](Scenario &s) { s.points[0].params[0].value = 0.01; }, "«Нормальный модуль m» (точка 1)" },
        { "shaft angle 180", [](Scenario &s) { s.points[1].params[5].value = 180; },
            "должно быть больше 0 и меньше 180 град" },
        { "face width 1e6", [](Scenario &s) { s.points[1].params[6].value = 1e6; }, "«Ширина зубчатого венца b»" },
        { "position angle 4000", [](Scenario &s) { s.points[1].params[10].value = 4000; }, "от -3600 до 3600 град" },
        { "position angle 390, a turn and a bit", [](Scenario &s) { s.points[1].params[10].value = 390; }, "" },
        { "overhung load z -80", [](Scenario &s) { s.points[2].params[2].value = -80; }, "" },
        { "mesh z -1e6", [](Scenario &s) { s.points[0].params[10].value = -1e6; },
            "«Координата z зацепления» (точка 1) вне допустимых пределов: оно должно быть по абсолютной величине не "
            "больше 100000 мм." },
    };
    for (const auto &c : cases) {
        Scenario s = twoGearsOneForce();
        c.change(s);
        QString error;
        const std::optional<Scenario> read = decodeScenario(encodeScenario(s), &error);
        if (*c.message == '\0') {
            EXPECT_EQ(read, s) << c.name << error.toStdString();
            continue;
        }
        EXPECT_FALSE(read) << c.name;
        EXPECT_TRUE(error.contains(QString::fromUtf8(c.message))) << c.name << " " << error.toStdString();
    }
}

// The four kinds of a gear load are one load: a file whose kilowatts and
// torque disagree is read with every kind derived from the kind entered
// (here kW, kind 2), so the results are those of the load it prints.
TEST_F(ScenarioStore, DisagreeingLoadKindsAreDerivedFromTheEnteredOne)
{
    const struct
    {
        const char *name;
        ModeRecord mode; // mode 1 of point 1, entered in kW
        std::array<double, 4> stored; // hp, kW, kgf·m, N·m; empty when refused
        const char *message;
    } cases[] = {
        // 15 kW = 20.4 hp; at 1000 rpm 20.4·716.2/1000 kgf·m and 20.4·7025.922/1000 N·m.
        { "torque of 7.5 kW", { 10.2, 15, 7.3052, 71.664, 1000, 0.5 }, { 20.4, 15, 14.61048, 143.3288088 },
            "пересчитаны из единицы, в которой нагрузка была введена" },
        { "torque of 0", { 20.4, 15, 0, 0, 1000, 0.5 }, { 20.4, 15, 14.61048, 143.3288088 }, "пересчитаны" },
        { "no load at all", { 0, 0, 3, 4, 1000, 0.5 }, { 0, 0, 0, 0 }, "пересчитаны" },
        { "a load at no speed", { 20.4, 15, 0, 0, 0, 0.5 }, {},
            "нагрузка точки 1 в режиме 1 задана при нулевой частоте вращения" },
    };
    for (const auto &c : cases) {
        Scenario s = twoGearsOneForce();
        s.points[0].modes[0] = c.mode;
        QStringList notes;
        try {
            writeScenarioToStore(*db, s, &notes);
        } catch (const std::invalid_argument &refusal) {
            notes << QString::fromUtf8(refusal.what());
            EXPECT_EQ(c.stored, (std::array<double, 4> {})) << c.name;
        }
        EXPECT_TRUE(notes.join(' ').contains(QString::fromUtf8(c.message))) << c.name << notes.join(' ').toStdString();
        if (c.stored == std::array<double, 4> {})
            continue;
        const QStringList loads = test::rows(*db, QStringLiteral("SELECT Power FROM Powers, Points WHERE Powers.PointID = "
                                                                 "Points.PointID AND PointNumber = 1 AND RezNumber = 1 "
                                                                 "ORDER BY PowerID"));
        ASSERT_EQ(loads.size(), 4) << c.name;
        for (int k = 0; k < 4; ++k)
            EXPECT_NEAR(loads.at(k).toDouble(), c.stored.at(k), 1e-9) << c.name << " kind " << k + 1;
    }
}
