#include "analysis/shaft_steels.h"
#include "store/store_file.h"

#include "test_support.h"

#include <QFile>

#include <gtest/gtest.h>

#include <cmath>

using namespace tarnvel;

namespace {

class ShaftSteels : public ::testing::Test
{
protected:
    void SetUp() override { db = store.open(); }
    test::TempStore store;
    std::unique_ptr<Database> db;
};

const ShaftSteel kTyped { 0, QStringLiteral("30ХГСА"), QStringLiteral("закалка"), 80, QStringLiteral("HRC 42…48"), 1100,
    850, 500, 490, 280, 0.1, 2.1e5, QStringLiteral("паспорт поставщика") };

std::optional<ShaftSteel> find(
    const QVector<ShaftSteel> &steels, const QString &grade, const QString &treatment, double blank)
{
    for (const ShaftSteel &steel : steels)
        if (steel.grade == grade && steel.treatment == treatment && steel.blankDiameter == blank)
            return steel;
    return std::nullopt;
}

} // namespace

TEST_F(ShaftSteels, ANewStoreHoldsTheCommonShaftSteelsAndTheyKeepTheRelationsOfSteels)
{
    const QVector<ShaftSteel> steels = shaftSteels(*db);
    for (const auto &[grade, treatment, blank] : { std::tuple { "45", "нормализация", 0 }, { "45", "улучшение", 120 },
             { "45", "улучшение", 80 }, { "40Х", "улучшение", 200 }, { "40ХН", "улучшение", 0 },
             { "20Х", "цементация", 120 }, { "12ХН3А", "цементация", 120 }, { "18ХГТ", "цементация", 60 } })
        EXPECT_TRUE(find(steels, QString::fromUtf8(grade), QString::fromUtf8(treatment), blank))
            << grade << ' ' << blank;
    // Textbook relations of structural steels, independent of any one table:
    // σ-1 ≈ (0.40…0.50) σв, τ-1 ≈ (0.50…0.65) σ-1, τт ≈ (0.50…0.75) σт. A
    // row that breaks one was mistyped.
    for (const ShaftSteel &s : steels) {
        const std::string row = (s.grade + QLatin1Char(' ') + s.treatment).toStdString();
        EXPECT_EQ(shaftSteelFault(s), QString()) << row;
        EXPECT_TRUE(s.sigmaM1 >= 0.40 * s.sigmaB && s.sigmaM1 <= 0.50 * s.sigmaB) << row;
        EXPECT_TRUE(s.tauM1 >= 0.50 * s.sigmaM1 && s.tauM1 <= 0.65 * s.sigmaM1) << row;
        EXPECT_TRUE(s.tauT >= 0.50 * s.sigmaT && s.tauT <= 0.75 * s.sigmaT) << row;
        EXPECT_EQ(s.E, 2.1e5) << row;
        // Quoted in the file with commas inside: it must arrive whole.
        EXPECT_TRUE(s.source.contains(QStringLiteral(", ")) && s.source.contains(u'«')) << row;
    }
}

