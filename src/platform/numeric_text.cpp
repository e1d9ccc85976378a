#include "platform/numeric_text.h"

namespace zenthra::legacy {

namespace {
bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}
bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}
} // namespace

bool isNumeric(QStringView text)
{
    qsizetype i = 0;
    qsizetype end = text.size();
    while (i < end && isBlank(text[i])) {
        ++i;
    }
    while (end > i && isBlank(text[end - 1])) {
        --end;
    }
    if (i < end && (text[i] == u'+' || text[i] == u'-')) {
        ++i;
    }
    int digits = 0;
    while (i < end && isDigit(text[i])) {
        ++i;
        ++digits;
    }
    if (i < end && text[i] == u'.') {
        ++i;
        while (i < end && isDigit(text[i])) {
            ++i;
            ++digits;
        }
    }
    if (digits == 0) {
        return false;
    }
    if (i < end && (text[i] == u'E' || text[i] == u'e' || text[i] == u'D' || text[i] == u'd')) {
        ++i;
        if (i < end && (text[i] == u'+' || text[i] == u'-')) {
            ++i;
        }
        int exponentDigits = 0;
        while (i < end && isDigit(text[i])) {
            ++i;
            ++exponentDigits;
        }
        if (exponentDigits == 0) {
            return false;
        }
    }
    return i == end;
}

} // namespace zenthra::legacy
