#include "ui/atlas/WorldMapView.h"

#include "atlas/AtlasData.h"
#include "atlas/AtlasFigures.h"
#include "atlas/MapProjection.h"
#include "atlas/MapShading.h"
#include "atlas/RingSimplifier.h"

#include <QHelpEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QToolTip>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace {

// How far, in map units, the outlines of each level of detail may stray from the true ones.
constexpr double kTolerances[] = {0.12, 0.03, 0.008, 0};
constexpr double kMostZoom = 200;
constexpr double kZoomStep = 1.25;

QPainterPath pathOf(const CountryShape& shape, double tolerance)
{
    QPainterPath path;
    path.setFillRule(Qt::OddEvenFill);
    for (const QList<QPointF>& ring : shape.rings) {
        QList<QPointF> points;
        for (const QPointF& lonLat : ring)
            points.append(MapProjection::toMap(lonLat));
        const QPolygonF kept(tolerance > 0 ? RingSimplifier::simplified(points, tolerance) : points);
        if (kept.size() >= 3)
            path.addPolygon(kept);
    }
    return path;
}

QColor colourOf(unsigned rgb)
{
    return QColor::fromRgb(QRgb(0xff000000u | rgb));
}

// A city's dot, drawn once: thousands of them are then copied, not each drawn as a circle.
const QImage& cityDot()
{
    static const QImage dot = [] {
        QImage image(7, 7, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(Qt::white, 0.8));
        painter.setBrush(colourOf(MapShading::kCityDot));
        painter.drawEllipse(QPointF(3.5, 3.5), 2.8, 2.8);
        return image;
    }();
    return dot;
}

} // namespace

WorldMapView::WorldMapView(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("WorldMap"));
    setAccessibleName(QStringLiteral("World map"));
    setAccessibleDescription(QStringLiteral("Visited countries shaded by their number of records. Wheel, + and - zoom, "
                                            "arrows pan, 0 shows the whole world; double-click a country for its records."));
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(false);
    setMinimumSize(240, 120);
}

void WorldMapView::setData(const AtlasData* atlas)
{
    m_data = atlas;
    m_outlines.clear();
    if (atlas) {
        for (const CountryShape& shape : atlas->shapes.shapes()) {
            Outline outline;
            outline.country = shape.country;
            outline.bounds = QRectF(MapProjection::toMap(shape.bounds.bottomLeft()), MapProjection::toMap(shape.bounds.topRight()));
            for (int level = 0; level < kLevels; ++level)
                outline.paths[size_t(level)] = pathOf(shape, kTolerances[level]);
            m_outlines.push_back(std::move(outline));
        }
    }
    setFigures(m_figures);
}

void WorldMapView::setFigures(const AtlasFigures* figures)
{
    m_figures = figures;
    m_most = figures ? figures->mostRecords() : 0;
    m_colours.clear();
    for (const Outline& outline : m_outlines) {
        const int records = figures && outline.country >= 0 ? figures->country(outline.country).records : 0;
        m_colours.push_back(MapShading::colour(records, m_most));
    }
    m_places.clear();
    if (figures)
        for (const GeoPoint& place : figures->places())
            m_places.push_back(MapProjection::toMap(QPointF(place.longitude, place.latitude)));
    viewChanged();
}

double WorldMapView::fitScale() const
{
    return std::max(0.01, std::min(width() / MapProjection::kWidth, height() / MapProjection::kHeight));
}

void WorldMapView::showWholeWorld()
{
    m_scale = fitScale();
    m_origin = QPointF((width() - MapProjection::kWidth * m_scale) / 2, (height() - MapProjection::kHeight * m_scale) / 2);
    m_fitted = true;
    viewChanged();
}

void WorldMapView::zoomAt(const QPointF& pixel, double factor)
{
    const QPointF mapPoint = (pixel - m_origin) / m_scale;
    const double scale = std::clamp(m_scale * factor, fitScale(), fitScale() * kMostZoom);
    m_origin = pixel - mapPoint * scale;
    m_scale = scale;
    m_fitted = false;
    keepMapInView();
    viewChanged();
}

