#include "ui/phonebook/PhonebookWindow.h"

#include "db/Database.h"
#include "db/Phonebook.h"
#include "exchange/VCard.h"
#include "platform/desktop/Dialogs.h"
#include "platform/desktop/FileChooser.h"
#include "platform/desktop/Shell.h"
#include "runstate/RunState.h"
#include "settings/Program.h"
#include "ui/chrome/ImageButton.h"
#include "ui/chrome/Pictures.h"
#include "ui/chrome/TitleBarButtons.h"
#include "ui/chrome/WindowChrome.h"
#include "ui/phonebook/PhonebookModels.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTableView>
#include <QTimer>

// --- layout ---

namespace {

using namespace PhonebookFaces;
using WindowChrome::TwipsToPixelsX;
using WindowChrome::TwipsToPixelsY;

void Place(QWidget *w, const Box &b) {
    w->setGeometry(TwipsToPixelsX(b.left), TwipsToPixelsY(b.top), TwipsToPixelsX(b.width),
                   TwipsToPixelsY(b.height));
}

QLabel *CaptionLabel(QWidget *parent, const QString &text, int top, int height = LineHeight) {
    auto *label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Place(label, {CaptionLeft, top, CaptionWidth, height});
    return label;
}

// Names and addresses are typed in Japanese; numbers, postal codes and mail addresses not.
void InputMethodOn(QWidget *box) {
    box->setAttribute(Qt::WA_InputMethodEnabled, true);
    box->setInputMethodHints(Qt::ImhNone);
}
void InputMethodOff(QWidget *box) {
    box->setAttribute(Qt::WA_InputMethodEnabled, false);
    box->setInputMethodHints(Qt::ImhPreferLatin | Qt::ImhNoPredictiveText);
}

QLineEdit *LineBox(QWidget *parent, const QString &objectName, const Box &b) {
    auto *box = new QLineEdit(parent);
    box->setObjectName(objectName);
    Place(box, b);
    return box;
}

} // namespace

void PhonebookWindow::BuildLayout() {
    BuildTitleStrip();
    BuildEntryList();
    BuildNavigation();
    BuildIndexFrame();
    BuildEntryBoxes();
    BuildHistoryList();
    BuildCommands();
    SetFocusOrder();
}

void PhonebookWindow::BuildTitleStrip() {
    caption_ = new QLabel(QStringLiteral("電話帳"), this);
    caption_->setObjectName(QStringLiteral("Label1"));
    QFont captionFont = caption_->font();
    captionFont.setPointSize(11);
    captionFont.setBold(true);
    caption_->setFont(captionFont);
    Place(caption_, PhonebookFaces::Caption);
    addDragSurface(caption_);

    titleButtons_ = new TitleBarButtons(TitleBarButtons::Close | TitleBarButtons::Minimize,
                                        QStringLiteral("電話帳を閉じる。"), this);
    Place(titleButtons_, TitleButtons);
    titleButtons_->button(2)->setPressedFace(MinimizePressed);
}

// The list of entries and, under it, "position ／ count".
void PhonebookWindow::BuildEntryList() {
    entryList_ = new QTableView(this);
    entryList_->setObjectName(QStringLiteral("MSFlexGrid1"));
    Place(entryList_, EntryList);
    entryList_->horizontalHeader()->hide();
    entryList_->verticalHeader()->hide();
    entryList_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    entryList_->setSelectionBehavior(QAbstractItemView::SelectRows);
    entryList_->setSelectionMode(QAbstractItemView::SingleSelection);
    entryList_->setWordWrap(false);
    entryListModel_ = new EntryListModel(this);
    entryList_->setModel(entryListModel_);
    connect(entryList_, &QTableView::clicked, this,
            [this](const QModelIndex &index) { OnEntryListClicked(index.row()); });

    const auto positionPart = [this](int item, int column, Qt::Alignment alignment) {
        auto *label = new QLabel(this);
        label->setObjectName(QStringLiteral("Label3(%1)").arg(item));
        label->setTextFormat(Qt::PlainText);
        label->setAlignment(alignment);
        const int third = Position.width / 3;
        Place(label, {Position.left + column * third, Position.top, third, Position.height});
        return label;
    };
    positionLabel_ = positionPart(0, 0, Qt::AlignRight | Qt::AlignVCenter);
    countLabel_ = positionPart(1, 2, Qt::AlignLeft | Qt::AlignVCenter);
    positionPart(2, 1, Qt::AlignCenter)->setText(QStringLiteral("／"));
}

