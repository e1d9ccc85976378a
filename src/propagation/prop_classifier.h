#pragma once
// The propagation mode of one DX-cluster spot, from its comment, its DX call, its frequency and
// its path length: a keyword search over the keyword list, overrides by the DX call, the "MUF"
// rule, then the band and distance rules with the user's limits and counting options.

#include "core/classifier_options.h"

#include <QString>

namespace zenthra {

class ErrorLog;
class PropTypeList;

// text: the spot's comment (the processor passes it upper-cased with a blank on each side);
// dxCall: the DX call as received; freqMhz: the frequency as the spot record carries it (see
// spotFrequencyMhz); distanceKm: the path length, 0 when unknown. An empty keyword list means
// that no keyword matched. Returns the mode word, never "". A frequency or distance that is not
// a finite number logs one line and gives what the keyword and call steps found, else "UNKNOWN".
QString GET_PROPAGATION(const QString& text, const QString& dxCall, double freqMhz, double distanceKm,
                        const PropTypeList& keywords, const ClassifierOptions& options, ErrorLog& log);

// The frequency as the spot record holds it: the kHz figure times 0.001 in single precision,
// written with at most 7 significant digits and read back. 50219 kHz gives exactly 50.219.
double spotFrequencyMhz(double khz);

} // namespace zenthra
