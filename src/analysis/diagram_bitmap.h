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

// A fresh, all-white diagram bitmap.
QImage blankDiagramBitmap();

} // namespace tarnvel
