// The shaft itself in the workbench: its steps and allowed values edited in
// place, its strength and stiffness read off the lists, its pictures shown,
// and a shaft that no longer carries its loads sending the engineer to it.

#include "workbench_fixture.h"

#include "analysis/diagram_bitmap.h"
#include "analysis/shaft_inputs.h"
#include "files/scenario_file.h"
#include "store/store_file.h"
#include "ui/diagram_picture.h"

#include <QLineEdit>

using namespace tarnvel;

namespace {

class ShaftViewsTest : public test::WorkbenchTest
{
protected:
    // The golden reducer shaft: seven steps, steel 45, three modes.
    void SetUp() override
    {
        WorkbenchTest::SetUp();
        const std::optional<Scenario> golden
            = loadScenarioFile(QStringLiteral(TARNVEL_TEST_DATA "/golden/reducer_shaft.tvd"));
        ASSERT_TRUE(golden.has_value());
        emptyScenario(db());
        writeScenarioToStore(db(), *golden);
        whenDialogOpens([](QDialog &dialog) { dialog.reject(); });
    }

    QString valueOf(const QString &caption)
    {
        const int row = static_cast<int>(rowTexts().indexOf(caption));
        return row < 0 ? QString() : valueTexts().at(row);
    }

    QLineEdit *editor() { return window().findChild<QLineEdit *>(QStringLiteral("TextInput")); }
};

} // namespace

TEST_F(ShaftViewsTest, StrengthAndStiffnessReadAsTheReportPrintsThem)
{
    clickNode(QStringLiteral("ShaftStrength"));
    EXPECT_EQ(currentNodeKey(), QStringLiteral("ShaftStrength"));
    // As worked by hand in tests/data/golden/README.md.
    EXPECT_EQ(valueOf(QStringLiteral("Наименьший запас статической прочности Sт")),
        QStringLiteral("3.51   (режим 1, z = 205 мм)"));
    EXPECT_EQ(valueOf(QStringLiteral("Требуемый диаметр d, мм")), QStringLiteral("39.08   (режим 1, z = 190 мм)"));
    // The rows that fail their check are marked.
    const QStringList images = rowImages();
    const int thin = static_cast<int>(rowTexts().indexOf(QStringLiteral("Ступень 7 тоньше требуемого, нужно d, мм")));
    ASSERT_GE(thin, 0);
    EXPECT_EQ(images.at(thin), QStringLiteral("7"));
    EXPECT_EQ(images.at(rowTexts().indexOf(QStringLiteral("Требуемый диаметр d, мм"))), QStringLiteral("0"));

    clickNode(QStringLiteral("ShaftStiffness"));
    EXPECT_EQ(valueOf(QStringLiteral("Прогиб под точкой 3 f, мм")),
        QStringLiteral("0.0326   (допускается 0.02; режим 1; больше допускаемого)"));
    EXPECT_TRUE(messages.shown().isEmpty());

    clickNode(QStringLiteral("DeflectionEpur"));
    EXPECT_TRUE(window().picture()->isVisible());
    EXPECT_NE(window().picture()->bitmap(), blankDiagramBitmap());
}

