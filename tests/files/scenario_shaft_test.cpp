// The shaft's steps, settings and steel in the store and in the scenario file.

#include "files/scenario_file.h"

#include "analysis/scheme_store.h"
#include "analysis/shaft_inputs.h"
#include "analysis/shaft_steels.h"
#include "store/store_file.h"

#include <QtEndian>

#include <gtest/gtest.h>

#include <stdexcept>

using namespace tarnvel;
using tarnvel::test::countRows;

namespace {

const QVector<ShaftSegment> kSteps { { 30, 35, 0 }, { 120.5, 48, 20 }, { 49.5, 35, 0 } };

class ShaftStore : public test::SchemeStore
{
protected:
    // A shaft as the workbench leaves it: three steps, two settings changed
    // and the first steel of the catalogue.
    void putShaft()
    {
        writeShaftSegments(*db, kSteps);
        writeShaftSetting(*db, shaftSetting::peakFactor, 2.5);
        writeShaftSetting(*db, shaftSetting::slopeLeft, 0.004);
        writeShaftSetting(*db, shaftSetting::steel, static_cast<double>(shaftSteels(*db).first().id));
    }
};

} // namespace

TEST_F(ShaftStore, StepsAreTheShaftAndItsLengthIsTheAxis)
{
    setCommon(53, 500);
    putShaft();
    const ShaftInputs shaft = readShaftInputs(*db);
    EXPECT_EQ(shaft.segments, kSteps);
    EXPECT_DOUBLE_EQ(shaft.length(), 200);
    EXPECT_EQ(test::rows(*db, QStringLiteral("SELECT ParamValue FROM CommonParameters WHERE ParameterID = 53")),
        QStringList { "200" });
    EXPECT_DOUBLE_EQ(shaft.setting(shaftSetting::peakFactor), 2.5);
    EXPECT_DOUBLE_EQ(shaft.setting(shaftSetting::allowedBending), 55); // default
    EXPECT_DOUBLE_EQ(shaft.setting(shaftSetting::requiredSafety), 1.5);
    ASSERT_TRUE(shaft.steel.has_value());
    EXPECT_EQ(shaft.steel->id, shaftSteels(*db).first().id);

    // Back to the default: no row.
    writeShaftSetting(*db, shaftSetting::peakFactor, std::nullopt);
    EXPECT_DOUBLE_EQ(readShaftInputs(*db).setting(shaftSetting::peakFactor), 2.0);

    // The allowed slope by the bearing: roller 0.0025, ball 0.005.
    EXPECT_DOUBLE_EQ(defaultAllowedSlope(1), 0.0025);
    EXPECT_DOUBLE_EQ(defaultAllowedSlope(2), 0.005);
    EXPECT_DOUBLE_EQ(defaultAllowedSlope(3), 0.005);
}

TEST_F(ShaftStore, StepsAndSettingsOutOfRangeAreRefusedWithTheirRange)
{
    putShaft();
    const struct
    {
        ShaftSegment step;
        const char *message;
    } refused[] = {
        { { 0.05, 40, 0 }, "Длина ступени" },
        { { 10, 0.5, 0 }, "Наружный диаметр ступени" },
        { { 10, 40, 40 }, "меньше её наружного диаметра" },
        { { 10, 40, 0.01 }, "Диаметр отверстия ступени" },
        { { 40000, 40, 0 }, "Длина вала" },
    };
    for (const auto &c : refused) {
        try {
            writeShaftSegments(*db, { c.step });
            ADD_FAILURE() << c.message;
        } catch (const std::invalid_argument &e) {
            EXPECT_TRUE(QString::fromStdString(e.what()).contains(QString::fromUtf8(c.message))) << e.what();
        }
    }
    EXPECT_EQ(readShaftInputs(*db).segments, kSteps); // nothing written
    for (const auto &[id, value] : { std::pair { shaftSetting::peakFactor, 0.5 },
             std::pair { shaftSetting::allowedBending, 0.0 }, std::pair { shaftSetting::slopeRight, 1.0 },
             std::pair { shaftSetting::deflectionBevel, -0.01 } }) {
        EXPECT_THROW(writeShaftSetting(*db, id, value), std::invalid_argument) << id;
    }
    EXPECT_DOUBLE_EQ(readShaftInputs(*db).setting(shaftSetting::peakFactor), 2.5);
}

