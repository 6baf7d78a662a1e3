#include "ui/main/SettingsNotice.h"

#include "ui/chrome/WindowChrome.h"

#include <QLabel>

QLabel *MakeSettingsNotice(QWidget *window) {
    auto *notice = new QLabel(window);
    notice->setObjectName(QStringLiteral("SettingsNotice"));
    notice->setAttribute(Qt::WA_TransparentForMouseEvents);
    notice->setAutoFillBackground(true);
    notice->setTextFormat(Qt::PlainText);
    notice->setWordWrap(true);
    QPalette palette = notice->palette();
    palette.setColor(QPalette::WindowText, QColor(192, 64, 0));
    notice->setPalette(palette);
    WindowChrome::PlaceTwips(notice, 315, 660, 2970, 600);
    notice->setText(QStringLiteral("Kolvane.ini を読めなかったため、既定の設定で始めました"
                                   "（元のファイルは Kolvane.ini.damaged に残します）。"));
    return notice;
}
