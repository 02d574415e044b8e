#include "ui/Unit1.h"

#include "common/errors.h"
#include "formats/picture_file.h"
#include "image/color_table.h"
#include "present/crops.h"
#include "present/name_pattern.h"
#include "present/report.h"
#include "resources/sample_picture.h"
#include "search/auto_background.h"
#include "ui/application.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QClipboard>
#include <QColorDialog>
#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QDir>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPainter>
#include <QPixmap>
#include <QResizeEvent>
#include <QScrollBar>
#include <QShortcut>
#include <QSplitter>
#include <QVBoxLayout>

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

const QString kCustomColour = QStringLiteral("사용자 정의...");
// The entries for the rules that are no colour, as find-icons -b transparent and -b auto.
const QString kTransparent = QStringLiteral("투명");
const QString kAutomatic = QStringLiteral("자동");
const QString kNoTransparency = QStringLiteral("이 그림에는 투명한 픽셀이 없습니다");

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

QString sizeText(const PixelImage& picture)
{
    return QString("(%1 × %2)").arg(picture.width()).arg(picture.height());
}

// A wait cursor while a long handler runs.
struct BusyCursor {
    BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

QString chooseBitmap()
{
    QFileDialog dialog(Form1, QString(), Form1->lastFolder());
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters({"그림 파일 (*.bmp *.png)", "Bitmap(*.bmp)", "PNG (*.png)"});
    dialog.selectNameFilter("그림 파일 (*.bmp *.png)");
    return dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty() ? dialog.selectedFiles().first() : QString();
}

QString choosePictureToSave()
{
    QFileDialog dialog(Form1, QString(), QDir(Form1->lastFolder()).filePath(Form1->suggestedPictureName()));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilters({"Bitmap(*.bmp)", "PNG(*.png)"});
    dialog.setDefaultSuffix("bmp");
    return dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty() ? dialog.selectedFiles().first() : QString();
}

QString chooseIconFolder() { return QFileDialog::getExistingDirectory(Form1, QString(), Form1->lastFolder()); }

bool confirmReplacing(const QString& question)
{
    return QMessageBox::question(Form1, Application::messageTitle, question) == QMessageBox::Yes;
}

QColor chooseColour() { return QColorDialog::getColor(Qt::white, Form1); }

// The layouts find-icons writes, as the atlas dialog offers them.
struct AtlasFilter {
    const char* filter;
    AtlasLayout layout;
};
constexpr AtlasFilter kAtlasFilters[] = {
    {"JSON Hash (*.json)", AtlasLayout::Hash},         {"JSON Array (*.json)", AtlasLayout::Array},
    {"Aseprite JSON (*.json)", AtlasLayout::Aseprite}, {"Starling XML (*.xml)", AtlasLayout::Starling},
    {"libGDX (*.atlas)", AtlasLayout::Libgdx},         {"CSS (*.css)", AtlasLayout::Css},
};

std::optional<TForm1::AtlasChoice> chooseAtlas()
{
    QFileDialog dialog(Form1, QString(), QDir(Form1->lastFolder()).filePath(Form1->suggestedAtlasName()));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    QStringList filters;
    for (const AtlasFilter& entry : kAtlasFilters)
        filters << entry.filter;
    dialog.setNameFilters(filters);
    dialog.setDefaultSuffix("json");
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString& filter) {
        for (const AtlasFilter& entry : kAtlasFilters)
            if (filter == entry.filter)
                dialog.setDefaultSuffix(QString::fromLatin1(atlasExtension(entry.layout)));
    });
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    const auto chosen = filters.indexOf(dialog.selectedNameFilter());
    return TForm1::AtlasChoice{dialog.selectedFiles().first(), kAtlasFilters[chosen < 0 ? 0 : chosen].layout};
}

std::string pathOf(const QString& name) { return QFile::encodeName(name).toStdString(); }

// The error as the window shows it: the path it concerns in front.
Error errorAt(const QString& path, const Error& e) { return Error(QDir::toNativeSeparators(path).toStdString() + ": " + e.what()); }

} // namespace

