#pragma once

#include "color.h"
#include "pixel_image.h"
#include "ui_Unit1.h"

#include <QString>
#include <QWidget>

#include <functional>

// The main window. Its controls come from the form in Unit1.ui, under the names it gives
// them (Image1, Panel1, Btn_FindIcons, ...); its handlers are bound there by name.
class TForm1 : public QWidget, public Ui::TForm1 {
    Q_OBJECT
public:
    explicit TForm1(QWidget* owner = nullptr);

    // Asks for the bitmap to open; empty when the user cancels. Tests replace it.
    std::function<QString()> OpenPictureDialog;

    // The colour of the last search.
    iconfinder::ColorValue BackColor = iconfinder::kWhite;

    const iconfinder::PixelImage& picture() const { return picture_; }

public slots:
    void Btn_FindIconsClick();
    void Btn_OpenFileClick();
    void Image1MouseMove(int x, int y);
    void Button1Click();

private:
    void showPicture();

    iconfinder::PixelImage picture_;
};

extern TForm1* Form1;

// The About message, nine lines with their line ends.
extern const QString kAboutText;
