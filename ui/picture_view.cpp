#include "picture_view.h"

#include <QImage>
#include <QMouseEvent>
#include <QPainter>

PictureView::PictureView(QWidget* parent) : QWidget(parent)
{
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void PictureView::setPicture(const iconfinder::PixelImage* picture)
{
    picture_ = picture;
    setFixedSize(picture ? picture->width() : 0, picture ? picture->height() : 0);
    update();
}

void PictureView::paintEvent(QPaintEvent* event)
{
    if (!picture_ || picture_->pixelCount() == 0)
        return;
    // The picture's rows are already 0xXXRRGGBB words: Qt can draw them in place.
    const QImage view(reinterpret_cast<const uchar*>(picture_->pixels().data()), picture_->width(), picture_->height(),
                      static_cast<qsizetype>(picture_->width()) * 4, QImage::Format_RGB32);
    QPainter painter(this);
    painter.drawImage(event->rect(), view, event->rect());
}

void PictureView::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint at = event->position().toPoint();
    if (picture_ && at.x() >= 0 && at.y() >= 0 && at.x() < picture_->width() && at.y() < picture_->height())
        emit mouseMoved(at.x(), at.y());
    QWidget::mouseMoveEvent(event);
}
