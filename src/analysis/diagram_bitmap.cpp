#include "analysis/diagram_bitmap.h"

#include <climits>

namespace tarnvel {

const QList<QRgb> &diagramPalette()
{
    static const QList<QRgb> palette{
        qRgb(0, 0, 0),       qRgb(128, 0, 0),   qRgb(0, 128, 0),   qRgb(128, 128, 0),
        qRgb(0, 0, 128),     qRgb(128, 0, 128), qRgb(0, 128, 128), qRgb(128, 128, 128),
        qRgb(192, 192, 192), qRgb(255, 0, 0),   qRgb(0, 255, 0),   qRgb(255, 255, 0),
        qRgb(0, 0, 255),     qRgb(255, 0, 255), qRgb(0, 255, 255), qRgb(255, 255, 255)};
    return palette;
}

uchar nearestPaletteIndex(QRgb colour)
{
    const QList<QRgb> &palette = diagramPalette();
    int best = 0;
    int bestDistance = INT_MAX;
    for (int i = 0; i < palette.size(); ++i) {
        const int dr = qRed(colour) - qRed(palette.at(i));
        const int dg = qGreen(colour) - qGreen(palette.at(i));
        const int db = qBlue(colour) - qBlue(palette.at(i));
        const int distance = dr * dr + dg * dg + db * db;
        if (distance < bestDistance) {
            bestDistance = distance;
            best = i;
        }
    }
    return static_cast<uchar>(best);
}

QImage blankDiagramBitmap()
{
    QImage image(kDiagramWidth, kDiagramHeight, QImage::Format_Indexed8);
    image.setColorTable(diagramPalette());
    image.fill(15);
    return image;
}

} // namespace tarnvel
