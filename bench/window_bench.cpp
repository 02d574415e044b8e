// The window on a large sheet, offscreen, read from a bitmap and from a PNG: the time from
// pressing a key to the finished repaint for loading, searching (the list filled), paging
// through the list, choosing a row with the keys and with a click on the picture, deleting a
// region and undoing it, zooming out and taking the frames back; and the peak memory against
// the 32-bit picture. Each format runs in a process of its own, so that peaks do not mix.
//   window_bench [SIDE [bmp|png]]   (default 16384, both)
#include "formats/picture_file.h"
#include "tests/support/pictures.h"
#include "ui/Unit1.h"
#include "ui/application.h"

#include <QElapsedTimer>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

// The largest resident size of this process so far, in MiB.
double peakMiB()
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmHWM:", 0) == 0)
            return std::stod(line.substr(6)) / 1024;
    return 0;
}

void resetPeak() { std::ofstream("/proc/self/clear_refs") << "5"; }

// Runs an action and repaints the picture and the list at once; the milliseconds both took.
template <class Action>
double timed(TForm1& form, Action action)
{
    QElapsedTimer timer;
    timer.start();
    action();
    form.Image1->repaint();
    form.RegionTable->viewport()->repaint();
    QApplication::processEvents();
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

// The slowest of `count` presses of a key on a widget.
double slowestKey(TForm1& form, QWidget* target, Qt::Key key, int count)
{
    double slowest = 0;
    for (int i = 0; i < count; ++i)
        slowest = std::max(slowest, timed(form, [&] { QTest::keyClick(target, key); }));
    return slowest;
}

// Writes the sheet in a child, so that no process measured ever held the generated picture.
void writeOnce(const fs::path& file, int side, iconfinder::FileFormat format)
{
    if (fs::exists(file))
        return;
    if (const pid_t writer = ::fork(); writer == 0) {
        iconfinder::writePictureFile(iconfinder::pictures::iconSheet(side, side, 4), format, file);
        ::_exit(0);
    } else {
        ::waitpid(writer, nullptr, 0);
    }
}

int measure(int argc, char** argv, const fs::path& file, int side)
{
    Application application(argc, argv);
    Application::showMessage = [](const QString& text) { std::fprintf(stderr, "message: %s\n", text.toUtf8().constData()); };
    TForm1 form;
    Form1 = &form;
    form.resize(1024, 768);
    form.show();
    if (!QTest::qWaitForWindowExposed(&form))
        return 1;
    const double picture = static_cast<double>(side) * side * 4 / (1 << 20);
    resetPeak();

    const double load = timed(form, [&] { form.loadFile(QString::fromStdString(file.string())); });
    const double search = timed(form, [&] { form.Btn_FindIconsClick(); });
    const double peak = peakMiB();
    form.RegionTable->setFocus();
    form.selectRows({0});
    const double page = slowestKey(form, form.RegionTable, Qt::Key_PageDown, 20);
    const double row = slowestKey(form, form.RegionTable, Qt::Key_Down, 20);
    const double end = timed(form, [&] { QTest::keyClick(form.RegionTable, Qt::Key_End); });
    const iconfinder::RegionBox last = form.regionList().regions().back().box;
    const double click = timed(form, [&] { QTest::mouseClick(form.Image1, Qt::LeftButton, {}, QPoint(last.minX + 1, last.minY + 1)); });
    // The chosen box's corner dragged three pixels out: press, move, release, repaint.
    const QPoint corner(last.maxX + 1, last.maxY + 1), to = corner + QPoint(3, 3);
    const double drag = timed(form, [&] {
        QTest::mousePress(form.Image1, Qt::LeftButton, {}, corner);
        QMouseEvent move(QEvent::MouseMove, QPointF(to), form.Image1->mapToGlobal(QPointF(to)), Qt::NoButton, Qt::LeftButton, {});
        QApplication::sendEvent(form.Image1, &move);
        QTest::mouseRelease(form.Image1, Qt::LeftButton, {}, to);
    });
    const double erase = timed(form, [&] { QTest::keyClick(form.RegionTable, Qt::Key_Delete); });
    const double undo = timed(form, [&] { QTest::keySequence(&form, QKeySequence("Ctrl+Z")); });
    // The first row: every frame after it is drawn again.
    form.selectRows({0});
    const double eraseFirst = timed(form, [&] { QTest::keyClick(form.RegionTable, Qt::Key_Delete); });
    const double undoFirst = timed(form, [&] { QTest::keySequence(&form, QKeySequence("Ctrl+Z")); });
    const double zoom = timed(form, [&] { form.zoomTo(25); });
    const double back = timed(form, [&] { QTest::keyClick(&form, Qt::Key_Escape); });
    std::printf("%-6s %7.0f %7.0f %7.1f %6.1f %6.1f %6.1f %6.1f %7.0f %6.0f %8.0f %7.0f %6.0f %5.0f %8.0f %6.2f\n", file.extension().c_str() + 1,
                load, search, page, row, end, click, drag, erase, undo, eraseFirst, undoFirst, zoom, back, peak, peak / picture);
    std::fflush(stdout);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    const int side = argc > 1 ? std::atoi(argv[1]) : 16384;
    const fs::path stem = fs::temp_directory_path() / ("iconfinder-window-bench-" + std::to_string(side));
    const fs::path files[] = {stem.string() + ".bmp", stem.string() + ".png"};
    writeOnce(files[0], side, iconfinder::FileFormat::Bmp);
    writeOnce(files[1], side, iconfinder::FileFormat::Png);
    std::printf("%d x %d sheet, 32-bit picture %.0f MiB; milliseconds from the key to the repaint (keys: the slowest of 20)\n", side,
                side, static_cast<double>(side) * side * 4 / (1 << 20));
    std::printf("%-6s %7s %7s %7s %6s %6s %6s %6s %7s %6s %8s %7s %6s %5s %8s %6s\n", "file", "load", "search", "PgDn", "Down", "End", "click",
                "drag", "Delete", "Ctrl+Z", "Del 1st", "Undo 1st", "zoom", "Esc", "peak MiB", "x pic");
    std::fflush(stdout); // not to be printed again by the children
    int status = 0;
    for (const fs::path& file : files) {
        if (argc > 2 && file.extension() != std::string(".") + argv[2])
            continue;
        if (const pid_t child = ::fork(); child == 0) {
            ::_exit(measure(argc, argv, file, side));
        } else {
            int code = 0;
            ::waitpid(child, &code, 0);
            status |= WIFEXITED(code) ? WEXITSTATUS(code) : 1;
        }
    }
    return status;
}
