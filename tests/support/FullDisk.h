#pragma once

// A real, small filesystem of our own (a 64 KiB tmpfs), which a test fills to the last byte to
// see what a write does on a full disk. Mounting needs root; without it a test skips.

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <sys/mount.h>

class FullDisk {
public:
    // A database with its log needs more room than the 64 KiB a settings file does.
    explicit FullDisk(const char *options = "size=64k,mode=0700") {
        if (!dir_.isValid())
            return;
        mounted_ =
            ::mount("tmpfs", dir_.path().toLocal8Bit().constData(), "tmpfs", 0, options) == 0;
    }
    ~FullDisk() {
        if (mounted_)
            ::umount2(dir_.path().toLocal8Bit().constData(), MNT_DETACH);
    }
    FullDisk(const FullDisk &) = delete;
    FullDisk &operator=(const FullDisk &) = delete;

    bool mounted() const { return mounted_; }
    QString filePath(const QString &name) const { return dir_.filePath(name); }

    // Takes every free block with one filler file; true when the disk is then full.
    bool fill() {
        QFile filler(filePath(QStringLiteral("filler")));
        if (!filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
            return false;
        const QByteArray block(512, 'f');
        while (filler.write(block) == block.size()) {
        }
        // Whatever is left is smaller than one block; a one-byte write shows it is gone.
        while (filler.write("f", 1) == 1) {
        }
        return true;
    }

private:
    QTemporaryDir dir_;
    bool mounted_ = false;
};

#define SKIP_UNLESS_FULL_DISK(disk)                                                                \
    if (!(disk).mounted())                                                                         \
    QSKIP("a small tmpfs cannot be mounted here (the tests must run as root for this case)")
