#include "analysis/diagram_plot.h"

#include "analysis/diagram_bitmap.h"
#include "diagram_label_checks.h"

#include <QPainter>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

using namespace tarnvel;

namespace {

QRgb pixel(const QImage &image, int x, int y) { return image.pixel(x, y); }

QRgb rgb(const QColor &colour) { return colour.rgb(); }

using test::anyInRect;

TEST(EpurLayout, PlacesTheAxisByTheSignsOfTheDiagram)
{
    // Canvas 600 × 330: 75 px kept free above and below the extremes, so
    // 180 px for the diagram; the plot is 520 px wide.
    const struct
    {
        const char *name;
        QVector<double> curve;
        int y0;
        double ky;
    } cases[] = {
        { "all zero: mid-height, unit scale", { 0, 0, 0 }, 165, 1 },
        { "positive: axis 75 px above the bottom", { 0, 500, 1000 }, 255, 180.0 / 1000 },
        { "negative: axis 75 px below the top", { 0, -500, -1000 }, 75, 180.0 / 1000 },
        { "nearly negative (Max < 5 % of A)", { 40, -1000 }, 75, 180.0 / 1000 },
        { "nearly positive (|Min| < 0.5 % of A)", { -4, 1000 }, 255, 180.0 / 1000 },
        // |Min| of exactly 0.5 % of A counts: ⌊1000/1005·180⌋ + 75 = 254, room above 179.
        { "both signs from 0.5 % of A", { -5, 1000 }, 254, 179.0 / 1000 },
        // Both signs, Max = 1000, Min = −3000: y0 = ⌊1000/4000·180⌋ + 75 = 120,
        // room below 330 − 120 − 75 = 135 for the larger, negative part.
        { "both signs, mostly negative", { 1000, -3000 }, 120, 135.0 / 3000 },
        // Max = 3000, Min = −1000: y0 = ⌊0.75·180⌋ + 75 = 210, room above 135.
        { "both signs, mostly positive", { 3000, -1000 }, 210, 135.0 / 3000 },
        // Entirely below zero without touching it: the zero line stays on the canvas.
        { "negative, off zero", { -50, -100 }, 75, 180.0 / 100 },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const EpurLayout layout = epurLayout(c.curve, 200);
        EXPECT_EQ(layout.y0, c.y0);
        EXPECT_DOUBLE_EQ(layout.ky, c.ky);
        EXPECT_DOUBLE_EQ(layout.kx, 520.0 / 200);
    }
    EXPECT_DOUBLE_EQ(epurLayout({ 0, 100 }, 1).kx, 520); // a 1 mm axis still spans the plot
}

TEST(DrawEpur, PositiveDiagramPixels)
{
    // F = −1000 gives +25 000 N·mm at the centre: axis at y0 = 255, the peak
    // 180 px higher at y = 75; 5.2 px per mm.
    const ForceArrays forces { { 0, 0, 50, -1000, 0, 0 } };
    QImage bitmap = blankDiagramBitmap();
    const QString caption = epurCaption(DiagramPlane::XOZ, QStringLiteral("Н"));
    DrawEpur(BuildEpur(forces, *CalcReakz(forces, 100), 100, 0, 100).xoz, caption, bitmap);

    EXPECT_EQ(bitmap.format(), QImage::Format_Indexed8);

    // The axis is 3 px wide; the hatching rises from it, so the row below the
    // axis line shows the axis colour between the point marks.
    EXPECT_EQ(pixel(bitmap, 120, 256), rgb(plotColour::axis));
    EXPECT_EQ(pixel(bitmap, 450, 254), rgb(plotColour::axis));
    // Hatching at 25 mm (x = 40 + 25·5.2 = 170) reaches up to 255 − 90 = 165.
    EXPECT_EQ(pixel(bitmap, 170, 210), rgb(plotColour::hatching));
    EXPECT_EQ(pixel(bitmap, 170, 170), rgb(plotColour::hatching));
    EXPECT_EQ(pixel(bitmap, 172, 210), qRgb(255, 255, 255)); // between two strokes
    // The outline climbs from (40, 255) to (300, 75): near (105, 210).
    EXPECT_TRUE(anyInRect(bitmap, QRect(103, 206, 5, 9), rgb(plotColour::outline)));
    // Dimension line of the load, below the axis.
    EXPECT_EQ(pixel(bitmap, 300, 280), rgb(plotColour::dimension));
    // The point marks are rings of radius 3 drawn 3 px wide: the one at the
    // axis end (560, 255) reaches 4 px above its centre, not 5.
    EXPECT_EQ(pixel(bitmap, 560, 251), rgb(plotColour::axis));
    EXPECT_EQ(pixel(bitmap, 560, 250), qRgb(255, 255, 255));
    // The caption is black text.
    EXPECT_TRUE(anyInRect(bitmap, QRect(20, 12, 300, 25), qRgb(0, 0, 0)));
    // White elsewhere: above the diagram, beside the caption, right margin.
    EXPECT_EQ(pixel(bitmap, 500, 60), qRgb(255, 255, 255));
    EXPECT_EQ(pixel(bitmap, 590, 200), qRgb(255, 255, 255));
}

struct Painted
{
    QImage picture;
    QImage unlabelled;
    QVector<DiagramLabel> labels;
};

Painted painted(const PlaneDiagram &diagram)
{
    Painted p;
    p.picture = paintEpur(diagram, epurCaption(DiagramPlane::XOZ, QStringLiteral("Н")), &p.labels, &p.unlabelled);
    return p;
}

bool hasLabel(const Painted &p, double value)
{
    return std::any_of(p.labels.begin(), p.labels.end(),
        [&](const DiagramLabel &l) { return l.text.toDouble() == value; });
}

TEST(DrawEpur, JumpsShowBothValuesAndKeepTheLinesWhole)
{
    // Supports at 0 and 260 mm, 320 mm axis. Axial forces off the axis at
    // 185 and 200 mm make the moment jump there, 15 mm (30 px) apart; two
    // loads at 250 mm, one of them axial, act as one jump; the overhung load
    // at 320 mm, steep beyond the support, sits at the right edge.
    const ForceArrays forces { { 20, 0, 185, 300, 0, 400 }, { -30, 0, 200, -500, 0, 600 },
        { 0, 0, 250, 200, 0, 0 }, { 10, 0, 250, 0, 0, 150 }, { 15, 0, 320, 100, 0, 300 } };
    const double L = 260;
    const MomentDiagrams d = BuildEpur(forces, *CalcReakz(forces, L), L, 0, 320);
    const Painted p = painted(d.xoz);
    test::expectLegibleLabels(p.picture, p.unlabelled, p.labels);
    // Both sides of every jump, in N·m.
    for (const DiagramEntry &e : d.entries) {
        SCOPED_TRACE(e.position);
        for (const double moment : { e.MxL, e.MxR }) {
            const double shown = std::round(moment) / 1000.0;
            if (shown != 0) {
                EXPECT_TRUE(hasLabel(p, shown)) << shown;
            }
        }
    }
    // The position labels at both ends stand whole: 0 at the axis start, 320 at its end.
    EXPECT_TRUE(hasLabel(p, 0));
    EXPECT_TRUE(hasLabel(p, 320));
}

TEST(DrawEpur, OverhungPinionShowsItsLargestMoment)
{
    // A bevel pinion 40 mm beyond the right support of a 100 mm span: over
    // the support its Fx = 1000 N on the 40 mm arm less the couple of its
    // axial 500 N acting 40 mm off the axis, 40 − 20 = 20 N·m; at the pinion
    // the couple alone, −20 N·m, jumping to 0. At the very end of the axis
    // that jump is the one the labels missed.
    const ForceArrays forces { { 40, 0, 140, 1000, 0, 500 } };
    for (const int U : { 140, 160 }) {
        SCOPED_TRACE(U);
        const MomentDiagrams d = BuildEpur(forces, *CalcReakz(forces, 100), 100, 0, U);
        const Painted p = painted(d.xoz);
        test::expectLegibleLabels(p.picture, p.unlabelled, p.labels);
        double largest = 0;
        for (const DiagramEntry &e : d.entries)
            largest = std::max({ largest, std::abs(e.MxL), std::abs(e.MxR) });
        EXPECT_TRUE(hasLabel(p, largest / 1000.0) || hasLabel(p, -largest / 1000.0)) << largest;
        EXPECT_TRUE(hasLabel(p, 20) || hasLabel(p, -20)); // the couple of the axial force at the pinion
    }
}

TEST(DiagramPalette, ColoursOffThePaletteTakeTheNearest)
{
    // The sixteen colours of the Windows palette, in its order.
    EXPECT_EQ(diagramPalette(),
        (QList<QRgb> { qRgb(0, 0, 0), qRgb(128, 0, 0), qRgb(0, 128, 0), qRgb(128, 128, 0), qRgb(0, 0, 128),
            qRgb(128, 0, 128), qRgb(0, 128, 128), qRgb(128, 128, 128), qRgb(192, 192, 192), qRgb(255, 0, 0),
            qRgb(0, 255, 0), qRgb(255, 255, 0), qRgb(0, 0, 255), qRgb(255, 0, 255), qRgb(0, 255, 255),
            qRgb(255, 255, 255) }));
    const struct
    {
        QRgb colour;
        int index;
    } cases[] = {
        { qRgb(0, 0, 128), 4 }, // navy itself
        { qRgb(250, 10, 5), 9 }, // red
        { qRgb(100, 100, 100), 7 }, // gray 128: 3·28² against black's 3·100²
        { qRgb(170, 170, 170), 8 }, // silver 192: 3·22² against gray's 3·42²
        { qRgb(20, 200, 30), 10 }, // lime
        { qRgb(64, 0, 0), 0 }, // halfway between black and maroon: the first
        { qRgb(255, 255, 250), 15 }, // white
        { qRgb(10, 10, 240), 12 }, // blue
        { qRgb(240, 10, 240), 13 }, // fuchsia
        { qRgb(10, 240, 240), 14 }, // aqua
    };
    for (const auto &c : cases)
        EXPECT_EQ(nearestPaletteIndex(c.colour), c.index) << std::hex << c.colour;
}

TEST(DrawEpur, NegativeDiagramHangsBelowTheAxis)
{
    // Supports at 20 and 80 mm of a 100 mm axis; 0.4 mm from its start an
    // axial 1000 N acts 20 mm off the axis: −20 N·m from there to the left
    // support, falling to zero at the right one, zero on the right overhang.
    const ForceArrays forces { { 20, 0, -19.6, 0, 0, -1000 } };
    // The canvas is 600 px wide: all of it is painted over, the bitmap's last column is not.
    QImage bitmap = blankDiagramBitmap();
    for (int y = 0; y < kDiagramHeight; ++y)
        bitmap.setPixel(0, y, 9), bitmap.setPixel(600, y, 9);
    DrawEpur(BuildEpur(forces, *CalcReakz(forces, 60), 60, 20, 100).xoz, QString(), bitmap);
    EXPECT_EQ(pixel(bitmap, 120, 74), rgb(plotColour::axis)); // axis at y0 = 75
    EXPECT_EQ(pixel(bitmap, 40, 150), rgb(plotColour::hatching)); // from the axis start
    EXPECT_EQ(pixel(bitmap, 170, 120), rgb(plotColour::hatching));
    EXPECT_EQ(pixel(bitmap, 170, 60), qRgb(255, 255, 255));
    EXPECT_EQ(pixel(bitmap, 500, 75), rgb(plotColour::outline)); // on to the axis end, 2 px wide
    EXPECT_EQ(pixel(bitmap, 500, 76), rgb(plotColour::axis));
    EXPECT_EQ(bitmap.pixelIndex(600, 10), 9);
    EXPECT_EQ(bitmap.pixelIndex(0, 10), 15);
}

TEST(DrawEpur, OtherBitmapsAndEmptyDiagramsAreSafe)
{
    QImage bitmap(10, 10, QImage::Format_RGB32);
    DrawEpur(PlaneDiagram {}, QStringLiteral("caption only"), bitmap);
    EXPECT_EQ(bitmap.size(), QSize(kDiagramWidth, kDiagramHeight));
    EXPECT_EQ(bitmap.colorTable(), diagramPalette());
    EXPECT_FALSE(anyInRect(bitmap, QRect(0, 40, 600, 289), qRgb(0, 0, 128))); // no axis
    QImage cut = blankDiagramBitmap().copy(0, 0, kDiagramWidth, 10); // the palette, but too short
    DrawEpur(PlaneDiagram {}, QString(), cut);
    EXPECT_EQ(cut.size(), QSize(kDiagramWidth, kDiagramHeight));
}

TEST(PrintValue, WritesThousandthsInStatementForm)
{
    QImage image(200, 40, QImage::Format_RGB32);
    image.setDotsPerMeterX(3780);
    image.setDotsPerMeterY(3780);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setFont(diagramFont());
    // 12 345.678 N·mm is shown in N·m as 12.346, with a point in any locale.
    EXPECT_EQ(painter.fontInfo().pixelSize(), 12); // 9 pt at the 96 dpi of the canvas
    const QSize size = PrintValue(painter, 12.345678, 10, 5);
    const QFontMetrics metrics(painter.font(), &image);
    painter.end();
    EXPECT_EQ(size, QSize(metrics.horizontalAdvance(QStringLiteral("12.346")), metrics.height()));
    EXPECT_TRUE(anyInRect(image, QRect(QPoint(10, 5), size), qRgb(0, 0, 0)));
    for (int y = 0; y < image.height(); ++y) // unsmoothed: black or white only
        for (int x = 0; x < image.width(); ++x)
            ASSERT_TRUE(pixel(image, x, y) == qRgb(0, 0, 0) || pixel(image, x, y) == qRgb(255, 255, 255));
}

} // namespace
