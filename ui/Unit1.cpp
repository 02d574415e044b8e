#include "ui/Unit1.h"

#include "common/errors.h"
#include "formats/picture_file.h"
#include "image/color_table.h"
#include "present/name_pattern.h"
#include "resources/sample_picture.h"
#include "slice/slicing.h"
#include "ui/application.h"
#include "ui/dialogs.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QPixmap>
#include <QResizeEvent>
#include <QScrollBar>
#include <QShortcut>
#include <QSplitter>
#include <QToolButton>

#include <algorithm>

using namespace iconfinder;

TForm1* Form1 = nullptr;

const QString kAboutText = QStringLiteral(
    "이 프로그램은 bitmap 이미지에서 특정 영역을 추출해내는 프로그램입니다.\r\n"
    "-----------------------------------------------------------------------\r\n"
    "Bitmap 파일만 처리할 수 있습니다.\r\n"
    "PNG 파일도 열 수 있습니다.\r\n"
    "뭐 특별한 알고리즘이라 할 것은 없구요\r\n"
    "pixcel을 하나하나 검사해서 인접한 영역을 찾는것입니다.\r\n"
    "궁금한 점이 있으시면 아래 주소로 메일을 보내 주세요.\r\n"
    "iconfinder@example.org\r\n"
    "그럼 좋은하루 되세요   \r\r\n"
    "2026년 12월 6일 icon finder\r\n");

namespace {

const QString kNoTransparency = QStringLiteral("이 그림에는 투명한 픽셀이 없습니다");

QColor toQColor(ColorValue value)
{
    const Rgb rgb = resolve(value);
    return QColor(rgb.red, rgb.green, rgb.blue);
}

QString sizeText(const PixelImage& picture)
{
    return QString("(%1 × %2)").arg(picture.width()).arg(picture.height());
}

} // namespace

TForm1::TForm1(QWidget* owner)
    : QWidget(owner), OpenPictureDialog(chooseBitmap), SavePictureDialog(choosePictureToSave), IconFolderDialog(chooseIconFolder),
      ColorDialog(chooseColour), ConfirmDialog(confirmReplacing), AtlasDialog(chooseAtlas), OpenAtlasDialog(chooseAtlasToOpen),
      picture_(samplePicture())
{
    setupUi(this);
    move(437, 199); // the form's position; uic applies only its size to a top-level window
    QPalette face = palette();
    face.setColor(QPalette::Window, toQColor(systemColor(15)));
    setPalette(face);
    Application::messageTitle = windowTitle();

    fillColourBox();

    // Under the buttons the search's settings; beside the picture the list of the regions.
    Settings = new SearchSettings(this);
    Settings->setObjectName("Settings");
    Settings->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed); // the picture takes the height
    FormLayout->insertWidget(1, Settings);
    buildRegionPanel();

    StatusLine = new QLabel(this);
    StatusLine->setObjectName("StatusLine");
    StatusLine->setContentsMargins(4, 2, 4, 2);
    FormLayout->addWidget(StatusLine);
    pictureText_ = "샘플 그림 " + sizeText(picture_);

    describeControls();
    setAcceptDrops(true);
    buildActions();
    qApp->installEventFilter(this);
    connectPicture();
    // Down to 480 x 360 every control stays whole: the readout goes to a second row.
    setMinimumSize(480, 360);
    showPicture();
}

void TForm1::describeControls()
{
    // Screen readers: the colour box is named by its label, the picture and the readout say
    // what they are; buttons show their keys.
    Label2->setBuddy(ColorBox);
    Image1->setAccessibleName("그림");
    Label1->setAccessibleDescription("포인터 위치");
    Btn_OpenFile->setToolTip("파일선택 (Ctrl+O)");
    Btn_FindIcons->setToolTip("아이콘 찾기 (Ctrl+F)");
    Button1->setToolTip("About (F1)");
    ColorBox->setToolTip("배경색 (Ctrl+클릭: 그림의 색)");
    // Enter presses the focused button, as Space does.
    for (QPushButton* button : {Btn_OpenFile, Btn_FindIcons, Button1})
        button->setAutoDefault(true);
    // Tab: the form's buttons and the colour box, the settings, About, the picture, the list.
    QWidget* before = Btn_FindIcons;
    for (QWidget* next : Settings->tabOrder() + QList<QWidget*>{Button1, Image1, RegionTable, ExportFold} + Export->tabOrder()) {
        setTabOrder(before, next);
        before = next;
    }
}

