#include "ui/history/HistoryWindow.h"

#include "db/Database.h"
#include "db/History.h"
#include "exchange/HistoryCsv.h"
#include "platform/desktop/Dialogs.h"
#include "platform/desktop/FileChooser.h"
#include "runstate/RunState.h"
#include "settings/Program.h"
#include "ui/chrome/ImageButton.h"
#include "ui/chrome/Pictures.h"
#include "ui/chrome/ResizeGrip.h"
#include "ui/chrome/TitleBarButtons.h"
#include "ui/chrome/WindowChrome.h"
#include "ui/controls/BevelPanel.h"
#include "ui/history/HistoryModel.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QStyleOptionHeader>
#include <QStyleOptionViewItem>
#include <QTableView>
#include <algorithm>

namespace {

using namespace HistoryFaces;
using WindowChrome::PixelsToTwipsX;
using WindowChrome::PixelsToTwipsY;
using WindowChrome::TwipsToPixelsX;
using WindowChrome::TwipsToPixelsY;

using WindowChrome::PlaceTwips;

QString LayoutPath() {
    return Program::filePath(QStringLiteral("Rireki.ini"));
}

QLabel *PlainLabel(QWidget *parent, const QString &name) {
    auto *label = new QLabel(parent);
    label->setObjectName(name);
    // Numbers and names come from outside: never read them as markup.
    label->setTextFormat(Qt::PlainText);
    return label;
}

} // namespace

HistoryWindow::HistoryWindow(RunState &state, QWidget *mainWindow)
    : SkinnedWindow(WindowKind::History), state_(state), mainWindow_(mainWindow) {
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("着信履歴"));
    setWindowIcon(ProgramIcon());
    setAttribute(Qt::WA_DeleteOnClose);
    BuildTitle();
    BuildCallList();
    BuildCommandBars();
    BuildMemoEditor();
    Load();
    connect(&state_, &RunState::historyChanged, this, [this] {
        if (!announcing_)
            RefreshList();
    });
    connect(&state_, &RunState::compactionStarting, this, &QWidget::close);
    connect(&state_, &RunState::historyWritable, this, &HistoryWindow::OnHistoryWritable);
    OnHistoryWritable(state_.callHistoryProblem());
}

void HistoryWindow::OnHistoryWritable(const QString &problem) {
    if (!notice_) {
        notice_ = PlainLabel(this, QStringLiteral("HistoryNotice"));
        QPalette palette = notice_->palette();
        palette.setColor(QPalette::WindowText, QColor(192, 64, 0));
        notice_->setPalette(palette);
        PlaceControls();
    }
    const QString text = problem.isEmpty() ? QString()
                                           : QStringLiteral("着信履歴に記録できません（") +
                                                 problem + QStringLiteral("）");
    notice_->setText(text);
    notice_->setToolTip(text.toHtmlEscaped());
    notice_->setAccessibleDescription(text);
    notice_->setVisible(!text.isEmpty());
}

HistoryWindow::~HistoryWindow() {
    // Closing writes the layout; a window deleted without closing writes it here.
    Unload();
}

void HistoryWindow::BuildTitle() {
    auto *icon = new QLabel(this);
    icon->setPixmap(TitleIcon());
    icon->setGeometry(TwipsToPixelsX(240), TwipsToPixelsY(180), 24, 24);
    titleIcon_ = icon;
    titleIcon_->setObjectName(QStringLiteral("Image1"));
    addDragSurface(titleIcon_);
    caption_ = PlainLabel(this, QStringLiteral("Caption"));
    caption_->setText(QStringLiteral("着信履歴"));
    QFont captionFont = caption_->font();
    captionFont.setPointSize(11);
    captionFont.setBold(true);
    caption_->setFont(captionFont);
    caption_->setGeometry(TwipsToPixelsX(660), TwipsToPixelsY(165), TwipsToPixelsX(2400),
                          TwipsToPixelsY(420));
    addDragSurface(caption_);

    titleButtons_ = new TitleBarButtons(TitleBarButtons::Close | TitleBarButtons::Maximize |
                                            TitleBarButtons::Minimize,
                                        QStringLiteral("終了"), this);
    resizeGrip_ = new ResizeGrip(this, QSize(MinimumWidth, MinimumHeight));
}

