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
    : SkinnedWindow(WindowKind::Phonebook, parent), state(state) {
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(QStringLiteral("電話帳"));
    setWindowIcon(ProgramIcon());
    BuildLayout();
    FormLoad();
    // The database file must be free while it is compacted: close, writing what is pending.
    connect(&state, &RunState::compactionStarting, this, &QWidget::close);
}

PhonebookWindow::~PhonebookWindow() {
    Unload();
}

// --- layout ---

void PhonebookWindow::BuildLayout() {
    Caption = new QLabel(QStringLiteral("電話帳"), this);
    Caption->setObjectName(QStringLiteral("Label1"));
    QFont captionFont = Caption->font();
    captionFont.setPointSize(11);
    captionFont.setBold(true);
    Caption->setFont(captionFont);
    Place(Caption, PhonebookFaces::Caption);
    addDragSurface(Caption);

    Picture5 = new TitleBarButtons(TitleBarButtons::Close | TitleBarButtons::Minimize,
                                   QStringLiteral("電話帳を閉じる。"), this);
    Place(Picture5, TitleButtons);
    Picture5->button(2)->setPressedFace(MinimizePressed);

    MSFlexGrid1 = new QTableView(this);
    MSFlexGrid1->setObjectName(QStringLiteral("MSFlexGrid1"));
    Place(MSFlexGrid1, EntryList);
    MSFlexGrid1->horizontalHeader()->hide();
    MSFlexGrid1->verticalHeader()->hide();
    MSFlexGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    MSFlexGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    MSFlexGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    MSFlexGrid1->setWordWrap(false);
    Data3 = new EntryListModel(this);
    MSFlexGrid1->setModel(Data3);
    connect(MSFlexGrid1, &QTableView::clicked, this,
            [this](const QModelIndex &index) { EntryListClicked(index.row()); });

    for (int i = 0; i < 3; ++i) {
        Label3[i] = new QLabel(this);
        Label3[i]->setObjectName(QStringLiteral("Label3(%1)").arg(i));
        Label3[i]->setTextFormat(Qt::PlainText);
    }
    Label3[2]->setText(QStringLiteral("／"));
    const int third = Position.width / 3;
    Place(Label3[0], {Position.left, Position.top, third, Position.height});
    Place(Label3[2], {Position.left + third, Position.top, third, Position.height});
    Place(Label3[1], {Position.left + 2 * third, Position.top, third, Position.height});
    Label3[0]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Label3[2]->setAlignment(Qt::AlignCenter);
    Label3[1]->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);

    for (int i = 0; i < NavigationCount; ++i) {
        const FaceButton &c = NavigationButtons[i];
        auto *b = new ImageButton(CommandHit, CommandHit, this);
        b->setFixedSize(35, 35);
        b->setObjectName(QStringLiteral("Picture4(%1)").arg(i));
        b->setToolTip(QString::fromUtf8(c.tip));
        b->setPressedFace(c.pressed);
        b->setFace(c.normal);
        b->move(TwipsToPixelsX(c.left), TwipsToPixelsY(c.top));
        connect(b, &ImageButton::clicked, this, [this, i] { Navigate(Navigation(i)); });
        Picture4[i] = b;
    }

    BuildIndexFrame();
    BuildEntryBoxes();

    MSFlexGrid2 = new QTableView(this);
    MSFlexGrid2->setObjectName(QStringLiteral("MSFlexGrid2"));
    Place(MSFlexGrid2, HistoryList);
    MSFlexGrid2->verticalHeader()->hide();
    MSFlexGrid2->verticalHeader()->setMinimumSectionSize(TwipsToPixelsY(HistoryLineHeight));
    MSFlexGrid2->verticalHeader()->setDefaultSectionSize(TwipsToPixelsY(HistoryLineHeight));
    MSFlexGrid2->setEditTriggers(QAbstractItemView::NoEditTriggers);
    MSFlexGrid2->setSelectionBehavior(QAbstractItemView::SelectRows);
    MSFlexGrid2->setWordWrap(true);
    Data4 = new HistoryOfEntryModel(this);
    MSFlexGrid2->setModel(Data4);
    auto *historyCaption = CaptionLabel(this, QStringLiteral("着信履歴："), HistoryList.top);
    historyCaption->setObjectName(QStringLiteral("Label7"));

    BuildCommands();
    SetFocusOrder();

    // Hidden: the shown entry's ID, the last index letter, the number rows' TelIDs.
    Label2 = new QLabel(this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->hide();
    Label4 = new QLabel(this);
    Label4->setObjectName(QStringLiteral("Label4"));
    Label4->hide();
    for (int i = 0; i < 3; ++i) {
        Label5[i] = new QLabel(this);
        Label5[i]->setObjectName(QStringLiteral("Label5(%1)").arg(i));
        Label5[i]->hide();
    }
}