void TForm1::connectPicture()
{
    connect(Image1, &PictureView::pixelPicked, this, &TForm1::pickColourAt);
    connect(Image1, &PictureView::pixelClicked, this, &TForm1::selectAt);
    connect(Image1, &PictureView::boxDrawn, this, &TForm1::addDrawnBox);
    connect(Image1, &PictureView::rectangleChosen, this, &TForm1::chooseInside);
    // A grid of a given size shows its cells while it is chosen, before anything is cut.
    connect(Settings, &SearchSettings::changed, this, [this] { Image1->setGrid(Settings->gridOn(picture_.width(), picture_.height())); });
    connect(Image1, &PictureView::highlightReshaped, this, [this](int index, Rect box) {
        const std::vector<std::size_t> rows = selectedRows(); // the highlights, in order
        if (index < static_cast<int>(rows.size()))
            reshapeAndShow(rows[static_cast<std::size_t>(index)], {box.left, box.top, box.right - 1, box.bottom - 1});
    });
    connect(Image1, &PictureView::zoomWheel, this, [this](int steps, QPoint at) { zoomAround(steppedZoom(steps), at); });
    connect(Image1, &PictureView::contextMenuWanted, this, [this](int x, int y, QPoint global) {
        menuPixel_ = {x, y};
        PickColourAction->setEnabled(x >= 0 && y >= 0 && x < picture_.width() && y < picture_.height());
        QMenu menu(this);
        menu.addActions(
            {PickColourAction, SavePictureAction, SaveIconsAction, SaveAtlasAction, SavePackedAtlasAction, OpenAtlasAction, CopyLinesAction,
             ClearFramesAction});
        menu.exec(global);
    });
    Image1->setFrames(&frames_.frames());
    // The anchor shows in the chosen boxes, and dragged there it is the anchor typed.
    connect(Export, &ExportSettings::changed, this, [this] {
        std::optional<QPointF> pivot;
        try {
            if (const std::optional<Anchor> anchor = Export->anchor())
                pivot = QPointF(anchor->x, anchor->y);
        } catch (const InputError&) { // shown when the export is written
        }
        Image1->setPivot(pivot, Export->PaddingBox->value());
    });
    connect(Image1, &PictureView::pivotDragged, this, [this](QPointF pivot) { Export->setAnchor({pivot.x(), pivot.y()}); });
    connect(Image1, &PictureView::focusChanged, this, [this](bool focused) {
        ImageScroll->setStyleSheet(focused ? "QScrollArea { border: 2px solid palette(highlight); }" : QString());
    });
}

void TForm1::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    arrangePanel();
}

void TForm1::arrangePanel()
{
    // The form's own places at its width of 649; wider, About keeps to the right end and the
    // readout takes the room between; narrower, the readout moves under the buttons.
    constexpr int kFormWidth = 649, kReadoutX = 374, kRowHeight = 44;
    const int width = Panel1->width();
    Button1->move(width - (kFormWidth - 560), 8);
    if (width >= kFormWidth) {
        Panel1->setFixedHeight(kRowHeight);
        Label1->setGeometry(kReadoutX, 12, Button1->x() + Button1->width() - 55 - kReadoutX, 13);
    } else {
        Panel1->setFixedHeight(kRowHeight + 20);
        Label1->setGeometry(8, 44, width - 16, 13);
    }
}