TForm1::TForm1(QWidget* owner)
    : QWidget(owner), OpenPictureDialog(chooseBitmap), SavePictureDialog(choosePictureToSave), IconFolderDialog(chooseIconFolder),
      ColorDialog(chooseColour), ConfirmDialog(confirmReplacing), AtlasDialog(chooseAtlas), picture_(samplePicture())
{
    setupUi(this);
    move(437, 199); // the form's position; uic applies only its size to a top-level window
    QPalette face = palette();
    face.setColor(QPalette::Window, toQColor(systemColor(15)));
    setPalette(face);
    Application::messageTitle = windowTitle();

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
    for (QWidget* next : Settings->tabOrder() + QList<QWidget*>{Button1, Image1, RegionTable}) {
        setTabOrder(before, next);
        before = next;
    }
    setAcceptDrops(true);
    buildActions();
    connect(Image1, &PictureView::pixelPicked, this, &TForm1::pickColourAt);
    connect(Image1, &PictureView::pixelClicked, this, &TForm1::selectAt);
    connect(Image1, &PictureView::zoomWheel, this, [this](int steps, QPoint at) { zoomAround(steppedZoom(steps), at); });
    connect(Image1, &PictureView::contextMenuWanted, this, [this](int x, int y, QPoint global) {
        menuPixel_ = {x, y};
        PickColourAction->setEnabled(x >= 0 && y >= 0 && x < picture_.width() && y < picture_.height());
        QMenu menu(this);
        menu.addActions({PickColourAction, SavePictureAction, SaveIconsAction, SaveAtlasAction, CopyLinesAction, ClearFramesAction});
        menu.exec(global);
    });
    Image1->setFrames(&frames_.frames());
    // Down to 480 x 360 every control stays whole: the readout goes to a second row.
    setMinimumSize(480, 360);
    showPicture();
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

void TForm1::buildRegionPanel()
{
    auto* panel = new QWidget;
    panel->setObjectName("RegionPanel");
    auto* column = new QVBoxLayout(panel);
    column->setContentsMargins(4, 4, 4, 0);
    column->setSpacing(2);
    auto* title = new QLabel("영역 목록");
    RegionTable = new QTableView;
    RegionTable->setObjectName("RegionTable");
    title->setBuddy(RegionTable);
    regionModel_ = new RegionTableModel(regions_, this);
    regionModel_->rename = [this](int row, const QString& name) { return renameRow(row, name); };
    RegionTable->setModel(regionModel_);
    RegionTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    RegionTable->setSelectionMode(QAbstractItemView::ExtendedSelection);
    RegionTable->setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::DoubleClicked);
    RegionTable->setTabKeyNavigation(false);
    RegionTable->setWordWrap(false);
    RegionTable->setToolTip("Delete: 지우기, Ctrl+G: 합치기, F2: 이름 바꾸기, Ctrl+Z / Ctrl+Y: 되돌리기 / 다시 실행");
    // Rows of one fixed height, so that a list of hundreds of thousands scrolls at once.
    QHeaderView* rows = RegionTable->verticalHeader();
    rows->hide();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setDefaultSectionSize(RegionTable->fontMetrics().height() + 4);
    QHeaderView* columns = RegionTable->horizontalHeader();
    columns->setSectionResizeMode(QHeaderView::Interactive);
    columns->setHighlightSections(false);
    columns->setMinimumSectionSize(24);
    const int digits = RegionTable->fontMetrics().horizontalAdvance("00000") + 8;
    columns->resizeSection(0, RegionTable->fontMetrics().horizontalAdvance("icon-0000") + 12);
    for (int i = 1; i < 5; ++i)
        columns->resizeSection(i, digits);
    columns->setStretchLastSection(true);
    connect(RegionTable->selectionModel(), &QItemSelectionModel::selectionChanged, this, &TForm1::selectionChanged);
    column->addWidget(title);
    column->addWidget(RegionTable);

    auto* split = new QSplitter(Qt::Horizontal);
    split->setObjectName("PictureSplit");
    delete FormLayout->replaceWidget(ImageScroll, split); // the layout hands back its old item
    FormLayout->setStretchFactor(split, 1); // the picture and the list take the height
    split->addWidget(ImageScroll);
    split->addWidget(panel);
    split->setStretchFactor(0, 1);
    split->setStretchFactor(1, 0);
    split->setChildrenCollapsible(false);
    ImageScroll->setMinimumWidth(120);
    panel->setMinimumWidth(160);
    // At the form's size the sample picture shows whole, as on the form; the list takes the rest.
    const int pictureWidth = ImageArea->width() + 8;
    split->setSizes({pictureWidth, width() - pictureWidth});
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
    DeleteRegionsAction = action("지우기", QKeySequence(QKeySequence::Delete), &TForm1::deleteRegions);
    MergeRegionsAction = action("합치기", QKeySequence("Ctrl+G"), &TForm1::mergeRegions);
    RenameRegionAction = action("이름 바꾸기", QKeySequence(Qt::Key_F2), &TForm1::renameRegion);
    UndoAction = action("되돌리기", QKeySequence(QKeySequence::Undo), &TForm1::undoEdit);
    RedoAction = action("다시 실행", QKeySequence("Ctrl+Y"), &TForm1::redoEdit);
    RedoAction->setShortcuts({QKeySequence("Ctrl+Y"), QKeySequence("Ctrl+Shift+Z")});
    RegionTable->setContextMenuPolicy(Qt::ActionsContextMenu);
    RegionTable->addActions({DeleteRegionsAction, MergeRegionsAction, RenameRegionAction, UndoAction, RedoAction, CopyLinesAction,
                             SaveIconsAction, SaveAtlasAction});

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
    ImageArea->resize(Image1->x() + Image1->width(), Image1->y() + Image1->height());
    searchText_.clear();
    showStatus();
}