void PhonebookWindow::BuildIndexFrame() {
    auto *frame = new QGroupBox(QStringLiteral("ｲﾝﾃﾞｯｸｽ"), this);
    frame->setObjectName(QStringLiteral("Frame1"));
    Frame1 = frame;
    Place(frame, IndexFrame);
    Option1Group = new QButtonGroup(this);
    // The kana table: the number of letters in each column, top to bottom.
    static constexpr int lettersInColumn[10] = {5, 5, 5, 5, 5, 5, 5, 3, 5, 3};
    const QStringList letters = db::phonebook::IndexLetters();
    const auto option = [&](int k, const QString &caption) {
        auto *o = new QRadioButton(caption, frame);
        o->setObjectName(QStringLiteral("Option1(%1)").arg(k));
        // A click chooses the letter; the keyboard stays with the boxes.
        o->setFocusPolicy(Qt::ClickFocus);
        Option1Group->addButton(o, k);
        Option1[k] = o;
        return o;
    };
    int k = 1;
    for (int column = 0; column < 10; ++column)
        for (int line = 0; line < lettersInColumn[column]; ++line, ++k)
            Place(option(k, letters.at(k - 1)),
                  {IndexLeft + column * IndexColumnWidth, IndexFirstTop + line * IndexLineHeight,
                   IndexColumnWidth, IndexLineHeight});
    Place(option(0, QStringLiteral("全登録リスト")),
          {IndexLeft, IndexFirstTop + 5 * IndexLineHeight + 30, 10 * IndexColumnWidth,
           IndexLineHeight});
    // The letters as the kana table shows them: no round marks, the letter in the cell.
    frame->setStyleSheet(
        QStringLiteral("QRadioButton::indicator { width: 0px; height: 0px; }"
                       "QRadioButton { padding: 0px 1px; border: 1px solid transparent; }"
                       "QRadioButton:checked { background: #fde9a8; border: 1px solid #b08a1e; }"));
    connect(Option1Group, &QButtonGroup::idClicked, this, &PhonebookWindow::ChooseIndex);
}

