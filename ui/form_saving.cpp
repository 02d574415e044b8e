// The window's saves (the framed picture, icon files, atlases) and an atlas opened as the
// list: all through the slicing layer find-icons uses, never over the open picture.
#include "ui/Unit1.h"

#include "files/file_io.h"
#include "present/report.h"
#include "slice/slicing.h"
#include "ui/application.h"
#include "ui/dialogs.h"

#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>

#include <algorithm>

using namespace iconfinder;

namespace {

const QString kNotSaved = QStringLiteral("저장할 수 없습니다");

// A path the window may write: never the picture it shows, also through links.
void refuseThePicture(const QString& pictureFile, const std::filesystem::path& path)
{
    if (pictureFile.isEmpty())
        return;
    const auto target = identityOf(path);
    if (target && target == identityOf(pathOf(pictureFile)))
        throw IoError("열려 있는 그림 파일이므로 덮어쓰지 않습니다", path.string());
}

} // namespace

void TForm1::showSaved(const QString& file)
{
    lastFolder_ = QFileInfo(file).absolutePath();
    savedText_ = "저장함: " + QDir::toNativeSeparators(file);
    showStatus();
}

SourcePicture TForm1::sourcePicture()
{
    return {&picture_, picture_.width(), picture_.height(), pictureFormat_, lastRule_, pathOf(pictureFile_), pictureStem_.toStdString()};
}

std::optional<RegionOrder> TForm1::listLines() const
{
    if (Export->order() != RegionOrder::Search)
        return Export->order();
    return listGridded_ ? std::optional(RegionOrder::Rows) : std::nullopt;
}

Slices TForm1::listedSlices(std::optional<RegionOrder> lines) const
{
    Slices slices;
    slices.placed.reserve(regions_.size());
    slices.names.reserve(regions_.size());
    const bool trimmed = std::any_of(regions_.regions().begin(), regions_.regions().end(), [](const ListedRegion& r) { return r.cell.has_value(); });
    for (const ListedRegion& region : regions_.regions()) {
        slices.placed.push_back({region.box, 0, 0, slices.placed.size()});
        slices.names.push_back(region.name);
        if (trimmed)
            slices.extents.push_back(region.cell.value_or(region.box));
    }
    // Rows and columns as the list's boxes lie now, edits and all; the list keeps its order.
    if (lines) {
        const std::vector<RegionBox> boxes = boxesOf(slices.placed);
        for (const PlacedRegion& placed : orderRegions(boxes, *lines)) {
            slices.placed[placed.source].row = placed.row;
            slices.placed[placed.source].column = placed.column;
        }
    }
    return slices;
}

std::size_t TForm1::writeListed(SliceOutputs outputs, const QString& shownPath)
{
    const std::optional<RegionOrder> lines = listLines();
    Export->applyTo(outputs, lines.has_value());
    try {
        return writeSlices(sourcePicture(), listedSlices(lines), outputs,
                    [this](OutputKind, const std::filesystem::path& path) { refuseThePicture(pictureFile_, path); });
    } catch (const IoError& e) {
        throw errorAt(kNotSaved, e.path().empty() ? shownPath : QFile::decodeName(QByteArray::fromStdString(e.path())), e);
    } catch (const Error& e) {
        throw errorAt(kNotSaved, shownPath, e);
    }
}

void TForm1::saveFramedPicture()
{
    const QString name = SavePictureDialog();
    if (name.isEmpty())
        return;
    const auto format = formatOfName(pathOf(name));
    try {
        if (!format)
            throw IoError("이름이 .bmp나 .png로 끝나야 합니다");
        refuseThePicture(pictureFile_, pathOf(name));
        writePictureFile(picture_, *format, pathOf(name));
    } catch (const Error& e) {
        throw errorAt(kNotSaved, name, e);
    }
    showSaved(name);
}

void TForm1::saveIconFiles()
{
    const QString folder = IconFolderDialog();
    if (folder.isEmpty())
        return;
    const BusyCursor busy;
    // As find-icons --crop writes them, in the picture's own format.
    SliceOutputs outputs;
    outputs.cropFolder = pathOf(folder);
    const FileFormat format = cropFormatFor(std::nullopt, false, pictureFormat_);
    // Files of these names already there are replaced only when the user says so, once.
    const QDir into(folder);
    int existing = 0;
    for (const ListedRegion& region : regions_.regions())
        existing += into.exists(QString::fromStdString(cropFileName(region.name, format)));
    if (existing > 0 && !ConfirmDialog(QString("%1개 파일이 이미 있습니다. 바꿀까요?").arg(existing)))
        return;
    std::size_t kept = 0;
    {
        // The picture's own pixels, without the frames, which are set aside for the while.
        const FramesSetAside aside(frames_, picture_);
        kept = writeListed(outputs, folder);
    }
    lastFolder_ = QDir(folder).absolutePath();
    savedText_ = QString("아이콘 %1개 저장함: %2").arg(regions_.size()).arg(QDir::toNativeSeparators(folder));
    if (kept > 0)
        savedText_ += QString(" (전부터 있던 파일 %1개는 그대로)").arg(kept);
    showStatus();
}

QString TForm1::suggestedAtlasName() const { return pictureStem_ + ".json"; }

void TForm1::saveAtlas() { writeAtlas(false); }

void TForm1::savePackedAtlas() { writeAtlas(true); }

void TForm1::writeAtlas(bool packed)
{
    // An atlas names the picture it cuts: the built-in sample has no file to name; a packed
    // one, the picture of its frames packed, written beside it as ATLAS.png.
    if (pictureFile_.isEmpty() && !packed)
        throw Error("아틀라스는 그림 파일을 가리킵니다: 먼저 그림 파일을 여세요");
    const std::optional<AtlasChoice> choice = AtlasDialog();
    if (!choice)
        return;
    SliceOutputs outputs;
    outputs.atlas.emplace();
    outputs.atlas->path = pathOf(choice->path);
    outputs.atlas->layout = choice->layout;
    if (packed)
        outputs.atlas->pack = std::filesystem::path(outputs.atlas->path).replace_extension(".png");
    const BusyCursor busy;
    const FramesSetAside aside(frames_, picture_); // packed frames are cut from the picture's own pixels
    writeListed(outputs, choice->path);
    regions_.markSaved();
    showSaved(choice->path);
}

void TForm1::openAtlas()
{
    const QString name = OpenAtlasDialog();
    if (name.isEmpty() || !mayDiscardEdits())
        return;
    const BusyCursor busy;
    FramesReplaced replaced(frames_, picture_);
    Slices slices;
    try {
        slices = slicesOfFrames(framesOfPicture(readAtlasFile(pathOf(name)), pathOf(pictureFile_)), picture_.width(), picture_.height());
        checkFileNames(slices.names);
    } catch (const Error& e) {
        throw errorAt("아틀라스를 열 수 없습니다", name, e);
    }
    // As a search would list them, with the atlas's own names.
    savedText_.clear();
    listRegions(framedAndListed(std::move(slices)));
    listGridded_ = false;
    replaced.keep();
    lastFolder_ = QFileInfo(name).absolutePath();
    searchText_ = QString("아틀라스의 영역 %1개: %2").arg(regions_.size()).arg(QFileInfo(name).fileName());
    showStatus();
    Image1->update();
}

void TForm1::copyResultLines()
{
    std::string text;
    for (const ListedRegion& region : regions_.regions())
        appendLine(text, region.box, "");
    QGuiApplication::clipboard()->setText(QString::fromStdString(text));
}
