#include "db/Compaction.h"

#include "db/Database.h"
#include "db/DatabaseHealth.h"
#include "platform/FileIdentity.h"
#include "platform/PrivateFiles.h"
#include "settings/Program.h"

#include <QAtomicInt>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>
#include <QUrl>
#include <atomic>

namespace db {

namespace {

const QString DatabaseName = QLatin1String(Program::DatabaseName);
const QString CopyName = QStringLiteral("KolvaneNEW.mdb");
const QString BackupName = QStringLiteral("KolvaneOLD.mdb");
// The files the database engine keeps beside a database while it is open.
const QStringList SideFileEndings = {QStringLiteral("-wal"), QStringLiteral("-shm"),
                                     QStringLiteral("-journal")};

std::atomic<Compaction::Step> injectedFailure{Compaction::Step::None};
std::atomic<Compaction::Step> abandonAfter{Compaction::Step::None};

bool Injected(Compaction::Step step) {
    Compaction::Step expected = step;
    return injectedFailure.compare_exchange_strong(expected, Compaction::Step::None);
}

bool Abandoned(Compaction::Step step) {
    Compaction::Step expected = step;
    return abandonAfter.compare_exchange_strong(expected, Compaction::Step::None);
}

// A connection of this thread to an existing file (never created), released on destruction.
class Connection {
public:
    explicit Connection(const QString &path) {
        static QAtomicInt counter;
        name_ = QStringLiteral("kolvane-compaction-%1").arg(counter.fetchAndAddRelaxed(1));
        QSqlDatabase d = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name_);
        QUrl url = QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath());
        url.setQuery(QStringLiteral("mode=rw"));
        d.setDatabaseName(url.toString(QUrl::FullyEncoded));
        d.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000;QSQLITE_OPEN_URI"));
        open_ = QFileInfo(path).isFile() && d.open();
    }
    ~Connection() {
        {
            QSqlDatabase d = QSqlDatabase::database(name_, false);
            if (d.isValid())
                d.close();
        }
        QSqlDatabase::removeDatabase(name_);
    }
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;

    bool isOpen() const { return open_; }
    QSqlDatabase database() const { return QSqlDatabase::database(name_, false); }
    QString lastError() const { return database().lastError().text(); }

private:
    QString name_;
    bool open_ = false;
};

// What must be the same in the file and its copy.
struct Shape {
    QString pageSize, encoding, userVersion, applicationId, journalMode;
    QStringList schema;      // type, name, table and SQL of every table, index, view, trigger
    QList<qint64> rowCounts; // of every table, in name order
    bool read = false;
    QString error;

    bool sameContent(const Shape &o) const {
        return pageSize == o.pageSize && encoding == o.encoding && userVersion == o.userVersion &&
               applicationId == o.applicationId && schema == o.schema && rowCounts == o.rowCounts;
    }
};

QString Pragma(QSqlQuery &q, const QString &name) {
    if (!q.exec(QStringLiteral("PRAGMA ") + name) || !q.next())
        return QString();
    return q.value(0).toString();
}

Shape ShapeOf(const QSqlDatabase &d) {
    Shape s;
    QSqlQuery q(d);
    s.pageSize = Pragma(q, QStringLiteral("page_size"));
    s.encoding = Pragma(q, QStringLiteral("encoding"));
    s.userVersion = Pragma(q, QStringLiteral("user_version"));
    s.applicationId = Pragma(q, QStringLiteral("application_id"));
    s.journalMode = Pragma(q, QStringLiteral("journal_mode")).toLower();
    if (!q.exec(QStringLiteral("SELECT type, name, tbl_name, sql FROM sqlite_master "
                               "ORDER BY type, name"))) {
        s.error = q.lastError().text();
        return s;
    }
    QStringList tables;
    while (q.next()) {
        s.schema << q.value(0).toString() + QLatin1Char('\x1f') + q.value(1).toString() +
                        QLatin1Char('\x1f') + q.value(2).toString() + QLatin1Char('\x1f') +
                        q.value(3).toString();
        if (q.value(0).toString() == QLatin1String("table"))
            tables << q.value(1).toString();
    }
    for (const QString &table : tables) {
        const QString quoted = QLatin1Char('"') +
                               QString(table).replace(QLatin1Char('"'), QStringLiteral("\"\"")) +
                               QLatin1Char('"');
        if (!q.exec(QStringLiteral("SELECT count(*) FROM ") + quoted) || !q.next()) {
            s.error = q.lastError().text();
            return s;
        }
        s.rowCounts << q.value(0).toLongLong();
    }
    s.read = !s.pageSize.isEmpty() && !s.encoding.isEmpty();
    return s;
}

