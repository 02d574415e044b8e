#pragma once

// The window on the offscreen platform, with its modal dialogs answered by the test.
#include "ui/Unit1.h"
#include "ui/application.h"
#include "tests/support/checks.h"

#include <QMouseEvent>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <vector>

inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }

namespace iconfinder::test {

namespace fs = std::filesystem;

class Window : public InFolder {
protected:
    void SetUp() override
    {
        InFolder::SetUp();
        Application::showMessage = [this](const QString& text) { messages.push_back(text); };
        form = std::make_unique<TForm1>();
        Form1 = form.get();
        form->ConfirmDialog = [](const QString&) { return true; }; // a modal question would wait forever
        form->show();
        form->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    }
    void TearDown() override
    {
        Form1 = nullptr;
        InFolder::TearDown();
    }

    void press(QPushButton* button) { QTest::mouseClick(button, Qt::LeftButton); }
    void keys(const QKeySequence& sequence) { QTest::keySequence(form.get(), sequence); }
    void openFile(const fs::path& path)
    {
        form->OpenPictureDialog = [path] { return QString::fromStdString(path.string()); };
        press(form->Btn_OpenFile);
    }
    // QTest::mouseMove does not deliver moves without a button reliably: send the event.
    void moveOver(QWidget* widget, QPoint at)
    {
        QMouseEvent move(QEvent::MouseMove, at, widget->mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(widget, &move);
    }
    void choose(const char* colour) { form->ColorBox->setCurrentIndex(form->ColorBox->findText(colour)); }
    QString status() const { return form->StatusLine->text(); }

    std::unique_ptr<TForm1> form;
    std::vector<QString> messages;
};

} // namespace iconfinder::test
