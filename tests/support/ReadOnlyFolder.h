#pragma once

// A folder no file can be made in: a folder without write permission for an ordinary user, and
// for root (whom permissions do not stop) a small tmpfs mounted read-only. A test skips when
// neither can be had.

#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <sys/mount.h>
#include <unistd.h>

class ReadOnlyFolder {
public:
    ReadOnlyFolder() {
        if (!dir_.isValid())
            return;
        const QByteArray path = dir_.path().toLocal8Bit();
        if (::geteuid() == 0)
            mounted_ = ::mount("tmpfs", path.constData(), "tmpfs", MS_RDONLY, "size=64k") == 0;
        else
            QFile::setPermissions(dir_.path(), QFile::ReadOwner | QFile::ExeOwner);
        QFile probe(dir_.filePath(QStringLiteral("probe")));
        readOnly_ = !probe.open(QIODevice::WriteOnly);
        if (!readOnly_)
            probe.remove();
    }
    ~ReadOnlyFolder() {
        if (mounted_)
            ::umount2(dir_.path().toLocal8Bit().constData(), MNT_DETACH);
        else
            QFile::setPermissions(dir_.path(),
                                  QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    ReadOnlyFolder(const ReadOnlyFolder &) = delete;
    ReadOnlyFolder &operator=(const ReadOnlyFolder &) = delete;

    bool readOnly() const { return readOnly_; }
    QString path() const { return dir_.path(); }
    QString filePath(const QString &name) const { return dir_.filePath(name); }

private:
    QTemporaryDir dir_;
    bool mounted_ = false;
    bool readOnly_ = false;
};

#define SKIP_UNLESS_READ_ONLY(folder)                                                              \
    do {                                                                                           \
        if (!(folder).readOnly())                                                                  \
            QSKIP("no read-only folder can be had here");                                          \
    } while (0)
