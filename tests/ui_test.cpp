// The window on the offscreen platform: start state, search, loading, readout and About.
#include "Unit1.h"
#include "application.h"
#include "picture_file.h"
#include "icon_search.h"
#include "sample_picture.h"

#include <QMouseEvent>
#include <QTest>
#include <gtest/gtest.h>

#include <filesystem>

using namespace iconfinder;
namespace fs = std::filesystem;

namespace {

void writeBmp(const PixelImage& picture, const fs::path& path) { writePictureFile(picture, FileFormat::Bmp, path); }

class Window : public ::testing::Test {
protected:
    void SetUp() override
    {
        Application::showMessage = [this](const QString& text) { messages.push_back(text); };
        form = std::make_unique<TForm1>();
        Form1 = form.get();
        form->show();
        dir = fs::temp_directory_path() / ("iconfinder-ui-" + std::to_string(::getpid()));
        fs::create_directories(dir);
    }
    void TearDown() override
    {
        Form1 = nullptr;
        fs::remove_all(dir);
    }

    void press(QPushButton* button) { QTest::mouseClick(button, Qt::LeftButton); }
    void openFile(const fs::path& path)
    {
        form->OpenPictureDialog = [path] { return QString::fromStdString(path.string()); };
        press(form->Btn_OpenFile);
    }
    // QTest::mouseMove does not deliver moves without a button reliably: send the event.
    void moveOver(QWidget* widget, QPoint at)
    {
        QMouseEvent move(QEvent::MouseMove, at, widget->mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(widget, &move);
    }
    void choose(const char* colour) { form->ColorBox->setCurrentIndex(form->ColorBox->findText(colour)); }

    std::unique_ptr<TForm1> form;
    std::vector<QString> messages;
    fs::path dir;
};

TEST_F(Window, StartState)
{
    EXPECT_TRUE(form->picture() == samplePicture());
    EXPECT_EQ(form->Image1->size(), QSize(395, 308));
    EXPECT_EQ(form->Image1->mapTo(form.get(), QPoint(0, 0)), QPoint(3, 48));
    EXPECT_EQ(form->ColorBox->currentText(), "White");
    EXPECT_EQ(form->ColorBox->count(), 45);
    EXPECT_FALSE(form->ColorBox->itemIcon(0).isNull()) << "each colour shows a swatch";
    EXPECT_EQ(form->Label1->text(), "");

    EXPECT_EQ(form->windowTitle(), "이미지에서 특정 아이콘 찾기");
    EXPECT_EQ(form->Btn_OpenFile->text(), "파일선택");
    EXPECT_EQ(form->Btn_FindIcons->text(), "아이콘 찾기");
    EXPECT_EQ(form->Label2->text(), "배경색");
    EXPECT_EQ(form->Button1->text(), "About");
    EXPECT_EQ(form->font().family(), "MS Sans Serif");

    EXPECT_EQ(form->size(), QSize(649, 450));
    EXPECT_EQ(form->pos(), QPoint(437, 199));
    EXPECT_EQ(form->Panel1->geometry(), QRect(0, 0, 649, 44));
    EXPECT_EQ(form->Btn_OpenFile->geometry(), QRect(8, 8, 84, 25));
    EXPECT_EQ(form->Btn_FindIcons->geometry(), QRect(99, 8, 75, 25));
    EXPECT_EQ(form->Label2->geometry(), QRect(189, 14, 39, 13));
    EXPECT_EQ(form->ColorBox->geometry(), QRect(233, 10, 89, 22));
    EXPECT_EQ(form->Label1->geometry(), QRect(374, 12, 206, 13));
    EXPECT_EQ(form->Button1->geometry(), QRect(560, 8, 75, 25));

    const auto nextTabStop = [](QWidget* w) {
        do
            w = w->nextInFocusChain();
        while (!(w->focusPolicy() & Qt::TabFocus));
        return w;
    };
    EXPECT_EQ(nextTabStop(form->Btn_FindIcons), form->Btn_OpenFile);
    EXPECT_EQ(nextTabStop(form->Btn_OpenFile), form->Button1);
    EXPECT_EQ(nextTabStop(form->Button1), form->ColorBox);

    form->resize(800, 450);
    EXPECT_EQ(form->Panel1->width(), 800) << "the panel stretches with the window";
}

TEST_F(Window, SearchFramesExactlyWhatTheCoreComputes)
{
    PixelImage expected = samplePicture();
    findIcons(expected, kWhite);
    press(form->Btn_FindIcons);
    EXPECT_TRUE(form->picture() == expected);
    std::size_t changed = 0;
    const PixelImage original = samplePicture();
    for (std::size_t i = 0; i < original.pixelCount(); ++i)
        if (form->picture().pixels()[i] != original.pixels()[i]) {
            ++changed;
            EXPECT_EQ(form->picture().pixels()[i], makePixel(255, 0, 0));
        }
    EXPECT_GT(changed, 1000u);

    press(form->Btn_FindIcons);
    EXPECT_TRUE(form->picture() == expected) << "a second press redraws the same frames";

    choose("Red");
    findIcons(expected, kRed);
    press(form->Btn_FindIcons);
    EXPECT_EQ(form->BackColor, kRed);
    EXPECT_TRUE(form->picture() == expected) << "with Red, the frames are background";
    EXPECT_TRUE(messages.empty());
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

    openFile(fs::path(BMPSUITE_DIR) / "bad" / "pal8badindex.bmp");
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], "colour index 103 outside the palette of 101 colours (row 1 of 64)");
    EXPECT_TRUE(form->picture() == framed) << "the old picture and its frames stay";
    EXPECT_EQ(form->Image1->size(), QSize(395, 308));

