#pragma once

#include <QObject>
#include <QString>

class QSoundEffect;

// Plays the ring sound once, without waiting for it, and stops it on demand. A file that
// cannot be played (missing, not a regular file, not a WAV file, no sound device) gives
// silence, never a default sound: it is logged and told through cannotPlay.
class RingPlayer : public QObject {
    Q_OBJECT
public:
    explicit RingPlayer(QObject *parent = nullptr);
    ~RingPlayer() override;

    void play(const QString &file);
    void stop();
    bool isPlaying() const;

signals:
    // The ring of `file` stays silent; `why` in the user's words.
    void cannotPlay(const QString &file, const QString &why);

private:
    void Refuse(const QString &file, const QString &why);

    QSoundEffect *effect_ = nullptr;
};