void PhonebookWindow::BuildEntryBoxes() {
    const auto line = [this](int item, const Box &b) {
        auto *box = new QLineEdit(this);
        box->setObjectName(QStringLiteral("Text1(%1)").arg(item));
        Place(box, b);
        Text1[item] = box;
        return box;
    };
    CaptionLabel(this, QStringLiteral("氏名："), NameBox.top);
    InputMethodOn(line(1, NameBox));

    auto *indexCaption = new QLabel(QStringLiteral("ｲﾝﾃﾞ\nｯｸｽ"), this);
    indexCaption->setTextFormat(Qt::PlainText);
    QFont small = indexCaption->font();
    small.setPointSize(7);
    indexCaption->setFont(small);
    indexCaption->setAlignment(Qt::AlignCenter);
    Place(indexCaption, IndexCaption);
    Combo2 = new QComboBox(this);
    Combo2->setObjectName(QStringLiteral("Combo2"));
    Combo2->setEditable(true);
    Combo2->setInsertPolicy(QComboBox::NoInsert);
    Combo2->addItems(db::phonebook::IndexLetters());
    Combo2->setMaxVisibleItems(12);
    Place(Combo2, IndexBox);

    CaptionLabel(this, QStringLiteral("ＴＥＬ："), NumberTop);
    for (int i = 0; i < 3; ++i) {
        const int top = NumberTop + i * LineHeight;
        Text2[i] = new QLineEdit(this);
        Text2[i]->setObjectName(QStringLiteral("Text2(%1)").arg(i));
        Place(Text2[i], {NumberBox.left, top, NumberBox.width, NumberBox.height});
        InputMethodOff(Text2[i]);
        Combo1[i] = new QComboBox(this);
        Combo1[i]->setObjectName(QStringLiteral("Combo1(%1)").arg(i));
        Combo1[i]->setEditable(true);
        Combo1[i]->setInsertPolicy(QComboBox::NoInsert);
        Combo1[i]->addItems(db::phonebook::NumberKinds());
        Combo1[i]->setCurrentIndex(-1);
        Combo1[i]->setEditText(QString());
        Place(Combo1[i], {KindBox.left, top, KindBox.width, KindBox.height});
    }

    CaptionLabel(this, QStringLiteral("住所："), PhonebookFaces::AddressBox.top);
    AddressBox = new QPlainTextEdit(this);
    AddressBox->setObjectName(QStringLiteral("Text1(2)"));
    AddressBox->setTabChangesFocus(true);
    AddressBox->setInputMethodHints(Qt::ImhMultiLine);
    AddressBox->setAttribute(Qt::WA_InputMethodEnabled, true);
    Place(AddressBox, PhonebookFaces::AddressBox);

    CaptionLabel(this, QStringLiteral("郵便番号："), ZipBox.top);
    InputMethodOff(line(3, ZipBox));
    auto *birthday = new QLabel(QStringLiteral("誕生日："), this);
    birthday->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Place(birthday, BirthdayCaption);
    InputMethodOn(line(0, BirthdayBox));

    for (int j = 0; j < 2; ++j) {
        const Box &b = j == 0 ? Mail1Box : Mail2Box;
        Label6[j] = CaptionLabel(
            this, j == 0 ? QStringLiteral("e-mail①:") : QStringLiteral("e-mail②:"), b.top);
        Label6[j]->setObjectName(QStringLiteral("Label6(%1)").arg(j));
        Label6[j]->setCursor(LinkCursor());
        QPalette link = Label6[j]->palette();
        link.setColor(QPalette::WindowText, QColor(0, 0, 192));
        Label6[j]->setPalette(link);
        Label6[j]->installEventFilter(this);
        InputMethodOff(line(5 + j, b));
    }
    CaptionLabel(this, QStringLiteral("その他："), OtherBox.top);
    InputMethodOn(line(7, OtherBox));

    // Enter moves on as Tab does, in every box; leaving the name and number boxes writes.
    for (QLineEdit *box : Text1)
        if (box)
            box->installEventFilter(this);
    AddressBox->installEventFilter(this);
    QList<QComboBox *> combos{Combo2, Combo1[0], Combo1[1], Combo1[2]};
    for (QComboBox *combo : combos) {
        combo->installEventFilter(this);
        combo->lineEdit()->installEventFilter(this);
    }
    for (QLineEdit *box : Text2)
        box->installEventFilter(this);
}

void PhonebookWindow::BuildCommands() {
    const auto make = [this](const FaceButton &c, int hitWidth, int width, const QString &name) {
        ImageButton *b = MakeFaceButton(c, hitWidth, CommandHit, this, name);
        b->setFixedSize(width, 35);
        return b;
    };
    for (int i = 0; i < CommandCount; ++i)
        Picture6[i] = make(Commands[i], CommandHit, 35, QStringLiteral("Picture6(%1)").arg(i));
    Picture7 = make(NewEntry, NewEntryHitWidth, 75, QStringLiteral("Picture7"));
    Picture6[KeepOnTop]->setNormalFace([this] { return KeepOnTopFace(); });
    Picture6[KeepOnTop]->setFace(KeepOnTopFace());

    connect(Picture6[Close], &ImageButton::clicked, this, &QWidget::close);
    connect(Picture6[KeepOnTop], &ImageButton::clicked, this, &PhonebookWindow::KeepOnTopClicked);
    connect(Picture6[DeleteEntry], &ImageButton::clicked, this,
            &PhonebookWindow::DeleteEntryClicked);
    connect(Picture6[DeleteNumber], &ImageButton::clicked, this,
            &PhonebookWindow::DeleteNumberClicked);
    connect(Picture7, &ImageButton::clicked, this, &PhonebookWindow::NewEntryClicked);

    // A press on any picture button takes the focus, so the box that had it is left (and
    // written) before the button acts, as with the program's picture boxes.
    for (ImageButton *b : findChildren<ImageButton *>())
        b->setFocusPolicy(Qt::ClickFocus);
}

