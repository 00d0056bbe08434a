#include "ui/diagram_picture.h"

#include "analysis/diagram_bitmap.h"

#include <QMouseEvent>
#include <QPainter>

namespace tarnvel {

DiagramPicture::DiagramPicture(QWidget *parent)
    : QWidget(parent)
    , m_bitmap(blankDiagramBitmap())
{
    setObjectName(QStringLiteral("ctPicture"));
    setFixedSize(m_bitmap.size());
}

void DiagramPicture::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.drawImage(0, 0, m_bitmap);
}

void DiagramPicture::mousePressEvent(QMouseEvent *event)
{
    m_dragging = true;
    m_dragStart = event->position().toPoint();
    window()->setCursor(Qt::SizeAllCursor);
}

void DiagramPicture::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_dragging || !isVisible())
        return;
    // The offset is measured from where the drag began inside the picture,
    // which moves along with the mouse.
    move(pos() + event->position().toPoint() - m_dragStart);
}

void DiagramPicture::mouseReleaseEvent(QMouseEvent *)
{
    m_dragging = false;
    window()->unsetCursor();
}

} // namespace tarnvel
