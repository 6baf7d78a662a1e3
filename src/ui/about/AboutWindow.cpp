#include "ui/about/AboutWindow.h"

#include "BuildInfo.h"
#include "platform/desktop/Dialogs.h"
#include "platform/desktop/Shell.h"
#include "settings/HelpPages.h"
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
    FormLoad();
}

void AboutWindow::BuildLayout(const Texts &texts) {
    resize(TwipsToPixelsX(WindowWidth), TwipsToPixelsY(WindowHeight));

    Image1[0] = new QLabel(this);
    Image1[0]->setPixmap(Pictures::Render(QStringLiteral(":/pictures/icon.svg"), QSize(32, 32)));
    PlaceTwips(Image1[0], IconPlace);
    Image1[1] = new QLabel(this);
    Image1[1]->setPixmap(TitleLogo());
    PlaceTwips(Image1[1], LogoPlace);
    for (int i = 0; i < 2; ++i) {
        Image1[i]->setObjectName(QStringLiteral("Image1(%1)").arg(i));
        addDragSurface(Image1[i]);
    }

    Label23 =
        TextLabel(this, "Label23", AboutFaces::Label23, QStringLiteral("version ") + texts.version);
    Label17 =
        TextLabel(this, "Label17", AboutFaces::Label17, QStringLiteral("著作者：") + texts.author);
    Label2 = TextLabel(this, "Label2", AboutFaces::Label2, QStringLiteral("HomePage:"));
    Label3 = TextLabel(this, "Label3", AboutFaces::Label3, texts.homePage);
    Label4 = TextLabel(this, "Label4", AboutFaces::Label4, QStringLiteral("e-mail:") + texts.mail);
    mail_ = texts.mail;
    MakeLink(Label3);
    MakeLink(Label4);
    Label3->installEventFilter(this);
    Label4->installEventFilter(this);
    // An address the build was not given has no link to show.
    Label2->setVisible(!texts.homePage.isEmpty());
    Label3->setVisible(!texts.homePage.isEmpty());
    Label4->setVisible(!texts.mail.isEmpty());

    for (int i = 0; i < ButtonCount; ++i) {
        auto *button = new ImageButton(ButtonWidthPx, ButtonHeightPx, this);
        button->setObjectName(QStringLiteral("Picture12(%1)").arg(i));
        button->setToolTip(QString::fromUtf8(ButtonTip[i]));
        button->move(TwipsToPixelsX(ButtonLeft[i]), TwipsToPixelsY(ButtonTop));
        Picture12[i] = button;
    }
    Picture12[Help]->setPressedFace(HelpPressed);
    Picture12[Close]->setPressedFace(ClosePressed);
    connect(Picture12[Help], &ImageButton::clicked, this, &AboutWindow::OpenHelp);
    connect(Picture12[Close], &ImageButton::clicked, this, &QWidget::close);
}

void AboutWindow::FormLoad() {
    // 1: the caption went with the skinned frame. 2: faces.
    Picture12[Help]->setFace(HelpNormal);
    Picture12[Close]->setFace(CloseNormal);
}

bool AboutWindow::eventFilter(QObject *watched, QEvent *event) {
    // A press on a link is the link's: it does not drag the window.
    if ((watched == Label3 || watched == Label4) && event->type() == QEvent::MouseButtonPress)
        return true;
    if ((watched == Label3 || watched == Label4) && event->type() == QEvent::MouseButtonRelease) {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        auto *label = static_cast<QLabel *>(watched);
        if (mouse->button() == Qt::LeftButton &&
            label->rect().contains(mouse->position().toPoint())) {
            if (watched == Label3)
                OpenHomePage();
            else
                OpenMail();
            return true;
        }
    }
    return SkinnedWindow::eventFilter(watched, event);
}

void AboutWindow::OpenHomePage() {
    if (!Shell::OpenUrl(QUrl(Label3->text(), QUrl::StrictMode)))
        ShowLinkFailure(QStringLiteral("ホームページの立ち上げは出来ない様です"));
}

void AboutWindow::OpenMail() {
    if (!Shell::OpenUrl(QUrl(QStringLiteral("mailto:") + mail_, QUrl::StrictMode)))
        ShowLinkFailure(QStringLiteral("メッセージ作成画面の立ち上げは出来ない様です"));
}

void AboutWindow::OpenHelp() {
    // A missing page is the desktop's to report, as when the page cannot be shown.
    Shell::OpenUrl(QUrl::fromLocalFile(HelpPages::MainPage()));
}

void AboutWindow::ShowLinkFailure(const QString &secondLine) {
    Dialogs::MessageBox box;
    box.text = QStringLiteral("貴様がお使いのパソコンでは、このプログラムから\n") + secondLine;
    box.title = QStringLiteral("Kolvane");
    box.icon = Dialogs::Icon::Stop;
    box.buttons = Dialogs::Buttons::Ok;
    Dialogs::Show(this, box);
}