void PhonebookWindow::SetFocusOrder() {
    QList<QWidget *> order{Text1[1], Combo2,      Text2[0],    Combo1[0], Text2[1], Combo1[1],
                           Text2[2], Combo1[2],   AddressBox,  Text1[3],  Text1[5], Text1[6],
                           Text1[7], MSFlexGrid1, MSFlexGrid2, Text1[0]};
    for (int i = 0; i + 1 < order.size(); ++i)
        setTabOrder(order[i], order[i + 1]);
}

// --- load, activation, unload ---

void PhonebookWindow::FormLoad() {
    OpenAtLastPending = true;
    // The file is named by its full path; the folder stays the current one for the others.
    QDir::setCurrent(Program::AppFolder);
    if (PhonebookOnTop)
        WindowChrome::ApplyTopMost(this, true, nullptr, false);
    MSFlexGrid2->setColumnWidth(0, TwipsToPixelsX(HistoryDateColumnWidth));
    MSFlexGrid2->setColumnWidth(1, TwipsToPixelsX(HistoryMemoColumnWidth));
    const Settings &s = state.settings();
    // A position saved for a screen that is gone is shown on the screen there is.
    const QRect saved(TwipsToPixelsX(s.PhonebookLeft), TwipsToPixelsY(s.PhonebookTop),
                      TwipsToPixelsX(WindowWidth), TwipsToPixelsY(WindowHeight));
    setGeometry(QRect(WindowChrome::VisiblePosition(saved), saved.size()));

    connection_ = std::make_unique<db::Database>(Program::DatabasePath());
    Data1 = std::make_unique<db::phonebook::EntryCursor>(*connection_);
    Option1[0]->setChecked(true);
    Data3->showAll(*connection_);
    MSFlexGrid1->setColumnWidth(0, TwipsToPixelsX(EntryNameColumnWidth));
    MSFlexGrid1->setColumnHidden(1, true);
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
    if (!OpenAtLastPending || !Data1)
        return;
    OpenAtLastPending = false;
    Data1->moveLast();
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
    state.changeSettings([this](Settings &s) {
        s.PhonebookLeft = WindowChrome::PixelsToTwipsX(x());
        s.PhonebookTop = WindowChrome::PixelsToTwipsY(y());
    });
    // The connection goes with the window: models first, then the cursor, then the file.
    Data3->clear();
    Data4->clear();
    Data1.reset();
    connection_.reset();
    emit unloaded();
}

// --- the shown entry ---

qint32 PhonebookWindow::ShownEntryId() const {
    return db::phonebook::IdOfText(Label2->text());
}

void PhonebookWindow::Reposition() {
    if (!Data1)
        return;
    ShowEntryFields();
    FillNumbersAndHistory();
    Label3[1]->setText(QString::number(Data1->count()));
    Label3[0]->setText(QString::number(Data1->position()));
}

void PhonebookWindow::ShowEntryFields() {
    const bool on = Data1 && Data1->onEntry();
    const auto value = [&](const char *field) {
        return on ? Data1->field(QString::fromUtf8(field)) : QString();
    };
    Label2->setText(on ? QString::number(Data1->id()) : QString());
    Text1[1]->setText(value("氏名"));
    Combo2->setEditText(value("索引インデックス"));
    AddressBox->setPlainText(value("住所"));
    Text1[3]->setText(value("郵便番号"));
    Text1[0]->setText(value("誕生日"));
    Text1[5]->setText(value("Ｅメール1"));
    Text1[6]->setText(value("Ｅメール2"));
    Text1[7]->setText(value("その他"));
    // Before the first and after the last entry there is no row to type into: what would be
    // typed there could not be kept.
    const bool editable = on || NewEntryPending;
    for (QLineEdit *box : Text1)
        if (box)
            box->setReadOnly(!editable);
    AddressBox->setReadOnly(!editable);
    Combo2->lineEdit()->setReadOnly(!editable);
    // A line edit's read-only switch also switches its input method: set it again.
    for (int item : {1, 0, 7})
        InputMethodOn(Text1[item]);
    for (int item : {3, 5, 6})
        InputMethodOff(Text1[item]);
    AddressBox->setAttribute(Qt::WA_InputMethodEnabled, editable);
}

