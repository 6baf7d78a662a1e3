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

void ReferenceTable::add(const QByteArray &phone, const QByteArray &name, const QByteArray &address,
                         const QByteArray &zip) {
    if (tooLarge_)
        return;
    const QString phoneText = QString::fromUtf8(phone);
    const QString key = NumberKey(phoneText);
    if (key.isEmpty())
        return;
    // Rows are found by their place in the pool, held in 32 bits.
    const qsizetype offset = pool_.size();
    if (quint64(offset) > std::numeric_limits<quint32>::max()) {
        tooLarge_ = true;
        return;
    }
    // The phone as the scan compares it: the text the file's bytes decode to.
    AppendField(pool_, phoneText.toUtf8());
    AppendField(pool_, name);
    AppendField(pool_, address);
    AppendField(pool_, zip);
    if (key.size() <= NumericKeyDigits)
        entries_.push_back(Entry{NumericKey(key), quint32(offset)});
    else
        longEntries_.push_back(LongEntry{key, quint32(offset)});
}

bool ReferenceTable::finish() {
    // By key, then by place: the first row of a key is the first in the file.
    std::sort(entries_.begin(), entries_.end(), [](const Entry &a, const Entry &b) {
        return a.key != b.key ? a.key < b.key : a.offset < b.offset;
    });
    std::sort(longEntries_.begin(), longEntries_.end(), [](const LongEntry &a, const LongEntry &b) {
        return a.key != b.key ? a.key < b.key : a.offset < b.offset;
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

std::optional<ReferenceRow> ReferenceTable::find(const QString &number) const {
    const QString key = NumberKey(number);
    if (key.isEmpty())
        return std::nullopt;
    std::vector<quint32> offsets;
    if (key.size() <= NumericKeyDigits) {
        const quint64 wanted = NumericKey(key);
        auto it = std::lower_bound(entries_.begin(), entries_.end(), wanted,
                                   [](const Entry &e, quint64 k) { return e.key < k; });
        for (; it != entries_.end() && it->key == wanted; ++it)
            offsets.push_back(it->offset);
    } else {
        auto it = std::lower_bound(longEntries_.begin(), longEntries_.end(), key,
                                   [](const LongEntry &e, const QString &k) { return e.key < k; });
        for (; it != longEntries_.end() && it->key == key; ++it)
            offsets.push_back(it->offset);
    }
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

qsizetype ReferenceTable::bytes() const {
    qsizetype total = qsizetype(sizeof *this) + pool_.capacity() +
                      qsizetype(entries_.capacity() * sizeof(Entry)) +
                      qsizetype(longEntries_.capacity() * sizeof(LongEntry));
    for (const LongEntry &e : longEntries_)
        total += e.key.capacity() * qsizetype(sizeof(QChar));
    return total;
}

// ---- the index

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
    const std::optional<ReferenceRow> found = table_->find(number);
    if (!found)
        return Answer::NotFound;
    if (row)
        *row = *found;
    return Answer::Found;
}

void ReferenceIndex::startBuild() {
    // Whatever was indexed before is of another file, or of this one as it was.
    table_.reset();
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
                ok = file.readRows(
                    source.fields,
                    [&](const QByteArray &phone, const QByteArray &name, const QByteArray &address,
                        const QByteArray &zip) { table->add(phone, name, address, zip); },
                    AccessBuildTimeoutMs, &running->cancelled, &failure);
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
