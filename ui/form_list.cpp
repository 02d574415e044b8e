// The region list beside the picture: choosing rows and boxes, and the edits with their undo,
// after which the list's frames are drawn again as it stands.
#include "ui/Unit1.h"

#include "present/name_pattern.h"
#include "regions/icon_search.h"
#include "ui/animation_player.h"
#include "ui/application.h"
#include "ui/dialogs.h"

#include <QAccessible>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QSplitter>
#include <QToolButton>
#include <QVBoxLayout>

#include <unordered_set>

using namespace iconfinder;

void TForm1::buildRegionPanel()
{
    auto* panel = new QWidget;
    panel->setObjectName("RegionPanel");
    auto* column = new QVBoxLayout(panel);
    column->setContentsMargins(4, 4, 4, 0);
    column->setSpacing(2);
    auto* title = new QLabel("영역 목록");
    buildRegionTable();
    title->setBuddy(RegionTable);
    column->addWidget(title);
    column->addWidget(RegionTable);
    buildExportFold(column);

    auto* split = new QSplitter(Qt::Horizontal);
    split->setObjectName("PictureSplit");
    delete FormLayout->replaceWidget(ImageScroll, split); // the layout hands back its old item
    FormLayout->setStretchFactor(split, 1); // the picture and the list take the height
    split->addWidget(ImageScroll);
    split->addWidget(panel);
    // A wider window widens the list too, a quarter as much as the picture.
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 1);
    split->setChildrenCollapsible(false);
    ImageScroll->setMinimumWidth(120);
    // The picture takes the focus, and its arrow keys still scroll: no unnamed stop around it.
    ImageScroll->setFocusPolicy(Qt::NoFocus);
    panel->setMinimumWidth(160);
    // At the form's size the sample picture shows whole, as on the form; the list takes the rest.
    const int pictureWidth = ImageArea->width() + 8;
    split->setSizes({pictureWidth, width() - pictureWidth});
}

void TForm1::buildRegionTable()
{
    RegionTable = new QTableView;
    RegionTable->setObjectName("RegionTable");
    RegionTable->setAccessibleName("영역 목록");
    RegionTable->setStyleSheet("QTableView:focus { border: 2px solid palette(highlight); }"); // focus that shows
    regionModel_ = new RegionTableModel(regions_, this);
    regionModel_->rename = [this](int row, const QString& name) { return renameRow(row, name); };
    regionModel_->reshape = [this](int row, int column, const QString& number) { return reshapeRow(row, column, number); };
    RegionTable->setModel(regionModel_);
    // Screen readers find the listed regions in the picture too, and hear when they change.
    Image1->regions.count = [this] { return regions_.size(); };
    Image1->regions.at = [this](std::size_t row) {
        const ListedRegion& region = regions_.regions()[row];
        return std::pair(QString::fromStdString(region.name), frameRect(region.box));
    };
    connect(regionModel_, &QAbstractItemModel::modelReset, this, [this] {
        QAccessibleEvent reordered(Image1, QAccessible::ObjectReorder);
        QAccessible::updateAccessibility(&reordered);
    });
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
}

void TForm1::buildExportFold(QVBoxLayout* column)
{
    // The export's settings fold away under the list, so that the list keeps the height.
    auto* fold = ExportFold = new QToolButton;
    fold->setObjectName("ExportFold");
    fold->setText("내보내기 설정");
    fold->setCheckable(true);
    fold->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    fold->setArrowType(Qt::RightArrow);
    fold->setAutoRaise(true);
    Export = new ExportSettings;
    Export->setObjectName("Export");
    Export->hide();
    connect(fold, &QToolButton::toggled, this, [this, fold](bool open) {
        fold->setArrowType(open ? Qt::DownArrow : Qt::RightArrow);
        Export->setVisible(open);
    });
    column->addWidget(fold);
    column->addWidget(Export);
}

namespace {

std::vector<ListedRegion> listedOf(std::span<const PlacedRegion> placed, std::vector<std::string> names, std::span<const RegionBox> cells = {})
{
    std::vector<ListedRegion> listed;
    listed.reserve(placed.size());
    for (std::size_t i = 0; i < placed.size(); ++i)
        listed.push_back({std::move(names[i]), placed[i].box, i < cells.size() ? std::optional(cells[i]) : std::nullopt});
    return listed;
}

} // namespace

std::vector<ListedRegion> TForm1::namedAsFound(const std::vector<RegionBox>& boxes, const NamePattern& names) const
{
    // Named as find-icons names crops and frames.
    const std::vector<PlacedRegion> placed = orderRegions(boxes, RegionOrder::Search);
    try {
        return listedOf(placed, namesFor(names, placed, pictureStem_.toStdString()));
    } catch (const InputError& e) { // names the pattern gives alike, or no file could have
        throw InputError(std::string("이름: ") + e.what());
    }
}

