#pragma once

#include <QApplication>
#include <QString>

#include <functional>

// The application object: delivers events and shows what went wrong in a message box.
class Application : public QApplication {
public:
    Application(int& argc, char** argv);

    // Shows a message modally under `messageTitle`; tests replace it so that they never wait
    // on a window.
    static std::function<void(const QString&)> showMessage;
    static QString messageTitle;

    // Runs one event handler; an exception it raises is shown and the program carries on.
    static void runHandler(const std::function<void()>& handler);

    // Shows an exception that ended start-up or a handler.
    static void showException(const std::exception_ptr& error);

    bool notify(QObject* receiver, QEvent* event) override;
};
