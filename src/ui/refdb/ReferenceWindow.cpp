#include "ui/refdb/ReferenceWindow.h"

#include "db/ReferenceDatabase.h"
#include "platform/desktop/Dialogs.h"
#include "platform/desktop/FileChooser.h"
#include "runstate/RunState.h"
#include "ui/chrome/ImageButton.h"
#include "ui/chrome/Pictures.h"
#include "ui/chrome/WindowChrome.h"

#include <QComboBox>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <functional>

namespace {

using namespace ReferenceFaces;
using WindowChrome::TwipsToPixelsX;
using WindowChrome::TwipsToPixelsY;

using WindowChrome::PlaceTwips;

// An editable list whose list is filled just before it drops down: by a click on its arrow,
// Alt+Down or F4.
class FilledList : public QComboBox {
public:
    using QComboBox::QComboBox;
    std::function<void()> fill;
    void showPopup() override {
        if (fill)
            fill();
        QComboBox::showPopup();
    }
};

FilledList *EditableList(QWidget *parent, const QString &name) {
    auto *box = new FilledList(parent);
    box->setObjectName(name);
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    return box;
}

// Adds names to an editable list without changing what its box says: the first item added to
// an empty list would otherwise replace the text.
void AddKeepingText(QComboBox *box, const QStringList &names) {
    const QString text = box->currentText();
    box->addItems(names);
    box->setEditText(text);
}

// Empties a list without changing what its box says.
void ClearKeepingText(QComboBox *box) {
    const QString text = box->currentText();
    box->clear();
    box->setEditText(text);
}

} // namespace

ReferenceWindow::ReferenceWindow(RunState &state, QWidget *parent)
    : SkinnedWindow(WindowKind::ReferenceDatabase, parent), state_(state) {
    setObjectName(QStringLiteral("Form4"));
    setWindowTitle(QStringLiteral("参照データベースの設定"));
    setWindowIcon(ProgramIcon());
    resize(TwipsToPixelsX(WindowWidth), TwipsToPixelsY(WindowHeight));
    BuildGuide();
    BuildBoxes();
    BuildButtons();
    Load();
    // For a screen reader: these boxes' captions stand above them, and "..." says little.
    fileBox_->setAccessibleName(QStringLiteral("参照する電話帳データベース"));
    tableBox_->setAccessibleName(QStringLiteral("参照するテーブル"));
    // A list box with text is named by its text over AT-SPI: its caption is told as its label.
    guide_.at(3)->setBuddy(tableBox_);
    chooseFileButton_->setAccessibleName(QStringLiteral("データベースのファイルを選ぶ"));
}

void ReferenceWindow::BuildGuide() {
    const auto label = [this](const QString &text, int left, int top, int width, int height) {
        auto *l = new QLabel(text, this);
        l->setObjectName(QStringLiteral("Label1(%1)").arg(guide_.size()));
        l->setTextFormat(Qt::PlainText);
        l->setWordWrap(true);
        PlaceTwips(l, left, top, width, height);
        addDragSurface(l);
        guide_ << l;
        return l;
    };
    const int textWidth = BoxRight - BoxLeft;
    label(QStringLiteral("①"), MarkLeft, 720, 300, 285);
    label(QStringLiteral("参照する電話帳データベース（mdb・accdb・SQLite）を指定してください。"),
          BoxLeft, 720, textWidth, 540);
    label(QStringLiteral("②"), MarkLeft, 1830, 300, 285);
    label(QStringLiteral("参照するテーブルを指定してください。"), BoxLeft, 1830, textWidth, 285);
    label(QStringLiteral("③"), MarkLeft, 2640, 300, 285);
    label(QStringLiteral("それぞれ対象になるフィールドを設定してください。"), BoxLeft, 2640,
          textWidth, 540);
    const char *fieldNames[FieldCount] = {"・電話番号", "・氏名", "・住所", "・郵便番号"};
    // Top to bottom: phone, name, postal code, address.
    for (int i : {Phone, Name, Zip, Address})
        label(QString::fromUtf8(fieldNames[i]), BoxLeft, FieldTops[i] + 45, FieldBoxLeft - BoxLeft,
              285);
    label(QStringLiteral("＊郵便番号、住所以外は　　必ず指定してください。"), BoxLeft, 5070,
          textWidth, 540);
    // The window's caption, drawn in the title area (the window has no caption bar).
    QLabel *title = label(QStringLiteral("参照データベースの設定"), MarkLeft, 240,
                          BoxRight - MarkLeft, RowHeight);
    QFont bold = title->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.2);
    title->setFont(bold);
}

