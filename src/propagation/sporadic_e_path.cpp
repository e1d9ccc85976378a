#include "propagation/sporadic_e_path.h"

#include "platform/legacy_value.h"
#include "propagation/muf_calcs.h"
#include "propagation/path_figures.h"

namespace zenthra {

namespace {

using figures::at;
using figures::num;
using figures::Point;
using figures::text;

} // namespace

SporadicEPath sporadicEPath(const MufCalcs& calcs, const HeardPath& heard, QString& home,
                            WithoutHome withoutHome)
{
    SporadicEPath p;
    const Point a = at(heard.from);
    const Point b = at(heard.to);
    const double qrb = num(heard.qrb);
    const double layer = heard.layerHeight;
    const double masl = heard.masl;
    p.elevation = text(calcs.CALCULATE_ELEVATION(qrb, layer, masl));
    p.midLocator = calcs.CALCULATE_MIDLOCATOR(a.lat, a.lon, b.lat, b.lon);
    p.critFreq = text(
        calcs.CALCULATE_CRITFREQ(a.lat, a.lon, b.lat, b.lon, qrb, num(p.elevation), heard.freq, layer, masl));
    p.muf = text(calcs.CALCULATE_MUF(a.lat, a.lon, b.lat, b.lon, qrb, layer, heard.freq, masl));

    p.tryFrom = calcs.CHECK_LOCATOR_SYNTAX(home);
    if (p.tryFrom.isEmpty() && withoutHome == WithoutHome::Blank) {
        return p;
    }
    const Point h = at(p.tryFrom);
    const Point mid = at(p.midLocator);
    p.tryTo = calcs.DESTINATION_LOCATOR(h.lat, h.lon, mid.lat, mid.lon);
    // A station of the path itself beams at the other one.
    if (p.tryFrom == heard.to) {
        p.tryTo = heard.from;
    }
    if (p.tryFrom == heard.from) {
        p.tryTo = heard.to;
    }
    const Point t = at(p.tryTo);
    p.qtfTo = text(calcs.CALCULATE_QTF(h.lat, h.lon, t.lat, t.lon));
    p.qrbTo = text(calcs.CALCULATE_QRB(h.lat, h.lon, t.lat, t.lon));
    p.elevationTo = text(calcs.CALCULATE_ELEVATION(num(p.qrbTo), layer, masl));
    p.fot = text(calcs.CALCULATE_FOT(num(p.qrbTo), qrb, num(p.elevationTo), layer, num(p.muf), heard.freq,
                                     masl, num(p.critFreq)));
    return p;
}

} // namespace zenthra
