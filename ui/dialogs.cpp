#include "ui/dialogs.h"

#include "atlas/atlas.h"
#include "ui/application.h"

#include <QColorDialog>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>

using namespace iconfinder;

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
    // In the picture's own format, as the suggested name.
    const bool png = Form1->suggestedPictureName().endsWith(".png");
    dialog.setNameFilters(png ? QStringList{"PNG(*.png)", "Bitmap(*.bmp)"} : QStringList{"Bitmap(*.bmp)", "PNG(*.png)"});
    dialog.setDefaultSuffix(png ? "png" : "bmp");
    return dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty() ? dialog.selectedFiles().first() : QString();
}

QString chooseIconFolder() { return QFileDialog::getExistingDirectory(Form1, QString(), Form1->lastFolder()); }

QString chooseAtlasToOpen()
{
    QFileDialog dialog(Form1, QString(), Form1->lastFolder());
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters({"아틀라스 (*.json *.xml *.atlas)", "모든 파일 (*)"});
    return dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty() ? dialog.selectedFiles().first() : QString();
}

bool confirmReplacing(const QString& question)
{
    return QMessageBox::question(Form1, Application::messageTitle, question) == QMessageBox::Yes;
}

QColor chooseColour() { return QColorDialog::getColor(Qt::white, Form1); }

namespace {

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

} // namespace

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

Error errorAt(const QString& failed, const QString& path, const Error& e)
{
    const std::string at = QDir::toNativeSeparators(path).toStdString() + ": " + e.what();
    return Error(failed.isEmpty() ? at : failed.toStdString() + "\n" + at);
}

