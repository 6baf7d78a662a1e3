#include "platform/desktop/RingPlayer.h"

#include "platform/DiagnosticLog.h"
#include "platform/desktop/Recorder.h"

#include <QFile>
#include <QFileInfo>
#include <QSoundEffect>
#include <QUrl>

namespace {
// Only WAV files are rung; anything else (a missing file, text, a truncated header) would
// leave the sound effect half-loaded, reported as playing while silent.
bool IsWaveFile(const QString &file) {
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    const QByteArray header = f.read(12);
    return header.size() == 12 && header.startsWith("RIFF") && header.mid(8, 4) == "WAVE";
}
} // namespace

RingPlayer::RingPlayer(QObject *parent) : QObject(parent) {}

RingPlayer::~RingPlayer() = default;

void RingPlayer::play(const QString &file) {
    if (Recorder::active()) {
        Recorder::add(QStringLiteral("ring play ") + file);
        return;
    }
    if (!IsWaveFile(file)) {
        DiagnosticLog::failure(QStringLiteral("ring sound not played"),
                               QStringLiteral("not a readable WAV file: ") + file);
        return;
    }
    // The sound device is opened only when a ring is first played.
    if (!effect_) {
        effect_ = new QSoundEffect(this);
        connect(effect_, &QSoundEffect::statusChanged, this, [this] {
            if (effect_->status() == QSoundEffect::Error)
                DiagnosticLog::failure(QStringLiteral("ring sound not played"),
                                       QStringLiteral("the sound device refused ") +
                                           effect_->source().toLocalFile());
        });
    }
    effect_->stop();
    effect_->setSource(QUrl::fromLocalFile(QFileInfo(file).absoluteFilePath()));
    effect_->setLoopCount(1);
    effect_->play();
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
