#pragma once
// The whole spot road on one backend: queue, processor, writers, call/locator database, text
// windows and alarm sounds with a recording player, over the shared database fixture.

#include "spots/database_fixture.h"
#include "support/print_qstring.h"

#include "core/options_model.h"
#include "platform/sound_player.h"
#include "shell/text_windows.h"
#include "spots/alarm_sounds.h"
#include "spots/call_locator.h"
#include "spots/spot_processor.h"
#include "spots/spot_queue.h"
#include "spots/spot_road.h"
#include "spots/spot_writers.h"

#include <QLocale>
#include <memory>
#include <ostream>

namespace zenthra::test {

// Remembers what would have been played.
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

class SpotRoadFixture : public DatabaseFixture
{
protected:
    void SetUp() override
    {
        DatabaseFixture::SetUp();
        if (IsSkipped()) {
            return;
        }
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom));
        clock.setUtc(QDateTime(QDate(2024, 6, 14), QTime(11, 6, 0), Qt::UTC));
        options.sngWindowBuffer = 200000;
        options.setChecked(QStringLiteral("mnuEsOptions(0)"), true);
        options.setChecked(QStringLiteral("chkCalcVHF"), true);
        options.classifier.sngMinEsQrb6m = 500;
        options.classifier.sngMaxEsQrb6m = 2500;
        options.classifier.sngMinEsQrb4m = 700;
        options.classifier.sngMinEsQrb2m = 1000;
        open();
        ASSERT_TRUE(db->isOpen());
        windows = std::make_unique<TextWindows>(options, [this] { return clock.utcNow(); });
        road = std::make_unique<SpotRoad>(SpotRoadServices{options, log, db.get(), folder, keywords,
                                                           windows->intHiddenHfSpot, player,
                                                           [this] { return clock.utcNow(); }});
        queue = &road->queue;
        writers = &road->store.writers();
        calls = &road->store.calls();
        sounds = &road->sounds;
        processor = &road->processor;
        QObject::connect(processor, &SpotProcessor::mufReport,
                         [this](QString text) { windows->POPULATE_MUF_WINDOW(text); });
        QObject::connect(processor, &SpotProcessor::vhfReport,
                         [this](QString text) { windows->POPULATE_VHF_WINDOW(text); });
        QObject::connect(processor, &SpotProcessor::captionChanged,
                         [this](const QString& text) { caption = text; });
    }

    void TearDown() override
    {
        road.reset();
        windows.reset();
        QLocale::setDefault(QLocale::c());
        DatabaseFixture::TearDown();
    }

    // A station row as the user's own tools store it.
    void station(const QString& call, const QString& loc, const QDateTime& when = {})
    {
        run(Store::CallLoc,
            QStringLiteral("INSERT INTO tblDxStation (DxCallsign, DxLocatorID, DxDate) VALUES (?, ?, ?)"),
            {call, loc,
             Database::dateValue(when.isValid() ? when
                                                : QDateTime(QDate(2024, 1, 1), QTime(0, 0), Qt::UTC))});
    }

    // Queues as the filter does: no time, no locators, home and heights as given.
    void queueLine(const QString& line, const QString& home = QStringLiteral("IO91WM"), bool logMuf = true,
                   bool logSpot = true, double layer = 110, double masl = 150)
    {
        QueuedSpot spot{line, {}, home, layer, masl, logMuf, logSpot, {}, {}};
        queue->QUEUE_DXC_SPOT(spot);
    }

    // Ticks until the queue is empty (each tick at least one row).
    void drain()
    {
        for (int i = 0; i < 1000 && (queue->pendingRows() > 0 || queue->tmrProcessSpot().isActive()); ++i) {
            processor->tmrProcessSpot_Timer();
        }
    }

    QString muf() const { return windows->txtDataRetrieval[0].text(); }
    QString vhf() const { return windows->txtDataRetrieval[1].text(); }

    OptionsModel options;
    RecordingPlayer player;
    QString caption;
    std::unique_ptr<TextWindows> windows;
    std::unique_ptr<SpotRoad> road;
    // The road's parts, by their names in the program.
    SpotQueue* queue = nullptr;
    SpotWriters* writers = nullptr;
    CallLocator* calls = nullptr;
    AlarmSounds* sounds = nullptr;
    SpotProcessor* processor = nullptr;
};

} // namespace zenthra::test
