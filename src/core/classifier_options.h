#pragma once
// The sporadic-E counting options and distance limits: set from the "ES Options" menu, kept in
// the settings file, read by the mode classifier and the spot processor.

namespace zenthra {

struct ClassifierOptions
{
    bool blnDigiJt6m = false;
    bool blnDigiWsjt = false;
    bool blnDigiJt65 = false;
    bool blnEs2mWindows = false;
    float sngMinEsQrb6m = 0;
    float sngMaxEsQrb6m = 0;
    float sngMinEsQrb4m = 0;
    float sngMinEsQrb2m = 0;
    bool blnEsBeyond5000 = false;
};

} // namespace zenthra
