#pragma once

#include <QUrl>
#include <QWidget>

class QPushButton;
class QTextBrowser;

// The help pages, shown inside the program: a computer without a web browser still has its
// help. The pages' own links move within it; back and forward go through the pages seen; an
// address outside the help (a web page, a mail address) goes to the desktop, as does
// "ブラウザで開く" for those who prefer their browser.
class HelpWindow : public QWidget {
    Q_OBJECT
public:
    explicit HelpWindow(QWidget *parent = nullptr);

    // Shows the page at `path` (a file of a help folder); a missing page says so in the window.
    void ShowPage(const QString &path);
    QUrl currentPage() const;
    QTextBrowser *browser() const { return browser_; }

private:
    void OnLinkClicked(const QUrl &url);
    void OpenInBrowser();
    void UpdateButtons();

    QTextBrowser *browser_ = nullptr;
    QPushButton *backButton_ = nullptr;
    QPushButton *forwardButton_ = nullptr;
    QPushButton *contentsButton_ = nullptr;
    QPushButton *browserButton_ = nullptr;
};