TEST_F(ShaftStore, ShaftRoundTripsInABlockAfterTheRecord)
{
    putShaft();
    const Scenario saved = readScenarioFromStore(*db);
    EXPECT_EQ(saved.shaft.segments, kSteps);
    EXPECT_EQ(saved.shaft.settings.size(), 2); // the steel goes whole, not by its id
    ASSERT_TRUE(saved.shaft.steel.has_value());
    const QByteArray bytes = encodeScenario(saved);
    // The record comes first and is what it always was; the block follows it.
    Scenario recordOnly = saved;
    recordOnly.shaft = {};
    const QByteArray record = encodeScenario(recordOnly);
    ASSERT_TRUE(bytes.startsWith(record));
    EXPECT_EQ(bytes.mid(record.size(), 8), QByteArray("TVBKSHFT"));

    test::TempStore other;
    auto target = other.open();
    QStringList notes;
    writeScenarioToStore(*target, *decodeScenario(bytes), &notes);
    const ShaftInputs opened = readShaftInputs(*target);
    EXPECT_EQ(opened.segments, kSteps);
    EXPECT_DOUBLE_EQ(opened.setting(shaftSetting::peakFactor), 2.5);
    EXPECT_DOUBLE_EQ(opened.setting(shaftSetting::slopeLeft), 0.004);
    ASSERT_TRUE(opened.steel.has_value());
    EXPECT_EQ(opened.steel->grade, saved.shaft.steel->grade);
    // The same catalogue row, not a copy of it.
    EXPECT_EQ(opened.steel->id, saved.shaft.steel->id);
    EXPECT_TRUE(notes.isEmpty()) << notes.join(QLatin1Char('\n')).toStdString();
}

TEST_F(ShaftStore, AFileFromBeforeTheShaftOpensWithoutOneAndNewFilesKeepTheirRecord)
{
    putShaft();
    const QByteArray older = test::fileBytes(QStringLiteral(TARNVEL_TEST_DATA "/files/two_gears_one_force.tvd"));
    ASSERT_FALSE(older.isEmpty());
    const std::optional<Scenario> opened = decodeScenario(older);
    ASSERT_TRUE(opened.has_value());
    EXPECT_TRUE(opened->shaft.isEmpty());
    writeScenarioToStore(*db, *opened);
    EXPECT_EQ(countRows(*db, QStringLiteral("SELECT * FROM ShaftSegments")), 0);

    // The new program's file of that scenario with a shaft: its first bytes
    // are the older file's, byte for byte, and every block after them is
    // whole with its checksum, which a reader that knows no "SHFT" passes over.
    Scenario withShaft = *opened;
    withShaft.shaft.segments = kSteps;
    const QByteArray bytes = encodeScenario(withShaft);
    ASSERT_TRUE(bytes.startsWith(older));
    QByteArray renamed = bytes;
    renamed.replace(older.size() + 4, 4, "XXXX"); // an unknown tag: the checksum now fails, the block is passed over
    const std::optional<Scenario> passedOver = decodeScenario(renamed);
    ASSERT_TRUE(passedOver.has_value());
    EXPECT_EQ(passedOver->points, opened->points);
    EXPECT_TRUE(passedOver->shaft.isEmpty());
}

TEST(ScenarioShaft, AStaleBlockOfAnotherRecordIsNotTakenForOne)
{
    // Two records of the same length: a file of the second written in place
    // over one of the first keeps the first one's block after it.
    Scenario first;
    first.common = { { 2, 200 }, { 53, 200 } };
    first.shaft.segments = { { 200, 40, 0 } };
    Scenario second = first;
    second.common = { { 2, 150 }, { 53, 200 } };
    second.shaft = {};
    const QByteArray firstBytes = encodeScenario(first);
    const QByteArray secondRecord = encodeScenario(second);
    ASSERT_EQ(secondRecord.size() < firstBytes.size(), true);
    const QByteArray stale = secondRecord + firstBytes.mid(secondRecord.size());
    const std::optional<Scenario> opened = decodeScenario(stale);
    ASSERT_TRUE(opened.has_value());
    EXPECT_TRUE(opened->shaft.isEmpty());
    EXPECT_EQ(decodeScenario(firstBytes)->shaft.segments, first.shaft.segments);
}

