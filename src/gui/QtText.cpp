#include "gui/QtText.h"

#include "platform/CodePage.h"

QString FromLegacy(const std::string& text) {
  if (text.empty()) return QString();
  std::string utf8 = platform::ConvertCodePage(text, platform::LegacyCodePage(), "UTF-8");
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

std::string ToLegacy(const QString& text) {
  if (text.isEmpty()) return std::string();
  QByteArray utf8 = text.toUtf8();
  return platform::ConvertCodePage(std::string(utf8.constData(), static_cast<size_t>(utf8.size())), "UTF-8",
                                   platform::LegacyCodePage());
}
