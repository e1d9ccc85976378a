// The mode classifier with the seeded keyword list, over comments as clusters send them.

#include "core/error_log.h"
#include "platform/clock.h"
#include "propagation/prop_classifier.h"
#include "propagation/prop_keywords.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <vector>

using namespace zenthra;

namespace {

struct Spot
{
    QString comment;
    QString call;
    double freq;
    double qrb;
};

std::vector<Spot> spots()
{
    const char* comments[] = {
        "ES 55 IN QRB 1800KM",
        "TNX QSO 73",
        "CQ CQ",
        "<ES> JO01-IN80",
        "PSE QSY 50.150",
        "AU 59A",
        "MS BURST 20S",
        "TROPO 599 IN JO22",
        "NIL ES HERE",
        "FT8 -12DB",
        "SPORADIC-E OPEN",
        "QSL VIA BUREAU",
        "JT6M 26DB PINGS",
        "I'LL CALL YOU 1ST",
        "EME JT65B -24",
        "",
        "SRI NO COPY HERE",
        "F2 LP",
        "TEST",
        "SCATTER 539 TNX",
        "DUCTING TO EA8 5/9",
        "FT8 GRID IN80",
        "CALLING EU NOW",
        "TRY 144.300 SSB",
    };
    const double freqs[] = {50.11, 50.313, 28.074, 144.3, 144.174, 70.2, 432.2, 14.074, 50.23, 144.05};
    const double qrbs[] = {1800, 60, 0, 2200, 900, 5400, 350, 1450, 110, 3100, 780};
    std::vector<Spot> out;
    int i = 0;
    for (const char* c : comments) {
        out.push_back({QLatin1Char(' ') + QString::fromLatin1(c) + QLatin1Char(' '),
                       i % 7 == 3 ? "MUF" : "EA7XYZ", freqs[i % 10], qrbs[i % 11]});
        ++i;
    }
    return out;
}

void BM_GetPropagation(benchmark::State& state)
{
    QTemporaryDir dir;
    Clock clock;
    ErrorLog log(dir.path(), clock);
    const PropTypeList keywords = PropKeywords::seedList();
    ClassifierOptions options;
    options.sngMinEsQrb6m = 500;
    options.sngMaxEsQrb6m = 2500;
    options.sngMinEsQrb4m = 500;
    options.sngMinEsQrb2m = 1400;
    options.blnDigiJt6m = options.blnEs2mWindows = true;
    const std::vector<Spot> mix = spots();
    std::size_t i = 0;
    for (auto _ : state) {
        const Spot& s = mix[i++ % mix.size()];
        benchmark::DoNotOptimize(GET_PROPAGATION(s.comment, s.call, s.freq, s.qrb, keywords, options, log));
    }
    state.SetItemsProcessed(state.iterations());
}

} // namespace

BENCHMARK(BM_GetPropagation);
BENCHMARK_MAIN();