TEST_F(ShaftSteels, OutOfRangeValuesAreRefusedWithTheRange)
{
    const QString stress = QStringLiteral("» должно быть больше 0 и меньше 5000 МПа.");
    const struct
    {
        double ShaftSteel::*field;
        double value;
        QString message; // empty: accepted
    } cases[] = {
        { &ShaftSteel::sigmaB, 0, QStringLiteral("Значение параметра «Предел прочности σв") + stress },
        { &ShaftSteel::sigmaB, 4999, {} },
        { &ShaftSteel::blankDiameter, 0, {} }, // any blank
        { &ShaftSteel::sigmaT, 1200, QStringLiteral("Предел текучести σт не может быть больше предела прочности σв.") },
        { &ShaftSteel::tauM1, NAN,
            QStringLiteral("Значение параметра «Предел выносливости при кручении τ-1") + stress },
        { &ShaftSteel::psiTau, 1.5,
            QStringLiteral(
                "Значение параметра «Коэффициент чувствительности к асимметрии цикла ψτ» должно быть от 0 до 1.") },
        { &ShaftSteel::psiTau, 1, {} },
        { &ShaftSteel::E, 210,
            QStringLiteral("Значение параметра «Модуль упругости E» должно быть от 10000 до 1000000 МПа.") }, // GPa
        { &ShaftSteel::E, 1e4, {} },
        { &ShaftSteel::blankDiameter, -1,
            QStringLiteral("Значение параметра «Наибольший диаметр заготовки» должно быть от 0 до 2000 мм.") },
    };
    const qsizetype before = shaftSteels(*db).size();
    qsizetype added = 0;
    for (const auto &c : cases) {
        ShaftSteel steel = kTyped;
        steel.*c.field = c.value;
        EXPECT_EQ(shaftSteelFault(steel), c.message) << c.value;
        try {
            addShaftSteel(*db, steel);
            ++added;
            EXPECT_TRUE(c.message.isEmpty()) << "accepted " << c.value;
        } catch (const StoreError &error) {
            EXPECT_EQ(error.message(), c.message);
        }
    }
    EXPECT_EQ(shaftSteels(*db).size(), before + added);
}

TEST_F(ShaftSteels, AUserSteelIsKeptAsTypedAndMayBeRemovedButCatalogueRowsStay)
{
    const QVector<ShaftSteel> catalogue = shaftSteels(*db);
    ASSERT_FALSE(catalogue.isEmpty());
    ShaftSteel expected = kTyped;
    expected.id = addShaftSteel(*db, kTyped);
    db.reset();
    db = store.open();
    EXPECT_EQ(shaftSteel(*db, expected.id), expected);
    EXPECT_TRUE(isUserSteel(*db, expected.id));
    EXPECT_EQ(shaftSteels(*db), catalogue + QVector<ShaftSteel> { expected });

    EXPECT_THROW(removeShaftSteel(*db, catalogue.first().id), StoreError);
    EXPECT_THROW(removeShaftSteel(*db, expected.id + 100), StoreError);
    EXPECT_EQ(shaftSteels(*db).size(), catalogue.size() + 1);
    removeShaftSteel(*db, expected.id);
    EXPECT_EQ(shaftSteels(*db), catalogue);
}

// The catalogue against a second transcription of the same handbook rows
// from another source (named in the file). Every value it gives must agree;
// an empty cell there is not compared.
TEST_F(ShaftSteels, CatalogueAgreesWithTheSecondTranscription)
{
    QFile file(QStringLiteral(TARNVEL_TEST_DATA "/shaft_steels/crosscheck.csv"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    if (lines.size() < 2)
        GTEST_SKIP() << "no second transcription of the steel table yet";
    const QStringList header = csvFields(lines.first().trimmed());
    const QVector<ShaftSteel> steels = shaftSteels(*db);
    for (const QString &line : lines.mid(1)) {
        const QStringList f = csvFields(line.trimmed());
        ASSERT_EQ(f.size(), header.size()) << line.toStdString();
        auto cell = [&](const char *column) { return f.at(header.indexOf(QLatin1String(column))).trimmed(); };
        const auto steel = find(steels, cell("grade"), cell("treatment"), cell("blank_mm").toDouble());
        ASSERT_TRUE(steel) << line.toStdString();
        for (const auto &[column, value] : { std::pair { "sigma_b_MPa", steel->sigmaB },
                 { "sigma_t_MPa", steel->sigmaT }, { "tau_t_MPa", steel->tauT }, { "sigma_m1_MPa", steel->sigmaM1 },
                 { "tau_m1_MPa", steel->tauM1 }, { "psi_tau", steel->psiTau }, { "E_MPa", steel->E } }) {
            if (!cell(column).isEmpty()) {
                EXPECT_EQ(value, cell(column).toDouble()) << column << ": " << line.toStdString();
            }
        }
        if (!cell("hardness").isEmpty()) {
            EXPECT_EQ(steel->hardness.toStdString(), cell("hardness").toStdString()) << line.toStdString();
        }
    }
}