void HistoryWindow::BuildCallList() {
    listPanel_ = new BevelPanel(this);
    listPanel_->setObjectName(QStringLiteral("BevelPanel1"));
    listPanel_->setOuterEdge(BevelPanel::Raised);
    listPanel_->setInnerEdge(BevelPanel::Sunken);

    model_ = new HistoryModel(Program::DatabasePath(), this);
    callList_ = new QTableView(this);
    callList_->setObjectName(QStringLiteral("callList_"));
    callList_->setAccessibleName(QStringLiteral("着信履歴"));
    callList_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    callList_->setSelectionBehavior(QAbstractItemView::SelectRows);
    callList_->setSelectionMode(QAbstractItemView::SingleSelection);
    callList_->setWordWrap(false);
    callList_->setTabKeyNavigation(false);
    // No fixed column; one heading row of 300 twips.
    callList_->verticalHeader()->hide();
    callList_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    callList_->verticalHeader()->setDefaultSectionSize(TwipsToPixelsY(HeadingRowHeight));
    callList_->horizontalHeader()->setFixedHeight(TwipsToPixelsY(HeadingRowHeight));
    callList_->horizontalHeader()->setHighlightSections(false);
    callList_->horizontalHeader()->setStretchLastSection(false);
    // Newest first until a heading is clicked: no column's order is shown.
    callList_->horizontalHeader()->setSectionsClickable(true);
    callList_->horizontalHeader()->setSortIndicatorShown(true);
    callList_->horizontalHeader()->setSortIndicator(-1, Qt::DescendingOrder);
    // The rows' header is set up before the rows come: changing it afterwards would touch
    // every one of a million rows.
    callList_->setModel(model_);
    connect(callList_->horizontalHeader(), &QHeaderView::sortIndicatorChanged, this,
            &HistoryWindow::SortList);
    // The grid's own bar would reach only the window it holds: the list's bar stands beside
    // it, over every call, and the two follow each other.
    callList_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    listScroll_ = new QScrollBar(Qt::Vertical, this);
    listScroll_->setObjectName(QStringLiteral("ListScroll"));
    listScroll_->setAccessibleName(QStringLiteral("着信履歴のスクロール"));
    listScroll_->setFocusPolicy(Qt::NoFocus);
    QScrollBar *gridScroll = callList_->verticalScrollBar();
    connect(gridScroll, &QScrollBar::rangeChanged, this, &HistoryWindow::SizeListScroll);
    connect(gridScroll, &QScrollBar::valueChanged, this, &HistoryWindow::FollowGridScroll);
    connect(listScroll_, &QScrollBar::valueChanged, this, &HistoryWindow::ScrollListTo);
    connect(model_, &QAbstractItemModel::modelReset, this, &HistoryWindow::SizeListScroll);
    // Ctrl+Home and Ctrl+End go to the ends of the list, not of the window.
    callList_->installEventFilter(this);
    // Ctrl+Z anywhere in the window but the memo box (which undoes its own typing).
    undoAction_ = new QAction(QStringLiteral("元に戻す"), this);
    undoAction_->setObjectName(QStringLiteral("UndoDeletion"));
    undoAction_->setShortcut(QKeySequence::Undo);
    undoAction_->setShortcutContext(Qt::WindowShortcut);
    undoAction_->setEnabled(false);
    addAction(undoAction_);
    connect(undoAction_, &QAction::triggered, this, &HistoryWindow::UndoDeletion);
    connect(callList_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &HistoryWindow::OnCurrentCallChanged);
    callList_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(callList_, &QWidget::customContextMenuRequested, this,
            &HistoryWindow::ShowCallListMenu);
    connect(callList_, &QTableView::doubleClicked, this, [this](const QModelIndex &index) {
        // Only the memo column opens the editor.
        if (index.column() == HistoryModel::ColumnOf(QStringLiteral("メモ")))
            ShowMemoEditor();
    });
}

