// The phonebook window's behaviour: loading and unloading, stepping through the entries,
// editing and writing them and their numbers, deleting.
#include "ui/phonebook/PhonebookWindow.h"

#include "db/Database.h"
#include "db/Phonebook.h"
#include "platform/desktop/Dialogs.h"
#include "platform/desktop/Shell.h"
#include "runstate/RunState.h"
#include "settings/Program.h"
#include "ui/chrome/ImageButton.h"
#include "ui/chrome/Pictures.h"
#include "ui/chrome/WindowChrome.h"
#include "ui/phonebook/PhonebookModels.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTableView>
#include <QTimer>

namespace {

using namespace PhonebookFaces;
using WindowChrome::TwipsToPixelsX;
using WindowChrome::TwipsToPixelsY;

bool IsLeaving(QEvent *event) {
    if (event->type() != QEvent::FocusOut)
        return false;
    // Another window becoming active or a drop-down opening does not leave the box.
    const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
    return reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason;
}

bool IsEntering(QEvent *event) {
    if (event->type() != QEvent::FocusIn)
        return false;
    const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
    return reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason;
}

} // namespace

PhonebookWindow::PhonebookWindow(RunState &state, QWidget *parent)
    : SkinnedWindow(WindowKind::Phonebook, parent), state_(state) {
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(QStringLiteral("電話帳"));
    setWindowIcon(ProgramIcon());
    BuildLayout();
    LoadWindow();
    // The database file must be free while it is compacted: close, writing what is pending.
    connect(&state_, &RunState::compactionStarting, this, &QWidget::close);
}

PhonebookWindow::~PhonebookWindow() {
    Unload();
}

std::optional<qint32> PhonebookWindow::numberId(int line) const {
    if (line < 0 || line >= NumberLineCount)
        return std::nullopt;
    return numberLines_[line].telId;
}

// --- load, activation, unload ---

void PhonebookWindow::LoadWindow() {
    openAtLastPending_ = true;
    // The keep-on-top choice of the window's last opening.
    keptOnTop_ = state_.phonebookOnTop();
    commandButtons_[KeepOnTop]->setFace(keepOnTopFace());
    if (keptOnTop_)
        WindowChrome::ApplyTopMost(this, true, nullptr, false);
    historyList_->setColumnWidth(0, TwipsToPixelsX(HistoryDateColumnWidth));
    historyList_->setColumnWidth(1, TwipsToPixelsX(HistoryMemoColumnWidth));
    const Settings &s = state_.settings();
    // A position saved for a screen that is gone is shown on the screen there is.
    const QRect saved(TwipsToPixelsX(s.PhonebookLeft), TwipsToPixelsY(s.PhonebookTop),
                      TwipsToPixelsX(WindowWidth), TwipsToPixelsY(WindowHeight));
    setGeometry(WindowChrome::VisibleGeometry(saved));

    connection_ = std::make_unique<db::Database>(Program::DatabasePath());
    cursor_ = std::make_unique<db::phonebook::EntryCursor>(*connection_);
    indexButtons_[0]->setChecked(true);
    // The last entry is shown from the start: a press on ▶ or ◀ before the window was first
    // activated steps from the entry the user sees.
    cursor_->moveLast();
    FillEntryList();
    Reposition();
}

void PhonebookWindow::showEvent(QShowEvent *event) {
    SkinnedWindow::showEvent(event);
    // Without a window manager a shown window may never be activated; the first show counts.
    QTimer::singleShot(0, this, &PhonebookWindow::FirstActivation);
}

void PhonebookWindow::changeEvent(QEvent *event) {
    SkinnedWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        FirstActivation();
}

void PhonebookWindow::FirstActivation() {
    if (!openAtLastPending_ || !cursor_)
        return;
    openAtLastPending_ = false;
    cursor_->moveLast();
    Reposition();
}

void PhonebookWindow::closeEvent(QCloseEvent *event) {
    Unload();
    event->accept();
}

void PhonebookWindow::Unload() {
    if (unloaded_)
        return;
    WriteFocusedNumberBox();
    WritePendingEdits();
    unloaded_ = true;
    state_.changeSettings([this](Settings &s) {
        s.PhonebookLeft = WindowChrome::PixelsToTwipsX(x());
        s.PhonebookTop = WindowChrome::PixelsToTwipsY(y());
    });
    // The connection goes with the window: models first, then the cursor, then the file.
    entryListModel_->clear();
    historyModel_->clear();
    cursor_.reset();
    connection_.reset();
    // The edits go into Kolvane.mdb itself: a copy of the file alone then holds them all.
    db::CheckpointDatabase(Program::DatabasePath());
    emit unloaded();
}