QString TForm1::suggestedPictureName() const { return pictureStem_ + "-frames.png"; }

void TForm1::showStatus()
{
    QString text = !savedText_.isEmpty() ? savedText_ : searchText_.isEmpty() ? pictureText_ : searchText_;
    if (Image1->zoom() != 100)
        text += QString(" · %1%").arg(Image1->zoom());
    StatusLine->setText(text);
    const bool listed = regions_.size() > 0;
    const bool selected = RegionTable->selectionModel()->hasSelection();
    SaveIconsAction->setEnabled(listed);
    SaveAtlasAction->setEnabled(listed);
    CopyLinesAction->setEnabled(listed);
    ClearFramesAction->setEnabled(!frames_.empty());
    DeleteRegionsAction->setEnabled(selected);
    MergeRegionsAction->setEnabled(selected);
    RenameRegionAction->setEnabled(selected);
    UndoAction->setEnabled(regions_.canUndo());
    RedoAction->setEnabled(regions_.canRedo());
}

void TForm1::Btn_FindIconsClick()
{
    Application::runHandler([this] {
        savedText_.clear();
        const QVariant chosen = ColorBox->currentData();
        const bool transparent = ColorBox->currentText() == kTransparent;
        if (transparent && !picture_.hasAlpha()) {
            Application::showMessage(kNoTransparency);
            return;
        }
        const BusyCursor busy;
        QElapsedTimer timer;
        timer.start();
        const bool colour = chosen.typeId() == qMetaTypeId<ColorValue>();
        const auto tolerance = static_cast<std::uint8_t>(Settings->tolerance());
        // The rule is decided on the picture without this search's frames.
        const BackgroundRule rule = colour        ? BackgroundRule::colour(resolve(chosen.value<ColorValue>()), tolerance)
                                    : transparent ? BackgroundRule::transparent(tolerance)
                                                  : autoBackground(borderOf(picture_), tolerance);
        const std::size_t framedBefore = frames_.frames().size();
        // At the settings' defaults, the form's own search; otherwise the sprites find-icons cuts.
        // Either leaves the picture as it was when it fails.
        std::vector<RegionBox> found;
        if (!Settings->atDefaults()) {
            try {
                found = frameSprites(picture_, rule, Settings->sprites(), &frames_);
            } catch (const Error& e) {
                throw errorAt(pictureFile_.isEmpty() ? "샘플 그림" : pictureFile_, e);
            }
        } else if (colour)
            found = findIcons(picture_, chosen.value<ColorValue>(), &frames_).boxes;
        else
            found = findIcons(picture_, rule, &frames_).boxes;
        if (colour)
            BackColor = chosen.value<ColorValue>();
        lastRule_ = rule;
        listFramesFrom_ = framedBefore;
        listRegions(found);
        searchText_ = QString("영역 %1개 찾음 (%2 ms)").arg(found.size()).arg(timer.nsecsElapsed() / 1e6, 0, 'f', 1);
        showStatus();
        Image1->update();
    });
}