void HistoryWindow::BuildCommandBars() {
    leftCommandBar_ = new QWidget(this);
    leftCommandBar_->setObjectName(QStringLiteral("Picture3"));
    rightCommandBar_ = new QWidget(this);
    rightCommandBar_->setObjectName(QStringLiteral("Picture6"));
    for (int i = 0; i < CommandCount; ++i) {
        QWidget *bar = i <= Register ? leftCommandBar_ : rightCommandBar_;
        const int slot = i <= Register ? i : i - DeleteSelected;
        ImageButton *button =
            MakeFaceButton(Commands[i], 32, 32, bar, QStringLiteral("Picture4(%1)").arg(i));
        button->move(TwipsToPixelsX(slot * CommandStep), 0);
        connect(button, &ImageButton::clicked, this, [this, i] { OnCommand(i); });
        commandButtons_[i] = button;
    }
    leftCommandBar_->resize(TwipsToPixelsX(4 * CommandStep), TwipsToPixelsY(CommandBarHeight));
    rightCommandBar_->resize(TwipsToPixelsX(2 * CommandStep), TwipsToPixelsY(CommandBarHeight));
    commandButtons_[OnTop]->setNormalFace([this] { return onTopFace(); });
}

void HistoryWindow::BuildMemoEditor() {
    memoEditor_ = new QGroupBox(QStringLiteral("メモの編集"), this);
    memoEditor_->setObjectName(QStringLiteral("Frame1"));
    memoEditor_->setAutoFillBackground(true);
    // A panel of its own over the list, its caption inside its border.
    memoEditor_->setStyleSheet(QStringLiteral(
        "QGroupBox#Frame1 { border: 1px solid #7a8aa0; border-radius: 3px; margin-top: 0px; "
        "background-color: palette(window); font-weight: bold; }"
        "QGroupBox#Frame1::title { subcontrol-origin: padding; subcontrol-position: top left; "
        "left: 8px; top: 3px; }"
        "QGroupBox#Frame1 QLabel, QGroupBox#Frame1 QPlainTextEdit { font-weight: normal; }"));
    memoEditor_->resize(TwipsToPixelsX(EditorWidth), TwipsToPixelsY(EditorHeight));
    const int w = memoEditor_->width();
    const int h = memoEditor_->height();
    memoCallDate_ = PlainLabel(memoEditor_, QStringLiteral("Label1(0)"));
    memoCallTime_ = PlainLabel(memoEditor_, QStringLiteral("Label1(1)"));
    memoCallNumber_ = PlainLabel(memoEditor_, QStringLiteral("Label1(2)"));
    memoCallDate_->setGeometry(12, 26, 110, 18);
    memoCallTime_->setGeometry(126, 26, w - 138, 18);
    memoCallNumber_->setGeometry(12, 45, w - 24, 18);
    memoText_ = new QPlainTextEdit(memoEditor_);
    memoText_->setObjectName(QStringLiteral("Text1"));
    memoText_->setAccessibleName(QStringLiteral("メモ"));
    memoText_->setGeometry(12, 67, w - 24, h - 67 - 47);
    const struct {
        int pressed, normal;
        const char *tip;
    } buttons[2] = {{MemoSavePressed, MemoSaveNormal, "メモを登録する。"},
                    {MemoClosePressed, MemoCloseNormal, "メモを閉じる。"}};
    for (int i = 0; i < 2; ++i) {
        auto *b = new ImageButton(75, 35, memoEditor_);
        b->setObjectName(QStringLiteral("Picture17(%1)").arg(i));
        b->setPressedFace(buttons[i].pressed);
        b->setFace(buttons[i].normal);
        b->setToolTip(QString::fromUtf8(buttons[i].tip));
        b->move(w - 12 - (2 - i) * 75 - (1 - i) * 6, h - 41);
        memoButtons_[i] = b;
    }
    connect(memoButtons_[0], &ImageButton::clicked, this, &HistoryWindow::SaveMemo);
    connect(memoButtons_[1], &ImageButton::clicked, this, &HistoryWindow::HideMemoEditor);
    memoEditor_->hide();
}

