#include "propagation/hand_muf.h"

#include "core/error_log.h"
#include "platform/bounded_number.h"
#include "platform/legacy_value.h"
#include "platform/numeric_text.h"
#include "platform/text_file.h"
#include "propagation/path_figures.h"
#include "propagation/sporadic_e_path.h"

#include <QLocale>

namespace zenthra {

namespace {

using figures::at;
using figures::Point;

using figures::text;

QString f1(double value)
{
    return legacy::format(value, u"0.0");
}

bool inRange(QChar c, char16_t low, char16_t high)
{
    return c.unicode() >= low && c.unicode() <= high;
}

// Positions 1-2 A-R, 3-4 0-9, 5-6 A-X, upper case only.
bool validAt(const QString& loc, int position)
{
    const QChar c = loc[position - 1];
    if (position <= 2) {
        return inRange(c, u'A', u'R');
    }
    if (position <= 4) {
        return inRange(c, u'0', u'9');
    }
    return inRange(c, u'A', u'X');
}

} // namespace

HandMuf::HandMuf(ErrorLog& log, QString baseTitle)
    : arrMufResult(columnCount), m_log(log), m_calcs(log), m_baseTitle(std::move(baseTitle))
{
    title = m_baseTitle;
}

void HandMuf::load(const QString& path, const QString& homeLocator)
{
    if (const auto lines = textfile::readLines(path, lineCount)) {
        const auto number = [&](int index) -> std::optional<double> {
            if (index < lines->size() && legacy::isNumeric(lines->at(index))) {
                return legacy::val(lines->at(index));
            }
            return std::nullopt;
        };
        if (const auto v = number(0); v && legacy::toInt16(*v)) {
            intHandLayerHeight = *legacy::toInt16(*v);
        }
        if (const auto v = number(1); v && legacy::toInt16(*v)) {
            intHandMasl = *legacy::toInt16(*v);
        }
        if (lines->size() > 2) {
            if (const auto tick = legacy::readFlag(lines->at(2))) {
                mnuCalc2xHop = *tick;
            }
        }
        if (const auto v = number(3)) {
            sngMinDoubleHopQrb = static_cast<float>(*v);
        }
    }
    txtHomeLoc = homeLocator;
    if (intHandLayerHeight < 90 || intHandLayerHeight > 130) {
        intHandLayerHeight = 110;
    }
    if (intHandMasl < 1 || intHandMasl > 5000) {
        intHandMasl = 150;
    }
    updateSettingLabels(true);
    if (!(sngMinDoubleHopQrb >= 1000)) {
        sngMinDoubleHopQrb = 2700;
    }
}

bool HandMuf::save(const QString& path) const
{
    return textfile::writeLines(path,
                                {QString::number(intHandLayerHeight), QString::number(intHandMasl),
                                 legacy::flagText(mnuCalc2xHop), legacy::numberText(sngMinDoubleHopQrb)});
}

void HandMuf::updateSettingLabels(bool grouped)
{
    // At load the figures carry the regional digit grouping; after a change they are plain.
    const auto number = [grouped](qint16 v) { return grouped ? QLocale().toString(v) : QString::number(v); };
    lblEsLayerHeight =
        QStringLiteral("e layer height = ") + number(intHandLayerHeight) + QStringLiteral("km");
    lblMASL = QStringLiteral("MASL = ") + number(intHandMasl) + u'm';
}

void HandMuf::clearResultLabels()
{
    lblAZResult.clear();
    lblAzResult2.clear();
    lblMidPoint.clear();
    lblMUFqth.clear();
    lblMUFqth2.clear();
    lblFOT.clear();
}

double HandMuf::column(Column c) const
{
    return legacy::val(arrMufResult[c]);
}

void HandMuf::cmdCalculate()
{
    if (!legacy::isNumeric(txtFreq)) {
        return;
    }
    // The title tells of errors in this calculation only, not of any logged elsewhere before.
    m_log.intErrorLogged = 0;
    CHECK_LOCSYNTAX();
    if (intLocErrorCode != 0) {
        const int code = intLocErrorCode;
        if (code == 1) {
            strLocErrorText = QStringLiteral("From Locator missing!");
        } else if (code == 2) {
            strLocErrorText = QStringLiteral("To Locator missing!");
        } else if (code == 3) {
            strLocErrorText = QStringLiteral("From Locator < 4 Characters!");
        } else if (code == 4) {
            strLocErrorText = QStringLiteral("To Locator < 4 Characters!");
        } else if (code > 10 && code < 20) {
            strLocErrorText = QStringLiteral("From Locator Character %1!").arg(code - 10);
        } else {
            strLocErrorText = QStringLiteral("To Locator Character %1!").arg(code - 20);
        }
        focus = (code == 1 || code == 3 || (code > 10 && code < 20)) ? Focus::From : Focus::To;
        clearResultLabels();
        lblMUFqth = QStringLiteral("ERROR!! ") + strLocErrorText;
        intLocErrorCode = 0;
        return;
    }
    focus = Focus::From;
    if (m_log.intErrorLogged == 1) {
        m_log.intErrorLogged = 0;
        title = QString::fromLatin1(errorsTitle);
    }
    if (mnuCalc2xHop && intHopState == 0 && static_cast<float>(column(colQrb)) >= sngMinDoubleHopQrb) {
        hopVisible = true;
        strHopFrom = arrMufResult[colFrom];
        strHopMid = arrMufResult[colMidLocator];
        strHopTo = arrMufResult[colTo];
        intHopState = 1;
        calculateVisible = false;
        lblAZResult += QStringLiteral(" - double hop");
        hopCaption = QString::fromLatin1(hopFirstCaption);
        focus = Focus::Hop;
    }
}

void HandMuf::cmdHop()
{
    if (intHopState == 1) {
        txtFromLoc = strHopFrom;
        txtToLoc = strHopMid;
        intHopState = 2;
        cmdCalculate();
        hopCaption = QString::fromLatin1(hopSecondCaption);
        title += QStringLiteral(" - 1st hop");
        focus = Focus::Hop;
    } else if (intHopState == 2) {
        txtFromLoc = strHopMid;
        txtToLoc = strHopTo;
        intHopState = 3;
        cmdCalculate();
        title += QStringLiteral(" - 2nd hop");
        hopVisible = false;
        calculateVisible = true;
        intHopState = 0;
    }
}

void HandMuf::cmdClear()
{
    txtFromLoc.clear();
    txtToLoc.clear();
    txtFreq.clear();
    clearResultLabels();
    title = m_baseTitle;
    focus = Focus::From;
}

void HandMuf::setDefaults()
{
    intHandLayerHeight = 110;
    intHandMasl = 150;
    sngMinDoubleHopQrb = 2700;
    updateSettingLabels(false);
    calculateVisible = true;
    hopVisible = false;
    intHopState = 0;
}

bool HandMuf::layerHeightAnswer(const QString& answer)
{
    const auto v = legacy::boundedNumber(answer, {legacy::NumberReading::WholeNumber, 90, 130, true, true});
    if (!v) {
        return false;
    }
    intHandLayerHeight = static_cast<qint16>(*v);
    updateSettingLabels(false);
    return true;
}

bool HandMuf::maslAnswer(const QString& answer)
{
    const auto v = legacy::boundedNumber(answer, {legacy::NumberReading::WholeNumber, 1, 5000, true, true});
    if (!v) {
        return false;
    }
    intHandMasl = static_cast<qint16>(*v);
    updateSettingLabels(false);
    return true;
}

bool HandMuf::doubleHopQrbAnswer(const QString& answer)
{
    const auto v = legacy::boundedNumber(answer, {legacy::NumberReading::WholeNumber, 1000, 5400});
    if (!v) {
        sngMinDoubleHopQrb = static_cast<float>(legacy::roundHalfEven(sngMinDoubleHopQrb));
        return false;
    }
    sngMinDoubleHopQrb = static_cast<float>(*v);
    return true;
}

bool HandMuf::frequencyRefused(const QString& text)
{
    return !text.isEmpty() && !legacy::isNumeric(text);
}

void HandMuf::CHECK_LOCSYNTAX()
{
    intLocErrorCode = 0;
    if (txtFromLoc.isEmpty()) {
        intLocErrorCode = 1;
    } else if (txtToLoc.isEmpty()) {
        intLocErrorCode = 2;
    } else if (txtFromLoc.size() < 4) {
        intLocErrorCode = 3;
    } else if (txtToLoc.size() < 4) {
        intLocErrorCode = 4;
    }
    if (intLocErrorCode != 0) {
        return;
    }
    txtFromLoc = (txtFromLoc + QStringLiteral("MM")).left(6);
    txtToLoc = (txtToLoc + QStringLiteral("MM")).left(6);
    for (int n = 1; n <= 6; ++n) {
        if (!validAt(txtFromLoc, n)) {
            intLocErrorCode = static_cast<qint16>(10 + n);
            return;
        }
        if (!validAt(txtToLoc, n)) {
            intLocErrorCode = static_cast<qint16>(20 + n);
            return;
        }
    }

    ProcessMufData();
    const QStringList& r = arrMufResult;
    lblAZResult = QStringLiteral("es from ") + txtFromLoc + QStringLiteral(" to ") + txtToLoc +
                  QStringLiteral(" on ") + txtFreq + QStringLiteral("mhz");
    lblAzResult2 = QStringLiteral("(Azimuth = ") + f1(column(colQtf)) + QStringLiteral(")   (Elevation = ") +
                   f1(column(colElevation)) + QStringLiteral("deg)   (Distance = ") + f1(column(colQrb)) +
                   QStringLiteral("km)");
    lblMidPoint = QStringLiteral("Centre of path = ") + r[colMidLocator] + QStringLiteral("  ") +
                  QStringLiteral("Critical Freq = ") + f1(column(colCritFreq)) + QStringLiteral("  ") +
                  QStringLiteral("MUF = ") + f1(column(colMuf)) + QStringLiteral("mhz");
    if (r[colHome].isEmpty()) {
        // Figures from latitude 0, longitude 0 would look real; say what is missing instead.
        lblMUFqth = QString::fromLatin1(noHomeNote);
        title = QStringLiteral("MUF = ") + f1(column(colMuf)) + QStringLiteral("mhz");
        lblMUFqth2.clear();
        lblFOT.clear();
        return;
    }
    lblMUFqth = QStringLiteral("From ") + r[colHome] + QStringLiteral(" try towards ") + r[colTryTowards];
    title = QStringLiteral("MUF = ") + f1(column(colMuf)) + QStringLiteral("mhz,  try towards ") +
            r[colTryTowards];
    lblMUFqth2 = QStringLiteral("(Azimuth = ") + f1(column(colHomeQtf)) +
                 QStringLiteral(")   (Elevation = ") + f1(column(colHomeElevation)) +
                 QStringLiteral("deg)   (Distance = ") + f1(column(colHomeQrb)) + QStringLiteral("km)");
    lblFOT = QStringLiteral("Frequency of traffic = ") + f1(column(colFot)) + QStringLiteral("mhz");
    if (column(colHomeElevation) < 0) {
        lblFOT += QStringLiteral(" (Below horizon..)");
    }
}

void HandMuf::ProcessMufData()
{
    QStringList& r = arrMufResult;
    r = QStringList(columnCount);
    const double layer = intHandLayerHeight;
    const double masl = intHandMasl;
    QString from = txtFromLoc;
    QString to = txtToLoc;
    r[colFrom] = m_calcs.CHECK_LOCATOR_SYNTAX(from);
    r[colFreq] = legacy::format(legacy::val(txtFreq), u"0.000");
    r[colTo] = m_calcs.CHECK_LOCATOR_SYNTAX(to);
    if (r[colFrom].isEmpty() || r[colTo].isEmpty()) {
        return;
    }
    const Point a = at(r[colFrom]);
    const Point b = at(r[colTo]);
    r[colQtf] = text(m_calcs.CALCULATE_QTF(a.lat, a.lon, b.lat, b.lon));
    r[colQrb] = text(m_calcs.CALCULATE_QRB(a.lat, a.lon, b.lat, b.lon));

    // Without a home locator there is no home path: its columns stay empty.
    QString home = txtHomeLoc;
    const SporadicEPath es = sporadicEPath(
        m_calcs, {r[colFrom], r[colTo], r[colQrb], column(colFreq), layer, masl}, home, WithoutHome::Blank);
    r[colElevation] = es.elevation;
    r[colMidLocator] = es.midLocator;
    r[colCritFreq] = es.critFreq;
    r[colMuf] = es.muf;
    r[colHome] = es.tryFrom;
    if (r[colHome].isEmpty()) {
        return;
    }
    r[colTryTowards] = es.tryTo;
    r[colHomeQtf] = es.qtfTo;
    r[colHomeQrb] = es.qrbTo;
    r[colHomeElevation] = es.elevationTo;
    r[colFot] = es.fot;
    if (column(colHomeElevation) <= 0) {
        r[colFot] = r[colMuf];
    }
}

QString HandMuf::helpTitle()
{
    return QStringLiteral("Zenthra hand MUF calculator - by the Zenthra developers");
}

QString HandMuf::helpText()
{
    const QStringList lines{
        QStringLiteral(
            "The authors take no responsibility for any inaccuracies in the calculations or for any "
            "problems with using this program."),
        QString(),
        QStringLiteral("USING KORVELMUF CALC"),
        QStringLiteral("It's easy, just put ") + QStringLiteral("in dx spots and the frequency ") +
            QStringLiteral("from the cluster and hit calculate."),
        QStringLiteral("Make sure you have set the home locator.."),
        QString(),
        QStringLiteral("Many thanks to everyone who helped with the mathematics."),
        QStringLiteral("Parts of the maths were solved by these guys :-)"),
        QStringLiteral("Please report faults to the Zenthra developers through the project's issue tracker."),
    };
    return lines.join(u'\r');
}

} // namespace zenthra