void ReferenceWindow::BuildBoxes() {
    const int textWidth = BoxRight - BoxLeft;
    fileBox_ = new QLineEdit(this);
    fileBox_->setObjectName(QStringLiteral("Text5"));
    PlaceTwips(fileBox_, BoxLeft, 1290, textWidth - 480, RowHeight);
    chooseFileButton_ = new QPushButton(QStringLiteral("..."), this);
    chooseFileButton_->setObjectName(QStringLiteral("Command1"));
    PlaceTwips(chooseFileButton_, BoxRight - 420, 1290, 420, RowHeight);
    connect(chooseFileButton_, &QPushButton::clicked, this, &ReferenceWindow::ChooseFile);
    // A file typed in: the table list is of that file from now on.
    connect(fileBox_, &QLineEdit::editingFinished, this, &ReferenceWindow::FillTableList);

    FilledList *tables = EditableList(this, QStringLiteral("Combo1"));
    tables->fill = [this] { FillTableList(); };
    tableBox_ = tables;
    PlaceTwips(tableBox_, BoxLeft, 2160, textWidth, RowHeight);
    tableBox_->installEventFilter(this);
    // A table picked from the list: the field lists are of that table from now on.
    connect(tableBox_, &QComboBox::activated, this, [this] { FillFieldLists(Phone); });
    for (int i = 0; i < FieldCount; ++i) {
        FilledList *fields = EditableList(this, QStringLiteral("Combo2(%1)").arg(i));
        fields->fill = [this, i] { FillFieldLists(i); };
        fieldBoxes_[i] = fields;
        PlaceTwips(fieldBoxes_[i], FieldBoxLeft, FieldTops[i], BoxRight - FieldBoxLeft, RowHeight);
        fieldBoxes_[i]->installEventFilter(this);
    }
    // Path, table, phone, name, postal code, address; the chooser button last.
    setTabOrder(fileBox_, tableBox_);
    setTabOrder(tableBox_, fieldBoxes_[Phone]);
    setTabOrder(fieldBoxes_[Phone], fieldBoxes_[Name]);
    setTabOrder(fieldBoxes_[Name], fieldBoxes_[Zip]);
    setTabOrder(fieldBoxes_[Zip], fieldBoxes_[Address]);
    setTabOrder(fieldBoxes_[Address], chooseFileButton_);
}

void ReferenceWindow::BuildButtons() {
    const auto button = [this](int item, int left, int pressed, int normal, const char *tip) {
        auto *b = new ImageButton(ButtonWidth, ButtonHeight, this);
        b->setObjectName(QStringLiteral("Picture12(%1)").arg(item));
        b->setToolTip(QString::fromUtf8(tip));
        b->setPressedFace(pressed);
        b->setFace(normal);
        b->move(TwipsToPixelsX(left), TwipsToPixelsY(ButtonsTop));
        return b;
    };
    applyButton_ = button(0, ApplyLeft, ApplyPressed, ApplyNormal, "設定を有効にする。");
    cancelButton_ = button(1, CancelLeft, CancelPressed, CancelNormal, "キャンセル");
    connect(applyButton_, &ImageButton::clicked, this, &ReferenceWindow::Apply);
    connect(cancelButton_, &ImageButton::clicked, this, &QWidget::close);
}

void ReferenceWindow::Load() {
    const Settings &s = state_.settings();
    fileBox_->setText(s.RefDatabasePath);
    tableBox_->setEditText(s.RefTable);
    fieldBoxes_[Phone]->setEditText(s.RefPhoneField);
    fieldBoxes_[Name]->setEditText(s.RefNameField);
    fieldBoxes_[Address]->setEditText(s.RefAddressField);
    fieldBoxes_[Zip]->setEditText(s.RefZipField);
}

