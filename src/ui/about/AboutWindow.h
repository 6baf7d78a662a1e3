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

    // The two links (clicks on Label3 and Label4) and the two buttons.
    void OpenHomePage();
    void OpenMail();
    void OpenHelp();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void BuildLayout(const Texts &texts);
    void FormLoad();
    void ShowLinkFailure(const QString &secondLine);

    QLabel *Image1[2] = {};
    QLabel *Label17 = nullptr;
    QLabel *Label23 = nullptr;
    QLabel *Label2 = nullptr;
    QLabel *Label3 = nullptr;
    QLabel *Label4 = nullptr;
    ImageButton *Picture12[2] = {};
    QString mail_;
};
