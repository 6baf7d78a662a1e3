#include "ui/about/AboutWindow.h"

#include "BuildInfo.h"
#include "platform/desktop/Dialogs.h"
#include "platform/desktop/Shell.h"
#include "ui/about/AboutFaces.h"
#include "ui/chrome/ImageButton.h"
#include "ui/chrome/Pictures.h"
#include "ui/chrome/WindowChrome.h"

#include <QLabel>
#include <QMouseEvent>
#include <QUrl>

namespace {

using namespace AboutFaces;
using WindowChrome::TwipsToPixelsX;
using WindowChrome::TwipsToPixelsY;

void PlaceTwips(QWidget *w, const Place &p) {
    WindowChrome::PlaceTwips(w, p.left, p.top, p.width, p.height);
}

QLabel *TextLabel(QWidget *parent, const char *name, const Place &place, const QString &text) {
    auto *label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    // Addresses and names come from the build's configuration: plain text, never markup.
    label->setTextFormat(Qt::PlainText);
    label->setText(text);
    PlaceTwips(label, place);
    return label;
}

void MakeLink(QLabel *label) {
    label->setCursor(LinkCursor());
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, QColor(0, 0, 192));
    label->setPalette(palette);
    QFont font = label->font();
    font.setUnderline(true);
    label->setFont(font);
}

} // namespace

AboutWindow::Texts AboutWindow::Texts::FromBuild() {
    return {QString::fromUtf8(BuildInfo::Author), QString::fromUtf8(BuildInfo::Version),
            QString::fromUtf8(BuildInfo::HomePage).trimmed(),
            QString::fromUtf8(BuildInfo::Mail).trimmed()};
}

AboutWindow::AboutWindow(const Texts &texts, QWidget *parent)
    : SkinnedWindow(WindowKind::About, parent) {
    setObjectName(QStringLiteral("Form5"));
    setWindowTitle(QStringLiteral("Ａｂｏｕｔ"));
    setWindowIcon(::ProgramIcon());
    setAttribute(Qt::WA_DeleteOnClose);
    BuildLayout(texts);
    Load();
}

void AboutWindow::BuildLayout(const Texts &texts) {
    resize(TwipsToPixelsX(WindowWidth), TwipsToPixelsY(WindowHeight));

    programIcon_ = new QLabel(this);
    programIcon_->setObjectName(QStringLiteral("Image1(0)"));
    programIcon_->setPixmap(Pictures::Render(QStringLiteral(":/pictures/icon.svg"), QSize(32, 32)));
    PlaceTwips(programIcon_, IconPlace);
    addDragSurface(programIcon_);
    logo_ = new QLabel(this);
    logo_->setObjectName(QStringLiteral("Image1(1)"));
    logo_->setPixmap(TitleLogo());
    PlaceTwips(logo_, LogoPlace);
    addDragSurface(logo_);

    versionLine_ =
        TextLabel(this, "Label23", VersionPlace, QStringLiteral("version ") + texts.version);
    authorLine_ =
        TextLabel(this, "Label17", AuthorPlace, QStringLiteral("著作者：") + texts.author);
    homePageHeading_ = TextLabel(this, "Label2", HomePageHeadingPlace, QStringLiteral("HomePage:"));
    homePageLink_ = TextLabel(this, "Label3", HomePagePlace, texts.homePage);
    mailLink_ = TextLabel(this, "Label4", MailPlace, QStringLiteral("e-mail:") + texts.mail);
    mail_ = texts.mail;
    MakeLink(homePageLink_);
    MakeLink(mailLink_);
    homePageLink_->installEventFilter(this);
    mailLink_->installEventFilter(this);
    // An address the build was not given has no link to show.
    homePageHeading_->setVisible(!texts.homePage.isEmpty());
    homePageLink_->setVisible(!texts.homePage.isEmpty());
    mailLink_->setVisible(!texts.mail.isEmpty());

    for (int i = 0; i < ButtonCount; ++i) {
        auto *button = new ImageButton(ButtonWidthPx, ButtonHeightPx, this);
        button->setObjectName(QStringLiteral("Picture12(%1)").arg(i));
        button->setToolTip(QString::fromUtf8(ButtonTip[i]));
        button->move(TwipsToPixelsX(ButtonLeft[i]), TwipsToPixelsY(ButtonTop));
        buttons_[i] = button;
    }
    buttons_[Help]->setPressedFace(HelpPressed);
    buttons_[Close]->setPressedFace(ClosePressed);
    connect(buttons_[Help], &ImageButton::clicked, this, &AboutWindow::OpenHelp);
    connect(buttons_[Close], &ImageButton::clicked, this, &QWidget::close);
}

void AboutWindow::Load() {
    // The caption went with the skinned frame; the buttons show their faces.
    buttons_[Help]->setFace(HelpNormal);
    buttons_[Close]->setFace(CloseNormal);
}

bool AboutWindow::eventFilter(QObject *watched, QEvent *event) {
    // A press on a link is the link's: it does not drag the window.
    if ((watched == homePageLink_ || watched == mailLink_) &&
        event->type() == QEvent::MouseButtonPress)
        return true;
    if ((watched == homePageLink_ || watched == mailLink_) &&
        event->type() == QEvent::MouseButtonRelease) {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        auto *label = static_cast<QLabel *>(watched);
        if (mouse->button() == Qt::LeftButton &&
            label->rect().contains(mouse->position().toPoint())) {
            if (watched == homePageLink_)
                OpenHomePage();
            else
                OpenMail();
            return true;
        }
    }
    return SkinnedWindow::eventFilter(watched, event);
}

void AboutWindow::OpenHomePage() {
    if (!Shell::OpenUrl(QUrl(homePageLink_->text(), QUrl::StrictMode)))
        ShowLinkFailure(QStringLiteral("ホームページの立ち上げは出来ない様です"));
}

void AboutWindow::OpenMail() {
    if (!Shell::OpenUrl(QUrl(QStringLiteral("mailto:") + mail_, QUrl::StrictMode)))
        ShowLinkFailure(QStringLiteral("メッセージ作成画面の立ち上げは出来ない様です"));
}

void AboutWindow::OpenHelp() {
    // The program shows the help itself: a computer without a browser has it too.
    requestHelp();
}

void AboutWindow::ShowLinkFailure(const QString &secondLine) {
    Dialogs::Tell(this,
                  QStringLiteral("貴様がお使いのパソコンでは、このプログラムから\n") + secondLine,
                  QStringLiteral("Kolvane"), Dialogs::Icon::Stop);
}
