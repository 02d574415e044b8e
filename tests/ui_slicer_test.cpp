// The window as a sprite slicer: its settings cut what find-icons cuts, its list's edits and
// their undo against a model of the list, and icon files and atlases written from the list
// against find-icons' own.
#include "formats/picture_file.h"
#include "present/frames.h"
#include "resources/sample_picture.h"
#include "tests/support/pictures.h"
#include "tests/support/run_command.h"
#include "tests/window_fixture.h"
#include "ui/animation_player.h"
#include "ui/region_list.h"

#include <QAbstractItemModel>
#include <QClipboard>
#include <QComboBox>
#include <QSpinBox>

#include <algorithm>
#include <set>

void PrintTo(const ListedRegion& region, std::ostream* out)
{
    *out << region.name << " (" << region.box.minX << "," << region.box.minY << ")-(" << region.box.maxX << "," << region.box.maxY << ")";
}

using namespace iconfinder;
namespace fs = std::filesystem;
using test::Window;

namespace {

test::CommandResult findIconsCli(const std::vector<std::string>& args) { return test::runCommand(FIND_ICONS, args); }

// What a list becomes, computed plainly: each edit a whole new state.
class ListModel {
public:
    explicit ListModel(std::vector<ListedRegion> start) : states_{std::move(start)} {}
    const std::vector<ListedRegion>& now() const { return states_[at_]; }
    void edit(std::vector<ListedRegion> next)
    {
        states_.resize(at_ + 1);
        states_.push_back(std::move(next));
        ++at_;
    }
    void undo() { at_ -= at_ > 0; }
    void redo() { at_ += at_ + 1 < states_.size(); }
    bool canUndo() const { return at_ > 0; }
    bool canRedo() const { return at_ + 1 < states_.size(); }

    static std::vector<ListedRegion> without(const std::vector<ListedRegion>& list, const std::vector<std::size_t>& rows)
    {
        std::vector<ListedRegion> kept;
        for (std::size_t i = 0; i < list.size(); ++i)
            if (std::ranges::count(rows, i) == 0)
                kept.push_back(list[i]);
        return kept;
    }
    // The first of the rows, in its place, with the box of them all.
    static std::vector<ListedRegion> merged(std::vector<ListedRegion> list, const std::vector<std::size_t>& rows)
    {
        for (const std::size_t row : rows)
            list[rows[0]].box = united(list[rows[0]].box, list[row].box);
        return without(list, {rows.begin() + 1, rows.end()});
    }

private:
    std::vector<std::vector<ListedRegion>> states_;
    std::size_t at_ = 0;
};

// At least `atLeast` rows of `size` (all when there are fewer), as the list selects them.
std::vector<std::size_t> someRows(pictures::Random& random, std::size_t size, std::size_t atLeast)
{
    std::set<std::size_t> rows;
    const std::size_t wanted = atLeast + static_cast<std::size_t>(random.below(4));
    while (rows.size() < std::min(wanted, size))
        rows.insert(static_cast<std::size_t>(random.below(static_cast<int>(size))));
    return {rows.begin(), rows.end()};
}

// Export options as find-icons names them, each with its value ("" for none).
using ExportOptions = std::vector<std::pair<std::string, std::string>>;

// The command line of find-icons for the window's settings; `exporting` the options the
// window's export settings are set to.
struct Case {
    int tolerance, merge, minSize, grid, cell, spacing;
    ExportOptions exporting;
};

void setExport(TForm1& form, const ExportOptions& options)
{
    ExportSettings& settings = *form.Export;
    form.Settings->TrimBox->setChecked(std::ranges::count(options, std::pair<std::string, std::string>("--trim", "")) > 0);
    settings.NameEdit->setText(QString::fromLatin1(kDefaultNamePattern.data(), kDefaultNamePattern.size()));
    for (QComboBox* box : {settings.OrderBox, settings.SameSizeBox, settings.AlignBox, settings.AnchorBox, settings.AnimationsBox})
        box->setCurrentIndex(0);
    settings.PaddingBox->setValue(0);
    const auto place = [](const std::string& word, std::initializer_list<const char*> words) {
        return static_cast<int>(std::find(words.begin(), words.end(), word) - words.begin());
    };
    for (const auto& [option, value] : options) {
        if (option == "--name")
            settings.NameEdit->setText(QString::fromStdString(value));
        else if (option == "--order")
            settings.OrderBox->setCurrentIndex(place(value, {"search", "rows", "columns"}));
        else if (option == "--padding")
            settings.PaddingBox->setValue(std::stoi(value));
        else if (option == "--same-size")
            settings.SameSizeBox->setCurrentIndex(place(value, {"", "all", "rows", "columns"}));
        else if (option == "--align")
            settings.AlignBox->setCurrentIndex(place(value, {"center", "bottom", "bottom-left", "bottom-right", "top-left", "left", "right"}));
        else if (option == "--anchor")
            settings.AnchorBox->setEditText(value == "bottom" ? "아래" : QString::fromStdString(value));
        else if (option == "--animations")
            settings.AnimationsBox->setCurrentIndex(place(value, {"", "rows", "columns", "names"}));
    }
}

// A case's export options that the layout has a place for.
ExportOptions exportingFor(const Case& c, const std::string& layout)
{
    ExportOptions options;
    for (const auto& [option, value] : c.exporting)
        if (!(option == "--anchor" && (layout == "libgdx" || layout == "css")) && !(option == "--animations" && layout != "hash" && layout != "aseprite"))
            options.emplace_back(option, value);
    return options;
}

// The command line of find-icons for the window's settings and export options.
std::vector<std::string> optionsFor(const Case& c, const std::string& background, const ExportOptions& exporting)
{
    std::vector<std::string> options = {"-b", background == "White" ? "White" : "auto", "--tolerance", std::to_string(c.tolerance)};
    if (c.merge > 0 && c.grid < 2)
        options.insert(options.end(), {"--merge", std::to_string(c.merge)});
    if (c.minSize > 0)
        options.insert(options.end(), {"--min-size", std::to_string(c.minSize)});
    if (c.grid == 1)
        options.insert(options.end(), {"--grid", "auto"});
    if (c.grid >= 2)
        options.insert(options.end(), {c.grid == 2 ? "--grid" : "--grid-count", std::to_string(c.cell) + "x" + std::to_string(c.cell),
                                       "--grid-spacing", std::to_string(c.spacing)});
    for (const auto& [option, value] : exporting) {
        if (value.empty())
            options.push_back(option);
        else if (option == "--same-size") // its value is optional: only joined to it
            options.push_back(option + "=" + value);
        else
            options.insert(options.end(), {option, value});
    }
    return options;
}

} // namespace

