#include "ui/network/NetworkWindow.h"

#include "network/NetworkOptions.h"
#include "settings/CommandLine.h"
#include "ui/chrome/Pictures.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHostAddress>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

template <typename W>
W *Named(W *widget, const char *name, const QString &accessible, const QString &tip) {
    widget->setObjectName(QString::fromLatin1(name));
    widget->setAccessibleName(accessible);
    widget->setToolTip(tip);
    return widget;
}

// An allow-list entry that reads: an address, or a network in CIDR form.
bool IsAddressOrNetwork(const QString &entry) {
    return !QHostAddress::parseSubnet(entry).first.isNull() || !QHostAddress(entry).isNull();
}

} // namespace

NetworkWindow::NetworkWindow(QWidget *parent)
    : SkinnedWindow(WindowKind::ReferenceDatabase, parent) {
    setObjectName(QStringLiteral("networkWindow"));
    setWindowTitle(QStringLiteral("ネットワークの設定"));
    setWindowIcon(ProgramIcon());
    setHelpPage(QStringLiteral("network.htm"));
    Build();
    Load();
}

void NetworkWindow::Build() {
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 24, 24, 24);

    auto *serverFrame = new QGroupBox(
        QStringLiteral("ほかのコンピューターに着信を知らせる（NCID サーバー）"), this);
    auto *serverForm = new QFormLayout(serverFrame);
    serverOnBox_ = Named(new QCheckBox(QStringLiteral("知らせる"), serverFrame), "serverOnBox",
                         QStringLiteral("NCID サーバーを使う"),
                         QStringLiteral("この TA に来た着信を NCID のクライアント（ほかの Kolvane、"
                                        "スマートフォンのアプリなど）に送ります"));
    listenBox_ =
        Named(new QLineEdit(serverFrame), "listenBox", QStringLiteral("待ち受けるアドレスとポート"),
              QStringLiteral("例: 0.0.0.0:3333（すべての IPv4）、[::]:3333、127.0.0.1:3333"));
    lineBox_ = Named(new QLineEdit(serverFrame), "lineBox", QStringLiteral("回線の名前"),
                     QStringLiteral("NCID の LINE 欄に送る回線の名前（既定は -）"));
    allowBox_ =
        Named(new QPlainTextEdit(serverFrame), "allowBox", QStringLiteral("接続を許すアドレス"),
              QStringLiteral("1 行に 1 つ: 192.168.1.0/24、192.168.1.10、fd00::/8 など。"
                             "空なら、このコンピューターのネットワークとループバックだけ"));
    allowBox_->setTabChangesFocus(true);
    allowBox_->setFixedHeight(72);
    serverForm->addRow(serverOnBox_);
    serverForm->addRow(QStringLiteral("アドレス:ポート"), listenBox_);
    serverForm->addRow(QStringLiteral("回線名"), lineBox_);
    serverForm->addRow(QStringLiteral("接続を許すアドレス"), allowBox_);
    layout->addWidget(serverFrame);

    auto *clientFrame = new QGroupBox(QStringLiteral("NCID サーバーから着信を受け取る"), this);
    auto *clientForm = new QFormLayout(clientFrame);
    clientOnBox_ =
        Named(new QCheckBox(QStringLiteral("受け取る"), clientFrame), "clientOnBox",
              QStringLiteral("NCID クライアントを使う"),
              QStringLiteral("NCID サーバーが知らせる着信を、TA の着信と同じに表示・記録します"));
    serverBox_ = Named(new QLineEdit(clientFrame), "serverBox",
                       QStringLiteral("NCID サーバーのアドレスとポート"),
                       QStringLiteral("例: 192.168.1.5:3333"));
    clientForm->addRow(clientOnBox_);
    clientForm->addRow(QStringLiteral("サーバー:ポート"), serverBox_);
    layout->addWidget(clientFrame);

    notifyBox_ =
        Named(new QCheckBox(QStringLiteral("着信をデスクトップ通知でも知らせる"), this),
              "notifyBox", QStringLiteral("デスクトップ通知"),
              QStringLiteral("ウィンドウをトレイにしまっていても、着信ごとに通知を出します"));
    layout->addWidget(notifyBox_);

    problemLine_ = Named(new QLabel(this), "problemLine", QStringLiteral("設定の問題"),
                         QStringLiteral("適用できなかった理由"));
    problemLine_->setTextFormat(Qt::PlainText);
    problemLine_->setStyleSheet(QStringLiteral("color: #c00000"));
    problemLine_->setWordWrap(true);
    stateLine_ = Named(new QLabel(this), "stateLine", QStringLiteral("接続の状態"),
                       QStringLiteral("サーバーとクライアントの今の状態"));
    stateLine_->setTextFormat(Qt::PlainText);
    layout->addWidget(problemLine_);
    layout->addWidget(stateLine_);

    auto *buttons = new QHBoxLayout;
    applyButton_ = Named(new QPushButton(QStringLiteral("適用"), this), "applyButton",
                         QStringLiteral("適用"), QStringLiteral("設定を保存して、すぐに使います"));
    closeButton_ = Named(new QPushButton(QStringLiteral("閉じる"), this), "closeButton",
                         QStringLiteral("閉じる"), QStringLiteral("適用せずに閉じます"));
    buttons->addStretch();
    buttons->addWidget(applyButton_);
    buttons->addWidget(closeButton_);
    layout->addLayout(buttons);
    connect(applyButton_, &QPushButton::clicked, this, &NetworkWindow::Apply);
    connect(closeButton_, &QPushButton::clicked, this, &QWidget::close);
    resize(560, 520);
}

