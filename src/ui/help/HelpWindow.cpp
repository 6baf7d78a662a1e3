#include "ui/help/HelpWindow.h"

#include "platform/desktop/Shell.h"
#include "settings/HelpPages.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace {

QPushButton *Button(const QString &text, const QString &name, QWidget *parent) {
    auto *b = new QPushButton(text, parent);
    b->setObjectName(name);
    b->setAutoDefault(false);
    return b;
}

} // namespace

HelpWindow::HelpWindow(QWidget *parent) : QWidget(parent) {
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowTitle(QStringLiteral("Kolvane ヘルプ"));
    setAttribute(Qt::WA_DeleteOnClose);
    resize(760, 600);

    backButton_ = Button(QStringLiteral("◀ 戻る"), QStringLiteral("HelpBack"), this);
    forwardButton_ = Button(QStringLiteral("進む ▶"), QStringLiteral("HelpForward"), this);
    contentsButton_ = Button(QStringLiteral("はじめに"), QStringLiteral("HelpContents"), this);
    browserButton_ =
        Button(QStringLiteral("ブラウザで開く"), QStringLiteral("HelpInBrowser"), this);
    browser_ = new QTextBrowser(this);
    browser_->setObjectName(QStringLiteral("HelpBrowser"));
    // Links are followed here only when they stay inside the help.
    browser_->setOpenLinks(false);

    auto *bar = new QHBoxLayout;
    bar->addWidget(backButton_);
    bar->addWidget(forwardButton_);
    bar->addWidget(contentsButton_);
    bar->addStretch();
    bar->addWidget(browserButton_);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(browser_);

    connect(backButton_, &QPushButton::clicked, browser_, &QTextBrowser::backward);
    connect(forwardButton_, &QPushButton::clicked, browser_, &QTextBrowser::forward);
    connect(contentsButton_, &QPushButton::clicked, this,
            [this] { ShowPage(HelpPages::MainPage()); });
    connect(browserButton_, &QPushButton::clicked, this, &HelpWindow::OpenInBrowser);
    connect(browser_, &QTextBrowser::anchorClicked, this, &HelpWindow::OnLinkClicked);
    connect(browser_, &QTextBrowser::historyChanged, this, &HelpWindow::UpdateButtons);
    UpdateButtons();
}

void HelpWindow::ShowPage(const QString &path) {
    if (!QFileInfo(path).isFile()) {
        browser_->setPlainText(QStringLiteral("ヘルプのページが見つかりません：") + path);
        return;
    }
    browser_->setSource(QUrl::fromLocalFile(path));
}

QUrl HelpWindow::currentPage() const {
    return browser_->source();
}

void HelpWindow::OnLinkClicked(const QUrl &url) {
    const QUrl target = browser_->source().resolved(url);
    if (target.isLocalFile() && QFileInfo(target.toLocalFile()).isFile())
        browser_->setSource(target);
    else if (!target.isLocalFile())
        Shell::OpenUrl(target);
}

void HelpWindow::OpenInBrowser() {
    QUrl page = browser_->source();
    if (page.isEmpty())
        page = QUrl::fromLocalFile(HelpPages::MainPage());
    Shell::OpenUrl(page);
}

void HelpWindow::UpdateButtons() {
    backButton_->setEnabled(browser_->isBackwardAvailable());
    forwardButton_->setEnabled(browser_->isForwardAvailable());
}
