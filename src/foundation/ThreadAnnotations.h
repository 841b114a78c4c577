// The lock contract attributes live with the plain mutex in platform; this
// name stays for the code that includes it from here.
#pragma once

#include "platform/ThreadAnnotations.h"