QMap<QString, QString> PhonebookWindow::BoxValues() const {
    return {
        {QStringLiteral("氏名"), Text1[1]->text()},
        {QStringLiteral("索引インデックス"), Combo2->currentText()},
        {QStringLiteral("住所"), AddressBox->toPlainText()},
        {QStringLiteral("郵便番号"), Text1[3]->text()},
        {QStringLiteral("誕生日"), Text1[0]->text()},
        {QStringLiteral("Ｅメール1"), Text1[5]->text()},
        {QStringLiteral("Ｅメール2"), Text1[6]->text()},
        {QStringLiteral("その他"), Text1[7]->text()},
    };
}

void PhonebookWindow::FillNumbersAndHistory() {
    SelectedNumberRow = 0;
    const qint32 id = ShownEntryId();
    QVector<db::phonebook::NumberRow> numbers;
    if (connection_ && id != 0)
        numbers = db::phonebook::NumbersOfEntry(*connection_, id);
    // The first three in TelID order; further numbers stay in the file, untouched.
    for (int i = 0; i < 3; ++i) {
        const bool filled = i < numbers.size();
        Label5[i]->setText(filled ? QString::number(numbers[i].TelId) : QString());
        Text2[i]->setText(filled ? numbers[i].Number : QString());
        Combo1[i]->setEditText(filled ? numbers[i].Kind : QString());
    }
    if (connection_) {
        // Calls of callers outside the phonebook carry 着信者ID 0: -1 lists none of them.
        Data4->setEntry(*connection_, id == 0 ? -1 : id);
        MSFlexGrid2->setColumnWidth(0, TwipsToPixelsX(HistoryDateColumnWidth));
        MSFlexGrid2->setColumnWidth(1, TwipsToPixelsX(HistoryMemoColumnWidth));
    }
}

// What is typed in the bound boxes goes to the shown row when the cursor leaves it.
void PhonebookWindow::WritePendingEdits() {
    if (!Data1)
        return;
    if (NewEntryPending)
        StoreNewEntry();
    else if (Data1->onEntry())
        Data1->writeChanges(BoxValues());
}

void PhonebookWindow::StoreNewEntry() {
    if (!Data1 || !NewEntryPending)
        return;
    // A refused row keeps its boxes (and the pending state): nothing typed is dropped.
    if (!Data1->storeNew(BoxValues()))
        return;
    NewEntryPending = false;
    Reposition();
}

void PhonebookWindow::Navigate(Navigation step) {
    if (!Data1)
        return;
    WritePendingEdits();
    switch (step) {
    case First:
        Data1->moveFirst();
        break;
    case Previous:
        Data1->movePrevious();
        break;
    case Next:
        Data1->moveNext();
        break;
    case Last:
        Data1->moveLast();
        break;
    default:
        return;
    }
    Reposition();
}

void PhonebookWindow::ChooseIndex(int k) {
    if (!connection_ || k < 0 || k > 46)
        return;
    Option1[k]->setChecked(true);
    if (k == 0) {
        Label4->setText(QStringLiteral("*"));
        Data3->showAll(*connection_);
    } else {
        const QString letter = db::phonebook::IndexLetters().at(k - 1);
        Label4->setText(letter);
        Data3->showLetter(*connection_, letter);
    }
    MSFlexGrid1->setColumnWidth(0, TwipsToPixelsX(EntryNameColumnWidth));
    MSFlexGrid1->setColumnHidden(1, true);
}

void PhonebookWindow::EntryListClicked(int line) {
    const qint32 id = Data3->idOfLine(line);
    if (id == 0 || !Data1)
        return;
    WritePendingEdits();
    Data1->moveToId(id);
    Reposition();
}

// --- editing ---

void PhonebookWindow::NewEntryClicked() {
    if (!Data1)
        return;
    WritePendingEdits();
    NewEntryPending = true;
    ShowEntryFields();
    Label2->clear();
    Text1[1]->clear();
    Combo2->setEditText(QString());
    AddressBox->clear();
    for (QLineEdit *box : Text1)
        if (box)
            box->clear();
    // The new row has no numbers and no calls yet.
    FillNumbersAndHistory();
    Text1[1]->setFocus(Qt::OtherFocusReason);
}

