// How long the sporadic-E figures of one spot take, and how our distance and bearing compare with
// hamlib's great-circle routine on the same paths.
//
// Goals: the whole calculation of a spot under 3 microseconds on one core; distance and bearing
// within 1.5 times hamlib's time. The figures are printed in a summary after the usual table.

#include "core/error_log.h"
#include "platform/clock.h"
#include "propagation/muf_calcs.h"

#include <benchmark/benchmark.h>
#include <hamlib/rig.h>
#include <hamlib/rotator.h>

#include <QTemporaryDir>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <functional>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace {

using zenthra::MufCalcs;

constexpr double layerHeight = 110;
constexpr double stationHeight = 150;
constexpr double frequency = 50.2;
constexpr double degreesPerRadian = 180 / M_PI;

struct Spot
{
    QString spotter;
    QString dx;
    // The same positions, for the calls that take them directly.
    double lat1, lon1, lat2, lon2;
};

// Spots of European one-hop sporadic-E paths (500 to 2300 km) and a home station, made once.
class Workload
{
public:
    Workload() : log(dir.path(), clock), calc(log)
    {
        std::mt19937 random(1);
        std::uniform_real_distribution<double> lat(36, 62);
        std::uniform_real_distribution<double> lon(-10, 32);
        while (spots.size() < 256) {
            const QString a = calc.CALCULATE_LOCATOR(lat(random), lon(random));
            const QString b = calc.CALCULATE_LOCATOR(lat(random), lon(random));
            Spot spot{a,
                      b,
                      MufCalcs::LOCATOR_TO_LATITUDE(a),
                      MufCalcs::LOCATOR_TO_LONGITUDE(a),
                      MufCalcs::LOCATOR_TO_LATITUDE(b),
                      MufCalcs::LOCATOR_TO_LONGITUDE(b)};
            const double qrb = calc.CALCULATE_QRB(spot.lat1, spot.lon1, spot.lat2, spot.lon2);
            if (qrb >= 500 && qrb <= 2300) {
                spots.push_back(spot);
            }
        }
    }

    QTemporaryDir dir;
    zenthra::Clock clock;
    zenthra::ErrorLog log;
    MufCalcs calc;
    QString home = QStringLiteral("JO62QM");
    std::vector<Spot> spots;
};

struct SpotFigures
{
    double qrb, qtf, elevation, critFreq, muf, qrb2, qtf2, elevation2, fot;
    QString mid, destination;
};

// What the spot processor works out for one sporadic-E spot.
SpotFigures calculateSpot(const MufCalcs& calc, const Spot& spot, const QString& home)
{
    SpotFigures f{};
    QString spotter = spot.spotter;
    QString dx = spot.dx;
    if (calc.CHECK_LOCATOR_SYNTAX(spotter).isEmpty() || calc.CHECK_LOCATOR_SYNTAX(dx).isEmpty()) {
        return f;
    }
    const double lat1 = MufCalcs::LOCATOR_TO_LATITUDE(spotter);
    const double lon1 = MufCalcs::LOCATOR_TO_LONGITUDE(spotter);
    const double lat2 = MufCalcs::LOCATOR_TO_LATITUDE(dx);
    const double lon2 = MufCalcs::LOCATOR_TO_LONGITUDE(dx);
    f.qrb = calc.CALCULATE_QRB(lat1, lon1, lat2, lon2);
    f.qtf = calc.CALCULATE_QTF(lat1, lon1, lat2, lon2);
    f.elevation = calc.CALCULATE_ELEVATION(f.qrb, layerHeight, stationHeight);
    f.mid = calc.CALCULATE_MIDLOCATOR(lat1, lon1, lat2, lon2);
    f.critFreq = calc.CALCULATE_CRITFREQ(lat1, lon1, lat2, lon2, f.qrb, f.elevation, frequency, layerHeight,
                                         stationHeight);
    f.muf = calc.CALCULATE_MUF(lat1, lon1, lat2, lon2, f.qrb, layerHeight, frequency, stationHeight);
    f.destination = calc.DESTINATION_LOCATOR(lat1, lon1, lat2, lon2);
    // The home station's own path to the reflection point.
    const double latHome = MufCalcs::LOCATOR_TO_LATITUDE(home);
    const double lonHome = MufCalcs::LOCATOR_TO_LONGITUDE(home);
    const double latMid = MufCalcs::LOCATOR_TO_LATITUDE(f.mid);
    const double lonMid = MufCalcs::LOCATOR_TO_LONGITUDE(f.mid);
    f.qrb2 = calc.CALCULATE_QRB(latHome, lonHome, latMid, lonMid);
    f.qtf2 = calc.CALCULATE_QTF(latHome, lonHome, latMid, lonMid);
    f.elevation2 = calc.CALCULATE_ELEVATION(f.qrb2, layerHeight, stationHeight);
    f.fot = calc.CALCULATE_FOT(f.qrb2, f.qrb, f.elevation2, layerHeight, f.muf, frequency, stationHeight,
                               f.critFreq);
    return f;
}