TEST(ScenarioShaft, ABlockOfItsOwnRecordThatIsNotWholeOrOutOfRangeIsRefused)
{
    Scenario s;
    s.common = { { 2, 200 } };
    s.shaft.segments = { { 200, 40, 0 } };
    QByteArray bytes = encodeScenario(s);
    QString error;

    // A step of 0 mm, written with a sound checksum.
    Scenario zero = s;
    zero.shaft.segments = { { 0, 40, 0 } };
    EXPECT_FALSE(decodeScenario(encodeScenario(zero), &error).has_value());
    EXPECT_TRUE(error.contains(QStringLiteral("ступень вала 1"))) << error.toStdString();

    // An unknown setting.
    Scenario unknown = s;
    unknown.shaft.settings = { { 99, 1 } };
    EXPECT_FALSE(decodeScenario(encodeScenario(unknown), &error).has_value());
    EXPECT_TRUE(error.contains(QStringLiteral("настройка"))) << error.toStdString();

    // A count beyond the payload, checksum recomputed: the block is its
    // record's and laid out wrongly.
    const int record = static_cast<int>(encodeScenario(Scenario { s.common, {}, {}, {}, {} }).size());
    const int countAt = record + 12 + 4; // magic, tag, length; then the record's CRC
    QByteArray wrong = bytes;
    qToLittleEndian<qint32>(900, wrong.data() + countAt);
    // Recompute the block's checksum over tag, length and payload.
    const QByteArray checked = wrong.mid(record + 4, wrong.size() - record - 8);
    quint32 crc = 0xFFFFFFFFu;
    for (const char c : checked) {
        crc ^= static_cast<quint8>(c);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    qToLittleEndian<quint32>(~crc, wrong.data() + wrong.size() - 4);
    EXPECT_FALSE(decodeScenario(wrong, &error).has_value());
    EXPECT_TRUE(error.contains(QStringLiteral("данные вала"))) << error.toStdString();
}

TEST_F(ShaftStore, ASteelTheCatalogueLacksJoinsIt)
{
    putShaft();
    Scenario s = readScenarioFromStore(*db);
    const int catalogued = countRows(*db, QStringLiteral("SELECT * FROM ShaftSteels"));
    // Another wording of the hardness and the source is the same steel.
    Scenario reworded = s;
    reworded.shaft.steel->hardness = QStringLiteral("не ниже 190 HB");
    reworded.shaft.steel->source = QStringLiteral("другое издание");
    QStringList none;
    writeScenarioToStore(*db, *decodeScenario(encodeScenario(reworded)), &none);
    EXPECT_TRUE(none.isEmpty());
    EXPECT_EQ(countRows(*db, QStringLiteral("SELECT * FROM ShaftSteels")), catalogued);
    EXPECT_EQ(readShaftInputs(*db).steel->id, s.shaft.steel->id);

    s.shaft.steel->grade = QStringLiteral("38ХН3МФА");
    s.shaft.steel->sigmaT = 270;
    const int before = countRows(*db, QStringLiteral("SELECT * FROM ShaftSteels"));
    QStringList notes;
    QString error;
    const std::optional<Scenario> decoded = decodeScenario(encodeScenario(s), &error);
    ASSERT_TRUE(decoded.has_value()) << error.toStdString();
    writeScenarioToStore(*db, *decoded, &notes);
    EXPECT_EQ(countRows(*db, QStringLiteral("SELECT * FROM ShaftSteels")), before + 1);
    ASSERT_EQ(notes.size(), 1);
    EXPECT_TRUE(notes.first().contains(QStringLiteral("38ХН3МФА")));
    const ShaftInputs opened = readShaftInputs(*db);
    ASSERT_TRUE(opened.steel.has_value());
    EXPECT_EQ(opened.steel->grade, QStringLiteral("38ХН3МФА"));
    EXPECT_DOUBLE_EQ(opened.steel->sigmaT, 270);

    // A steel no handbook could hold is no steel: the file is refused.
    s.shaft.steel->sigmaT = 2 * s.shaft.steel->sigmaB;
    QString refused;
    EXPECT_FALSE(decodeScenario(encodeScenario(s), &refused).has_value());
    EXPECT_TRUE(refused.startsWith(QStringLiteral("Файл сценария повреждён: сталь вала: "))) << refused.toStdString();
    EXPECT_FALSE(refused.endsWith(QStringLiteral(".."))) << refused.toStdString();
}
