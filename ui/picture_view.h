#pragma once

#include "pixel_image.h"

#include <QWidget>

// Shows a picture unscaled at its top-left corner and takes the picture's size; reports
// pointer moves over the picture in picture pixel coordinates.
class PictureView : public QWidget {
    Q_OBJECT
public:
    explicit PictureView(QWidget* parent = nullptr);

    // The view keeps a pointer: the picture must outlive it or be replaced first.
    void setPicture(const iconfinder::PixelImage* picture);

signals:
    void mouseMoved(int x, int y);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    const iconfinder::PixelImage* picture_ = nullptr;
};
