#pragma once

// What a reader of a diagram relies on in its labels, checked on the picture
// the window shows and the report saves.

#include "analysis/diagram_bitmap.h"
#include "analysis/diagram_plot.h"

#include <QPainter>

#include <gtest/gtest.h>

namespace tarnvel::test {

// Whether any pixel of the rectangle shows the colour.
inline bool anyInRect(const QImage &image, const QRect &rect, const QColor &colour)
{
    for (int y = rect.top(); y <= rect.bottom(); ++y)
        for (int x = rect.left(); x <= rect.right(); ++x)
            if (image.pixel(x, y) == colour.rgb())
                return true;
    return false;
}

// Every label lies whole within the bitmap and off every other label; its
// glyphs are all black with a white rim; and the picture differs from the one
// painted before the labels only on the glyphs and their rims, so the
// outline, hatching and marks between them stay whole.
inline void expectLegibleLabels(const QImage &picture, const QImage &unlabelled, const QVector<DiagramLabel> &labels)
{
    const QRect bitmapArea(0, 0, kCanvasWidth, kDiagramHeight);
    QImage glyphs(picture.size(), QImage::Format_RGB32);
    glyphs.setDotsPerMeterX(picture.dotsPerMeterX());
    glyphs.setDotsPerMeterY(picture.dotsPerMeterY());
    glyphs.fill(Qt::white);
    QPainter painter(&glyphs);
    painter.setFont(diagramFont());
    const QFontMetrics metrics(painter.font(), &glyphs);
    painter.setPen(Qt::black);
    for (qsizetype i = 0; i < labels.size(); ++i) {
        const DiagramLabel &label = labels[i];
        EXPECT_TRUE(bitmapArea.contains(label.box)) << label.text.toStdString() << " cut at the edge";
        for (qsizetype j = 0; j < i; ++j)
            EXPECT_FALSE(label.box.intersects(labels[j].box))
                << label.text.toStdString() << " over " << labels[j].text.toStdString();
        painter.drawText(label.box.left() + 1, label.box.top() + 1 + metrics.ascent(), label.text);
    }
    painter.end();

    const auto isGlyph = [&](int x, int y) {
        return glyphs.rect().contains(x, y) && glyphs.pixel(x, y) == qRgb(0, 0, 0);
    };
    const auto nearGlyph = [&](int x, int y) {
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx)
                if (isGlyph(x + dx, y + dy))
                    return true;
        return false;
    };
    int damaged = 0, garbled = 0;
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            const QRgb shown = picture.pixel(x, y);
            if (isGlyph(x, y))
                garbled += shown != qRgb(0, 0, 0);
            else if (nearGlyph(x, y))
                garbled += shown != qRgb(255, 255, 255);
            else
                damaged += shown != unlabelled.pixel(x, y);
        }
    }
    EXPECT_EQ(garbled, 0) << "label pixels that are not black glyphs on a white rim";
    EXPECT_EQ(damaged, 0) << "pixels away from the glyphs changed by the labels";
}

} // namespace tarnvel::test
