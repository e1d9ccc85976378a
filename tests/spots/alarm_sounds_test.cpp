#include "core/error_log.h"
#include "core/options_model.h"
#include "platform/clock.h"
#include "platform/data_folder.h"
#include "platform/sound_player.h"
#include "spots/alarm_sounds.h"
#include "spots/spot_road_fixture.h"
#include "support/temp_folder.h"

#include <QFile>
#include <QSet>
#include <QtEndian>
#include <gtest/gtest.h>

using namespace zenthra;
using zenthra::test::RecordingPlayer;
using zenthra::test::TempFolder;

namespace {

class Bells : public ::testing::Test
{
protected:
    TempFolder dir;
    Clock clock;
    ErrorLog log{dir.path(), clock};
    DataFolder folder{dir.path()};
    OptionsModel options;
    RecordingPlayer player;
    AlarmSounds sounds{options, folder, player, log};
};

TEST_F(Bells, PlayTheModesFileWhenItsBellAndTheMasterAreTicked)
{
    struct Case
    {
        const char* mode;
        double muf;
        float level;
        unsigned ticked;   // bit i: mnuBellByMode(i) ticked
        const char* plays; // file name, or "" for silence
    };
    for (const Case& c : {Case{"ES", 12, 0, 0b11, "ES.wav"}, Case{"ES", 60, 60, 0b11, ""},
                          Case{"ES", 60.1, 60, 0b11, "ES.wav"},
                          // 60.0000001 is 60 in single precision.
                          Case{"ES", 60.0000001, 60, 0b11, ""}, Case{"AU", 0, 60, 0b101, "AU.wav"},
                          Case{"FAI", 0, 0, 0b1001, "FAI.wav"}, Case{"IONO", 0, 0, 0b10001, "IONO.wav"},
                          Case{"EME", 0, 0, 0b100001, "EME.wav"}, Case{"F2", 0, 0, 0b1000001, "F2.wav"},
                          Case{"MS", 0, 0, 0b10000001, "MS.wav"},
                          Case{"TROPO", 0, 0, 0b100000001, "TROPO.wav"}, Case{"ES", 80, 0, 0b111111110, ""},
                          Case{"ES", 80, 0, 0b101, ""}, Case{"DIGI", 0, 0, 0b111111111, ""},
                          Case{"UNKNOWN", 0, 0, 0b111111111, ""}, Case{"es", 80, 0, 0b11, ""}}) {
        for (int i = 0; i < 9; ++i) {
            options.setChecked(QStringLiteral("mnuBellByMode(%1)").arg(i), (c.ticked >> i) & 1u);
        }
        options.sngBellMufLevel = c.level;
        player.played.clear();
        sounds.Play_Sound(QString::fromLatin1(c.mode), c.muf);
        const QString expected = QString::fromLatin1(c.plays);
        EXPECT_EQ(player.played, expected.isEmpty() ? QStringList() : QStringList{dir.file(expected)})
            << c.mode << ' ' << c.muf << ' ' << c.ticked;
    }
    EXPECT_TRUE(dir.lines(QStringLiteral("muf_errors.log")).isEmpty());
}

TEST_F(Bells, ChatAlarmFollowsItsOwnItemsOnly)
{
    sounds.Play_WWC(0);
    sounds.Play_WWC(1);
    EXPECT_TRUE(player.played.isEmpty());
    options.setChecked(QStringLiteral("mnuWwcPlaySound"), true);
    sounds.Play_WWC(1);
    EXPECT_TRUE(player.played.isEmpty());
    sounds.Play_WWC(0);
    options.setChecked(QStringLiteral("mnuWwcPlaySound2"), true);
    sounds.Play_WWC(1);
    EXPECT_EQ(player.played, QStringList({dir.file("wwc.wav"), dir.file("wwc.wav")}));
}

TEST(BellLevel, AnswersAndThePromptWithTwoBlanksAfterFor)
{
    // -1: the old level stays.
    for (const auto& [answer, expected] :
         {std::pair{"", -1.0f}, std::pair{"  ", -1.0f}, std::pair{"abc", -1.0f}, std::pair{"30", 0.0f},
          std::pair{"0", 0.0f}, std::pair{"-5", 0.0f}, std::pair{"50", 50.0f}, std::pair{"200", 200.0f},
          std::pair{"201", 77.0f}, std::pair{" 123.5 ", 123.5f}}) {
        const auto level = AlarmSounds::bellMufLevelAnswer(QString::fromLatin1(answer), 77);
        EXPECT_EQ(level.has_value(), expected >= 0) << answer;
        EXPECT_FLOAT_EQ(level.value_or(-1), expected) << answer;
    }
    EXPECT_STREQ(AlarmSounds::levelPrompt,
                 "Please type the number in MHZ (Min 50, max 200) for  when you want the"
                 " bell to sound for ES spots (0=All spots!).");
}

TEST(EffectSoundPlayer, MissingFileIsSilentAndAShippedToneStartsWithOrWithoutADevice)
{
    TempFolder dir;
    EffectSoundPlayer player;
    EXPECT_FALSE(player.play(dir.file(QStringLiteral("ES.wav"))));
    const QString shipped = QStringLiteral(ZENTHRA_SOURCE_ASSETS "/ES.wav");
    ASSERT_TRUE(QFile::exists(shipped));
    EXPECT_TRUE(player.play(shipped));
    EXPECT_TRUE(player.play(shipped));
}

TEST(ShippedSounds, EveryModeHasItsOwn16BitPcmTone)
{
    QSet<QByteArray> distinct;
    for (const char* name : {"ES", "AU", "FAI", "IONO", "EME", "F2", "MS", "TROPO", "wwc"}) {
        QFile f(QStringLiteral(ZENTHRA_SOURCE_ASSETS "/%1.wav").arg(QLatin1String(name)));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << name;
        const QByteArray bytes = f.readAll();
        ASSERT_GT(bytes.size(), 44) << name;
        EXPECT_EQ(bytes.left(4), "RIFF");
        EXPECT_EQ(bytes.mid(8, 8), "WAVEfmt ");
        EXPECT_EQ(qFromLittleEndian<quint16>(bytes.constData() + 20), 1) << "PCM";
        EXPECT_EQ(qFromLittleEndian<quint16>(bytes.constData() + 34), 16) << "bits per sample";
        distinct.insert(bytes.mid(44));
    }
    EXPECT_EQ(distinct.size(), 9);
}

} // namespace
