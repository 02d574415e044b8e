// The window's background colours: the colour box's entries, a colour taken from the picture,
// and the entry that asks for any colour.
#include "ui/Unit1.h"

#include "image/color_table.h"

#include <QAbstractItemView>
#include <QKeyEvent>
#include <QPainter>
#include <QPixmap>
#include <QWheelEvent>

#include <algorithm>

using namespace iconfinder;

namespace {

const QString kCustomColour = QStringLiteral("사용자 정의...");
// The entries for the rules that are no colour, as find-icons -b transparent and -b auto.
const QString kTransparent = QStringLiteral("투명");
const QString kAutomatic = QStringLiteral("자동");

QIcon swatch(ColorValue value)
{
    const Rgb rgb = resolve(value);
    QPixmap pixmap(16, 16);
    pixmap.fill(QColor(rgb.red, rgb.green, rgb.blue));
    QPainter painter(&pixmap);
    painter.setPen(Qt::black);
    painter.drawRect(0, 0, 15, 15);
    return QIcon(pixmap);
}

} // namespace

void TForm1::fillColourBox()
{
    for (const NamedColor& colour : namedColors())
        ColorBox->addItem(swatch(colour.value), QString::fromUtf8(colour.name.data(), static_cast<qsizetype>(colour.name.size())),
                          QVariant::fromValue(colour.value));
    ColorBox->addItem(kTransparent);
    ColorBox->addItem(kAutomatic);
    ColorBox->addItem(kCustomColour);
    ColorBox->setCurrentIndex(ColorBox->findText("White"));
    chosenColour_ = ColorBox->currentIndex();
    fitColourList();
    connect(ColorBox, &QComboBox::activated, this, &TForm1::colourBoxActivated);
}

void TForm1::pickColourAt(int x, int y)
{
    const Pixel pixel = picture_.at(x, y);
    chooseBackground({redOf(pixel), greenOf(pixel), blueOf(pixel)});
}

int TForm1::firstRuleEntry() const { return ColorBox->findText(kTransparent); }

void TForm1::chooseBackground(Rgb colour)
{
    const int custom = firstRuleEntry();
    for (int i = 0; i < custom; ++i) {
        if (resolve(ColorBox->itemData(i).value<ColorValue>()) == colour) {
            ColorBox->setCurrentIndex(i);
            chosenColour_ = i;
            return;
        }
    }
    const ColorValue value = rgbColor(colour.red, colour.green, colour.blue);
    ColorBox->insertItem(custom, swatch(value), QColor(colour.red, colour.green, colour.blue).name(QColor::HexRgb).toUpper(),
                         QVariant::fromValue(value));
    ColorBox->setCurrentIndex(custom);
    chosenColour_ = custom;
    fitColourList();
}

void TForm1::fitColourList()
{
    // The list that drops down is as wide as its longest entry.
    int widest = 0;
    for (int i = 0; i < ColorBox->count(); ++i)
        widest = std::max(widest, ColorBox->fontMetrics().horizontalAdvance(ColorBox->itemText(i)));
    ColorBox->view()->setMinimumWidth(widest + ColorBox->iconSize().width() + 40);
}

void TForm1::colourBoxActivated(int index)
{
    if (index != ColorBox->count() - 1) {
        chosenColour_ = index;
        return;
    }
    ColorBox->setCurrentIndex(chosenColour_);
    const QColor chosen = ColorDialog();
    if (chosen.isValid())
        chooseBackground({static_cast<std::uint8_t>(chosen.red()), static_cast<std::uint8_t>(chosen.green()),
                          static_cast<std::uint8_t>(chosen.blue())});
}

bool TForm1::colourBoxKeepsToColours(QEvent* event)
{
    // Stepping through the closed colour box with the keys or the wheel stops before the entry
    // that asks for any colour, which opens its dialog only when chosen from the list.
    if (ColorBox->view()->isVisible())
        return false;
    const int last = ColorBox->count() - 2, current = ColorBox->currentIndex();
    const int key = event->type() == QEvent::KeyPress ? static_cast<QKeyEvent*>(event)->key() : 0;
    if (key == Qt::Key_End || key == Qt::Key_PageDown) {
        if (current != last) {
            ColorBox->setCurrentIndex(last);
            colourBoxActivated(last);
        }
        return true;
    }
    const bool down = key == Qt::Key_Down || (event->type() == QEvent::Wheel && static_cast<QWheelEvent*>(event)->angleDelta().y() < 0);
    return down && current >= last;
}
