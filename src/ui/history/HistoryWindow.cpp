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

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
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
    : SkinnedWindow(WindowKind::History), state(state), mainWindow_(mainWindow) {
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("着信履歴"));
    setWindowIcon(ProgramIcon());
    setAttribute(Qt::WA_DeleteOnClose);
    BuildLayout();
    BuildMemoEditor();
    FormLoad();
    connect(&state, &RunState::historyChanged, this, [this] {
        if (!announcing_)
            RefreshList();
    });
    connect(&state, &RunState::compactionStarting, this, &QWidget::close);
    connect(&state, &RunState::historyWritable, this, &HistoryWindow::ShowHistoryWritable);
    ShowHistoryWritable(state.callHistoryProblem());
}

void HistoryWindow::ShowHistoryWritable(const QString &problem) {
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
    notice_->setVisible(!text.isEmpty());
}

HistoryWindow::~HistoryWindow() {
    // Closing writes the layout; a window deleted without closing writes it here.
    QueryUnload();
}

void HistoryWindow::BuildLayout() {
    auto *icon = new QLabel(this);
    icon->setPixmap(TitleIcon());
    icon->setGeometry(TwipsToPixelsX(240), TwipsToPixelsY(180), 24, 24);
    Image1 = icon;
    Image1->setObjectName(QStringLiteral("Image1"));
    addDragSurface(Image1);
    Caption = PlainLabel(this, QStringLiteral("Caption"));
    Caption->setText(QStringLiteral("着信履歴"));
    QFont captionFont = Caption->font();
    captionFont.setPointSize(11);
    captionFont.setBold(true);
    Caption->setFont(captionFont);
    Caption->setGeometry(TwipsToPixelsX(660), TwipsToPixelsY(165), TwipsToPixelsX(2400),
                         TwipsToPixelsY(420));
    addDragSurface(Caption);

    Picture1 = new TitleBarButtons(TitleBarButtons::Close | TitleBarButtons::Maximize |
                                       TitleBarButtons::Minimize,
                                   QStringLiteral("終了"), this);
    Picture2 = new ResizeGrip(this, QSize(MinimumWidth, MinimumHeight));

    Panel = new BevelPanel(this);
    Panel->setObjectName(QStringLiteral("BevelPanel1"));
    Panel->setOuterEdge(BevelPanel::Raised);
    Panel->setInnerEdge(BevelPanel::Sunken);

    model_ = new HistoryModel(Program::DatabasePath(), this);
    MSFlexGrid1 = new QTableView(this);
    MSFlexGrid1->setObjectName(QStringLiteral("MSFlexGrid1"));
    MSFlexGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    MSFlexGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    MSFlexGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    MSFlexGrid1->setWordWrap(false);
    MSFlexGrid1->setTabKeyNavigation(false);
    // No fixed column; one heading row of 300 twips.
    MSFlexGrid1->verticalHeader()->hide();
    MSFlexGrid1->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    MSFlexGrid1->verticalHeader()->setDefaultSectionSize(TwipsToPixelsY(HeadingRowHeight));
    MSFlexGrid1->horizontalHeader()->setFixedHeight(TwipsToPixelsY(HeadingRowHeight));
    MSFlexGrid1->horizontalHeader()->setHighlightSections(false);
    MSFlexGrid1->horizontalHeader()->setStretchLastSection(false);
    // The rows' header is set up before the rows come: changing it afterwards would touch
    // every one of a million rows.
    MSFlexGrid1->setModel(model_);
    connect(MSFlexGrid1->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &HistoryWindow::GridCurrentChanged);
    MSFlexGrid1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(MSFlexGrid1, &QWidget::customContextMenuRequested, this, &HistoryWindow::ShowGridMenu);
    connect(MSFlexGrid1, &QTableView::doubleClicked, this, [this](const QModelIndex &index) {
        // Only the memo column opens the editor.
        if (index.column() == HistoryModel::MemoColumn)
            ShowMemoEditor();
    });

    Picture3 = new QWidget(this);
    Picture3->setObjectName(QStringLiteral("Picture3"));
    Picture6 = new QWidget(this);
    Picture6->setObjectName(QStringLiteral("Picture6"));
    for (int i = 0; i < CommandCount; ++i) {
        QWidget *bar = i <= Register ? Picture3 : Picture6;
        const int slot = i <= Register ? i : i - DeleteSelected;
        ImageButton *button =
            MakeFaceButton(Commands[i], 32, 32, bar, QStringLiteral("Picture4(%1)").arg(i));
        button->move(TwipsToPixelsX(slot * CommandStep), 0);
        connect(button, &ImageButton::clicked, this, [this, i] { CommandClicked(i); });
        Picture4[i] = button;
    }
    Picture3->resize(TwipsToPixelsX(4 * CommandStep), TwipsToPixelsY(CommandBarHeight));
    Picture6->resize(TwipsToPixelsX(2 * CommandStep), TwipsToPixelsY(CommandBarHeight));
    Picture4[OnTop]->setNormalFace([this] { return OnTopFace(); });
}

