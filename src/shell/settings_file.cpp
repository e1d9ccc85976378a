#include "shell/settings_file.h"

#include "core/options_model.h"
#include "platform/legacy_value.h"
#include "platform/text_file.h"

#include <QFile>
#include <QFileInfo>
#include <cmath>
#include <functional>
#include <limits>
#include <vector>

namespace zenthra {

namespace {

// The platform's error numbers for a file that cannot be written.
constexpr int errPermissionDenied = 70;
constexpr int errPathFileAccess = 75;

// A Single holds the leading number of the line; a number beyond its range does not convert.
std::optional<float> toSingle(const QString& text)
{
    const double v = legacy::val(text);
    if (!std::isfinite(v) || std::fabs(v) > std::numeric_limits<float>::max()) {
        return std::nullopt;
    }
    return static_cast<float>(v);
}

std::optional<double> toDouble(const QString& text)
{
    const double v = legacy::val(text);
    if (!std::isfinite(v)) {
        return std::nullopt;
    }
    return v;
}

std::optional<qint16> toInteger(const QString& text)
{
    return legacy::toInt16(legacy::val(text));
}

// One line of the file: how it is written from the options and read back into them.
struct LineSpec
{
    std::function<QString(const OptionsModel&)> save;
    std::function<void(OptionsModel&, const QString&)> load;
};

LineSpec text(QString OptionsModel::*member)
{
    return {[member](const OptionsModel& o) { return o.*member; },
            [member](OptionsModel& o, const QString& v) { o.*member = v; }};
}

LineSpec single(float OptionsModel::*member)
{
    return {[member](const OptionsModel& o) { return legacy::numberText(o.*member); },
            [member](OptionsModel& o, const QString& v) {
                if (const auto n = toSingle(v)) {
                    o.*member = *n;
                }
            }};
}

LineSpec dbl(double OptionsModel::*member)
{
    return {[member](const OptionsModel& o) { return legacy::numberText(o.*member); },
            [member](OptionsModel& o, const QString& v) {
                if (const auto n = toDouble(v)) {
                    o.*member = *n;
                }
            }};
}

LineSpec integer(qint16 OptionsModel::*member)
{
    return {[member](const OptionsModel& o) { return QString::number(o.*member); },
            [member](OptionsModel& o, const QString& v) {
                if (const auto n = toInteger(v)) {
                    o.*member = *n;
                }
            }};
}

LineSpec flag(bool OptionsModel::*member)
{
    return {[member](const OptionsModel& o) { return legacy::flagText(o.*member); },
            [member](OptionsModel& o, const QString& v) {
                if (const auto f = legacy::readFlag(v)) {
                    o.*member = *f;
                }
            }};
}

LineSpec classifierFlag(bool ClassifierOptions::*member)
{
    return {[member](const OptionsModel& o) { return legacy::flagText(o.classifier.*member); },
            [member](OptionsModel& o, const QString& v) {
                if (const auto f = legacy::readFlag(v)) {
                    o.classifier.*member = *f;
                }
            }};
}

LineSpec classifierSingle(float ClassifierOptions::*member)
{
    return {[member](const OptionsModel& o) { return legacy::numberText(o.classifier.*member); },
            [member](OptionsModel& o, const QString& v) {
                if (const auto n = toSingle(v)) {
                    o.classifier.*member = *n;
                }
            }};
}

LineSpec nodeText(QString CurrentNode::*member)
{
    return {[member](const OptionsModel& o) { return o.nodes.*member; },
            [member](OptionsModel& o, const QString& v) { o.nodes.*member = v; }};
}

LineSpec nodePort(float CurrentNode::*member)
{
    return {[member](const OptionsModel& o) { return legacy::numberText(o.nodes.*member); },
            [member](OptionsModel& o, const QString& v) {
                if (const auto n = toSingle(v)) {
                    o.nodes.*member = *n;
                }
            }};
}

LineSpec databaseText(QString DatabaseSettings::*member)
{
    return {[member](const OptionsModel& o) { return o.database.*member; },
            [member](OptionsModel& o, const QString& v) { o.database.*member = v; }};
}

LineSpec mark(const QString& item)
{
    return {[item](const OptionsModel& o) { return legacy::flagText(o.checked(item)); },
            [item](OptionsModel& o, const QString& v) {
                if (const auto f = legacy::readFlag(v)) {
                    o.setChecked(item, *f);
                }
            }};
}

// A flag that stands beside a check mark: written from the flag, read back into the mark, which
// sets the flag.
LineSpec companion(LineSpec stored, const QString& item)
{
    stored.load = mark(item).load;
    return stored;
}

// Lines 1-5 and 10-123; lines 6-9 (geometry) have no entry here.
std::vector<LineSpec> buildSpecs()
{
    std::vector<LineSpec> s(SettingsReader::lineCount + 1);
    s[1] = databaseText(&DatabaseSettings::strDbType);
    s[2] = databaseText(&DatabaseSettings::strSqlServer);
    s[3] = databaseText(&DatabaseSettings::strSqlDatabase);
    s[4] = databaseText(&DatabaseSettings::strSqlUser);
    s[5] = databaseText(&DatabaseSettings::strSqlPassword);
    s[10] = {[](const OptionsModel& o) { return o.homeLocator(); },
             [](OptionsModel& o, const QString& v) { o.setHomeLocator(v.toUpper()); }};
    s[11] = nodeText(&CurrentNode::strDxcHost);
    s[12] = nodePort(&CurrentNode::sngDxcPort);
    s[13] = nodeText(&CurrentNode::strDxcCallsign);
    s[14] = nodeText(&CurrentNode::strDxcPassword);
    s[15] = mark(keys::autoClx);
    s[16] = integer(&OptionsModel::intReconnectMinutes);
    s[17] = mark(keys::noAutoScroll);
    s[18] = nodeText(&CurrentNode::strWwcHost);
    s[19] = nodePort(&CurrentNode::sngWwcPort);
    s[20] = nodeText(&CurrentNode::strWwcCallsign);
    s[21] = nodeText(&CurrentNode::strWwcPassword);
    s[22] = nodeText(&CurrentNode::strWwcConnectStr);
    s[23] = mark(keys::wwcReconnectWithDxc);
    s[24] = mark(keys::wwcStartWithProgram);
    s[25] = nodeText(&CurrentNode::strBbsHost);
    s[26] = nodePort(&CurrentNode::sngBbsPort);
    s[27] = nodeText(&CurrentNode::strBbsCallsign);
    s[28] = nodeText(&CurrentNode::strBbsPassword);
    s[29] = nodeText(&CurrentNode::strBbsConnectStr);
    s[30] = mark(keys::calcVhf);
    s[31] = mark(keys::logVhfToDb);
    s[32] = integer(&OptionsModel::intFontSize);
    s[33] = single(&OptionsModel::sngBellMufLevel);
    for (int i = 0; i <= 5; ++i) {
        s[34 + i] = mark(keys::bellByMode(i));
    }
    s[40] = mark(keys::calcEs);
    s[41] = mark(keys::logEsToDb);
    s[42] = classifierSingle(&ClassifierOptions::sngMinEsQrb6m);
    s[43] = classifierSingle(&ClassifierOptions::sngMinEsQrb2m);
    s[44] = classifierSingle(&ClassifierOptions::sngMinEsQrb4m);
    s[45] = classifierSingle(&ClassifierOptions::sngMaxEsQrb6m);
    s[46] = dbl(&OptionsModel::dblMasl);
    s[47] = dbl(&OptionsModel::dblELayerHeight);
    s[48] = companion(classifierFlag(&ClassifierOptions::blnEsBeyond5000), keys::esBeyond5000);
    s[49] = companion(classifierFlag(&ClassifierOptions::blnDigiJt6m), keys::countJt6m);
    s[50] = companion(classifierFlag(&ClassifierOptions::blnDigiWsjt), keys::countWsjt);
    s[51] = companion(classifierFlag(&ClassifierOptions::blnEs2mWindows), keys::es2mWindows);
    s[52] = text(&OptionsModel::strDdeExeName);
    s[53] = text(&OptionsModel::strDdeTopic);
    s[54] = text(&OptionsModel::strDdeItem);
    s[55] = mark(keys::ddeLink);
    const QString* maps[] = {&keys::enableMapping, &keys::mapLines,     &keys::mapPoint,    &keys::mapCentre,
                             &keys::mapYourPath,   &keys::mapLiveSpots, &keys::mapOnlyToday};
    for (int i = 0; i <= 6; ++i) {
        s[56 + i] = mark(*maps[i]);
    }
    s[63] = integer(&OptionsModel::intMapSpotCount);
    s[64] = single(&OptionsModel::sngMapBand);
    s[65] = single(&OptionsModel::sngMapMinMuf);
    s[66] = single(&OptionsModel::sngMapMaxMuf);
    s[67] = companion(flag(&OptionsModel::blnStickyMap), keys::stickyMap);
    s[68] = mark(keys::useFilters);
    s[69] = mark(keys::seeAnnounce);
    for (int i = 0; i <= 9; ++i) {
        s[70 + i] = mark(keys::filterHF(i));
    }
    for (int i = 0; i <= 3; ++i) {
        s[80 + i] = mark(keys::filterVHF(i));
    }
    for (int i = 0; i <= 5; ++i) {
        s[84 + i] = mark(keys::filterUHF(i));
    }
    s[90] = single(&OptionsModel::sngWindowBuffer);
    s[91] = text(&OptionsModel::strWwcAwayText);
    s[92] = text(&OptionsModel::strWwcPersonalText);
    s[93] = mark(keys::wwcSeeDxcWindow);
    s[94] = integer(&OptionsModel::intDoubleHopMinQrb);
    s[95] = companion(flag(&OptionsModel::blnCalcDoubleHop), keys::calcDoubleHop);
    s[96] = companion(flag(&OptionsModel::blnDoubleHop50), keys::doubleHop50);
    s[97] = companion(flag(&OptionsModel::blnDoubleHop70), keys::doubleHop70);
    s[98] = companion(flag(&OptionsModel::blnDoubleHop144), keys::doubleHop144);
    s[99] = mark(keys::wwcMsgText);
    s[100] = mark(keys::ignore144350to399);
    s[101] = mark(keys::mapDrawForce);
    s[102] = mark(keys::esCalcFiltered);
    s[103] = mark(keys::wwcPlaySound);
    s[104] = mark(keys::wwcPlaySoundOnCall);
    s[105] = mark(keys::wwcPopupMessage);
    s[106] = mark(keys::wwcPopupTopWin);
    s[107] = mark(keys::wwcShowAllMessages);
    s[108] = mark(keys::dxcLimitChar);
    s[109] = mark(keys::logHfToDb);
    s[110] = mark(keys::logHiddenHfToDb);
    s[111] = mark(keys::bellByMode(6));
    s[112] = mark(keys::bellByMode(7));
    s[113] = mark(keys::bellByMode(8));
    s[114] = mark(keys::announceToDb);
    s[115] = mark(keys::dxcEcho);
    s[116] = mark(keys::bbsMsgText);
    s[117] = companion(classifierFlag(&ClassifierOptions::blnDigiJt65), keys::countJt65);
    s[118] = mark(keys::wwcEcho);
    s[119] = mark(keys::bbsEcho);
    s[120] = mark(keys::dxSpiderView);
    s[121] = mark(keys::spiderHelp);
    s[122] = mark(keys::spiderBbs);
    s[123] = mark(keys::mapLastHour);
    return s;
}

const std::vector<LineSpec>& specs()
{
    static const std::vector<LineSpec> table = buildSpecs();
    return table;
}

// What follows a line once it has been read: the DX Spider menu and the floors, each at its
// place.
void afterLine(int number, OptionsModel& o)
{
    switch (number) {
    case 32:
        if (o.intFontSize < 8) {
            o.intFontSize = 8;
        }
        break;
    case 48:
        if (o.dblMasl < 1) {
            o.dblMasl = 150;
        }
        if (o.dblELayerHeight < 1) {
            o.dblELayerHeight = 110;
        }
        if (o.classifier.sngMaxEsQrb6m < 1) {
            o.classifier.sngMaxEsQrb6m = 5000;
        }
        if (o.classifier.sngMinEsQrb6m < 100) {
            o.classifier.sngMinEsQrb6m = 300;
        }
        if (o.classifier.sngMinEsQrb2m < 500) {
            o.classifier.sngMinEsQrb2m = 1400;
        }
        if (o.classifier.sngMinEsQrb4m < 200) {
            o.classifier.sngMinEsQrb4m = 800;
        }
        break;
    case 67:
        if (o.intMapSpotCount < 5) {
            o.intMapSpotCount = 10;
        }
        if (o.sngMapMinMuf < 50) {
            o.sngMapMinMuf = 50;
        }
        if (o.sngMapMaxMuf < 50) {
            o.sngMapMaxMuf = 200;
        }
        break;
    case 90:
        if (o.sngWindowBuffer < 5000) {
            o.sngWindowBuffer = 10000;
        }
        break;
    case 120:
        // Shown when ticked, never hidden here.
        if (o.checked(keys::dxSpiderView)) {
            o.setSpiderMenuVisible(true);
        }
        break;
    default:
        break;
    }
}

QString oneLine(QString value)
{
    value.remove(u'\r');
    value.remove(u'\n');
    return value;
}

} // namespace

SettingsReader::SettingsReader(const QString& path)
{
    if (auto lines = textfile::readLines(path, lineCount)) {
        m_lines = std::move(*lines);
    }
}

std::optional<QString> SettingsReader::line(int number) const
{
    if (number < 1 || number > lineCount || number > m_lines.size()) {
        return std::nullopt;
    }
    return m_lines[number - 1];
}

void SettingsReader::readDatabaseLines(OptionsModel& options) const
{
    for (int n = 1; n <= 5; ++n) {
        if (const auto v = line(n)) {
            specs()[n].load(options, *v);
        }
    }
    if (options.database.strDbType != QLatin1String("s")) {
        options.database.strDbType = QStringLiteral("a");
    }
}

void SettingsReader::readGeometryLines(TwipsRect& geometry) const
{
    float* targets[] = {&geometry.height, &geometry.width, &geometry.top, &geometry.left};
    for (int n = 6; n <= 9; ++n) {
        if (const auto v = line(n)) {
            if (const auto f = toSingle(*v)) {
                *targets[n - 6] = *f;
            }
        }
    }
}

void SettingsReader::readOptionLines(OptionsModel& options) const
{
    for (int n = 10; n <= lineCount; ++n) {
        if (const auto v = line(n)) {
            specs()[n].load(options, *v);
        }
        // The steps after a line run whether or not it was there: the floors are the defaults.
        afterLine(n, options);
    }
}

QStringList settingsLines(const OptionsModel& options, const TwipsRect& geometry)
{
    QStringList out;
    out.reserve(SettingsReader::lineCount);
    for (int n = 1; n <= SettingsReader::lineCount; ++n) {
        switch (n) {
        case 6:
            out.append(legacy::numberText(geometry.height));
            break;
        case 7:
            out.append(legacy::numberText(geometry.width));
            break;
        case 8:
            out.append(legacy::numberText(geometry.top));
            break;
        case 9:
            out.append(legacy::numberText(geometry.left));
            break;
        default:
            out.append(oneLine(specs()[n].save(options)));
            break;
        }
    }
    return out;
}

bool writeSettingsFile(const QString& path, const QStringList& lines, int* errorNumber)
{
    const auto fail = [&](int number) {
        if (errorNumber) {
            *errorNumber = number;
        }
        return false;
    };
    switch (textfile::replaceFile(path, textfile::linesBytes(lines), nullptr, textfile::ownerOnly)) {
    case textfile::ReplaceResult::replaced:
        break;
    case textfile::ReplaceResult::cannotCreate: {
        const QFileInfo folder(QFileInfo(path).absolutePath());
        return fail(folder.isDir() && !folder.isWritable() ? errPermissionDenied : errPathFileAccess);
    }
    case textfile::ReplaceResult::cannotWrite:
    case textfile::ReplaceResult::notRegular:
        return fail(errPathFileAccess);
    }
    QFile::setPermissions(path, textfile::ownerOnly);
    return true;
}

} // namespace zenthra
