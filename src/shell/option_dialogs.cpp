#include "shell/option_dialogs.h"

#include "core/options_model.h"
#include "platform/bounded_number.h"
#include "platform/legacy_value.h"
#include "platform/numeric_text.h"

namespace zenthra::optiondialogs {

QString mappingPrompt(int index, const OptionsModel& options)
{
    switch (index) {
    case 0:
        return QString::fromLatin1(spotCountPrompt);
    case 1:
        return QStringLiteral("Please type the frequency you are interested in ") +
               QStringLiteral(" mapping spots, allowed values are 0 (all),50,70,144 or 220");
    case 2:
        return QStringLiteral("Please type the minimum muf to map. ") +
               QStringLiteral("Values allowed are 50 to 250 (set Max qrb before this!). The max is set at ") +
               legacy::numberText(options.sngMapMaxMuf);
    case 3:
        return QStringLiteral("Please type the maximum muf to map. ") +
               QStringLiteral("Values allowed are 51 to 250. ") +
               QStringLiteral(" Type 0 to reset min/max to default. The min is set at ") +
               legacy::numberText(options.sngMapMinMuf);
    default:
        return {};
    }
}

QString mappingDefault(int index, const OptionsModel& options)
{
    switch (index) {
    case 0:
        return QString::number(options.intMapSpotCount);
    case 1:
        return legacy::numberText(options.sngMapBand);
    case 2:
        return legacy::numberText(options.sngMapMinMuf);
    case 3:
        return legacy::numberText(options.sngMapMaxMuf);
    default:
        return {};
    }
}

void applyMappingAnswer(int index, const QString& answer, OptionsModel& options)
{
    switch (index) {
    case 0:
        if (const auto count = spotCountAnswer(answer)) {
            options.intMapSpotCount = *count;
        }
        break;
    case 1:
        options.sngMapBand = mapBandAnswer(answer);
        break;
    case 2:
        if (const auto low = minMufAnswer(answer, options.sngMapMaxMuf)) {
            options.sngMapMinMuf = *low;
        }
        break;
    case 3:
        if (const auto high = maxMufAnswer(answer, options.sngMapMinMuf)) {
            options.sngMapMaxMuf = *high;
        }
        if (resetsMufBounds(answer)) {
            options.sngMapMinMuf = 0;
            options.sngMapMaxMuf = 0;
        }
        break;
    default:
        break;
    }
}

std::optional<qint16> spotCountAnswer(const QString& answer)
{
    const auto v = legacy::boundedNumber(answer, {legacy::NumberReading::LeadingNumber, 0, 2000, false});
    if (!v) {
        return std::nullopt;
    }
    const std::optional<qint16> count = legacy::toInt16(*v);
    if (!count || *count < 1) {
        return std::nullopt;
    }
    return count;
}

float mapBandAnswer(const QString& answer)
{
    const double band = legacy::roundHalfEven(legacy::val(answer));
    if (band == 50 || band == 70 || band == 144 || band == 220) {
        return static_cast<float>(band);
    }
    return 0;
}

std::optional<float> minMufAnswer(const QString& answer, float currentMax)
{
    const auto v = legacy::boundedNumber(answer, {legacy::NumberReading::WholeNumber, 50, 250});
    if (v && static_cast<float>(*v) < currentMax) {
        return static_cast<float>(*v);
    }
    return std::nullopt;
}

std::optional<float> maxMufAnswer(const QString& answer, float currentMin)
{
    const auto v = legacy::boundedNumber(answer, {legacy::NumberReading::WholeNumber, 51, 250});
    if (v && static_cast<float>(*v) > currentMin) {
        return static_cast<float>(*v);
    }
    return std::nullopt;
}

bool resetsMufBounds(const QString& answer)
{
    return legacy::boundedNumber(answer, {legacy::NumberReading::WholeNumber, 0, 0}).has_value();
}

std::optional<qint16> fontSizeAnswer(const QString& answer)
{
    const auto v = legacy::boundedNumber(answer, {legacy::NumberReading::WholeNumber, 6, 20});
    if (!v) {
        return std::nullopt;
    }
    return legacy::toInt16(*v);
}

} // namespace zenthra::optiondialogs