// PRAGMA integrity_check: every page, every index against its table.
bool IntegrityOk(const QSqlDatabase &d, QString *detail) {
    QSqlQuery q(d);
    if (!q.exec(QStringLiteral("PRAGMA integrity_check"))) {
        *detail = q.lastError().text();
        return false;
    }
    QStringList lines;
    while (q.next())
        lines << q.value(0).toString();
    if (lines == QStringList{QStringLiteral("ok")})
        return true;
    *detail = lines.mid(0, 3).join(QLatin1Char('\n'));
    return false;
}

// A whole Kolvane database: every page reads and the program's tables are there.
bool WholeKolvaneFile(const QString &path, QString *detail) {
    Connection c(path);
    if (!c.isOpen()) {
        *detail = c.lastError();
        return false;
    }
    if (!IntegrityOk(c.database(), detail))
        return false;
    if (IsKolvaneDatabase(c.database()))
        return true;
    *detail = QStringLiteral("not a Kolvane database");
    return false;
}

bool RemoveIfThere(const QString &path) {
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        return true;
    return QFile::remove(path);
}

// Why the copy could not be taken.
struct CopyFailure {
    QString what, detail;
};

// Writes the compacted copy of the file to `copyPath` with writers held off, and gives the shape
// of the file as it was copied; nullopt when the copy is written.
std::optional<CopyFailure> TakeCopy(const QString &sourcePath, const QString &copyPath,
                                    const QString &notWritten, Shape *original) {
    Connection source(sourcePath);
    Connection writerLock(sourcePath);
    if (!source.isOpen() || !writerLock.isOpen())
        return CopyFailure{QStringLiteral("「Kolvane.mdb」を開けませんでした。"),
                           source.lastError()};
    // No one writes while the copy is taken: a memo or call stored meanwhile would stay
    // behind in the file that becomes the backup.
    QSqlQuery lock(writerLock.database());
    if (!lock.exec(QStringLiteral("BEGIN IMMEDIATE")))
        return CopyFailure{
            QStringLiteral("「Kolvane.mdb」を最適化できません（%1）。")
                .arg(ProblemText(ProblemOf(writerLock.database(), lock.lastError()))),
            lock.lastError().text()};
    *original = ShapeOf(source.database());
    if (!original->read) {
        lock.exec(QStringLiteral("ROLLBACK"));
        return CopyFailure{QStringLiteral("「Kolvane.mdb」を読めませんでした。"), original->error};
    }
    QSqlQuery q(source.database());
    // Made empty and private first: the copy holds every name and memo of the original.
    CreatePrivateFile(copyPath);
    const bool copied = q.prepare(QStringLiteral("VACUUM INTO :destination")) &&
                        (q.bindValue(QStringLiteral(":destination"), copyPath), q.exec());
    const QString error = q.lastError().text();
    const QString why = ProblemText(ProblemOf(source.database(), q.lastError()));
    lock.exec(QStringLiteral("ROLLBACK"));
    if (!copied)
        return CopyFailure{notWritten + QStringLiteral("（%1）").arg(why), error};
    return std::nullopt;
}

} // namespace

Compaction::Compaction(const QString &folder) : folder_(folder) {}

QString Compaction::databasePath() const {
    return QDir(folder_).filePath(DatabaseName);
}
QString Compaction::copyPath() const {
    return QDir(folder_).filePath(CopyName);
}
QString Compaction::backupPath() const {
    return QDir(folder_).filePath(BackupName);
}

void Compaction::failNextRunAtForTest(Step step) {
    injectedFailure = step;
}

void Compaction::abandonNextRunAfterForTest(Step step) {
    abandonAfter = step;
}

bool Compaction::fail(Step step, const QString &what, const QString &detail) {
    failedStep_ = step;
    failure_ = what;
    if (!detail.isEmpty())
        failure_ += QStringLiteral("\n（") + detail + QStringLiteral("）");
    return false;
}