    openFile(dir / "gone.bmp");
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[1], "cannot open: No such file or directory");
    openFile(dir);
    EXPECT_EQ(messages.back(), "is a directory, not a picture file");
    EXPECT_TRUE(form->picture() == framed);

    // A file that goes away between the dialog and the load, and one cut short in its pixels.
    writeBmp(PixelImage(8, 8, 0), dir / "vanishing.bmp");
    form->OpenPictureDialog = [this] {
        fs::remove(dir / "vanishing.bmp");
        return QString::fromStdString((dir / "vanishing.bmp").string());
    };
    press(form->Btn_OpenFile);
    EXPECT_EQ(messages.back(), "cannot open: No such file or directory");
    writeBmp(PixelImage(64, 64, 0), dir / "cut.bmp");
    fs::resize_file(dir / "cut.bmp", 54 + 64 * 192 / 2);
    openFile(dir / "cut.bmp");
    EXPECT_EQ(messages.back(), "truncated pixel data (row 33 of 64)");
    EXPECT_TRUE(form->picture() == framed);
    EXPECT_EQ(form->Image1->size(), QSize(395, 308));
    const std::size_t failures = messages.size();

    PixelImage small(100, 50, makePixel(255, 255, 255));
    for (int x = 10; x < 30; ++x)
        small.at(x, 20) = makePixel(0, 0, 0);
    writeBmp(small, dir / "small.bmp");
    openFile(dir / "small.bmp");
    EXPECT_TRUE(form->picture() == small);
    EXPECT_EQ(form->Image1->size(), QSize(100, 50));
    press(form->Btn_FindIcons);
    EXPECT_FALSE(form->picture() == small);
    openFile(dir / "small.bmp");
    EXPECT_TRUE(form->picture() == small) << "loading again removes the frames";
    EXPECT_EQ(messages.size(), failures);

    press(form->Btn_FindIcons);
    EXPECT_EQ(form->picture().at(10, 20), makePixel(255, 0, 0)) << "the window stays usable";
}

TEST_F(Window, PointerReadout)
{
    moveOver(form->Image1, {12, 300});
    EXPECT_EQ(form->Label1->text(), "X=12  Y=300");
    moveOver(form->Image1, {0, 0});
    EXPECT_EQ(form->Label1->text(), "X=0  Y=0");
    moveOver(form->Panel1, {300, 20});
    moveOver(form.get(), {600, 400});
    EXPECT_EQ(form->Label1->text(), "X=0  Y=0") << "moves outside the picture leave it";
    moveOver(form->Image1, {394, 307});
    EXPECT_EQ(form->Label1->text(), "X=394  Y=307");
}

TEST_F(Window, AboutMessage)
{
    press(form->Button1);
    ASSERT_EQ(messages.size(), 1u);
    const QString expected = QString("이 프로그램은 bitmap 이미지에서 특정 영역을 추출해내는 프로그램입니다.\r\n") +
                             QString(71, '-') + "\r\n" + "Bitmap 파일만 처리할 수 있습니다.\r\n" +
                             "뭐 특별한 알고리즘이라 할 것은 없구요\r\n" +
                             "pixcel을 하나하나 검사해서 인접한 영역을 찾는것입니다.\r\n";
    EXPECT_TRUE(messages[0].startsWith(expected)) << messages[0].toStdString();
    const QStringList lines = messages[0].split("\r\n");
    ASSERT_EQ(lines.size(), 10) << "nine lines, each ended";
    EXPECT_EQ(lines[7], "그럼 좋은하루 되세요   \r");
    EXPECT_TRUE(lines[6].contains("@example.org"));
    EXPECT_TRUE(lines[8].endsWith("icon finder"));
    EXPECT_EQ(lines[9], "");
}

TEST_F(Window, HandlerExceptionsAreShownAndTheWindowCarriesOn)
{
    form->OpenPictureDialog = []() -> QString { throw std::runtime_error("dialog failed"); };
    press(form->Btn_OpenFile);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], "dialog failed");
    press(form->Btn_FindIcons);
    EXPECT_EQ(messages.size(), 1u);
    EXPECT_EQ(form->picture().at(form->picture().width() - 1, 0), makePixel(255, 255, 255));
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