std::vector<ListedRegion> TForm1::framedAndListed(Slices slices)
{
    frameEach(picture_, &frames_, slices.placed.size(), [&](std::size_t i) { return frameRect(slices.placed[i].box); });
    return listedOf(slices.placed, std::move(slices.names), slices.extents);
}

void TForm1::listRegions(std::vector<ListedRegion> listed)
{
    regions_.reset(std::move(listed));
    regionModel_->refresh();
    Image1->setHighlights({});
}

void TForm1::forgetList()
{
    regions_.reset({});
    regionModel_->refresh();
    Image1->setHighlights({});
}

bool TForm1::mayDiscardEdits()
{
    return regions_.size() == 0 || !regions_.editedSinceSaved() || ConfirmDialog("영역 목록의 변경을 버릴까요?");
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
    // The frames are the list's, one a row: those of the rows the edits left in place stay,
    // the rest are taken back and drawn again as the list stands, so that an edit near the
    // end of a list of hundreds of thousands answers at once.
    const RegionList::Change change = regions_.takeChange();
    const bool mirrored = frames_.frames().size() == change.sizeBefore;
    // One edit of a few rows whose frames cross no other: those frames alone, wherever they are.
    constexpr std::size_t kFewRows = 256;
    if (mirrored && change.edits == 1 && change.out.size() + change.in.size() <= kFewRows) {
        std::vector<std::pair<std::size_t, Rect>> in;
        for (const auto& [row, box] : change.in)
            in.emplace_back(row, frameRect(box));
        if (frames_.replace(picture_, change.out, in, kRed))
            return;
    }
    const std::size_t from = mirrored ? change.from : 0;
    frames_.undrawFrom(picture_, from);
    const std::vector<ListedRegion>& listed = regions_.regions();
    frameEach(picture_, &frames_, listed.size() - from, [&](std::size_t i) { return frameRect(listed[from + i].box); });
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
    const BusyCursor busy; // a list of hundreds of thousands takes a moment
    regions_.remove(rows);
    // The row after the deleted ones stays chosen, so that Delete can go on down the list.
    const std::size_t next = rows.front();
    showEdit(next < regions_.size() ? std::vector<std::size_t>{next} : std::vector<std::size_t>{});
}

