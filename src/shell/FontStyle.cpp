#include "shell/FontStyle.h"

#include "shell/TextCut.h"

CFontStyle::CFontStyle(const CFontStyle& other)
    : reserved(other.reserved),
      height(other.height),
      weight(other.weight),
      faceName(other.faceName),
      textColor(other.textColor),
      flag(other.flag),
      state(other.state) {}

CFontStyle& CFontStyle::operator=(const CFontStyle& other) {
  if (this == &other) return *this;
  reserved = other.reserved;
  height = other.height;
  weight = other.weight;
  faceName = other.faceName;
  textColor = other.textColor;
  flag = other.flag;
  state = other.state;
  previousFont = nullptr;
  font_.reset();
  return *this;
}

std::string CFontStyle::FontFaceName() const { return CutLegacyText(faceName, 31); }

const CLogicalFont& CFontStyle::GetFont() const {
  if (!font_) {
    auto font = std::make_shared<CLogicalFont>();
    font->height = height;
    font->weight = weight;
    font->faceName = FontFaceName();
    font_ = std::move(font);
  }
  return *font_;
}

void CFontStyle::Apply(IDrawContext* context) {
  if (context == nullptr) return;
  previousFont = context->SelectFont(&GetFont());
  context->SetTextColor(textColor);
}
