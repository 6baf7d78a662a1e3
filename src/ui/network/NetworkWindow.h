#pragma once

#include "ui/chrome/SkinnedWindow.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

// The network window: the NCID server that announces this computer's calls to others, the
// NCID client that takes calls from an NCID server, and the desktop notifications. Its values
// live in the [Network] group of Options.ini; apply writes them and asks the program to
// start or stop what changed.
class NetworkWindow : public SkinnedWindow {
    Q_OBJECT
public:
    explicit NetworkWindow(QWidget *parent = nullptr);

    // What the program tells of the server and client now ("3 台に接続中" …).
    void ShowState(const QString &text);

signals:
    // The options were written: the program follows them.
    void applied();

private:
    void Build();
    void Load();
    void Apply();

    QCheckBox *serverOnBox_ = nullptr;
    QLineEdit *listenBox_ = nullptr;
    QLineEdit *lineBox_ = nullptr;
    QPlainTextEdit *allowBox_ = nullptr;
    QCheckBox *clientOnBox_ = nullptr;
    QLineEdit *serverBox_ = nullptr;
    QCheckBox *notifyBox_ = nullptr;
    QLabel *problemLine_ = nullptr;
    QLabel *stateLine_ = nullptr;
    QPushButton *applyButton_ = nullptr;
    QPushButton *closeButton_ = nullptr;
};
