#include "ui/export_settings.h"

#include "common/errors.h"

#include <QFormLayout>

#include <cmath>

using namespace iconfinder;

namespace {

QComboBox* choices(std::initializer_list<std::pair<QString, int>> entries, const QString& tip)
{
    auto* box = new QComboBox;
    for (const auto& [text, value] : entries)
        box->addItem(text, value);
    box->setToolTip(tip);
    return box;
}

template <typename Value>
Value chosen(const QComboBox* box)
{
    return static_cast<Value>(box->currentData().toInt());
}

} // namespace

ExportSettings::ExportSettings(QWidget* parent)
    : QWidget(parent), NameEdit(new QLineEdit(QString::fromLatin1(kDefaultNamePattern.data(), kDefaultNamePattern.size()))),
      OrderBox(choices({{"찾은 순서", int(RegionOrder::Search)}, {"행", int(RegionOrder::Rows)}, {"열", int(RegionOrder::Columns)}},
                       "다음 찾기에서 영역의 순서: 찾은 대로, 행으로, 열로 (--order)")),
      PaddingBox(new QSpinBox),
      SameSizeBox(choices({{"아니요", int(SameSize::None)}, {"모두", int(SameSize::All)}, {"행마다", int(SameSize::Rows)}, {"열마다", int(SameSize::Columns)}},
                          "같은 크기로 자를 아이콘들: 가장 넓고 높은 것에 맞춥니다 (--same-size)")),
      AlignBox(choices({{"가운데", int(Align::Center)}, {"아래", int(Align::Bottom)}, {"왼쪽 아래", int(Align::BottomLeft)},
                        {"오른쪽 아래", int(Align::BottomRight)}, {"왼쪽 위", int(Align::TopLeft)}, {"왼쪽", int(Align::Left)}, {"오른쪽", int(Align::Right)}},
                       "같은 크기의 아이콘 안에서 영역의 자리 (--align)")),
      AnchorBox(new QComboBox),
      AnimationsBox(choices({{"없음", -1}, {"행마다", int(AnimationGroups::Rows)}, {"열마다", int(AnimationGroups::Columns)}, {"이름마다", int(AnimationGroups::Names)}},
                            "아틀라스의 애니메이션: 행이나 열마다, 또는 끝 번호를 뺀 이름마다 (--animations)"))
{
    NameEdit->setToolTip("다음 찾기에서 영역의 이름: {n} {x} {y} {w} {h} {stem} {base}, 행이나 열이면 {row} {col} (--name)");
    PaddingBox->setRange(0, 1 << 12);
    PaddingBox->setToolTip("아이콘과 아틀라스 프레임의 사방에 더하는 픽셀 (--padding)");
    AnchorBox->setEditable(true);
    AnchorBox->addItems({"없음", "가운데", "아래"});
    AnchorBox->setToolTip("아틀라스 프레임의 기준점: 가운데, 아래, 또는 0에서 1까지의 X,Y; 고른 영역에서 끌어 옮길 수 있습니다 (--anchor)");
    const std::pair<QWidget*, const char*> named[] = {{NameEdit, "NameEdit"},       {OrderBox, "OrderBox"}, {PaddingBox, "PaddingBox"},
                                                      {SameSizeBox, "SameSizeBox"}, {AlignBox, "AlignBox"}, {AnchorBox, "AnchorBox"},
                                                      {AnimationsBox, "AnimationsBox"}};
    for (const auto& [control, name] : named)
        control->setObjectName(name);

    auto* form = new QFormLayout(this);
    form->setContentsMargins(0, 4, 0, 4);
    form->setVerticalSpacing(2);
    form->addRow("이름", NameEdit);
    form->addRow("순서", OrderBox);
    form->addRow("여백", PaddingBox);
    form->addRow("같은 크기", SameSizeBox);
    form->addRow("정렬", AlignBox);
    form->addRow("기준점", AnchorBox);
    form->addRow("애니메이션", AnimationsBox);

    // Alignment places a box only in a crop larger than it.
    const auto enableAlign = [this] { AlignBox->setEnabled(SameSizeBox->currentIndex() != 0); };
    enableAlign();
    connect(SameSizeBox, &QComboBox::currentIndexChanged, this, enableAlign);
    connect(NameEdit, &QLineEdit::textChanged, this, &ExportSettings::changed);
    connect(PaddingBox, &QSpinBox::valueChanged, this, &ExportSettings::changed);
    connect(AnchorBox, &QComboBox::currentTextChanged, this, &ExportSettings::changed);
    for (QComboBox* box : {OrderBox, SameSizeBox, AlignBox, AnimationsBox})
        connect(box, &QComboBox::currentIndexChanged, this, &ExportSettings::changed);
}

