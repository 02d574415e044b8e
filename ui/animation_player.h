#pragma once

#include <QDialog>
#include <QImage>
#include <QLabel>
#include <QTimer>

#include <vector>

// Plays frames one after another, each for the frame duration, over and over: each centred in
// the size of the largest, as an engine draws frames about their middle. Esc closes it.
class AnimationPlayer : public QDialog {
    Q_OBJECT
public:
    AnimationPlayer(std::vector<QImage> frames, int milliseconds, QWidget* parent);

    int frameCount() const { return static_cast<int>(frames_.size()); }
    int currentFrame() const { return current_; }

private:
    void showFrame(int frame);

    std::vector<QImage> frames_;
    QLabel* view_;
    QTimer timer_;
    int current_ = 0;
    int scale_ = 1;
};
