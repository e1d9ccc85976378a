// The DX-cluster line filter alone, over a mix of lines as nodes send them: spots on every
// band, announcements, listings and node chatter. The target is under 5 µs a line.

#include "core/error_log.h"
#include "core/options_model.h"
#include "platform/clock.h"
#include "spots/line_filter.h"
#include "spots/spot_queue.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <vector>

using namespace zenthra;

namespace {

std::vector<QString> lines()
{
    const char* raw[] = {
        "DX de G0ABC:     50313.0  CT7ZZZ       FT8 Es IN50 JN59               2110Z\a\a\r\n",
        "DX de DK7XYZ:    50110.0  EA8/ON4XYZ   JN48QT<ES>IL18 QRP 5W LOOP ANT 1206Z\a\a\r\n",
        "DX de PA3QRS:   144300.0  ON4UVW       tropo 55 JO22>JO20             1201Z\a\a\r\n",
        "DX de SM5ABC:    50120.0  OH6DEF       AU   JO89<AU>KP32              1835Z\a\a\r\n",
        "DX de F5ABC:     70200.0  G4DEF        Es 59 in JN18 tnx              1412Z\a\a\r\n",
        "DX de S57ABC:   144174.0  I1XYZ        MS 26/27 JN65                  0530Z\a\a\r\n",
        "DX de KQ3T-2-#:  14100.0  CQ3B           CW    24 dB  22 WPM  NCDXF B 2259Z\r\n",
        "DX de LZ3QB-#:   7018.20  RW1Q           CW    10 dB  18 WPM  CQ      2259Z\r\n",
        "DX de W1AW:      1840.0  K1ABC        FT8                            0102Z\r\n",
        "DX de OK1XYZ:   432200.0  DL1ABC       tropo JO70>JO62                1328Z\r\n",
        "DX de DL6XYZ: 10368887.0  DL7ABC/B     55s in JO50VFjo62 never hrd B4 1505Z\r\n",
        "DX de I2ABC:   1296200.0  HB9XYZ       EME 439                        2240Z\r\n",
        "DX de EA3XYZ:   144360.0  F6ABC        FT8 -12                        1845Z\r\n",
        "DX de G4ABC:    28074.0  PY2XYZ       FT8                            1300Z\r\n",
        "WWV de VE7QQ <09>:   SFI=113, A=18, K=2, Minor w/G1 -> No Storms\r\n",
        "WCY de DK0QCY-2 <20> : K=3 expK=3 A=23 R=88 SFI=113 SA=eru GMF=min Au=no\r\n",
        "To ALL de SV1ABC: ES opening on 6m into EA/CT now\a\r\n",
        "   50313.0  CT7ZZZ       6-Dec-2026 2110Z  FT8 Es IN50 JN59             <G0ABC>\r\n",
        "G4ABC de GB7DXC 23-Jun-2026 1530Z dxspider >\r\n",
        "Please enter your call: \r\n",
    };
    std::vector<QString> out;
    for (const char* r : raw) {
        out.push_back(QString::fromLatin1(r));
    }
    return out;
}

void BM_FilterDxcByFreq(benchmark::State& state)
{
    QTemporaryDir dir;
    Clock clock;
    ErrorLog log(dir.path(), clock);
    OptionsModel options;
    options.setHomeLocator(QStringLiteral("IO91VL"));
    // A typical set-up: filters on, HF shown but not logged, VHF computed, the logging link on.
    for (const QString& item :
         {keys::useFilters, keys::seeAnnounce, keys::calcEs, keys::logEsToDb, keys::calcVhf, keys::logVhfToDb,
          keys::ddeLink, keys::ignore144350to399, keys::esCalcFiltered}) {
        options.setChecked(item, true);
    }
    for (int i = 0; i < 10; ++i) {
        options.setChecked(keys::filterHF(i), i % 2 == 0);
    }
    for (int i = 0; i < 4; ++i) {
        options.setChecked(keys::filterVHF(i), true);
    }
    for (int i = 0; i < 6; ++i) {
        options.setChecked(keys::filterUHF(i), i < 3);
    }
    qint16 hidden = 0;
    LineFilter filter(options, log, hidden);
    std::size_t queued = 0;
    std::size_t passedOn = 0;
    filter.sinks().queueSpot = [&](QueuedSpot& spot) {
        ++queued;
        spot.line.clear();
    };
    filter.sinks().addToDde = [&](const QString&) { ++passedOn; };
    filter.sinks().showInDxcWindow = [](QString& text) { text.clear(); };

    const std::vector<QString> mix = lines();
    std::size_t i = 0;
    for (auto _ : state) {
        QString chunk = mix[i++ % mix.size()];
        benchmark::DoNotOptimize(filter.FILTER_DXC_BY_FREQ(chunk));
    }
    state.SetItemsProcessed(state.iterations());
    // Seconds per line, shown in microseconds.
    state.counters["us_per_line"] = benchmark::Counter(
        double(state.iterations()) * 1e-6, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    benchmark::DoNotOptimize(queued + passedOn);
}

} // namespace

BENCHMARK(BM_FilterDxcByFreq);
BENCHMARK_MAIN();
