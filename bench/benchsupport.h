#pragma once

#include "core/store/drawhistory.h"

namespace pirumoa::bench {

// The shipped sample history (about 7,000 draws).
const DrawHistory& sampleHistory();
// The largest history there can be: 32,767 complete draws of random digits.
const DrawHistory& largestHistory();

}  // namespace pirumoa::bench
