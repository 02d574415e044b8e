#include "ui/picture_view.h"

#include <QAccessibleWidget>
#include <QPointer>
#include <QContextMenuEvent>
#include <QImage>
#include <QPixmap>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include <cmath>
#include <unordered_map>

namespace {

// One region of the picture for screen readers: its name, and its box said and on the screen.
class RegionAccessible : public QAccessibleInterface {
public:
    RegionAccessible(PictureView* view, int index) : view_(view), index_(index) {}
    bool isValid() const override { return view_ && index_ < static_cast<int>(view_->regions.count()); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return view_ ? view_->window()->windowHandle() : nullptr; }
    QAccessibleInterface* parent() const override { return QAccessible::queryAccessibleInterface(view_); }
    QAccessibleInterface* child(int) const override { return nullptr; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessible::Role role() const override { return QAccessible::Graphic; }
    QAccessible::State state() const override { return {}; }
    void setText(QAccessible::Text, const QString&) override {}
    QString text(QAccessible::Text kind) const override
    {
        if (!isValid())
            return {};
        const auto [name, box] = view_->regions.at(static_cast<std::size_t>(index_));
        if (kind == QAccessible::Name)
            return name;
        if (kind == QAccessible::Description)
            return QString("x %1, y %2, 너비 %3, 높이 %4").arg(box.left).arg(box.top).arg(box.right - box.left).arg(box.bottom - box.top);
        return {};
    }
    QRect rect() const override
    {
        if (!isValid())
            return {};
        const iconfinder::Rect box = view_->regions.at(static_cast<std::size_t>(index_)).second;
        const QRectF shown = view_->placeOf(box);
        return QRect(view_->mapToGlobal(shown.topLeft().toPoint()), shown.size().toSize());
    }

private:
    QPointer<PictureView> view_;
    int index_;
};

// Screen readers meet the picture as an image, not an empty container, and its regions as
// its children.
class PictureAccessible : public QAccessibleWidget {
public:
    explicit PictureAccessible(PictureView* view) : QAccessibleWidget(view, QAccessible::Graphic) {}
    PictureView* view() const { return static_cast<PictureView*>(widget()); }
    int childCount() const override { return static_cast<int>(view()->regions.count()); }
    QAccessibleInterface* child(int index) const override
    {
        if (index < 0 || index >= childCount())
            return nullptr;
        // Made when first asked for; the accessibility cache owns them.
        const auto [known, fresh] = children_.try_emplace(index, 0);
        if (fresh)
            known->second = QAccessible::registerAccessibleInterface(new RegionAccessible(view(), index));
        return QAccessible::accessibleInterface(known->second);
    }
    int indexOfChild(const QAccessibleInterface* child) const override
    {
        for (const auto& [index, id] : children_)
            if (QAccessible::accessibleInterface(id) == child)
                return index;
        return -1;
    }
    QAccessibleInterface* childAt(int x, int y) const override
    {
        const QPoint pixel = view()->pixelAt(view()->mapFromGlobal(QPoint(x, y)));
        const int count = childCount();
        for (int k = 0; k < count; ++k) {
            const iconfinder::Rect box = view()->regions.at(static_cast<std::size_t>(k)).second;
            if (pixel.x() >= box.left && pixel.x() < box.right && pixel.y() >= box.top && pixel.y() < box.bottom)
                return child(k);
        }
        return nullptr;
    }

private:
    mutable std::unordered_map<int, QAccessible::Id> children_;
};

QAccessibleInterface* windowAccessible(const QString& className, QObject* object)
{
    if (className == QLatin1String("PictureView"))
        return new PictureAccessible(static_cast<PictureView*>(object));
    // A splitter's handle is a grip, which screen readers on this desktop know no role for.
    if (className == QLatin1String("QSplitterHandle"))
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Separator);
    return nullptr;
}

} // namespace

void describeToScreenReaders() { QAccessible::installFactory(windowAccessible); }