// --- the shown entry ---

void PhonebookWindow::Reposition() {
    if (!cursor_)
        return;
    ShowEntryFields();
    FillNumbersAndHistory();
    countLabel_->setText(QString::number(cursor_->count()));
    positionLabel_->setText(QString::number(cursor_->position()));
    SelectShownInList();
}

void PhonebookWindow::ShowEntryFields() {
    const bool on = cursor_ && cursor_->onEntry();
    const auto value = [&](const char *field) {
        return on ? cursor_->field(QString::fromUtf8(field)) : QString();
    };
    shownEntryId_ = on ? cursor_->id() : 0;
    // The entry of a caller registered without a name shows an empty name box with
    // "（名前なし）" in it; what the user types there replaces the stored "No Name".
    const QString name = value("氏名");
    shownNameless_ = name == db::phonebook::NamelessName();
    nameBox_->setText(shownNameless_ ? QString() : name);
    nameBox_->setPlaceholderText(shownNameless_ ? db::phonebook::NamelessShown() : QString());
    indexBox_->setEditText(value("索引インデックス"));
    addressBox_->setPlainText(value("住所"));
    zipBox_->setText(value("郵便番号"));
    birthdayBox_->setText(value("誕生日"));
    mailBoxes_[0]->setText(value("Ｅメール1"));
    mailBoxes_[1]->setText(value("Ｅメール2"));
    otherBox_->setText(value("その他"));
    // Before the first and after the last entry there is no row to type into: what would be
    // typed there could not be kept.
    SetBoxesEditable(on || newEntryPending_);
    shownValues_ = boxValues();
}

QMap<QString, QString> PhonebookWindow::boxValues() const {
    return {
        {QStringLiteral("氏名"), storedName()},
        {QStringLiteral("索引インデックス"), indexBox_->currentText()},
        {QStringLiteral("住所"), addressBox_->toPlainText()},
        {QStringLiteral("郵便番号"), zipBox_->text()},
        {QStringLiteral("誕生日"), birthdayBox_->text()},
        {QStringLiteral("Ｅメール1"), mailBoxes_[0]->text()},
        {QStringLiteral("Ｅメール2"), mailBoxes_[1]->text()},
        {QStringLiteral("その他"), otherBox_->text()},
    };
}

QString PhonebookWindow::storedName() const {
    const QString typed = nameBox_->text();
    return typed.isEmpty() && shownNameless_ ? db::phonebook::NamelessName() : typed;
}

QString PhonebookWindow::shownName() const {
    return db::phonebook::ShownName(storedName());
}

void PhonebookWindow::FillEntryList() {
    if (!connection_)
        return;
    if (indexLetter_.isEmpty() || indexLetter_ == QLatin1String("*"))
        entryListModel_->showAll(*connection_);
    else
        entryListModel_->showLetter(*connection_, indexLetter_);
    entryList_->setColumnWidth(0, TwipsToPixelsX(EntryNameColumnWidth));
    entryList_->setColumnHidden(1, true);
    SelectShownInList();
}

// The list marks the shown entry when it holds it; otherwise it marks nothing.
void PhonebookWindow::SelectShownInList() {
    entryList_->clearSelection();
    if (shownEntryId_ == 0)
        return;
    for (int row = 0; row < entryListModel_->rowCount(); ++row) {
        if (entryListModel_->idOfLine(row) != shownEntryId_)
            continue;
        const QModelIndex line = entryListModel_->index(row, 0);
        entryList_->setCurrentIndex(line);
        entryList_->scrollTo(line);
        return;
    }
}

void PhonebookWindow::FillNumbersAndHistory() {
    selectedNumberLine_ = 0;
    const qint32 id = shownEntryId();
    QVector<db::phonebook::NumberRow> numbers;
    if (connection_ && id != 0)
        numbers = db::phonebook::NumbersOfEntry(*connection_, id);
    // The first three in TelID order; further numbers stay in the file, untouched.
    for (int i = 0; i < NumberLineCount; ++i) {
        NumberLine &line = numberLines_[i];
        const bool filled = i < numbers.size();
        line.telId = filled ? std::optional(numbers[i].TelId) : std::nullopt;
        line.numberBox->setText(filled ? numbers[i].Number : QString());
        line.kindBox->setEditText(filled ? numbers[i].Kind : QString());
    }
    if (connection_) {
        // Calls of callers outside the phonebook carry 着信者ID 0: -1 lists none of them.
        historyModel_->setEntry(*connection_, id == 0 ? -1 : id);
        historyList_->setColumnWidth(0, TwipsToPixelsX(HistoryDateColumnWidth));
        historyList_->setColumnWidth(1, TwipsToPixelsX(HistoryMemoColumnWidth));
    }
}

