// The shared descriptions are constants in the header. This unit compiles it
// on its own, so that it keeps including what it needs.
#include "story/scenery.h"