PictureView::PictureView(QWidget* parent) : QWidget(parent)
{
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    // Reached by Tab, so that the menu key and Shift+F10 open the picture's menu.
    setFocusPolicy(Qt::StrongFocus);
}

void PictureView::setPicture(const iconfinder::PixelImage* picture)
{
    picture_ = picture;
    fitSize();
}

void PictureView::setFrames(const std::vector<iconfinder::Rect>* frames)
{
    frames_ = frames;
    update();
}

// The chosen grid's cells between two pixels, those in the exposed part only: a sheet may hold
// millions.
void PictureView::paintGrid(QPainter& painter, QPoint first, QPoint last) const
{
    if (!grid_ || grid_->columns == 0 || grid_->rows == 0)
        return;
    const iconfinder::GridSpec& spec = grid_->spec;
    const int stepX = spec.cellWidth + spec.spacingX, stepY = spec.cellHeight + spec.spacingY;
    const int firstColumn = std::max(0, (first.x() - spec.x) / stepX - 1), lastColumn = std::min(grid_->columns - 1, (last.x() - spec.x) / stepX + 1);
    const int firstRow = std::max(0, (first.y() - spec.y) / stepY - 1), lastRow = std::min(grid_->rows - 1, (last.y() - spec.y) / stepY + 1);
    painter.setPen(QPen(QColor(0, 160, 80), 1, Qt::DotLine));
    painter.setBrush(Qt::NoBrush);
    for (int row = firstRow; row <= lastRow; ++row)
        for (int column = firstColumn; column <= lastColumn; ++column) {
            const iconfinder::RegionBox cell = grid_->cell(column, row);
            painter.drawRect(placeOf(iconfinder::frameRect(cell)).adjusted(0, 0, -1, -1));
        }
}

void PictureView::setGrid(std::optional<iconfinder::GridLayout> grid)
{
    grid_ = std::move(grid);
    update();
}

void PictureView::setHighlights(std::vector<iconfinder::Rect> highlights)
{
    highlights_ = std::move(highlights);
    update();
}

void PictureView::setZoom(int percent)
{
    zoom_ = percent;
    fitSize();
}

void PictureView::fitSize()
{
    const auto scaled = [&](int length) { return static_cast<int>(std::ceil(static_cast<double>(length) * zoom_ / 100)); };
    setFixedSize(picture_ ? scaled(picture_->width()) : 0, picture_ ? scaled(picture_->height()) : 0);
    update();
}

QPoint PictureView::pixelAt(QPointF point) const
{
    return {static_cast<int>(std::floor(point.x() * 100 / zoom_)), static_cast<int>(std::floor(point.y() * 100 / zoom_))};
}

QPointF PictureView::placeOf(QPointF pixel) const { return pixel * zoom_ / 100.0; }

QRectF PictureView::placeOf(const iconfinder::Rect& rect) const
{
    return {placeOf(QPointF(rect.left, rect.top)), placeOf(QPointF(rect.right, rect.bottom))};
}

bool PictureView::inPicture(QPoint pixel) const
{
    return picture_ && pixel.x() >= 0 && pixel.y() >= 0 && pixel.x() < picture_->width() && pixel.y() < picture_->height();
}

