#pragma once

#include "common/errors.h"
#include "ui/Unit1.h"

#include <QApplication>
#include <QColor>
#include <QString>

#include <optional>
#include <string>

// The window's own dialogs, which tests replace, and what its handlers share.

QString chooseBitmap();
QString choosePictureToSave();
QString chooseIconFolder();
QString chooseAtlasToOpen();
bool confirmReplacing(const QString& question);
QColor chooseColour();
std::optional<TForm1::AtlasChoice> chooseAtlas();

// A file name as the library takes it.
std::string pathOf(const QString& name);

// The error as the window shows it: what could not be done (none when the reason says it in
// the window's words), then the path it concerns and the reason in the library's words.
iconfinder::Error errorAt(const QString& failed, const QString& path, const iconfinder::Error& e);

// A wait cursor while a long handler runs.
struct BusyCursor {
    BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};
