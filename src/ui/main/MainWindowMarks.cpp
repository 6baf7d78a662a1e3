// The main window's call display menu: the last call's number marked as a nuisance, or no
// longer.
#include "ui/main/MainWindow.h"

#include "runstate/RunState.h"

#include <QMenu>
#include <QWidget>

void MainWindow::BuildCallDisplayMenu() {
    callDisplay_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(callDisplay_, &QWidget::customContextMenuRequested, this,
            &MainWindow::ShowCallDisplayMenu);
}

void MainWindow::ShowCallDisplayMenu(const QPoint &at) {
    // Only a call with a number: a reason letter (withheld …) has nothing to mark.
    const QString number = state_.call().Number;
    if (number.isEmpty())
        return;
    auto *menu = new QMenu(this);
    menu->setObjectName(QStringLiteral("CallDisplayMenu"));
    menu->setAccessibleName(QStringLiteral("着信の操作"));
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->addAction(QStringLiteral("迷惑電話として登録…"), this,
                    [this, number] { emit nuisanceMarkRequested(number, true); });
    menu->addAction(QStringLiteral("迷惑電話の登録を解除"), this,
                    [this, number] { emit nuisanceMarkRequested(number, false); });
    menu->popup(callDisplay_->mapToGlobal(at));
}
