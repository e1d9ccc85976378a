#include "muf_calcs.h"

#include "core/error_log.h"
#include "platform/legacy_value.h"

#include <cmath>
#include <initializer_list>
#include <limits>

namespace zenthra {

namespace {

// The circle constant as users' stored figures were computed with it: deliberately not the
// full-precision value, so that bearings and locators come out the same as they always have.
constexpr double pi = 3.14159265358979;
constexpr double twoPi = 6.28318530717958;
constexpr double earthRadius = 6371.291;
constexpr double earthDiameter = 12742.582;
constexpr double earthRadiusSquared = 40593349.006681;
// Bearings have always been given 0.49 degree above the geometric value; stored figures rely on it.
constexpr double bearingOffset = 0.49;

// Error numbers as the log has always carried them.
constexpr double errInvalidArgument = 5; // square root of a negative number
constexpr double errOverflow = 6;        // overflow, 0/0, a value that is no number
constexpr double errDivisionByZero = 11;

// Thrown by the checked arithmetic below and caught in the same function that started the
// calculation: it never leaves this file.
struct ArithmeticFault
{
    double number;
};

double finite(double value)
{
    if (!std::isfinite(value)) {
        throw ArithmeticFault{errOverflow};
    }
    return value;
}

double quotient(double dividend, double divisor)
{
    if (divisor == 0) {
        throw ArithmeticFault{dividend == 0 ? errOverflow : errDivisionByZero};
    }
    return finite(dividend / divisor);
}

double root(double value)
{
    if (value < 0) {
        throw ArithmeticFault{errInvalidArgument};
    }
    return finite(std::sqrt(value));
}

qint16 toInteger(double value)
{
    const auto converted = legacy::toInt16(value);
    if (!converted) {
        throw ArithmeticFault{errOverflow};
    }
    return *converted;
}

float toSingle(double value)
{
    if (std::fabs(value) > std::numeric_limits<float>::max()) {
        throw ArithmeticFault{errOverflow};
    }
    return static_cast<float>(value);
}

// 1 - c^2 for the cosine of a central angle. Nearly coincident and nearly antipodal points can leave |c| a
// rounding step above 1; that is an angle of 0 or pi, not a square root of a negative number.
double sineSquared(double cosine)
{
    const double value = 1 - cosine * cosine;
    return value < 0 ? 0 : value;
}

// The cosine of a path's central angle. For many pairs of identical points the formula comes out a
// rounding step below 1, which would give the path a length of 0.1 m and a bearing of 180 degrees;
// identical points are a path of length 0.
double centralCosine(double lat1, double lon1, double lat2, double lon2, double formula)
{
    return lat1 == lat2 && lon1 == lon2 ? 1 : finite(formula);
}

double toRadians(double degrees)
{
    return (pi / 180) * degrees;
}

QString callText(const char* name, std::initializer_list<double> arguments)
{
    QString text = QLatin1String(name) + u'(';
    bool first = true;
    for (const double argument : arguments) {
        if (!first) {
            text += QLatin1String(", ");
        }
        text += legacy::numberText(argument);
        first = false;
    }
    return text + u')';
}

QChar letter(int number)
{
    return QChar(u'A' + number);
}

bool inRange(QChar character, char16_t low, char16_t high)
{
    return character.unicode() >= low && character.unicode() <= high;
}

int code(QChar character)
{
    return character.unicode();
}

} // namespace

MufCalcs::MufCalcs(ErrorLog& log) : m_log(log) {}

void MufCalcs::logFault(double number, const QString& text) const
{
    m_log.WRITE_ERROR_LOG(number, text);
}

QString MufCalcs::CHECK_LOCATOR_SYNTAX(QString& loc) const
{
    if (loc.size() < 4) {
        return {};
    }
    QString normalised = QStringView(loc).left(6).toString();
    if (normalised.size() < 6) {
        normalised += QStringView(u"MM").left(6 - normalised.size());
    }
    loc = std::move(normalised).toUpper();
    // Upper-casing can change the length of non-ASCII text; such a text is no locator anyway.
    const bool valid = loc.size() == 6 && inRange(loc[0], u'A', u'R') && inRange(loc[1], u'A', u'R') &&
                       inRange(loc[2], u'0', u'9') && inRange(loc[3], u'0', u'9') &&
                       inRange(loc[4], u'A', u'X') && inRange(loc[5], u'A', u'X');
    return valid ? loc : QString();
}

double MufCalcs::LOCATOR_TO_LATITUDE(QStringView loc)
{
    if (loc.size() < 6) {
        return 0;
    }
    const int whole = (code(loc[1]) - 65) * 10 - 90 + (code(loc[3]) - 48);
    return toRadians(whole + (code(loc[5]) - 65) * (1.0 / 24) + 1.0 / 48);
}

double MufCalcs::LOCATOR_TO_LONGITUDE(QStringView loc)
{
    if (loc.size() < 5) {
        return 0;
    }
    const int whole = (code(loc[0]) - 65) * 20 - 180 + (code(loc[2]) - 48) * 2;
    return toRadians(whole + (code(loc[4]) - 65) / 12.0 + 1.0 / 24);
}

double MufCalcs::RADIAN_DEGREES(double x) const
{
    try {
        return finite((180 / pi) * x);
    } catch (const ArithmeticFault& fault) {
        logFault(fault.number, callText("RADIAN_DEGREES", {x}));
        return 0;
    }
}

double MufCalcs::DEGREES_RADIAN(double x) const
{
    try {
        return finite(toRadians(x));
    } catch (const ArithmeticFault& fault) {
        logFault(fault.number, callText("DEGREES_RADIAN", {x}));
        return 0;
    }
}

double MufCalcs::EARTH_RADIUS(double lat1, double lat2) const
{
    try {
        return finite((std::sin(lat1 + lat2 - pi / 2) * 0.56 + 111.1451) * (180 / pi));
    } catch (const ArithmeticFault& fault) {
        logFault(fault.number, callText("EARTH_RADIUS", {lat1, lat2}));
        return 0;
    }
}

double MufCalcs::CALCULATE_QRB(double lat1, double lon1, double lat2, double lon2) const
{
    try {
        const double c = centralCosine(lat1, lon1, lat2, lon2,
                                       std::cos(lon1 - lon2) * std::cos(lat1) * std::cos(lat2) +
                                           std::sin(lat2) * std::sin(lat1));
        double d = std::atan(std::fabs(quotient(root(sineSquared(c)), c)));
        if (c < 0) {
            d = pi - d;
        }
        return finite(EARTH_RADIUS(lat1, lat2) * d);
    } catch (const ArithmeticFault& fault) {
        logFault(fault.number, callText("CALCULATE_QRB", {lat1, lon1, lat2, lon2}));
        return 0;
    }
}

double MufCalcs::CALCULATE_QTF(double lat1, double lon1, double lat2, double lon2) const
{
    // An overflow or 0/0 skips only the statement it happens in and the bearing goes on with the
    // values it has: that is how two coincident points come out as 0.49 without a log line.
    // Any other fault ends the calculation.
    const auto skippingOverflow = [](double& target, const auto& compute) {
        try {
            target = compute();
        } catch (const ArithmeticFault& fault) {
            if (fault.number != errOverflow) {
                throw;
            }
        }
    };
    try {
        double c = 0;
        double d = 0;
        double y = 0;
        double x = 0;
        double az = 0;
        skippingOverflow(c, [&] {
            return centralCosine(lat1, lon1, lat2, lon2,
                                 std::cos(lon1 - lon2) * std::cos(lat1) * std::cos(lat2) +
                                     std::sin(lat2) * std::sin(lat1));
        });
        skippingOverflow(d, [&] { return std::atan(std::fabs(quotient(root(sineSquared(c)), c))); });
        if (c < 0) {
            d = pi - d;
        }
        skippingOverflow(y, [&] { return finite(std::sin(lon2 - lon1) * std::cos(lat2) * std::cos(lat1)); });
        skippingOverflow(x, [&] { return finite(std::sin(lat2) - std::sin(lat1) * std::cos(d)); });
        skippingOverflow(az, [&] { return std::atan(std::fabs(quotient(y, x))); });
        if (x < 0) {
            az = pi - az;
        }
        if (y < 0) {
            az = -az;
        }
        if (az < 0) {
            az = 2 * pi + az;
        }
        return RADIAN_DEGREES(az) + bearingOffset;
    } catch (const ArithmeticFault& fault) {
        logFault(fault.number, callText("CALCULATE_QTF", {lat1, lon1, lat2, lon2}));
        return 0;
    }
}

QString MufCalcs::CALCULATE_MIDLOCATOR(double lat1, double lon1, double lat2, double lon2) const
{
    try {
        const double sinHalfLon = std::sin((lon1 - lon2) / 2);
        const double sinHalfLat = std::sin((lat1 - lat2) / 2);
        const double h =
            finite(sinHalfLon * sinHalfLon * (std::cos(lat2) * std::cos(lat1)) + sinHalfLat * sinHalfLat);
        const double d = 2 * Asin(root(h));
        // The fractions of the path taken from either end; both are one half here.
        const double a = quotient(std::sin(d * 0.5), std::sin(d));
        const double b = quotient(std::sin(d * 0.5), std::sin(d));
        const double x = finite(std::cos(lat2) * b * std::cos(lon2) + std::cos(lat1) * a * std::cos(lon1));
        const double y = finite(std::cos(lat2) * b * std::sin(lon2) + std::cos(lat1) * a * std::sin(lon1));
        const double z = finite(std::sin(lat2) * b + std::sin(lat1) * a);
        const double lat = Atan2(z, root(x * x + y * y));
        const double lon = Atan2(y, x);
        return CALCULATE_LOCATOR(RADIAN_DEGREES(lat), RADIAN_DEGREES(lon));
    } catch (const ArithmeticFault& fault) {
        logFault(fault.number, callText("CALCULATE_MIDLOCATOR", {lat1, lon1, lat2, lon2}));
        return {};
    }
}

QString MufCalcs::CALCULATE_LOCATOR(double latDeg, double lonDeg) const
{
    try {
        double u = finite((lonDeg + 180) / 20);
        double v = finite((latDeg + 90) / 10);
        // Field numbers are held in single precision, digits and subsquares as 16-bit integers;
        // a value outside those ranges is an overflow.
        float fx = toSingle(std::floor(u));
        float fy = toSingle(std::floor(v));
        u = (u - fx) * 10;
        v = (v - fy) * 10;
        const qint16 sx = toInteger(std::floor(u));
        const qint16 sy = toInteger(std::floor(v));
        qint16 ux = toInteger(std::floor((u - sx) * 24));
        qint16 uy = toInteger(std::floor((v - sy) * 24));
        // The fields clamp at the edges of the grid; digits and subsquares keep the values
        // computed before, which is what puts the poles and the 180th meridian in RR00AA.
        fx = fx < 0 ? 0 : (fx > 17 ? 17 : fx);
        fy = fy < 0 ? 0 : (fy > 17 ? 17 : fy);
        ux = ux > 23 ? 23 : ux;
        uy = uy > 23 ? 23 : uy;
        const QChar fieldX = letter(static_cast<int>(fx));
        const QChar fieldY = letter(static_cast<int>(fy));
        if (sx >= 0 && sx <= 9 && sy >= 0 && sy <= 9) {
            const QChar text[] = {fieldX, fieldY, QChar(u'0' + sx), QChar(u'0' + sy), letter(ux), letter(uy)};
            return QString(text, 6);
        }
        return QString(fieldX) + fieldY + QString::number(sx) + QString::number(sy) + letter(ux) + letter(uy);
    } catch (const ArithmeticFault& fault) {
        logFault(fault.number, callText("CALCULATE_LOCATOR", {latDeg, lonDeg}));
        return {};
    }
}

double MufCalcs::CALCULATE_ELEVATION(double qrb, double layerHeight, double masl) const
{
    try {
        const double stationHeight = masl * 0.001;
        // Half the central angle of the path.
        const double t = finite(qrb / earthDiameter);
        const double tanT = std::tan(t);
        const double s = root(tanT * tanT + 1);
        // Height of the reflection point above the station's horizontal plane.
        const double hr = finite(layerHeight - (s - 1) * earthRadius);
        const double slant =
            root(hr * hr + (tanT * tanT * earthRadiusSquared + hr * earthDiameter * tanT * std::sin(t)));
        const double q = quotient(std::cos(t) * hr, slant);
        const double phi = std::atan(quotient(q, root(1 - q * q)));
        const double el = std::atan(quotient(std::sin(phi) * slant - stationHeight, std::cos(phi) * slant));
        return RADIAN_DEGREES(el);
    } catch (const ArithmeticFault& fault) {
        logFault(fault.number, callText("CALCULATE_ELEVATION", {qrb, layerHeight, masl}));
        return 0;
    }
}

QString MufCalcs::DESTINATION_LOCATOR(double lat1, double lon1, double lat2, double lon2) const
{
    try {
        double dlon = lon1 - lon2;
        if (dlon < -pi) {
            dlon += twoPi;
        }
        if (dlon > pi) {
            dlon -= twoPi;
        }
        const double d = Acos(centralCosine(lat1, lon1, lat2, lon2,
                                            std::cos(lat2) * std::cos(lat1) * std::cos(dlon) +
                                                std::sin(lat2) * std::sin(lat1)));
        // Magnitude of the bearing only; the sign of dlon tells east from west below.
        const double bearing =
            Acos(quotient(std::sin(lat2) - std::cos(d) * std::sin(lat1), std::sin(d) * std::cos(lat1)));
        const double lat3 = Asin(
            finite(std::cos(lat1) * std::cos(bearing) * std::sin(2 * d) + std::cos(2 * d) * std::sin(lat1)));
        const double g =
            quotient(std::cos(2 * d) - std::sin(lat3) * std::sin(lat1), std::cos(lat3) * std::cos(lat1));
        const double dL = g == 1 ? 0 : -Acos(g);
        double lon3 = lon1;
        if (dlon > 0) {
            lon3 = lon1 + dL;
        } else if (dlon < 0) {
            lon3 = lon1 - dL;
        }
        // A destination past the 180th meridian lies on the other side of it, not at the edge
        // of the grid.
        double lon3Deg = RADIAN_DEGREES(lon3);
        if (lon3Deg >= 180 || lon3Deg < -180) {
            lon3Deg -= 360 * std::floor((lon3Deg + 180) / 360);
            if (lon3Deg >= 180) {
                lon3Deg -= 360;
            }
        }
        return CALCULATE_LOCATOR(RADIAN_DEGREES(lat3), lon3Deg);
    } catch (const ArithmeticFault& fault) {
        logFault(fault.number, callText("DESTINATION_LOCATOR", {lat1, lon1, lat2, lon2}));
        return {};
    }
}

double MufCalcs::Acos(double x) const
{
    try {
        if (x >= 1) {
            return 0;
        }
        if (x <= -1) {
            return pi;
        }
        return finite(std::atan(quotient(-x, root(-x * x + 1))) + 2 * std::atan(1.0));
    } catch (const ArithmeticFault& fault) {
        logFault(fault.number, callText("Acos", {x}));
        return 0;
    }
}

double MufCalcs::Asin(double x) const
{
    try {
        return std::atan(quotient(x, root(-x * x + 1)));
    } catch (const ArithmeticFault& fault) {
        logFault(fault.number, callText("Asin", {x}));
        return 0;
    }
}

double MufCalcs::Atan2(double y, double x) const
{
    try {
        finite(x);
        finite(y);
        if (x > 0) {
            return std::atan(quotient(y, x));
        }
        if (x < 0) {
            const double angle = std::atan(quotient(y, x));
            return y >= 0 ? angle + pi : angle - pi;
        }
        return y > 0 ? pi / 2 : -pi / 2;
    } catch (const ArithmeticFault& fault) {
        logFault(fault.number, callText("Atan2", {x, y}));
        return 0;
    }
}

namespace {

struct Secants
{
    double grazing; // of the ray that leaves the ground horizontally: the largest possible
    double path;    // of the ray that makes this path in one hop
};

// The geometry shared by the critical frequency and the MUF: secants of the angle of incidence at
// a thin layer above the path's mid-point. The station height raises the ground by half of it.
Secants incidenceSecants(const MufCalcs& calcs, double lat1, double lon1, double lat2, double lon2,
                         double layerHeight, double masl)
{
    double dlon = lon1 - lon2;
    if (dlon < -pi) {
        dlon += twoPi;
    }
    if (dlon > pi) {
        dlon -= twoPi;
    }
    const double d = calcs.Acos(
        centralCosine(lat1, lon1, lat2, lon2,
                      std::cos(lat2) * std::cos(lat1) * std::cos(dlon) + std::sin(lat2) * std::sin(lat1)));
    const double height = finite(layerHeight - masl * 0.001 / 2);
    const double grazing =
        quotient(1, std::cos(pi / 2 - calcs.Acos(quotient(earthRadius, height + earthRadius))));
    const double tanIncidence =
        quotient(std::sin(d / 2), height + (earthRadius - std::cos(d / 2) * earthRadius)) * earthRadius;
    const double path = quotient(1, std::cos(std::atan(finite(tanIncidence))));
    return {grazing, path};
}

} // namespace

double MufCalcs::CALCULATE_CRITFREQ(double lat1, double lon1, double lat2, double lon2, double qrb,
                                    double elevation, double freq, double layerHeight, double masl) const
{
    try {
        const Secants sec = incidenceSecants(*this, lat1, lon1, lat2, lon2, layerHeight, masl);
        return quotient(quotient(finite(sec.grazing * freq), sec.path), sec.grazing);
    } catch (const ArithmeticFault& fault) {
        logFault(fault.number, callText("CALCULATE_CRITFREQ", {qrb, elevation, freq, layerHeight, masl}));
        return 0;
    }
}

double MufCalcs::CALCULATE_MUF(double lat1, double lon1, double lat2, double lon2, double qrb,
                               double layerHeight, double freq, double masl) const
{
    try {
        const Secants sec = incidenceSecants(*this, lat1, lon1, lat2, lon2, layerHeight, masl);
        return quotient(finite(sec.grazing * freq), sec.path);
    } catch (const ArithmeticFault& fault) {
        logFault(fault.number, callText("CALCULATE_MUF", {qrb, layerHeight, freq}));
        return 0;
    }
}

double MufCalcs::CALCULATE_FOT(double qrb2, double qrb, double elevation, double layerHeight, double muf,
                               double freq, double masl, double critFreq) const
{
    // The path lengths are part of the calculators' common argument list but do not enter here.
    Q_UNUSED(qrb2);
    Q_UNUSED(qrb);
    try {
        // (1 - sin(elevation))^2: a flat ray weighs fully towards the MUF, a steep one not at all.
        const double lift = 1 + std::cos(2 * (elevation / 360) * pi + pi / 2);
        const double weight = finite(lift * lift);
        double fot = finite((weight * (muf - critFreq) + critFreq) * 1.047);
        if (fot > muf) {
            fot = muf;
        }
        if (!(fot >= critFreq)) {
            fot = critFreq;
        }
        return fot;
    } catch (const ArithmeticFault& fault) {
        logFault(fault.number,
                 callText("CALCULATE_FOT", {elevation, layerHeight, muf, freq, masl, critFreq}));
        return 0;
    }
}

} // namespace zenthra