// For the same settings both programs give the same regions, names, frames, crop bytes and
// atlas bytes (each case in another layout); settings that do not fit give the same reason and
// change nothing.
TEST_F(Window, TheWindowCutsWhatFindIconsCuts)
{
    PixelImage sheet = pictures::iconSheet(330, 250, 5);
    for (int x = 3; x < 320; x += 37)
        sheet.at(x, 1) = makePixel(250, 250, 250); // faint marks
    writePictureFile(sheet, FileFormat::Png, dir / "sheet.png");
    writePictureFile(samplePicture(), FileFormat::Png, dir / "sample.png");
    const Case cases[] = {
        {0, 0, 0, 0, 0, 0, {}},
        {10, 0, 0, 0, 0, 0, {{"--order", "rows"}, {"--name", "{stem}_r{row}c{col:02}"}, {"--padding", "2"}, {"--same-size", "rows"},
                             {"--align", "bottom"}, {"--anchor", "bottom"}, {"--animations", "rows"}}},
        {0, 3, 0, 0, 0, 0, {{"--order", "columns"}, {"--same-size", "all"}, {"--align", "left"}, {"--anchor", "0.25,1"}, {"--animations", "columns"}}},
        {0, 0, 12, 0, 0, 0, {{"--name", "walk_{n}"}, {"--animations", "names"}, {"--padding", "1"}}},
        {8, 2, 9, 0, 0, 0, {}},
        {0, 0, 0, 1, 0, 0, {{"--same-size", "columns"}, {"--align", "top-left"}, {"--animations", "rows"}}},
        {0, 4, 0, 1, 0, 0, {}},
        {0, 0, 0, 2, 31, 0, {{"--name", "{stem}-{row}-{col}"}, {"--anchor", "center"}, {"--trim", ""}}},
        {0, 0, 20, 2, 30, 1, {}},
        {0, 0, 0, 2, 500, 0, {}},
        {0, 0, 0, 3, 9, 2, {{"--trim", ""}, {"--padding", "1"}}},
        {0, 0, 0, 3, 400, 0, {}}};
    const std::pair<const char*, AtlasLayout> layouts[] = {{"hash", AtlasLayout::Hash},         {"array", AtlasLayout::Array},
                                                           {"aseprite", AtlasLayout::Aseprite}, {"starling", AtlasLayout::Starling},
                                                           {"libgdx", AtlasLayout::Libgdx},     {"css", AtlasLayout::Css}};
    int round = 0;
    for (const fs::path& file : {dir / "sheet.png", dir / "sample.png"}) {
        // One search after another: each sees the picture as loaded, not the last one's frames.
        openFile(file);
        for (const std::string background : {"White", "자동"}) {
            for (const Case& c : cases) {
                const auto& [layoutName, layout] = layouts[round++ % 6];
                const PixelImage before = form->picture();
                const std::vector<ListedRegion> listed = form->regionList().regions();
                choose(background.c_str());
                form->Settings->ToleranceBox->setValue(c.tolerance);
                form->Settings->MergeBox->setValue(c.merge);
                form->Settings->MinSizeBox->setValue(c.minSize);
                form->Settings->GridBox->setCurrentIndex(c.grid);
                form->Settings->CellWidthBox->setValue(c.cell);
                form->Settings->CellHeightBox->setValue(c.cell);
                form->Settings->SpacingBox->setValue(c.spacing);
                const ExportOptions exporting = exportingFor(c, layoutName);
                setExport(*form, exporting);
                const std::vector<std::string> settings = optionsFor(c, background, exporting);
                std::vector<std::string> args = settings;
                std::string what = file.filename().string();
                for (const std::string& word : args)
                    what += " " + word;
                const fs::path atlas = dir / ("cli." + std::string(atlasExtension(layout))), mine = dir / ("window." + std::string(atlasExtension(layout)));
                fs::remove_all(dir / "cli-crops");
                fs::remove_all(dir / "crops");
                args.insert(args.end(), {"--framed", (dir / "framed.png").string(), "--crop", (dir / "cli-crops").string(), "--atlas",
                                         atlas.string(), "--atlas-format", layoutName, file.string()});
                const std::size_t messagesBefore = messages.size();
                press(form->Btn_FindIcons);
                const test::CommandResult cli = findIconsCli(args);
                if (cli.exitCode != 0) {
                    // The same refusal, in the window's words: its controls, never an option.
                    ASSERT_EQ(messages.size(), messagesBefore + 1) << what;
                    const QString said = messages.back();
                    EXPECT_TRUE(said.contains("격자") && !said.contains("--") && !said.contains("cells")) << what << ": " << said.toStdString();
                    EXPECT_TRUE(form->picture() == before) << what;
                    EXPECT_EQ(form->regionList().regions(), listed) << what;
                    continue;
                }
                ASSERT_EQ(messages.size(), messagesBefore) << what << ": " << messages.back().toStdString();
                keys(QKeySequence("Ctrl+C"));
                EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(), cli.out) << what;
                PictureBuilder framed;
                readPictureFile(dir / "framed.png", framed);
                EXPECT_TRUE(form->picture() == framed.take()) << what;
                form->IconFolderDialog = [&] { return QString::fromStdString((dir / "crops").string()); };
                keys(QKeySequence("Ctrl+Shift+S"));
                form->AtlasDialog = [&] { return TForm1::AtlasChoice{QString::fromStdString(mine.string()), layout}; };
                keys(QKeySequence("Ctrl+E"));
                EXPECT_EQ(test::slurp(mine), test::slurp(atlas)) << what;
                // Packed, the same page and the same atlas but for the page's name.
                const std::string extension = std::string(1, '.').append(atlasExtension(layout));
                std::vector<std::string> packing = settings;
                packing.insert(packing.end(), {"--atlas", (dir / "cli-packed").string() + extension, "--atlas-format", layoutName, "--pack",
                                               (dir / "cli-packed.png").string(), file.string()});
                ASSERT_EQ(findIconsCli(packing).exitCode, 0) << what;
                form->AtlasDialog = [&] { return TForm1::AtlasChoice{QString::fromStdString((dir / "packed").string() + extension), layout}; };
                keys(QKeySequence("Ctrl+Shift+E"));
                EXPECT_EQ(test::slurp(dir / "packed.png"), test::slurp(dir / "cli-packed.png")) << what;
                std::string cliText = test::slurp((dir / "cli-packed").string() + extension);
                for (std::size_t at; (at = cliText.find("cli-packed")) != std::string::npos;)
                    cliText.replace(at, 10, "packed");
                EXPECT_EQ(test::slurp((dir / "packed").string() + extension), cliText) << what;
                for (const ListedRegion& region : form->regionList().regions())
                    EXPECT_EQ(test::slurp(dir / "crops" / (region.name + ".png")), test::slurp(dir / "cli-crops" / (region.name + ".png")))
                        << what << " " << region.name;
                EXPECT_EQ(test::entriesIn(dir / "cli-crops"), form->regionList().size()) << what;
            }
        }
    }
    // Back at the defaults, the form's own search.
    for (QSpinBox* box : {form->Settings->ToleranceBox, form->Settings->MergeBox, form->Settings->MinSizeBox})
        box->setValue(0);
    form->Settings->GridBox->setCurrentIndex(0);
    setExport(*form, {});
    EXPECT_TRUE(form->Settings->atDefaults() && form->Export->atDefaults());
    EXPECT_FALSE(form->Settings->CellWidthBox->isEnabled()) << "cell sizes only for a grid of given size";
}