void HistoryWindow::Load() {
    // Any fault in the file gives all eleven defaults.
    const bool userLayout = ReadHistoryLayoutFile(LayoutPath(), layout_);
    // The on-top command shows and applies the stored choice.
    commandButtons_[OnTop]->setFace(onTopFace());
    if (layout_.HistoryOnTop)
        ApplyOnTop();
    // A position saved for a screen that is gone is shown on the screen there is; the size and
    // the columns are held to the screen.
    const QRect saved(TwipsToPixelsX(layout_.Left), TwipsToPixelsY(layout_.Top),
                      TwipsToPixelsX(std::max(layout_.Width, MinimumWidth)),
                      TwipsToPixelsY(std::max(layout_.Height, MinimumHeight)));
    const QRect placed = WindowChrome::VisibleGeometry(saved);
    for (qint32 &width : layout_.ColumnWidth)
        width = std::min(width, WindowChrome::PixelsToTwipsX(placed.width()));
    // The widths stored in the file are the user's; without them every column shows.
    if (!userLayout) {
        resize(placed.size());
        FitColumnWidths();
    }
    // The list, newest call selected, then the stored place and size.
    RefreshList();
    setGeometry(placed);
}

void HistoryWindow::RefreshList(std::optional<qint32> keep) {
    QHeaderView *header = callList_->horizontalHeader();
    const int stored = std::min<int>(HistoryLayout::ColumnCount, model_->columnCount());
    // The widths are the user's (or the file's): a refresh keeps them.
    QVector<int> widths(model_->columnCount());
    const bool loaded = widthsApplied_;
    widthsApplied_ = true;
    for (int i = 0; i < widths.size(); ++i)
        widths[i] =
            loaded || i >= stored ? header->sectionSize(i) : TwipsToPixelsX(layout_.ColumnWidth[i]);
    // At load the model has just read the list.
    if (loaded)
        model_->refresh();
    for (int i = 0; i < widths.size(); ++i) {
        callList_->setColumnWidth(i, widths[i]);
        // The key and the postal code are carried, never shown.
        callList_->setColumnHidden(i, !HistoryModel::IsShown(i));
    }
    int row = 0;
    if (keep)
        row = std::max(0, model_->listRowOfId(*keep));
    SelectRow(row);
    SizeListScroll();
}

void HistoryWindow::SelectRow(int listRow) {
    selected_.reset();
    selectedListRow_ = -1;
    if (model_->listRowCount() > 0) {
        listRow = std::clamp(listRow, 0, model_->listRowCount() - 1);
        HoldInWindow(listRow, 1);
        const QModelIndex index = model_->index(model_->rowInWindow(listRow), 0);
        callList_->setCurrentIndex(index);
        callList_->scrollTo(index);
        OnCurrentCallChanged();
    }
}

// The list's bar: as many steps as the grid's bar has, and the rows beyond the window.
void HistoryWindow::SizeListScroll() {
    const QScrollBar *grid = callList_->verticalScrollBar();
    const QSignalBlocker quiet(listScroll_);
    listScroll_->setRange(0, grid->maximum() + model_->listRowCount() - model_->rowCount());
    listScroll_->setPageStep(grid->pageStep());
    listScroll_->setSingleStep(grid->singleStep());
    listScroll_->setValue(model_->windowStart() + grid->value());
    // Shown, as the grid's own was, only when the list does not fit.
    const bool needed = listScroll_->maximum() > 0;
    if (needed != !listScroll_->isHidden()) {
        listScroll_->setVisible(needed);
        PlaceControls();
    }
}

// The list's bar moved (dragged, clicked, wheeled): the window goes there, then the grid.
void HistoryWindow::ScrollListTo(int top) {
    if (following_)
        return;
    const QScopedValueRollback<bool> following(following_, true);
    QScrollBar *grid = callList_->verticalScrollBar();
    HoldInWindow(top, grid->pageStep());
    grid->setValue(top - model_->windowStart());
}