// What is typed in the bound boxes goes to the shown row when the cursor leaves it.
void PhonebookWindow::WritePendingEdits() {
    if (!cursor_)
        return;
    if (newEntryPending_)
        StoreNewEntry();
    else if (cursor_->onEntry())
        WriteChangedBoxes();
}

// Only the boxes the user changed: a box shows some stored text in its own form (CR LF as LF),
// and that alone must not rewrite the entry.
void PhonebookWindow::WriteChangedBoxes() {
    const QMap<QString, QString> now = boxValues();
    if (shownEntryId_ != cursor_->id()) {
        cursor_->writeChanges(now);
        return;
    }
    QMap<QString, QString> changed;
    for (auto it = now.begin(); it != now.end(); ++it)
        if (shownValues_.value(it.key()) != it.value())
            changed.insert(it.key(), it.value());
    if (changed.isEmpty() || !cursor_->writeChanges(changed))
        return;
    shownValues_ = now;
    // A new name or index letter shows in the list at once.
    if (changed.contains(QStringLiteral("氏名")) ||
        changed.contains(QStringLiteral("索引インデックス")))
        FillEntryList();
}

void PhonebookWindow::StoreNewEntry() {
    if (!cursor_ || !newEntryPending_)
        return;
    // A refused row keeps its boxes (and the pending state): nothing typed is dropped.
    if (!cursor_->storeNew(boxValues()))
        return;
    newEntryPending_ = false;
    Reposition();
    FillEntryList();
}

void PhonebookWindow::Navigate(Navigation step) {
    if (!cursor_)
        return;
    // Once the user has moved, the first activation no longer moves to the last entry.
    openAtLastPending_ = false;
    WritePendingEdits();
    switch (step) {
    case First:
        cursor_->moveFirst();
        break;
    case Previous:
        cursor_->movePrevious();
        break;
    case Next:
        cursor_->moveNext();
        break;
    case Last:
        cursor_->moveLast();
        break;
    default:
        return;
    }
    Reposition();
}

// A letter lists its entries and shows the first of them (the shown entry stays when the
// letter has none); every entry lists them all and keeps the shown one.
void PhonebookWindow::ChooseIndex(int k) {
    if (!connection_ || k < 0 || k >= IndexButtonCount)
        return;
    indexButtons_[k]->setChecked(true);
    // What is typed goes in first: the list then holds it.
    WritePendingEdits();
    indexLetter_ = k == 0 ? QStringLiteral("*") : db::phonebook::IndexLetters().at(k - 1);
    FillEntryList();
    if (k == 0 || !cursor_ || entryListModel_->rowCount() == 0)
        return;
    const qint32 first = entryListModel_->idOfLine(0);
    openAtLastPending_ = false;
    if (first != 0 && first != shownEntryId_) {
        cursor_->moveToId(first);
        Reposition();
    }
}

void PhonebookWindow::OnEntryListClicked(int row) {
    const qint32 id = entryListModel_->idOfLine(row);
    if (id == 0 || !cursor_)
        return;
    openAtLastPending_ = false;
    WritePendingEdits();
    cursor_->moveToId(id);
    Reposition();
}

// --- editing ---

void PhonebookWindow::OnNewEntryClicked() {
    if (!cursor_)
        return;
    openAtLastPending_ = false;
    WritePendingEdits();
    newEntryPending_ = true;
    ShowEntryFields();
    shownEntryId_ = 0;
    shownNameless_ = false;
    nameBox_->setPlaceholderText(QString());
    indexBox_->setEditText(QString());
    addressBox_->clear();
    for (QLineEdit *box : lineBoxes())
        box->clear();
    // The new row has no numbers and no calls yet.
    FillNumbersAndHistory();
    nameBox_->setFocus(Qt::OtherFocusReason);
}

void PhonebookWindow::OnNumberLineEntered(int line) {
    NumberLine &entered = numberLines_[line];
    if (!entered.telId) {
        const qint32 id = shownEntryId();
        if (id != 0) {
            db::Database d(Program::DatabasePath());
            if (const auto tel = db::phonebook::CreateNumberRow(d, id))
                entered.telId = *tel;
        }
    }
    selectedNumberLine_ = line;
}

void PhonebookWindow::OnNumberBoxLeft(int line) {
    const NumberLine &left = numberLines_[line];
    // An emptied box writes nothing: the stored number stays.
    if (!left.telId || left.numberBox->text().isEmpty())
        return;
    db::Database d(Program::DatabasePath());
    db::phonebook::SetNumberField(d, *left.telId, QStringLiteral("電番"), left.numberBox->text());
}

