#include "db/CallStatements.h"

#include "db/Schema.h"
#include "phone/NumberKey.h"

#include <QDateTime>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace db {

struct CallStatements::Prepared {
    explicit Prepared(const QSqlDatabase &d)
        : byNumber(d), byEntry(d), largest(d), insert(d), begin(d), commit(d), rollback(d),
          marks(d) {}
    QSqlQuery byNumber, byEntry, largest, insert, begin, commit, rollback, marks;
    bool prepared = false;
    bool marksPrepared = false;
};

namespace {

QVariant NullWhenEmpty(const QString &text) {
    return text.isEmpty() ? QVariant() : QVariant(text);
}

} // namespace

CallStatements::CallStatements(const Database &database) : database_(database) {}

CallStatements::~CallStatements() = default;

// Prepared at the first statement, on the connection as it is then.
bool CallStatements::prepared() {
    if (!database_.isOpen())
        return false;
    if (!p_) {
        p_ = std::make_unique<Prepared>(database_.sqlDatabase());
        p_->prepared =
            p_->byNumber.prepare(database_.hasNumberKeys()
                                     ? schema::storedQuery(QStringLiteral("TELNOsach"))
                                     : schema::exactStoredQuery(QStringLiteral("TELNOsach"))) &&
            p_->byEntry.prepare(schema::storedQuery(QStringLiteral("VALsach"))) &&
            p_->largest.prepare(schema::storedQuery(QStringLiteral("Q_履歴の最大"))) &&
            p_->insert.prepare(
                database_.hasNuisanceMarks()
                    ? QStringLiteral("INSERT INTO 着信履歴 (履歴ID, 日時, 時間, 電番, 氏名, 住所, "
                                     "郵便番号, 着信者ID, 迷惑理由) "
                                     "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)")
                    : QStringLiteral("INSERT INTO 着信履歴 (履歴ID, 日時, 時間, 電番, 氏名, 住所, "
                                     "郵便番号, 着信者ID) VALUES (?, ?, ?, ?, ?, ?, ?, ?)")) &&
            p_->begin.prepare(QStringLiteral("BEGIN IMMEDIATE")) &&
            p_->commit.prepare(QStringLiteral("COMMIT")) &&
            p_->rollback.prepare(QStringLiteral("ROLLBACK"));
        // A file without marks (one that could not be given them) has calls without them.
        p_->marksPrepared =
            database_.hasNuisanceMarks() && p_->marks.prepare(schema::markLookupSql());
        for (QSqlQuery *q : {&p_->byNumber, &p_->byEntry, &p_->largest, &p_->marks})
            q->setForwardOnly(true);
    }
    return p_->prepared;
}

bool CallStatements::begin() {
    if (!prepared())
        return false;
    const bool begun = p_->begin.exec();
    if (!begun)
        lastProblem_ = ProblemOf(database_.sqlDatabase(), p_->begin.lastError());
    p_->begin.finish();
    return begun;
}

bool CallStatements::commit() {
    if (!prepared())
        return false;
    const bool done = p_->commit.exec();
    if (!done)
        lastProblem_ = ProblemOf(database_.sqlDatabase(), p_->commit.lastError());
    p_->commit.finish();
    if (!done)
        rollback();
    return done;
}

void CallStatements::rollback() {
    if (!prepared())
        return;
    p_->rollback.exec();
    p_->rollback.finish();
}

std::optional<NumberFound> CallStatements::findNumber(const QString &number) {
    if (!prepared())
        return std::nullopt;
    QSqlQuery &q = p_->byNumber;
    q.bindValue(QStringLiteral(":TelNo"), number);
    std::optional<NumberFound> found;
    if (q.exec() && q.next())
        found = NumberFound{q.value(QStringLiteral("IDsub")).toInt(),
                            q.value(QStringLiteral("摘要")).toString()};
    q.finish();
    return found;
}

