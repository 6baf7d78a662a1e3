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

namespace {

using namespace ReferenceFaces;
using WindowChrome::TwipsToPixelsX;
using WindowChrome::TwipsToPixelsY;

using WindowChrome::PlaceTwips;

QComboBox *EditableList(QWidget *parent, const QString &name) {
    auto *box = new QComboBox(parent);
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

} // namespace

ReferenceWindow::ReferenceWindow(RunState &state, QWidget *parent)
    : SkinnedWindow(WindowKind::ReferenceDatabase, parent), state(state) {
    setObjectName(QStringLiteral("Form4"));
    setWindowTitle(QStringLiteral("参照データベースの設定"));
    setWindowIcon(ProgramIcon());
    BuildLayout();
    FormLoad();
}

void ReferenceWindow::BuildLayout() {
    resize(TwipsToPixelsX(WindowWidth), TwipsToPixelsY(WindowHeight));
    const auto label = [this](const QString &text, int left, int top, int width, int height) {
        auto *l = new QLabel(text, this);
        l->setObjectName(QStringLiteral("Label1(%1)").arg(Label1.size()));
        l->setTextFormat(Qt::PlainText);
        l->setWordWrap(true);
        PlaceTwips(l, left, top, width, height);
        addDragSurface(l);
        Label1 << l;
        return l;
    };
    const int textWidth = BoxRight - BoxLeft;
    label(QStringLiteral("①"), MarkLeft, 720, 300, 285);
    label(QStringLiteral("参照する電話帳データベース（mdb形式）を指定してください。"), BoxLeft, 720,
          textWidth, 540);
    label(QStringLiteral("②"), MarkLeft, 1830, 300, 285);
    label(QStringLiteral("参照するテーブルを指定してください。"), BoxLeft, 1830, textWidth, 285);
    label(QStringLiteral("③"), MarkLeft, 2640, 300, 285);
    label(QStringLiteral("それぞれ対象になるフィールドを設定してください。"), BoxLeft, 2640,
          textWidth, 540);
    const int fieldTops[FieldCount] = {3240, 3690, 4590, 4140};
    const char *fieldNames[FieldCount] = {"・電話番号", "・氏名", "・住所", "・郵便番号"};
    // Top to bottom: phone, name, postal code, address.
    for (int i : {Phone, Name, Zip, Address})
        label(QString::fromUtf8(fieldNames[i]), BoxLeft, fieldTops[i] + 45, FieldBoxLeft - BoxLeft,
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

    Text5 = new QLineEdit(this);
    Text5->setObjectName(QStringLiteral("Text5"));
    PlaceTwips(Text5, BoxLeft, 1290, textWidth - 480, RowHeight);
    Command1 = new QPushButton(QStringLiteral("..."), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    PlaceTwips(Command1, BoxRight - 420, 1290, 420, RowHeight);
    connect(Command1, &QPushButton::clicked, this, &ReferenceWindow::Command1_Click);

    Combo1 = EditableList(this, QStringLiteral("Combo1"));
    PlaceTwips(Combo1, BoxLeft, 2160, textWidth, RowHeight);
    Combo1->installEventFilter(this);
    for (int i = 0; i < FieldCount; ++i) {
        Combo2[i] = EditableList(this, QStringLiteral("Combo2(%1)").arg(i));
        PlaceTwips(Combo2[i], FieldBoxLeft, fieldTops[i], BoxRight - FieldBoxLeft, RowHeight);
        Combo2[i]->installEventFilter(this);
    }
    // Path, table, phone, name, postal code, address; the chooser button last.
    setTabOrder(Text5, Combo1);
    setTabOrder(Combo1, Combo2[Phone]);
    setTabOrder(Combo2[Phone], Combo2[Name]);
    setTabOrder(Combo2[Name], Combo2[Zip]);
    setTabOrder(Combo2[Zip], Combo2[Address]);
    setTabOrder(Combo2[Address], Command1);

    const struct {
        int left, pressed, normal;
        const char *tip;
    } buttons[2] = {{ApplyLeft, ApplyPressed, ApplyNormal, "設定を有効にする。"},
                    {CancelLeft, CancelPressed, CancelNormal, "キャンセル"}};
    for (int i = 0; i < 2; ++i) {
        auto *b = new ImageButton(ButtonWidth, ButtonHeight, this);
        b->setObjectName(QStringLiteral("Picture12(%1)").arg(i));
        b->setToolTip(QString::fromUtf8(buttons[i].tip));
        b->setPressedFace(buttons[i].pressed);
        b->setFace(buttons[i].normal);
        b->move(TwipsToPixelsX(buttons[i].left), TwipsToPixelsY(ButtonsTop));
        Picture12[i] = b;
    }
    connect(Picture12[0], &ImageButton::clicked, this, &ReferenceWindow::Apply);
    connect(Picture12[1], &ImageButton::clicked, this, &QWidget::close);
}

void ReferenceWindow::FormLoad() {
    const Settings &s = state.settings();
    Text5->setText(s.RefDatabasePath);
    Combo1->setEditText(s.RefTable);
    Combo2[Phone]->setEditText(s.RefPhoneField);
    Combo2[Name]->setEditText(s.RefNameField);
    Combo2[Address]->setEditText(s.RefAddressField);
    Combo2[Zip]->setEditText(s.RefZipField);
}

void ReferenceWindow::Command1_Click() {
    // A cancelled chooser empties the box; the lists stay as they are.
    Text5->setText(FileChooser::OpenFile(
        this, QStringLiteral("データベース(*.mdb *.accdb *.sqlite *.db);;すべてのファイル(*)")));
}

bool ReferenceWindow::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() == QEvent::FocusIn) {
        if (watched == Combo1)
            Combo1_GotFocus();
        for (int i = 0; i < FieldCount; ++i)
            if (watched == Combo2[i])
                Combo2_GotFocus(i);
    }
    return SkinnedWindow::eventFilter(watched, event);
}

void ReferenceWindow::Combo1_GotFocus() {
    if (Combo1->count() > 0)
        return;
    ReferenceDatabase reference;
    if (!reference.open(Text5->text()))
        return;
    QStringList tables;
    // The engine's own tables; the comparison is exact, so "msys…" or "MSYS…" are listed.
    for (const QString &name : reference.tableNames())
        if (!name.startsWith(QStringLiteral("MSys"), Qt::CaseSensitive))
            tables << name;
    AddKeepingText(Combo1, tables);
}

void ReferenceWindow::Combo2_GotFocus(int index) {
    if (Combo2[index]->count() > 0)
        return;
    ReferenceDatabase reference;
    if (!reference.open(Text5->text()))
        return;
    const QStringList columns = reference.columnNames(Combo1->currentText());
    for (QComboBox *box : Combo2)
        AddKeepingText(box, columns);
}

bool ReferenceWindow::Check(const QString &value, const QString &message) {
    if (!value.isEmpty())
        return true;
    Dialogs::MessageBox box;
    box.text = message;
    box.title = QStringLiteral("指定してください");
    box.icon = Dialogs::Icon::Question;
    box.buttons = Dialogs::Buttons::Ok;
    box.systemModal = true;
    Dialogs::Show(this, box);
    return false;
}

void ReferenceWindow::Apply() {
    const QString path = Text5->text();
    const QString table = Combo1->currentText();
    QString fields[FieldCount];
    for (int i = 0; i < FieldCount; ++i)
        fields[i] = Combo2[i]->currentText();
    if (!Check(path, QStringLiteral("データベースを指定してください。")) ||
        !Check(table, QStringLiteral("テーブルを指定してください。")) ||
        !Check(fields[Phone], QStringLiteral("電話番号フィールドを指定してください。")) ||
        !Check(fields[Name], QStringLiteral("氏名フィールドを指定してください。")))
        return;
    state.changeSettings([&](Settings &s) {
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
