#pragma once
// Plays a wave file without waiting. A new request cuts off a sound still playing; a missing file
// or a machine without an audio device is silent, never an error.

#include <QHash>
#include <QString>

class QSoundEffect;

namespace zenthra {

class SoundPlayer
{
public:
    virtual ~SoundPlayer() = default;
    // Returns false when nothing could be started (no such file).
    virtual bool play(const QString& path) = 0;
};

// The player on Qt Multimedia. Each file is loaded once and kept, so repeated alarms start at once.
class EffectSoundPlayer : public SoundPlayer
{
public:
    EffectSoundPlayer();
    ~EffectSoundPlayer() override;
    EffectSoundPlayer(const EffectSoundPlayer&) = delete;
    EffectSoundPlayer& operator=(const EffectSoundPlayer&) = delete;

    bool play(const QString& path) override;

private:
    QHash<QString, QSoundEffect*> m_effects;
};

} // namespace zenthra
