#include "ui/search_settings.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>

namespace {

QSpinBox* spinBox(int minimum, int maximum, int value, const QString& tip)
{
    auto* box = new QSpinBox;
    box->setRange(minimum, maximum);
    box->setValue(value);
    box->setToolTip(tip);
    box->setAccelerated(true);
    return box;
}

} // namespace

SearchSettings::SearchSettings(QWidget* parent)
    : QWidget(parent),
      ToleranceBox(spinBox(0, 255, 0, "배경색과 채널마다 이만큼 다른 색까지, 투명이면 알파가 이만큼까지 배경 (--tolerance)")),
      MergeBox(spinBox(0, 1 << 16, 0, "이 거리보다 가까운 영역을 하나로 합칩니다. 1은 닿는 영역 (--merge)")),
      MinSizeBox(spinBox(0, 1 << 16, 0, "너비나 높이가 이보다 작은 영역은 뺍니다 (--min-size)")),
      GridBox(new QComboBox), CellWidthBox(spinBox(1, 1 << 16, 32, "칸의 너비 (--grid WxH)")),
      CellHeightBox(spinBox(1, 1 << 16, 32, "칸의 높이 (--grid WxH)")), SpacingBox(spinBox(0, 1 << 16, 0, "칸 사이의 픽셀 (--grid-spacing)")),
      TrimBox(new QCheckBox("다듬기"))
{
    TrimBox->setToolTip("칸의 영역을 칸 안의 그림에 맞게 줄입니다; 아틀라스는 칸의 크기를 그대로 둡니다 (--trim)");
    TrimBox->setObjectName("TrimBox");
    GridBox->addItems({"없음", "자동", "크기 지정", "칸 수 지정"});
    GridBox->setToolTip("영역 대신 격자의 칸: 없음, 영역이 반복되는 격자 (--grid auto), 정한 크기 (--grid WxH), "
                        "또는 가로세로 칸 수 (--grid-count CxR)");
    ToleranceBox->setObjectName("ToleranceBox");
    MergeBox->setObjectName("MergeBox");
    MinSizeBox->setObjectName("MinSizeBox");
    GridBox->setObjectName("GridBox");
    CellWidthBox->setObjectName("CellWidthBox");
    CellHeightBox->setObjectName("CellHeightBox");
    SpacingBox->setObjectName("SpacingBox");
    // Screen readers name each box by its own name, not by the "×" between the cell's sides.
    CellWidthBox->setAccessibleName("셀 너비");
    CellHeightBox->setAccessibleName("셀 높이");
    SpacingBox->setAccessibleName("간격");

    // Two rows, so that the window keeps them whole down to its smallest width.
    auto* rows = new QGridLayout(this);
    rows->setContentsMargins(8, 2, 8, 4);
    rows->setHorizontalSpacing(6);
    rows->setVerticalSpacing(2);
    const auto row = [&](int at, std::initializer_list<std::pair<QString, QWidget*>> items) {
        auto* line = new QHBoxLayout;
        for (const auto& [text, control] : items) {
            if (!text.isEmpty()) {
                auto* label = new QLabel(text);
                label->setBuddy(control);
                line->addWidget(label);
            }
            line->addWidget(control);
            line->addSpacing(6);
        }
        line->addStretch();
        rows->addLayout(line, at, 0);
    };
    row(0, {{"허용 오차", ToleranceBox}, {"합치기 거리", MergeBox}, {"최소 크기", MinSizeBox}});
    row(1, {{"격자", GridBox}, {"칸", CellWidthBox}, {"×", CellHeightBox}, {"간격", SpacingBox}, {"", TrimBox}});
    connect(TrimBox, &QCheckBox::toggled, this, &SearchSettings::changed);
    connect(GridBox, &QComboBox::currentIndexChanged, this, &SearchSettings::enableForGrid);
    connect(GridBox, &QComboBox::currentIndexChanged, this, &SearchSettings::changed);
    for (QSpinBox* box : {ToleranceBox, MergeBox, MinSizeBox, CellWidthBox, CellHeightBox, SpacingBox})
        connect(box, &QSpinBox::valueChanged, this, &SearchSettings::changed);
    enableForGrid();
}

std::optional<iconfinder::GridLayout> SearchSettings::gridOn(int width, int height) const
{
    const std::optional<iconfinder::GridSpec> spec = iconfinder::givenGrid(sprites(), width, height);
    if (!spec)
        return std::nullopt;
    return iconfinder::layOutGrid(*spec, width, height);
}

void SearchSettings::enableForGrid()
{
    const bool counted = GridBox->currentIndex() == CountedGrid;
    const bool sized = GridBox->currentIndex() == SizedGrid || counted;
    for (QSpinBox* box : {CellWidthBox, CellHeightBox, SpacingBox})
        box->setEnabled(sized);
    CellWidthBox->setToolTip(counted ? "가로 칸 수 (--grid-count CxR)" : "칸의 너비 (--grid WxH)");
    CellHeightBox->setToolTip(counted ? "세로 칸 수 (--grid-count CxR)" : "칸의 높이 (--grid WxH)");
    // Cells of a given size are the regions as they are: nothing to merge.
    MergeBox->setEnabled(!sized);
    TrimBox->setEnabled(GridBox->currentIndex() != NoGrid);
}

iconfinder::SpriteSettings SearchSettings::sprites() const
{
    iconfinder::SpriteSettings settings;
    settings.shaping.minWidth = settings.shaping.minHeight = MinSizeBox->value();
    switch (GridBox->currentIndex()) {
    case CountedGrid:
        settings.gridCount = iconfinder::GridCount{CellWidthBox->value(), CellHeightBox->value()};
        [[fallthrough]];
    case SizedGrid:
        settings.grid = iconfinder::GridSpec{CellWidthBox->value(), CellHeightBox->value(), 0, 0, SpacingBox->value(), SpacingBox->value()};
        settings.trim = TrimBox->isChecked();
        break;
    case AutoGrid:
        settings.guessGrid = true;
        settings.trim = TrimBox->isChecked();
        [[fallthrough]];
    default:
        settings.shaping.merge = iconfinder::MergeDistance(MergeBox->value());
    }
    return settings;
}

bool SearchSettings::atDefaults() const
{
    return tolerance() == 0 && MergeBox->value() == 0 && MinSizeBox->value() == 0 && GridBox->currentIndex() == NoGrid;
}

QList<QWidget*> SearchSettings::tabOrder() const
{
    return {ToleranceBox, MergeBox, MinSizeBox, GridBox, CellWidthBox, CellHeightBox, SpacingBox, TrimBox};
}
