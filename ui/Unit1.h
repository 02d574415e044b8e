#pragma once

#include "formats/picture_file.h"
#include "image/color.h"
#include "image/frame_memory.h"
#include "image/pixel_image.h"
#include "present/frames.h"
#include "atlas/atlas.h"
#include "regions/icon_search.h"
#include "slice/slicing.h"
#include "ui/export_settings.h"
#include "ui/region_list.h"
#include "ui/region_table.h"
#include "ui/search_settings.h"
#include "ui_Unit1.h"

#include <QAction>
#include <QColor>
#include <QLabel>
#include <QString>
#include <QTableView>
#include <QToolButton>
#include <QWidget>

#include <functional>
#include <optional>
#include <span>

// The main window. Its controls come from the form in Unit1.ui, under the names it gives
// them (Image1, Panel1, Btn_FindIcons, ...); its handlers are bound there by name. Around the
// form: the search's settings, the list of the regions found (to correct, with undo), a status
// line, zoom, the background taken from the picture, drag and drop, saving icons and atlases,
// copying what was found, and taking the frames back.
class TForm1 : public QWidget, public Ui::TForm1 {
    Q_OBJECT
public:
    explicit TForm1(QWidget* owner = nullptr);

    // Dialogs, which tests replace: an empty answer or an invalid colour is a cancel.
    std::function<QString()> OpenPictureDialog;
    std::function<QString()> SavePictureDialog;
    std::function<QString()> IconFolderDialog;
    std::function<QColor()> ColorDialog;
    // Asks before files are replaced; false is a cancel.
    std::function<bool(const QString&)> ConfirmDialog;
    // Where the atlas goes and in which layout; none is a cancel.
    struct AtlasChoice {
        QString path;
        iconfinder::AtlasLayout layout = iconfinder::AtlasLayout::Hash;
    };
    std::function<std::optional<AtlasChoice>()> AtlasDialog;
    std::function<QString()> OpenAtlasDialog;

    // Where the file dialogs start: the folder used last.
    QString lastFolder() const { return lastFolder_; }
    // The names the save dialogs suggest: STEM-frames.png, STEM.json.
    QString suggestedPictureName() const;
    QString suggestedAtlasName() const;

    // The colour of the last search (under a colour of the box).
    iconfinder::ColorValue BackColor = iconfinder::kWhite;

    QLabel* StatusLine = nullptr;
    QAction* PickColourAction = nullptr;
    QAction* SavePictureAction = nullptr;
    QAction* SaveIconsAction = nullptr;
    QAction* CopyLinesAction = nullptr;
    QAction* ClearFramesAction = nullptr;
    QAction* SaveAtlasAction = nullptr;
    QAction* SavePackedAtlasAction = nullptr;
    QAction* OpenAtlasAction = nullptr; // its frames become the list
    QAction* DeleteRegionsAction = nullptr;
    QAction* MergeRegionsAction = nullptr;
    QAction* SplitRegionAction = nullptr;
    QAction* PlayAction = nullptr;
    QAction* RenameRegionAction = nullptr;
    QAction* UndoAction = nullptr;
    QAction* RedoAction = nullptr;

    SearchSettings* Settings = nullptr;
    ExportSettings* Export = nullptr; // under the list, folded away until ExportFold opens it
    QToolButton* ExportFold = nullptr;
    QTableView* RegionTable = nullptr; // "영역 목록"

    const iconfinder::PixelImage& picture() const { return picture_; }
    const RegionList& regionList() const { return regions_; }
    // The selected rows of the list, in order.
    std::vector<std::size_t> selectedRows() const;
    void selectRows(const std::vector<std::size_t>& rows);

public slots:
    void Btn_FindIconsClick();
    void Btn_OpenFileClick();
    void Image1MouseMove(int x, int y);
    void Button1Click();