void WorldMapView::panBy(const QPointF& pixels)
{
    m_origin += pixels;
    m_fitted = false;
    keepMapInView();
    viewChanged();
}

void WorldMapView::keepMapInView()
{
    // The middle of the view stays on the map, so that the map can never be lost from sight.
    const QPointF middle(width() / 2.0, height() / 2.0);
    const QPointF mapMiddle = (middle - m_origin) / m_scale;
    const QPointF kept(std::clamp(mapMiddle.x(), 0.0, MapProjection::kWidth),
                       std::clamp(mapMiddle.y(), 0.0, MapProjection::kHeight));
    m_origin = middle - kept * m_scale;
}

void WorldMapView::viewChanged()
{
    m_cache = QImage();
    update();
}

int WorldMapView::levelFor(double scale) const
{
    // The coarsest level whose dropped bends stay within a pixel, which no eye tells apart.
    for (int level = 0; level < kLevels - 1; ++level)
        if (kTolerances[level] * scale <= 0.75)
            return level;
    return kLevels - 1;
}

int WorldMapView::countryAt(const QPointF& pixel) const
{
    if (!m_data)
        return -1;
    const CountryShape* shape = m_data->shapes.shapeAt(MapProjection::toLonLat((pixel - m_origin) / m_scale));
    return shape ? shape->country : -1;
}

QString WorldMapView::toolTipAt(const QPointF& pixel) const
{
    if (!m_data)
        return {};
    const CountryShape* shape = m_data->shapes.shapeAt(MapProjection::toLonLat((pixel - m_origin) / m_scale));
    if (!shape)
        return {};
    if (shape->country < 0 || !m_figures || m_figures->country(shape->country).records == 0)
        return shape->name;
    const CountryFigures& visits = m_figures->country(shape->country);
    return QStringLiteral("%1: %2 %3, %4 %5")
        .arg(shape->name)
        .arg(visits.records)
        .arg(visits.records == 1 ? QStringLiteral("record") : QStringLiteral("records"))
        .arg(visits.cities.size())
        .arg(visits.cities.size() == 1 ? QStringLiteral("city") : QStringLiteral("cities"));
}

void WorldMapView::paintMap(QPainter& painter, const QSize& size) const
{
    painter.fillRect(QRect(QPoint(0, 0), size), colourOf(MapShading::kSea));
    if (m_outlines.empty()) {
        painter.drawText(QRect(QPoint(0, 0), size), Qt::AlignCenter, QStringLiteral("Loading the map..."));
        return;
    }
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(m_origin);
    painter.scale(m_scale, m_scale);
    const QRectF visible = QRectF(-m_origin / m_scale, QSizeF(size) / m_scale);
    QPen border(colourOf(MapShading::kBorder), 0.6);
    border.setCosmetic(true);
    painter.setPen(border);
    const size_t level = size_t(levelFor(m_scale));
    for (size_t i = 0; i < m_outlines.size(); ++i) {
        if (!m_outlines[i].bounds.intersects(visible))
            continue;
        painter.setBrush(colourOf(m_colours[i]));
        painter.drawPath(m_outlines[i].paths[level]);
    }
    painter.restore();
    const QImage& dot = cityDot();
    const QPointF centre(dot.width() / 2.0, dot.height() / 2.0);
    for (const QPointF& place : m_places)
        painter.drawImage(m_origin + place * m_scale - centre, dot);
    paintKey(painter, size, m_most);
}