bool Compaction::RemoveLeftovers() {
    // A copy or backup may be the only whole file of the calls (the file itself damaged or
    // replaced): nothing goes before Kolvane.mdb has passed its check.
    if (QFileInfo::exists(copyPath()) || QFileInfo::exists(backupPath())) {
        QString detail;
        if (!WholeKolvaneFile(databasePath(), &detail))
            return fail(Step::RemoveLeftovers,
                        QStringLiteral("「Kolvane.mdb」の検査で誤りが見つかりました。"
                                       "「KolvaneNEW.mdb」と「KolvaneOLD.mdb」は残してあります。"),
                        detail);
    }
    for (const QString &path : {copyPath(), backupPath()}) {
        // A side file left beside a removed database would be taken for the next file's own.
        for (const QString &ending : SideFileEndings)
            if (!RemoveIfThere(path + ending))
                return fail(Step::RemoveLeftovers, QStringLiteral("「%1」を削除できませんでした。")
                                                       .arg(QFileInfo(path + ending).fileName()));
        if (Injected(Step::RemoveLeftovers) || !RemoveIfThere(path))
            return fail(
                Step::RemoveLeftovers,
                QStringLiteral("「%1」を削除できませんでした。").arg(QFileInfo(path).fileName()));
    }
    return true;
}

bool Compaction::WriteCompactedCopy() {
    const QString notWritten =
        QStringLiteral("最適化したコピー「KolvaneNEW.mdb」を書き込めませんでした。"
                       "ディスクの空きとフォルダへの書き込みができるかを確かめてください。");
    if (!QFileInfo(databasePath()).isFile())
        return fail(Step::WriteCopy, QStringLiteral("「Kolvane.mdb」が見つかりません。"));
    if (QFileInfo::exists(copyPath()))
        return fail(Step::WriteCopy, notWritten, QStringLiteral("KolvaneNEW.mdb が既にあります"));

    Shape original;
    if (const std::optional<CopyFailure> failure =
            TakeCopy(databasePath(), copyPath(), notWritten, &original))
        return fail(Step::WriteCopy, failure->what, failure->detail);
    // The last connection closing has folded the log into the file and removed it.
    const QFileInfo copiedFrom(databasePath());
    copiedSize_ = copiedFrom.size();
    copiedModified_ = copiedFrom.lastModified().toMSecsSinceEpoch();
    if (Injected(Step::WriteCopy))
        return fail(Step::WriteCopy, notWritten, QStringLiteral("disk full"));

    const QString badCopy =
        QStringLiteral("最適化したコピー「KolvaneNEW.mdb」の検査で誤りが見つかりました。");
    Connection copy(copyPath());
    if (!copy.isOpen())
        return fail(Step::CheckCopy, badCopy, copy.lastError());
    QString detail;
    if (Injected(Step::CheckCopy) || !IntegrityOk(copy.database(), &detail))
        return fail(Step::CheckCopy, badCopy, detail);
    // The number of calls the file keeps leaves compaction equal to the rows, whatever an
    // outside tool did to it (a file without the count has no such table: nothing is done).
    QSqlQuery(copy.database())
        .exec(QStringLiteral("UPDATE 着信履歴件数 SET 件数 = (SELECT COUNT(*) FROM 着信履歴)"));
    // The copy is written with a rollback journal; it takes the file's journal back.
    if (original.journalMode == QLatin1String("wal")) {
        QSqlQuery q(copy.database());
        if (!q.exec(QStringLiteral("PRAGMA journal_mode = WAL")))
            return fail(Step::WriteCopy, notWritten, q.lastError().text());
    }
    const Shape copied = ShapeOf(copy.database());
    if (!copied.read || !copied.sameContent(original) || copied.journalMode != original.journalMode)
        return fail(Step::CheckCopy, badCopy,
                    copied.error.isEmpty() ? QStringLiteral("rows or schema differ")
                                           : copied.error);
    return true;
}

