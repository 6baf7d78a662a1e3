#include "db/ReferenceIndex.h"

#include "phone/NumberKey.h"
#include "platform/DiagnosticLog.h"

#include <QByteArrayView>
#include <QDateTime>
#include <QFileInfo>
#include <algorithm>
#include <limits>

FileStamp FileStamp::of(const QString &path) {
    const QFileInfo info(path);
    FileStamp stamp;
    stamp.exists = info.exists();
    if (stamp.exists) {
        stamp.size = info.size();
        stamp.modifiedMs = info.lastModified().toMSecsSinceEpoch();
        stamp.changedMs = info.metadataChangeTime().toMSecsSinceEpoch();
    }
    return stamp;
}

// ---- the table

namespace {

void AppendField(QByteArray &pool, QByteArrayView text) {
    // The length in groups of seven bits, low first; most fields need one byte.
    quint64 size = quint64(text.size());
    do {
        const char group = char(size & 0x7F);
        size >>= 7;
        pool.append(char(group | (size ? 0x80 : 0)));
    } while (size);
    pool.append(text);
}

quint64 NumericKey(const QString &key) {
    quint64 value = 1;
    for (const QChar c : key)
        value = value * 10 + quint64(c.unicode() - u'0');
    return value;
}

} // namespace

void ReferenceTable::addPlace(const QString &key, quint64 place) {
    // Places are held in 32 bits: a pool or a rowid beyond that is not indexed.
    if (place > std::numeric_limits<quint32>::max()) {
        tooLarge_ = true;
        return;
    }
    if (key.size() <= NumericKeyDigits) {
        const quint64 k = NumericKey(key);
        entries_.push_back(Entry{quint32(k >> 32), quint32(k), quint32(place)});
    } else {
        longEntries_.push_back(LongEntry{key, quint32(place)});
    }
}

void ReferenceTable::add(const QByteArray &phone, const QByteArray &name, const QByteArray &address,
                         const QByteArray &zip) {
    if (tooLarge_)
        return;
    const QString phoneText = QString::fromUtf8(phone);
    const QString key = NumberKey(phoneText);
    if (key.isEmpty())
        return;
    const qsizetype offset = pool_.size();
    addPlace(key, quint64(offset));
    if (tooLarge_)
        return;
    // The phone as the scan compares it: the text the file's bytes decode to.
    AppendField(pool_, phoneText.toUtf8());
    AppendField(pool_, name);
    AppendField(pool_, address);
    AppendField(pool_, zip);
}

void ReferenceTable::addRowid(const QByteArray &phone, qint64 rowid) {
    byRowid_ = true;
    const QString key = NumberKey(QString::fromUtf8(phone));
    if (tooLarge_ || key.isEmpty())
        return;
    if (rowid < 0) {
        tooLarge_ = true;
        return;
    }
    addPlace(key, quint64(rowid));
}

bool ReferenceTable::finish() {
    // By key, then by place: the first row of a key is the first in the file (an SQLite table
    // is read in rowid order, an Access table into the pool in its order).
    std::sort(entries_.begin(), entries_.end(), [](const Entry &a, const Entry &b) {
        return a.key() != b.key() ? a.key() < b.key() : a.place < b.place;
    });
    std::sort(longEntries_.begin(), longEntries_.end(), [](const LongEntry &a, const LongEntry &b) {
        return a.key != b.key ? a.key < b.key : a.place < b.place;
    });
    entries_.shrink_to_fit();
    longEntries_.shrink_to_fit();
    pool_.squeeze();
    return !tooLarge_;
}

QByteArrayView ReferenceTable::field(quint32 &offset) const {
    quint64 size = 0;
    int shift = 0;
    unsigned char byte = 0;
    do {
        byte = static_cast<unsigned char>(pool_.at(offset++));
        size |= quint64(byte & 0x7F) << shift;
        shift += 7;
    } while (byte & 0x80);
    const QByteArrayView text(pool_.constData() + offset, qsizetype(size));
    offset += quint32(size);
    return text;
}

ReferenceRow ReferenceTable::rowAt(quint32 offset) const {
    field(offset); // the phone
    ReferenceRow row;
    row.name = QString::fromUtf8(field(offset));
    row.address = QString::fromUtf8(field(offset));
    row.zip = QString::fromUtf8(field(offset));
    return row;
}

