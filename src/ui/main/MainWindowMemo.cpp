// The main window's memo panel: opened on the last call, it keeps that call while it is open.
#include "ui/main/MainWindow.h"

#include "runstate/RunState.h"
#include "ui/chrome/ImageButton.h"
#include "ui/chrome/WindowChrome.h"
#include "ui/main/MemoPanel.h"

#include <QPlainTextEdit>
#include <utility>

using namespace MainFaces;
using WindowChrome::TwipsToPixelsX;
using WindowChrome::TwipsToPixelsY;

void MainWindow::BuildMemoPanel() {
    memoPanel_ = new MemoPanel(this);
    connect(memoPanel_, &MemoPanel::saveClicked, this, &MainWindow::SaveMemoPanel);
    connect(memoPanel_, &MemoPanel::closeClicked, this, &MainWindow::HideMemoPanel);
}

void MainWindow::ShowMemoPanel() {
    memoPanelOpen_ = true;
    commandButtons_[Memo]->setFace(MemoPanelShown);
    // The panel keeps the call it opens for.
    memoPanel_->Load(state_.call().HistoryId);
    // The window widens for the panel.
    memoPanel_->move(TwipsToPixelsX(MemoPanel::Left), TwipsToPixelsY(MemoPanel::Top));
    const Settings &s = state_.settings();
    setGeometry(TwipsToPixelsX(s.MainLeft), TwipsToPixelsY(s.MainTop),
                TwipsToPixelsX(MemoPanelWindowWidth), height());
    memoPanel_->show();
    memoPanel_->text()->setFocus();
}

QString MainWindow::MemoTextOf(qint32 historyId) const {
    if (historyId == 0 || memoPanel_->memoHistoryId() != historyId)
        return QString();
    return memoPanel_->text()->toPlainText();
}

void MainWindow::HideMemoPanel() {
    memoPanel_->hide();
    const Settings &s = state_.settings();
    setGeometry(TwipsToPixelsX(s.MainLeft), TwipsToPixelsY(s.MainTop), TwipsToPixelsX(WindowWidth),
                height());
    memoPanelOpen_ = false;
    commandButtons_[Memo]->setFace(MemoReady);
    // The return to the tray that waited for the memo.
    if (std::exchange(returnAfterMemo_, false))
        StartReturnToTray();
}

void MainWindow::SaveMemoPanel() {
    // An open history window shows the new memo.
    if (memoPanel_->Save())
        state_.announceHistoryChanged();
    HideMemoPanel();
}