TEST_F(Window, TheListCorrectsTheSearchWithUndo)
{
    press(form->Btn_FindIcons);
    const PixelImage searched = form->picture();
    const PixelImage original = samplePicture();
    const auto framedAsListed = [&] {
        PixelImage expected = original;
        std::vector<RegionBox> boxes;
        for (const ListedRegion& region : form->regionList().regions())
            boxes.push_back(region.box);
        drawFrames(expected, boxes);
        return expected;
    };
    QAbstractItemModel* table = form->RegionTable->model();
    ASSERT_EQ(table->rowCount(), 62);
    EXPECT_EQ(table->columnCount(), 5);
    EXPECT_EQ(table->index(0, 0).data().toString(), "icon-0001") << "named as find-icons names them";
    const RegionBox first = form->regionList().regions()[0].box;
    EXPECT_EQ(table->index(0, 1).data().toInt(), first.minX);
    EXPECT_EQ(table->index(0, 3).data().toInt(), first.width());

    // Selection marks frames over the picture, never in it.
    form->selectRows({2, 3});
    EXPECT_EQ(form->Image1->highlights(),
              (std::vector<Rect>{frameRect(form->regionList().regions()[2].box), frameRect(form->regionList().regions()[3].box)}));
    EXPECT_TRUE(form->picture() == searched);

    // A click inside boxes chooses the smallest under the pointer.
    ListModel model(form->regionList().regions());
    form->selectRows({0, 1});
    keys(QKeySequence("Ctrl+G"));
    model.edit(ListModel::merged(model.now(), {0, 1}));
    ASSERT_EQ(form->regionList().size(), 61u);
    const RegionBox merged = form->regionList().regions()[0].box;
    EXPECT_TRUE(form->picture() == framedAsListed());
    const RegionBox inside = form->regionList().regions()[0].box;
    for (std::size_t row = 1; row < form->regionList().size(); ++row) {
        const RegionBox& box = form->regionList().regions()[row].box;
        if (box.minX >= merged.minX && box.maxX <= merged.maxX && box.minY >= merged.minY && box.maxY <= merged.maxY) {
            QTest::mouseClick(form->Image1, Qt::LeftButton, {}, QPoint(box.minX + 1, box.minY + 1));
            EXPECT_EQ(form->selectedRows(), std::vector<std::size_t>{row}) << "the smaller box";
        }
    }
    QTest::mouseClick(form->Image1, Qt::LeftButton, {}, QPoint(inside.minX, inside.minY));
    EXPECT_EQ(form->selectedRows(), std::vector<std::size_t>{0});
    QTest::mouseClick(form->Image1, Qt::LeftButton, {}, QPoint(0, 0));
    EXPECT_TRUE(form->selectedRows().empty()) << "outside every box";

    // Random edits through the keys, against a model of the list and the frames it gives.
    keys(QKeySequence("Ctrl+Z"));
    model.undo();
    ASSERT_TRUE(form->picture() == searched);
    pictures::Random random(3);
    for (int step = 0; step < 150; ++step) {
        const std::string where = "step " + std::to_string(step);
        const std::size_t size = form->regionList().size();
        const int what = random.below(6);
        if (what == 0 && size > 0) {
            const std::vector<std::size_t> rows = someRows(random, size, 1);
            form->selectRows(rows);
            form->RegionTable->setFocus();
            QTest::keyClick(form->RegionTable, Qt::Key_Delete);
            model.edit(ListModel::without(model.now(), rows));
        } else if (what == 1 && size > 1) {
            const std::vector<std::size_t> rows = someRows(random, size, 2);
            form->selectRows(rows);
            keys(QKeySequence("Ctrl+G"));
            model.edit(ListModel::merged(model.now(), rows));
        } else if (what == 2 && size > 0) {
            const int row = random.below(static_cast<int>(size));
            const QString name = QString("sprite-%1").arg(step);
            ASSERT_TRUE(table->setData(table->index(row, 0), name)) << where;
            QApplication::processEvents();
            std::vector<ListedRegion> next = model.now();
            next[static_cast<std::size_t>(row)].name = name.toStdString();
            model.edit(std::move(next));
        } else if (what == 5 && size > 0) {
            // A number typed in: x moves the box across, 너비 moves its right edge; within the picture.
            const int row = random.below(static_cast<int>(size));
            RegionBox box = model.now()[static_cast<std::size_t>(row)].box;
            const bool across = random.chance(50);
            const int value = across ? random.between(0, 395 - box.width()) : random.between(1, 395 - box.minX);
            ASSERT_TRUE(table->setData(table->index(row, across ? 1 : 3), QString::number(value))) << where;
            QApplication::processEvents();
            box = across ? RegionBox{value, box.minY, value + box.width() - 1, box.maxY} : RegionBox{box.minX, box.minY, box.minX + value - 1, box.maxY};
            std::vector<ListedRegion> next = model.now();
            next[static_cast<std::size_t>(row)].box = box;
            if (next != model.now())
                model.edit(std::move(next));
        } else if (what == 3) {
            keys(QKeySequence("Ctrl+Z"));
            model.undo();
        } else {
            keys(random.chance(50) ? QKeySequence("Ctrl+Y") : QKeySequence("Ctrl+Shift+Z"));
            model.redo();
        }
        ASSERT_EQ(form->regionList().regions(), model.now()) << where;
        ASSERT_EQ(table->rowCount(), static_cast<int>(model.now().size())) << where;
        ASSERT_TRUE(form->picture() == framedAsListed()) << where;
        ASSERT_EQ(std::pair(form->UndoAction->isEnabled(), form->RedoAction->isEnabled()), std::pair(model.canUndo(), model.canRedo())) << where;
    }
    while (form->UndoAction->isEnabled())
        keys(QKeySequence("Ctrl+Z"));
    EXPECT_TRUE(form->picture() == searched) << "undone to the search";
    EXPECT_EQ(form->regionList().size(), 62u);

    // F2 edits the name in place; Enter renames, and Ctrl+Z takes it back.
    form->selectRows({3});
    form->Image1->setFocus();
    keys(QKeySequence(Qt::Key_F2));
    QWidget* editor = QApplication::focusWidget();
    ASSERT_TRUE(editor && form->RegionTable->isAncestorOf(editor));
    QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(editor, "star");
    QTest::keyClick(editor, Qt::Key_Return);
    QApplication::processEvents(); // the edit's commit, then the list's update it queues
    QApplication::processEvents();
    EXPECT_EQ(form->regionList().regions()[3].name, "star");
    keys(QKeySequence("Ctrl+Z"));
    EXPECT_EQ(form->regionList().regions()[3].name, "icon-0004");

    // Names no file could have, or another region's, are refused with a message.
    for (const std::string& bad : std::vector<std::string>{"", ".", "..", "a/b", "tab\there", std::string(201, 'x')})
        EXPECT_FALSE(table->setData(table->index(0, 0), QString::fromStdString(bad))) << bad;
    EXPECT_FALSE(table->setData(table->index(0, 0), "icon-0002"));
    ASSERT_EQ(messages.size(), 7u);
    EXPECT_EQ(messages.back(), "'icon-0002'은(는) 이미 다른 영역의 이름입니다");
    EXPECT_EQ(form->regionList().regions()[0].name, "icon-0001");
    EXPECT_FALSE(form->UndoAction->isEnabled());
    // Numbers that are none, or a box left outside the picture, are refused; a box reaching
    // out of the picture is cut off at its edge.
    for (const auto& [column, text] : {std::pair{3, "x"}, {1, "395"}, {4, "0"}})
        EXPECT_FALSE(table->setData(table->index(0, column), text)) << column << " " << text;
    EXPECT_EQ(messages.size(), 10u);
    EXPECT_FALSE(form->UndoAction->isEnabled());
    ASSERT_TRUE(table->setData(table->index(0, 2), "305")); // a box 6 high
    QApplication::processEvents();
    EXPECT_EQ(form->regionList().regions()[0].box.maxY, 307);
    keys(QKeySequence("Ctrl+Z"));

    // An edited list is not thrown away unasked: a new search, another picture, an atlas or
    // closing the window ask first, and a no changes nothing.
    table->setData(table->index(1, 0), "edited");
    QApplication::processEvents();
    const std::vector<ListedRegion> edited = form->regionList().regions();
    const PixelImage shown = form->picture();
    QStringList asked;
    form->ConfirmDialog = [&](const QString& question) {
        asked << question;
        return false;
    };
    writePictureFile(original, FileFormat::Png, dir / "other.png");
    press(form->Btn_FindIcons);
    openFile(dir / "other.png");
    form->OpenAtlasDialog = [&] { return QString::fromStdString((dir / "any.json").string()); };
    keys(QKeySequence("Ctrl+Shift+O"));
    EXPECT_FALSE(form->close());
    EXPECT_EQ(asked, QStringList(4, "영역 목록의 변경을 버릴까요?"));
    EXPECT_EQ(form->regionList().regions(), edited);
    EXPECT_TRUE(form->picture() == shown);

    // Esc, also after a drop-down closed with it, or a rename given up, takes only the
    // drop-down or the editor away; else the frames and the list, as one more edit.
    form->ColorBox->showPopup();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    form->selectRows({0});
    form->Image1->setFocus();
    keys(QKeySequence(Qt::Key_F2));
    ASSERT_TRUE(form->RegionTable->isAncestorOf(QApplication::focusWidget()));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    EXPECT_EQ(form->regionList().regions(), edited);
    keys(QKeySequence(Qt::Key_Escape));
    EXPECT_TRUE(form->picture() == original);
    EXPECT_EQ(table->rowCount(), 0);
    keys(QKeySequence("Ctrl+Z"));
    EXPECT_EQ(form->regionList().regions(), edited);
    EXPECT_TRUE(form->picture() == shown);
    // Undone back to the search, the list holds nothing to lose.
    keys(QKeySequence("Ctrl+Z"));
    EXPECT_TRUE(form->close());
    EXPECT_EQ(asked.size(), 4);
}

