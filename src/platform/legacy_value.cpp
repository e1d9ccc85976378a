#include "legacy_value.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>

namespace zenthra::legacy {

namespace {

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r';
}

// printf's "%.*e" of a finite value, without printf's cost (every spot formats a dozen figures);
// returns the end of the text, where the terminating zero stands.
const char* scientific(char (&buf)[64], double value, int decimals)
{
    const auto out = std::to_chars(buf, buf + sizeof buf - 1, value, std::chars_format::scientific, decimals);
    *out.ptr = '\0';
    return out.ptr;
}

// Digits of |value| rounded to `significant` digits, as a plain decimal string without
// exponent and without trailing zeros ("28.45", "1200", "0.0001").
std::string decimalForm(double value, int significant)
{
    char buf[64];
    scientific(buf, std::fabs(value), significant - 1);
    // buf: d.ddddde[+-]xx
    std::string text(buf);
    const auto ePos = text.find('e');
    std::string mantissa = text.substr(0, ePos);
    const int exponent = std::atoi(text.c_str() + ePos + 1);
    std::string digits;
    for (char c : mantissa) {
        if (c != '.') {
            digits += c;
        }
    }
    while (digits.size() > 1 && digits.back() == '0') {
        digits.pop_back();
    }
    // Place the decimal point: value = 0.digits * 10^(exponent + 1)
    const int pointPos = exponent + 1;
    std::string out;
    if (pointPos <= 0) {
        out = "0." + std::string(static_cast<size_t>(-pointPos), '0') + digits;
    } else if (pointPos >= static_cast<int>(digits.size())) {
        out = digits + std::string(static_cast<size_t>(pointPos) - digits.size(), '0');
    } else {
        out = digits.substr(0, static_cast<size_t>(pointPos)) + "." +
              digits.substr(static_cast<size_t>(pointPos));
    }
    if (out == "0" || digits == "0") {
        return "0";
    }
    return out;
}

QString numberTextDigits(double value, int significant)
{
    if (std::isnan(value)) {
        return QStringLiteral("NaN");
    }
    if (std::isinf(value)) {
        return value > 0 ? QStringLiteral("inf") : QStringLiteral("-inf");
    }
    if (value == 0) {
        return QStringLiteral("0");
    }
    char buf[64];
    const char* end = scientific(buf, value, significant - 1);
    double rounded = 0;
    std::from_chars(buf, end, rounded);
    const double magnitude = std::fabs(rounded);
    if (magnitude >= std::pow(10.0, significant) || magnitude < 1e-4) {
        // Exponent form: mantissa without trailing zeros, "E+15", "E-05".
        std::string text(buf);
        const auto ePos = text.find('e');
        std::string mantissa = text.substr(0, ePos);
        if (mantissa.find('.') != std::string::npos) {
            while (mantissa.back() == '0') {
                mantissa.pop_back();
            }
            if (mantissa.back() == '.') {
                mantissa.pop_back();
            }
        }
        const int exponent = std::atoi(text.c_str() + ePos + 1);
        char expBuf[16];
        std::snprintf(expBuf, sizeof expBuf, "E%c%02d", exponent < 0 ? '-' : '+', std::abs(exponent));
        return QString::fromStdString(mantissa + expBuf);
    }
    const std::string body = decimalForm(rounded, significant);
    return QString::fromStdString((rounded < 0 ? "-" : "") + body);
}

// Rounds the decimal text `digits` (no sign, e.g. "28.45") to `decimals` places, half away
// from zero, and pads with zeros.
std::string roundDecimalText(const std::string& digits, int decimals)
{
    std::string intPart = digits;
    std::string fracPart;
    if (const auto dot = digits.find('.'); dot != std::string::npos) {
        intPart = digits.substr(0, dot);
        fracPart = digits.substr(dot + 1);
    }
    const bool roundUp =
        static_cast<int>(fracPart.size()) > decimals && fracPart[static_cast<size_t>(decimals)] >= '5';
    fracPart.resize(static_cast<size_t>(decimals), '0');
    std::string all = intPart + fracPart;
    if (roundUp) {
        int i = static_cast<int>(all.size()) - 1;
        while (i >= 0) {
            if (all[static_cast<size_t>(i)] == '9') {
                all[static_cast<size_t>(i)] = '0';
                --i;
            } else {
                ++all[static_cast<size_t>(i)];
                break;
            }
        }
        if (i < 0) {
            all.insert(all.begin(), '1');
        }
    }
    // Built by appending: GCC 12 at -O3 warns (-Wrestrict) about overlapping copies that cannot
    // happen when a literal is assigned or prepended to a string here.
    const size_t intLen = all.size() - static_cast<size_t>(decimals);
    std::string out = intLen > 0 ? all.substr(0, intLen) : std::string(1, '0');
    if (decimals > 0) {
        out += '.';
        out.append(all, intLen);
    }
    return out;
}

QString formatDigits(double value, QStringView pattern, int significant)
{
    if (!std::isfinite(value)) {
        return numberTextDigits(value, significant);
    }
    int decimals = 0;
    if (const auto dot = pattern.indexOf(u'.'); dot >= 0) {
        decimals = static_cast<int>(pattern.size() - dot - 1);
    }
    const std::string body = roundDecimalText(decimalForm(value, significant), decimals);
    const bool allZero = body.find_first_not_of("0.") == std::string::npos;
    return QString::fromStdString((value < 0 && !allZero ? "-" : "") + body);
}

} // namespace