    // Loads a bitmap or PNG as "파일선택" does; a failure is shown and changes nothing.
    void loadFile(const QString& path);
    // Selects a colour in the colour box: its named entry, or one of its own.
    void chooseBackground(iconfinder::Rgb colour);
    void zoomBy(int steps);
    void zoomTo(int percent);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showPicture();
    void fillColourBox();
    void describeControls(); // names, keys and tab order
    void connectPicture();
    void arrangePanel();
    void showStatus();
    void buildActions();
    void pickColourAt(int x, int y);
    void saveFramedPicture();
    void saveIconFiles();
    void saveAtlas();
    void savePackedAtlas();
    void writeAtlas(bool packed);
    void openAtlas();
    void showSaved(const QString& file); // the status says what was written; dialogs start beside it
    iconfinder::SourcePicture sourcePicture();
    iconfinder::Slices listedSlices(std::optional<iconfinder::RegionOrder> lines) const;
    // Writes the outputs for the list as it stands; a failure names the path, else `shownPath`.
    // Returns how many other files the icon folder holds.
    std::size_t writeListed(iconfinder::SliceOutputs outputs, const QString& shownPath);
    // The regions of the form's own search named as find-icons names them, the sprites cut
    // under the settings, and slices framed on the picture, each as the list's rows.
    std::vector<ListedRegion> namedAsFound(const std::vector<iconfinder::RegionBox>& boxes, const iconfinder::NamePattern& names) const;
    std::vector<ListedRegion> cutSprites(const iconfinder::BackgroundRule& rule, const iconfinder::NamePattern& names);
    // How the list's regions lie in rows and columns, for the export: by the order chosen, or
    // in rows when the last search cut a grid; none when neither.
    std::optional<iconfinder::RegionOrder> listLines() const;
    std::vector<ListedRegion> framedAndListed(iconfinder::Slices slices);
    void copyResultLines();
    void clearFrames();
    void buildRegionPanel();
    void buildRegionTable();
    void buildExportFold(class QVBoxLayout* column);
    void listRegions(std::vector<ListedRegion> listed);
    void forgetList(); // the list emptied, as after loading
    // Whether the list may be replaced: nothing in it was changed since the search or the
    // last atlas saved, or the user says its changes may go.
    bool mayDiscardEdits();
    void deleteRegions();
    void mergeRegions();
    void renameRegion();
    bool renameRow(int row, const QString& name);
    bool reshapeRow(int row, int column, const QString& number);
    void addDrawnBox(iconfinder::Rect box);
    void reshapeAndShow(std::size_t row, iconfinder::RegionBox box);
    void splitRegion();
    void playRegions();
    std::vector<std::string> freeNames(std::size_t count, std::size_t skip) const;
    void chooseInside(iconfinder::Rect area);
    void undoEdit();
    void redoEdit();
    void showEdit(const std::vector<std::size_t>& rows);
    void redrawListFrames();
    void selectionChanged();
    void selectAt(int x, int y);
    void colourBoxActivated(int index);
    bool colourBoxKeepsToColours(QEvent* event);
    void fitColourList();
    int steppedZoom(int steps) const;
    void zoomAround(int percent, QPoint at);

    iconfinder::PixelImage picture_;
    iconfinder::FrameMemory frames_;     // what the frames on the picture cover
    RegionList regions_;                 // of the last search, as corrected
    RegionTableModel* regionModel_ = nullptr;
    bool selectingFromPicture_ = false;  // a click on the picture chose the row: no scrolling to it
    iconfinder::BackgroundRule lastRule_ = iconfinder::BackgroundRule::colour({255, 255, 255}); // of that search
    bool listGridded_ = false;           // the list came from a grid's cells
    iconfinder::FileFormat pictureFormat_ = iconfinder::FileFormat::Bmp;
    QString pictureText_;                // the status of the picture as loaded
    QString searchText_;                 // and of the last search, until the frames go
    QString savedText_;                  // what the last save wrote, until the next action
    QString lastFolder_;
    QString pictureStem_ = QStringLiteral("sample");
    QString pictureFile_;                // none for the built-in sample
    int chosenColour_ = 0;               // the colour box's entry before "사용자 정의..."
    int firstRuleEntry() const;          // where "투명" stands, after the colours
    QPoint menuPixel_;                   // where the context menu was asked for
};

extern TForm1* Form1;

// The About message, nine lines with their line ends.
extern const QString kAboutText;
