#pragma once

#include "ui/chrome/SkinnedWindow.h"
#include "ui/phonebook/PhonebookFaces.h"

#include <QList>
#include <QMap>
#include <memory>
#include <optional>

class EntryListModel;
class HistoryOfEntryModel;
class ImageButton;
class QButtonGroup;
class QComboBox;
class QContextMenuEvent;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QRadioButton;
class QTableView;
class RunState;
class TitleBarButtons;
namespace db {
class Database;
namespace phonebook {
class EntryCursor;
}
} // namespace db

// Form3: the phonebook window. It shows the entry under the entry cursor with its numbers and
// calls, finds entries by index letter, steps through them and writes what the user changes:
// the entry's fields when the cursor leaves the row or the window closes, a number when its
// box is left. It owns one connection for its list, cursor and models and gives it up when
// it closes (also when compaction starts).
//
// Its code is in three files: PhonebookLayout.cpp builds the controls from PhonebookFaces,
// PhonebookWindow.cpp browses, edits, writes and deletes, PhonebookVCardMenu.cpp is the
// right-click menu that saves and reads vCard.
class PhonebookWindow : public SkinnedWindow {
    Q_OBJECT
public:
    // The entry shows three of its numbers, one line each.
    static constexpr int NumberLineCount = 3;
    // Index button 0 lists every entry, 1 ... 46 the entries of one letter.
    static constexpr int IndexButtonCount = 47;

    explicit PhonebookWindow(RunState &state, QWidget *parent = nullptr);
    ~PhonebookWindow() override;

    // The shown entry's numbers and calls, reloaded; the delete-number line goes back to 0.
    void FillNumbersAndHistory();
    // The first activation: the last entry is shown.
    void FirstActivation();
    void Navigate(PhonebookFaces::Navigation step);
    // Index button k: 0 every entry, 1 ... 46 the entries of that letter.
    void ChooseIndex(int k);

    // The ID of the shown entry; 0 for none (before the first, after the last, a new entry).
    qint32 shownEntryId() const { return shownEntryId_; }
    // The TelID of number line `line`'s row in 電話番号; none until the line has a row.
    std::optional<qint32> numberId(int line) const;
    // The index letter of the list, "*" for every entry.
    QString indexLetter() const { return indexLetter_; }
    // The number line that the delete-number command acts on (the last one entered).
    int selectedNumberLine() const { return selectedNumberLine_; }
    // The last entry is still to be shown on the first activation.
    bool openAtLastPending() const { return openAtLastPending_; }
    // The boxes hold an entry that is not stored yet.
    bool newEntryPending() const { return newEntryPending_; }
    bool keptOnTop() const { return keptOnTop_; }

signals:
    // The window has written its edits and given up its connection.
    void unloaded();

protected:
    void showEvent(QShowEvent *event) override;
    void changeEvent(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    // A right-click on the window or its lists: the phonebook to and from vCard.
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    // One of the number lines: the number, its kind (摘要) and the TelID of its row.
    struct NumberLine {
        QLineEdit *numberBox = nullptr;
        QComboBox *kindBox = nullptr;
        std::optional<qint32> telId;
    };

    // PhonebookLayout.cpp
    void BuildLayout();
    void BuildTitleStrip();
    void BuildEntryList();
    void BuildNavigation();
    void BuildIndexFrame();
    void BuildEntryBoxes();
    void BuildNameAndIndexBoxes();
    void BuildNumberLines();
    void BuildAddressBoxes();
    void BuildMailBoxes();
    void WatchBoxes();
    void BuildHistoryList();
    void BuildCommands();
    void SetFocusOrder();
    void SetBoxesEditable(bool editable);
    QList<QLineEdit *> lineBoxes() const;

    // PhonebookWindow.cpp
    void LoadWindow();
    void Unload();
    void Reposition();
    void ShowEntryFields();
    // The entry list read again (every entry, or the letter chosen), its shown entry selected.
    void FillEntryList();
    void SelectShownInList();
    // The name box's text as stored: the nameless entry's name when it shows none.
    QString storedName() const;
    QString shownName() const;
    QMap<QString, QString> boxValues() const;
    void WriteChangedBoxes();
    void WritePendingEdits();
    void StoreNewEntry();
    void OnNumberLineEntered(int line);
    void OnNumberBoxLeft(int line);
    void OnKindBoxLeft(int line);
    void WriteFocusedNumberBox();
    void OnEntryListClicked(int row);
    void OnNewEntryClicked();
    void OnDeleteEntryClicked();
    void OnDeleteNumberClicked();
    void OnMailLinkClicked(int item);
    void OnKeepOnTopClicked();
    int keepOnTopFace() const;

    // PhonebookVCardMenu.cpp
    void OnExportVCardChosen();
    void OnImportVCardChosen();

    RunState &state_;
    std::unique_ptr<db::Database> connection_;
    std::unique_ptr<db::phonebook::EntryCursor> cursor_;
    EntryListModel *entryListModel_ = nullptr;
    HistoryOfEntryModel *historyModel_ = nullptr;
    bool unloaded_ = false;

    qint32 shownEntryId_ = 0;
    // The bound boxes as filled from the shown entry, before the user typed.
    QMap<QString, QString> shownValues_;
    QString indexLetter_;
    int selectedNumberLine_ = 0;
    bool openAtLastPending_ = true;
    bool newEntryPending_ = false;
    bool keptOnTop_ = false;
    // The shown entry is the nameless one ("No Name"): its name box shows none.
    bool shownNameless_ = false;

    QLabel *caption_ = nullptr;
    TitleBarButtons *titleButtons_ = nullptr;
    QTableView *entryList_ = nullptr;
    QLabel *positionLabel_ = nullptr;
    QLabel *countLabel_ = nullptr;
    ImageButton *navigationButtons_[PhonebookFaces::NavigationCount] = {};
    QWidget *indexFrame_ = nullptr;
    QButtonGroup *indexGroup_ = nullptr;
    QRadioButton *indexButtons_[IndexButtonCount] = {};
    QLineEdit *nameBox_ = nullptr;
    QComboBox *indexBox_ = nullptr;
    NumberLine numberLines_[NumberLineCount];
    QPlainTextEdit *addressBox_ = nullptr;
    QLineEdit *zipBox_ = nullptr;
    QLineEdit *birthdayBox_ = nullptr;
    QLabel *mailLinks_[2] = {};
    QLineEdit *mailBoxes_[2] = {};
    QLineEdit *otherBox_ = nullptr;
    QTableView *historyList_ = nullptr;
    ImageButton *commandButtons_[PhonebookFaces::CommandCount] = {};
    ImageButton *newEntryButton_ = nullptr;
};