bool Compaction::PutCopyInPlace() {
    // A log beside the file means someone opened it after the copy was taken (or still has it
    // open): its rows would be missing from the copy, and the new file would be read with the
    // old file's log.
    for (const QString &ending : SideFileEndings)
        if (QFileInfo::exists(databasePath() + ending))
            return fail(Step::SetAsideOld, QStringLiteral("「Kolvane.mdb」が使用中です。"));
    const QFileInfo now(databasePath());
    if (copiedSize_ >= 0 &&
        (now.size() != copiedSize_ || now.lastModified().toMSecsSinceEpoch() != copiedModified_))
        return fail(Step::SetAsideOld,
                    QStringLiteral("「Kolvane.mdb」が最適化の間に書き換えられました。"));
    // The backup is a second name of the file; Kolvane.mdb itself stays where it is.
    if (Injected(Step::SetAsideOld) || !LinkFile(databasePath(), backupPath()))
        return fail(Step::SetAsideOld,
                    QStringLiteral("「Kolvane.mdb」を「KolvaneOLD.mdb」として残せませんでした。"));
    if (Abandoned(Step::SetAsideOld))
        return false;
    // The copy takes the name in one step; when that is refused, the backup name goes again.
    if (Injected(Step::PutCopyInPlace) || !RenameOver(copyPath(), databasePath())) {
        QFile::remove(backupPath());
        return fail(
            Step::PutCopyInPlace,
            QStringLiteral("「KolvaneNEW.mdb」の名前を「Kolvane.mdb」に変えられませんでした。"));
    }
    return true;
}

void Compaction::RemoveCopy() {
    for (const QString &ending : SideFileEndings)
        RemoveIfThere(copyPath() + ending);
    RemoveIfThere(copyPath());
}

bool Compaction::Run() {
    failedStep_ = Step::None;
    failure_.clear();
    if (!RemoveLeftovers())
        return false;
    if (Abandoned(Step::RemoveLeftovers))
        return false;
    const bool copied = WriteCompactedCopy();
    if (copied && Abandoned(Step::CheckCopy))
        return false;
    if (!copied || !PutCopyInPlace()) {
        if (failedStep_ != Step::None)
            RemoveCopy();
        return false;
    }
    if (Abandoned(Step::PutCopyInPlace))
        return false;
    // The first opening of a file reads it through for damage; done here, off the window's
    // thread, the next call does not wait for it. Its log is folded in: no -wal or -shm stay.
    CheckpointDatabase(databasePath());
    return true;
}

namespace {

// Kolvane.mdb again from `from`, when that is whole; a damaged one is kept out of the way.
bool TakeBackFrom(const QString &from, const QString &to, QStringList *kept) {
    if (!QFileInfo(from).isFile())
        return false;
    QString detail;
    if (WholeKolvaneFile(from, &detail))
        return RenameOver(from, to);
    const QString aside = from + QStringLiteral(".damaged");
    if (!QFileInfo::exists(aside) && RenameOver(from, aside))
        *kept << QFileInfo(aside).fileName();
    return false;
}

} // namespace

TakeBack TakeBackCallDatabase(const QString &folder) {
    const Compaction names(folder);
    TakeBack result;
    if (QFileInfo::exists(names.databasePath()) || QFileInfo(names.databasePath()).isSymLink())
        return result;
    QStringList kept;
    // The copy first: it was checked whole before anything was renamed, and holds every call.
    if (TakeBackFrom(names.copyPath(), names.databasePath(), &kept)) {
        result.outcome = TakeBack::Outcome::FromCopy;
        result.message = QStringLiteral(
            "「Kolvane.mdb」がなかったため、最適化したコピー「KolvaneNEW.mdb」を戻しました。");
    } else if (TakeBackFrom(names.backupPath(), names.databasePath(), &kept)) {
        result.outcome = TakeBack::Outcome::FromBackup;
        result.message = QStringLiteral(
            "「Kolvane.mdb」がなかったため、バックアップ「KolvaneOLD.mdb」を戻しました。");
    } else {
        result.outcome =
            kept.isEmpty() ? TakeBack::Outcome::NothingToTake : TakeBack::Outcome::NoneIntact;
    }
    if (!kept.isEmpty())
        result.message += (result.message.isEmpty() ? QString() : QStringLiteral("\n")) +
                          QStringLiteral("壊れていたため「%1」として残しました。")
                              .arg(kept.join(QStringLiteral("」「")));
    return result;
}

CompactionJob::CompactionJob(const QString &folder, QObject *parent)
    : QObject(parent), compaction_(folder) {}

CompactionJob::~CompactionJob() {
    if (thread_) {
        thread_->wait();
        delete thread_;
    }
}

void CompactionJob::start() {
    if (thread_)
        return;
    thread_ = QThread::create([this] { ok_ = compaction_.Run(); });
    connect(thread_, &QThread::finished, this,
            [this] { emit finished(ok_, ok_ ? QString() : compaction_.failure()); });
    thread_->start();
}

bool CompactionJob::isRunning() const {
    return thread_ && thread_->isRunning();
}

} // namespace db