void HistoryWindow::BuildMemoEditor() {
    Frame1 = new QGroupBox(QStringLiteral("メモの編集"), this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setAutoFillBackground(true);
    // A panel of its own over the list, its caption inside its border.
    Frame1->setStyleSheet(QStringLiteral(
        "QGroupBox#Frame1 { border: 1px solid #7a8aa0; border-radius: 3px; margin-top: 0px; "
        "background-color: palette(window); font-weight: bold; }"
        "QGroupBox#Frame1::title { subcontrol-origin: padding; subcontrol-position: top left; "
        "left: 8px; top: 3px; }"
        "QGroupBox#Frame1 QLabel, QGroupBox#Frame1 QPlainTextEdit { font-weight: normal; }"));
    Frame1->resize(TwipsToPixelsX(EditorWidth), TwipsToPixelsY(EditorHeight));
    const int w = Frame1->width();
    const int h = Frame1->height();
    for (int i = 0; i < 3; ++i)
        Label1[i] = PlainLabel(Frame1, QStringLiteral("Label1(%1)").arg(i));
    Label1[0]->setGeometry(12, 26, 110, 18);
    Label1[1]->setGeometry(126, 26, w - 138, 18);
    Label1[2]->setGeometry(12, 45, w - 24, 18);
    Text1 = new QPlainTextEdit(Frame1);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setGeometry(12, 67, w - 24, h - 67 - 47);
    const struct {
        int pressed, normal;
        const char *tip;
    } buttons[2] = {{MemoSavePressed, MemoSaveNormal, "メモを登録する。"},
                    {MemoClosePressed, MemoCloseNormal, "メモを閉じる。"}};
    for (int i = 0; i < 2; ++i) {
        auto *b = new ImageButton(75, 35, Frame1);
        b->setObjectName(QStringLiteral("Picture17(%1)").arg(i));
        b->setPressedFace(buttons[i].pressed);
        b->setFace(buttons[i].normal);
        b->setToolTip(QString::fromUtf8(buttons[i].tip));
        b->move(w - 12 - (2 - i) * 75 - (1 - i) * 6, h - 41);
        Picture17[i] = b;
    }
    connect(Picture17[0], &ImageButton::clicked, this, &HistoryWindow::SaveMemo);
    connect(Picture17[1], &ImageButton::clicked, this, &HistoryWindow::HideMemoEditor);
    Frame1->hide();
}

void HistoryWindow::FormLoad() {
    // 1: the program's folder is the current directory for every relative file name.
    QDir::setCurrent(Program::AppFolder);
    // 2-3: any fault in the file gives all eleven defaults.
    ReadHistoryLayoutFile(LayoutPath(), layout_);
    // 4
    Picture4[OnTop]->setFace(OnTopFace());
    if (layout_.HistoryOnTop)
        ApplyOnTop();
    // 5-7
    RefreshList();
    // A position saved for a screen that is gone is shown on the screen there is.
    const QRect saved(TwipsToPixelsX(layout_.Left), TwipsToPixelsY(layout_.Top),
                      TwipsToPixelsX(std::max(layout_.Width, MinimumWidth)),
                      TwipsToPixelsY(std::max(layout_.Height, MinimumHeight)));
    setGeometry(QRect(WindowChrome::VisiblePosition(saved), saved.size()));
}

void HistoryWindow::RefreshList(std::optional<qint32> keep) {
    QHeaderView *header = MSFlexGrid1->horizontalHeader();
    // The widths are the user's (or the file's): a refresh keeps them.
    int widths[HistoryLayout::ColumnCount];
    const bool loaded = widthsApplied_;
    widthsApplied_ = true;
    for (int i = 0; i < HistoryLayout::ColumnCount; ++i)
        widths[i] = loaded ? header->sectionSize(i) : TwipsToPixelsX(layout_.ColumnWidth[i]);
    // At load the model has just read the list.
    if (loaded)
        model_->refresh();
    for (int i = 0; i < HistoryLayout::ColumnCount; ++i)
        MSFlexGrid1->setColumnWidth(i, widths[i]);
    // The key and the postal code are carried, never shown.
    MSFlexGrid1->setColumnHidden(HistoryModel::IdColumn, true);
    MSFlexGrid1->setColumnHidden(HistoryModel::ZipColumn, true);

    int row = 0;
    if (keep)
        row = std::max(0, model_->rowOfId(*keep));
    selected_.reset();
    if (model_->rowCount() > 0) {
        const QModelIndex index = model_->index(row, 0);
        MSFlexGrid1->setCurrentIndex(index);
        MSFlexGrid1->scrollTo(index);
        GridCurrentChanged();
    }
}

void HistoryWindow::GridCurrentChanged() {
    const QModelIndex current = MSFlexGrid1->currentIndex();
    if (!current.isValid() || current.row() >= model_->rowCount()) {
        selected_.reset();
        return;
    }
    selected_ = model_->historyId(current.row());
}

void HistoryWindow::PlaceControls() {
    const int W = PixelsToTwipsX(width());
    const int H = PixelsToTwipsY(height());
    Picture2->move(TwipsToPixelsX(W - GripFromRight), TwipsToPixelsY(H - GripFromBottom));
    Picture1->move(TwipsToPixelsX(W - TitleButtonsFromRight), TwipsToPixelsY(TitleButtonsTop));
    Picture3->move(TwipsToPixelsX(CommandBarLeft), TwipsToPixelsY(H - CommandBarFromBottom));
    Picture6->move(TwipsToPixelsX(W - RightBarFromRight), TwipsToPixelsY(H - CommandBarFromBottom));
    if (notice_) {
        const int left = CommandBarLeft + 4 * CommandStep + 60;
        PlaceTwips(notice_, left, H - CommandBarFromBottom,
                   std::max(0, W - RightBarFromRight - 60 - left), CommandBarHeight);
    }
    PlaceTwips(Panel, PanelLeft, PanelTop, W - PanelWidthLess, H - PanelHeightLess);
    PlaceTwips(MSFlexGrid1, GridLeft, GridTop, W - GridWidthLess, H - GridHeightLess);
    Picture2->raise();
    Frame1->raise();
}

void HistoryWindow::resizeEvent(QResizeEvent *event) {
    SkinnedWindow::resizeEvent(event);
    if (!isMinimized())
        PlaceControls();
}

// --- commands ---

void HistoryWindow::CommandClicked(int item) {
    switch (item) {
    case Close:
        close();
        break;
    case OnTop:
        layout_.HistoryOnTop = !layout_.HistoryOnTop;
        Picture4[OnTop]->setFace(OnTopFace());
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

int HistoryWindow::OnTopFace() const {
    return layout_.HistoryOnTop ? OnTopOn : OnTopOff;
}

void HistoryWindow::ApplyOnTop() {
    WindowChrome::ApplyTopMost(this, layout_.HistoryOnTop, mainWindow_,
                               state.settings().AlwaysOnTop == 1);
}

void HistoryWindow::AnnounceHistoryChanged() {
    announcing_ = true;
    state.announceHistoryChanged();
    announcing_ = false;
}

void HistoryWindow::DeleteSelectedCall() {
    // No confirmation: the selected call goes, and the newest becomes the selected one.
    if (selected_) {
        db::Database database(Program::DatabasePath());
        const bool deleted = db::DeleteHistoryRow(database, *selected_);
        database.close();
        if (deleted)
            AnnounceHistoryChanged();
    }
    RefreshList();
}

void HistoryWindow::DeleteAllCalls() {
    Dialogs::MessageBox box;
    box.text = QStringLiteral("すべての着信履歴を削除します。");
    box.title = QStringLiteral("着信履歴削除の確認");
    box.icon = Dialogs::Icon::Question;
    box.buttons = Dialogs::Buttons::OkCancel;
    box.defaultButton = Dialogs::Answer::Cancel;
    box.systemModal = true;
    if (Dialogs::Show(this, box) != Dialogs::Answer::Ok)
        return;
    db::Database database(Program::DatabasePath());
    const bool deleted = db::DeleteAllHistory(database);
    database.close();
    if (deleted)
        AnnounceHistoryChanged();
    // A failed delete still shows the list as it is.
    RefreshList();
}

// --- the list's context menu ---

void HistoryWindow::ShowGridMenu(const QPoint &at) {
    QMenu menu(this);
    menu.setObjectName(QStringLiteral("HistoryMenu"));
    QAction *save = menu.addAction(QStringLiteral("CSVで保存…"));
    // `at` is in the coordinates of the list's viewport.
    if (menu.exec(MSFlexGrid1->viewport()->mapToGlobal(at)) == save)
        SaveCallsAsCsv();
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
    // A success says nothing: the file is where the user put it.
    if (report.ok)
        return;
    Dialogs::MessageBox box;
    box.text = QStringLiteral("CSVファイルに保存できませんでした。\n") + report.error;
    box.title = QStringLiteral("着信履歴");
    box.icon = Dialogs::Icon::Exclamation;
    Dialogs::Show(this, box);
}

// --- the memo editor ---

void HistoryWindow::ShowMemoEditor() {
    // 1: an empty list, or a hidden id of 0, opens nothing.
    if (!selected_ || *selected_ == 0)
        return;
    // 2-4
    db::Database database(Program::DatabasePath());
    const std::optional<db::CallMemo> memo = db::ReadCallMemo(database, *selected_);
    database.close();
    if (!memo)
        return;
    Label1[0]->setText(memo->Date);
    Label1[1]->setText(memo->Time);
    Label1[2]->setText(memo->Number);
    Text1->setPlainText(memo->Memo);
    // 5: centred in the inner area (never above or left of it).
    Frame1->move(std::max(0, (width() - Frame1->width()) / 2),
                 std::max(0, (height() - Frame1->height()) / 2));
    Frame1->show();
    Frame1->raise();
    Text1->setFocus();
}

void HistoryWindow::SaveMemo() {
    // The memo goes to the call selected now, which stays selected.
    const std::optional<qint32> id = selected_;
    if (id) {
        db::Database database(Program::DatabasePath());
        const bool written = db::WriteCallMemo(database, *id, Text1->toPlainText());
        database.close();
        if (written)
            AnnounceHistoryChanged();
    }
    RefreshList(id);
    HideMemoEditor();
}

void HistoryWindow::HideMemoEditor() {
    Frame1->hide();
}

// --- closing ---

void HistoryWindow::QueryUnload() {
    if (unloaded_)
        return;
    unloaded_ = true;
    // A value the user did not change keeps its twips exactly (pixels are coarser).
    const auto keep = [](qint32 &twips, int pixels, int (*toPixels)(int), int (*toTwips)(int)) {
        if (toPixels(twips) != pixels)
            twips = toTwips(pixels);
    };
    QHeaderView *header = MSFlexGrid1->horizontalHeader();
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
}

void HistoryWindow::closeEvent(QCloseEvent *event) {
    QueryUnload();
    event->accept();
}
