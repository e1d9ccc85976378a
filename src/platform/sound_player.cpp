#include "platform/sound_player.h"

#include <QFileInfo>
#include <QSoundEffect>
#include <QUrl>

namespace zenthra {

EffectSoundPlayer::EffectSoundPlayer() = default;

EffectSoundPlayer::~EffectSoundPlayer()
{
    qDeleteAll(m_effects);
}

bool EffectSoundPlayer::play(const QString& path)
{
    if (!QFileInfo(path).isFile()) {
        return false;
    }
    for (QSoundEffect* other : std::as_const(m_effects)) {
        if (other->isPlaying()) {
            other->stop();
        }
    }
    QSoundEffect*& effect = m_effects[path];
    if (!effect) {
        effect = new QSoundEffect;
        effect->setSource(QUrl::fromLocalFile(path));
    }
    // Before the file has loaded the request is held and played once it has; without an audio
    // device the effect reports an error status and stays silent.
    effect->play();
    return true;
}

} // namespace zenthra
