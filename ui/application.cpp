#include "ui/application.h"

#include "ui/picture_view.h"
#include "version.h"

#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <QTranslator>

#include <exception>
#include <new>

Application::Application(int& argc, char** argv) : QApplication(argc, argv)
{
    setApplicationName("iconfinder");
    setApplicationVersion(iconfinder::kVersion);
    setDesktopFileName("iconfinder");
    // Qt's own dialogs and buttons speak the window's language.
    auto* translator = new QTranslator(this);
    if (translator->load(QLocale(QLocale::Korean), "qtbase", "_", QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        installTranslator(translator);
    describeToScreenReaders();
}

QString Application::messageTitle = QStringLiteral("iconfinder");

std::function<void(const QString&)> Application::showMessage = [](const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, messageTitle, text, QMessageBox::Ok, activeWindow());
    box.exec();
};

void Application::showException(const std::exception_ptr& error)
{
    try {
        std::rethrow_exception(error);
    } catch (const std::bad_alloc&) {
        showMessage(QStringLiteral("메모리가 모자랍니다"));
    } catch (const std::exception& e) {
        showMessage(QString::fromUtf8(e.what()));
    } catch (...) {
        showMessage(QString()); // an exception of no known kind carries no message
    }
}

void Application::runHandler(const std::function<void()>& handler)
{
    try {
        handler();
    } catch (...) {
        showException(std::current_exception());
    }
}

bool Application::notify(QObject* receiver, QEvent* event)
{
    // Handlers catch their own exceptions through runHandler; this catches whatever else an
    // event handler lets escape, before it would unwind through Qt's own frames further up.
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        showException(std::current_exception());
        return false;
    }
}