void TForm1::listRegions(std::span<const RegionBox> found)
{
    // Named as find-icons names crops and frames.
    const std::vector<std::string> names =
        namesFor(NamePattern::parse(kDefaultNamePattern, false), orderRegions(found, RegionOrder::Search), pictureStem_.toStdString());
    std::vector<ListedRegion> listed;
    listed.reserve(found.size());
    for (std::size_t i = 0; i < found.size(); ++i)
        listed.push_back({names[i], found[i]});
    regions_.reset(std::move(listed));
    regionModel_->refresh();
    Image1->setHighlights({});
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
            throw errorAt(path, e);
        }
        picture_ = loaded.take();
        pictureFormat_ = format;
        pictureStem_ = QFileInfo(path).completeBaseName();
        lastFolder_ = QFileInfo(path).absolutePath();
        pictureFile_ = QFileInfo(path).absoluteFilePath();
        frames_.forget();
        forgetList();
        pictureText_ = QFileInfo(path).fileName() + " " + sizeText(picture_);
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

void TForm1::saveFramedPicture()
{
    const QString name = SavePictureDialog();
    if (name.isEmpty())
        return;
    const auto format = formatOfName(pathOf(name));
    try {
        if (!format)
            throw IoError("must end in .bmp or .png");
        writePictureFile(picture_, *format, pathOf(name));
    } catch (const Error& e) {
        throw errorAt(name, e);
    }
    lastFolder_ = QFileInfo(name).absolutePath();
    savedText_ = "저장함: " + QDir::toNativeSeparators(name);
    showStatus();
}

std::vector<PlacedRegion> TForm1::listedRegions() const
{
    std::vector<PlacedRegion> placed;
    placed.reserve(regions_.size());
    for (const ListedRegion& region : regions_.regions())
        placed.push_back({region.box, 0, 0, placed.size()});
    return placed;
}

std::vector<std::string> TForm1::listedNames() const
{
    std::vector<std::string> names;
    names.reserve(regions_.size());
    for (const ListedRegion& region : regions_.regions())
        names.push_back(region.name);
    return names;
}

void TForm1::saveIconFiles()
{
    const QString folder = IconFolderDialog();
    if (folder.isEmpty())
        return;
    const BusyCursor busy;
    // As find-icons --crop writes them: the picture's own pixels, without the frames, which
    // are taken back for the while.
    const std::vector<RegionBox> boxes = boxesOf(listedRegions());
    const std::vector<std::string> names = listedNames();
    CropStyle style;
    style.format = cropFormatFor(std::nullopt, false, pictureFormat_);
    // Files of these names already there are replaced only when the user says so, once.
    const QDir into(folder);
    int existing = 0;
    for (const std::string& name : names)
        existing += into.exists(QString::fromStdString(name + "." + std::string(formatName(style.format))));
    if (existing > 0 && !ConfirmDialog(QString("%1개 파일이 이미 있습니다. 바꿀까요?").arg(existing)))
        return;
    try {
        const FramesSetAside aside(frames_, picture_);
        OutputBatch batch;
        writeCrops(batch, picture_, boxes, names, pathOf(folder), lastRule_, style);
        batch.commit();
    } catch (const IoError& e) {
        throw errorAt(e.path().empty() ? folder : QFile::decodeName(QByteArray::fromStdString(e.path())), e);
    }
    lastFolder_ = QDir(folder).absolutePath();
    savedText_ = QString("아이콘 %1개 저장함: %2").arg(names.size()).arg(QDir::toNativeSeparators(folder));
    showStatus();
}

