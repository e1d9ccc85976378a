#include "core/error_log.h"
#include "core/prompter.h"
#include "maps/map_canvas.h"
#include "maps/map_saving.h"
#include "platform/clock.h"
#include "support/print_qstring.h"
#include "support/small_disk.h"
#include "support/temp_folder.h"

#include <QClipboard>
#include <QDir>
#include <QGuiApplication>
#include <QTimeZone>
#include <gtest/gtest.h>

namespace zenthra {
namespace {

class RecordingPrompter : public Prompter
{
public:
    std::optional<QString> ask(const QString&, const QString&, const QString&) const override { return {}; }
    void tell(Icon icon, const QString&, const QString& text) const override { told.push_back({icon, text}); }
    struct Told
    {
        Icon icon;
        QString text;
    };
    mutable std::vector<Told> told;
};

class MapSavingTest : public ::testing::Test
{
protected:
    MapSavingTest() { clock.setUtc(QDateTime(QDate(2026, 12, 7), QTime(4, 5, 9), Qt::UTC)); }

    MapSaver saver(const QString& folder, MapSaver::Hooks hooks)
    {
        return MapSaver(QStringLiteral("map_muf"), QStringLiteral("SAVE_MAP"), folder, clock, log, prompter,
                        std::move(hooks));
    }

    test::TempFolder folder;
    Clock clock;
    ErrorLog log{folder.path(), clock};
    RecordingPrompter prompter;
};

TEST(MapFileName, StampsALocalTimeAsItsUtcTime)
{
    EXPECT_EQ(mapFileName(QStringLiteral("map_sng"),
                          QDateTime(QDate(2026, 1, 2), QTime(0, 30, 0), QTimeZone(3600))),
              QStringLiteral("map_sng20260101233000.bmp"));
}

TEST_F(MapSavingTest, FullSaveIsTheWholeBitmapWithTheStickyMarks)
{
    MapCanvas canvas;
    canvas.setSticky(true);
    canvas.write_point(QStringLiteral("IO90"), fromBgr(0xFFFF));
    canvas.setSticky(false);
    canvas.write_point(QStringLiteral("JN45"), fromBgr(0xFF));
    int redraws = 0;
    MapSaver s = saver(folder.path(), {[&] { ++redraws; }, [&] { return canvas.persistentImage(); }, {}});

    const QString path = s.save(true);
    EXPECT_EQ(path, folder.file(QStringLiteral("map_muf20261207040509.bmp")));
    EXPECT_EQ(redraws, 1);
    QImage saved;
    ASSERT_TRUE(saved.load(path, "BMP"));
    EXPECT_EQ(saved.size(), QSize(2880, 1440));
    EXPECT_EQ(saved.pixel(1432, 316), qRgb(255, 255, 0));
    EXPECT_EQ(saved.pixel(1512, 356), canvas.persistentImage().pixel(1512, 356));
    ASSERT_EQ(prompter.told.size(), 1U);
    EXPECT_EQ(prompter.told[0].text, QStringLiteral("The map was saved as ") + path);
}

TEST_F(MapSavingTest, SmallSaveWritesTheWindowAndLeavesTheClipboardAlone)
{
    QGuiApplication::clipboard()->setText(QStringLiteral("the user's text"));
    QImage window(640, 480, QImage::Format_RGB32);
    window.fill(Qt::green);
    MapSaver s = saver(folder.path(), {{}, {}, [&] { return window; }});
    const QString path = s.save(false);
    QImage saved;
    ASSERT_TRUE(saved.load(path, "BMP"));
    EXPECT_EQ(saved.size(), QSize(640, 480));
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("the user's text"));
}

TEST_F(MapSavingTest, ASecondSaveWhileSavingIsDropped)
{
    MapCanvas canvas;
    QString inner = QStringLiteral("not called");
    MapSaver* self = nullptr;
    MapSaver s = saver(folder.path(),
                       {[&] { inner = self->save(true); }, [&] { return canvas.persistentImage(); }, {}});
    self = &s;
    EXPECT_FALSE(s.save(true).isEmpty());
    EXPECT_TRUE(inner.isEmpty());
    EXPECT_EQ(prompter.told.size(), 1U);
    EXPECT_FALSE(s.saving());
}

TEST_F(MapSavingTest, AFailedWriteOrNoPictureIsLoggedAndTold)
{
    MapCanvas canvas;
    MapSaver s = saver(folder.file(QStringLiteral("missing/folder")),
                       {{}, [&] { return canvas.persistentImage(); }, [] { return QImage(); }});
    EXPECT_TRUE(s.save(true).isEmpty());
    EXPECT_FALSE(s.saving());
    EXPECT_TRUE(s.save(false).isEmpty());
    ASSERT_EQ(prompter.told.size(), 2U);
    EXPECT_EQ(prompter.told[0].icon, Prompter::Icon::Critical);
    EXPECT_TRUE(prompter.told[0].text.endsWith(QStringLiteral("\rThe file was not saved")));
    EXPECT_TRUE(prompter.told[1].text.startsWith(QStringLiteral("481 - Invalid picture")));
    const QStringList lines = folder.lines(QLatin1String(ErrorLog::fileName));
    ASSERT_EQ(lines.size(), 2);
    EXPECT_TRUE(lines[0].endsWith(QStringLiteral("75 - SAVE_MAP(True)")));
    EXPECT_TRUE(lines[1].endsWith(QStringLiteral("481 - SAVE_MAP(False)")));
}

// The bitmap of 400 x 400 pixels (about 480 KB) fills a 64 KB disk part way; the log line is as
// for any failed write (tested above).
TEST_F(MapSavingTest, FullDiskGivesTheSystemsReason)
{
    test::TempFolder data;
    QStringList left;
    {
        const test::SmallDisk disk(data.path(), "64k");
        ASSERT_TRUE(disk.mounted) << disk.why.toStdString();
        QImage image(400, 400, QImage::Format_RGB32);
        image.fill(Qt::white);
        EXPECT_EQ(saver(data.path(), {{}, [&] { return image; }, {}}).save(true), QString());
        left = QDir(data.path()).entryList(QDir::Files);
    }
    EXPECT_EQ(left, QStringList{});
    ASSERT_EQ(prompter.told.size(), 1U);
    EXPECT_EQ(prompter.told[0].text, QStringLiteral("75 - No space left on device\rThe file was not saved"));
}

} // namespace
} // namespace zenthra