// The grid scrolled itself (the wheel over it, the keys, a row brought into view): the list's
// bar goes there, and the window follows it as for any move of the bar.
void HistoryWindow::FollowGridScroll(int value) {
    if (!following_)
        listScroll_->setValue(model_->windowStart() + value);
}

// Moves the window when it must. The selected call stays selected while it is out of the
// window, and is shown selected again when the window comes back to it.
void HistoryWindow::HoldInWindow(int first, int count) {
    bool moved = false;
    {
        const QScopedValueRollback<bool> shifting(shifting_, true);
        moved = model_->holdInWindow(first, count);
    }
    if (!moved || !selected_ || callList_->currentIndex().isValid())
        return;
    const int row = model_->rowInWindow(selectedListRow_);
    if (row >= 0 && model_->historyId(row) == *selected_) {
        const QScopedValueRollback<bool> shifting(shifting_, true);
        callList_->selectionModel()->setCurrentIndex(
            model_->index(row, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }
}

bool HistoryWindow::eventFilter(QObject *watched, QEvent *event) {
    if (watched == callList_ && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->modifiers() == Qt::ControlModifier &&
            (key->key() == Qt::Key_Home || key->key() == Qt::Key_End)) {
            SelectRow(key->key() == Qt::Key_Home ? 0 : model_->listRowCount() - 1);
            return true;
        }
    }
    return SkinnedWindow::eventFilter(watched, event);
}

void HistoryWindow::SortList(int column, Qt::SortOrder order) {
    const db::HistoryList &list = model_->list();
    if (!HistoryModel::IsSortable(column)) {
        // The heading shows the order the list has.
        const QSignalBlocker quiet(callList_->horizontalHeader());
        callList_->horizontalHeader()->setSortIndicator(
            list.orderColumn(), list.orderAscending() ? Qt::AscendingOrder : Qt::DescendingOrder);
        return;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    model_->sort(column, order);
    // The top of the list in its new order.
    SelectRow(0);
    QApplication::restoreOverrideCursor();
}

// Without a layout of the user's: the date, time and number as wide as their widest text (the
// style's own measure of a cell and a heading, so nothing is cut), and the other columns
// sharing the rest of the list's width in the window's size, so every column shows.
void HistoryWindow::FitColumnWidths() {
    QHeaderView *header = callList_->horizontalHeader();
    const auto cellWidth = [this](const QString &text) {
        QStyleOptionViewItem option;
        option.initFrom(callList_);
        option.font = callList_->font();
        option.fontMetrics = QFontMetrics(option.font);
        option.features = QStyleOptionViewItem::HasDisplay;
        option.text = text;
        option.widget = callList_;
        return callList_->style()
                   ->sizeFromContents(QStyle::CT_ItemViewItem, &option, QSize(), callList_)
                   .width() +
               (callList_->showGrid() ? 1 : 0);
    };
    const auto headingWidth = [header](const QString &text) {
        QStyleOptionHeader option;
        option.initFrom(header);
        option.text = text;
        option.fontMetrics = header->fontMetrics();
        // Room for the order's arrow once the heading is clicked.
        option.sortIndicator = QStyleOptionHeader::SortDown;
        return header->style()
            ->sizeFromContents(QStyle::CT_HeaderSection, &option, QSize(), header)
            .width();
    };
    const int listWidth = TwipsToPixelsX(PixelsToTwipsX(width()) - GridWidthLess) -
                          2 * callList_->frameWidth() -
                          callList_->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr,
                                                          callList_->verticalScrollBar());
    int left = listWidth;
    int shares = 0;
    QVector<int> widths(model_->columnCount(), -1);
    for (const ColumnFit &fit : ColumnFits) {
        const int c = HistoryModel::ColumnOf(QString::fromUtf8(fit.field));
        if (c < 0 || c >= HistoryLayout::ColumnCount)
            continue;
        const int least = headingWidth(QString::fromUtf8(fit.field));
        if (fit.share > 0) {
            shares += fit.share;
            widths[c] = least;
        } else {
            // One pixel to spare for the twips the width is kept in.
            widths[c] = std::max(least, cellWidth(QString::fromUtf8(fit.widestText))) + 1;
            left -= widths[c];
        }
    }
    for (const ColumnFit &fit : ColumnFits) {
        const int c = HistoryModel::ColumnOf(QString::fromUtf8(fit.field));
        if (c >= 0 && c < HistoryLayout::ColumnCount && fit.share > 0)
            widths[c] = std::max(widths[c], left * fit.share / std::max(1, shares));
    }
    for (int c = 0; c < HistoryLayout::ColumnCount && c < widths.size(); ++c)
        if (widths[c] >= 0)
            layout_.ColumnWidth[c] = PixelsToTwipsX(widths[c]);
}

void HistoryWindow::OnCurrentCallChanged() {
    // The window moving off the selected call leaves it selected.
    if (shifting_)
        return;
    const QModelIndex current = callList_->currentIndex();
    if (!current.isValid() || current.row() >= model_->rowCount()) {
        selected_.reset();
        selectedListRow_ = -1;
        return;
    }
    selected_ = model_->historyId(current.row());
    selectedListRow_ = model_->windowStart() + current.row();
}

void HistoryWindow::PlaceControls() {
    const int w = PixelsToTwipsX(width());
    const int h = PixelsToTwipsY(height());
    resizeGrip_->move(TwipsToPixelsX(w - GripFromRight), TwipsToPixelsY(h - GripFromBottom));
    titleButtons_->move(TwipsToPixelsX(w - TitleButtonsFromRight), TwipsToPixelsY(TitleButtonsTop));
    leftCommandBar_->move(TwipsToPixelsX(CommandBarLeft), TwipsToPixelsY(h - CommandBarFromBottom));
    rightCommandBar_->move(TwipsToPixelsX(w - RightBarFromRight),
                           TwipsToPixelsY(h - CommandBarFromBottom));
    if (notice_) {
        const int left = CommandBarLeft + 4 * CommandStep + 60;
        PlaceTwips(notice_, left, h - CommandBarFromBottom,
                   std::max(0, w - RightBarFromRight - 60 - left), CommandBarHeight);
    }
    PlaceTwips(listPanel_, PanelLeft, PanelTop, w - PanelWidthLess, h - PanelHeightLess);
    PlaceTwips(callList_, GridLeft, GridTop, w - GridWidthLess, h - GridHeightLess);
    // The list's bar at the grid's right, where the grid's own would stand.
    const QRect grid = callList_->geometry();
    const int bar = listScroll_->isHidden()
                        ? 0
                        : style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, listScroll_);
    callList_->resize(grid.width() - bar, grid.height());
    listScroll_->setGeometry(grid.x() + grid.width() - bar, grid.y(), bar, grid.height());
    resizeGrip_->raise();
    memoEditor_->raise();
}

