#include "Unit1.h"

#include "application.h"
#include "bmp_reader.h"
#include "color_table.h"
#include "icon_search.h"
#include "sample_picture.h"

#include <QFileDialog>
#include <QPainter>
#include <QPixmap>
#include <QShortcut>

using namespace iconfinder;

TForm1* Form1 = nullptr;

const QString kAboutText = QStringLiteral(
    "이 프로그램은 bitmap 이미지에서 특정 영역을 추출해내는 프로그램입니다.\r\n"
    "-----------------------------------------------------------------------\r\n"
    "Bitmap 파일만 처리할 수 있습니다.\r\n"
    "뭐 특별한 알고리즘이라 할 것은 없구요\r\n"
    "pixcel을 하나하나 검사해서 인접한 영역을 찾는것입니다.\r\n"
    "궁금한 점이 있으시면 아래 주소로 메일을 보내 주세요.\r\n"
    "iconfinder@example.org\r\n"
    "그럼 좋은하루 되세요   \r\r\n"
    "2026년 12월 6일 icon finder\r\n");

namespace {

QColor toQColor(ColorValue value)
{
    const Rgb rgb = resolve(value);
    return QColor(rgb.red, rgb.green, rgb.blue);
}

QIcon swatch(ColorValue value)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(toQColor(value));
    QPainter painter(&pixmap);
    painter.setPen(Qt::black);
    painter.drawRect(0, 0, 15, 15);
    return QIcon(pixmap);
}

QString chooseBitmap()
{
    QFileDialog dialog(Form1);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilter("Bitmap(*.bmp)");
    dialog.setDefaultSuffix("bmp");
    return dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty() ? dialog.selectedFiles().first() : QString();
}

} // namespace

TForm1::TForm1(QWidget* owner) : QWidget(owner), OpenPictureDialog(chooseBitmap), picture_(samplePicture())
{
    setupUi(this);
    move(437, 199); // the form's position; uic applies only its size to a top-level window
    QPalette face = palette();
    face.setColor(QPalette::Window, toQColor(systemColor(15)));
    setPalette(face);
    for (const NamedColor& colour : namedColors())
        ColorBox->addItem(swatch(colour.value), QString::fromUtf8(colour.name.data(), static_cast<qsizetype>(colour.name.size())),
                          QVariant::fromValue(colour.value));
    ColorBox->setCurrentIndex(ColorBox->findText("White"));
    showPicture();
    // Ctrl+Q closes the window, as desktop programs here do.
    connect(new QShortcut(QKeySequence::Quit, this), &QShortcut::activated, this, &QWidget::close);
}

void TForm1::showPicture()
{
    Image1->setPicture(&picture_);
    ImageArea->resize(Image1->x() + picture_.width(), Image1->y() + picture_.height());
}

void TForm1::Btn_FindIconsClick()
{
    Application::runHandler([this] {
        BackColor = ColorBox->currentData().value<ColorValue>();
        findIcons(picture_, BackColor);
        Image1->update();
    });
}

void TForm1::Btn_OpenFileClick()
{
    Application::runHandler([this] {
        const QString name = OpenPictureDialog();
        if (name.isEmpty())
            return;
        // Decoded aside first: a file that fails leaves the picture and its frames as they were.
        PixelImage loaded = bmp::readFile(QFile::encodeName(name).toStdString());
        picture_ = std::move(loaded);
        showPicture();
    });
}

void TForm1::Image1MouseMove(int x, int y)
{
    Application::runHandler([&] { Label1->setText(QString("X=%1  Y=%2").arg(x).arg(y)); });
}

void TForm1::Button1Click()
{
    Application::runHandler([] { Application::showMessage(kAboutText); });
}
