// The window on the offscreen platform: start state, search, loading, readout and About, and
// what it adds around the form: status line, zoom, colours from the picture, drag and drop,
// saving, copying, taking the frames back and the keyboard.
#include "formats/bmp/bmp_reader.h"
#include "formats/picture_file.h"
#include "present/frames.h"
#include "resources/sample_picture.h"
#include "regions/icon_search.h"
#include "tests/support/pictures.h"
#include "tests/support/run_command.h"
#include "ui/Unit1.h"
#include "ui/application.h"
#include "tests/window_fixture.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QMimeData>
#include <QMouseEvent>
#include <QRegularExpression>
#include <QTest>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using namespace iconfinder;
namespace fs = std::filesystem;
using test::slurp;
using test::Window;

namespace {

// How many pixels of a colour a widget shows.
int shownIn(QWidget* widget, QRgb colour)
{
    const QImage shown = widget->grab().toImage();
    int count = 0;
    for (int y = 0; y < shown.height(); ++y)
        for (int x = 0; x < shown.width(); ++x)
            count += (shown.pixel(x, y) & 0xFFFFFF) == colour;
    return count;
}

TEST_F(Window, StartState)
{
    EXPECT_TRUE(form->picture() == samplePicture());
    EXPECT_EQ(form->ColorBox->currentText(), "White");
    EXPECT_EQ(form->ColorBox->count(), 48) << "the named colours, transparency, the automatic one and a last entry for any other";
    EXPECT_EQ((QStringList{form->ColorBox->itemText(45), form->ColorBox->itemText(46), form->ColorBox->itemText(47)}),
              (QStringList{"투명", "자동", "사용자 정의..."}));
    EXPECT_GT(form->ColorBox->view()->minimumWidth(), form->ColorBox->fontMetrics().horizontalAdvance("InactiveCaptionText"))
        << "the list that drops down fits its longest name";
    EXPECT_EQ(form->Label1->text(), "");
    EXPECT_EQ(status(), "샘플 그림 (395 × 308)");
    EXPECT_EQ(Application::messageTitle, form->windowTitle()) << "message boxes carry the window's title";
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), "취소") << "Qt's own dialogs speak Korean";

    const auto nextTabStop = [](QWidget* w) {
        do
            w = w->nextInFocusChain();
        while (!(w->focusPolicy() & Qt::TabFocus) || w->focusProxy());
        return w;
    };
    // Tab follows the layout: the form's row, the settings, About, the picture, the list.
    QList<QWidget*> order = {form->Btn_OpenFile, form->ColorBox, form->Btn_FindIcons};
    order += form->Settings->tabOrder();
    order += {form->Button1, form->Image1, form->RegionTable};
    for (int i = 0; i + 1 < order.size(); ++i)
        EXPECT_EQ(nextTabStop(order[i]), order[i + 1]) << "after " << order[i]->objectName().toStdString();
    EXPECT_EQ(form->Label2->buddy(), form->ColorBox) << "screen readers name the colour box by its label";

    // Wide or narrow, the controls keep their order, About the right end, and every one is
    // whole inside the panel and clear of the others; the list widens with the window.
    std::vector<int> listWidths;
    for (const QSize size : {QSize(1600, 900), QSize(480, 360), QSize(649, 450)}) {
        form->resize(size);
        QApplication::processEvents();
        EXPECT_EQ(form->size(), size);
        const QList<QWidget*> row = {form->Btn_OpenFile, form->Btn_FindIcons, form->Label2, form->ColorBox, form->Button1};
        for (int i = 0; i < row.size(); ++i) {
            EXPECT_TRUE(form->Panel1->rect().contains(row[i]->geometry())) << row[i]->objectName().toStdString() << " at " << size.width();
            if (i > 0) {
                EXPECT_GT(row[i]->x(), row[i - 1]->x() + row[i - 1]->width()) << "in order, apart";
            }
        }
        EXPECT_EQ(form->Button1->x() + form->Button1->width(), size.width() - 14) << "About at the right end";
        EXPECT_TRUE(form->Panel1->rect().contains(form->Label1->geometry()));
        // The settings whole under the buttons; the picture and the list take the height.
        for (QWidget* setting : form->Settings->tabOrder())
            EXPECT_TRUE(form->Settings->rect().contains(setting->geometry().translated(setting->parentWidget()->mapTo(form->Settings, QPoint()))))
                << setting->objectName().toStdString() << " at " << size.width();
        EXPECT_EQ(form->StatusLine->geometry().bottom(), size.height() - 1);
        EXPECT_LT(form->StatusLine->height(), 2 * form->StatusLine->fontMetrics().height()) << "one line, the rest to the picture";
        EXPECT_GE(form->RegionTable->width(), 150);
        listWidths.push_back(form->RegionTable->width());
        EXPECT_GE(form->ImageScroll->height(), 150);
        EXPECT_FALSE(form->Label1->geometry().intersects(form->Button1->geometry()) && size.width() < 649);
    }
    EXPECT_GT(listWidths[0], listWidths[2] + 100);
    EXPECT_EQ(form->Label1->geometry(), QRect(374, 12, 206, 13)) << "the form's own places at its own width";
    EXPECT_EQ(form->Button1->geometry(), QRect(560, 8, 75, 25));
}