std::vector<quint32> ReferenceTable::placesOf(const QString &number) const {
    std::vector<quint32> places;
    const QString key = NumberKey(number);
    if (key.isEmpty())
        return places;
    if (key.size() <= NumericKeyDigits) {
        const quint64 wanted = NumericKey(key);
        auto it = std::lower_bound(entries_.begin(), entries_.end(), wanted,
                                   [](const Entry &e, quint64 k) { return e.key() < k; });
        for (; it != entries_.end() && it->key() == wanted; ++it)
            places.push_back(it->place);
    } else {
        auto it = std::lower_bound(longEntries_.begin(), longEntries_.end(), key,
                                   [](const LongEntry &e, const QString &k) { return e.key < k; });
        for (; it != longEntries_.end() && it->key == key; ++it)
            places.push_back(it->place);
    }
    return places;
}

std::optional<ReferenceRow> ReferenceTable::find(const QString &number) const {
    if (byRowid_)
        return std::nullopt;
    const std::vector<quint32> offsets = placesOf(number);
    if (offsets.empty())
        return std::nullopt;
    // The number exactly as stored wins over the same digits written otherwise.
    const QByteArray exact = number.toUtf8();
    for (const quint32 offset : offsets) {
        quint32 at = offset;
        if (field(at) == QByteArrayView(exact))
            return rowAt(offset);
    }
    return rowAt(offsets.front());
}

std::vector<qint64> ReferenceTable::rowidsOf(const QString &number) const {
    std::vector<qint64> rowids;
    if (byRowid_)
        for (const quint32 place : placesOf(number))
            rowids.push_back(qint64(place));
    return rowids;
}

qsizetype ReferenceTable::bytes() const {
    qsizetype total = qsizetype(sizeof *this) + pool_.capacity() +
                      qsizetype(entries_.capacity() * sizeof(Entry)) +
                      qsizetype(longEntries_.capacity() * sizeof(LongEntry));
    for (const LongEntry &e : longEntries_)
        total += e.key.capacity() * qsizetype(sizeof(QChar));
    return total;
}

// ---- the index

namespace {

// The table's keys with their rowids where the file has them, else its rows whole.
bool ReadInto(const ReferenceDatabase &file, const ReferenceFields &fields, ReferenceTable &table,
              const std::atomic<bool> *cancelled, QString *failure) {
    bool noRowids = true;
    if (file.readKeys(
            fields, [&](const QByteArray &phone, qint64 rowid) { table.addRowid(phone, rowid); },
            cancelled, failure, &noRowids))
        return true;
    if (!noRowids)
        return false;
    ReferenceTable whole;
    whole.source_ = table.source_;
    whole.stamp_ = table.stamp_;
    table = std::move(whole);
    return file.readRows(
        fields,
        [&](const QByteArray &phone, const QByteArray &name, const QByteArray &address,
            const QByteArray &zip) { table.add(phone, name, address, zip); },
        ReferenceIndex::AccessBuildTimeoutMs, cancelled, failure);
}

} // namespace

ReferenceIndex::ReferenceIndex(QObject *parent) : QObject(parent) {
    check_.setInterval(CheckIntervalMs);
    connect(&check_, &QTimer::timeout, this, &ReferenceIndex::checkFile);
}

ReferenceIndex::~ReferenceIndex() {
    cancelBuilds();
    for (const auto &build : builds_)
        build->thread.join();
}

void ReferenceIndex::setSource(const ReferenceSource &source) {
    if (source == source_) {
        checkFile();
        return;
    }
    source_ = source;
    table_.reset();
    rowReader_.reset();
    if (source_.isEmpty()) {
        ++generation_;
        cancelBuilds();
        check_.stop();
        failure_.clear();
        setState(State::Off);
        return;
    }
    check_.start();
    startBuild();
}

void ReferenceIndex::checkFile() {
    if (source_.isEmpty() || state_ == State::Building)
        return;
    const FileStamp now = FileStamp::of(source_.path);
    if ((state_ == State::Ready && (!table_ || now != table_->stamp_)) ||
        (state_ == State::Failed && now != failedStamp_))
        startBuild();
}

ReferenceIndex::Answer ReferenceIndex::find(const ReferenceSource &source, const QString &number,
                                            ReferenceRow *row) {
    if (source != source_ || source_.isEmpty())
        return Answer::Scan;
    // A changed file is never answered from what it held before.
    checkFile();
    // A file that did not read whole would not read for the scan either, and the scan of a file
    // that makes the Access reader hang holds the call for seconds: it is not tried again
    // until the file changes.
    if (state_ == State::Failed && failedUnreadable_)
        return Answer::NotFound;
    if (state_ != State::Ready || !table_)
        return Answer::Scan;
    // A number without a digit has no key; only the scan can compare it.
    if (NumberKey(number).isEmpty())
        return Answer::Scan;
    if (table_->byRowid())
        return readBack(number, row);
    const std::optional<ReferenceRow> found = table_->find(number);
    if (!found)
        return Answer::NotFound;
    if (row)
        *row = *found;
    return Answer::Found;
}

