// Whether the desktop's display answers, asked before the window toolkit
// starts: a toolkit that cannot reach its display ends the process, so the
// program runs headless instead when the display is gone.
#pragma once

#include <string>

// True when the X display named `display` ("[host]:n[.screen]"; no host or
// "unix": the local socket, else TCP port 6000+n) accepts a connection and
// answers the connection set-up within `timeoutMs` (whatever the answer: a
// refusal for want of credentials is an answer too). Blocks at most about
// `timeoutMs` per address tried.
bool X11DisplayAnswers(const std::string& display, int timeoutMs);

// Why the window cannot use the desktop, "" when it can: with
// `qpaPlatform` set (the toolkit's own choice) or a Wayland display, the
// desktop is left to the toolkit; otherwise a missing or silent DISPLAY is a
// reason. Null stands for an unset variable.
std::string WhyRunHeadless(const char* qpaPlatform, const char* waylandDisplay, const char* display,
                           int timeoutMs);
