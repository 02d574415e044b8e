#pragma once

#include "grid/grid_cells.h"
#include "image/pixel_image.h"

#include <QPainter>
#include <QWidget>

#include <array>
#include <functional>
#include <optional>
#include <vector>

// Screen readers then take a PictureView for an image holding its regions, and a splitter
// handle for a separator. Once, before any view is shown.
void describeToScreenReaders();

// Shows a picture at its top-left corner, zoomed in whole steps with sharp square pixels,
// drawing only the part exposed; takes the picture's size at that zoom. Reports the pointer
// in picture pixel coordinates, clicks and Ctrl+clicks on a pixel, rectangles dragged over the
// picture (with Shift, to draw a box; without, to choose the boxes inside), Ctrl+wheel and the
// context menu.
class PictureView : public QWidget {
    Q_OBJECT
public:
    // Zoom steps, in percent.
    static constexpr std::array<int, 10> kZoomSteps{25, 50, 100, 200, 300, 400, 600, 800, 1200, 1600};

    explicit PictureView(QWidget* parent = nullptr);

    // The regions screen readers find in the picture, by name and box; set by the owner.
    struct Regions {
        std::function<std::size_t()> count = [] { return std::size_t{0}; };
        std::function<std::pair<QString, iconfinder::Rect>(std::size_t)> at;
    } regions;

    // The view keeps pointers: the picture and the frames must outlive it or be replaced first.
    void setPicture(const iconfinder::PixelImage* picture);
    // Frames on the picture, drawn over it when zoomed out, where its one-pixel lines could
    // fall between the pixels shown.
    void setFrames(const std::vector<iconfinder::Rect>* frames);
    // The cells of a grid shown over the picture while it is chosen; none to show none.
    void setGrid(std::optional<iconfinder::GridLayout> grid);
    // Rectangles marked over the picture (the selected regions' frames), not drawn into it.
    void setHighlights(std::vector<iconfinder::Rect> highlights);
    const std::vector<iconfinder::Rect>& highlights() const { return highlights_; }
    // The pivot shown in each highlight, across it from 0 to 1 (the highlight grown by
    // `padding` on every side, as its crop is); none to show none.
    void setPivot(std::optional<QPointF> pivot, int padding);
    // Where highlight `index` shows its pivot, in the view.
    QPointF pivotPlace(int index) const;

    int zoom() const { return zoom_; }
    void setZoom(int percent);
    // The picture pixel under a point of the view, and a picture point's place in the view.
    QPoint pixelAt(QPointF point) const;
    QPointF placeOf(QPointF pixel) const;
    QRectF placeOf(const iconfinder::Rect& rect) const;

signals:
    void mouseMoved(int x, int y);
    void pixelPicked(int x, int y);
    void pixelClicked(int x, int y);
    void zoomWheel(int steps, QPoint at);
    void contextMenuWanted(int x, int y, QPoint globalPos);
    // A rectangle of whole pixels dragged over the picture, cut off at its edges.
    void boxDrawn(iconfinder::Rect box);
    void rectangleChosen(iconfinder::Rect area);
    // A highlight's edges or corner dragged: highlight `index` is to become `box`.
    void highlightReshaped(int index, iconfinder::Rect box);
    void focusChanged(bool focused); // for whoever frames the view, so that focus shows
    // A highlight's pivot marker dragged: the pivot, across it from 0 to 1, to half pixels.
    void pivotDragged(QPointF pivot);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    bool inPicture(QPoint pixel) const;
    void fitSize();
    // The pixels between the press and `to`, both included, within the picture.
    iconfinder::Rect dragged(QPoint to) const;
    // The highlight whose edges pass within reach of a point, and which of them (kLeft, ...).
    std::pair<int, int> edgesAt(QPointF point) const;
    // The highlight being reshaped with its edges moved to the pixel `to`.
    iconfinder::Rect reshaped(QPoint to) const;
    void showDrag(const iconfinder::Rect& area);
    void paintGrid(QPainter& painter, QPoint first, QPoint last) const;
    void paintPivots(QPainter& painter) const;
    QRectF pivotFrame(int index) const; // in picture pixels
    int pivotAt(QPointF point) const;   // the highlight whose marker is in reach, or -1
    void dragPivot(QPointF point);

    const iconfinder::PixelImage* picture_ = nullptr;
    const std::vector<iconfinder::Rect>* frames_ = nullptr;
    std::vector<iconfinder::Rect> highlights_;
    std::optional<iconfinder::GridLayout> grid_;
    int zoom_ = 100;
    QPoint pressedAt_{-1, -1}; // the pixel a left press began on, while the button is down
    bool drawing_ = false;     // the press came with Shift: a new box
    bool dragging_ = false;    // the pointer has left the pixel pressed
    iconfinder::Rect dragArea_;
    static constexpr int kLeft = 1, kTop = 2, kRight = 4, kBottom = 8;
    int reshaping_ = -1; // the highlight whose edges are being dragged
    int edges_ = 0;      // which of them
    std::optional<QPointF> pivot_;
    int pivotPadding_ = 0;
    int pivotDragging_ = -1; // the highlight whose pivot marker is being dragged
};
