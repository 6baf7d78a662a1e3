#pragma once

#include "platform/desktop/Dialogs.h"
#include "platform/desktop/FileChooser.h"
#include "platform/desktop/Recorder.h"
#include "platform/desktop/TrayIcon.h"
#include "settings/Program.h"

#include <QString>
#include <QTemporaryDir>

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
    QTemporaryDir folder_;
};