QString TForm1::suggestedAtlasName() const { return pictureStem_ + ".json"; }

void TForm1::saveAtlas()
{
    // An atlas names the picture it cuts: the built-in sample has no file to name.
    if (pictureFile_.isEmpty())
        throw Error("아틀라스는 그림 파일을 가리킵니다: 먼저 그림 파일을 여세요");
    const std::optional<AtlasChoice> choice = AtlasDialog();
    if (!choice)
        return;
    const std::string path = pathOf(choice->path);
    const auto target = identityOf(path);
    if (target && target == identityOf(pathOf(pictureFile_)))
        throw errorAt(choice->path, Error("is the picture itself"));
    Atlas atlas;
    atlas.pages.push_back({atlasImagePath(path, pathOf(pictureFile_)), picture_.width(), picture_.height()});
    atlas.frames = framesOf(listedRegions(), listedNames(), CropStyle{}, nullptr);
    try {
        OutputBatch batch;
        for (const auto& [file, text] : atlasFiles(atlas, choice->layout, path))
            batch.addFile(file, [&text](ByteWriter& out) { out.write(text); });
        batch.commit();
    } catch (const Error& e) {
        throw errorAt(choice->path, e);
    }
    lastFolder_ = QFileInfo(choice->path).absolutePath();
    savedText_ = "저장함: " + QDir::toNativeSeparators(choice->path);
    showStatus();
}

void TForm1::copyResultLines()
{
    std::string text;
    for (const ListedRegion& region : regions_.regions())
        appendLine(text, region.box, "");
    QGuiApplication::clipboard()->setText(QString::fromStdString(text));
}

void TForm1::clearFrames()
{
    savedText_.clear();
    frames_.takeBack(picture_);
    frames_.forget();
    forgetList();
    searchText_.clear();
    showStatus();
    Image1->update();
}

void TForm1::forgetList()
{
    listFramesFrom_ = 0;
    regions_.reset({});
    regionModel_->refresh();
    Image1->setHighlights({});
}