void PictureView::paintEvent(QPaintEvent* event)
{
    if (!picture_ || picture_->pixelCount() == 0)
        return;
    // The picture's rows are already 0xAARRGGBB words: Qt draws them in place, only the
    // pixels under the exposed part, each a sharp square; transparent ones over a light
    // checkerboard.
    const bool alpha = picture_->hasAlpha();
    const QImage view(reinterpret_cast<const uchar*>(picture_->pixels().data()), picture_->width(), picture_->height(),
                      static_cast<qsizetype>(picture_->width()) * 4, alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    const QRect exposed = event->rect();
    const QPoint first = pixelAt(exposed.topLeft());
    const QPoint last = pixelAt(QPointF(exposed.right() + 1, exposed.bottom() + 1));
    const QRect source = QRect(first, QPoint(last.x(), last.y())).intersected(view.rect());
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    if (alpha) {
        constexpr int kSquare = 8;
        QPixmap checks(2 * kSquare, 2 * kSquare);
        checks.fill(QColor(255, 255, 255));
        QPainter squares(&checks);
        squares.fillRect(0, 0, kSquare, kSquare, QColor(224, 224, 224));
        squares.fillRect(kSquare, kSquare, kSquare, kSquare, QColor(224, 224, 224));
        squares.end();
        painter.fillRect(exposed.intersected(rect()), QBrush(checks));
    }
    painter.drawImage(QRectF(placeOf(source.topLeft()), placeOf(QPointF(source.right() + 1, source.bottom() + 1))), view, source);
    if (zoom_ < 100 && frames_) {
        painter.setPen(QPen(Qt::red, 0));
        for (const iconfinder::Rect& frame : *frames_) {
            const QRectF outline = placeOf(frame);
            if (outline.intersects(exposed))
                painter.drawRect(outline.adjusted(0, 0, -1, -1));
        }
    }
    paintGrid(painter, first, last);
    // The rectangle being dragged: dashed, a new box or the boxes it will choose.
    if (dragging_) {
        painter.setPen(QPen(QColor(0, 120, 215), 1, Qt::DashLine));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(placeOf(dragArea_).adjusted(0, 0, -1, -1));
    }
    // Selected frames: a tint over the box and a two-pixel outline around it, visible on red
    // and at every zoom.
    const QColor mark(0, 120, 215);
    painter.setPen(QPen(mark, 2));
    painter.setBrush(QColor(mark.red(), mark.green(), mark.blue(), 48));
    for (const iconfinder::Rect& box : highlights_) {
        const QRectF outline = placeOf(box).adjusted(-1, -1, 1, 1);
        if (outline.intersects(exposed.adjusted(-2, -2, 2, 2)))
            painter.drawRect(outline);
    }
    paintPivots(painter);
}

void PictureView::setPivot(std::optional<QPointF> pivot, int padding)
{
    pivot_ = pivot;
    pivotPadding_ = padding;
    update();
}

QRectF PictureView::pivotFrame(int index) const
{
    const iconfinder::Rect& box = highlights_[static_cast<std::size_t>(index)];
    return QRectF(QPointF(box.left, box.top), QPointF(box.right, box.bottom)).adjusted(-pivotPadding_, -pivotPadding_, pivotPadding_, pivotPadding_);
}

QPointF PictureView::pivotPlace(int index) const
{
    const QRectF frame = pivotFrame(index);
    return placeOf(QPointF(frame.left() + pivot_->x() * frame.width(), frame.top() + pivot_->y() * frame.height()));
}

void PictureView::paintPivots(QPainter& painter) const
{
    if (!pivot_)
        return;
    // A ring with a cross, dark inside light, to show on any colour.
    constexpr double kRadius = 5;
    painter.setBrush(Qt::NoBrush);
    for (int k = 0; k < static_cast<int>(highlights_.size()); ++k) {
        const QPointF at = pivotPlace(k);
        for (const auto& [colour, width] : {std::pair{QColor(Qt::white), 3}, std::pair{QColor(230, 90, 0), 1}}) {
            painter.setPen(QPen(colour, width));
            painter.drawEllipse(at, kRadius, kRadius);
            painter.drawLine(at - QPointF(kRadius + 2, 0), at + QPointF(kRadius + 2, 0));
            painter.drawLine(at - QPointF(0, kRadius + 2), at + QPointF(0, kRadius + 2));
        }
    }
}

int PictureView::pivotAt(QPointF point) const
{
    constexpr double kReach = 7;
    if (!pivot_)
        return -1;
    for (int k = static_cast<int>(highlights_.size()) - 1; k >= 0; --k) {
        const QPointF off = point - pivotPlace(k);
        if (std::abs(off.x()) <= kReach && std::abs(off.y()) <= kReach)
            return k;
    }
    return -1;
}

void PictureView::dragPivot(QPointF point)
{
    const QRectF frame = pivotFrame(pivotDragging_);
    const QPointF pixel = point * (100.0 / zoom_);
    const auto across = [](double at, double from, double length) { return std::clamp((std::round(at * 2) / 2 - from) / length, 0.0, 1.0); };
    emit pivotDragged({across(pixel.x(), frame.left(), frame.width()), across(pixel.y(), frame.top(), frame.height())});
}

void PictureView::focusInEvent(QFocusEvent* event)
{
    QWidget::focusInEvent(event);
    emit focusChanged(true);
}

void PictureView::focusOutEvent(QFocusEvent* event)
{
    QWidget::focusOutEvent(event);
    emit focusChanged(false);
}

void PictureView::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint at = pixelAt(event->position());
    if (inPicture(at))
        emit mouseMoved(at.x(), at.y());
    if (pivotDragging_ >= 0 && (event->buttons() & Qt::LeftButton)) {
        dragPivot(event->position());
    } else if (pressedAt_.x() >= 0 && (event->buttons() & Qt::LeftButton) && (dragging_ || at != pressedAt_)) {
        dragging_ = true;
        showDrag(reshaping_ >= 0 ? reshaped(at) : dragged(at));
    } else if (!(event->buttons() & Qt::LeftButton)) {
        // Over a chosen box's edge the pointer says it can be dragged.
        if (pivotAt(event->position()) >= 0) {
            setCursor(Qt::SizeAllCursor);
            QWidget::mouseMoveEvent(event);
            return;
        }
        const int edges = edgesAt(event->position()).second;
        const bool across = edges & (kLeft | kRight), down = edges & (kTop | kBottom);
        const bool falling = (edges & kLeft && edges & kTop) || (edges & kRight && edges & kBottom);
        setCursor(across && down ? (falling ? Qt::SizeFDiagCursor : Qt::SizeBDiagCursor)
                  : across       ? Qt::SizeHorCursor
                  : down         ? Qt::SizeVerCursor
                                 : Qt::ArrowCursor);
    }
    QWidget::mouseMoveEvent(event);
}

