#pragma once

#include <QObject>
#include <QString>

class QSoundEffect;

// Plays the ring sound once, without waiting for it, and stops it on demand. A file that
// cannot be played (missing, not a WAV file, no sound device) gives silence, never a default
// sound and never a message.
class RingPlayer : public QObject {
    Q_OBJECT
public:
    explicit RingPlayer(QObject *parent = nullptr);
    ~RingPlayer() override;

    void play(const QString &file);
    void stop();
    bool isPlaying() const;

private:
    QSoundEffect *effect_ = nullptr;
};
