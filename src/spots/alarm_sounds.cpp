#include "spots/alarm_sounds.h"

#include "core/error_log.h"
#include "core/options_model.h"
#include "platform/bounded_number.h"
#include "platform/data_folder.h"
#include "platform/sound_player.h"

#include <array>
#include <cmath>

namespace zenthra {

namespace {

// The "DX Alarms" items in the order they are tried.
constexpr std::array<const char*, 8> bellModes = {"ES", "AU", "FAI", "IONO", "EME", "F2", "MS", "TROPO"};

} // namespace

AlarmSounds::AlarmSounds(const OptionsModel& options, const DataFolder& folder, SoundPlayer& player,
                         ErrorLog& log)
    : m_options(options), m_folder(folder), m_player(player), m_log(log)
{
}

void AlarmSounds::Play_Sound(const QString& mode, double muf)
{
    bool matched = false;
    for (int i = 0; i < int(bellModes.size()); ++i) {
        if (m_options.checked(keys::bellByMode(i + 1)) && mode == QLatin1String(bellModes[size_t(i)])) {
            matched = true;
            break;
        }
    }
    if (!matched) {
        return;
    }
    const float level = m_options.sngBellMufLevel;
    if (level >= 50 && mode == QLatin1String("ES")) {
        if (!std::isfinite(muf)) {
            m_log.WRITE_ERROR_LOG(6, QStringLiteral("Play_Sound(") + mode + u')');
            return;
        }
        if (static_cast<float>(muf) <= level) {
            return;
        }
    }
    if (!m_options.checked(keys::bellByMode(0))) {
        return;
    }
    const QString path = m_folder.file(mode + QStringLiteral(".wav"));
    m_player.play(path);
    m_lastPlayed = path;
}

void AlarmSounds::Play_WWC(qint16 kind)
{
    const bool wanted = (kind == 0 && m_options.checked(keys::wwcPlaySound)) ||
                        (kind == 1 && m_options.checked(keys::wwcPlaySoundOnCall));
    if (!wanted) {
        return;
    }
    const QString path = m_folder.file(QLatin1String(wwcFile));
    m_player.play(path);
    m_lastPlayed = path;
}

std::optional<float> AlarmSounds::bellMufLevelAnswer(const QString& answer, float old)
{
    // Any number a single-precision level holds; the level rules below then apply.
    const auto value = legacy::boundedNumber(answer, {legacy::NumberReading::DecimalText, -3.4e38, 3.4e38});
    if (!value) {
        return std::nullopt;
    }
    float level = static_cast<float>(*value);
    if (level < 50) {
        level = 0;
    }
    if (level > 200) {
        level = old;
    }
    return level;
}

} // namespace zenthra