void HistoryWindow::resizeEvent(QResizeEvent *event) {
    SkinnedWindow::resizeEvent(event);
    if (!isMinimized())
        PlaceControls();
}

// --- commands ---

void HistoryWindow::OnCommand(int item) {
    switch (item) {
    case Close:
        close();
        break;
    case OnTop:
        layout_.HistoryOnTop = !layout_.HistoryOnTop;
        commandButtons_[OnTop]->setFace(onTopFace());
        ApplyOnTop();
        break;
    case Memo:
        ShowMemoEditor();
        break;
    case Register:
        if (selected_)
            emit registerRequested(*selected_);
        break;
    case DeleteSelected:
        DeleteSelectedCall();
        break;
    case DeleteAll:
        DeleteAllCalls();
        break;
    default:
        break;
    }
}

int HistoryWindow::onTopFace() const {
    return layout_.HistoryOnTop ? OnTopOn : OnTopOff;
}

void HistoryWindow::ApplyOnTop() {
    WindowChrome::ApplyTopMost(this, layout_.HistoryOnTop, mainWindow_,
                               state_.settings().AlwaysOnTop == 1);
}

void HistoryWindow::AnnounceHistoryChanged() {
    announcing_ = true;
    state_.announceHistoryChanged();
    announcing_ = false;
}

