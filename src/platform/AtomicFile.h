#pragma once

#include <QByteArray>
#include <QString>

// Files the program writes whole (Kolvane.ini, Rireki.ini): the new contents go to a temporary
// file beside the old one, every write and the flush to the disk are checked, and only then is
// the temporary renamed over the old file. A failure at any step (disk full, no permission, an
// I/O error) removes the temporary and leaves the previous file exactly as it was.

// True when `path` now holds exactly `bytes`; false when the previous file (if any) is kept.
bool WriteFileAtomically(const QString &path, const QByteArray &bytes);

// The steps of a write, in order.
enum class AtomicWriteStep { Create, Write, Flush, Close, Rename };

// Test seam: the next WriteFileAtomically fails at `step` with the system error `error`
// (ENOSPC, EIO …) as the disk would report it. A failed write has written half its bytes.
void InjectAtomicWriteError(AtomicWriteStep step, int error);
