#pragma once

#include "ui/chrome/SkinnedWindow.h"

#include <QString>

class ImageButton;
class QLabel;

// Form5: the About window. It shows the program's logo, author line, version, home page and
// mail address, opens the help pages and the links through the desktop, and closes itself.
class AboutWindow : public SkinnedWindow {
    Q_OBJECT
public:
    // What the window says; FromBuild() is what the build was configured with.
    struct Texts {
        QString author;
        QString version;
        QString homePage; // empty: no home-page link
        QString mail;     // empty: no mail link
        static Texts FromBuild();
    };

    explicit AboutWindow(const Texts &texts = Texts::FromBuild(), QWidget *parent = nullptr);

    // The two links (clicks on the home page and the mail address) and the two buttons.
    void OpenHomePage();
    void OpenMail();
    void OpenHelp();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void BuildLayout(const Texts &texts);
    void Load();
    void ShowLinkFailure(const QString &secondLine);

    QLabel *programIcon_ = nullptr;
    QLabel *logo_ = nullptr;
    QLabel *authorLine_ = nullptr;
    QLabel *versionLine_ = nullptr;
    QLabel *homePageHeading_ = nullptr;
    QLabel *homePageLink_ = nullptr;
    QLabel *mailLink_ = nullptr;
    // By AboutFaces::Button: help, close.
    ImageButton *buttons_[2] = {};
    QString mail_;
};