void PhonebookWindow::BuildNavigation() {
    for (int i = 0; i < NavigationCount; ++i) {
        const FaceButton &face = NavigationButtons[i];
        auto *button = new ImageButton(CommandHit, CommandHit, this);
        button->setFixedSize(35, 35);
        button->setObjectName(QStringLiteral("Picture4(%1)").arg(i));
        button->setToolTip(QString::fromUtf8(face.tip));
        button->setPressedFace(face.pressed);
        button->setFace(face.normal);
        button->move(TwipsToPixelsX(face.left), TwipsToPixelsY(face.top));
        connect(button, &ImageButton::clicked, this, [this, i] { Navigate(Navigation(i)); });
        navigationButtons_[i] = button;
    }
}

void PhonebookWindow::BuildIndexFrame() {
    auto *frame = new QGroupBox(QStringLiteral("ｲﾝﾃﾞｯｸｽ"), this);
    frame->setObjectName(QStringLiteral("Frame1"));
    indexFrame_ = frame;
    Place(frame, IndexFrame);
    indexGroup_ = new QButtonGroup(this);
    // The kana table: the number of letters in each column, top to bottom.
    static constexpr int lettersInColumn[10] = {5, 5, 5, 5, 5, 5, 5, 3, 5, 3};
    const QStringList letters = db::phonebook::IndexLetters();
    const auto indexButton = [&](int k, const QString &caption) {
        auto *button = new QRadioButton(caption, frame);
        button->setObjectName(QStringLiteral("Option1(%1)").arg(k));
        // A click chooses the letter; the keyboard stays with the boxes.
        button->setFocusPolicy(Qt::ClickFocus);
        indexGroup_->addButton(button, k);
        indexButtons_[k] = button;
        return button;
    };
    int k = 1;
    for (int column = 0; column < 10; ++column)
        for (int line = 0; line < lettersInColumn[column]; ++line, ++k)
            Place(indexButton(k, letters.at(k - 1)),
                  {IndexLeft + column * IndexColumnWidth, IndexFirstTop + line * IndexLineHeight,
                   IndexColumnWidth, IndexLineHeight});
    Place(indexButton(0, QStringLiteral("全登録リスト")),
          {IndexLeft, IndexFirstTop + 5 * IndexLineHeight + 30, 10 * IndexColumnWidth,
           IndexLineHeight});
    // The letters as the kana table shows them: no round marks, the letter in the cell.
    frame->setStyleSheet(
        QStringLiteral("QRadioButton::indicator { width: 0px; height: 0px; }"
                       "QRadioButton { padding: 0px 1px; border: 1px solid transparent; }"
                       "QRadioButton:checked { background: #fde9a8; border: 1px solid #b08a1e; }"));
    connect(indexGroup_, &QButtonGroup::idClicked, this, &PhonebookWindow::ChooseIndex);
}

void PhonebookWindow::BuildEntryBoxes() {
    BuildNameAndIndexBoxes();
    BuildNumberLines();
    BuildAddressBoxes();
    BuildMailBoxes();
    CaptionLabel(this, QStringLiteral("その他："), OtherBox.top);
    otherBox_ = LineBox(this, QStringLiteral("Text1(7)"), OtherBox);
    InputMethodOn(otherBox_);
    WatchBoxes();
}