double val(QStringView text)
{
    std::string number;
    qsizetype i = 0;
    const qsizetype n = text.size();
    auto skipBlanks = [&] {
        while (i < n && isBlank(text[i])) {
            ++i;
        }
    };
    skipBlanks();
    if (i < n && (text[i] == u'-' || text[i] == u'+')) {
        number += static_cast<char>(text[i].unicode());
        ++i;
    }
    bool sawDigit = false;
    bool sawPoint = false;
    for (;; ++i) {
        skipBlanks();
        if (i >= n) {
            break;
        }
        const QChar c = text[i];
        if (c >= u'0' && c <= u'9') {
            number += static_cast<char>(c.unicode());
            sawDigit = true;
        } else if (c == u'.' && !sawPoint) {
            number += '.';
            sawPoint = true;
        } else {
            break;
        }
    }
    if (!sawDigit) {
        return 0.0;
    }
    if (i < n && (text[i] == u'e' || text[i] == u'E' || text[i] == u'd' || text[i] == u'D')) {
        std::string exponent = "e";
        qsizetype j = i + 1;
        auto skip = [&] {
            while (j < n && isBlank(text[j])) {
                ++j;
            }
        };
        skip();
        if (j < n && (text[j] == u'-' || text[j] == u'+')) {
            exponent += static_cast<char>(text[j].unicode());
            ++j;
        }
        bool expDigit = false;
        for (;; ++j) {
            skip();
            if (j >= n || text[j] < u'0' || text[j] > u'9') {
                break;
            }
            exponent += static_cast<char>(text[j].unicode());
            expDigit = true;
        }
        if (expDigit) {
            number += exponent;
        }
    }
    // from_chars reads what strtod reads, faster, but takes no plus sign and leaves the value
    // alone out of range, where strtod's own result stands.
    const char* begin = number.c_str();
    const char* end = begin + number.size();
    if (*begin == '+') {
        ++begin;
    }
    double result = 0;
    if (std::from_chars(begin, end, result).ec != std::errc()) {
        result = std::strtod(number.c_str(), nullptr);
    }
    return std::isfinite(result) ? result : 0.0;
}

double roundHalfEven(double value)
{
    return std::nearbyint(value); // the default rounding mode rounds half to even
}

std::optional<qint16> toInt16(double value)
{
    if (!std::isfinite(value)) {
        return std::nullopt;
    }
    const double r = roundHalfEven(value);
    if (r < std::numeric_limits<qint16>::min() || r > std::numeric_limits<qint16>::max()) {
        return std::nullopt;
    }
    return static_cast<qint16>(r);
}

std::optional<qint32> toInt32(double value)
{
    if (!std::isfinite(value)) {
        return std::nullopt;
    }
    const double r = roundHalfEven(value);
    if (r < std::numeric_limits<qint32>::min() || r > std::numeric_limits<qint32>::max()) {
        return std::nullopt;
    }
    return static_cast<qint32>(r);
}

QString trim(const QString& text)
{
    qsizetype start = 0;
    qsizetype end = text.size();
    while (start < end && text[start] == u' ') {
        ++start;
    }
    while (end > start && text[end - 1] == u' ') {
        --end;
    }
    return start == 0 && end == text.size() ? text : text.mid(start, end - start);
}

std::optional<bool> readFlag(QStringView text)
{
    const QStringView t = text.trimmed();
    if (t.compare(u"True", Qt::CaseInsensitive) == 0) {
        return true;
    }
    if (t.compare(u"False", Qt::CaseInsensitive) == 0) {
        return false;
    }
    bool ok = false;
    const double number = t.toDouble(&ok);
    if (ok) {
        return number != 0.0;
    }
    return std::nullopt;
}

QString flagText(bool value)
{
    return value ? QStringLiteral("True") : QStringLiteral("False");
}

QString numberText(double value)
{
    return numberTextDigits(value, 15);
}

QString numberText(float value)
{
    return numberTextDigits(static_cast<double>(value), 7);
}

QString format(double value, QStringView pattern)
{
    return formatDigits(value, pattern, 15);
}

QString format(float value, QStringView pattern)
{
    return formatDigits(static_cast<double>(value), pattern, 7);
}

} // namespace zenthra::legacy