std::vector<std::size_t> TForm1::selectedRows() const
{
    std::vector<std::size_t> rows;
    for (const QItemSelectionRange& range : RegionTable->selectionModel()->selection())
        for (int row = range.top(); row <= range.bottom(); ++row)
            rows.push_back(static_cast<std::size_t>(row));
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

void TForm1::selectRows(const std::vector<std::size_t>& rows)
{
    QItemSelection selection;
    for (std::size_t i = 0; i < rows.size();) {
        // Runs of rows as one range each.
        std::size_t last = i;
        while (last + 1 < rows.size() && rows[last + 1] == rows[last] + 1)
            ++last;
        selection.select(regionModel_->index(static_cast<int>(rows[i]), 0), regionModel_->index(static_cast<int>(rows[last]), 4));
        i = last + 1;
    }
    RegionTable->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
    if (!rows.empty()) {
        const QModelIndex first = regionModel_->index(static_cast<int>(rows.front()), 0);
        RegionTable->selectionModel()->setCurrentIndex(first, QItemSelectionModel::NoUpdate);
        RegionTable->scrollTo(first);
    }
}

void TForm1::selectionChanged()
{
    const std::vector<std::size_t> rows = selectedRows();
    std::vector<Rect> marked;
    marked.reserve(rows.size());
    for (const std::size_t row : rows)
        marked.push_back(frameRect(regions_.regions()[row].box));
    if (!marked.empty() && !selectingFromPicture_) {
        // The first selected frame into view, whole when it fits.
        const Rect& first = marked.front();
        const QPointF topLeft = Image1->placeOf(QPointF(first.left, first.top)) + QPointF(Image1->pos());
        const QPointF bottomRight = Image1->placeOf(QPointF(first.right, first.bottom)) + QPointF(Image1->pos());
        const QPointF middle = (topLeft + bottomRight) / 2;
        ImageScroll->ensureVisible(static_cast<int>(middle.x()), static_cast<int>(middle.y()),
                                   static_cast<int>((bottomRight.x() - topLeft.x()) / 2) + 8,
                                   static_cast<int>((bottomRight.y() - topLeft.y()) / 2) + 8);
    }
    Image1->setHighlights(std::move(marked));
    showStatus();
}

void TForm1::selectAt(int x, int y)
{
    // The smallest box under the pointer; the first listed of equal ones.
    std::optional<std::size_t> smallest;
    long long smallestArea = 0;
    const std::vector<ListedRegion>& listed = regions_.regions();
    for (std::size_t row = 0; row < listed.size(); ++row) {
        const RegionBox& box = listed[row].box;
        if (x < box.minX || x > box.maxX || y < box.minY || y > box.maxY)
            continue;
        const long long area = static_cast<long long>(box.width()) * box.height();
        if (!smallest || area < smallestArea) {
            smallest = row;
            smallestArea = area;
        }
    }
    selectingFromPicture_ = true;
    selectRows(smallest ? std::vector<std::size_t>{*smallest} : std::vector<std::size_t>{});
    selectingFromPicture_ = false;
}

void TForm1::redrawListFrames()
{
    // The list's frames are the last drawn: taken back and drawn again as the list stands,
    // over the frames of earlier searches.
    frames_.undrawFrom(picture_, listFramesFrom_);
    const std::vector<ListedRegion>& listed = regions_.regions();
    frameEach(picture_, &frames_, listed.size(), [&](std::size_t i) { return frameRect(listed[i].box); });
}

void TForm1::showEdit(const std::vector<std::size_t>& rows)
{
    savedText_.clear();
    regionModel_->refresh();
    redrawListFrames();
    selectRows(rows);
    searchText_ = QString("영역 %1개").arg(regions_.size());
    showStatus();
    Image1->update();
}

void TForm1::deleteRegions()
{
    const std::vector<std::size_t> rows = selectedRows();
    if (rows.empty())
        return;
    regions_.remove(rows);
    // The row after the deleted ones stays chosen, so that Delete can go on down the list.
    const std::size_t next = rows.front();
    showEdit(next < regions_.size() ? std::vector<std::size_t>{next} : std::vector<std::size_t>{});
}

void TForm1::mergeRegions()
{
    const std::vector<std::size_t> rows = selectedRows();
    if (rows.size() >= 2)
        showEdit(regions_.merge(rows));
}

void TForm1::renameRegion()
{
    const std::vector<std::size_t> rows = selectedRows();
    if (rows.empty())
        return;
    const QModelIndex name = regionModel_->index(static_cast<int>(rows.front()), 0);
    RegionTable->setFocus();
    RegionTable->setCurrentIndex(name);
    RegionTable->edit(name);
}

bool TForm1::renameRow(int row, const QString& name)
{
    bool renamed = false;
    Application::runHandler([&] {
        const std::vector<std::size_t> rows = regions_.rename(static_cast<std::size_t>(row), name.toStdString());
        renamed = true;
        // Queued: the table is still inside the edit that asked for this.
        QMetaObject::invokeMethod(this, [this, rows] { showEdit(rows); }, Qt::QueuedConnection);
    });
    return renamed;
}

void TForm1::undoEdit()
{
    if (regions_.canUndo())
        showEdit(regions_.undo());
}

void TForm1::redoEdit()
{
    if (regions_.canRedo())
        showEdit(regions_.redo());
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

void TForm1::dropEvent(QDropEvent* event)
{
    const QList<QUrl> urls = event->mimeData()->urls();
    if (urls.size() != 1 || !urls.first().isLocalFile())
        return;
    event->acceptProposedAction();
    loadFile(urls.first().toLocalFile());
}