void PhonebookWindow::BuildNameAndIndexBoxes() {
    CaptionLabel(this, QStringLiteral("氏名："), NameBox.top);
    nameBox_ = LineBox(this, QStringLiteral("Text1(1)"), NameBox);
    InputMethodOn(nameBox_);

    auto *indexCaption = new QLabel(QStringLiteral("ｲﾝﾃﾞ\nｯｸｽ"), this);
    indexCaption->setTextFormat(Qt::PlainText);
    QFont small = indexCaption->font();
    small.setPointSize(7);
    indexCaption->setFont(small);
    indexCaption->setAlignment(Qt::AlignCenter);
    Place(indexCaption, IndexCaption);
    indexBox_ = new QComboBox(this);
    indexBox_->setObjectName(QStringLiteral("Combo2"));
    indexBox_->setEditable(true);
    indexBox_->setInsertPolicy(QComboBox::NoInsert);
    indexBox_->addItems(db::phonebook::IndexLetters());
    indexBox_->setMaxVisibleItems(12);
    Place(indexBox_, IndexBox);
}

void PhonebookWindow::BuildNumberLines() {
    CaptionLabel(this, QStringLiteral("ＴＥＬ："), NumberTop);
    for (int i = 0; i < NumberLineCount; ++i) {
        const int top = NumberTop + i * LineHeight;
        NumberLine &line = numberLines_[i];
        line.numberBox = LineBox(this, QStringLiteral("Text2(%1)").arg(i),
                                 {NumberBox.left, top, NumberBox.width, NumberBox.height});
        InputMethodOff(line.numberBox);
        line.kindBox = new QComboBox(this);
        line.kindBox->setObjectName(QStringLiteral("Combo1(%1)").arg(i));
        line.kindBox->setEditable(true);
        line.kindBox->setInsertPolicy(QComboBox::NoInsert);
        line.kindBox->addItems(db::phonebook::NumberKinds());
        line.kindBox->setCurrentIndex(-1);
        line.kindBox->setEditText(QString());
        Place(line.kindBox, {KindBox.left, top, KindBox.width, KindBox.height});
    }
}

// The address (several lines), the postal code and the birthday.
void PhonebookWindow::BuildAddressBoxes() {
    CaptionLabel(this, QStringLiteral("住所："), AddressBox.top);
    addressBox_ = new QPlainTextEdit(this);
    addressBox_->setObjectName(QStringLiteral("Text1(2)"));
    addressBox_->setTabChangesFocus(true);
    addressBox_->setInputMethodHints(Qt::ImhMultiLine);
    addressBox_->setAttribute(Qt::WA_InputMethodEnabled, true);
    Place(addressBox_, AddressBox);

    CaptionLabel(this, QStringLiteral("郵便番号："), ZipBox.top);
    zipBox_ = LineBox(this, QStringLiteral("Text1(3)"), ZipBox);
    InputMethodOff(zipBox_);
    auto *birthday = new QLabel(QStringLiteral("誕生日："), this);
    birthday->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Place(birthday, BirthdayCaption);
    birthdayBox_ = LineBox(this, QStringLiteral("Text1(0)"), BirthdayBox);
    InputMethodOn(birthdayBox_);
}

// Two mail addresses, each with its caption as a link that writes a mail to it.
void PhonebookWindow::BuildMailBoxes() {
    for (int j = 0; j < 2; ++j) {
        const Box &b = j == 0 ? Mail1Box : Mail2Box;
        QLabel *link = CaptionLabel(
            this, j == 0 ? QStringLiteral("e-mail①:") : QStringLiteral("e-mail②:"), b.top);
        link->setObjectName(QStringLiteral("Label6(%1)").arg(j));
        link->setCursor(LinkCursor());
        QPalette palette = link->palette();
        palette.setColor(QPalette::WindowText, QColor(0, 0, 192));
        link->setPalette(palette);
        link->installEventFilter(this);
        mailLinks_[j] = link;
        mailBoxes_[j] = LineBox(this, QStringLiteral("Text1(%1)").arg(5 + j), b);
        InputMethodOff(mailBoxes_[j]);
    }
}

