#include "ui/image_list.h"

#include <QApplication>
#include <QHash>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QStyle>

namespace tarnvel {

namespace {

QPixmap canvas()
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

QIcon drawn(int number)
{
    QPixmap pixmap = canvas();
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor navy(0, 0, 128);
    switch (number) {
    case 2: // mode heading: a small clock face
        p.setPen(QPen(navy, 1.5));
        p.setBrush(Qt::white);
        p.drawEllipse(QRectF(2, 2, 12, 12));
        p.drawLine(QPointF(8, 8), QPointF(8, 4.5));
        p.drawLine(QPointF(8, 8), QPointF(11, 8));
        break;
    case 4: // ordinary row: a sheet with lines
        p.setPen(QPen(QColor(64, 64, 64), 1));
        p.setBrush(QColor(250, 250, 240));
        p.drawRect(QRectF(3.5, 1.5, 9, 13));
        p.setPen(QPen(navy, 1));
        for (int y = 5; y <= 11; y += 3)
            p.drawLine(QPointF(5.5, y + 0.5), QPointF(10.5, y + 0.5));
        break;
    case 5: { // back: an arrow to the left
        QPainterPath arrow;
        arrow.moveTo(2, 8);
        arrow.lineTo(8, 2.5);
        arrow.lineTo(8, 5.5);
        arrow.lineTo(14, 5.5);
        arrow.lineTo(14, 10.5);
        arrow.lineTo(8, 10.5);
        arrow.lineTo(8, 13.5);
        arrow.closeSubpath();
        p.setPen(QPen(navy, 1));
        p.setBrush(QColor(90, 140, 220));
        p.drawPath(arrow);
        break;
    }
    case 6: // add: a green plus
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0, 150, 0));
        p.drawRoundedRect(QRectF(6.5, 2, 3, 12), 1, 1);
        p.drawRoundedRect(QRectF(2, 6.5, 12, 3), 1, 1);
        break;
    case 7: // a value not entered yet: an empty, dashed sheet
        p.setPen(QPen(QColor(160, 160, 160), 1, Qt::DashLine));
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(3.5, 1.5, 9, 13));
        p.setPen(QPen(QColor(200, 0, 0), 1.5));
        p.drawLine(QPointF(8, 4.5), QPointF(8, 9.5));
        p.drawPoint(QPointF(8, 12));
        break;
    default: {
        QStyle *style = QApplication::style();
        return style ? style->standardIcon(QStyle::SP_FileIcon) : QIcon();
    }
    }
    return QIcon(pixmap);
}

} // namespace

QIcon imageListIcon(int number)
{
    // Drawn once: every row of every view shows one of these.
    static QHash<int, QIcon> icons;
    auto found = icons.constFind(number);
    if (found == icons.constEnd())
        found = icons.insert(number, drawn(number));
    return *found;
}

QIcon toolbarIcon(const QString &key)
{
    QStyle *style = QApplication::style();
    if (style == nullptr)
        return QIcon();
    if (key == QLatin1String("Forward"))
        return style->standardIcon(QStyle::SP_FileDialogDetailedView);
    if (key == QLatin1String("New"))
        return style->standardIcon(QStyle::SP_FileIcon);
    if (key == QLatin1String("Open"))
        return style->standardIcon(QStyle::SP_DialogOpenButton);
    if (key == QLatin1String("Save"))
        return style->standardIcon(QStyle::SP_DialogSaveButton);
    if (key == QLatin1String("Delete"))
        return style->standardIcon(QStyle::SP_TrashIcon);
    return QIcon();
}

} // namespace tarnvel