void HistoryWindow::DeleteSelectedCall() {
    // No confirmation: the selected call goes, and the newest becomes the selected one.
    if (selected_) {
        db::Database database(Program::DatabasePath());
        std::optional<db::StoredCall> taken = db::TakeHistoryRow(database, *selected_);
        database.close();
        if (taken) {
            // Kept whole, memo and all, for 「元に戻す」.
            lastDeleted_ = std::move(taken);
            undoAction_->setEnabled(true);
            AnnounceHistoryChanged();
        }
    }
    RefreshList();
}

void HistoryWindow::DeleteAllCalls() {
    if (!Dialogs::Confirm(this, QStringLiteral("すべての着信履歴を削除します。"),
                          QStringLiteral("着信履歴削除の確認"), Dialogs::Icon::Question))
        return;
    db::Database database(Program::DatabasePath());
    const bool deleted = db::DeleteAllHistory(database);
    database.close();
    if (deleted) {
        // The last deletion is now one that cannot be undone.
        lastDeleted_.reset();
        undoAction_->setEnabled(false);
        AnnounceHistoryChanged();
    }
    // A failed delete still shows the list as it is.
    RefreshList();
}

// --- the list's context menu ---

void HistoryWindow::ShowCallListMenu(const QPoint &at) {
    QMenu menu(this);
    menu.setObjectName(QStringLiteral("HistoryMenu"));
    menu.addAction(undoAction_);
    QAction *save = menu.addAction(QStringLiteral("CSVで保存…"));
    // The call under the pointer (else the selected one) can be marked as a nuisance.
    const QModelIndex under = callList_->indexAt(at);
    const int row = under.isValid() ? under.row() : model_->rowInWindow(selectedListRow_);
    const QString number =
        row < 0 ? QString() : model_->index(row, 2).data(Qt::DisplayRole).toString();
    menu.addSeparator();
    QAction *mark = menu.addAction(QStringLiteral("迷惑電話として登録…"));
    QAction *unmark = menu.addAction(QStringLiteral("迷惑電話の登録を解除"));
    mark->setEnabled(!number.isEmpty());
    unmark->setEnabled(!number.isEmpty());
    // `at` is in the coordinates of the list's viewport.
    QAction *chosen = menu.exec(callList_->viewport()->mapToGlobal(at));
    if (chosen == save)
        SaveCallsAsCsv();
    else if (chosen == mark || chosen == unmark)
        emit nuisanceMarkRequested(number, chosen == mark);
}

void HistoryWindow::SaveCallsAsCsv() {
    // The list selects one call at a time, and a single call is seldom what is wanted in a
    // spreadsheet: the menu saves the whole history.
    const QString path =
        FileChooser::SaveFile(this, QStringLiteral("CSVで保存"), QStringLiteral("着信履歴.csv"),
                              QStringLiteral("CSV (*.csv)"));
    if (path.isEmpty())
        return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    db::Database database(Program::DatabasePath());
    const exchange::ExportReport report =
        exchange::ExportHistoryCsv(database, {}, path, exchange::Wording::Japanese);
    database.close();
    QApplication::restoreOverrideCursor();
    // Success is said as the phonebook's vCard save says it: how many calls went where.
    if (report.ok)
        Dialogs::Tell(
            this, QStringLiteral("%1件をCSVファイルに保存しました。\n").arg(report.count) + path,
            QStringLiteral("着信履歴"), Dialogs::Icon::Information);
    else
        Dialogs::Tell(this, QStringLiteral("CSVファイルに保存できませんでした。\n") + report.error,
                      QStringLiteral("着信履歴"), Dialogs::Icon::Exclamation);
}

