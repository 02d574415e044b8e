#include "ui/animation_player.h"

#include <QPainter>
#include <QVBoxLayout>

#include <algorithm>

AnimationPlayer::AnimationPlayer(std::vector<QImage> frames, int milliseconds, QWidget* parent)
    : QDialog(parent), frames_(std::move(frames)), view_(new QLabel(this))
{
    setWindowTitle("재생");
    setAttribute(Qt::WA_DeleteOnClose);
    view_->setAlignment(Qt::AlignCenter);
    view_->setAccessibleName("재생 중인 프레임");
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(view_);
    // Small sprites shown large enough to see, in whole steps so that pixels stay square.
    int widest = 1, highest = 1;
    for (const QImage& frame : frames_)
        widest = std::max(widest, frame.width()), highest = std::max(highest, frame.height());
    scale_ = std::clamp(256 / std::max(widest, highest), 1, 8);
    view_->setFixedSize(widest * scale_, highest * scale_);
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
    const QImage& image = frames_[static_cast<std::size_t>(frame)];
    const QSize size = image.size() * scale_;
    QPainter painter(&canvas);
    painter.drawImage(QRect(QPoint((canvas.width() - size.width()) / 2, (canvas.height() - size.height()) / 2), size), image);
    painter.end();
    view_->setPixmap(canvas);
}
