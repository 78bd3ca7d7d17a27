#pragma once
// The picture box of the map views: 8000 x 8000 plot units over the largest square the
// widget holds, centred in it; origin top left, y growing downwards. What is drawn is
// kept (as vector pictures) and painted again at whatever size the widget has, so a
// drawing made before the window is shown stays visible.

#include <QList>
#include <QPicture>
#include <QTransform>
#include <QWidget>

#include <functional>

class QPainter;

namespace qern {

class MapCanvas : public QWidget {
    Q_OBJECT

public:
    static constexpr double kPlotUnits = 8000.0;

    explicit MapCanvas(QWidget *parent = nullptr);

    // Draws on top of everything drawn so far. The painter works in plot units;
    // a pen of width 0 is one pixel wide at any size.
    void draw(const std::function<void(QPainter &)> &paint);
    void clear();
    bool isBlank() const { return m_pictures.isEmpty(); }

    // The side of the square the window asks for the picture.
    void setPreferredSide(int side);
    QSize sizeHint() const override;

    QTransform plotToPixels() const;
    QPointF pixelsToPlot(QPointF pixels) const;
    QPoint plotToPixelsPoint(QPointF plot) const;

signals:
    // The pointer moved over the picture, at (x, y) in plot units.
    void MouseMove(Qt::MouseButtons button, Qt::KeyboardModifiers shift, double x, double y);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    QList<QPicture> m_pictures; // in drawing order
    int m_preferredSide = 0;
};

} // namespace qern
