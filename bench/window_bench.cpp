// The window on a large sheet, offscreen: the time from pressing a key to the finished repaint
// for loading, searching, zooming out and taking the frames back, and the peak memory against
// the 32-bit picture.  window_bench [SIDE]   (default 16384)
#include "formats/picture_file.h"
#include "tests/support/pictures.h"
#include "ui/Unit1.h"
#include "ui/application.h"

#include <QElapsedTimer>
#include <QTest>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace {

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

// Runs an action and repaints the picture at once; the milliseconds both took.
template <class Action>
double timed(TForm1& form, Action action)
{
    QElapsedTimer timer;
    timer.start();
    action();
    form.Image1->repaint();
    QApplication::processEvents();
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char** argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    const int side = argc > 1 ? std::atoi(argv[1]) : 16384;
    const std::filesystem::path file = std::filesystem::temp_directory_path() / ("iconfinder-window-bench-" + std::to_string(side) + ".bmp");
    if (!std::filesystem::exists(file)) {
        // Written by a child, so that this process never holds the generated picture.
        if (const pid_t writer = ::fork(); writer == 0) {
            iconfinder::writePictureFile(iconfinder::pictures::iconSheet(side, side, 4), iconfinder::FileFormat::Bmp, file);
            ::_exit(0);
        } else {
            ::waitpid(writer, nullptr, 0);
        }
    }
    Application application(argc, argv);
    Application::showMessage = [](const QString& text) { std::fprintf(stderr, "message: %s\n", text.toUtf8().constData()); };
    TForm1 form;
    Form1 = &form;
    form.show();
    if (!QTest::qWaitForWindowExposed(&form))
        return 1;
    const double picture = static_cast<double>(side) * side * 4 / (1 << 20);
    resetPeak();
    const double before = peakMiB();

    const double load = timed(form, [&] { form.loadFile(QString::fromStdString(file.string())); });
    const double afterLoad = peakMiB();
    const double search = timed(form, [&] { form.Btn_FindIconsClick(); });
    const double afterSearch = peakMiB();
    const double zoom = timed(form, [&] { form.zoomTo(25); });
    const double back = timed(form, [&] { QTest::keyClick(&form, Qt::Key_Escape); });
    std::printf("%d x %d sheet, 32-bit picture %.0f MiB, %s\n", side, side, picture, form.StatusLine->text().toUtf8().constData());
    std::printf("  load   %8.0f ms   peak %6.0f MiB = %.2fx the picture (%.0f MiB before)\n", load, afterLoad, afterLoad / picture, before);
    std::printf("  search %8.0f ms   peak %6.0f MiB = %.2fx the picture\n", search, afterSearch, afterSearch / picture);
    std::printf("  zoom to 25%% %4.0f ms, Esc %4.0f ms\n", zoom, back);
    return 0;
}
