#include "platform/sound_player.h"

#include "platform/regular_file.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QSoundEffect>
#include <QTimer>
#include <QUrl>

namespace zenthra {

namespace {
constexpr int loadWaitMs = 2000;
} // namespace

EffectSoundPlayer::EffectSoundPlayer() = default;

EffectSoundPlayer::~EffectSoundPlayer()
{
    for (QSoundEffect* effect : std::as_const(m_effects)) {
        // Qt's sample cache deadlocks when an effect is destroyed while its file is still being
        // loaded (the cache waits for its loader, the loader for the cache); let the load end.
        if (effect->status() == QSoundEffect::Loading && QCoreApplication::instance() != nullptr) {
            QEventLoop loop;
            QObject::connect(effect, &QSoundEffect::statusChanged, &loop, [&loop, effect] {
                if (effect->status() != QSoundEffect::Loading) {
                    loop.quit();
                }
            });
            QTimer::singleShot(loadWaitMs, &loop, &QEventLoop::quit);
            if (effect->status() == QSoundEffect::Loading) {
                loop.exec();
            }
        }
        effect->stop();
    }
    qDeleteAll(m_effects);
}

bool EffectSoundPlayer::play(const QString& path)
{
    // Qt Multimedia opens the file itself, blocking on a FIFO.
    if (checkRegular(path) != FileCheck::regular) {
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