void PictureView::showDrag(const iconfinder::Rect& area)
{
    const iconfinder::Rect before = dragArea_;
    dragArea_ = area;
    update(QRectF(placeOf(QPointF(std::min(before.left, area.left), std::min(before.top, area.top))),
                  placeOf(QPointF(std::max(before.right, area.right), std::max(before.bottom, area.bottom))))
               .toAlignedRect()
               .adjusted(-3, -3, 3, 3));
}

std::pair<int, int> PictureView::edgesAt(QPointF point) const
{
    constexpr double kReach = 4;
    for (int k = static_cast<int>(highlights_.size()) - 1; k >= 0; --k) {
        const iconfinder::Rect& box = highlights_[static_cast<std::size_t>(k)];
        const QRectF outline = placeOf(box);
        if (!outline.adjusted(-kReach, -kReach, kReach, kReach).contains(point))
            continue;
        // Of two edges in reach (a small box), the nearer.
        const double left = std::abs(point.x() - outline.left()), right = std::abs(point.x() - outline.right());
        const double top = std::abs(point.y() - outline.top()), bottom = std::abs(point.y() - outline.bottom());
        const int across = std::min(left, right) > kReach ? 0 : left < right ? kLeft : kRight;
        const int down = std::min(top, bottom) > kReach ? 0 : top < bottom ? kTop : kBottom;
        const int edges = across | down;
        if (edges != 0)
            return {k, edges};
    }
    return {-1, 0};
}

