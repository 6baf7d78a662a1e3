#include "app/MarkCommand.h"

#include "db/Database.h"
#include "db/NuisanceMarks.h"
#include "phone/NumberKey.h"
#include "platform/Clock.h"
#include "platform/desktop/Dialogs.h"
#include "settings/Program.h"

#include <QDateTime>

namespace MarkCommand {

namespace {
const QString Title = QStringLiteral("迷惑電話");
} // namespace

bool MarkFromCall(QWidget *parent, const QString &number) {
    const QString trimmed = number.trimmed();
    // A reason text (非通知 …) has no digits to match a later call by.
    if (MarkKey(trimmed).isEmpty()) {
        Dialogs::Tell(parent,
                      QStringLiteral("「%1」は番号ではないため登録できません。").arg(trimmed),
                      Title, Dialogs::Icon::Exclamation);
        return false;
    }
    const std::optional<QString> reason = Dialogs::AskText(
        parent, QStringLiteral("%1 を迷惑電話として登録します。\n理由：").arg(trimmed), Title,
        QStringLiteral("迷惑電話"));
    if (!reason)
        return false;
    const QString given =
        reason->trimmed().isEmpty() ? QStringLiteral("迷惑電話") : reason->trimmed();
    db::Database database(Program::DatabasePath());
    if (db::MarkNumber(database, trimmed, given,
                       Clock::now().toString(QStringLiteral("yyyy/MM/dd"))))
        return true;
    Dialogs::Tell(parent,
                  QStringLiteral("登録できませんでした（%1）。")
                      .arg(db::ProblemText(database.isOpen() ? db::Database::Problem::NotWritable
                                                             : database.problem())),
                  Title, Dialogs::Icon::Exclamation);
    return false;
}

bool UnmarkFromCall(QWidget *parent, const QString &number) {
    const QString trimmed = number.trimmed();
    db::Database database(Program::DatabasePath());
    const int removed = db::UnmarkNumber(database, trimmed);
    if (removed > 0)
        return true;
    Dialogs::Tell(
        parent,
        removed == 0
            ? QStringLiteral("%1 は迷惑電話として登録されていません。").arg(trimmed)
            : QStringLiteral("登録を解除できませんでした（%1）。")
                  .arg(db::ProblemText(database.isOpen() ? db::Database::Problem::NotWritable
                                                         : database.problem())),
        Title, Dialogs::Icon::Information);
    return false;
}

} // namespace MarkCommand