void TForm1::mergeRegions()
{
    const std::vector<std::size_t> rows = selectedRows();
    if (rows.size() < 2)
        return;
    const BusyCursor busy;
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

bool TForm1::reshapeRow(int row, int column, const QString& number)
{
    bool reshaped = false;
    Application::runHandler([&] {
        bool isNumber = false;
        const int value = number.trimmed().toInt(&isNumber);
        if (!isNumber)
            throw InputError("'" + number.toStdString() + "'은(는) 정수가 아닙니다");
        // x and y move the box, 너비 and 높이 move its right or bottom edge; what leaves the
        // picture is cut off.
        RegionBox box = regions_.regions()[static_cast<std::size_t>(row)].box;
        const long long moved = column == 1 ? static_cast<long long>(value) - box.minX : column == 2 ? static_cast<long long>(value) - box.minY : 0;
        const long long minX = box.minX + (column == 1 ? moved : 0), minY = box.minY + (column == 2 ? moved : 0);
        const long long maxX = column == 3 ? minX + value - 1 : box.maxX + (column == 1 ? moved : 0);
        const long long maxY = column == 4 ? minY + value - 1 : box.maxY + (column == 2 ? moved : 0);
        box = {static_cast<int>(std::max(0LL, minX)), static_cast<int>(std::max(0LL, minY)),
               static_cast<int>(std::min<long long>(picture_.width() - 1, maxX)), static_cast<int>(std::min<long long>(picture_.height() - 1, maxY))};
        if (box.maxX < box.minX || box.maxY < box.minY)
            throw InputError("상자가 그림 밖에 있거나 크기가 없습니다");
        reshaped = true;
        // Queued: the table is still inside the edit that asked for this.
        QMetaObject::invokeMethod(this, [this, row, box] { reshapeAndShow(static_cast<std::size_t>(row), box); }, Qt::QueuedConnection);
    });
    return reshaped;
}

std::vector<std::string> TForm1::freeNames(std::size_t count, std::size_t skip) const
{
    // Named as find-icons names regions: the k-th by the first number past the list's length
    // (and `skip` + k more) that no region's name and no name given before it has.
    std::unordered_set<std::string> taken;
    for (const ListedRegion& region : regions_.regions())
        taken.insert(region.name);
    const NamePattern pattern = NamePattern::parse(kDefaultNamePattern, false);
    std::vector<std::string> names;
    for (std::size_t k = 0; k < count; ++k) {
        std::string name;
        for (int n = static_cast<int>(regions_.size() + skip + k) + 1; name.empty() || taken.count(name); ++n)
            name = pattern.format({n, 0, 0, 0, 0, 0, 0, ""});
        taken.insert(name);
        names.push_back(std::move(name));
    }
    return names;
}

void TForm1::addDrawnBox(Rect box)
{
    showEdit(regions_.add({freeNames(1, 0).front(), {box.left, box.top, box.right - 1, box.bottom - 1}, std::nullopt}));
}

void TForm1::splitRegion()
{
    const std::vector<std::size_t> rows = selectedRows();
    if (rows.empty())
        return;
    // The regions the last search's background rule finds inside the first chosen box; the
    // first keeps the box's name.
    const ListedRegion& whole = regions_.regions()[rows.front()];
    const RegionBox& box = whole.box;
    PixelImage inside;
    {
        const FramesSetAside aside(frames_, picture_); // the box's own pixels, not the frames drawn
        inside = cropped(picture_, frameRect(box));
    }
    const std::vector<RegionBox> found = findRegions(inside, lastRule_);
    const std::vector<std::string> names = freeNames(found.empty() ? 0 : found.size() - 1, 1);
    std::vector<ListedRegion> parts;
    for (const RegionBox& part : found)
        parts.push_back({parts.empty() ? whole.name : names[parts.size() - 1],
                         {box.minX + part.minX, box.minY + part.minY, box.minX + part.maxX, box.minY + part.maxY}, std::nullopt});
    if (parts.size() < 2) {
        Application::showMessage("'" + QString::fromStdString(whole.name) + "' 안에서 나눌 영역을 찾지 못했습니다");
        return;
    }
    showEdit(regions_.split(rows.front(), std::move(parts)));
}

void TForm1::reshapeAndShow(std::size_t row, RegionBox box)
{
    regions_.reshape(row, box);
    // One box moved: only its row is shown anew, so that a drag answers at once.
    savedText_.clear();
    redrawListFrames();
    regionModel_->rowChanged(static_cast<int>(row));
    selectionChanged(); // the highlight follows the box
    showStatus();
    Image1->update();
}

void TForm1::chooseInside(Rect area)
{
    std::vector<std::size_t> inside;
    for (std::size_t row = 0; row < regions_.size(); ++row) {
        const RegionBox& box = regions_.regions()[row].box;
        if (box.minX >= area.left && box.minY >= area.top && box.maxX < area.right && box.maxY < area.bottom)
            inside.push_back(row);
    }
    selectRows(inside);
}

void TForm1::playRegions()
{
    constexpr int kLargestShown = 512;
    const std::vector<std::size_t> rows = selectedRows();
    if (rows.empty())
        return;
    // Each chosen frame as the atlas will draw it: its source picture (padding, same size,
    // alignment, the cell it was trimmed from) with the region's own pixels, without the
    // frames drawn over them, in the list's order; all on the anchor.
    SliceOutputs outputs;
    outputs.atlas.emplace();
    const std::optional<RegionOrder> lines = listLines();
    Export->applyTo(outputs, lines.has_value());
    const Slices slices = listedSlices(lines);
    const std::vector<AtlasFrame> drawn = framesOf(slices.placed, slices.names, outputs.crop, slices.extents);
    std::vector<QImage> frames;
    {
        const FramesSetAside aside(frames_, picture_);
        const QImage whole(reinterpret_cast<const uchar*>(picture_.row(0)), picture_.width(), picture_.height(),
                           static_cast<qsizetype>(picture_.width()) * 4, picture_.hasAlpha() ? QImage::Format_ARGB32 : QImage::Format_RGB32);
        for (const std::size_t row : rows) {
            const AtlasFrame& atlasFrame = drawn[row];
            QImage frame(atlasFrame.sourceWidth, atlasFrame.sourceHeight, QImage::Format_ARGB32);
            frame.fill(Qt::transparent);
            QPainter(&frame).drawImage(atlasFrame.offsetX, atlasFrame.offsetY, whole,
                                       atlasFrame.box.minX, atlasFrame.box.minY, atlasFrame.box.width(), atlasFrame.box.height());
            if (std::max(frame.width(), frame.height()) > kLargestShown) // a frame as large as a sheet is shown smaller
                frame = frame.scaled(kLargestShown, kLargestShown, Qt::KeepAspectRatio, Qt::FastTransformation);
            frames.push_back(std::move(frame));
        }
    }
    const Anchor anchor = outputs.atlas->anchor.value_or(Anchor{});
    (new AnimationPlayer(std::move(frames), {anchor.x, anchor.y}, outputs.atlas->frameDuration, this))->show();
}

void TForm1::undoEdit()
{
    if (!regions_.canUndo())
        return;
    const BusyCursor busy;
    showEdit(regions_.undo());
}

void TForm1::redoEdit()
{
    if (!regions_.canRedo())
        return;
    const BusyCursor busy;
    showEdit(regions_.redo());
}
