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

void MapCanvas::setPreferredSide(int side)
{
    m_preferredSide = side;
    updateGeometry();
}

QSize MapCanvas::sizeHint() const
{
    return {m_preferredSide, m_preferredSide};
}

QTransform MapCanvas::plotToPixels() const
{
    const int side = std::min(width(), height());
    return QTransform::fromTranslate((width() - side) / 2, (height() - side) / 2)
        .scale(side / kPlotUnits, side / kPlotUnits);
}

QPointF MapCanvas::pixelsToPlot(QPointF pixels) const
{
    if (width() <= 0 || height() <= 0)
        return {};
    return plotToPixels().inverted().map(pixels);
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