void HistoryWindow::UndoDeletion() {
    if (!lastDeleted_)
        return;
    db::Database database(Program::DatabasePath());
    const std::optional<qint32> id = db::PutBackHistoryRow(database, *lastDeleted_);
    const db::Database::Problem problem =
        database.isOpen() ? db::LastStatementProblem() : database.problem();
    database.close();
    if (!id) {
        // The call stays kept: the user may try again once the file can be written.
        Dialogs::Tell(this,
                      QStringLiteral("削除した着信を元に戻せませんでした（") +
                          db::ProblemText(problem) + QStringLiteral("）"),
                      QStringLiteral("着信履歴"), Dialogs::Icon::Exclamation);
        return;
    }
    lastDeleted_.reset();
    undoAction_->setEnabled(false);
    AnnounceHistoryChanged();
    RefreshList(*id);
}

// --- the memo editor ---

void HistoryWindow::ShowMemoEditor() {
    // An empty list, or a call whose 履歴ID is 0, opens nothing.
    if (!selected_ || *selected_ == 0)
        return;
    // The call's date, time, number and memo, read afresh.
    db::Database database(Program::DatabasePath());
    const std::optional<db::CallMemo> memo = db::ReadCallMemo(database, *selected_);
    database.close();
    if (!memo)
        return;
    memoCallDate_->setText(memo->Date);
    memoCallTime_->setText(memo->Time);
    memoCallNumber_->setText(memo->Number);
    memoText_->setPlainText(memo->Memo);
    memoCallId_ = *selected_;
    // Centred in the inner area (never above or left of it).
    memoEditor_->move(std::max(0, (width() - memoEditor_->width()) / 2),
                      std::max(0, (height() - memoEditor_->height()) / 2));
    memoEditor_->show();
    memoEditor_->raise();
    memoText_->setFocus();
}

void HistoryWindow::SaveMemo() {
    // The memo goes to the call the editor shows, whatever row was selected meanwhile; the
    // selected row stays selected.
    if (memoCallId_) {
        db::Database database(Program::DatabasePath());
        const bool written = db::WriteCallMemo(database, *memoCallId_, memoText_->toPlainText());
        database.close();
        if (written)
            AnnounceHistoryChanged();
    }
    RefreshList(selected_);
    HideMemoEditor();
}

void HistoryWindow::HideMemoEditor() {
    memoEditor_->hide();
    memoCallId_.reset();
}

// --- closing ---

void HistoryWindow::Unload() {
    if (unloaded_)
        return;
    unloaded_ = true;
    // A value the user did not change keeps its twips exactly (pixels are coarser).
    const auto keep = [](qint32 &twips, int pixels, int (*toPixels)(int), int (*toTwips)(int)) {
        if (toPixels(twips) != pixels)
            twips = toTwips(pixels);
    };
    QHeaderView *header = callList_->horizontalHeader();
    for (int i = 0; i < HistoryLayout::ColumnCount && i < header->count(); ++i)
        keep(layout_.ColumnWidth[i], header->sectionSize(i), TwipsToPixelsX, PixelsToTwipsX);
    // A minimised or maximised window keeps the place it has when shown normally.
    const QRect place = isMinimized() || isMaximized() ? normalGeometry() : geometry();
    if (place.isValid()) {
        keep(layout_.Left, place.x(), TwipsToPixelsX, PixelsToTwipsX);
        keep(layout_.Top, place.y(), TwipsToPixelsY, PixelsToTwipsY);
        keep(layout_.Width, place.width(), TwipsToPixelsX, PixelsToTwipsX);
        keep(layout_.Height, place.height(), TwipsToPixelsY, PixelsToTwipsY);
    }
    WriteHistoryLayoutFile(LayoutPath(), layout_);
    // Compaction needs the file closed everywhere.
    model_->release();
    // The calls go into Kolvane.mdb itself: a copy of the file alone then holds them all.
    db::CheckpointDatabase(Program::DatabasePath());
}

void HistoryWindow::closeEvent(QCloseEvent *event) {
    Unload();
    event->accept();
}
