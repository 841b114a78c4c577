// The program's own icon, drawn once: the window, the tray and the About box show it.
#pragma once

#include <QIcon>

// A dark teal square with a white gate; 16, 24, 32, 48 and 64 pixels.
QIcon ProgramIcon();
