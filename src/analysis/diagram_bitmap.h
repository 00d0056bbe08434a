#pragma once

#include <QImage>
#include <QList>
#include <QRgb>

namespace tarnvel {

// The picture a moment diagram lives in: 601 × 329 pixels, 16 colours.
constexpr int kDiagramWidth = 601;
constexpr int kDiagramHeight = 329;

// The sixteen colours of the bitmap, in palette order (black … white).
const QList<QRgb> &diagramPalette();

// The palette entry nearest to a colour: the smallest sum of squared red,
// green and blue differences, the first entry on a tie.
uchar nearestPaletteIndex(QRgb colour);

// A fresh, all-white diagram bitmap.
QImage blankDiagramBitmap();

} // namespace tarnvel
