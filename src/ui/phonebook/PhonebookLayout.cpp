// The phonebook window's controls, built from the faces table (PhonebookFaces.h).
#include "ui/phonebook/PhonebookWindow.h"

#include "db/Phonebook.h"
#include "ui/chrome/ImageButton.h"
#include "ui/chrome/Pictures.h"
#include "ui/chrome/TitleBarButtons.h"
#include "ui/chrome/WindowChrome.h"
#include "ui/phonebook/PhonebookModels.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTableView>
#include <QTextDocument>

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
    // For a screen reader, where no caption stands on a control's left.
    entryList_->setAccessibleName(QStringLiteral("電話帳の一覧"));
    for (int i = 0; i < NumberLineCount; ++i) {
        numberLines_[i].numberBox->setAccessibleName(QStringLiteral("電話番号%1").arg(i + 1));
        numberLines_[i].kindBox->setAccessibleName(QStringLiteral("摘要%1").arg(i + 1));
    }
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
    // An address takes two lines: a narrow margin lets both show in the box's height.
    addressBox_->document()->setDocumentMargin(1);
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
    // The boxes in screen order (the birthday beside the postal code), then the lists.
    order << addressBox_ << zipBox_ << birthdayBox_ << mailBoxes_[0] << mailBoxes_[1] << otherBox_
          << entryList_ << historyList_;
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
