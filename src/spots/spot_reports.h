#pragma once
// The texts a processed spot shows: the sporadic-E report for the MUF window (with its elevation
// remark and the optional double-hop section), the caption's summary line, the report of an ES
// spot whose locators are missing, and the VHF report. Each reads one queued spot record.

#include "spots/spot_queue.h"

#include <QString>
#include <optional>

namespace zenthra {

class MufCalcs;

struct DoubleHopOptions
{
    bool blnCalcDoubleHop = false;
    qint16 intDoubleHopMinQrb = 0;
    bool blnDoubleHop50 = false;
    bool blnDoubleHop70 = false;
    bool blnDoubleHop144 = false;
};

namespace spot_reports {

// 80 "-" and 70 "." characters.
QString dashes();
QString dots();

// Column 5 as "hh:mm" and " dd mmmm " (month name of the default locale); nothing when the
// column holds no date and time.
struct SpotTimeParts
{
    QString hhmm;
    QString ddmmmm;
};
std::optional<SpotTimeParts> timeParts(const QString& col5);

// " (WAY BELOW HORIZON!!!!!)", " (Below Horizon....)", " (Below Horizon.. TR/CHORDIAL?)" or "",
// from column 18 rounded to a whole number.
QString elevationRemark(const QString& col18);

// Whether the double-hop section is appended: distance and master switch, then the band switches.
bool doubleHopWanted(const DxcSpotRecord& r, const DoubleHopOptions& o);

// The ES report (rows 1-7 and, when wanted, the double-hop section). Nothing when column 5 holds
// no date and time.
std::optional<QString> esReport(const DxcSpotRecord& r, const SpotCalcSettings& s, const DoubleHopOptions& o,
                                const MufCalcs& calcs);
QString doubleHopSection(const DxcSpotRecord& r, const SpotCalcSettings& s, const MufCalcs& calcs);
// "MUF @ ..." for the caption.
QString captionLine(const DxcSpotRecord& r);
std::optional<QString> locatorMissingReport(const DxcSpotRecord& r);
// `home` is the checked home locator ("" when invalid; shown padded to six characters).
std::optional<QString> vhfReport(const DxcSpotRecord& r, const QString& home, const MufCalcs& calcs);

} // namespace spot_reports

} // namespace zenthra
