#include "prop_classifier.h"

#include "core/error_log.h"
#include "platform/legacy_value.h"
#include "propagation/prop_keywords.h"

#include <cmath>

namespace zenthra {

namespace {

const QString ES = QStringLiteral("ES");
const QString TROPO = QStringLiteral("TROPO");
const QString F2 = QStringLiteral("F2");
const QString UNKNOWN = QStringLiteral("UNKNOWN");
const QString DIGI = QStringLiteral("DIGI");

// The DX calls that name a mode outright (compared whole and case-sensitively).
QString callOverride(const QString& dxCall)
{
    if (dxCall == u"MUF" || dxCall == u"ES" || dxCall == u"SPORADIC") {
        return ES;
    }
    if (dxCall == u"AURORA") {
        return QStringLiteral("AU");
    }
    for (const char* mode : {"FAI", "EME", "TROPO", "IONO"}) {
        if (dxCall == QLatin1String(mode)) {
            return QString::fromLatin1(mode);
        }
    }
    return {};
}

// The band and distance rules. F in MHz, Q in km; the user limits are compared with Q in single
// precision, the fixed bounds with Q as it is.
void bandRules(QString& r, double f, double q, const ClassifierOptions& o)
{
    const float qs = static_cast<float>(q);
    const bool empty = r.isEmpty();
    const bool es = r == ES;
    if (f < 50) {
        if (q == 0) {
            if (empty) {
                r = F2;
            }
        } else if (q > 0 && q < 80) {
            if (es) {
                r = TROPO;
            }
        } else if (q >= 80 && q < 1000) {
            if (empty) {
                r = UNKNOWN;
            }
        } else if (q >= 1000 && q <= 5200) {
            if (empty) {
                r = F2;
            }
        } else if (q > 5200) {
            r = F2;
        }
    } else if (f < 70) {
        if (q == 0) {
            if (empty) {
                r = UNKNOWN;
            }
        } else if (q > 0 && q < 110) {
            if (es) {
                r = TROPO;
            }
        } else if (q >= 110 && empty) {
            if (qs > o.sngMaxEsQrb6m) {
                r = F2;
            } else if (o.sngMinEsQrb6m > 0 && qs >= o.sngMinEsQrb6m) {
                r = ES;
            } else {
                r = TROPO;
            }
        }
        if (f > 50.219 && f <= 50.3 && o.blnDigiJt6m) {
            r = DIGI;
        }
    } else if (f < 144) {
        if (q == 0) {
            if (empty) {
                r = UNKNOWN;
            }
        } else if (q > 0 && q < 280) {
            if (es) {
                r = TROPO;
            }
        } else if (q > 5200) {
            r = F2;
        } else if (q >= 280 && empty) {
            r = (o.sngMinEsQrb4m > 0 && qs >= o.sngMinEsQrb4m) ? ES : TROPO;
        }
    } else if (f < 150) {
        if (q == 0) {
            if (empty) {
                r = UNKNOWN;
            }
        } else if (q > 0 && q < 720) {
            if (es) {
                r = TROPO;
            }
        } else if (q >= 720 && empty) {
            if (qs < o.sngMinEsQrb2m) {
                r = TROPO;
            } else if (q > 5200) {
                r = UNKNOWN;
            }
        }
        if (f >= 144.345 && f <= 144.4 && o.blnDigiWsjt) {
            r = DIGI;
        } else if (f >= 144.1 && f <= 144.15 && o.blnDigiJt65) {
            r = DIGI;
        }
        if (o.blnEs2mWindows && o.sngMinEsQrb2m > 0 && qs >= o.sngMinEsQrb2m && r.isEmpty()) {
            if ((f > 144.26 && f < 144.34) || (f > 144.045 && f < 144.065)) {
                r = ES;
            }
        }
        if (r.isEmpty()) {
            r = TROPO;
        }
    } else if (f < 240) {
        if (q == 0) {
            if (empty) {
                r = UNKNOWN;
            }
        } else if (q > 0 && q < 1399) {
            if (es) {
                r = TROPO;
            }
        } else if (q >= 1399 && empty) {
            r = TROPO;
        }
    } else if (f == 240) {
        if (es) {
            r = UNKNOWN;
        }
        if (r.isEmpty() && q <= 3000) {
            r = TROPO;
        }
        if (r.isEmpty()) {
            r = UNKNOWN;
        }
    } else {
        if (r.isEmpty()) {
            r = q <= 3000 ? TROPO : QStringLiteral("SAT");
        }
        if (r == ES) {
            r = UNKNOWN;
        }
    }
}

} // namespace

QString GET_PROPAGATION(const QString& text, const QString& dxCall, double freqMhz, double distanceKm,
                        const PropTypeList& keywords, const ClassifierOptions& options, ErrorLog& log)
{
    QString r;
    if (!keywords.isEmpty()) {
        const QString haystack = QLatin1Char(' ') + text.toUpper() + QLatin1Char(' ');
        const qsizetype row = keywords.firstMatch(haystack);
        if (row >= 0) {
            r = keywords[row].mode;
        }
    }
    const QString byCall = callOverride(dxCall);
    if (!byCall.isEmpty()) {
        r = byCall;
    }
    if (!std::isfinite(freqMhz) || !std::isfinite(distanceKm)) {
        log.WRITE_ERROR_LOG(6, QStringLiteral("GET_PROPAGATION(") + text + QStringLiteral(", ") + dxCall +
                                   QStringLiteral(", ") + legacy::numberText(freqMhz) + QStringLiteral(", ") +
                                   legacy::numberText(distanceKm) + QLatin1Char(')'));
        return r.isEmpty() ? UNKNOWN : r;
    }
    if (r.isEmpty() && dxCall.toUpper().contains(u"MUF") && freqMhz >= 50 && freqMhz <= 300) {
        r = ES;
    }
    bandRules(r, freqMhz, distanceKm, options);
    return r.isEmpty() ? UNKNOWN : r;
}

double spotFrequencyMhz(double khz)
{
    const float mhz = static_cast<float>(khz) * 0.001f;
    return legacy::val(legacy::numberText(mhz));
}

} // namespace zenthra