// Enter moves on as Tab does, in every box; leaving the name and number boxes writes.
void PhonebookWindow::WatchBoxes() {
    for (QLineEdit *box : lineBoxes())
        box->installEventFilter(this);
    addressBox_->installEventFilter(this);
    QList<QComboBox *> combos{indexBox_};
    for (const NumberLine &line : numberLines_)
        combos << line.kindBox;
    for (QComboBox *combo : combos) {
        combo->installEventFilter(this);
        combo->lineEdit()->installEventFilter(this);
    }
    for (const NumberLine &line : numberLines_)
        line.numberBox->installEventFilter(this);
}

// The calls of the shown entry: date above time, then the memo.
void PhonebookWindow::BuildHistoryList() {
    historyList_ = new QTableView(this);
    historyList_->setObjectName(QStringLiteral("MSFlexGrid2"));
    Place(historyList_, HistoryList);
    historyList_->verticalHeader()->hide();
    historyList_->verticalHeader()->setMinimumSectionSize(TwipsToPixelsY(HistoryLineHeight));
    historyList_->verticalHeader()->setDefaultSectionSize(TwipsToPixelsY(HistoryLineHeight));
    historyList_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    historyList_->setSelectionBehavior(QAbstractItemView::SelectRows);
    historyList_->setWordWrap(true);
    historyModel_ = new HistoryOfEntryModel(this);
    historyList_->setModel(historyModel_);
    auto *historyCaption = CaptionLabel(this, QStringLiteral("着信履歴："), HistoryList.top);
    historyCaption->setObjectName(QStringLiteral("Label7"));
}

void PhonebookWindow::BuildCommands() {
    const auto make = [this](const FaceButton &face, int hitWidth, int width, const QString &name) {
        ImageButton *button = MakeFaceButton(face, hitWidth, CommandHit, this, name);
        button->setFixedSize(width, 35);
        return button;
    };
    for (int i = 0; i < CommandCount; ++i)
        commandButtons_[i] =
            make(Commands[i], CommandHit, 35, QStringLiteral("Picture6(%1)").arg(i));
    newEntryButton_ = make(NewEntry, NewEntryHitWidth, 75, QStringLiteral("Picture7"));
    commandButtons_[KeepOnTop]->setNormalFace([this] { return keepOnTopFace(); });
    commandButtons_[KeepOnTop]->setFace(keepOnTopFace());

    connect(commandButtons_[Close], &ImageButton::clicked, this, &QWidget::close);
    connect(commandButtons_[KeepOnTop], &ImageButton::clicked, this,
            &PhonebookWindow::OnKeepOnTopClicked);
    connect(commandButtons_[DeleteEntry], &ImageButton::clicked, this,
            &PhonebookWindow::OnDeleteEntryClicked);
    connect(commandButtons_[DeleteNumber], &ImageButton::clicked, this,
            &PhonebookWindow::OnDeleteNumberClicked);
    connect(newEntryButton_, &ImageButton::clicked, this, &PhonebookWindow::OnNewEntryClicked);

    // A press on any picture button takes the focus, so the box that had it is left (and
    // written) before the button acts, as with the program's picture boxes.
    for (ImageButton *button : findChildren<ImageButton *>())
        button->setFocusPolicy(Qt::ClickFocus);
}

void PhonebookWindow::SetFocusOrder() {
    QList<QWidget *> order{nameBox_, indexBox_};
    for (const NumberLine &line : numberLines_)
        order << line.numberBox << line.kindBox;
    order << addressBox_ << zipBox_ << mailBoxes_[0] << mailBoxes_[1] << otherBox_ << entryList_
          << historyList_ << birthdayBox_;
    for (int i = 0; i + 1 < order.size(); ++i)
        setTabOrder(order[i], order[i + 1]);
}

QList<QLineEdit *> PhonebookWindow::lineBoxes() const {
    return {nameBox_, zipBox_, birthdayBox_, mailBoxes_[0], mailBoxes_[1], otherBox_};
}

void PhonebookWindow::SetBoxesEditable(bool editable) {
    for (QLineEdit *box : lineBoxes())
        box->setReadOnly(!editable);
    addressBox_->setReadOnly(!editable);
    indexBox_->lineEdit()->setReadOnly(!editable);
    // A line edit's read-only switch also switches its input method: set it again.
    for (QWidget *box : {nameBox_, birthdayBox_, otherBox_})
        InputMethodOn(box);
    for (QWidget *box : {zipBox_, mailBoxes_[0], mailBoxes_[1]})
        InputMethodOff(box);
    addressBox_->setAttribute(Qt::WA_InputMethodEnabled, editable);
}