void NetworkWindow::Load() {
    const NetworkOptions o = NetworkOptions::load();
    serverOnBox_->setChecked(o.ServerOn);
    listenBox_->setText(o.ListenAddress);
    lineBox_->setText(o.Line);
    allowBox_->setPlainText(o.AllowList.join(QLatin1Char('\n')));
    clientOnBox_->setChecked(o.ClientOn);
    serverBox_->setText(o.ServerAddress);
    notifyBox_->setChecked(o.Notify);
}

void NetworkWindow::ShowState(const QString &text) {
    stateLine_->setText(text);
}

void NetworkWindow::Apply() {
    NetworkOptions o;
    o.ServerOn = serverOnBox_->isChecked();
    o.ListenAddress = listenBox_->text().trimmed();
    o.Line = lineBox_->text().trimmed();
    if (o.Line.isEmpty())
        o.Line = QStringLiteral("-");
    for (const QString &entry : allowBox_->toPlainText().split(QLatin1Char('\n'))) {
        if (!entry.trimmed().isEmpty())
            o.AllowList << entry.trimmed();
    }
    o.ClientOn = clientOnBox_->isChecked();
    o.ServerAddress = serverBox_->text().trimmed();
    o.Notify = notifyBox_->isChecked();

    // What does not read is said and nothing is written: the user's text stays in the boxes.
    QString host;
    quint16 port = 0;
    QStringList problems;
    if (o.ServerOn && !ParseHostAndPort(o.ListenAddress, &host, &port))
        problems << QStringLiteral("待ち受けるアドレスは「0.0.0.0:3333」の形で入力してください。");
    for (const QString &entry : o.AllowList) {
        if (!IsAddressOrNetwork(entry))
            problems
                << QStringLiteral("「%1」はアドレスでもネットワークでもありません。").arg(entry);
    }
    if (o.ClientOn && !ParseHostAndPort(o.ServerAddress, &host, &port))
        problems << QStringLiteral("サーバーは「192.168.1.5:3333」の形で入力してください。");
    if (problems.isEmpty() && !o.save())
        problems << QStringLiteral("Options.ini に書き込めませんでした。設定は前のままです。");
    problemLine_->setText(problems.join(QLatin1Char('\n')));
    if (problems.isEmpty())
        emit applied();
}
