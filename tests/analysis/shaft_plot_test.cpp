#include "analysis/shaft_plot.h"

#include "analysis/diagram_bitmap.h"
#include "diagram_label_checks.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>

using namespace tarnvel;

namespace {

// A curve on an axis of 100 mm (5.2 px per mm) with breakpoints at the given
// positions; jumps lists the value just right of a breakpoint where it
// differs from f there.
ShaftCurve curveOf(const QVector<double> &positions, const std::function<double(double)> &f,
    const QVector<std::pair<double, double>> &jumps = {})
{
    ShaftCurve c;
    c.U = 100;
    for (const double z : positions) {
        double right = f(z);
        for (const auto &[at, value] : jumps)
            right = at == z ? value : right;
        c.position << z;
        c.left << f(z);
        c.right << right;
        c.step << (c.step.isEmpty() ? 0.0 : z - c.position[c.position.size() - 2]);
    }
    for (int k = 0; k <= c.U; ++k)
        c.curve << f(k);
    return c;
}

struct Painted
{
    QImage picture;
    QImage unlabelled;
    QVector<DiagramLabel> labels;
    // The value labels, sorted; the positions under the axis (their row
    // begins 25 px above the bottom) left out.
    QStringList values() const
    {
        QStringList all;
        for (const DiagramLabel &l : labels)
            if (l.box.top() < 284)
                all << l.text;
        all.sort();
        return all;
    }
};

Painted painted(ShaftPicture picture, const ShaftModeCheck &check, const QVector<ShaftSegment> &segments = {})
{
    Painted p;
    p.picture = paintShaftPicture(picture, check, segments, QStringLiteral("Н"), &p.labels, &p.unlabelled);
    return p;
}

using test::anyInRect;

// M linear from +50 N·m at 20 mm to −50 N·m at 80 mm under T = 100 N·m:
// M_eq = √(M² + 0.75 T²) is 100 N·m at both ends and √0.75 · 100 = 86.603 N·m
// where M crosses zero, at 50 mm.
double crossingEquivalent(double z)
{
    const double M = z <= 20 ? 2500 * z : z >= 80 ? -2500 * (100 - z) : 50000 - (z - 20) * 100000 / 60;
    return std::sqrt(M * M + 0.75 * 1e10);
}

// A simply supported shaft bent to a parabola: 0.0123456 mm at mid-span.
double parabola(double z) { return 4 * 0.0123456 * z * (100 - z) / 1e4; }

TEST(ShaftPicture, LabelsShowEachQuantityInItsUnitAndDecimals)
{
    const struct
    {
        const char *name;
        ShaftPicture picture;
        ShaftCurve curve;
        QStringList values; // every value label, positions aside
    } cases[] = {
        // T = 123 456.7 N·mm between the gears at 20 and 80 mm: 123.457 N·m,
        // labelled once where it starts, not again where it ends; a level
        // passing an entry (a bearing at 50) is not labelled again either.
        { "torque, N·m to three decimals, once per level", ShaftPicture::Torque,
            curveOf({ 0, 20, 50, 80, 100 }, [](double z) { return z > 20 && z <= 80 ? 123456.7 : 0.0; },
                { { 20, 123456.7 }, { 80, 0 } }),
            { "123.457" } },
        // M = 0 … 40 N·m over T = 30 N·m: √0.75 · 30 = 25.981 and √(40² + 675) = 47.697 N·m;
        // rising all the way, no peak inside.
        { "equivalent moment, monotonic", ShaftPicture::EquivalentMoment,
            curveOf({ 0, 100 }, [](double z) { return std::sqrt(std::pow(400 * z, 2) + 0.75 * 9e8); }),
            { "25.981", "47.697" } },
        { "equivalent moment, minimum where M crosses zero", ShaftPicture::EquivalentMoment,
            curveOf({ 0, 20, 80, 100 }, crossingEquivalent), { "86.603", "86.603", "100", "100", "86.603" } },
        { "required diameter, mm to two decimals", ShaftPicture::RequiredDiameter,
            curveOf({ 0, 100 }, [](double z) { return 20 + 0.034567 * z; }), { "20", "23.46" } },
        { "deflection, mm to four decimals, the peak between the bearings", ShaftPicture::Deflection,
            curveOf({ 0, 100 }, parabola), { "0.0123" } },
        // 1.5E-05 rad at the bearings, written out as a reader expects it.
        { "slope, rad to six decimals", ShaftPicture::Slope,
            curveOf({ 0, 50, 100 }, [](double z) { return 1.5e-5 * std::fabs(z - 50) / 50; }),
            { "0.000015", "0.000015" } },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        ShaftModeCheck check;
        check.stiffnessComputed = true;
        check.torque = check.equivalentMoment = check.requiredDiameter = check.deflection = check.slope = c.curve;
        const Painted p = painted(c.picture, check);
        test::expectLegibleLabels(p.picture, p.unlabelled, p.labels);
        QStringList expected = c.values;
        expected.sort();
        EXPECT_EQ(p.values(), expected);
    }
}

TEST(ShaftPicture, DeflectionOutlineFollowsTheCurve)
{
    // Breakpoints only at the bearings, both at zero deflection: a straight
    // outline would lie on the axis. The parabola's three quarters at 25 mm
    // stand 0.75 · 180 px above the axis at row 255: x = 40 + 25 · 5.2 = 170, y = 120.
    ShaftModeCheck check;
    check.stiffnessComputed = true;
    check.deflection = curveOf({ 0, 100 }, parabola);
    const Painted p = painted(ShaftPicture::Deflection, check);
    EXPECT_TRUE(anyInRect(p.unlabelled, QRect(168, 118, 5, 5), plotColour::outline));
    EXPECT_TRUE(anyInRect(p.unlabelled, QRect(294, 73, 13, 5), plotColour::outline)); // the peak at row 75
    EXPECT_FALSE(anyInRect(p.unlabelled, QRect(60, 240, 480, 10), plotColour::outline)); // nothing near the axis

    // Without a computed stiffness the picture holds its caption alone.
    check.stiffnessComputed = false;
    QImage bitmap = blankDiagramBitmap();
    DrawShaftPicture(ShaftPicture::Deflection, check, {}, QStringLiteral("кГс"), bitmap);
    EXPECT_FALSE(anyInRect(bitmap, QRect(0, 40, 600, 289), plotColour::axis));
    EXPECT_TRUE(anyInRect(bitmap, QRect(20, 12, 300, 25), plotColour::text));
}

TEST(ShaftPicture, RequiredDiameterAgainstTheSteps)
{
    // Steps of 30 mm at Ø30, 40 mm at Ø40 bored Ø20, 30 mm at Ø25. The bored
    // step is as strong in bending as a solid ∛((40⁴ − 20⁴)/40) = ∛60 000 =
    // 39.149 mm one; that is the largest value, so 180 px above the axis at
    // row 255 hold 39.149 mm, 4.5978 px per mm.
    const QVector<ShaftSegment> segments { { 30, 30, 0 }, { 40, 40, 20 }, { 30, 25, 0 } };
    const QVector<EpurStep> outline = shaftOutline(segments);
    ASSERT_EQ(outline.size(), 3);
    EXPECT_NEAR(outline[1].value, 39.149, 5e-4);
    EXPECT_EQ(outline[2].from, 70);
    EXPECT_EQ(outline[2].to, 100);

    // d rises from 20 to 30 mm: under Ø30 on the first step, over Ø25 on the last.
    ShaftModeCheck check;
    check.requiredDiameter = curveOf({ 0, 100 }, [](double z) { return 20 + 0.1 * z; });
    const Painted p = painted(ShaftPicture::RequiredDiameter, check, segments);
    test::expectLegibleLabels(p.picture, p.unlabelled, p.labels);
    const struct
    {
        const char *name;
        QPoint at;
        QColor colour;
    } pixels[] = {
        // Ø30 at 255 − 30 · 4.5978 = 117, over x = 40 … 196.
        { "first step's diameter", { 118, 117 }, plotColour::limit },
        { "bored step at the top of the scale", { 300, 75 }, plotColour::limit },
        // Ø25 at row 140; d = 28.5 at 85 mm (x = 482) at row 124.
        { "last step's diameter", { 560 - 30, 140 }, plotColour::limit },
        { "shortfall over the last step", { 481, 132 }, plotColour::excess },
        { "shortfall over the last step, between strokes", { 484, 132 }, plotColour::excess },
        { "step edge up to the bored step at 30 mm", { 196, 100 }, plotColour::limit },
    };
    for (const auto &c : pixels) {
        SCOPED_TRACE(c.name);
        EXPECT_TRUE(anyInRect(p.unlabelled, QRect(c.at - QPoint(1, 1), QSize(3, 3)), c.colour));
    }
    // d stays under the first two steps: no shortfall before 70 mm (x = 404).
    EXPECT_FALSE(anyInRect(p.unlabelled, QRect(40, 60, 340, 200), plotColour::excess));
    // d at both ends and each step's diameter, to two decimals.
    EXPECT_EQ(p.values(), QStringList({ "20", "25", "30", "30", "39.15" }));
    EXPECT_EQ(
        shaftCaption(ShaftPicture::Torque, QStringLiteral("кГс")), QStringLiteral(" Крутящий момент  -  T(кГс*м) "));
}

} // namespace
