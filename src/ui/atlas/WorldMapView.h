#pragma once

#include <QImage>
#include <QPainterPath>
#include <QPointF>
#include <QWidget>

#include <array>
#include <vector>

class AtlasFigures;
struct AtlasData;

// The Atlas's world map: the countries shaded by their records on a logarithmic scale, with a
// key, a dot for each city found, and a tooltip such as "France: 12 records, 5 cities". The
// mouse wheel and + and - zoom about the pointer, dragging and the arrow keys pan, 0 shows the
// whole world; a double-click on a country asks for its records. The outlines are kept at a
// few levels of detail, so that the whole world draws as quickly as a close view.
class WorldMapView : public QWidget
{
    Q_OBJECT

public:
    explicit WorldMapView(QWidget* parent = nullptr);

    // The shapes to draw (the data must outlive the view), and the figures that colour them
    // (which must stay alive until the next call).
    void setData(const AtlasData* atlas);
    void setFigures(const AtlasFigures* figures);

    // Pixels per map unit (degree), and where the map's origin (180° W, 90° N) is drawn.
    double scale() const { return m_scale; }
    QPointF origin() const { return m_origin; }
    void showWholeWorld();
    void zoomAt(const QPointF& pixel, double factor);
    void panBy(const QPointF& pixels);

    // The country under a point of the widget (an index of the CountryTable), or -1.
    int countryAt(const QPointF& pixel) const;
    QString toolTipAt(const QPointF& pixel) const;

    // Draws the map as the widget shows it, into any paint device of that size.
    void paintMap(QPainter& painter, const QSize& size) const;

signals:
    void countryActivated(int country);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool event(QEvent* event) override;

private:
    static constexpr int kLevels = 4;
    struct Outline
    {
        int country = -1;
        QRectF bounds; // map units
        std::array<QPainterPath, kLevels> paths;
    };

    double fitScale() const;
    void keepMapInView();
    void viewChanged();
    int levelFor(double scale) const;
    void paintKey(QPainter& painter, const QSize& size, int most) const;
    QPointF pointerOrCentre() const;

    const AtlasData* m_data = nullptr;
    const AtlasFigures* m_figures = nullptr;
    std::vector<Outline> m_outlines;
    std::vector<QPointF> m_places; // map units
    std::vector<unsigned> m_colours; // by outline
    int m_most = 0;
    double m_scale = 1;
    QPointF m_origin;
    bool m_fitted = true;
    QPoint m_dragFrom;
    bool m_dragging = false;
    mutable QImage m_cache; // the map as last drawn, until the view or the figures change
};