namespace {

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
    // The file is named by its full path; the folder stays the current one for the others.
    QDir::setCurrent(Program::AppFolder);
    if (keptOnTop_)
        WindowChrome::ApplyTopMost(this, true, nullptr, false);
    historyList_->setColumnWidth(0, TwipsToPixelsX(HistoryDateColumnWidth));
    historyList_->setColumnWidth(1, TwipsToPixelsX(HistoryMemoColumnWidth));
    const Settings &s = state_.settings();
    // A position saved for a screen that is gone is shown on the screen there is.
    const QRect saved(TwipsToPixelsX(s.PhonebookLeft), TwipsToPixelsY(s.PhonebookTop),
                      TwipsToPixelsX(WindowWidth), TwipsToPixelsY(WindowHeight));
    setGeometry(QRect(WindowChrome::VisiblePosition(saved), saved.size()));

    connection_ = std::make_unique<db::Database>(Program::DatabasePath());
    cursor_ = std::make_unique<db::phonebook::EntryCursor>(*connection_);
    indexButtons_[0]->setChecked(true);
    entryListModel_->showAll(*connection_);
    entryList_->setColumnWidth(0, TwipsToPixelsX(EntryNameColumnWidth));
    entryList_->setColumnHidden(1, true);
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
}

void PhonebookWindow::ShowEntryFields() {
    const bool on = cursor_ && cursor_->onEntry();
    const auto value = [&](const char *field) {
        return on ? cursor_->field(QString::fromUtf8(field)) : QString();
    };
    shownEntryId_ = on ? cursor_->id() : 0;
    nameBox_->setText(value("氏名"));
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
}

QMap<QString, QString> PhonebookWindow::boxValues() const {
    return {
        {QStringLiteral("氏名"), nameBox_->text()},
        {QStringLiteral("索引インデックス"), indexBox_->currentText()},
        {QStringLiteral("住所"), addressBox_->toPlainText()},
        {QStringLiteral("郵便番号"), zipBox_->text()},
        {QStringLiteral("誕生日"), birthdayBox_->text()},
        {QStringLiteral("Ｅメール1"), mailBoxes_[0]->text()},
        {QStringLiteral("Ｅメール2"), mailBoxes_[1]->text()},
        {QStringLiteral("その他"), otherBox_->text()},
    };
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
        cursor_->writeChanges(boxValues());
}

void PhonebookWindow::StoreNewEntry() {
    if (!cursor_ || !newEntryPending_)
        return;
    // A refused row keeps its boxes (and the pending state): nothing typed is dropped.
    if (!cursor_->storeNew(boxValues()))
        return;
    newEntryPending_ = false;
    Reposition();
}