// Dragged with Shift over the picture, a new box (an undoable edit); dragged without, the boxes
// inside are chosen; a box split gives the regions the search finds inside it.
TEST_F(Window, BoxesDrawnChosenAndSplit)
{
    press(form->Btn_FindIcons);
    const std::vector<ListedRegion> found = form->regionList().regions();
    const auto drag = [&](QPoint from, QPoint to, Qt::KeyboardModifiers keys) {
        QTest::mousePress(form->Image1, Qt::LeftButton, keys, from);
        QMouseEvent move(QEvent::MouseMove, QPointF(to), form->Image1->mapToGlobal(QPointF(to)), Qt::NoButton, Qt::LeftButton, keys);
        QApplication::sendEvent(form->Image1, &move);
        QTest::mouseRelease(form->Image1, Qt::LeftButton, keys, to);
    };
    drag({390, 300}, {420, 280}, Qt::ShiftModifier); // past the picture's right edge, upwards
    ASSERT_EQ(form->regionList().size(), found.size() + 1);
    const ListedRegion drawn = form->regionList().regions().back();
    EXPECT_EQ(drawn.box, (RegionBox{390, 280, 394, 300})) << "cut off at the picture's edge";
    EXPECT_EQ(drawn.name, "icon-0063");
    EXPECT_EQ(form->selectedRows(), std::vector<std::size_t>{found.size()});
    keys(QKeySequence("Ctrl+Z"));
    EXPECT_EQ(form->regionList().regions(), found);

    // A chosen box's corner dragged out and past the picture: the box grows to the picture's edge.
    form->selectRows({0});
    const RegionBox first = found[0].box;
    drag({first.maxX + 1, first.maxY + 1}, {500, 320}, Qt::NoModifier);
    EXPECT_EQ(form->regionList().regions()[0].box, (RegionBox{first.minX, first.minY, 394, 307}));
    EXPECT_EQ(form->selectedRows(), std::vector<std::size_t>{0});
    keys(QKeySequence("Ctrl+Z"));
    EXPECT_EQ(form->regionList().regions(), found);

    // The anchor shows in a chosen box; its marker dragged to the box's corner and past the
    // other is the anchor typed, from 0 to 1.
    form->Export->AnchorBox->setEditText("아래");
    const QPointF bottom = form->Image1->pivotPlace(0);
    EXPECT_EQ(bottom, QPointF((first.minX + first.maxX + 1) / 2.0, first.maxY + 1));
    drag(bottom.toPoint(), {first.minX, first.minY}, Qt::NoModifier);
    EXPECT_EQ(form->Export->AnchorBox->currentText(), "0,0");
    EXPECT_EQ(form->Image1->pivotPlace(0), QPointF(first.minX, first.minY));
    drag({first.minX, first.minY}, {first.maxX + 30, first.maxY + 30}, Qt::NoModifier);
    EXPECT_EQ(form->Export->AnchorBox->currentText(), "1,1");
    EXPECT_EQ(form->regionList().regions(), found) << "the box stays";
    form->Export->AnchorBox->setCurrentIndex(0);

    // The first row of icons, and nothing below it (QTest takes 0,0 for the middle).
    drag({1, 1}, {394, 70}, Qt::NoModifier);
    std::vector<std::size_t> inside;
    for (std::size_t row = 0; row < found.size(); ++row)
        if (found[row].box.maxY < 71)
            inside.push_back(row);
    EXPECT_FALSE(inside.empty());
    EXPECT_EQ(form->selectedRows(), inside);

    // Two neighbours whose common box meets no other box, merged, then split again: the two
    // boxes, the first keeping its name.
    const auto alone = [&](std::size_t a) {
        const RegionBox box = united(found[a].box, found[a + 1].box);
        for (std::size_t k = 0; k < found.size(); ++k)
            if (k != a && k != a + 1 && found[k].box.minX <= box.maxX && box.minX <= found[k].box.maxX && found[k].box.minY <= box.maxY &&
                box.minY <= found[k].box.maxY)
                return false;
        return true;
    };
    std::size_t a = 0;
    while (a + 1 < found.size() && !alone(a))
        ++a;
    ASSERT_LT(a + 1, found.size());
    const std::size_t b = a + 1;
    form->selectRows({a, b});
    keys(QKeySequence("Ctrl+G"));
    const RegionBox merged = form->regionList().regions()[a].box;
    form->selectRows({a});
    keys(QKeySequence("Ctrl+Shift+G"));
    const std::vector<ListedRegion>& split = form->regionList().regions();
    ASSERT_EQ(split.size(), found.size());
    EXPECT_EQ(split[a], found[a]);
    EXPECT_EQ(split[b].box, found[b].box);
    EXPECT_EQ(form->selectedRows(), (std::vector<std::size_t>{a, b}));
    keys(QKeySequence("Ctrl+Z"));
    EXPECT_EQ(form->regionList().regions()[a].box, merged);

    // A box drawn round three sprites and split: each part a name of its own, also when a
    // name the parts would take is another region's already.
    drag({1, 1}, {120, 60}, Qt::ShiftModifier);
    const std::size_t size = form->regionList().size();
    QAbstractItemModel* table = form->RegionTable->model();
    ASSERT_TRUE(table->setData(table->index(0, 0), QString("icon-%1").arg(size + 2, 4, 10, QChar('0'))));
    QApplication::processEvents();
    form->selectRows({size - 1});
    keys(QKeySequence("Ctrl+Shift+G"));
    std::set<std::string> names;
    for (const ListedRegion& region : form->regionList().regions())
        names.insert(region.name);
    EXPECT_GE(form->regionList().size(), size + 2);
    EXPECT_EQ(names.size(), form->regionList().size());
}

