#include "view_geometry.h"

#include "platform/legacy_value.h"
#include "platform/text_file.h"

namespace zenthra {

namespace {
constexpr float smallestSide = 500;
constexpr qsizetype lineCount = 4;
} // namespace

StoredTwipsRect readViewGeometry(const QString& path)
{
    StoredTwipsRect out;
    const std::optional<QStringList> lines = textfile::readLines(path, lineCount);
    if (!lines) {
        return out;
    }
    const auto number = [&](int i) {
        return i < lines->size() ? static_cast<float>(legacy::val(lines->at(i))) : 0.0F;
    };
    if (const float v = number(0); v > 0) {
        out.top = v;
    }
    if (const float v = number(1); v > 0) {
        out.left = v;
    }
    if (const float v = number(2); v > smallestSide) {
        out.width = v;
    }
    if (const float v = number(3); v > smallestSide) {
        out.height = v;
    }
    return out;
}

bool writeViewGeometry(const QString& path, const TwipsRect& g)
{
    return textfile::writeLines(path, {legacy::numberText(g.top), legacy::numberText(g.left),
                                       legacy::numberText(g.width), legacy::numberText(g.height)});
}

} // namespace zenthra