TEST_F(Window, Loading)
{
    press(form->Btn_FindIcons);
    const PixelImage framed = form->picture();
    form->Label1->setText("X=1  Y=2");

    form->OpenPictureDialog = [] { return QString(); };
    press(form->Btn_OpenFile);
    EXPECT_TRUE(form->picture() == framed) << "cancel changes nothing";
    EXPECT_EQ(form->Label1->text(), "X=1  Y=2");

    // A file cut short in its pixels: what failed, the file, then the reason; the old picture
    // and its frames stay.
    writePictureFile(PixelImage(64, 64, 0), FileFormat::Bmp, dir / "cut.bmp");
    fs::resize_file(dir / "cut.bmp", 54 + 64 * 192 / 2);
    openFile(dir / "cut.bmp");
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], "그림을 열 수 없습니다\n" + QString::fromStdString((dir / "cut.bmp").string()) + ": truncated pixel data (row 33 of 64)");
    EXPECT_TRUE(form->picture() == framed);
    EXPECT_EQ(form->Image1->size(), QSize(395, 308));

    PixelImage small(100, 50, makePixel(255, 255, 255));
    for (int x = 10; x < 30; ++x)
        small.at(x, 20) = makePixel(0, 0, 0);
    writePictureFile(small, FileFormat::Bmp, dir / "small.bmp");
    openFile(dir / "small.bmp");
    EXPECT_TRUE(form->picture() == small);
    EXPECT_EQ(form->Image1->size(), QSize(100, 50));
    EXPECT_EQ(status(), "small.bmp (100 × 50)");
    press(form->Btn_FindIcons);
    EXPECT_FALSE(form->picture() == small);
    openFile(dir / "small.bmp");
    EXPECT_TRUE(form->picture() == small) << "loading again removes the frames";
    EXPECT_EQ(messages.size(), 1u);

    // A handler's exception is shown, and the window carries on.
    form->OpenPictureDialog = []() -> QString { throw std::runtime_error("dialog failed"); };
    press(form->Btn_OpenFile);
    EXPECT_EQ(messages.back(), "dialog failed");
    press(form->Btn_FindIcons);
    EXPECT_EQ(messages.size(), 2u);
    EXPECT_EQ(form->picture().at(10, 20), makePixel(255, 0, 0)) << "the window stays usable";

    // Dropped files load as from the dialog.
    PixelImage dropped(30, 20, makePixel(255, 255, 255));
    dropped.at(4, 5) = makePixel(0, 0, 0);
    writePictureFile(dropped, FileFormat::Png, dir / "dropped.png");
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString((dir / "dropped.png").string()))});
    QDragEnterEvent enter(QPoint(100, 100), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(form.get(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(100, 100), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(form.get(), &drop);
    EXPECT_EQ(messages.size(), 2u);
    EXPECT_TRUE(form->picture() == dropped);
    EXPECT_EQ(status(), "dropped.png (30 × 20)");
}

TEST_F(Window, PointerReadoutAndZoomKeepPixelsSharpAndCoordinatesInThePicture)
{
    moveOver(form->Image1, {394, 307});
    EXPECT_EQ(form->Label1->text(), "X=394  Y=307");
    moveOver(form->Panel1, {300, 20});
    moveOver(form.get(), {600, 400});
    EXPECT_EQ(form->Label1->text(), "X=394  Y=307") << "moves outside the picture leave it";
    press(form->Btn_FindIcons);
    const QString found = status();
    keys(QKeySequence("Ctrl+="));
    EXPECT_EQ(form->Image1->zoom(), 200);
    keys(QKeySequence("Ctrl++"));
    EXPECT_EQ(form->Image1->zoom(), 300);
    EXPECT_EQ(status(), found + " · 300%");
    EXPECT_EQ(form->Image1->size(), QSize(3 * 395, 3 * 308));
    moveOver(form->Image1, {3 * 12 + 2, 3 * 300 + 1});
    EXPECT_EQ(form->Label1->text(), "X=12  Y=300") << "the readout gives picture pixels";

    // A picture pixel is a sharp 3 x 3 square.
    form->Image1->setZoom(300);
    const QImage shown = form->Image1->grab(QRect(0, 0, 3 * 40, 3 * 60)).toImage();
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 40; ++x)
            for (int k = 0; k < 9; ++k)
                ASSERT_EQ(shown.pixel(3 * x + k % 3, 3 * y + k / 3) & 0xFFFFFF, form->picture().at(x, y) & 0xFFFFFF) << x << ", " << y;

    keys(QKeySequence("Ctrl+0"));
    EXPECT_EQ(form->Image1->zoom(), 100);
    EXPECT_EQ(status(), found);
    for (int step = 0; step < 4; ++step)
        keys(QKeySequence("Ctrl+-"));
    EXPECT_EQ(form->Image1->zoom(), 25) << "the smallest step";
    // Zoomed out, one-pixel frames still show.
    EXPECT_GT(shownIn(form->Image1, 0xFF0000), 500);

    QWheelEvent wheel(QPointF(40, 40), form->Image1->mapToGlobal(QPointF(40, 40)), QPoint(), QPoint(0, 240), Qt::NoButton,
                      Qt::ControlModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(form->Image1, &wheel);
    EXPECT_EQ(form->Image1->zoom(), 100) << "two wheel steps with Ctrl";
}

TEST_F(Window, BackgroundFromThePicture)
{
    const auto ctrlClick = [&](int x, int y) { QTest::mouseClick(form->Image1, Qt::LeftButton, Qt::ControlModifier, QPoint(x, y)); };
    choose("Red");
    ctrlClick(0, 0);
    EXPECT_EQ(form->ColorBox->currentText(), "White") << "a named colour's own entry";
    // A pixel of an icon whose colour no name has.
    QPoint inked;
    for (int y = 0; y < form->picture().height() && inked.isNull(); ++y)
        for (int x = 0; x < form->picture().width(); ++x)
            if (form->ColorBox->findText(QColor::fromRgb(form->picture().at(x, y)).name().toUpper()) < 0 &&
                (form->picture().at(x, y) & 0xFFFFFF) != 0xFFFFFF && (form->picture().at(x, y) & 0xFFFFFF) != 0) {
                inked = {x, y};
                break;
            }
    const Pixel colour = form->picture().at(inked.x(), inked.y());
    ctrlClick(inked.x(), inked.y());
    const QString hex = QColor::fromRgb(colour).name(QColor::HexRgb).toUpper();
    EXPECT_EQ(form->ColorBox->currentText(), hex);
    EXPECT_EQ(form->ColorBox->currentIndex(), 45) << "after the named colours, before transparency";
    EXPECT_EQ(form->ColorBox->count(), 49);
    EXPECT_EQ(form->ColorBox->itemText(46), "투명");
    choose("Blue");
    ctrlClick(inked.x(), inked.y());
    EXPECT_EQ(form->ColorBox->count(), 49) << "added once";
    EXPECT_EQ(form->ColorBox->currentText(), hex);
    press(form->Btn_FindIcons);
    EXPECT_EQ(form->BackColor, rgbColor(redOf(colour), greenOf(colour), blueOf(colour)));

    // The last entry asks for any colour; a cancel keeps the one chosen.
    form->ColorDialog = [] { return QColor(1, 2, 3); };
    emit form->ColorBox->activated(form->ColorBox->count() - 1);
    EXPECT_EQ(form->ColorBox->currentText(), "#010203");
    EXPECT_EQ(form->ColorBox->itemText(form->ColorBox->count() - 1), "사용자 정의...");
    form->ColorDialog = [] { return QColor(); };
    emit form->ColorBox->activated(form->ColorBox->count() - 1);
    EXPECT_EQ(form->ColorBox->currentText(), "#010203");
}

// Saves ask before replacing, say what they wrote and fail without harm; their bytes against
// find-icons' own, and the lines copied, are checked with the slicer's settings.
TEST_F(Window, SavesAskBeforeReplacingAndSayWhatTheyWrote)
{
    EXPECT_FALSE(form->SaveIconsAction->isEnabled()) << "nothing found yet";
    press(form->Btn_FindIcons);
    const PixelImage framed = form->picture();
    const QString folder = QString::fromStdString((dir / "icons").string());
    form->IconFolderDialog = [&] { return folder; };
    QStringList asked;
    bool answer = false;
    form->ConfirmDialog = [&](const QString& question) {
        asked << question;
        return answer;
    };
    keys(QKeySequence("Ctrl+Shift+S"));
    EXPECT_TRUE(asked.isEmpty()) << "a new folder replaces nothing";
    const std::size_t count = test::entriesIn(dir / "icons");
    EXPECT_EQ(count, 62u);
    EXPECT_EQ(status(), QString("아이콘 %1개 저장함: %2").arg(count).arg(folder));
    EXPECT_EQ(form->lastFolder(), folder);
    EXPECT_TRUE(form->picture() == framed) << "icons are cut without the frames, which come back after";

    std::ofstream(dir / "icons" / "icon-0001.bmp") << "mine";
    std::ofstream(dir / "icons" / "icon-0002.bmp") << "mine";
    form->SaveIconsAction->trigger();
    ASSERT_EQ(asked.size(), 1);
    EXPECT_EQ(asked[0], QString("%1개 파일이 이미 있습니다. 바꿀까요?").arg(count));
    EXPECT_EQ(slurp(dir / "icons" / "icon-0001.bmp"), "mine") << "cancelled: nothing written";
    answer = true;
    form->SaveIconsAction->trigger();
    EXPECT_NE(slurp(dir / "icons" / "icon-0001.bmp"), "mine");

    EXPECT_EQ(form->suggestedPictureName(), "sample-frames.bmp") << "the picture's own format";
    const QString framedFile = QString::fromStdString((dir / "out" / "framed.bmp").string());
    fs::create_directories(dir / "out");
    form->SavePictureDialog = [&] { return framedFile; };
    keys(QKeySequence("Ctrl+S"));
    EXPECT_TRUE(bmp::readFile(dir / "out" / "framed.bmp") == form->picture()) << "the picture as shown, frames and all";
    EXPECT_EQ(status(), "저장함: " + framedFile);
    EXPECT_EQ(form->lastFolder(), QString::fromStdString((dir / "out").string()));

    // Failures: a message, and nothing else changes.
    fs::create_directories(dir / "blocked" / "icon-0003.bmp");
    form->IconFolderDialog = [&] { return QString::fromStdString((dir / "blocked").string()); };
    keys(QKeySequence("Ctrl+Shift+S"));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(messages[0].endsWith("icon-0003.bmp: is a directory")) << messages[0].toStdString();
    EXPECT_EQ(test::entriesIn(dir / "blocked"), 1u);
    form->SavePictureDialog = [&] { return QString::fromStdString((dir / "nowhere" / "framed.bmp").string()); };
    keys(QKeySequence("Ctrl+S"));
    form->SavePictureDialog = [&] { return QString::fromStdString((dir / "framed.gif").string()); };
    keys(QKeySequence("Ctrl+S"));
    ASSERT_EQ(messages.size(), 3u);
    EXPECT_TRUE(messages[2].endsWith("framed.gif: 이름이 .bmp나 .png로 끝나야 합니다"));
    EXPECT_TRUE(form->picture() == framed);
    EXPECT_FALSE(fs::exists(dir / "nowhere"));
    press(form->Btn_FindIcons);
    EXPECT_FALSE(status().startsWith("저장함")) << "until the next action";
}

TEST_F(Window, TransparentPicturesAndTheRulesThatAreNoColour)
{
    // A PNG with alpha: sprites on transparency, a nearly transparent speck.
    PixelImage sheet(40, 30, 0, true);
    pictures::fill(sheet, {4, 3, 12, 10}, makePixel(200, 10, 10));
    pictures::fill(sheet, {20, 15, 35, 25}, makePixel(10, 10, 200, 128));
    writePictureFile(sheet, FileFormat::Png, dir / "sheet.png");

    // "투명" on a picture without transparency says so and changes nothing.
    choose("투명");
    press(form->Btn_FindIcons);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], "이 그림에는 투명한 픽셀이 없습니다");
    EXPECT_TRUE(form->picture() == samplePicture());
    choose("자동");
    press(form->Btn_FindIcons);
    PixelImage onWhite = samplePicture();
    findIcons(onWhite, kWhite);
    EXPECT_TRUE(form->picture() == onWhite) << "the commonest border colour of the sample is white";

    choose("White");
    openFile(dir / "sheet.png");
    EXPECT_TRUE(form->picture() == sheet);
    EXPECT_EQ(form->ColorBox->currentText(), "투명") << "a sheet on transparency opens on transparency";
    for (const char* rule : {"투명", "자동"}) {
        choose(rule);
        press(form->Btn_FindIcons);
        PixelImage expected = sheet;
        findIcons(expected, BackgroundRule::transparent(0));
        EXPECT_TRUE(form->picture() == expected) << rule << ": the regions find-icons -b transparent finds";
        openFile(dir / "sheet.png");
    }
    EXPECT_EQ(messages.size(), 1u);

    // Saved, the framed picture keeps its alpha.
    choose("투명");
    press(form->Btn_FindIcons);
    form->SavePictureDialog = [&] { return QString::fromStdString((dir / "framed.png").string()); };
    form->SavePictureAction->trigger();
    PictureBuilder saved;
    readPictureFile(dir / "framed.png", saved);
    EXPECT_TRUE(saved.take() == form->picture());
}

