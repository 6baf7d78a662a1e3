#include "exchange/VCard.h"

#include "db/Database.h"
#include "db/Phonebook.h"
#include "exchange/ExportTarget.h"
#include "phone/NumberKey.h"
#include "platform/AtomicFile.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

// The phonebook of Kolvane.mdb to and from vCard files.

namespace exchange {

namespace {

QString SqlProblem(const QSqlQuery &q) {
    return q.lastError().text();
}

// The database's reason in the program's words, in brackets after what could not be done.
QString Why(db::Database::Problem problem) {
    return QStringLiteral("（") + db::ProblemText(problem) + QStringLiteral("）");
}

QString NotOpen(const db::Database &database, Wording w) {
    return Words(w, QStringLiteral("the call database is not open."),
                 QStringLiteral("電話帳のファイルを開けません") + Why(database.problem()) +
                     QStringLiteral("。"));
}

QString CannotRead(const QString &path, const QFile &f, Wording w) {
    return Words(w, QStringLiteral("cannot read %1: %2").arg(path, f.errorString()),
                 QStringLiteral("%1 を読めません。").arg(path));
}

// The file opened for reading; false, with the reason in the report, when it cannot be.
bool OpenCards(QFile &f, const QString &path, Wording w, ImportReport *r) {
    if (!QFileInfo(path).isFile() || !f.open(QIODevice::ReadOnly)) {
        r->error = CannotRead(path, f, w);
        return false;
    }
    return true;
}

// Whether the file read to its end held cards at all: an empty file, or one without a card, is
// said so; false then, or when the file could not be read to its end.
bool HeldCards(const VCardReader &reader, const QFile &f, const QString &path, Wording w,
               ImportReport *r) {
    if (reader.readFailed())
        r->error = CannotRead(path, f, w);
    else if (!reader.anyText())
        r->error = Words(w, QStringLiteral("%1 is empty.").arg(path),
                         QStringLiteral("%1 は空です。").arg(path));
    else if (reader.cards() == 0)
        r->error = Words(w, QStringLiteral("%1 is not a vCard file (no BEGIN:VCARD).").arg(path),
                         QStringLiteral("%1 はvCardファイルではありません。").arg(path));
    else
        return true;
    return false;
}

// What the phonebook holds already, asked of the database as each card comes: a number by
// its digit key (kept and indexed by the database), a name in a temporary table of the names
// as the window trims them. Nothing of the file is held in memory.
class KnownCallers {
public:
    explicit KnownCallers(const QSqlDatabase &d) : d_(d), number_(d), name_(d), addName_(d) {}

