// The phonebook window's right-click menu: the whole phonebook saved as vCard, and cards read
// into it.
#include "ui/phonebook/PhonebookWindow.h"

#include "db/Database.h"
#include "db/Phonebook.h"
#include "exchange/VCard.h"
#include "platform/desktop/Dialogs.h"
#include "platform/desktop/FileChooser.h"
#include "settings/Program.h"

#include <QButtonGroup>
#include <QContextMenuEvent>
#include <QMenu>
#include <algorithm>

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
// The first lines of a list of `total` (of which the report keeps the first).
QString SomeLines(const QStringList &lines, int total, int most = 20) {
    QString text = lines.mid(0, most).join(QLatin1Char('\n'));
    const int shown = int(std::min<qsizetype>(lines.size(), most));
    if (total > shown)
        text += QStringLiteral("\nほか%1件").arg(total - shown);
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
            text += QStringLiteral("\n\n") + SomeLines(report.skipped, report.skippedCount);
        Dialogs::Tell(this, text, QStringLiteral("電話帳"), Dialogs::Icon::Exclamation);
        return;
    }
    QString text = QStringLiteral("%1件を読み込みました。").arg(report.added);
    if (!report.duplicates.isEmpty())
        text += QStringLiteral("\n\n電話帳に既にあるため追加しなかった番号：\n") +
                SomeLines(report.duplicates, report.duplicateCount);
    if (!report.skipped.isEmpty())
        text += QStringLiteral("\n\n読み込めなかったカード：\n") +
                SomeLines(report.skipped, report.skippedCount);
    if (report.added > 0 && cursor_) {
        // The new entries are the last rows: the last one is shown, the list read again.
        cursor_->moveLast();
        Reposition();
        FillEntryList();
    }
    Dialogs::Tell(this, text, QStringLiteral("電話帳"),
                  report.skipped.isEmpty() ? Dialogs::Icon::Information
                                           : Dialogs::Icon::Exclamation);
}
