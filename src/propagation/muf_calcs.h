#pragma once
// Maidenhead locators, great-circle geometry of a path and the sporadic-E figures derived from it
// (critical frequency, MUF, FOT). Every path calculation of the program goes through here.
//
// The functions keep no state. A failing calculation (division by zero, overflow, square root of
// a negative number) is written to the error log with the function's arguments and yields 0 or
// the empty text; no NaN or infinity ever comes out. Angles are radians unless a name or comment
// says degrees; distances are kilometres, station heights metres, frequencies MHz.

#include <QString>
#include <QStringView>

namespace zenthra {

class ErrorLog;

class MufCalcs
{
public:
    explicit MufCalcs(ErrorLog& log);

    // Pads a 4- or 5-character locator with the centre subsquare "MM", cuts a longer one to six
    // characters and upper-cases it, writing the result back into `loc` even when it is then
    // rejected. Returns the normalised locator, or "" when it is not a valid one.
    QString CHECK_LOCATOR_SYNTAX(QString& loc) const;

    // Centre of the locator's subsquare. Read without checks; a text too short for the character
    // read gives 0.
    static double LOCATOR_TO_LATITUDE(QStringView loc);
    static double LOCATOR_TO_LONGITUDE(QStringView loc);

    double RADIAN_DEGREES(double x) const;
    double DEGREES_RADIAN(double x) const;

    // Kilometres per radian of arc for a path between the two latitudes.
    double EARTH_RADIUS(double lat1, double lat2) const;

    // Great-circle distance in km.
    double CALCULATE_QRB(double lat1, double lon1, double lat2, double lon2) const;
    // Initial bearing from point 1 to point 2 in degrees, plus 0.49 (0.49..360.49).
    double CALCULATE_QTF(double lat1, double lon1, double lat2, double lon2) const;
    // Locator of the path's mid-point.
    QString CALCULATE_MIDLOCATOR(double lat1, double lon1, double lat2, double lon2) const;
    // Locator of a point given in degrees.
    QString CALCULATE_LOCATOR(double latDeg, double lonDeg) const;
    // Elevation angle in degrees of a one-hop path of `qrb` km via a layer `layerHeight` km high,
    // seen from a station `masl` metres above sea level.
    double CALCULATE_ELEVATION(double qrb, double layerHeight, double masl) const;
    // Locator of the point twice as far from point 1 as point 2 is, on the same bearing.
    QString DESTINATION_LOCATOR(double lat1, double lon1, double lat2, double lon2) const;

    double Acos(double x) const;
    double Asin(double x) const;
    double Atan2(double y, double x) const;

    // Critical frequency of the layer at the path's mid-point for a signal heard on `freq`.
    double CALCULATE_CRITFREQ(double lat1, double lon1, double lat2, double lon2, double qrb,
                              double elevation, double freq, double layerHeight, double masl) const;
    // Highest frequency the layer carries over one hop, from the same observation.
    double CALCULATE_MUF(double lat1, double lon1, double lat2, double lon2, double qrb, double layerHeight,
                         double freq, double masl) const;
    // Frequency of optimum traffic for a station whose path to the reflection point has the given
    // elevation. Only elevation, muf and critFreq enter the result.
    double CALCULATE_FOT(double qrb2, double qrb, double elevation, double layerHeight, double muf,
                         double freq, double masl, double critFreq) const;

private:
    void logFault(double number, const QString& text) const;

    ErrorLog& m_log;
};

} // namespace zenthra