TEST_F(Window, SearchesSayWhatTheyFoundAndEscapeTakesEveryFrameBack)
{
    const PixelImage original = form->picture();
    press(form->Btn_FindIcons);
    const std::size_t found = findRegions(original, BackgroundRule::colour({255, 255, 255})).size();
    EXPECT_TRUE(QRegularExpression(QString("^영역 %1개 찾음 \\(\\d+\\.\\d ms\\)$").arg(found)).match(status()).hasMatch()) << status().toStdString();
    choose("Red");
    press(form->Btn_FindIcons);
    PixelImage onRed = original;
    findIcons(onRed, kRed);
    EXPECT_TRUE(form->picture() == onRed) << "a search sees the picture as loaded, without the last one's frames";
    choose("Black");
    press(form->Btn_FindIcons);
    ASSERT_FALSE(form->picture() == original);
    keys(QKeySequence(Qt::Key_Escape));
    EXPECT_TRUE(form->picture() == original) << "the exact pixels, after three searches";
    EXPECT_EQ(status(), "샘플 그림 (395 × 308)");
    EXPECT_FALSE(form->ClearFramesAction->isEnabled());
}

TEST_F(Window, KeyboardReachesEveryButton)
{
    int asked = 0;
    form->OpenPictureDialog = [&] {
        ++asked;
        return QString();
    };
    keys(QKeySequence("Ctrl+O"));
    EXPECT_EQ(asked, 1);
    keys(QKeySequence("Ctrl+F"));
    EXPECT_FALSE(form->picture() == samplePicture());
    keys(QKeySequence(Qt::Key_F1));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], kAboutText);
    keys(QKeySequence(Qt::Key_Escape));
    form->Btn_FindIcons->setFocus();
    QTest::keyClick(form->Btn_FindIcons, Qt::Key_Return);
    EXPECT_FALSE(form->picture() == samplePicture()) << "Enter presses the focused button";
    form->Btn_OpenFile->setFocus();
    QTest::keyClick(form->Btn_OpenFile, Qt::Key_Enter);
    EXPECT_EQ(asked, 2);

    // Stepping down the closed colour box stops at 자동: the entry for any colour opens its
    // dialog only when chosen from the list.
    int colours = 0;
    form->ColorDialog = [&] {
        ++colours;
        return QColor();
    };
    form->ColorBox->setFocus();
    form->ColorBox->setCurrentIndex(form->ColorBox->findText("투명"));
    for (const Qt::Key key : {Qt::Key_Down, Qt::Key_Down, Qt::Key_Down, Qt::Key_End})
        QTest::keyClick(form->ColorBox, key);
    EXPECT_EQ(form->ColorBox->currentText(), "자동");
    EXPECT_EQ(colours, 0);
}

