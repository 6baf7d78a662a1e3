#pragma once

#include "platform/desktop/Dialogs.h"
#include "platform/desktop/FileChooser.h"
#include "platform/desktop/Recorder.h"
#include "platform/desktop/TrayIcon.h"
#include "settings/Program.h"

#include <QApplication>
#include <QDebug>
#include <QDialog>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPointer>
#include <QString>
#include <QTemporaryDir>
#include <QTimer>

// What a window test stands on: the program's folder in a fresh temporary folder, and the
// desktop (tray, ring, shell, message boxes, file choosers) recording what it is asked instead
// of doing it, with a notification area present. Made in init(), gone in cleanup(): every
// test case starts from an empty folder and nothing recorded.
class TestDesktop {
public:
    TestDesktop() {
        Program::AppFolder = folder_.path();
        Recorder::start();
        TrayIcon::setAvailableForTest(true);
        Dialogs::resetForTest();
        FileChooser::resetForTest();
        // A box nobody answers would hold the test until the suite's time runs out: it is
        // said, and shut, after a while.
        QObject::connect(&watchdog_, &QTimer::timeout, [this] { ShutUnansweredBox(); });
        watchdog_.start(1000);
    }
    ~TestDesktop() {
        Recorder::stop();
        TrayIcon::setAvailableForTest(std::nullopt);
        Dialogs::resetForTest();
        FileChooser::resetForTest();
    }
    TestDesktop(const TestDesktop &) = delete;
    TestDesktop &operator=(const TestDesktop &) = delete;

    bool isValid() const { return folder_.isValid(); }
    QString folder() const { return folder_.path(); }
    // A file of the program's folder.
    QString file(const QString &name) const { return folder_.filePath(name); }

private:
    static constexpr qint64 UnansweredMs = 20000;

    void ShutUnansweredBox() {
        auto *box = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        if (box != box_) {
            box_ = box;
            open_.start();
            return;
        }
        if (box && open_.elapsed() > UnansweredMs) {
            const auto *message = qobject_cast<QMessageBox *>(box);
            qWarning().noquote() << "A box nobody answered was shut:" << box->windowTitle()
                                 << (message ? message->text() : QString());
            box->reject();
        }
    }

    QTemporaryDir folder_;
    QTimer watchdog_;
    QPointer<QDialog> box_;
    QElapsedTimer open_;
};