void ReferenceWindow::ChooseFile() {
    // A cancelled chooser leaves the box (and the lists) as they were. The chooser opens
    // beside the file named in the box.
    const QString chosen = FileChooser::OpenFile(
        this, QStringLiteral("データベース(*.mdb *.accdb *.sqlite *.db);;すべてのファイル(*)"),
        fileBox_->text());
    if (chosen.isEmpty())
        return;
    fileBox_->setText(chosen);
    FillTableList();
}

ReferenceWindow::~ReferenceWindow() {
    disconnect(fileBox_, nullptr, this, nullptr);
}

bool ReferenceWindow::eventFilter(QObject *watched, QEvent *event) {
    int field = -1;
    for (int i = 0; i < FieldCount; ++i)
        if (watched == fieldBoxes_[i])
            field = i;
    if (watched != tableBox_ && field < 0)
        return SkinnedWindow::eventFilter(watched, event);
    if (event->type() == QEvent::FocusIn)
        field < 0 ? FillTableList() : FillFieldLists(field);
    // The boxes keep their presses: a press on a list's arrow drops the list down, it does
    // not move the window.
    return false;
}

// The table list is of the file named in the path box: filled once per file, emptied and
// filled again when the path changes.
void ReferenceWindow::FillTableList() {
    const QString path = fileBox_->text();
    if (tableBox_->count() > 0 && tablesOf_ == path)
        return;
    ClearKeepingText(tableBox_);
    tablesOf_ = path;
    ReferenceDatabase reference;
    if (!reference.open(path))
        return;
    QStringList tables;
    // The engine's own tables; the comparison is exact, so "msys…" or "MSYS…" are listed.
    for (const QString &name : reference.tableNames())
        if (!name.startsWith(QStringLiteral("MSys"), Qt::CaseSensitive))
            tables << name;
    AddKeepingText(tableBox_, tables);
}

// The field lists are of the table named in the table box, in the file of the path box:
// filled once per table, emptied and filled again when either changes.
void ReferenceWindow::FillFieldLists(int field) {
    const QStringList source{fileBox_->text(), tableBox_->currentText()};
    if (fieldBoxes_[field]->count() > 0 && fieldsOf_ == source)
        return;
    for (QComboBox *box : fieldBoxes_)
        ClearKeepingText(box);
    fieldsOf_ = source;
    ReferenceDatabase reference;
    if (!reference.open(source[0]))
        return;
    const QStringList columns = reference.columnNames(source[1]);
    for (QComboBox *box : fieldBoxes_)
        AddKeepingText(box, columns);
}

bool ReferenceWindow::Check(const QString &value, const QString &message) {
    if (!value.isEmpty())
        return true;
    Dialogs::Tell(this, message, QStringLiteral("指定してください"), Dialogs::Icon::Question,
                  Dialogs::Modality::System);
    return false;
}

void ReferenceWindow::Apply() {
    const QString path = fileBox_->text();
    const QString table = tableBox_->currentText();
    QString fields[FieldCount];
    for (int i = 0; i < FieldCount; ++i)
        fields[i] = fieldBoxes_[i]->currentText();
    if (!Check(path, QStringLiteral("データベースを指定してください。")) ||
        !Check(table, QStringLiteral("テーブルを指定してください。")) ||
        !Check(fields[Phone], QStringLiteral("電話番号フィールドを指定してください。")) ||
        !Check(fields[Name], QStringLiteral("氏名フィールドを指定してください。")))
        return;
    state_.changeSettings([&](Settings &s) {
        s.RefDatabasePath = path;
        s.RefTable = table;
        s.RefPhoneField = fields[Phone];
        s.RefAddressField = fields[Address];
        s.RefNameField = fields[Name];
        s.RefZipField = fields[Zip];
        s.RefEnabled = true;
    });
    close();
}
