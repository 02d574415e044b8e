#include "ui/animation_player.h"

#include <QPainter>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

AnimationPlayer::AnimationPlayer(std::vector<QImage> frames, QPointF anchor, int milliseconds, QWidget* parent)
    : QDialog(parent), frames_(std::move(frames)), view_(new QLabel(this))
{
    setWindowTitle("재생");
    setAttribute(Qt::WA_DeleteOnClose);
    view_->setAccessibleName("재생 중인 프레임");
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(view_);
    // The frames' anchors on one point: the room each needs around it, the most of all.
    int left = 0, right = 1, top = 0, bottom = 1;
    const auto anchorOf = [&](const QImage& frame) {
        return QPoint(static_cast<int>(std::lround(anchor.x() * frame.width())), static_cast<int>(std::lround(anchor.y() * frame.height())));
    };
    for (const QImage& frame : frames_) {
        const QPoint at = anchorOf(frame);
        left = std::max(left, at.x()), right = std::max(right, frame.width() - at.x());
        top = std::max(top, at.y()), bottom = std::max(bottom, frame.height() - at.y());
    }
    for (const QImage& frame : frames_)
        places_.emplace_back(QPoint(left, top) - anchorOf(frame), frame.size());
    // Small sprites shown large enough to see, in whole steps so that pixels stay square.
    scale_ = std::clamp(256 / std::max(left + right, top + bottom), 1, 8);
    view_->setFixedSize((left + right) * scale_, (top + bottom) * scale_);
    connect(&timer_, &QTimer::timeout, this, [this] { showFrame((current_ + 1) % frameCount()); });
    showFrame(0);
    if (frames_.size() > 1)
        timer_.start(milliseconds);
}

void AnimationPlayer::showFrame(int frame)
{
    current_ = frame;
    QPixmap canvas(view_->size());
    canvas.fill(palette().color(QPalette::Window));
    const QRect place = placeOf(frame);
    QPainter painter(&canvas);
    painter.drawImage(QRect(place.topLeft() * scale_, place.size() * scale_), frames_[static_cast<std::size_t>(frame)]);
    painter.end();
    view_->setPixmap(canvas);
}
