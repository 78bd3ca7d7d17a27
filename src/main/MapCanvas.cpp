#include "MapCanvas.h"

#include <QMouseEvent>
#include <QPainter>

namespace qern {

MapCanvas::MapCanvas(QWidget *parent) : QWidget(parent)
{
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void MapCanvas::draw(const std::function<void(QPainter &)> &paint)
{
    QPicture picture;
    QPainter painter(&picture);
    paint(painter);
    painter.end();
    m_pictures.append(picture);
    update();
}

void MapCanvas::clear()
{
    m_pictures.clear();
    update();
}

QTransform MapCanvas::plotToPixels() const
{
    return QTransform::fromScale(width() / kPlotUnits, height() / kPlotUnits);
}

QPointF MapCanvas::pixelsToPlot(QPointF pixels) const
{
    if (width() <= 0 || height() <= 0)
        return {};
    return {pixels.x() * kPlotUnits / width(), pixels.y() * kPlotUnits / height()};
}

QPoint MapCanvas::plotToPixelsPoint(QPointF plot) const
{
    return plotToPixels().map(plot).toPoint();
}

void MapCanvas::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    painter.setTransform(plotToPixels());
    for (const QPicture &picture : std::as_const(m_pictures))
        painter.drawPicture(0, 0, picture);
}

void MapCanvas::mouseMoveEvent(QMouseEvent *event)
{
    const QPointF plot = pixelsToPlot(event->position());
    emit MouseMove(event->buttons(), event->modifiers(), plot.x(), plot.y());
    QWidget::mouseMoveEvent(event);
}

} // namespace qern
