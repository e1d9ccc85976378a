#include "spots/line_filter.h"

#include "core/options_model.h"
#include "platform/legacy_value.h"
#include "platform/line_ends.h"
#include "propagation/muf_calcs.h"
#include "spots/plain_text.h"
#include "spots/spot_queue.h"

#include <cfloat>
#include <cmath>

namespace zenthra {

namespace {

bool isBlankOrCr(QChar c)
{
    return c == u' ' || c == u'\r';
}

// The cleaning of the received text, in place. Dropping a trailing CR and trimming, again and
// again, comes to cutting the whole run of CRs and blanks at that end; doing it in one step keeps
// a chunk of a million line ends linear.
void clean(QString& s)
{
    s.remove(QChar(7));
    s.remove(QStringLiteral("..."));
    s.remove(QChar(u'\''));
    if (!s.isEmpty()) {
        // The line end goes; text that has none keeps its last character.
        if (line_ends::isLineEnd(s.back())) {
            s.chop(1);
        }
        s = legacy::trim(s);
    }
    if (!s.isEmpty() && s.back() == u'\r') {
        qsizetype end = s.size();
        while (end > 0 && isBlankOrCr(s[end - 1])) {
            --end;
        }
        s.truncate(end);
    }
    if (!s.isEmpty() && s.front() == u'\r') {
        qsizetype begin = 0;
        while (begin < s.size() && isBlankOrCr(s[begin])) {
            ++begin;
        }
        s.remove(0, begin);
    }
    s.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
}

// Text that is no spot nor announcement as the node sent it, so that help texts and tables keep
// their blank lines and indentation: only its own line end (the window puts one before each line)
// and the BELs that ring go.
QString asSent(const QString& text)
{
    QString s = text;
    s.remove(QChar(7));
    return line_ends::withoutLast(s).toString();
}

bool isAnnouncement(const QString& work)
{
    const QString head = work.left(8).toUpper();
    const QStringView six = QStringView(head).left(6);
    return six == QLatin1String("TO ALL") || six == QLatin1String("WWV DE") ||
           six == QLatin1String("WCY DE") || six == QLatin1String("ALL DE") ||
           head == QLatin1String("TO SOLAR");
}

struct Band
{
    float from;            // lowest frequency of the row, MHz
    QString (*group)(int); // the row's check mark: group(index)
    int index;
};

// Each row runs from its own lower bound to the next row's; a frequency on a bound belongs to the
// row above it.
constexpr Band hfTable[] = {
    {1.0f, keys::filterHF, 1},  {2.0f, keys::filterHF, 2},  {4.0f, keys::filterHF, 3},
    {8.0f, keys::filterHF, 4},  {14.0f, keys::filterHF, 5}, {16.0f, keys::filterHF, 6},
    {20.0f, keys::filterHF, 7}, {24.0f, keys::filterHF, 8}, {28.0f, keys::filterHF, 9},
};

constexpr Band vhfTable[] = {
    {55.0f, keys::filterVHF, 1},   {75.0f, keys::filterVHF, 2},    {149.0f, keys::filterVHF, 3},
    {300.0f, keys::filterUHF, 0},  {1000.0f, keys::filterUHF, 1},  {2000.0f, keys::filterUHF, 2},
    {5000.0f, keys::filterUHF, 3}, {10000.0f, keys::filterUHF, 4}, {13000.0f, keys::filterUHF, 5},
};

} // namespace

QString LineFilter::debugLine()
{
    return QStringLiteral("dx de qx1abc: 110600 QX5/ABC/1  VOR ES s9 io90<>KM46");
}

LineFilter::LineFilter(const OptionsModel& options, ErrorLog& log, qint16& intHiddenHfSpot)
    : m_options(options), m_log(log), m_intHiddenHfSpot(intHiddenHfSpot)
{
}

bool LineFilter::ticked(const QString& item) const
{
    return m_options.checked(item);
}

QString LineFilter::hfItem(float mhz)
{
    if (!(mhz > 0.0f) || mhz >= hfLimit) {
        return {};
    }
    Band item{0.0f, keys::filterHF, 0};
    for (const Band& row : hfTable) {
        if (mhz < row.from) {
            break;
        }
        item = row;
    }
    return item.group(item.index);
}

QString LineFilter::vhfItem(float mhz)
{
    Band item{0.0f, keys::filterVHF, 0};
    for (const Band& row : vhfTable) {
        if (mhz < row.from) {
            break;
        }
        item = row;
    }
    return item.group(item.index);
}

float LineFilter::frequencyOf(QString work)
{
    // A node may colour the frequency; the escape sequence around it is no part of the number.
    work = plainText(work);
    const qsizetype colon = work.indexOf(u':');
    if (colon >= 0) {
        work = legacy::trim(work.mid(colon + 1));
    }
    float mhz = 0.0f;
    const qsizetype blank = work.indexOf(u' ');
    if (blank >= 0) {
        // The cluster gives kHz. A number that no single-precision value holds leaves 0.
        const double khz = legacy::val(QStringView(work).left(blank));
        if (std::isfinite(khz) && std::fabs(khz) <= FLT_MAX) {
            mhz = static_cast<float>(khz);
        }
    }
    return static_cast<float>(static_cast<double>(mhz) * 0.001);
}

void LineFilter::queue(QString& spotLine, bool logMufToDb, bool logSpotToDb)
{
    if (m_sinks.queueSpot) {
        QueuedSpot spot{spotLine,
                        {},
                        m_options.homeLocator(),
                        m_options.dblELayerHeight,
                        m_options.dblMasl,
                        logMufToDb,
                        logSpotToDb,
                        {},
                        {}};
        m_sinks.queueSpot(spot);
        spotLine = std::move(spot.line);
    }
}

bool LineFilter::mayBecomeReadLine(const QString& unfinished)
{
    // What a node puts before its lines (colours, a window title) is no part of their start.
    const QString text = plainText(unfinished);
    qsizetype i = 0;
    while (i < text.size() && (text[i] == u' ' || text[i] == u'\t')) {
        ++i;
    }
    const QStringView head = QStringView(text).mid(i);
    static constexpr QLatin1String heads[] = {QLatin1String("DX DE"),  QLatin1String("TO ALL"),
                                              QLatin1String("WWV DE"), QLatin1String("WCY DE"),
                                              QLatin1String("ALL DE"), QLatin1String("TO SOLAR")};
    for (const QLatin1String h : heads) {
        if (head.startsWith(h, Qt::CaseInsensitive) || h.startsWith(head, Qt::CaseInsensitive)) {
            return true;
        }
    }
    return false;
}

QString LineFilter::FILTER_DXC_BY_FREQ(QString& chunk)
{
    const QString sent = chunk;
    const bool whole = !chunk.isEmpty() && line_ends::isLineEnd(chunk.back());
    clean(chunk);
    if (!whole) {
        // Text still waiting for its line end (a prompt the node waits at) is only shown: read
        // before it is whole, a spot or an announcement would be stored cut short.
        return asSent(sent);
    }
    QString work = legacy::trim(chunk);
    QString spotLine = work;
    const QString unfiltered = work;

    if (isAnnouncement(work)) {
        if (ticked(keys::announceToDb) && m_sinks.announce) {
            m_sinks.announce(work);
        }
        if (ticked(keys::seeAnnounce) && m_sinks.showInDxcWindow) {
            m_sinks.showInDxcWindow(work);
        }
        return {};
    }

    if (!chunk.contains(QLatin1String("DX DE"), Qt::CaseInsensitive)) {
        return asSent(sent);
    }

    const float f = frequencyOf(work);

    QString homeLoc = m_options.homeLocator();
    if (MufCalcs(m_log).CHECK_LOCATOR_SYNTAX(homeLoc).isEmpty()) {
        if (m_sinks.setStatus) {
            m_sinks.setStatus(QString::fromLatin1(badHomeLocatorText));
        }
        if (m_sinks.focusHomeLocator) {
            m_sinks.focusHomeLocator();
        }
        return spotLine;
    }

    const bool calcEs = ticked(keys::calcEs);
    const bool calcVhf = ticked(keys::calcVhf);
    const bool hiddenHf = ticked(keys::logHiddenHfToDb);

    if (!ticked(keys::useFilters)) {
        const QString result = spotLine;
        if (f < hfLimit) {
            if (hiddenHf && !spotLine.isEmpty()) {
                queue(spotLine, true, true);
            }
        } else if (calcEs || (calcVhf && !spotLine.isEmpty())) {
            queue(spotLine, ticked(keys::logEsToDb), ticked(keys::logVhfToDb));
        }
        return result;
    }

    m_intHiddenHfSpot = 0;
    if (f < hfLimit && hiddenHf) {
        m_intHiddenHfSpot = 1;
        if (spotLine.size() >= 11 && spotLine.endsWith(u'Z', Qt::CaseInsensitive) &&
            ticked(keys::dxcLimitChar)) {
            spotLine.chop(9);
        }
        const QString result = spotLine;
        if (!spotLine.isEmpty()) {
            queue(spotLine, true, true);
        }
        return result;
    }

    if (const QString item = hfItem(f); !item.isEmpty() && !m_options.checked(item)) {
        spotLine.clear();
    }
    const bool ddeLink = ticked(keys::ddeLink);
    if (f < hfLimit && !ticked(keys::logHfToDb)) {
        if (ddeLink && m_sinks.addToDde) {
            m_sinks.addToDde(spotLine);
        }
        return spotLine;
    }

    if (!m_options.checked(vhfItem(f))) {
        spotLine.clear();
    }
    if (f >= 144.35f && f <= 144.399f && ticked(keys::ignore144350to399)) {
        spotLine.clear();
    }

    const QString result = spotLine;
    if (ddeLink && m_sinks.addToDde) {
        m_sinks.addToDde(spotLine);
    }
    if (ticked(keys::esCalcFiltered) && f > 49.0f && f < 225.0f) {
        spotLine = unfiltered;
    }
    if (calcEs || (calcVhf && !spotLine.isEmpty())) {
        queue(spotLine, ticked(keys::logEsToDb), ticked(keys::logVhfToDb));
    }
    return result;
}

} // namespace zenthra