void TForm1::buildActions()
{
    const auto action = [this](const QString& text, const QKeySequence& keys, void (TForm1::*slot)()) {
        auto* created = new QAction(text, this);
        created->setShortcut(keys);
        created->setShortcutContext(Qt::WindowShortcut);
        addAction(created);
        connect(created, &QAction::triggered, this, [this, slot] { Application::runHandler([this, slot] { (this->*slot)(); }); });
        return created;
    };
    PickColourAction = new QAction("이 색을 배경색으로", this);
    connect(PickColourAction, &QAction::triggered, this, [this] { pickColourAt(menuPixel_.x(), menuPixel_.y()); });
    SavePictureAction = action("틀 그린 그림 저장...", QKeySequence("Ctrl+S"), &TForm1::saveFramedPicture);
    SaveIconsAction = action("아이콘 파일로 저장...", QKeySequence("Ctrl+Shift+S"), &TForm1::saveIconFiles);
    CopyLinesAction = action("좌표 복사", QKeySequence("Ctrl+C"), &TForm1::copyResultLines);
    ClearFramesAction = action("틀 지우기", QKeySequence(Qt::Key_Escape), &TForm1::clearFrames);
    SaveAtlasAction = action("아틀라스 저장...", QKeySequence("Ctrl+E"), &TForm1::saveAtlas);
    SavePackedAtlasAction = action("모은 아틀라스 저장...", QKeySequence("Ctrl+Shift+E"), &TForm1::savePackedAtlas);
    OpenAtlasAction = action("아틀라스 열기...", QKeySequence("Ctrl+Shift+O"), &TForm1::openAtlas);
    DeleteRegionsAction = action("지우기", QKeySequence(QKeySequence::Delete), &TForm1::deleteRegions);
    MergeRegionsAction = action("합치기", QKeySequence("Ctrl+G"), &TForm1::mergeRegions);
    SplitRegionAction = action("나누기", QKeySequence("Ctrl+Shift+G"), &TForm1::splitRegion);
    PlayAction = action("재생", QKeySequence("Ctrl+P"), &TForm1::playRegions);
    RenameRegionAction = action("이름 바꾸기", QKeySequence(Qt::Key_F2), &TForm1::renameRegion);
    UndoAction = action("되돌리기", QKeySequence(QKeySequence::Undo), &TForm1::undoEdit);
    RedoAction = action("다시 실행", QKeySequence("Ctrl+Y"), &TForm1::redoEdit);
    RedoAction->setShortcuts({QKeySequence("Ctrl+Y"), QKeySequence("Ctrl+Shift+Z")});
    RegionTable->setContextMenuPolicy(Qt::ActionsContextMenu);
    RegionTable->addActions({DeleteRegionsAction, MergeRegionsAction, SplitRegionAction, PlayAction, RenameRegionAction, UndoAction, RedoAction, CopyLinesAction,
                             SaveIconsAction, SaveAtlasAction, SavePackedAtlasAction, OpenAtlasAction});

    const auto shortcut = [this](const QKeySequence& keys, auto slot) {
        connect(new QShortcut(keys, this), &QShortcut::activated, this, slot);
    };
    shortcut(QKeySequence("Ctrl+O"), [this] { Btn_OpenFile->click(); });
    shortcut(QKeySequence("Ctrl+F"), [this] { Btn_FindIcons->click(); });
    shortcut(QKeySequence(Qt::Key_F1), [this] { Button1->click(); });
    shortcut(QKeySequence("Ctrl+="), [this] { zoomBy(1); });
    shortcut(QKeySequence("Ctrl++"), [this] { zoomBy(1); });
    shortcut(QKeySequence("Ctrl+-"), [this] { zoomBy(-1); });
    shortcut(QKeySequence("Ctrl+0"), [this] { zoomTo(100); });
    // Shift+F10 opens the picture's menu, as the menu key does, at the middle of what shows.
    shortcut(QKeySequence("Shift+F10"), [this] {
        const QRect shown = ImageScroll->viewport()->rect();
        const QPoint middle = Image1->mapFrom(ImageScroll->viewport(), shown.center());
        QContextMenuEvent event(QContextMenuEvent::Keyboard, middle, Image1->mapToGlobal(middle));
        QApplication::sendEvent(Image1, &event);
    });
    // Ctrl+Q closes the window, as desktop programs here do.
    shortcut(QKeySequence::Quit, [this] { close(); });
}

void TForm1::showPicture()
{
    savedText_.clear();
    Image1->setPicture(&picture_);
    Image1->setGrid(Settings->gridOn(picture_.width(), picture_.height()));
    ImageArea->resize(Image1->x() + Image1->width(), Image1->y() + Image1->height());
    searchText_.clear();
    showStatus();
}

QString TForm1::suggestedPictureName() const
{
    const std::string_view extension = formatName(pictureFormat_);
    return pictureStem_ + "-frames." + QString::fromLatin1(extension.data(), static_cast<qsizetype>(extension.size()));
}

