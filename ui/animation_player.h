#pragma once

#include <QDialog>
#include <QImage>
#include <QLabel>
#include <QTimer>

#include <vector>

// Plays frames one after another, each for the frame duration, over and over, each placed by
// its anchor (across it from 0 to 1) on one point, as an engine draws a sprite at its
// position. Esc closes it.
class AnimationPlayer : public QDialog {
    Q_OBJECT
public:
    AnimationPlayer(std::vector<QImage> frames, QPointF anchor, int milliseconds, QWidget* parent);

    int frameCount() const { return static_cast<int>(frames_.size()); }
    int currentFrame() const { return current_; }
    // Where a frame is drawn, in the frames' own pixels.
    QRect placeOf(int frame) const { return places_[static_cast<std::size_t>(frame)]; }

private:
    void showFrame(int frame);

    std::vector<QImage> frames_;
    std::vector<QRect> places_;
    QLabel* view_;
    QTimer timer_;
    int current_ = 0;
    int scale_ = 1;
};