iconfinder::Rect PictureView::reshaped(QPoint to) const
{
    iconfinder::Rect box = highlights_[static_cast<std::size_t>(reshaping_)];
    const int x = std::clamp(to.x(), 0, picture_->width() - 1), y = std::clamp(to.y(), 0, picture_->height() - 1);
    if (edges_ & kLeft)
        box.left = std::min(x, box.right - 1);
    if (edges_ & kRight)
        box.right = std::max(x + 1, box.left + 1);
    if (edges_ & kTop)
        box.top = std::min(y, box.bottom - 1);
    if (edges_ & kBottom)
        box.bottom = std::max(y + 1, box.top + 1);
    return box;
}

void PictureView::mousePressEvent(QMouseEvent* event)
{
    const QPoint at = pixelAt(event->position());
    const auto [box, edges] = edgesAt(event->position());
    if (const int pivot = pivotAt(event->position()); event->button() == Qt::LeftButton && !event->modifiers() && pivot >= 0) {
        pivotDragging_ = pivot; // before the edges: a pivot may lie on one
        return;
    }
    if (event->button() == Qt::LeftButton && !event->modifiers() && box >= 0) {
        // A chosen box's edge or corner: dragged to another place, the box stays chosen.
        pressedAt_ = at;
        reshaping_ = box, edges_ = edges;
        drawing_ = dragging_ = false;
        dragArea_ = highlights_[static_cast<std::size_t>(box)];
        return;
    }
    if (event->button() == Qt::LeftButton && inPicture(at)) {
        pressedAt_ = at;
        drawing_ = event->modifiers() & Qt::ShiftModifier;
        dragging_ = false;
        dragArea_ = dragged(at);
        if (event->modifiers() & Qt::ControlModifier)
            emit pixelPicked(at.x(), at.y());
        else if (!drawing_)
            emit pixelClicked(at.x(), at.y());
        return;
    }
    QWidget::mousePressEvent(event);
}

void PictureView::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && pivotDragging_ >= 0) {
        dragPivot(event->position());
        pivotDragging_ = -1;
        return;
    }
    if (event->button() == Qt::LeftButton && pressedAt_.x() >= 0) {
        const int reshaping = reshaping_;
        const iconfinder::Rect area = reshaping >= 0 ? reshaped(pixelAt(event->position())) : dragged(pixelAt(event->position()));
        const bool drawn = drawing_, moved = dragging_;
        pressedAt_ = {-1, -1};
        dragging_ = false;
        reshaping_ = -1;
        update();
        if (reshaping >= 0 && moved) {
            if (!(area == highlights_[static_cast<std::size_t>(reshaping)]))
                emit highlightReshaped(reshaping, area);
        } else if (reshaping >= 0) {
            const QPoint at = pixelAt(event->position()); // on an edge, but not dragged: a click
            if (inPicture(at))
                emit pixelClicked(at.x(), at.y());
        } else if (drawn)
            emit boxDrawn(area); // a click with Shift draws a box of one pixel
        else if (moved)
            emit rectangleChosen(area);
        return;
    }
    QWidget::mouseReleaseEvent(event);
}

iconfinder::Rect PictureView::dragged(QPoint to) const
{
    const int right = picture_->width() - 1, bottom = picture_->height() - 1;
    const QPoint a(std::clamp(pressedAt_.x(), 0, right), std::clamp(pressedAt_.y(), 0, bottom));
    const QPoint b(std::clamp(to.x(), 0, right), std::clamp(to.y(), 0, bottom));
    return {std::min(a.x(), b.x()), std::min(a.y(), b.y()), std::max(a.x(), b.x()) + 1, std::max(a.y(), b.y()) + 1};
}

void PictureView::wheelEvent(QWheelEvent* event)
{
    if (!(event->modifiers() & Qt::ControlModifier)) {
        QWidget::wheelEvent(event); // scrolls
        return;
    }
    const int steps = event->angleDelta().y() / 120;
    if (steps != 0)
        emit zoomWheel(steps, event->position().toPoint());
    event->accept();
}

void PictureView::contextMenuEvent(QContextMenuEvent* event)
{
    const QPoint at = pixelAt(event->pos());
    emit contextMenuWanted(at.x(), at.y(), event->globalPos());
}