TEST_F(ShaftViewsTest, StepsAreEditedInPlaceAndTheAxisFollowsThem)
{
    clickNode(QStringLiteral("ShaftSteps"));
    EXPECT_EQ(valueOf(QStringLiteral("Длина вала (ось эпюр), мм")), QStringLiteral("260"));
    typeIntoRow(QStringLiteral("1 SL"), QStringLiteral("30"));
    EXPECT_FALSE(editor()->isVisible());
    EXPECT_EQ(readShaftInputs(db()).segments.first().length, 30);
    EXPECT_EQ(test::rows(db(), QStringLiteral("SELECT ParamValue FROM CommonParameters WHERE ParameterID = 53")),
        QStringList { "258" });
    EXPECT_EQ(valueOf(QStringLiteral("Длина вала (ось эпюр), мм")), QStringLiteral("258"));

    // The axis in the general data is that length: explained, not edited.
    clickNode(QStringLiteral("Common"));
    clickRow(QStringLiteral("53 ID"));
    EXPECT_FALSE(editor()->isVisible());
    ASSERT_EQ(messages.shown().size(), 1);
    EXPECT_TRUE(messages.shown().first().text.contains(QStringLiteral("длина вала по ступеням, 258 мм")));
    messages.clear();
    clickNode(QStringLiteral("ShaftSteps"));

    // A bore as wide as the step is refused on its field, once, and nothing is written.
    typeIntoRow(QStringLiteral("1 SB"), QStringLiteral("40"));
    ASSERT_EQ(messages.shown().size(), 1);
    EXPECT_EQ(messages.shown().first().text,
        QStringLiteral("Ступень 1: Диаметр отверстия ступени должен быть меньше её наружного диаметра."));
    EXPECT_TRUE(editor()->isVisible());
    EXPECT_EQ(readShaftInputs(db()).segments.first().bore, 0);
    editor()->selectAll();
    QTest::keyClicks(editor(), QStringLiteral("12,5"));
    QTest::keyClick(editor(), Qt::Key_Return);
    EXPECT_EQ(messages.shown().size(), 1);
    EXPECT_EQ(readShaftInputs(db()).segments.first().bore, 12.5);

    // The last step goes and comes back as a copy of the one before it.
    const int steps = static_cast<int>(readShaftInputs(db()).segments.size());
    clickRow(QStringLiteral("RemoveStep"));
    EXPECT_EQ(readShaftInputs(db()).segments.size(), steps - 1);
    // The bevel pinion, its seat gone, lies off the shaft: what needs the
    // steps sends the engineer back to them.
    for (const char *node : { "ShaftStiffness", "TorqueEpur" }) {
        messages.clear();
        clickNode(QLatin1String(node));
        ASSERT_EQ(messages.shown().size(), 1) << node;
        EXPECT_TRUE(messages.shown().first().text.startsWith(QStringLiteral("Точка 3 (Коническое зацепление) лежит вне вала")));
        EXPECT_EQ(currentNodeKey(), QStringLiteral("ShaftSteps"));
    }
    clickRow(QStringLiteral("AddStep"));
    const QVector<ShaftSegment> after = readShaftInputs(db()).segments;
    ASSERT_EQ(after.size(), steps);
    EXPECT_EQ(after.last().outer, after.at(steps - 2).outer);
    EXPECT_EQ(after.last().length, 10);
    EXPECT_TRUE(rowKeys().contains(QStringLiteral("%1 SD").arg(steps)));
}

TEST_F(ShaftViewsTest, AllowedValuesTakeTheirDefaultBackWhenEmptied)
{
    clickNode(QStringLiteral("ShaftLimits"));
    const QString peak = QString::number(shaftSetting::peakFactor) + QStringLiteral(" SET");
    EXPECT_EQ(window().rowByKey(peak)->text(1), QStringLiteral("2"));
    EXPECT_TRUE(window().rowByKey(peak)->toolTip(0).startsWith(QStringLiteral("По умолчанию")));
    typeIntoRow(peak, QStringLiteral("2.5"));
    EXPECT_EQ(readShaftInputs(db()).setting(shaftSetting::peakFactor), 2.5);
    EXPECT_EQ(window().rowByKey(peak)->text(1), QStringLiteral("2.5"));

    typeIntoRow(peak, QStringLiteral("0.5"));
    ASSERT_EQ(messages.shown().size(), 1);
    EXPECT_TRUE(messages.shown().first().text.contains(QStringLiteral("Коэффициент перегрузки Kп")));
    editor()->clear();
    QTest::keyClick(editor(), Qt::Key_Return);
    EXPECT_FALSE(readShaftInputs(db()).isSet(shaftSetting::peakFactor));
    EXPECT_EQ(window().rowByKey(peak)->text(1), QStringLiteral("2"));

    // The allowed slope of a support follows its bearing until it is set.
    const QString left = QString::number(shaftSetting::slopeLeft) + QStringLiteral(" SET");
    EXPECT_EQ(window().rowByKey(left)->text(1), QStringLiteral("0.005"));
    EXPECT_TRUE(window().rowByKey(left)->toolTip(0).contains(QStringLiteral("шарикоподшипника")));
}

// The bent shaft needs steps and a steel: its pictures ask for what is missing.
TEST_F(ShaftViewsTest, ThePicturesOfTheBentShaftAskForWhatTheyLack)
{
    writeShaftSetting(db(), shaftSetting::steel, std::nullopt);
    clickNode(QStringLiteral("SlopeEpur"));
    ASSERT_EQ(messages.shown().size(), 1);
    EXPECT_EQ(messages.shown().first().text, QStringLiteral("Выберите сталь вала..."));
    EXPECT_EQ(currentNodeKey(), QStringLiteral("ShaftSteel"));

    messages.clear();
    writeShaftSegments(db(), {});
    clickNode(QStringLiteral("DeflectionEpur"));
    ASSERT_EQ(messages.shown().size(), 1);
    EXPECT_EQ(messages.shown().first().text, QStringLiteral("Задайте ступени вала..."));
    EXPECT_EQ(currentNodeKey(), QStringLiteral("ShaftSteps"));

    // The torque needs neither.
    messages.clear();
    clickNode(QStringLiteral("TorqueEpur"));
    EXPECT_TRUE(messages.shown().isEmpty());
    EXPECT_TRUE(window().picture()->isVisible());
}