void wholeSpot(benchmark::State& state, const Workload& w)
{
    size_t i = 0;
    for (auto _ : state) {
        SpotFigures f = calculateSpot(w.calc, w.spots[i], w.home);
        benchmark::DoNotOptimize(f);
        i = (i + 1) % w.spots.size();
    }
    state.SetItemsProcessed(state.iterations());
}

void qrbAndQtf(benchmark::State& state, const Workload& w)
{
    size_t i = 0;
    for (auto _ : state) {
        const Spot& s = w.spots[i];
        benchmark::DoNotOptimize(w.calc.CALCULATE_QRB(s.lat1, s.lon1, s.lat2, s.lon2));
        benchmark::DoNotOptimize(w.calc.CALCULATE_QTF(s.lat1, s.lon1, s.lat2, s.lon2));
        i = (i + 1) % w.spots.size();
    }
    state.SetItemsProcessed(state.iterations());
}

void qrbOnly(benchmark::State& state, const Workload& w)
{
    size_t i = 0;
    for (auto _ : state) {
        const Spot& s = w.spots[i];
        benchmark::DoNotOptimize(w.calc.CALCULATE_QRB(s.lat1, s.lon1, s.lat2, s.lon2));
        i = (i + 1) % w.spots.size();
    }
    state.SetItemsProcessed(state.iterations());
}

// hamlib's routine gives distance and bearing in one call, from degrees.
void hamlibQrb(benchmark::State& state, const Workload& w)
{
    std::vector<std::array<double, 4>> degrees;
    for (const Spot& s : w.spots) {
        degrees.push_back({s.lon1 * degreesPerRadian, s.lat1 * degreesPerRadian, s.lon2 * degreesPerRadian,
                           s.lat2 * degreesPerRadian});
    }
    size_t i = 0;
    for (auto _ : state) {
        const auto& p = degrees[i];
        double distance = 0;
        double azimuth = 0;
        benchmark::DoNotOptimize(qrb(p[0], p[1], p[2], p[3], &distance, &azimuth));
        benchmark::DoNotOptimize(distance);
        benchmark::DoNotOptimize(azimuth);
        i = (i + 1) % degrees.size();
    }
    state.SetItemsProcessed(state.iterations());
}

// The usual table, and the median time of each benchmark kept for the summary.
class SummaryReporter : public benchmark::ConsoleReporter
{
public:
    SummaryReporter() : ConsoleReporter(isatty(STDOUT_FILENO) ? OO_Defaults : OO_Tabular) {}

    void ReportRuns(const std::vector<Run>& reports) override
    {
        for (const Run& run : reports) {
            if (run.run_type == Run::RT_Iteration && !run.error_occurred) {
                m_nanoseconds[run.run_name.function_name].push_back(run.GetAdjustedRealTime());
            }
        }
        ConsoleReporter::ReportRuns(reports);
    }

    // Median real time in ns, or a negative number when the benchmark did not run.
    double median(const std::string& name) const
    {
        const auto found = m_nanoseconds.find(name);
        if (found == m_nanoseconds.end()) {
            return -1;
        }
        std::vector<double> times = found->second;
        std::sort(times.begin(), times.end());
        return times[times.size() / 2];
    }

private:
    std::map<std::string, std::vector<double>> m_nanoseconds;
};

void printSummary(const SummaryReporter& reporter)
{
    const double spot = reporter.median("WholeSpot");
    const double ours = reporter.median("QrbAndQtf");
    const double qrbAlone = reporter.median("QrbOnly");
    const double hamlib = reporter.median("HamlibQrb");
    std::printf("\nSummary\n");
    if (spot > 0) {
        std::printf("  whole sporadic-E calculation: %.0f ns a spot (goal under 3000 ns): %s\n", spot,
                    spot < 3000 ? "met" : "MISSED");
    }
    if (ours > 0 && hamlib > 0) {
        std::printf("  QRB+QTF: %.1f ns, hamlib qrb (distance and bearing): %.1f ns, ratio %.2f "
                    "(goal at most 1.5): %s\n",
                    ours, hamlib, ours / hamlib, ours / hamlib <= 1.5 ? "met" : "MISSED");
    }
    if (qrbAlone > 0 && hamlib > 0) {
        std::printf("  QRB alone: %.1f ns, ratio to hamlib %.2f\n", qrbAlone, qrbAlone / hamlib);
    }
}

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    // hamlib writes a debug line for every call unless told not to.
    rig_set_debug(RIG_DEBUG_NONE);

    const Workload workload;
    benchmark::RegisterBenchmark("WholeSpot", wholeSpot, std::cref(workload))->Unit(benchmark::kNanosecond);
    benchmark::RegisterBenchmark("QrbAndQtf", qrbAndQtf, std::cref(workload))->Unit(benchmark::kNanosecond);
    benchmark::RegisterBenchmark("QrbOnly", qrbOnly, std::cref(workload))->Unit(benchmark::kNanosecond);
    benchmark::RegisterBenchmark("HamlibQrb", hamlibQrb, std::cref(workload))->Unit(benchmark::kNanosecond);

    SummaryReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    printSummary(reporter);
    if (workload.log.intErrorLogged != 0) {
        std::printf("  warning: the calculation logged errors; see %s\n", qPrintable(workload.log.path()));
    }
    benchmark::Shutdown();
    return 0;
}