void PhonebookWindow::OnKindBoxLeft(int line) {
    const NumberLine &left = numberLines_[line];
    if (!left.telId || left.kindBox->currentText().isEmpty())
        return;
    db::Database d(Program::DatabasePath());
    db::phonebook::SetNumberField(d, *left.telId, QStringLiteral("摘要"),
                                  left.kindBox->currentText());
}

void PhonebookWindow::WriteFocusedNumberBox() {
    QWidget *focus = QApplication::focusWidget();
    for (int i = 0; i < NumberLineCount; ++i) {
        const NumberLine &line = numberLines_[i];
        if (focus == line.numberBox)
            OnNumberBoxLeft(i);
        else if (focus == line.kindBox || focus == line.kindBox->lineEdit())
            OnKindBoxLeft(i);
    }
}

void PhonebookWindow::OnDeleteEntryClicked() {
    if (!Dialogs::Confirm(this, shownName() + QStringLiteral("の全情報を削除します。"),
                          QStringLiteral("削除の確認"), Dialogs::Icon::Stop) ||
        !cursor_)
        return;
    if (newEntryPending_) {
        // The new row was never stored: it is simply given up.
        newEntryPending_ = false;
        cursor_->moveFirst();
    } else {
        // Its numbers go with it; its calls stay in the history with their names.
        cursor_->deleteCurrent();
    }
    Reposition();
    // The deleted name leaves the list at once.
    FillEntryList();
}

void PhonebookWindow::OnDeleteNumberClicked() {
    const NumberLine &selected = numberLines_[selectedNumberLine_];
    if (!Dialogs::Confirm(this, selected.numberBox->text() + QStringLiteral("を削除します。"),
                          QStringLiteral("削除の確認"), Dialogs::Icon::Question))
        return;
    if (selected.telId) {
        db::Database d(Program::DatabasePath());
        db::phonebook::DeleteNumberRow(d, *selected.telId);
    }
    FillNumbersAndHistory();
}

void PhonebookWindow::OnMailLinkClicked(int item) {
    const QString address = mailBoxes_[item]->text();
    if (address.isEmpty())
        return;
    if (Shell::OpenMail(address))
        return;
    Dialogs::Tell(this,
                  QStringLiteral("貴様がお使いのパソコンでは、このプログラムから\n"
                                 "メッセージ作成画面の立ち上げは出来ない様です"),
                  QCoreApplication::applicationName(), Dialogs::Icon::Stop);
}

void PhonebookWindow::OnKeepOnTopClicked() {
    keptOnTop_ = !keptOnTop_;
    state_.setPhonebookOnTop(keptOnTop_);
    WindowChrome::ApplyTopMost(this, keptOnTop_, nullptr, false);
    commandButtons_[KeepOnTop]->setFace(keepOnTopFace());
}

int PhonebookWindow::keepOnTopFace() const {
    return keptOnTop_ ? KeepOnTopOn : KeepOnTopOff;
}

// --- keys and focus ---

bool PhonebookWindow::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            // Enter goes round the entry's boxes: from the last one (その他) back to the
            // name, never off into the lists (Tab goes on to them), and never onto a picture
            // button, which it would press the next time.
            if (watched == otherBox_) {
                nameBox_->setFocus(Qt::TabFocusReason);
                return true;
            }
            for (int step = 0; step < 100; ++step) {
                focusNextPrevChild(true);
                if (!qobject_cast<ImageButton *>(QApplication::focusWidget()))
                    break;
            }
            return true;
        }
    }
    if (event->type() == QEvent::MouseButtonRelease) {
        for (int j = 0; j < 2; ++j)
            if (watched == mailLinks_[j] &&
                static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
                OnMailLinkClicked(j);
                return true;
            }
    }
    // Leaving the name box stores a new entry, and writes a changed name at once, so that
    // the list shows it.
    if (IsLeaving(event) && watched == nameBox_)
        WritePendingEdits();
    for (int i = 0; i < NumberLineCount; ++i) {
        const NumberLine &line = numberLines_[i];
        const bool numberBox = watched == line.numberBox;
        const bool kindBox = watched == line.kindBox || watched == line.kindBox->lineEdit();
        if (!numberBox && !kindBox)
            continue;
        if (IsEntering(event))
            OnNumberLineEntered(i);
        else if (IsLeaving(event))
            numberBox ? OnNumberBoxLeft(i) : OnKindBoxLeft(i);
    }
    // Only the caption drags the window; the boxes keep their presses.
    if (watched == caption_)
        return SkinnedWindow::eventFilter(watched, event);
    return QWidget::eventFilter(watched, event);
}
