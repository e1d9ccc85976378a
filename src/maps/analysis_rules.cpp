#include "maps/analysis_rules.h"

#include "maps/map_query.h"
#include "platform/legacy_value.h"
#include "propagation/muf_calcs.h"

#include <array>

namespace zenthra {

namespace {

const QString crlf = QStringLiteral("\r\n");

// Month and day names of the reports are English whatever the user's locale.
const QLocale& english()
{
    static const QLocale c = QLocale::c();
    return c;
}

struct Band
{
    const char* name;
    const char* spots;     // tblAllSpots
    const char* sporadicE; // tblSPOT
};

// The bounds overlap and leave gaps as users know them; the sporadic-E results hold no MUF above
// 300 MHz, so the bands above that match no row there.
constexpr std::array<Band, 20> bands{{
    {"ALL", " Spot_Freq >0 ", " Freq > 0 "},
    {"VHF", " (Spot_Freq > 30 AND Spot_Freq < 300) ", " (Freq > 30 AND Freq < 300) "},
    {"HF", " (Spot_Freq > 1 AND Spot_Freq < 50) ", " (Freq > 1 AND Freq < 50) "},
    {"LF", " (Spot_Freq > 0 AND Spot_Freq <= 1) ", " (Freq > 0 AND Freq <=1) "},
    {"160M", " (Spot_Freq > 1 AND Spot_Freq <= 2) ", " (Freq > 1 AND Freq <= 2) "},
    {"80M", " (Spot_Freq > 2 AND Spot_Freq <= 6) ", " (Freq > 2 AND Freq <= 6) "},
    {"40M", " (Spot_Freq > 6 AND Spot_Freq <= 8) ", " (Freq > 6 AND Freq <= 8) "},
    {"30M", " (Spot_Freq > 8 AND Spot_Freq <= 13) ", " (Freq > 8 AND Freq <= 13) "},
    {"20M", " (Spot_Freq > 13 AND Spot_Freq <= 16) ", " (Freq > 13 AND Freq <= 16) "},
    {"17M", " (Spot_Freq > 16 AND Spot_Freq <= 20) ", " (Freq > 16 AND Freq <= 20) "},
    {"15M", " (Spot_Freq > 20 AND Spot_Freq <= 23) ", " (Freq > 20 AND Freq <= 23) "},
    {"12M", " (Spot_Freq > 23 AND Spot_Freq <= 26) ", " (Freq > 23 AND Freq <= 26) "},
    {"10M", " (Spot_Freq > 26 AND Spot_Freq <= 30) ", " (Freq > 26 AND Freq <= 30) "},
    {"6M", " (Spot_Freq > 49 AND Spot_Freq < 60) ", " (Freq > 49 AND Freq < 60) "},
    {"4M", " (Spot_Freq > 60 AND Spot_Freq < 90) ", " (Freq > 60 AND Freq < 90) "},
    {"2M", " (Spot_Freq > 120 AND Spot_Freq < 160) ", " (Freq > 120 AND Freq < 160) "},
    {"1M", " (Spot_Freq > 160 AND Spot_Freq < 300) ", " (Freq > 160 AND Freq < 300) "},
    {"70CM", " (Spot_Freq > 400 AND Spot_Freq < 600) ", " (Freq = 0) "},
    {"23CM", " (Spot_Freq > 900 AND Spot_Freq < 2000) ", " (Freq = 0) "},
    {"SHF", " (Spot_Freq > 1999) ", " (Freq = 0) "},
}};

QString dashes()
{
    return QString(80, u'-') + crlf;
}

QString whole(double value)
{
    return legacy::format(value, u"0");
}

} // namespace

std::optional<QTime> analysisTime(const QString& text)
{
    const QString t = text.trimmed();
    for (const char* format : {"H:m", "H:m:s"}) {
        if (const QTime time = QTime::fromString(t, QString::fromLatin1(format)); time.isValid()) {
            return time;
        }
    }
    return std::nullopt;
}

AnalysisRange analysisRange(const QString& date, const QString& start, const QString& finish,
                            const QDate& utcToday, const QLocale& locale)
{
    const QDate day = mapDate(date, locale).value_or(utcToday);
    const QTime from = analysisTime(start).value_or(QTime(0, 0, 0));
    const QTime to = analysisTime(finish).value_or(QTime(23, 59, 59));
    return {QDateTime(day, from, Qt::UTC), QDateTime(day, to, Qt::UTC)};
}

int analysisCount(const QString& text)
{
    const std::optional<qint16> count = legacy::toInt16(legacy::val(text));
    // SQL reads a negative limit as no limit at all; a count below 1 gets the default instead.
    return count && *count >= 1 ? *count : defaultAnalysisCount;
}

const QStringList& analysisBands()
{
    static const QStringList names = [] {
        QStringList list;
        for (const Band& b : bands) {
            list << QString::fromLatin1(b.name);
        }
        return list;
    }();
    return names;
}

std::optional<QString> bandCondition(const QString& band, bool sporadicE)
{
    for (const Band& b : bands) {
        if (band == QLatin1String(b.name)) {
            return QString::fromLatin1(sporadicE ? b.sporadicE : b.spots);
        }
    }
    return std::nullopt;
}

QString directionText(bool descending)
{
    return descending ? QStringLiteral(" DESC ") : QStringLiteral(" ASC ");
}

QString orderText(SortColumn column, bool descending)
{
    const char* name = column == SortColumn::Muf   ? " MUF "
                       : column == SortColumn::Fot ? " FOT "
                                                   : " DxDateTime ";
    return QString::fromLatin1(name) + directionText(descending);
}

QString analysisHeader(const QString& mode, const QString& band, const QString& direction,
                       const QDateTime& start, const QDateTime& end)
{
    QString first = mode + QStringLiteral(" MODE ANALYSIS FOR ") + band.trimmed().toUpper() +
                    QStringLiteral(" (MHZ), ORDER BY ") + direction.trimmed();
    first.replace(QLatin1String("  "), QLatin1String(" "));
    return first + crlf + QStringLiteral("ANALYSIS FOR DATE: ") +
           english().toString(start, QStringLiteral("dddd dd MMMM yyyy")).toUpper() +
           QStringLiteral(" between ") + start.toString(QStringLiteral("HH:mm")) + QStringLiteral(" and ") +
           end.toString(QStringLiteral("HH:mm")) + crlf + crlf;
}

QString elevationRemark(float elev2)
{
    const double shown = legacy::val(legacy::format(elev2, u"0"));
    if (shown < -8) {
        return QStringLiteral(" (WAY BELOW HORIZON!!!!!)");
    }
    if (shown < -3) {
        return QStringLiteral(" (Below Horizon....)");
    }
    if (shown < 0) {
        return QStringLiteral(" (Below Horizon.. TR/CHORDIAL?)");
    }
    return {};
}

QString sporadicEBlock(const SporadicERow& r)
{
    using legacy::format;
    return english().toString(r.dxDateTime, QStringLiteral("dd MMM yy HH:mm")) + QStringLiteral("z [DX DE ") +
           r.spotInfo + u']' + crlf + QStringLiteral("es from ") + r.dxLoc1 + QStringLiteral(" to ") +
           r.dxLoc2 + QStringLiteral(" on ") + format(r.freq, u"0.00") + QStringLiteral(". (QTF=") +
           format(r.qtf1, u"0") + QStringLiteral(") (El=") + format(r.elev1, u"0") +
           QStringLiteral(") (QRB=") + format(r.qrb1, u"0") + QStringLiteral("km)") + crlf +
           QStringLiteral("Centre=") + r.centreLoc + QStringLiteral(" Crit Freq=") +
           format(r.critFreq, u"0.0") + QStringLiteral("mhz") + crlf + QStringLiteral("From ") + r.tryFrom +
           QStringLiteral(" try towards ") + r.tryTo + QStringLiteral("   (QTF=") + format(r.qtf2, u"0") +
           QStringLiteral(") (El=") + format(r.elev2, u"0") + QStringLiteral(") (QRB=") +
           format(r.qrb2, u"0") + QStringLiteral("km)") + crlf + QStringLiteral("MUF=") +
           format(r.muf, u"0.0") + QStringLiteral("mhz  FOT=") + format(r.fot, u"0.0") +
           QStringLiteral("mhz") + elevationRemark(r.elev2) + crlf + dashes();
}

QString allSpotsBlock(const AllSpotsRow& r, const QString& home, const MufCalcs& calcs)
{
    const auto path = [&](const QString& from, const QString& to) {
        const double lat1 = MufCalcs::LOCATOR_TO_LATITUDE(from);
        const double lon1 = MufCalcs::LOCATOR_TO_LONGITUDE(from);
        const double lat2 = MufCalcs::LOCATOR_TO_LATITUDE(to);
        const double lon2 = MufCalcs::LOCATOR_TO_LONGITUDE(to);
        return QStringLiteral("FROM ") + from + QStringLiteral(" TO ") + to + QStringLiteral(": QTF=") +
               whole(calcs.CALCULATE_QTF(lat1, lon1, lat2, lon2)) + QStringLiteral(", QRB=") +
               whole(calcs.CALCULATE_QRB(lat1, lon1, lat2, lon2)) + QStringLiteral("km");
    };
    QString block = english().toString(r.spotDate, QStringLiteral("dd MMM yyyy HH:mm")) +
                    QStringLiteral("z [DX DE ") + r.detail + u']' + crlf +
                    QStringLiteral("PROPAGATION MODE ~ ***") + r.mode + QStringLiteral("***") + crlf;
    if (!r.loc1.isEmpty() && !r.loc2.isEmpty()) {
        block += path(r.loc1, r.loc2) + crlf;
    }
    if (!home.isEmpty()) {
        if (!r.loc1.isEmpty()) {
            block += path(home, r.loc1) + QStringLiteral(" (") + r.call1 + u')' + crlf;
        }
        if (!r.loc2.isEmpty()) {
            block += path(home, r.loc2) + QStringLiteral(" (") + r.call2 + u')' + crlf;
        }
    }
    return block + dashes();
}

QString analysisDateTimeText(const QDateTime& utc)
{
    return english().toString(utc, QStringLiteral("dd MMM yyyy HH:mm:ss"));
}

int announceCount(const QString& text)
{
    const double value = legacy::val(text);
    if (value < 5 || value > 9999) {
        return 5;
    }
    return legacy::toInt16(value).value_or(5);
}

QString announceHeader(const QDate& date, bool bulletinsOnly)
{
    return (bulletinsOnly ? QStringLiteral("WWV / WCY ") : QString()) +
           QStringLiteral("ANNOUNCEMENTS FOR DATE: ") +
           english().toString(date, QStringLiteral("dddd dd MMMM yyyy")).toUpper() + crlf + crlf;
}

QString announceLine(const QDateTime& annDate, const QString& text)
{
    return u'[' + annDate.toString(QStringLiteral("HHmm")) + QStringLiteral("z] ") + text + crlf;
}

} // namespace zenthra
