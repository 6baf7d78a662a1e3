#pragma once

#include "settings/HistoryLayoutFile.h"
#include "ui/chrome/SkinnedWindow.h"
#include "ui/history/HistoryFaces.h"

#include <optional>

class QGroupBox;
class QLabel;
class QPlainTextEdit;
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
    QTableView *grid() const { return MSFlexGrid1; }
    HistoryModel *model() const { return model_; }

    // Reads the list again (the count and the rows in view) and selects the newest call, or
    // `keep` when it is still there.
    void RefreshList(std::optional<qint32> keep = std::nullopt);
    // Opens Frame1 on the selected call.
    void ShowMemoEditor();
    // The list's context menu: 「CSVで保存…」 writes every call, newest first, to a file the
    // user chooses (the list selects one call at a time).
    void SaveCallsAsCsv();

signals:
    // Picture4(3): register the selected call's caller into the phonebook.
    void registerRequested(qint32 historyId);

protected:
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void BuildLayout();
    void BuildMemoEditor();
    void FormLoad();
    void PlaceControls();
    void QueryUnload();
    void CommandClicked(int item);
    void DeleteSelectedCall();
    void DeleteAllCalls();
    void SaveMemo();
    void HideMemoEditor();
    void GridCurrentChanged();
    void ShowGridMenu(const QPoint &at);
    void AnnounceHistoryChanged();
    void ApplyOnTop();
    int OnTopFace() const;

    RunState &state;
    QWidget *mainWindow_ = nullptr;
    HistoryLayout layout_;
    HistoryModel *model_ = nullptr;
    std::optional<qint32> selected_;
    bool announcing_ = false;
    bool widthsApplied_ = false;
    bool unloaded_ = false;

    QWidget *Image1 = nullptr;
    QLabel *Caption = nullptr;
    // Between the command groups: why calls are not being recorded, when they are not.
    QLabel *notice_ = nullptr;
    void ShowHistoryWritable(const QString &problem);
    TitleBarButtons *Picture1 = nullptr;
    ResizeGrip *Picture2 = nullptr;
    QWidget *Picture3 = nullptr;
    QWidget *Picture6 = nullptr;
    ImageButton *Picture4[HistoryFaces::CommandCount] = {};
    BevelPanel *Panel = nullptr;
    QTableView *MSFlexGrid1 = nullptr;
    QGroupBox *Frame1 = nullptr;
    QLabel *Label1[3] = {};
    QPlainTextEdit *Text1 = nullptr;
    ImageButton *Picture17[2] = {};
};
