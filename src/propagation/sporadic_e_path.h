#pragma once
// The sporadic-E figures of a path heard on a frequency, and of the path the home station should
// try: elevation, reflection point, critical frequency and MUF of the heard path; then where home
// should beam, how far, how high and on what frequency. The spot processor and the hand
// calculator both work it out here.
//
// Every figure is a text as the tables and labels hold it, and each step reads the text of the
// step before, so the figures stored, shown and reported agree to the digit.

#include <QString>

namespace zenthra {

class MufCalcs;

// What was heard: the two stations' checked locators, the path's distance as the caller stored
// it (the processor needs it before it knows the path is sporadic-E), the frequency in MHz and
// the heights the calculation assumes.
struct HeardPath
{
    QString from;
    QString to;
    QString qrb;
    double freq = 0;
    double layerHeight = 0;
    double masl = 0;
};

struct SporadicEPath
{
    QString elevation;
    QString midLocator;
    QString critFreq;
    QString muf;
    // The checked home locator, and the figures of its path towards the reflection.
    QString tryFrom;
    QString tryTo;
    QString qtfTo;
    QString qrbTo;
    QString elevationTo;
    QString fot;
};

// What a home locator that fails the check gives.
enum class WithoutHome
{
    // Home figures all the same, worked out from latitude 0, longitude 0 (the spot processor).
    FromOrigin,
    // No home figures (the hand calculator says what is missing instead).
    Blank,
};

// `home` is the home locator as the caller holds it; the check writes its normalised form back.
SporadicEPath sporadicEPath(const MufCalcs& calcs, const HeardPath& heard, QString& home,
                            WithoutHome withoutHome);

} // namespace zenthra
