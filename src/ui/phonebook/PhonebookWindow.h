#pragma once

#include "ui/chrome/SkinnedWindow.h"
#include "ui/phonebook/PhonebookFaces.h"

#include <memory>

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
class PhonebookWindow : public SkinnedWindow {
    Q_OBJECT
public:
    explicit PhonebookWindow(RunState &state, QWidget *parent = nullptr);
    ~PhonebookWindow() override;

    // The shown entry's numbers and calls, reloaded; the delete-number row goes back to 0.
    void FillNumbersAndHistory();
    // The first activation: the last entry is shown.
    void FirstActivation();
    void Navigate(PhonebookFaces::Navigation step);
    // Index button k: 0 every entry, 1 ... 46 the entries of that letter.
    void ChooseIndex(int k);

    // The number row that the delete-number command acts on (the last one entered).
    qint16 SelectedNumberRow = 0;
    bool OpenAtLastPending = true;
    bool NewEntryPending = false;
    bool PhonebookOnTop = false;

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
    void BuildLayout();
    void BuildIndexFrame();
    void BuildEntryBoxes();
    void BuildCommands();
    void SetFocusOrder();
    void FormLoad();
    void Unload();

    void Reposition();
    void ShowEntryFields();
    QMap<QString, QString> BoxValues() const;
    void WritePendingEdits();
    void StoreNewEntry();

    void NumberRowEntered(int row);
    void NumberBoxLeft(int row);
    void KindBoxLeft(int row);
    void WriteFocusedNumberBox();
    void EntryListClicked(int line);
    void NewEntryClicked();
    void DeleteEntryClicked();
    void DeleteNumberClicked();
    void MailLinkClicked(int item);
    void KeepOnTopClicked();
    void ExportVCardClicked();
    void ImportVCardClicked();
    int KeepOnTopFace() const;
    qint32 ShownEntryId() const;

    RunState &state;
    std::unique_ptr<db::Database> connection_;
    std::unique_ptr<db::phonebook::EntryCursor> Data1;
    EntryListModel *Data3 = nullptr;
    HistoryOfEntryModel *Data4 = nullptr;
    bool unloaded_ = false;

    QLabel *Caption = nullptr;
    TitleBarButtons *Picture5 = nullptr;
    QTableView *MSFlexGrid1 = nullptr;
    QTableView *MSFlexGrid2 = nullptr;
    QLabel *Label2 = nullptr;
    QLabel *Label3[3] = {};
    QLabel *Label4 = nullptr;
    QLabel *Label5[3] = {};
    QLabel *Label6[2] = {};
    QWidget *Frame1 = nullptr;
    QButtonGroup *Option1Group = nullptr;
    QRadioButton *Option1[47] = {};
    QLineEdit *Text1[8] = {}; // 2 (住所) is the multi-line box below; 4 is not used
    QPlainTextEdit *AddressBox = nullptr;
    QComboBox *Combo2 = nullptr;
    QLineEdit *Text2[3] = {};
    QComboBox *Combo1[3] = {};
    ImageButton *Picture4[PhonebookFaces::NavigationCount] = {};
    ImageButton *Picture6[PhonebookFaces::CommandCount] = {};
    ImageButton *Picture7 = nullptr;
};
