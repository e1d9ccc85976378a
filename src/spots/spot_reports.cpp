#include "spots/spot_reports.h"

#include "platform/legacy_value.h"
#include "propagation/muf_calcs.h"

#include <QLocale>

namespace zenthra::spot_reports {

namespace {

const QString crlf = QStringLiteral("\r\n");

double num(const QString& text)
{
    return legacy::val(text);
}

// A column's number with a "0"-style pattern, from the double value.
QString fmt(const QString& text, const char16_t* pattern)
{
    return legacy::format(num(text), QStringView(pattern));
}

// Critical frequency, MUF and FOT are single-precision figures.
QString fmtSingle(const QString& text, const char16_t* pattern)
{
    return legacy::format(static_cast<float>(num(text)), QStringView(pattern));
}

struct Point
{
    double lat;
    double lon;
};

Point at(const QString& loc)
{
    return {MufCalcs::LOCATOR_TO_LATITUDE(loc), MufCalcs::LOCATOR_TO_LONGITUDE(loc)};
}

QString headLine(const SpotTimeParts& t, const QString& line, const char* close)
{
    return t.hhmm + QStringLiteral("z [DX DE ") + line + QLatin1String(close) + t.ddmmmm + crlf;
}

} // namespace

QString dashes()
{
    return QString(80, u'-');
}

QString dots()
{
    return QString(70, u'.');
}

std::optional<SpotTimeParts> timeParts(const QString& col5)
{
    const QDateTime d = readSpotTime(col5);
    if (!d.isValid()) {
        return std::nullopt;
    }
    const QLocale locale;
    return SpotTimeParts{d.toString(QStringLiteral("HH:mm")),
                         u' ' + d.toString(QStringLiteral("dd")) + u' ' +
                             locale.monthName(d.date().month(), QLocale::LongFormat) + u' '};
}

QString elevationRemark(const QString& col18)
{
    const double e = legacy::val(fmt(col18, u"0"));
    if (e < -8) {
        return QStringLiteral(" (WAY BELOW HORIZON!!!!!)");
    }
    if (e < -3) {
        return QStringLiteral(" (Below Horizon....)");
    }
    if (e < 0) {
        return QStringLiteral(" (Below Horizon.. TR/CHORDIAL?)");
    }
    return {};
}

bool doubleHopWanted(const DxcSpotRecord& r, const DoubleHopOptions& o)
{
    if (!(legacy::roundHalfEven(num(r[colQrb1])) >= o.intDoubleHopMinQrb && o.blnCalcDoubleHop)) {
        return false;
    }
    const double f = num(r[colFreq]);
    if (f < 70 && !o.blnDoubleHop50) {
        return false;
    }
    if (f > 69 && f < 144 && !o.blnDoubleHop70) {
        return false;
    }
    if (f > 143 && f < 230 && !o.blnDoubleHop144) {
        return false;
    }
    return true;
}

QString doubleHopSection(const DxcSpotRecord& r, const SpotCalcSettings& s, const MufCalcs& calcs)
{
    const double layer = s.dblCalcLayerHeight;
    const double masl = s.dblCalcMasl;
    const Point home = at(r[colTryFrom]);
    struct Hop
    {
        QString muf, target, qtf, qrb, elevation;
    };
    const auto hop = [&](const QString& fromLoc, const QString& toLoc) {
        const Point a = at(fromLoc);
        const Point b = at(toLoc);
        Hop h;
        h.muf = legacy::format(calcs.CALCULATE_MUF(a.lat, a.lon, b.lat, b.lon,
                                                   calcs.CALCULATE_QRB(a.lat, a.lon, b.lat, b.lon), layer,
                                                   num(r[colFreq]), masl),
                               u"0.0");
        const QString mid = calcs.CALCULATE_MIDLOCATOR(a.lat, a.lon, b.lat, b.lon);
        const Point m = at(mid);
        h.target = calcs.DESTINATION_LOCATOR(home.lat, home.lon, m.lat, m.lon);
        const Point t = at(h.target);
        h.qtf = legacy::numberText(calcs.CALCULATE_QTF(home.lat, home.lon, m.lat, m.lon));
        h.qrb = legacy::numberText(calcs.CALCULATE_QRB(home.lat, home.lon, t.lat, t.lon));
        h.elevation = legacy::numberText(calcs.CALCULATE_ELEVATION(num(h.qrb), layer, masl));
        return h;
    };
    // An empty figure shows as nothing, never as "0".
    const auto whole = [](const QString& text) { return text.isEmpty() ? QString() : fmt(text, u"0"); };
    const Hop one = hop(r[colDxLoc1], r[colCentreLoc]);
    const Hop two = hop(r[colCentreLoc], r[colDxLoc2]);
    QString t = crlf + dots() + crlf;
    t += QStringLiteral(" **Double Hop Calc (1) from ") + r[colDxLoc1] + QStringLiteral(" to ") +
         r[colCentreLoc] + QStringLiteral("**") + crlf;
    t += QStringLiteral("  >MUF=") + one.muf + QStringLiteral("mhz. From ") + r[colTryFrom] +
         QStringLiteral(" try to ") + one.target + QStringLiteral("(qtf=") + whole(one.qtf) +
         QStringLiteral(", El=") + whole(one.elevation) + QStringLiteral(", QRB=") + whole(one.qrb) +
         QStringLiteral("km)<") + crlf;
    t += QStringLiteral(" **Double Hop Calc (2) from ") + r[colCentreLoc] + QStringLiteral(" to ") +
         r[colDxLoc2] + QStringLiteral("**") + crlf;
    t += QStringLiteral("  >MUF=") + two.muf + QStringLiteral("mhz. From ") + r[colTryFrom] +
         QStringLiteral(" try to ") + two.target + QStringLiteral("(qtf=") + whole(two.qtf) +
         QStringLiteral(", El=") + whole(two.elevation) + QStringLiteral(", QRB=") + whole(two.qrb) +
         QStringLiteral(")<");
    return t;
}

std::optional<QString> esReport(const DxcSpotRecord& r, const SpotCalcSettings& s, const DoubleHopOptions& o,
                                const MufCalcs& calcs)
{
    const auto time = timeParts(r[colDxDateTime]);
    if (!time) {
        return std::nullopt;
    }
    QString t = crlf + dashes() + crlf;
    t += headLine(*time, r[colSpotInfo], "]");
    t += QStringLiteral("es from ") + r[colDxLoc1] + QStringLiteral(" to ") + r[colDxLoc2] +
         QStringLiteral(" on ") + fmt(r[colFreq], u"0.000") + QStringLiteral(". (QTF=") +
         fmt(r[colQtf1], u"0") + QStringLiteral(") (El=") + fmt(r[colElev1], u"0") +
         QStringLiteral(") (QRB=") + fmt(r[colQrb1], u"0") + QStringLiteral("km)") + crlf;
    t += QStringLiteral("Centre=") + r[colCentreLoc] + QStringLiteral(" Crit Freq=") +
         fmtSingle(r[colCritFreq], u"0.0") + QStringLiteral("mhz") + crlf;
    t += QStringLiteral("From ") + r[colTryFrom] + QStringLiteral(" try towards ") + r[colTryTo] +
         QStringLiteral("   (QTF=") + fmt(r[colQtf2], u"0") + QStringLiteral(") (El=") +
         fmt(r[colElev2], u"0") + QStringLiteral(") (QRB=") + fmt(r[colQrb2], u"0") + QStringLiteral("km)") +
         crlf;
    t += QStringLiteral("MUF=") + fmtSingle(r[colMuf], u"0.0") + QStringLiteral("mhz  ") +
         QStringLiteral("FOT=") + fmtSingle(r[colFot], u"0.0") + QStringLiteral("mhz") +
         elevationRemark(r[colElev2]);
    if (doubleHopWanted(r, o)) {
        t += doubleHopSection(r, s, calcs);
    }
    return t;
}

QString captionLine(const DxcSpotRecord& r)
{
    return QStringLiteral("MUF @ ") + fmtSingle(r[colMuf], u"0.00") + QStringLiteral("mhz, try to ") +
           r[colTryTo] + QStringLiteral(" (qtf ") + fmt(r[colQtf2], u"0") + QStringLiteral(" / qrb ") +
           fmt(r[colQrb2], u"0") + u')';
}

std::optional<QString> locatorMissingReport(const DxcSpotRecord& r)
{
    const auto time = timeParts(r[colDxDateTime]);
    if (!time) {
        return std::nullopt;
    }
    return crlf + dashes() + crlf + headLine(*time, r[colSpotInfo], "] ") +
           QStringLiteral("***UNKNOWN LOCATOR(S)***");
}

std::optional<QString> vhfReport(const DxcSpotRecord& r, const QString& home, const MufCalcs& calcs)
{
    const auto time = timeParts(r[colDxDateTime]);
    if (!time) {
        return std::nullopt;
    }
    const QString h = home.leftJustified(6, u' ', true);
    QString t = crlf + dashes() + crlf + headLine(*time, r[colSpotInfo], "]");
    t += QStringLiteral("PROPAGATION MODE ~ ***") + r[colSpotMode] + QStringLiteral("***");
    const QString& loc1 = r[colDxLoc1];
    const QString& loc4 = r[colDxLoc2];
    if (!loc1.isEmpty() && !loc4.isEmpty()) {
        t += crlf + QStringLiteral("FROM ") + loc1 + QStringLiteral(" TO ") + loc4 +
             QStringLiteral(": QTF=") + fmt(r[colQtf1], u"0") + QStringLiteral(", QRB=") +
             fmt(r[colQrb1], u"0") + QStringLiteral("km");
    }
    const Point hp = at(h);
    const auto fromHome = [&](const QString& loc, const QString& call) {
        const Point p = at(loc);
        return crlf + QStringLiteral("FROM ") + h + QStringLiteral(" TO ") + loc + QStringLiteral(": QTF=") +
               legacy::format(calcs.CALCULATE_QTF(hp.lat, hp.lon, p.lat, p.lon), u"0") +
               QStringLiteral(", QRB=") +
               legacy::format(calcs.CALCULATE_QRB(hp.lat, hp.lon, p.lat, p.lon), u"0") +
               QStringLiteral("km (") + call + u')';
    };
    if (!loc1.isEmpty()) {
        t += fromHome(loc1, r[colDxCall1]);
    }
    if (!loc4.isEmpty()) {
        t += fromHome(loc4, r[colDxCall2]);
    }
    return t;
}

} // namespace zenthra::spot_reports
