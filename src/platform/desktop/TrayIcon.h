#pragma once

#include <QIcon>
#include <QMenu>
#include <QObject>
#include <QSystemTrayIcon>
#include <memory>
#include <optional>

// The program's one notification-area icon (icon 1 of the main window). add() shows it with
// a tip, remove() takes it away and is harmless when none is shown. A left click is reported;
// moves and double clicks do nothing. The icon also carries a context menu ("表示", "終了"):
// desktops that show tray icons through StatusNotifierItem offer only the menu, and there a
// left click may never reach the program.
class TrayIcon : public QObject {
    Q_OBJECT
public:
    explicit TrayIcon(const QIcon &picture, QObject *parent = nullptr);
    ~TrayIcon() override;

    // Whether the desktop has a notification area. Where it has none, a window hidden into
    // the tray could never come back, so the main window only minimises itself there.
    static bool available();
    // Tests: pretend the desktop has (or has not) a notification area; nullopt asks it.
    static void setAvailableForTest(std::optional<bool> available);

    void add(const QString &tip);
    void remove();
    bool isShown() const { return shown_; }
    QString tip() const { return tip_; }

    // The desktop's report of a click on the icon.
    void activate(QSystemTrayIcon::ActivationReason reason);

    // The context menu, with its actions named "show" and "exit"; made on first use, as it is
    // a window of its own.
    QMenu *contextMenu();

signals:
    void leftButtonDown();
    // "表示": bring the window back, as a left click does.
    void showRequested();
    // "終了": end the program.
    void exitRequested();

private:
    QIcon picture_;
    std::unique_ptr<QMenu> menu_;
    QSystemTrayIcon *icon_ = nullptr;
    bool shown_ = false;
    QString tip_;
};