void PhonebookWindow::Navigate(Navigation step) {
    if (!cursor_)
        return;
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

void PhonebookWindow::ChooseIndex(int k) {
    if (!connection_ || k < 0 || k >= IndexButtonCount)
        return;
    indexButtons_[k]->setChecked(true);
    if (k == 0) {
        indexLetter_ = QStringLiteral("*");
        entryListModel_->showAll(*connection_);
    } else {
        indexLetter_ = db::phonebook::IndexLetters().at(k - 1);
        entryListModel_->showLetter(*connection_, indexLetter_);
    }
    entryList_->setColumnWidth(0, TwipsToPixelsX(EntryNameColumnWidth));
    entryList_->setColumnHidden(1, true);
}

void PhonebookWindow::OnEntryListClicked(int row) {
    const qint32 id = entryListModel_->idOfLine(row);
    if (id == 0 || !cursor_)
        return;
    WritePendingEdits();
    cursor_->moveToId(id);
    Reposition();
}

// --- editing ---

void PhonebookWindow::OnNewEntryClicked() {
    if (!cursor_)
        return;
    WritePendingEdits();
    newEntryPending_ = true;
    ShowEntryFields();
    shownEntryId_ = 0;
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
    if (!Dialogs::Confirm(this, nameBox_->text() + QStringLiteral("の全情報を削除します。"),
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
            focusNextPrevChild(true);
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
    if (IsLeaving(event) && watched == nameBox_ && newEntryPending_)
        StoreNewEntry();
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

// --- vCard ---

void PhonebookWindow::contextMenuEvent(QContextMenuEvent *event) {
    auto *menu = new QMenu(this);
    menu->setObjectName(QStringLiteral("VCardMenu"));
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->addAction(QStringLiteral("vCardで保存…"), this, &PhonebookWindow::OnExportVCardChosen);
    menu->addAction(QStringLiteral("vCardから読み込み…"), this,
                    &PhonebookWindow::OnImportVCardChosen);
    menu->popup(event->globalPos());
    event->accept();
}

namespace {

// At most `most` lines of a list, and how many more there are.
QString SomeLines(const QStringList &lines, int most = 20) {
    QString text = lines.mid(0, most).join(QLatin1Char('\n'));
    if (lines.size() > most)
        text += QStringLiteral("\nほか%1件").arg(lines.size() - most);
    return text;
}

} // namespace

void PhonebookWindow::OnExportVCardChosen() {
    // The file holds what the window shows: what is typed goes in first.
    WriteFocusedNumberBox();
    WritePendingEdits();
    const QString path =
        FileChooser::SaveFile(this, QStringLiteral("vCardで保存"), QStringLiteral("電話帳.vcf"),
                              QStringLiteral("vCard (*.vcf);;すべてのファイル (*)"));
    if (path.isEmpty())
        return;
    exchange::ExportReport report;
    {
        db::Database d(Program::DatabasePath());
        report = exchange::ExportPhonebookVCard(d, path, exchange::Wording::Japanese);
    }
    if (report.ok)
        Dialogs::Tell(this, QStringLiteral("%1件をvCardで保存しました。").arg(report.count),
                      QStringLiteral("電話帳"), Dialogs::Icon::Information);
    else
        Dialogs::Tell(this, QStringLiteral("vCardで保存できませんでした。\n") + report.error,
                      QStringLiteral("電話帳"), Dialogs::Icon::Exclamation);
}

void PhonebookWindow::OnImportVCardChosen() {
    WriteFocusedNumberBox();
    WritePendingEdits();
    const QString path =
        FileChooser::OpenFile(this, QStringLiteral("vCard (*.vcf *.vcard);;すべてのファイル (*)"));
    if (path.isEmpty())
        return;
    exchange::ImportReport report;
    {
        db::Database d(Program::DatabasePath());
        report = exchange::ImportPhonebookVCard(d, path, exchange::Wording::Japanese);
    }
    if (!report.ok) {
        QString text = QStringLiteral("vCardから読み込めませんでした。\n") + report.error;
        if (!report.skipped.isEmpty())
            text += QStringLiteral("\n\n") + SomeLines(report.skipped);
        Dialogs::Tell(this, text, QStringLiteral("電話帳"), Dialogs::Icon::Exclamation);
        return;
    }
    QString text = QStringLiteral("%1件を読み込みました。").arg(report.added);
    if (!report.duplicates.isEmpty())
        text += QStringLiteral("\n\n電話帳に既にあるため追加しなかった番号：\n") +
                SomeLines(report.duplicates);
    if (!report.skipped.isEmpty())
        text += QStringLiteral("\n\n読み込めなかったカード：\n") + SomeLines(report.skipped);
    if (report.added > 0 && cursor_) {
        // The new entries are the last rows: the list is read again and the last one shown.
        ChooseIndex(indexGroup_->checkedId() < 0 ? 0 : indexGroup_->checkedId());
        cursor_->moveLast();
        Reposition();
    }
    Dialogs::Tell(this, text, QStringLiteral("電話帳"),
                  report.skipped.isEmpty() ? Dialogs::Icon::Information
                                           : Dialogs::Icon::Exclamation);
}