void PhonebookWindow::NumberRowEntered(int row) {
    if (Label5[row]->text().isEmpty()) {
        const qint32 id = ShownEntryId();
        if (id != 0) {
            db::Database d(Program::DatabasePath());
            if (const auto tel = db::phonebook::CreateNumberRow(d, id))
                Label5[row]->setText(QString::number(*tel));
        }
    }
    SelectedNumberRow = qint16(row);
}

void PhonebookWindow::NumberBoxLeft(int row) {
    const qint32 tel = db::phonebook::IdOfText(Label5[row]->text());
    // An emptied box writes nothing: the stored number stays.
    if (Label5[row]->text().isEmpty() || Text2[row]->text().isEmpty())
        return;
    db::Database d(Program::DatabasePath());
    db::phonebook::SetNumberField(d, tel, QStringLiteral("電番"), Text2[row]->text());
}

void PhonebookWindow::KindBoxLeft(int row) {
    const qint32 tel = db::phonebook::IdOfText(Label5[row]->text());
    if (Label5[row]->text().isEmpty() || Combo1[row]->currentText().isEmpty())
        return;
    db::Database d(Program::DatabasePath());
    db::phonebook::SetNumberField(d, tel, QStringLiteral("摘要"), Combo1[row]->currentText());
}

void PhonebookWindow::WriteFocusedNumberBox() {
    QWidget *focus = QApplication::focusWidget();
    for (int i = 0; i < 3; ++i) {
        if (focus == Text2[i])
            NumberBoxLeft(i);
        else if (focus == Combo1[i] || focus == Combo1[i]->lineEdit())
            KindBoxLeft(i);
    }
}

void PhonebookWindow::DeleteEntryClicked() {
    Dialogs::MessageBox box;
    box.text = Text1[1]->text() + QStringLiteral("の全情報を削除します。");
    box.title = QStringLiteral("削除の確認");
    box.icon = Dialogs::Icon::Stop;
    box.buttons = Dialogs::Buttons::OkCancel;
    box.defaultButton = Dialogs::Answer::Cancel;
    box.systemModal = true;
    if (Dialogs::Show(this, box) != Dialogs::Answer::Ok || !Data1)
        return;
    if (NewEntryPending) {
        // The new row was never stored: it is simply given up.
        NewEntryPending = false;
        Data1->moveFirst();
    } else {
        // Its numbers go with it; its calls stay in the history with their names.
        Data1->deleteCurrent();
    }
    Reposition();
}

void PhonebookWindow::DeleteNumberClicked() {
    const int r = SelectedNumberRow;
    Dialogs::MessageBox box;
    box.text = Text2[r]->text() + QStringLiteral("を削除します。");
    box.title = QStringLiteral("削除の確認");
    box.icon = Dialogs::Icon::Question;
    box.buttons = Dialogs::Buttons::OkCancel;
    box.defaultButton = Dialogs::Answer::Cancel;
    box.systemModal = true;
    if (Dialogs::Show(this, box) != Dialogs::Answer::Ok)
        return;
    if (!Label5[r]->text().isEmpty()) {
        db::Database d(Program::DatabasePath());
        db::phonebook::DeleteNumberRow(d, db::phonebook::IdOfText(Label5[r]->text()));
    }
    FillNumbersAndHistory();
}

void PhonebookWindow::MailLinkClicked(int item) {
    const QString address = Text1[5 + item]->text();
    if (address.isEmpty())
        return;
    if (Shell::OpenMail(address))
        return;
    Dialogs::MessageBox box;
    box.text = QStringLiteral("貴様がお使いのパソコンでは、このプログラムから\n"
                              "メッセージ作成画面の立ち上げは出来ない様です");
    box.title = QCoreApplication::applicationName();
    box.icon = Dialogs::Icon::Stop;
    Dialogs::Show(this, box);
}

void PhonebookWindow::KeepOnTopClicked() {
    PhonebookOnTop = !PhonebookOnTop;
    WindowChrome::ApplyTopMost(this, PhonebookOnTop, nullptr, false);
    Picture6[KeepOnTop]->setFace(KeepOnTopFace());
}

