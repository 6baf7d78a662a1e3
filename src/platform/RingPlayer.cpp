#include "platform/RingPlayer.h"

#include "platform/Recorder.h"

#include <QFileInfo>
#include <QSoundEffect>
#include <QUrl>

RingPlayer::RingPlayer(QObject *parent) : QObject(parent) {}

RingPlayer::~RingPlayer() = default;

void RingPlayer::play(const QString &file) {
    if (Recorder::active()) {
        Recorder::add(QStringLiteral("ring play ") + file);
        return;
    }
    if (!QFileInfo(file).isFile())
        return;
    // The sound device is opened only when a ring is first played.
    if (!effect_)
        effect_ = new QSoundEffect(this);
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
