// A font description with a text colour, shared by the lists and dialogs of
// the user interface. GetFont makes the font it stands for on first use;
// Apply selects that font and the colour into a drawing context. One thread
// (the user-interface thread) uses a style at a time.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

// A font as a style makes it: the toolkit layer turns it into a real font.
struct CLogicalFont {
  int height = 0;               // character height in pixels
  int weight = 0;               // 400 normal, 700 bold; 0 the toolkit's default
  int charSet = 1;              // the default character set
  std::string faceName;         // legacy code page, at most 31 bytes
};

// What Apply draws into.
class IDrawContext {
 public:
  virtual ~IDrawContext() = default;
  // Makes `font` the context's font; returns the font it replaced (null: the context's own).
  virtual const CLogicalFont* SelectFont(const CLogicalFont* font) = 0;
  virtual void SetTextColor(uint32_t color) = 0;  // 0x00BBGGRR
};

struct CFontStyle {
  int reserved = 0;                   // copied, never read
  int height = 0;                     // logical height in pixels (character height)
  int weight = 0;                     // 400 normal, 700 bold; 0 the toolkit's default
  std::string faceName = "Tahoma";    // face name, legacy code page; at most 31 bytes are used
  uint32_t textColor = 0;             // 0x00BBGGRR
  int flag = 0;                       // copied, never read
  int state = 1;                      // 0 once a list has reset its copy; never read
  const CLogicalFont* previousFont = nullptr;  // the font the last Apply replaced

  CFontStyle() = default;
  // A copy takes the description, not the font: it makes its own on first use.
  CFontStyle(const CFontStyle& other);
  CFontStyle& operator=(const CFontStyle& other);

  // The face name as the font is made from it: at most 31 bytes, never ending
  // inside a double-byte character of the legacy code page.
  std::string FontFaceName() const;
  // The font: made on the first call from height, weight and the face name
  // (character set 1); later calls give the same font, also after the fields change.
  const CLogicalFont& GetFont() const;
  // Selects GetFont() into `context`, keeps the font it replaced in
  // previousFont, and sets the context's text colour to textColor.
  void Apply(IDrawContext* context);

 private:
  mutable std::shared_ptr<const CLogicalFont> font_;
};
