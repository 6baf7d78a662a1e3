#pragma once

#include "settings/HistoryLayoutFile.h"
#include "ui/chrome/SkinnedWindow.h"
#include "ui/history/HistoryFaces.h"

#include "db/History.h"

#include <optional>

class QAction;
class QGroupBox;
class QLabel;
class QPlainTextEdit;
class QScrollBar;
class QTableView;
class BevelPanel;
class HistoryModel;
class ImageButton;
class ResizeGrip;
class RunState;
class TitleBarButtons;

// Form2: the call-history window. Every call, newest first, in a grid that reads rows as they
// come into view; the commands act on the selected call by its 履歴ID. Load reads Rireki.ini,
// closing writes it. A recorded call (the run state's historyChanged) shows at the top at
// once; compaction closes the window.
class HistoryWindow : public SkinnedWindow {
    Q_OBJECT
public:
    using Command = HistoryFaces::Command;

    // `mainWindow`: kept above this window when it is kept on top of everything.
    explicit HistoryWindow(RunState &state, QWidget *mainWindow = nullptr);
    ~HistoryWindow() override;

    // The selected call's 履歴ID (column 6 of the grid's current row); none when the list is
    // empty.
    std::optional<qint32> selectedHistoryId() const { return selected_; }
    const HistoryLayout &layout() const { return layout_; }
    QTableView *grid() const { return callList_; }
    HistoryModel *model() const { return model_; }
    // The list's scroll bar, over the whole list (the grid holds a window of it).
    QScrollBar *listScrollBar() const { return listScroll_; }

    // Reads the list again (the count and the rows in view) and selects the newest call, or
    // `keep` when it is still there.
    void RefreshList(std::optional<qint32> keep = std::nullopt);
    // Opens the memo editor (Frame1) on the selected call.
    void ShowMemoEditor();
    // The list's context menu: 「CSVで保存…」 writes every call, newest first, to a file the
    // user chooses (the list selects one call at a time).
    void SaveCallsAsCsv();
    // 「元に戻す」 (and Ctrl+Z): the call deleted last comes back as it was, memo and all, and
    // is selected. Only the last deletion of one call, while the window is open.
    void UndoDeletion();
    bool canUndo() const { return lastDeleted_.has_value(); }
    // A click on a heading: the list by that column, from the smallest up, then the other way
    // on the next click; the first row is selected. Newest first until a heading is clicked.
    void SortList(int column, Qt::SortOrder order);

signals:
    // The register command (Picture4(3)): register the selected call's caller into the phonebook.
    void registerRequested(qint32 historyId);
    // The list's right-click menu: mark (or unmark) the number of a call as a nuisance.
    void nuisanceMarkRequested(const QString &number, bool mark);

protected:
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void BuildTitle();
    void BuildCallList();
    void BuildCommandBars();
    void BuildMemoEditor();
    void Load();
    void PlaceControls();
    void Unload();
    void OnCommand(int item);
    void DeleteSelectedCall();
    void DeleteAllCalls();
    void SaveMemo();
    void HideMemoEditor();
    void OnCurrentCallChanged();
    void ShowCallListMenu(const QPoint &at);
    void AnnounceHistoryChanged();
    void OnHistoryWritable(const QString &problem);
    void ApplyOnTop();
    int onTopFace() const;
    void FitColumnWidths();
    // Selects the call at a list row and brings it into view.
    void SelectRow(int listRow);
    // The list's scroll bar and the grid's window, kept together.
    void SizeListScroll();
    void ScrollListTo(int top);
    void FollowGridScroll(int value);
    void HoldInWindow(int first, int count);
    bool eventFilter(QObject *watched, QEvent *event) override;

    RunState &state_;
    QWidget *mainWindow_ = nullptr;
    HistoryLayout layout_;
    HistoryModel *model_ = nullptr;
    std::optional<qint32> selected_;
    // Where the selected call stands in the list, while the window moves away from it.
    int selectedListRow_ = -1;
    // The window is moving, or the grid and the scroll bar are being set to each other.
    bool shifting_ = false;
    bool following_ = false;
    // The call the memo editor was opened for.
    std::optional<qint32> memoCallId_;
    bool announcing_ = false;
    bool widthsApplied_ = false;
    bool unloaded_ = false;
    // The call deleted last, as it was, until it is put back or another deletion comes.
    std::optional<db::StoredCall> lastDeleted_;
    QAction *undoAction_ = nullptr;

    QWidget *titleIcon_ = nullptr;
    QLabel *caption_ = nullptr;
    // Between the command groups: why calls are not being recorded, when they are not.
    QLabel *notice_ = nullptr;
    TitleBarButtons *titleButtons_ = nullptr;
    ResizeGrip *resizeGrip_ = nullptr;
    // The commands in two bars: close to register on the left, the deletes on the right.
    QWidget *leftCommandBar_ = nullptr;
    QWidget *rightCommandBar_ = nullptr;
    ImageButton *commandButtons_[HistoryFaces::CommandCount] = {};
    BevelPanel *listPanel_ = nullptr;
    QTableView *callList_ = nullptr;
    QScrollBar *listScroll_ = nullptr;
    QGroupBox *memoEditor_ = nullptr;
    // The edited call's date, time and number.
    QLabel *memoCallDate_ = nullptr;
    QLabel *memoCallTime_ = nullptr;
    QLabel *memoCallNumber_ = nullptr;
    QPlainTextEdit *memoText_ = nullptr;
    // Save and close.
    ImageButton *memoButtons_[2] = {};
};
