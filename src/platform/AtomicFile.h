#pragma once

#include <QByteArray>
#include <QString>

#include <memory>

// Files the program writes whole (Kolvane.ini, Rireki.ini): the new contents go to a temporary
// file beside the old one, every write and the flush to the disk are checked, and only then is
// the temporary renamed over the old file. A failure at any step (disk full, no permission, an
// I/O error) removes the temporary and leaves the previous file exactly as it was.

// True when `path` now holds exactly `bytes`; false when the previous file (if any) is kept.
bool WriteFileAtomically(const QString &path, const QByteArray &bytes);

// The same guarantee for a file too large to hold in memory whole (an export of the history):
// the bytes go to the temporary as they come, and commit() puts the file in place. A writer
// destroyed without a successful commit() removes its temporary; the previous file stays.
class AtomicFileWriter {
public:
    explicit AtomicFileWriter(const QString &path);
    ~AtomicFileWriter();
    AtomicFileWriter(const AtomicFileWriter &) = delete;
    AtomicFileWriter &operator=(const AtomicFileWriter &) = delete;

    // False once any step has failed; every later write and the commit then fail too.
    bool ok() const;
    bool write(const QByteArray &bytes);
    // Flushes to the disk, closes and renames over the target.
    bool commit();
    // The system's error number of the failed step; 0 while ok().
    int error() const;
    // What failed, in the system's words (e.g. "Permission denied"); empty while ok().
    QString errorString() const;

private:
    struct Data;
    std::unique_ptr<Data> d_;
};

// The steps of a write, in order.
enum class AtomicWriteStep { Create, Write, Flush, Close, Rename };

// Test seam: the next WriteFileAtomically fails at `step` with the system error `error`
// (ENOSPC, EIO …) as the disk would report it. A failed write has written half its bytes.
void InjectAtomicWriteError(AtomicWriteStep step, int error);
