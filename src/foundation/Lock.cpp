// CLock and CScopedLock are header-only; this unit anchors the library.
#include "foundation/Lock.h"