TEST_F(Window, AChosenGridShowsItsCellsBeforeAnythingIsCut)
{
    const auto cellLines = [&] { return shownIn(form->Image1, 0x00A050); };
    EXPECT_EQ(cellLines(), 0);
    form->Settings->GridBox->setCurrentIndex(SearchSettings::SizedGrid);
    form->Settings->CellWidthBox->setValue(39);
    form->Settings->CellHeightBox->setValue(60);
    EXPECT_GT(cellLines(), 2000) << "10 x 5 cells, dotted";
    EXPECT_TRUE(form->picture() == samplePicture()) << "shown over the picture, not drawn into it";
    form->Settings->GridBox->setCurrentIndex(SearchSettings::NoGrid);
    EXPECT_EQ(cellLines(), 0);
}

TEST_F(Window, ScreenReadersNameEveryControlAndRegion)
{
    const auto nameOf = [](QWidget* widget) { return QAccessible::queryAccessibleInterface(widget)->text(QAccessible::Name); };
    EXPECT_EQ(nameOf(form->Settings->CellWidthBox), "셀 너비");
    EXPECT_EQ(nameOf(form->Settings->CellHeightBox), "셀 높이") << "not the × between them";
    EXPECT_EQ(nameOf(form->RegionTable), "영역 목록");
    QAccessibleInterface* picture = QAccessible::queryAccessibleInterface(form->Image1);
    EXPECT_EQ(picture->role(), QAccessible::Graphic) << "the picture is an image";
    press(form->Btn_FindIcons);
    EXPECT_EQ(form->RegionTable->model()->headerData(0, Qt::Vertical), "icon-0001") << "rows named by their region";
    // The regions are the picture's children, by name and box, where they show on the screen.
    ASSERT_EQ(picture->childCount(), 62);
    QAccessibleInterface* second = picture->child(1);
    const RegionBox box = form->regionList().regions()[1].box;
    EXPECT_EQ(second->text(QAccessible::Name), "icon-0002");
    EXPECT_EQ(second->text(QAccessible::Description), QString("x %1, y %2, 너비 %3, 높이 %4").arg(box.minX).arg(box.minY).arg(box.maxX - box.minX + 1).arg(box.maxY - box.minY + 1));
    EXPECT_EQ(second->rect(), QRect(form->Image1->mapToGlobal(QPoint(box.minX, box.minY)), QSize(box.maxX - box.minX + 1, box.maxY - box.minY + 1)));
    EXPECT_EQ(second->parent(), picture);
    EXPECT_EQ(picture->indexOfChild(second), 1);
    EXPECT_EQ(picture->childAt(second->rect().center().x(), second->rect().center().y()), second);
    keys(QKeySequence(Qt::Key_Escape));
    EXPECT_EQ(picture->childCount(), 0);
    EXPECT_FALSE(second->isValid()) << "gone with its region";
    // No role a screen reader cannot tell, and a name on every control Tab reaches.
    form->ExportFold->setChecked(true);
    std::vector<QAccessibleInterface*> pending{QAccessible::queryAccessibleInterface(form.get())};
    while (!pending.empty()) {
        QAccessibleInterface* item = pending.back();
        pending.pop_back();
        const QWidget* widget = qobject_cast<QWidget*>(item->object());
        const std::string what = widget ? widget->objectName().toStdString() : "a child";
        EXPECT_NE(item->role(), QAccessible::Grip) << what;
        EXPECT_NE(item->role(), QAccessible::NoRole) << what;
        if (widget && widget->isVisible() && widget->focusPolicy() & Qt::TabFocus && widget->isEnabled()) {
            EXPECT_FALSE(item->text(QAccessible::Name).isEmpty()) << what;
        }
        if (!qobject_cast<const QComboBox*>(widget))
            for (int k = 0; k < item->childCount(); ++k)
                pending.push_back(item->child(k));
    }
}

} // namespace

int main(int argc, char** argv)
{
    // Test discovery runs this binary at build time, without the test's environment.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    Application application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
