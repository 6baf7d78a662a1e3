#include "platform/desktop/RingPlayer.h"

#include "platform/DiagnosticLog.h"
#include "platform/RegularFile.h"
#include "platform/desktop/Recorder.h"

#include <QFile>
#include <QFileInfo>
#include <QSoundEffect>
#include <QUrl>

namespace {
// Only WAV files are rung; anything else (a missing file, text, a truncated header) would
// leave the sound effect half-loaded, reported as playing while silent. A FIFO or a device is
// never opened: it would hold the call. Empty when the file can be rung, else why not.
QString RingFileProblem(const QString &file) {
    if (!QFileInfo::exists(file))
        return QStringLiteral("ファイルがありません");
    QFile f;
    if (!IsRegularFile(file))
        return QStringLiteral("普通のファイルではありません");
    if (!OpenRegularFile(f, file))
        return QStringLiteral("ファイルを読めません");
    const QByteArray header = f.read(12);
    if (header.size() != 12 || !header.startsWith("RIFF") || header.mid(8, 4) != "WAVE")
        return QStringLiteral("WAVファイルではありません");
    return QString();
}
} // namespace

RingPlayer::RingPlayer(QObject *parent) : QObject(parent) {}

RingPlayer::~RingPlayer() = default;

void RingPlayer::play(const QString &file) {
    // Recorded as asked; the file is judged all the same, which needs no sound device.
    if (Recorder::active())
        Recorder::add(QStringLiteral("ring play ") + file);
    const QString problem = RingFileProblem(file);
    if (!problem.isEmpty()) {
        Refuse(file, problem);
        return;
    }
    if (Recorder::active())
        return;
    // The sound device is opened only when a ring is first played.
    if (!effect_) {
        effect_ = new QSoundEffect(this);
        connect(effect_, &QSoundEffect::statusChanged, this, [this] {
            if (effect_->status() == QSoundEffect::Error)
                Refuse(effect_->source().toLocalFile(), QStringLiteral("音を出せません"));
        });
    }
    effect_->stop();
    effect_->setSource(QUrl::fromLocalFile(QFileInfo(file).absoluteFilePath()));
    effect_->setLoopCount(1);
    effect_->play();
}

void RingPlayer::Refuse(const QString &file, const QString &why) {
    DiagnosticLog::failure(QStringLiteral("ring sound not played"),
                           file + QStringLiteral(": ") + why);
    emit cannotPlay(file, why);
}

void RingPlayer::stop() {
    if (Recorder::active()) {
        Recorder::add(QStringLiteral("ring stop"));
        return;
    }
    if (effect_)
        effect_->stop();
}

bool RingPlayer::isPlaying() const {
    return effect_ && effect_->isPlaying();
}