// 재생 plays the chosen regions, one after another at the atlases' frame duration, each drawn
// as the atlas draws it and placed by the anchor.
TEST_F(Window, ChosenRegionsPlayAsAnAnimation)
{
    press(form->Btn_FindIcons);
    form->selectRows({0, 1, 2});
    for (const bool sameSize : {false, true}) {
        setExport(*form, sameSize ? ExportOptions{{"--same-size", "all"}, {"--padding", "1"}} : ExportOptions{{"--anchor", "bottom"}});
        keys(QKeySequence("Ctrl+P"));
        AnimationPlayer* player = form->findChild<AnimationPlayer*>();
        ASSERT_TRUE(player);
        ASSERT_EQ(player->frameCount(), 3);
        EXPECT_EQ(player->currentFrame(), 0);
        for (int frame = 1; frame < 3; ++frame) {
            const QRect first = player->placeOf(0), place = player->placeOf(frame);
            if (sameSize) {
                EXPECT_EQ(place, first) << "frames of one size, centred alike";
            } else {
                EXPECT_EQ(place.bottom(), first.bottom()) << "standing on the anchor";
                EXPECT_NE(place.height(), first.height());
            }
        }
        QTest::qWait(250);
        EXPECT_NE(player->currentFrame(), 0) << "it plays";
        delete player;
        form->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    }
}

