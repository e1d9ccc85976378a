#pragma once
// The alarm sounds: one wave file per propagation mode (mode + ".wav") and wwc.wav for the chat,
// all in the data folder. The "DX Alarms" check marks choose which modes ring; sporadic-E spots
// can be held back until their MUF passes a level.

#include <QString>
#include <optional>

namespace zenthra {

class DataFolder;
class ErrorLog;
class OptionsModel;
class SoundPlayer;

class AlarmSounds
{
public:
    static constexpr const char* wwcFile = "wwc.wav";
    static constexpr const char* levelTitle = "MUF level for spots bell";
    static constexpr const char* levelPrompt =
        "Please type the number in MHZ (Min 50, max 200) for "
        " when you want the bell to sound for ES spots (0=All spots!).";

    AlarmSounds(const OptionsModel& options, const DataFolder& folder, SoundPlayer& player, ErrorLog& log);

    // Once per processed spot, with the MUF in MHz (0 when the spot has none).
    void Play_Sound(const QString& mode, double muf);
    // 0: incoming private message; 1: a line holding the last three letters of the user's call.
    void Play_WWC(qint16 kind);

    // The answer to the level prompt: the new level, or nothing when the old one stays.
    static std::optional<float> bellMufLevelAnswer(const QString& answer, float old);

    // The file the last request played, for the record; empty when none played yet.
    const QString& varSoundResult() const { return m_lastPlayed; }

private:
    const OptionsModel& m_options;
    const DataFolder& m_folder;
    SoundPlayer& m_player;
    ErrorLog& m_log;
    QString m_lastPlayed;
};

} // namespace zenthra
