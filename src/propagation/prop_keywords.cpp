#include "prop_keywords.h"

#include "core/error_log.h"

#include <algorithm>
#include <cstring>

namespace zenthra {

PropTypeList::PropTypeList(QList<PropType> rows) : m_rows(std::move(rows))
{
    for (qsizetype i = 0; i < m_rows.size(); ++i) {
        const QString& k = m_rows[i].keyword;
        if (k.isEmpty()) {
            if (m_firstEmpty < 0) {
                m_firstEmpty = i;
            }
        } else if (k.front().unicode() < 128) {
            m_byAsciiStart[k.front().unicode()].push_back(i);
        } else {
            m_otherStart.push_back(i);
        }
    }
}

qsizetype PropTypeList::firstMatch(QStringView upperText) const
{
    // The best row so far; rows behind it in the list need not be tried.
    qsizetype best = m_firstEmpty >= 0 ? m_firstEmpty : m_rows.size();
    for (qsizetype pos = 0; pos < upperText.size() && best > 0; ++pos) {
        const char16_t c = upperText[pos].unicode();
        const std::vector<qsizetype>& candidates = c < 128 ? m_byAsciiStart[c] : m_otherStart;
        const QStringView rest = upperText.mid(pos);
        for (qsizetype row : candidates) {
            if (row >= best) {
                break;
            }
            if (rest.startsWith(m_rows[row].keyword)) {
                best = row;
                break;
            }
        }
    }
    return best < m_rows.size() ? best : -1;
}

const std::array<PropSeed, PropKeywords::seedCount>& PropKeywords::seedRows()
{
    // In the order they are inserted; "000" and "148" are each shared by two rows.
    static const std::array<PropSeed, seedCount> rows = {{
        {"TROPO", "#<TR>#", "000"},
        {"UNKNOWN", "#NIL ES#", "000"},
        {"AU", "# 51A#", "002"},
        {"AU", "# 52A#", "003"},
        {"AU", "# 53A#", "004"},
        {"AU", "# 54A#", "005"},
        {"AU", "# 55A#", "006"},
        {"AU", "# 56A#", "007"},
        {"AU", "# 57A#", "008"},
        {"AU", "# 58A#", "009"},
        {"AU", "# 59A#", "010"},
        {"AU", "# AU#", "011"},
        {"AU", "# AU!#", "012"},
        {"MS", "# B #", "013"},
        {"BS", "# B/S #", "014"},
        {"BS", "# BS #", "015"},
        {"BS", "# B-S #", "016"},
        {"UNKNOWN", "# NIL ES #", "017"},
        {"MS", "# MS #", "018"},
        {"TROPO", "# TR #", "019"},
        {"ES", "# ES!#", "020"},
        {"MS", "# P #", "021"},
        {"MS", "# SCATTER#", "022"},
        {"ES", "# ES#", "023"},
        {"ES", "#AES#", "024"},
        {"ES", "#AE'S#", "025"},
        {"AU", "#AUR#", "026"},
        {"AU", "#AURORA#", "027"},
        {"MS", "#BURST#", "028"},
        {"TROPO", "#DUCT#", "029"},
        {"ES", "#E'S#", "030"},
        {"F2", "# F2 #", "031"},
        {"FAI", "# FAI #", "032"},
        {"DIGI", "#FSK#", "033"},
        {"TROPO", "#INVERSION#", "034"},
        {"IONO", "#IONO#", "035"},
        {"DIGI", "#JT-#", "036"},
        {"DIGI", "#JT4#", "037"},
        {"DIGI", "#JT6#", "038"},
        {"MS", "#PING#", "039"},
        {"DIGI", "#PSK#", "040"},
        {"MS", "#REFL#", "041"},
        {"MS", "#ROCK#", "042"},
        {"MS", "#SCTR#", "043"},
        {"ES", "#SHORT#", "044"},
        {"ES", "#SKIP#", "045"},
        {"ES", "#SPE#", "046"},
        {"ES", "#SP-E#", "047"},
        {"ES", "#SP-ES#", "048"},
        {"ES", "#SP-E'S#", "049"},
        {"ES", "#SPORADIC#", "050"},
        {"TROPO", "#TROPO#", "051"},
        {"DIGI", "#WSJT#", "052"},
        {"UNKNOWN", "#TNX QSL#", "053"},
        {"MS", "#HSCW#", "054"},
        {"EME", "#EME#", "055"},
        {"EME", "#MOON#", "056"},
        {"MS", "#START 1ST#", "057"},
        {"UNKNOWN", "# FER U #", "059"},
        {"UNKNOWN", "# NIL #", "060"},
        {"UNKNOWN", "# QRV? #", "061"},
        {"UNKNOWN", "# U FIRST#", "062"},
        {"UNKNOWN", "# YOUR DIR NOW#", "063"},
        {"UNKNOWN", "#ABOVE NORMAL#", "064"},
        {"UNKNOWN", "#ARE U SURE#", "065"},
        {"UNKNOWN", "#BAND CLOSE#", "066"},
        {"UNKNOWN", "#BON DX#", "067"},
        {"UNKNOWN", "#CALL U #", "068"},
        {"UNKNOWN", "#CALL U 2ND#", "069"},
        {"UNKNOWN", "#CALL YOU#", "070"},
        {"UNKNOWN", "#CALLING U #", "071"},
        {"UNKNOWN", "#CALLING YOU#", "072"},
        {"UNKNOWN", "#CAN WE TRY#", "073"},
        {"UNKNOWN", "#DEAD#", "074"},
        {"UNKNOWN", "#DID YOU GET#", "075"},
        {"UNKNOWN", "#DO YOU#", "076"},
        {"UNKNOWN", "#GOOD DX#", "077"},
        {"UNKNOWN", "#HELLO#", "078"},
        {"UNKNOWN", "#HOLA#", "079"},
        {"UNKNOWN", "#I CALL U#", "080"},
        {"UNKNOWN", "#I CALL#", "081"},
        {"UNKNOWN", "#I CQ #", "082"},
        {"UNKNOWN", "#I WILL CALL#", "083"},
        {"UNKNOWN", "#I WILL TRY#", "084"},
        {"UNKNOWN", "#I'LL CALL#", "085"},
        {"UNKNOWN", "#IS HE QRV#", "086"},
        {"UNKNOWN", "#LISTENING FOR#", "087"},
        {"UNKNOWN", "#LSN #", "088"},
        {"UNKNOWN", "#MAYBE IN BETTER#", "089"},
        {"UNKNOWN", "#ME FIRST#", "090"},
        {"UNKNOWN", "#MYBE IN BETTER#", "091"},
        {"UNKNOWN", "#NIL HERE#", "092"},
        {"UNKNOWN", "#NIL#", "093"},
        {"UNKNOWN", "#NO ANSWER#", "094"},
        {"UNKNOWN", "#NO COPY HERE#", "095"},
        {"UNKNOWN", "#NO CPY HERE#", "096"},
        {"UNKNOWN", "#NO QSL#", "097"},
        {"UNKNOWN", "#NO REFL#", "098"},
        {"UNKNOWN", "#NO REPLY#", "099"},
        {"UNKNOWN", "#NO SIGN#", "100"},
        {"UNKNOWN", "#NORM NIL#", "101"},
        {"UNKNOWN", "#NOT COMPLETE#", "102"},
        {"UNKNOWN", "#NOW QRL#", "103"},
        {"UNKNOWN", "#OK ?#", "104"},
        {"UNKNOWN", "#OK, SENDING NOW#", "105"},
        {"UNKNOWN", "#OK?#", "106"},
        {"UNKNOWN", "#ONLY 0#", "107"},
        {"UNKNOWN", "#PERIOD#", "108"},
        {"UNKNOWN", "#PLEASE#", "109"},
        {"UNKNOWN", "#PLS #", "110"},
        {"UNKNOWN", "#PSE #", "111"},
        {"UNKNOWN", "#PSE TRY#", "112"},
        {"UNKNOWN", "#QRT#", "113"},
        {"UNKNOWN", "#QRV?#", "114"},
        {"UNKNOWN", "#QSL RCVD#", "115"},
        {"UNKNOWN", "#QSL RECEIVED#", "116"},
        {"UNKNOWN", "#QSL TNX#", "117"},
        {"UNKNOWN", "#QSL#", "118"},
        {"UNKNOWN", "#QUIET#", "119"},
        {"UNKNOWN", "#QUIT#", "120"},
        {"UNKNOWN", "#RCVD QSL#", "121"},
        {"UNKNOWN", "#RECEIVED QSL#", "122"},
        {"UNKNOWN", "#RESULT IN#", "123"},
        {"UNKNOWN", "#RU QRV#", "124"},
        {"UNKNOWN", "#SKED#", "125"},
        {"UNKNOWN", "#SORRY#", "126"},
        {"UNKNOWN", "#SRI #", "127"},
        {"UNKNOWN", "#START AT#", "128"},
        {"UNKNOWN", "#START THIS#", "129"},
        {"UNKNOWN", "#SVP TON EMAIL#", "130"},
        {"UNKNOWN", "#TOMORROW#", "132"},
        {"UNKNOWN", "#TRY #", "133"},
        {"UNKNOWN", "#TRY AGAIN#", "135"},
        {"UNKNOWN", "#TRY AGN#", "136"},
        {"UNKNOWN", "#U ABOUT#", "137"},
        {"UNKNOWN", "#WELL SAID#", "138"},
        {"UNKNOWN", "#WHAT QRG#", "139"},
        {"UNKNOWN", "#WHERE ON#", "140"},
        {"UNKNOWN", "#YESTERDAY#", "141"},
        {"UNKNOWN", "#YOU FIRST#", "142"},
        {"UNKNOWN", "#YOU LISTEN#", "143"},
        {"UNKNOWN", "#YOU LST#", "144"},
        {"SAT", "#SAT#", "145"},
        {"ES", "#MUF#", "146"},
        {"RAIN", "# RS #", "147"},
        {"ES", "#E-S#", "148"},
        {"AU", "# CQA #", "148"},
        {"ES", "#<ES>#", "149"},
    }};
    return rows;
}

namespace {

PropType loadedRow(const QString& propId, QString propCheck)
{
    propCheck.remove(u'#');
    return {propId, propCheck.toUpper()};
}

} // namespace

PropTypeList PropKeywords::seedList()
{
    // The load orders by SortOrder, then PropCheck, both in byte order.
    std::vector<const PropSeed*> order;
    for (const PropSeed& seed : seedRows()) {
        order.push_back(&seed);
    }
    std::stable_sort(order.begin(), order.end(), [](const PropSeed* a, const PropSeed* b) {
        const int bySort = std::strcmp(a->sortOrder, b->sortOrder);
        return bySort != 0 ? bySort < 0 : std::strcmp(a->propCheck, b->propCheck) < 0;
    });
    QList<PropType> rows;
    for (const PropSeed* seed : order) {
        rows.append(loadedRow(QString::fromUtf8(seed->propId), QString::fromUtf8(seed->propCheck)));
    }
    return PropTypeList(std::move(rows));
}

PropKeywords::PropKeywords(ErrorLog& log) : m_log(log) {}

void PropKeywords::load(const QList<std::pair<QString, QString>>& stored)
{
    QList<PropType> rows;
    for (const auto& [propId, propCheck] : stored) {
        PropType row = loadedRow(propId, propCheck);
        if (!row.keyword.isEmpty()) {
            rows.append(std::move(row));
        }
    }
    m_list = PropTypeList(std::move(rows));
    m_loaded = true;
}

void PropKeywords::loadFailed(double number)
{
    m_log.WRITE_ERROR_LOG(number, QStringLiteral("POPULATE_PROPAGATION_ARRAYS()"));
}

} // namespace zenthra
