#include "core/error_log.h"
#include "core/options_model.h"
#include "platform/clock.h"
#include "platform/data_folder.h"
#include "platform/sound_player.h"
#include "spots/alarm_sounds.h"
#include "support/temp_folder.h"

#include <QFile>
#include <QSet>
#include <QtEndian>
#include <gtest/gtest.h>

using namespace zenthra;
using zenthra::test::TempFolder;

namespace {

class RecordingPlayer : public SoundPlayer
{
public:
    bool play(const QString& path) override
    {
        played.append(path);
        return true;
    }
    QStringList played;
};

struct BellCase
{
    const char* name;
    const char* mode;
    double muf;
    float level;
    unsigned ticked;   // bit i: mnuBellByMode(i) ticked
    const char* plays; // file name, or "" for silence
};

void PrintTo(const BellCase& c, std::ostream* os)
{
    *os << c.name;
}

class Bells : public ::testing::TestWithParam<BellCase>
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

TEST_P(Bells, PlayTheModesFileWhenItsBellAndTheMasterAreTicked)
{
    const BellCase& c = GetParam();
    for (int i = 0; i < 9; ++i) {
        options.setChecked(QStringLiteral("mnuBellByMode(%1)").arg(i), (c.ticked >> i) & 1u);
    }
    options.sngBellMufLevel = c.level;
    sounds.Play_Sound(QString::fromLatin1(c.mode), c.muf);
    const QString expected = QString::fromLatin1(c.plays);
    EXPECT_EQ(player.played, expected.isEmpty() ? QStringList() : QStringList{dir.file(expected)});
    EXPECT_TRUE(dir.lines(QStringLiteral("muf_errors.log")).isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Modes, Bells,
                         ::testing::Values(BellCase{"EsLevel0", "ES", 12, 0, 0b11, "ES.wav"},
                                           BellCase{"EsAtLevelSilent", "ES", 60, 60, 0b11, ""},
                                           BellCase{"EsAboveLevel", "ES", 60.1, 60, 0b11, "ES.wav"},
                                           // 60.0000001 is 60 in single precision.
                                           BellCase{"EsSingleAtLevel", "ES", 60.0000001, 60, 0b11, ""},
                                           BellCase{"AuIgnoresLevel", "AU", 0, 60, 0b101, "AU.wav"},
                                           BellCase{"Fai", "FAI", 0, 0, 0b1001, "FAI.wav"},
                                           BellCase{"Iono", "IONO", 0, 0, 0b10001, "IONO.wav"},
                                           BellCase{"Eme", "EME", 0, 0, 0b100001, "EME.wav"},
                                           BellCase{"F2", "F2", 0, 0, 0b1000001, "F2.wav"},
                                           BellCase{"Ms", "MS", 0, 0, 0b10000001, "MS.wav"},
                                           BellCase{"Tropo", "TROPO", 0, 0, 0b100000001, "TROPO.wav"},
                                           BellCase{"MasterOff", "ES", 80, 0, 0b111111110, ""},
                                           BellCase{"OtherModesBell", "ES", 80, 0, 0b101, ""},
                                           BellCase{"Digi", "DIGI", 0, 0, 0b111111111, ""},
                                           BellCase{"Unknown", "UNKNOWN", 0, 0, 0b111111111, ""},
                                           BellCase{"LowerCase", "es", 80, 0, 0b11, ""}),
                         [](const ::testing::TestParamInfo<BellCase>& info) {
                             return std::string(info.param.name);
                         });

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

struct LevelCase
{
    const char* answer;
    float expected; // -1: the old level stays
};

void PrintTo(const LevelCase& c, std::ostream* os)
{
    *os << '"' << c.answer << '"';
}

class BellLevel : public ::testing::TestWithParam<LevelCase>
{
};

TEST_P(BellLevel, Answers)
{
    const auto level = AlarmSounds::bellMufLevelAnswer(QString::fromLatin1(GetParam().answer), 77);
    if (GetParam().expected < 0) {
        EXPECT_FALSE(level.has_value());
    } else {
        ASSERT_TRUE(level.has_value());
        EXPECT_FLOAT_EQ(*level, GetParam().expected);
    }
}

INSTANTIATE_TEST_SUITE_P(Prompt, BellLevel,
                         ::testing::Values(LevelCase{"", -1}, LevelCase{"  ", -1}, LevelCase{"abc", -1},
                                           LevelCase{"30", 0}, LevelCase{"0", 0}, LevelCase{"-5", 0},
                                           LevelCase{"50", 50}, LevelCase{"200", 200}, LevelCase{"201", 77},
                                           LevelCase{" 123.5 ", 123.5f}));

TEST(BellLevelPrompt, HasTwoBlanksAfterFor)
{
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