std::optional<EntryFound> CallStatements::findEntry(qint32 entryId) {
    if (!prepared())
        return std::nullopt;
    QSqlQuery &q = p_->byEntry;
    q.bindValue(QStringLiteral(":IDs"), entryId);
    std::optional<EntryFound> found;
    if (q.exec() && q.next())
        found = EntryFound{q.value(QStringLiteral("氏名")).toString(),
                           q.value(QStringLiteral("住所")).toString(),
                           q.value(QStringLiteral("郵便番号")).toString()};
    q.finish();
    return found;
}

std::optional<MarkFound> CallStatements::findMark(const QString &number) {
    if (!prepared() || !p_->marksPrepared)
        return std::nullopt;
    const QStringList keys = MarkCandidates(number);
    if (keys.isEmpty())
        return std::nullopt;
    QSqlQuery &q = p_->marks;
    // A number longer than the keys asked for is matched by its whole key and its shorter
    // prefixes; the keys left over ask for nothing.
    for (int i = 0; i < schema::MarkKeysAsked; ++i)
        q.bindValue(QStringLiteral(":K%1").arg(i), i < keys.size()
                                                       ? QVariant(keys.at(i))
                                                       : QVariant(QMetaType(QMetaType::QString)));
    std::optional<MarkFound> found;
    qsizetype longest = -1;
    if (q.exec()) {
        while (q.next()) {
            const QString key = q.value(0).toString();
            const MarkFound mark{q.value(1).toString(), key == keys.first()};
            if (mark.wholeNumber) {
                found = mark;
                break;
            }
            if (key.size() > longest) {
                longest = key.size();
                found = mark;
            }
        }
    }
    q.finish();
    return found;
}

std::optional<qint32> CallStatements::largestHistoryId() {
    if (!prepared())
        return std::nullopt;
    QSqlQuery &q = p_->largest;
    std::optional<qint32> largest;
    if (q.exec() && q.next() && !q.value(0).isNull())
        largest = q.value(0).toInt();
    q.finish();
    return largest;
}

bool CallStatements::appendHistory(const HistoryRecord &r) {
    if (!prepared())
        return false;
    QSqlQuery &q = p_->insert;
    const QVariant values[] = {r.id,
                               r.date,
                               r.time,
                               r.number,
                               NullWhenEmpty(r.name),
                               NullWhenEmpty(r.address),
                               NullWhenEmpty(r.zip),
                               r.callerId,
                               NullWhenEmpty(r.nuisanceReason)};
    const int fields = database_.hasNuisanceMarks() ? 9 : 8;
    for (int i = 0; i < fields; ++i)
        q.bindValue(i, values[i]);
    const bool stored = q.exec();
    if (!stored)
        lastProblem_ = ProblemOf(database_.sqlDatabase(), q.lastError());
    q.finish();
    return stored;
}

CallConnection::CallConnection() = default;

CallConnection::~CallConnection() {
    close();
}

// The file's birth time stands for the file itself: a file put in its place (a copy brought
// back, another program's) is another file. Zero where the file system does not keep it.
static qint64 BirthOf(const QFileInfo &info) {
    const QDateTime born = info.fileTime(QFileDevice::FileBirthTime);
    return born.isValid() ? born.toMSecsSinceEpoch() : 0;
}

bool CallConnection::stillTheFile() const {
    const QFileInfo info(path_);
    return info.isFile() && info.isWritable() && BirthOf(info) == birth_;
}

CallStatements *CallConnection::use(const QString &path) {
    if (database_ && (!database_->isOpen() || path != path_ || !stillTheFile()))
        close();
    if (!database_) {
        path_ = path;
        database_ = std::make_unique<Database>(path);
        birth_ = BirthOf(QFileInfo(path));
        if (database_->isOpen())
            statements_ = std::make_unique<CallStatements>(*database_);
    }
    return statements_.get();
}

bool CallConnection::isOpen() const {
    return database_ && database_->isOpen();
}

Database::Problem CallConnection::problem() const {
    return database_ ? database_->problem() : Database::Problem::None;
}

void CallConnection::close() {
    // The statements go before the connection they run on.
    statements_.reset();
    database_.reset();
}

} // namespace db
