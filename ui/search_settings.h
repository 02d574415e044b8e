#pragma once

#include "slice/sprite_search.h"

#include <QCheckBox>
#include <QComboBox>
#include <QSpinBox>
#include <QWidget>

// The search's settings, each a find-icons option with its meaning: 허용 오차 (--tolerance),
// 합치기 거리 (--merge), 최소 크기 (--min-size) and 격자 (--grid: none, auto, cells of
// width x height, or --grid-count: columns x rows of cells; with spacing; 다듬기, --trim). At their defaults the search is the form's own.
class SearchSettings : public QWidget {
    Q_OBJECT
public:
    explicit SearchSettings(QWidget* parent = nullptr);

    QSpinBox* ToleranceBox;
    QSpinBox* MergeBox;
    QSpinBox* MinSizeBox;
    QComboBox* GridBox; // 없음, 자동, 크기 지정, 칸 수 지정
    QSpinBox* CellWidthBox;
    QSpinBox* CellHeightBox;
    QSpinBox* SpacingBox;
    QCheckBox* TrimBox; // a cell's box is the bounding box of its foreground

    enum GridChoice { NoGrid, AutoGrid, SizedGrid, CountedGrid };

    int tolerance() const { return ToleranceBox->value(); }
    iconfinder::SpriteSettings sprites() const;
    bool atDefaults() const;
    // The cells a given grid (a size, or columns and rows) lays on a picture of that size.
    std::optional<iconfinder::GridLayout> gridOn(int width, int height) const;

    // The controls in Tab order.
    QList<QWidget*> tabOrder() const;

signals:
    void changed(); // any setting

private:
    void enableForGrid();
};
