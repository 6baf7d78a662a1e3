#include "ui/marks/MarksWindow.h"

#include "db/Database.h"
#include "db/NuisanceMarks.h"
#include "exchange/MarkList.h"
#include "platform/Clock.h"
#include "platform/desktop/Dialogs.h"
#include "platform/desktop/FileChooser.h"
#include "settings/Program.h"

#include <QApplication>
#include <QDateTime>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

QPushButton *Button(QWidget *parent, const char *name, const char *text, const char *tip) {
    auto *b = new QPushButton(QString::fromUtf8(text), parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setToolTip(QString::fromUtf8(tip));
    b->setAccessibleName(QString(QString::fromUtf8(text)).remove(QStringLiteral("…")));
    return b;
}

const QString Title = QStringLiteral("迷惑電話の一覧");

} // namespace

MarksWindow::MarksWindow(QWidget *parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("MarksWindow"));
    setWindowTitle(Title);
    setAccessibleName(Title);
    setAttribute(Qt::WA_DeleteOnClose);
    markList_ = new QTableWidget(0, 3, this);
    markList_->setObjectName(QStringLiteral("MarkList"));
    markList_->setAccessibleName(QStringLiteral("登録した番号"));
    markList_->setToolTip(QStringLiteral("迷惑電話として登録した番号（末尾の＊は前方一致）"));
    markList_->setHorizontalHeaderLabels(
        {QStringLiteral("電番"), QStringLiteral("理由"), QStringLiteral("登録日")});
    markList_->setSelectionBehavior(QAbstractItemView::SelectRows);
    markList_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    markList_->verticalHeader()->hide();
    markList_->horizontalHeader()->setStretchLastSection(true);
    removeButton_ = Button(this, "RemoveMark", "削除", "選択した番号の登録を解除します。");
    importButton_ = Button(this, "ImportMarks", "読み込み…",
                           "番号の一覧（CSV・テキスト、1行に1番号）から登録します。");
    exportButton_ =
        Button(this, "ExportMarks", "保存…", "登録した番号を一覧ファイルに保存します。");
    closeButton_ = Button(this, "CloseMarks", "閉じる", "このウインドウを閉じます。");
    auto *buttons = new QHBoxLayout;
    for (QPushButton *b : {removeButton_, importButton_, exportButton_, closeButton_})
        buttons->addWidget(b);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(markList_);
    layout->addLayout(buttons);
    connect(removeButton_, &QPushButton::clicked, this, &MarksWindow::RemoveSelected);
    connect(importButton_, &QPushButton::clicked, this, &MarksWindow::ImportList);
    connect(exportButton_, &QPushButton::clicked, this, &MarksWindow::ExportList);
    connect(closeButton_, &QPushButton::clicked, this, &QWidget::close);
    resize(480, 320);
    RefreshList();
}

void MarksWindow::RefreshList() {
    QList<db::NuisanceMark> marks;
    {
        db::Database database(Program::DatabasePath());
        marks = db::ReadNuisanceMarks(database);
    }
    markList_->setRowCount(int(marks.size()));
    for (int row = 0; row < marks.size(); ++row) {
        const db::NuisanceMark &m = marks.at(row);
        const QString texts[3] = {m.Number, m.Reason, m.Date};
        for (int c = 0; c < 3; ++c) {
            auto *item = new QTableWidgetItem(texts[c]);
            // The ID travels with the row, never in a hidden column.
            item->setData(Qt::UserRole, m.Id);
            markList_->setItem(row, c, item);
        }
    }
    removeButton_->setEnabled(!marks.isEmpty());
}

void MarksWindow::RemoveSelected() {
    const int row = markList_->currentRow();
    if (row < 0 || !markList_->item(row, 0))
        return;
    const QString number = markList_->item(row, 0)->text();
    if (!Dialogs::Confirm(this, QStringLiteral("%1 の登録を解除します。").arg(number), Title,
                          Dialogs::Icon::Question, Dialogs::Modality::Window))
        return;
    bool removed = false;
    {
        db::Database database(Program::DatabasePath());
        removed =
            db::RemoveNuisanceMark(database, markList_->item(row, 0)->data(Qt::UserRole).toInt());
    }
    RefreshList();
    if (removed)
        emit marksChanged();
}

void MarksWindow::ImportList() {
    const QString path = FileChooser::OpenFile(
        this, QStringLiteral("番号の一覧 (*.csv *.txt);;すべてのファイル (*)"));
    if (path.isEmpty())
        return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    exchange::MarkImportReport report;
    {
        db::Database database(Program::DatabasePath());
        report = exchange::ImportMarkList(database, path,
                                          Clock::now().toString(QStringLiteral("yyyy/MM/dd")),
                                          exchange::Wording::Japanese);
    }
    QApplication::restoreOverrideCursor();
    RefreshList();
    if (!report.ok) {
        Dialogs::Tell(this, QStringLiteral("読み込めませんでした。\n") + report.error, Title,
                      Dialogs::Icon::Exclamation);
        return;
    }
    emit marksChanged();
    Dialogs::Tell(this, exchange::MarkImportText(report), Title, Dialogs::Icon::Information);
}

void MarksWindow::ExportList() {
    const QString path = FileChooser::SaveFile(this, QStringLiteral("迷惑電話の一覧を保存"),
                                               QStringLiteral("迷惑電話.csv"),
                                               QStringLiteral("CSV (*.csv);;テキスト (*.txt)"));
    if (path.isEmpty())
        return;
    exchange::ExportReport report;
    {
        db::Database database(Program::DatabasePath());
        report = exchange::ExportMarkList(database, path, exchange::Wording::Japanese);
    }
    if (report.ok)
        Dialogs::Tell(this, QStringLiteral("%1件を保存しました。").arg(report.count), Title,
                      Dialogs::Icon::Information);
    else
        Dialogs::Tell(this, QStringLiteral("保存できませんでした。\n") + report.error, Title,
                      Dialogs::Icon::Exclamation);
}