RegionOrder ExportSettings::order() const { return chosen<RegionOrder>(OrderBox); }

bool ExportSettings::atDefaults() const
{
    return order() == RegionOrder::Search && NameEdit->text().toStdString() == kDefaultNamePattern;
}

NamePattern ExportSettings::names(bool rowsAndColumns) const
{
    try {
        return NamePattern::parse(NameEdit->text().toStdString(), rowsAndColumns);
    } catch (const InputError& e) {
        const bool rowsAsked = !rowsAndColumns && std::string_view(e.what()).find("rows or columns") != std::string_view::npos;
        throw InputError(std::string("이름: ") + (rowsAsked ? "{row}와 {col}은 순서가 행이나 열일 때, 또는 격자에서만 씁니다" : e.what()));
    }
}

std::optional<Anchor> ExportSettings::anchor() const
{
    const QString text = AnchorBox->currentText().trimmed();
    if (text == "없음" || text.isEmpty())
        return std::nullopt;
    const std::optional<Anchor> anchor = anchorNamed(text == "가운데" ? "center" : text == "아래" ? "bottom" : text.toStdString());
    if (!anchor)
        throw InputError("기준점: '" + text.toStdString() + "'은(는) 가운데, 아래, 또는 0에서 1까지의 X,Y(예: 0.5,1)가 아닙니다");
    return anchor;
}

void ExportSettings::setAnchor(Anchor anchor)
{
    AnchorBox->setEditText(QString("%1,%2").arg(std::round(anchor.x * 100) / 100).arg(std::round(anchor.y * 100) / 100));
}

void ExportSettings::applyTo(SliceOutputs& outputs, bool lines) const
{
    outputs.crop.padding = PaddingBox->value();
    outputs.crop.sameSize = chosen<SameSize>(SameSizeBox);
    outputs.crop.align = chosen<Align>(AlignBox);
    const int animations = AnimationsBox->currentData().toInt();
    const bool byLines = outputs.crop.sameSize == SameSize::Rows || outputs.crop.sameSize == SameSize::Columns ||
                         animations == int(AnimationGroups::Rows) || animations == int(AnimationGroups::Columns);
    if (byLines && !lines)
        throw InputError("행마다나 열마다는 순서가 행이나 열일 때, 또는 격자에서만 됩니다: 순서를 고르고 다시 찾으세요");
    if (!outputs.atlas)
        return;
    AtlasOutput& atlas = *outputs.atlas;
    const QString layout = QString::fromUtf8(layoutName(atlas.layout).data(), static_cast<qsizetype>(layoutName(atlas.layout).size()));
    atlas.anchor = anchor();
    if (atlas.anchor && (atlas.layout == AtlasLayout::Libgdx || atlas.layout == AtlasLayout::Css))
        throw InputError(("기준점: " + layout + " 형식에는 기준점을 둘 곳이 없습니다").toStdString());
    if (animations < 0)
        return;
    if (atlas.layout != AtlasLayout::Hash && atlas.layout != AtlasLayout::Aseprite)
        throw InputError(("애니메이션: " + layout + " 형식에는 애니메이션이 없습니다 (JSON Hash나 Aseprite JSON으로 저장하세요)").toStdString());
    atlas.animations = static_cast<AnimationGroups>(animations);
    atlas.animationName = NamePattern::parse(defaultAnimationName(*atlas.animations), lines);
}

QList<QWidget*> ExportSettings::tabOrder() const { return {NameEdit, OrderBox, PaddingBox, SameSizeBox, AlignBox, AnchorBox, AnimationsBox}; }
