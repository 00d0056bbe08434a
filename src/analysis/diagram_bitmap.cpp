#include "analysis/diagram_bitmap.h"

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

QImage blankDiagramBitmap()
{
    QImage image(kDiagramWidth, kDiagramHeight, QImage::Format_Indexed8);
    image.setColorTable(diagramPalette());
    image.fill(15);
    return image;
}

} // namespace tarnvel