TEST_F(Window, TheCorrectedListIsWhatIsWrittenAndOpenedAgain)
{
    // The built-in sample has no file for an atlas to point at.
    press(form->Btn_FindIcons);
    form->AtlasDialog = [] { return std::optional<TForm1::AtlasChoice>(); };
    keys(QKeySequence("Ctrl+E"));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], "아틀라스는 그림 파일을 가리킵니다: 먼저 그림 파일을 여세요");
    messages.clear();

    const fs::path file = dir / "sample.png";
    writePictureFile(samplePicture(), FileFormat::Png, file);
    openFile(file);
    EXPECT_EQ(form->suggestedAtlasName(), "sample.json");
    press(form->Btn_FindIcons);

    // Corrected, the list is what both write: its atlas read back by find-icons cuts the same icons.
    form->selectRows({4, 5, 6});
    keys(QKeySequence(Qt::Key_Delete));
    form->selectRows({0, 1});
    keys(QKeySequence("Ctrl+G"));
    QAbstractItemModel* table = form->RegionTable->model();
    table->setData(table->index(2, 0), "hero");
    QApplication::processEvents();
    const PixelImage shownWithList = form->picture();
    const fs::path atlas = dir / "corrected.json";
    form->AtlasDialog = [&] { return TForm1::AtlasChoice{QString::fromStdString(atlas.string()), AtlasLayout::Array}; };
    keys(QKeySequence("Ctrl+E"));
    form->IconFolderDialog = [&] { return QString::fromStdString((dir / "icons").string()); };
    keys(QKeySequence("Ctrl+Shift+S"));
    ASSERT_TRUE(messages.empty()) << messages[0].toStdString();
    ASSERT_EQ(findIconsCli({"--regions-from", atlas.string(), "--crop", (dir / "cli-icons").string(), file.string()}).exitCode, 0);
    const std::size_t icons = form->regionList().size();
    EXPECT_EQ(icons, 62u - 3u - 1u);
    for (const ListedRegion& region : form->regionList().regions()) {
        const std::string name = region.name + ".png";
        EXPECT_EQ(test::slurp(dir / "icons" / name), test::slurp(dir / "cli-icons" / name)) << name;
        EXPECT_FALSE(test::slurp(dir / "icons" / name).empty()) << name;
    }
    EXPECT_TRUE(fs::exists(dir / "icons" / "hero.png"));
    // Opened again, the atlas is the list as it was saved; saved, the list was not asked about.
    const std::vector<ListedRegion> saved = form->regionList().regions();
    form->ConfirmDialog = [](const QString& question) {
        ADD_FAILURE() << question.toStdString();
        return false;
    };
    form->OpenAtlasDialog = [&] { return QString::fromStdString(atlas.string()); };
    keys(QKeySequence("Ctrl+Shift+O"));
    EXPECT_EQ(form->regionList().regions(), saved);
    EXPECT_TRUE(form->picture() == shownWithList) << "framed as the list";
    EXPECT_EQ(test::entriesIn(dir / "icons"), icons);

    // Atlases that cannot be written: a message naming the file and why; nothing written,
    // nothing changed.
    const PixelImage shown = form->picture();
    const std::string pictureBytes = test::slurp(file);
    form->AtlasDialog = [&] { return TForm1::AtlasChoice{QString::fromStdString((dir / "none" / "a.json").string()), AtlasLayout::Hash}; };
    keys(QKeySequence("Ctrl+E"));
    form->AtlasDialog = [&] { return TForm1::AtlasChoice{QString::fromStdString(file.string()), AtlasLayout::Hash}; };
    keys(QKeySequence("Ctrl+E"));
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_TRUE(messages[0].startsWith("저장할 수 없습니다\n" + QString::fromStdString((dir / "none" / "a.json").string()) + ": ")) << messages[0].toStdString();
    EXPECT_EQ(messages[1], "저장할 수 없습니다\n" + QString::fromStdString(file.string()) + ": 열려 있는 그림 파일이므로 덮어쓰지 않습니다");
    EXPECT_EQ(test::slurp(file), pictureBytes);
    EXPECT_FALSE(fs::exists(dir / "none"));
    // Export settings the layout or the list cannot hold: said in the window's words, naming
    // the control; nothing written.
    messages.clear();
    const fs::path refused = dir / "refused.xml";
    form->AtlasDialog = [&] { return TForm1::AtlasChoice{QString::fromStdString(refused.string()), AtlasLayout::Starling}; };
    const std::pair<ExportOptions, QString> misfits[] = {{{{"--animations", "names"}}, "애니메이션: starling 형식"},
                                                         {{{"--animations", "rows"}}, "행마다나 열마다는 순서가"},
                                                         {{{"--anchor", "1,2"}}, "기준점: '1,2'"},
                                                         {{{"--name", "{row}"}}, "이름: {row}"},
                                                         {{{"--name", "same"}}, "이름: two regions have the same name 'same'"}};
    for (const auto& [options, said] : misfits) {
        setExport(*form, options);
        keys(QKeySequence(options[0].first == "--name" ? "Ctrl+F" : "Ctrl+E"));
        ASSERT_FALSE(messages.empty()) << options[0].first;
        EXPECT_TRUE(messages.back().startsWith(said) && !messages.back().contains("--")) << messages.back().toStdString();
    }
    EXPECT_EQ(messages.size(), std::size(misfits));
    EXPECT_FALSE(fs::exists(refused));
    EXPECT_TRUE(form->picture() == shown);
    EXPECT_EQ(form->regionList().size(), icons);
}
