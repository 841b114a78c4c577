// The result time of the outside AI engines (OGQ, SKT AI): the engines give a
// count of seconds since 1970-01-01 UTC with a fraction; a result holds it as
// local time.
#pragma once

#include "analysis/VAR.h"

// Sets result->EventTime to the local time of `seconds` with its milliseconds,
// and result->Time to "YYYYMMDDhhmmssmmm_u", where mmm is the fraction x 1000
// and u the fraction x 1000000 modulo 1000, both cut toward zero (fraction .5
// gives "500_0"). A time that is negative, not a number, beyond 64-bit seconds
// or beyond the local calendar is no time: false, and both members stay as
// they were.
bool SetEngineTime(double seconds, CVAR* result);
