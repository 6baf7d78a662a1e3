#include "ui/main/MemoPanel.h"

#include "db/Database.h"
#include "db/History.h"
#include "settings/Program.h"
#include "ui/chrome/ImageButton.h"
#include "ui/chrome/WindowChrome.h"

#include <QLabel>
#include <QPlainTextEdit>

MemoPanel::MemoPanel(QWidget *parent) : QFrame(parent) {
    setObjectName(QStringLiteral("Picture15"));
    setFrameShape(QFrame::StyledPanel);
    setFrameShadow(QFrame::Sunken);
    setAutoFillBackground(true);
    resize(WindowChrome::TwipsToPixelsX(Width), WindowChrome::TwipsToPixelsY(Height));
    const int w = width();
    const int h = height();
    const auto line = [this, w](const char *name, int top, bool bold) {
        auto *label = new QLabel(this);
        label->setObjectName(QString::fromLatin1(name));
        // Numbers and names come from outside: never read them as markup.
        label->setTextFormat(Qt::PlainText);
        QFont font = label->font();
        font.setBold(bold);
        label->setFont(font);
        label->setGeometry(8, top, w - 16, 18);
        return label;
    };
    dateLine_ = line("Label12", 6, false);
    numberLine_ = line("Label11", 26, true);
    nameLine_ = line("Label10", 46, true);
    memoText_ = new QPlainTextEdit(this);
    memoText_->setObjectName(QStringLiteral("Text1"));
    memoText_->setAccessibleName(QStringLiteral("メモ"));
    memoText_->setGeometry(8, 68, w - 16, h - 68 - 45);
    const int faces[2][2] = {{SavePressed, SaveNormal}, {ClosePressed, CloseNormal}};
    const char *tips[2] = {"メモを登録する。", "メモを閉じる。"};
    for (int i = 0; i < 2; ++i) {
        auto *b = new ImageButton(75, 35, this);
        b->setObjectName(QStringLiteral("Picture17(%1)").arg(i));
        b->setPressedFace(faces[i][0]);
        b->setFace(faces[i][1]);
        b->setToolTip(QString::fromUtf8(tips[i]));
        b->move(w - 8 - (2 - i) * 75 - (1 - i) * 6, h - 40);
        saveCloseButtons_[i] = b;
    }
    connect(saveCloseButtons_[0], &ImageButton::clicked, this, &MemoPanel::saveClicked);
    connect(saveCloseButtons_[1], &ImageButton::clicked, this, &MemoPanel::closeClicked);
    hide();
}

void MemoPanel::Load(qint32 historyId) {
    memoHistoryId_ = historyId;
    // Its date, time, number, name and memo.
    db::Database database(Program::DatabasePath());
    const std::optional<db::CallMemo> memo = db::ReadCallMemo(database, memoHistoryId_);
    database.close();
    if (!memo)
        return;
    dateLine_->setText(memo->Date + QStringLiteral("  ") + memo->Time);
    numberLine_->setText(QStringLiteral("着信番号：") + memo->Number);
    nameLine_->setText(QStringLiteral("着信者名：") + memo->Name);
    memoText_->setPlainText(memo->Memo);
}

bool MemoPanel::Save() {
    db::Database database(Program::DatabasePath());
    const bool written = db::WriteCallMemo(database, memoHistoryId_, memoText_->toPlainText());
    database.close();
    return written;
}