void WorldMapView::paintKey(QPainter& painter, const QSize& size, int most) const
{
    if (most <= 0)
        return;
    const std::vector<int> values = MapShading::keyValues(most);
    const QFontMetrics metrics = painter.fontMetrics();
    const int row = metrics.height() + 2;
    QRect box(6, size.height() - 6 - row * int(values.size()) - 8, 0, row * int(values.size()) + 8);
    for (const int value : values)
        box.setWidth(std::max(box.width(), 30 + metrics.horizontalAdvance(QString::number(value)) + 8));
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(255, 255, 255, 220));
    painter.drawRoundedRect(box, 4, 4);
    int y = box.top() + 4;
    for (const int value : values) {
        painter.setBrush(colourOf(MapShading::colour(value, most)));
        painter.setPen(Qt::NoPen);
        painter.drawRect(box.left() + 6, y + 2, 16, row - 4);
        painter.setPen(Qt::black);
        painter.drawText(QRect(box.left() + 28, y, box.width() - 30, row), Qt::AlignVCenter, QString::number(value));
        y += row;
    }
}

void WorldMapView::paintEvent(QPaintEvent*)
{
    const qreal ratio = devicePixelRatioF();
    if (m_cache.isNull() || m_cache.size() != size() * ratio) {
        m_cache = QImage(size() * ratio, QImage::Format_ARGB32_Premultiplied);
        m_cache.setDevicePixelRatio(ratio);
        QPainter cachePainter(&m_cache);
        paintMap(cachePainter, size());
    }
    QPainter painter(this);
    painter.drawImage(0, 0, m_cache);
    if (hasFocus()) {
        painter.setPen(QPen(palette().highlight().color(), 2));
        painter.drawRect(rect().adjusted(1, 1, -1, -1));
    }
}

void WorldMapView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (m_fitted)
        showWholeWorld();
    else
        zoomAt(QPointF(width() / 2.0, height() / 2.0), 1);
}

void WorldMapView::wheelEvent(QWheelEvent* event)
{
    zoomAt(event->position(), std::pow(kZoomStep, event->angleDelta().y() / 120.0));
    event->accept();
}

void WorldMapView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        m_dragFrom = event->position().toPoint();
        m_dragging = true;
        setCursor(Qt::ClosedHandCursor);
    }
    QWidget::mousePressEvent(event);
}

void WorldMapView::mouseMoveEvent(QMouseEvent* event)
{
    if (m_dragging) {
        const QPoint at = event->position().toPoint();
        panBy(at - m_dragFrom);
        m_dragFrom = at;
    }
}

void WorldMapView::mouseReleaseEvent(QMouseEvent* event)
{
    m_dragging = false;
    unsetCursor();
    QWidget::mouseReleaseEvent(event);
}

void WorldMapView::mouseDoubleClickEvent(QMouseEvent* event)
{
    const int country = countryAt(event->position());
    if (country >= 0)
        emit countryActivated(country);
}

QPointF WorldMapView::pointerOrCentre() const
{
    const QPoint pointer = mapFromGlobal(QCursor::pos());
    return rect().contains(pointer) ? QPointF(pointer) : QPointF(width() / 2.0, height() / 2.0);
}

void WorldMapView::keyPressEvent(QKeyEvent* event)
{
    const double stepX = width() / 8.0;
    const double stepY = height() / 8.0;
    switch (event->key()) {
    case Qt::Key_Plus:
    case Qt::Key_Equal:
        zoomAt(pointerOrCentre(), kZoomStep);
        break;
    case Qt::Key_Minus:
        zoomAt(pointerOrCentre(), 1 / kZoomStep);
        break;
    case Qt::Key_0:
        showWholeWorld();
        break;
    case Qt::Key_Left:
        panBy(QPointF(stepX, 0));
        break;
    case Qt::Key_Right:
        panBy(QPointF(-stepX, 0));
        break;
    case Qt::Key_Up:
        panBy(QPointF(0, stepY));
        break;
    case Qt::Key_Down:
        panBy(QPointF(0, -stepY));
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
}

bool WorldMapView::event(QEvent* event)
{
    if (event->type() == QEvent::ToolTip) {
        const auto* help = static_cast<QHelpEvent*>(event);
        const QString tip = toolTipAt(help->pos());
        if (tip.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), tip, this);
        return true;
    }
    return QWidget::event(event);
}