    // Takes in the names already there; false, with the query's reason, when it fails.
    bool start(QSqlQuery &q) {
        if (!q.exec(QStringLiteral("CREATE TEMP TABLE IF NOT EXISTS 取込済氏名 "
                                   "(氏名 TEXT PRIMARY KEY)")) ||
            !q.exec(QStringLiteral("DELETE FROM temp.取込済氏名")) ||
            !number_.prepare(QStringLiteral("SELECT 1 FROM 電話番号 WHERE 電番キー = :key "
                                            "LIMIT 1")) ||
            !name_.prepare(QStringLiteral("SELECT 1 FROM temp.取込済氏名 WHERE 氏名 = :name")) ||
            !addName_.prepare(
                QStringLiteral("INSERT OR IGNORE INTO temp.取込済氏名 VALUES (:name)")))
            return false;
        QSqlQuery names(d_);
        names.setForwardOnly(true);
        if (!names.exec(QStringLiteral("SELECT 氏名 FROM 住所録")))
            return false;
        while (names.next())
            if (!addName(names.value(0).toString()))
                return false;
        return true;
    }
    bool hasNumber(const QString &key) { return has(number_, QStringLiteral(":key"), key); }
    bool hasName(const QString &name) {
        return has(name_, QStringLiteral(":name"), name.trimmed());
    }
    bool addName(const QString &name) {
        addName_.bindValue(QStringLiteral(":name"), name.trimmed());
        return addName_.exec();
    }
    QSqlQuery &lastQuery() { return addName_; }

private:
    static bool has(QSqlQuery &q, const QString &placeholder, const QString &value) {
        q.bindValue(placeholder, value);
        const bool found = q.exec() && q.next();
        q.finish();
        return found;
    }
    QSqlDatabase d_;
    QSqlQuery number_, name_, addName_;
};

// The numbers of the card not in the phonebook yet, each once; those already there are
// reported as duplicates.
QVector<VCardNumber> FreshNumbers(const VCardEntry &e, const QString &name, KnownCallers &known,
                                  ImportReport *r) {
    QVector<VCardNumber> fresh;
    QSet<QString> keysOfCard;
    for (const VCardNumber &n : e.numbers) {
        const QString key = NumberKey(n.number);
        if (!key.isEmpty() && keysOfCard.contains(key))
            continue; // the same number twice in one card
        keysOfCard.insert(key);
        if (!key.isEmpty() && known.hasNumber(key))
            r->noteDuplicate(QStringLiteral("%1 (%2)").arg(n.number, name));
        else
            fresh << n;
    }
    return fresh;
}

// Adds the card as an entry with its fresh numbers, unless it is the same person again.
// False, with the database's reason, when a row is refused.
bool AddCard(const db::Database &database, const VCardEntry &e, Wording w, KnownCallers *known,
             ImportReport *r, QString *whyNot) {
    const QString name = e.name.trimmed().isEmpty() ? QStringLiteral("No Name") : e.name;
    const QVector<VCardNumber> fresh = FreshNumbers(e, name, *known, r);
    // The same person again (a file read twice): an entry of this name is there and the card
    // brings no new number.
    if (fresh.isEmpty() && known->hasName(name)) {
        if (e.numbers.isEmpty())
            r->noteDuplicate(Words(w, QStringLiteral("%1 (no number; the name is there)").arg(name),
                                   QStringLiteral("%1（番号なし・同じ名前があります）").arg(name)));
        return true;
    }
    const db::PhonebookEntry entry{name,       e.indexLetter, e.address, e.zip,
                                   e.birthday, e.mail1,       e.mail2,   e.other};
    const std::optional<qint32> id = db::AddPhonebookEntry(database, entry, whyNot);
    if (!id)
        return false;
    for (const VCardNumber &n : fresh) {
        // Kept as the card writes it, as a number typed in the window is: a call finds it by
        // its digits.
        if (!db::AddPhonebookNumber(database, *id, n.number, n.kind, whyNot))
            return false;
    }
    if (!known->addName(name)) {
        *whyNot = known->lastQuery().lastError().text();
        return false;
    }
    ++r->added;
    return true;
}

} // namespace

ExportReport ExportPhonebookVCard(const db::Database &database, const QString &path, Wording w) {
    ExportReport r;
    const ExportTarget target = CheckExportTarget(path, w, database.path());
    if (!target.allowed()) {
        r.error = target.refusal;
        return r;
    }
    if (!database.isOpen()) {
        r.error = NotOpen(database, w);
        return r;
    }
    QSqlQuery q(database.sqlDatabase());
    QHash<qint32, QVector<VCardNumber>> numbers;
    if (!q.exec(QStringLiteral("SELECT IDsub, 電番, 摘要 FROM 電話番号 ORDER BY TelID"))) {
        r.error = SqlProblem(q);
        return r;
    }
    while (q.next())
        if (!q.value(1).toString().trimmed().isEmpty())
            numbers[q.value(0).toInt()]
                << VCardNumber{q.value(1).toString(), q.value(2).toString()};
    QVector<VCardEntry> entries;
    if (!q.exec(QStringLiteral("SELECT ID, 氏名, 索引インデックス, 住所, 郵便番号, 誕生日, "
                               "Ｅメール1, Ｅメール2, その他 FROM 住所録 ORDER BY ID"))) {
        r.error = SqlProblem(q);
        return r;
    }
    while (q.next()) {
        VCardEntry e;
        e.name = q.value(1).toString();
        e.indexLetter = q.value(2).toString();
        e.address = q.value(3).toString();
        e.zip = q.value(4).toString();
        e.birthday = q.value(5).toString();
        e.mail1 = q.value(6).toString();
        e.mail2 = q.value(7).toString();
        e.other = q.value(8).toString();
        e.numbers = numbers.value(q.value(0).toInt());
        entries << e;
    }
    q.finish();
    if (!WriteFileAtomically(target.writePath, WriteVCards(entries))) {
        r.error = Words(w, QStringLiteral("cannot write %1.").arg(path),
                        QStringLiteral("%1 に書き込めません。").arg(path));
        return r;
    }
    r.ok = true;
    r.count = int(entries.size());
    return r;
}

ImportReport ImportPhonebookVCard(const db::Database &database, const QString &path, Wording w) {
    ImportReport r;
    QFile f(path);
    if (!OpenCards(f, path, w, &r))
        return r;
    // Cards are read one at a time, inside the transaction: memory does not grow with the file.
    VCardReader reader(f);
    if (!database.isOpen()) {
        // What is wrong with the file is said first.
        while (reader.next()) {
        }
        if (HeldCards(reader, f, path, w, &r))
            r.error = NotOpen(database, w);
        return r;
    }

    QSqlDatabase d = database.sqlDatabase();
    QSqlQuery q(d);
    // The write lock is taken before anything is read, so the numbers known below are still
    // the numbers there when the cards are written (another program may be adding a caller).
    if (!q.exec(QStringLiteral("BEGIN IMMEDIATE"))) {
        const db::Database::Problem why = db::ProblemOf(q.lastError());
        const bool busy = why == db::Database::Problem::Busy;
        r.error =
            Words(w,
                  (busy ? QStringLiteral("the phonebook is busy: %1")
                        : QStringLiteral("cannot write to the phonebook: %1"))
                      .arg(SqlProblem(q)),
                  QStringLiteral("電話帳に書き込めません") + Why(why) + QStringLiteral("。") +
                      (busy ? QStringLiteral("しばらくしてからやり直してください。") : QString()));
        return r;
    }
    // Every readable card goes in, or none.
    const auto fail = [&](const QString &problem, db::Database::Problem why) {
        r.error = Words(w, QStringLiteral("cannot write to the phonebook: %1").arg(problem),
                        QStringLiteral("電話帳に書き込めません") + Why(why) +
                            QStringLiteral("。何も追加しませんでした。"));
        r.added = 0;
        r.duplicates.clear();
        r.duplicateCount = 0;
        QSqlQuery rollback(d);
        rollback.exec(QStringLiteral("ROLLBACK"));
        return r;
    };
    KnownCallers known(d);
    if (!known.start(q))
        return fail(SqlProblem(q), db::ProblemOf(q.lastError()));
    QString whyNot;
    while (const std::optional<VCardReader::Card> card = reader.next()) {
        if (!card->entry)
            r.noteSkipped(FaultText(card->fault, w));
        else if (!AddCard(database, *card->entry, w, &known, &r, &whyNot))
            return fail(whyNot, db::LastStatementProblem());
    }
    if (!HeldCards(reader, f, path, w, &r)) {
        QSqlQuery rollback(d);
        rollback.exec(QStringLiteral("ROLLBACK"));
        r.added = 0;
        r.clearLists();
        return r;
    }
    if (!q.exec(QStringLiteral("COMMIT")))
        return fail(SqlProblem(q), db::ProblemOf(q.lastError()));
    r.ok = true;
    return r;
}

} // namespace exchange
