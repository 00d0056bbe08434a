#pragma once

#include <QImage>
#include <QPoint>
#include <QWidget>

namespace tarnvel {

// The picture box that shows a moment diagram over the detail view. It owns
// the one diagram bitmap of the run; the user drags it around with the mouse.
class DiagramPicture : public QWidget
{
    Q_OBJECT
public:
    explicit DiagramPicture(QWidget *parent = nullptr);

    const QImage &bitmap() const { return m_bitmap; }
    QImage &bitmap() { return m_bitmap; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    QImage m_bitmap;
    bool m_dragging = false;
    QPoint m_dragStart;
};

} // namespace tarnvel
