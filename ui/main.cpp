// iconfinder: start-up of the window program.
#include "files/scratch_files.h"
#include "ui/Unit1.h"
#include "ui/application.h"

#include <QIcon>
#include <QPixmap>

#include <iostream>
#include <memory>

#include "iconfinder.xpm"

int main(int argc, char** argv)
{
    iconfinder::scratch::removeOnInterrupt();
    std::unique_ptr<Application> application;
    std::unique_ptr<TForm1> form;
    try {
        application = std::make_unique<Application>(argc, argv);
        application->setWindowIcon(QIcon(QPixmap(iconfinder_xpm)));
        form = std::make_unique<TForm1>();
        Form1 = form.get();
        Form1->show();
        return application->exec();
    } catch (...) {
        // Start-up failed: say why, and end with a failure code.
        if (application)
            Application::showException(std::current_exception());
        else
            std::cerr << "iconfinder: start-up failed\n";
        return 1;
    }
}