int PhonebookWindow::KeepOnTopFace() const {
    return PhonebookOnTop ? KeepOnTopOn : KeepOnTopOff;
}

// --- vCard ---

void PhonebookWindow::contextMenuEvent(QContextMenuEvent *event) {
    auto *menu = new QMenu(this);
    menu->setObjectName(QStringLiteral("VCardMenu"));
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->addAction(QStringLiteral("vCardで保存…"), this, &PhonebookWindow::ExportVCardClicked);
    menu->addAction(QStringLiteral("vCardから読み込み…"), this,
                    &PhonebookWindow::ImportVCardClicked);
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

void PhonebookWindow::ExportVCardClicked() {
    // The file holds what the window shows: what is typed goes in first.
    WriteFocusedNumberBox();
    WritePendingEdits();
    const QString path =
        FileChooser::SaveFile(this, QStringLiteral("vCardで保存"), QStringLiteral("電話帳.vcf"),
                              QStringLiteral("vCard (*.vcf);;すべてのファイル (*)"));
    if (path.isEmpty())
        return;
    exchange::ExportReport r;
    {
        db::Database d(Program::DatabasePath());
        r = exchange::ExportPhonebookVCard(d, path, exchange::Wording::Japanese);
    }
    Dialogs::MessageBox box;
    box.title = QStringLiteral("電話帳");
    box.icon = r.ok ? Dialogs::Icon::Information : Dialogs::Icon::Exclamation;
    box.text = r.ok ? QStringLiteral("%1件をvCardで保存しました。").arg(r.count)
                    : QStringLiteral("vCardで保存できませんでした。\n") + r.error;
    Dialogs::Show(this, box);
}

void PhonebookWindow::ImportVCardClicked() {
    WriteFocusedNumberBox();
    WritePendingEdits();
    const QString path =
        FileChooser::OpenFile(this, QStringLiteral("vCard (*.vcf *.vcard);;すべてのファイル (*)"));
    if (path.isEmpty())
        return;
    exchange::ImportReport r;
    {
        db::Database d(Program::DatabasePath());
        r = exchange::ImportPhonebookVCard(d, path, exchange::Wording::Japanese);
    }
    Dialogs::MessageBox box;
    box.title = QStringLiteral("電話帳");
    if (!r.ok) {
        box.icon = Dialogs::Icon::Exclamation;
        box.text = QStringLiteral("vCardから読み込めませんでした。\n") + r.error;
        if (!r.skipped.isEmpty())
            box.text += QStringLiteral("\n\n") + SomeLines(r.skipped);
        Dialogs::Show(this, box);
        return;
    }
    box.icon = r.skipped.isEmpty() ? Dialogs::Icon::Information : Dialogs::Icon::Exclamation;
    box.text = QStringLiteral("%1件を読み込みました。").arg(r.added);
    if (!r.duplicates.isEmpty())
        box.text += QStringLiteral("\n\n電話帳に既にあるため追加しなかった番号：\n") +
                    SomeLines(r.duplicates);
    if (!r.skipped.isEmpty())
        box.text += QStringLiteral("\n\n読み込めなかったカード：\n") + SomeLines(r.skipped);
    if (r.added > 0 && Data1) {
        // The new entries are the last rows: the list is read again and the last one shown.
        ChooseIndex(Option1Group->checkedId() < 0 ? 0 : Option1Group->checkedId());
        Data1->moveLast();
        Reposition();
    }
    Dialogs::Show(this, box);
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
            if (watched == Label6[j] &&
                static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
                MailLinkClicked(j);
                return true;
            }
    }
    if (IsLeaving(event) && watched == Text1[1] && NewEntryPending)
        StoreNewEntry();
    for (int i = 0; i < 3; ++i) {
        const bool numberBox = watched == Text2[i];
        const bool kindBox = watched == Combo1[i] || watched == Combo1[i]->lineEdit();
        if (!numberBox && !kindBox)
            continue;
        if (IsEntering(event))
            NumberRowEntered(i);
        else if (IsLeaving(event))
            numberBox ? NumberBoxLeft(i) : KindBoxLeft(i);
    }
    // Only the caption drags the window; the boxes keep their presses.
    if (watched == Caption)
        return SkinnedWindow::eventFilter(watched, event);
    return QWidget::eventFilter(watched, event);
}