void TForm1::showStatus()
{
    QString text = !savedText_.isEmpty() ? savedText_ : searchText_.isEmpty() ? pictureText_ : searchText_;
    if (Image1->zoom() != 100)
        text += QString(" · %1%").arg(Image1->zoom());
    if (StatusLine->text() != text) {
        StatusLine->setText(text);
        // Screen readers read news out: the line says what the last step did.
        QAccessibleEvent news(StatusLine, QAccessible::Alert);
        QAccessible::updateAccessibility(&news);
    }
    const bool listed = regions_.size() > 0;
    const bool selected = RegionTable->selectionModel()->hasSelection();
    SaveIconsAction->setEnabled(listed);
    SaveAtlasAction->setEnabled(listed);
    SavePackedAtlasAction->setEnabled(listed);
    CopyLinesAction->setEnabled(listed);
    ClearFramesAction->setEnabled(!frames_.empty() || regions_.size() > 0);
    DeleteRegionsAction->setEnabled(selected);
    MergeRegionsAction->setEnabled(selected);
    SplitRegionAction->setEnabled(selected);
    PlayAction->setEnabled(selected);
    RenameRegionAction->setEnabled(selected);
    UndoAction->setEnabled(regions_.canUndo());
    RedoAction->setEnabled(regions_.canRedo());
}

void TForm1::Btn_FindIconsClick()
{
    Application::runHandler([this] {
        if (!mayDiscardEdits())
            return;
        savedText_.clear();
        const QVariant chosen = ColorBox->currentData();
        const bool transparent = ColorBox->currentIndex() == firstRuleEntry();
        if (transparent && !picture_.hasAlpha()) {
            Application::showMessage(kNoTransparency);
            return;
        }
        const BusyCursor busy;
        QElapsedTimer timer;
        timer.start();
        const bool colour = chosen.typeId() == qMetaTypeId<ColorValue>();
        const auto tolerance = static_cast<std::uint8_t>(Settings->tolerance());
        // Every search sees the picture as loaded; a failed one leaves the earlier frames.
        FramesReplaced replaced(frames_, picture_);
        using Kind = BackgroundChoice::Kind;
        const BackgroundChoice choice{colour ? Kind::Colour : transparent ? Kind::Transparent : Kind::Auto,
                                      colour ? chosen.value<ColorValue>() : kWhite, tolerance};
        const BackgroundRule rule = ruleFor(choice, picture_);
        const bool gridded = Settings->sprites().gridded();
        const NamePattern names = Export->names(gridded || Export->order() != RegionOrder::Search);
        // At the settings' defaults, the form's own search; otherwise the sprites find-icons cuts.
        std::vector<ListedRegion> found =
            Settings->atDefaults() && Export->order() == RegionOrder::Search
                ? namedAsFound(colour ? findIcons(picture_, chosen.value<ColorValue>(), &frames_).boxes : findIcons(picture_, rule, &frames_).boxes,
                               names)
                : cutSprites(rule, names);
        listGridded_ = gridded;
        if (colour)
            BackColor = chosen.value<ColorValue>();
        lastRule_ = rule;
        replaced.keep();
        listRegions(std::move(found));
        searchText_ = QString("영역 %1개 찾음 (%2 ms)").arg(regions_.size()).arg(timer.nsecsElapsed() / 1e6, 0, 'f', 1);
        showStatus();
        Image1->update();
    });
}

std::vector<ListedRegion> TForm1::cutSprites(const BackgroundRule& rule, const NamePattern& names)
{
    SliceRequest request;
    request.sprites = Settings->sprites();
    if (!request.sprites.gridded()) // cells are taken row by row
        request.sprites.shaping.order = Export->order();
    request.names = names;
    const QString shown = pictureFile_.isEmpty() ? "샘플 그림" : pictureFile_;
    Slices slices;
    try {
        ForegroundMask mask = maskOf(picture_, rule);
        slices = cutSlices(mask, request, pictureStem_.toStdString());
    } catch (const GridMisfit&) {
        // Said in the window's words, naming its controls.
        const QString size = sizeText(picture_);
        const QString cells = Settings->GridBox->currentIndex() == SearchSettings::CountedGrid
                                  ? QString("가로 %1칸, 세로 %2칸은 그림 %3에 칸마다 1픽셀도 되지 않습니다")
                                  : QString("%1 × %2 칸이 그림 %3에 하나도 온전히 들어가지 않습니다");
        throw errorAt({}, shown, Error(("격자: " + cells.arg(Settings->CellWidthBox->value()).arg(Settings->CellHeightBox->value()).arg(size)).toStdString()));
    } catch (const InputError& e) { // names the pattern gives alike, or no file could have
        throw InputError(std::string("이름: ") + e.what());
    } catch (const NoGridFound&) {
        throw errorAt({}, shown, Error("격자 자동: 영역들이 반복되는 고른 격자를 찾지 못했습니다"));
    } catch (const Error& e) {
        throw errorAt("영역을 자를 수 없습니다", shown, e);
    }
    return framedAndListed(std::move(slices));
}