ReferenceIndex::Answer ReferenceIndex::readBack(const QString &number, ReferenceRow *row) {
    const std::vector<qint64> rowids = table_->rowidsOf(number);
    if (rowids.empty())
        return Answer::NotFound;
    if (!rowReader_) {
        rowReader_ = std::make_unique<ReferenceDatabase>();
        if (!rowReader_->open(source_.path)) {
            rowReader_.reset();
            return Answer::Scan;
        }
    }
    const std::vector<ReferenceRowAt> rows = rowReader_->rowsAt(source_.fields, rowids);
    // Rows gone since the index was built: the file changed, and the scan answers for it.
    if (rows.empty())
        return Answer::Scan;
    // The number exactly as stored wins over the same digits written otherwise.
    const auto exact = std::find_if(rows.begin(), rows.end(),
                                    [&](const ReferenceRowAt &r) { return r.phone == number; });
    if (row)
        *row = (exact != rows.end() ? *exact : rows.front()).row;
    return Answer::Found;
}

void ReferenceIndex::startBuild() {
    // Whatever was indexed before is of another file, or of this one as it was.
    table_.reset();
    rowReader_.reset();
    cancelBuilds();
    reapBuilds();
    const quint64 generation = ++generation_;
    auto build = std::make_unique<Build>();
    Build *running = build.get();
    const ReferenceSource source = source_;
    setState(State::Building);
    build->thread = std::thread([this, running, source, generation] {
        auto table = std::make_shared<ReferenceTable>();
        table->source_ = source;
        table->stamp_ = FileStamp::of(source.path);
        QString failure;
        bool ok = false;
        bool unreadable = true;
        if (!table->stamp_.exists) {
            failure = QStringLiteral("no such file");
        } else {
            // The connection of this file is this thread's own, opened and closed here.
            ReferenceDatabase file;
            if (!file.open(source.path, &running->cancelled))
                failure = QStringLiteral("the file does not open as a reference phonebook");
            else
                ok = ReadInto(file, source.fields, *table, &running->cancelled, &failure);
        }
        // A file written while it was read may hold rows of both versions: read it again.
        if (ok && FileStamp::of(source.path) != table->stamp_) {
            ok = false;
            unreadable = false;
            failure = QStringLiteral("the file changed while it was read");
        }
        if (ok && !table->finish()) {
            ok = false;
            unreadable = false;
            failure = QStringLiteral("too many rows to index");
        }
        const FileStamp stamp = table->stamp_;
        if (!ok)
            table.reset();
        running->done = true;
        QMetaObject::invokeMethod(
            this,
            [this, generation, table, failure, stamp, unreadable] {
                buildDone(generation, table, failure, stamp, unreadable);
            },
            Qt::QueuedConnection);
    });
    builds_.push_back(std::move(build));
}

void ReferenceIndex::buildDone(quint64 generation, std::shared_ptr<ReferenceTable> table,
                               const QString &failure, const FileStamp &stamp, bool unreadable) {
    reapBuilds();
    if (generation != generation_)
        return; // a later source or file version counts
    if (!table) {
        failure_ = failure;
        failedStamp_ = stamp;
        failedUnreadable_ = unreadable;
        DiagnosticLog::failure(QStringLiteral("reference phonebook not indexed"),
                               source_.path + QLatin1String(": ") + failure);
        setState(State::Failed);
        return;
    }
    failure_.clear();
    table_ = std::move(table);
    setState(State::Ready);
}

void ReferenceIndex::cancelBuilds() {
    for (const auto &build : builds_)
        build->cancelled = true;
}

void ReferenceIndex::reapBuilds() {
    // A build that has said it is done has only its return left: joining it does not wait.
    for (auto it = builds_.begin(); it != builds_.end();) {
        if ((*it)->done) {
            (*it)->thread.join();
            it = builds_.erase(it);
        } else {
            ++it;
        }
    }
}

void ReferenceIndex::setState(State state) {
    if (state == state_)
        return;
    state_ = state;
    emit stateChanged(state);
}
