// Texts at the Qt boundary: the system's texts are bytes in the legacy code
// page; Qt's are QString.
#pragma once

#include <QString>

#include <string>

// The legacy-code-page bytes `text` as a QString.
QString FromLegacy(const std::string& text);
// `text` in the legacy code page; characters it cannot hold become '?'.
std::string ToLegacy(const QString& text);