void TForm1::Btn_OpenFileClick()
{
    Application::runHandler([this] {
        const QString name = OpenPictureDialog();
        if (!name.isEmpty())
            loadFile(name);
    });
}

void TForm1::loadFile(const QString& path)
{
    Application::runHandler([&] {
        const BusyCursor busy;
        // Decoded aside first: a file that fails leaves the picture and its frames as they were.
        PictureBuilder loaded;
        FileFormat format;
        try {
            format = readPictureFile(pathOf(path), loaded);
        } catch (const Error& e) {
            throw errorAt("그림을 열 수 없습니다", path, e);
        }
        if (!mayDiscardEdits())
            return;
        picture_ = loaded.take();
        pictureFormat_ = format;
        pictureStem_ = QFileInfo(path).completeBaseName();
        lastFolder_ = QFileInfo(path).absolutePath();
        pictureFile_ = QFileInfo(path).absoluteFilePath();
        frames_.forget();
        forgetList();
        pictureText_ = QFileInfo(path).fileName() + " " + sizeText(picture_);
        // A sheet on transparency is searched on transparency, not on the colour chosen before;
        // a background left faintly visible (alpha 1, say) raises the tolerance to take it in.
        if (const BackgroundRule found = ruleFor({BackgroundChoice::Kind::Auto, kWhite, 0}, picture_);
            picture_.hasAlpha() && found.isTransparent()) {
            ColorBox->setCurrentIndex(firstRuleEntry());
            Settings->ToleranceBox->setValue(std::max(Settings->tolerance(), static_cast<int>(found.tolerance())));
        }
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

bool TForm1::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ColorBox && colourBoxKeepsToColours(event))
        return true;
    // Esc belongs first to an open drop-down or a name being edited in the list: taking the
    // shortcut's turn lets it close them, and the frames stay.
    if (event->type() == QEvent::ShortcutOverride && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        QWidget* focus = QApplication::focusWidget();
        if (QApplication::activePopupWidget() || (focus && focus != RegionTable && RegionTable->isAncestorOf(focus)))
            event->accept();
    }
    return QWidget::eventFilter(watched, event);
}

void TForm1::clearFrames()
{
    // One more edit of the list, so that Ctrl+Z brings the regions and their frames back.
    if (regions_.size() > 0)
        regions_.clear();
    showEdit({});
    searchText_.clear();
    showStatus();
}

int TForm1::steppedZoom(int steps) const
{
    const auto& zooms = PictureView::kZoomSteps;
    const auto current = std::find(zooms.begin(), zooms.end(), Image1->zoom()) - zooms.begin();
    return zooms[static_cast<std::size_t>(std::clamp<std::ptrdiff_t>(current + steps, 0, static_cast<std::ptrdiff_t>(zooms.size()) - 1))];
}

void TForm1::zoomBy(int steps) { zoomTo(steppedZoom(steps)); }

void TForm1::zoomTo(int percent) { zoomAround(percent, Image1->mapFrom(ImageScroll->viewport(), ImageScroll->viewport()->rect().center())); }

void TForm1::zoomAround(int percent, QPoint at)
{
    // The picture point under `at` (in the view) stays where it is on the screen.
    const QPointF pixel = QPointF(at) * 100.0 / Image1->zoom();
    const QPoint onScreen = Image1->mapTo(ImageScroll->viewport(), at);
    Image1->setZoom(percent);
    ImageArea->resize(Image1->x() + Image1->width(), Image1->y() + Image1->height());
    const QPointF after = Image1->placeOf(pixel) + QPointF(Image1->pos());
    ImageScroll->horizontalScrollBar()->setValue(static_cast<int>(after.x()) - onScreen.x());
    ImageScroll->verticalScrollBar()->setValue(static_cast<int>(after.y()) - onScreen.y());
    showStatus();
}

void TForm1::dragEnterEvent(QDragEnterEvent* event)
{
    const QList<QUrl> urls = event->mimeData()->urls();
    if (urls.size() == 1 && urls.first().isLocalFile())
        event->acceptProposedAction();
}

void TForm1::closeEvent(QCloseEvent* event)
{
    if (mayDiscardEdits())
        event->accept();
    else
        event->ignore();
}

void TForm1::dropEvent(QDropEvent* event)
{
    const QList<QUrl> urls = event->mimeData()->urls();
    if (urls.size() != 1 || !urls.first().isLocalFile())
        return;
    event->acceptProposedAction();
    loadFile(urls.first().toLocalFile());
}
