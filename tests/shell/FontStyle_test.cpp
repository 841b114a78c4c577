// The font a style makes and how it draws with it.
#include "shell/FontStyle.h"

#include <gtest/gtest.h>

namespace {

// A drawing context that starts with a font of its own.
class RecordingContext : public IDrawContext {
 public:
  const CLogicalFont* SelectFont(const CLogicalFont* font) override {
    const CLogicalFont* previous = current;
    current = font;
    return previous;
  }
  void SetTextColor(uint32_t color) override { textColor = color; }
  CLogicalFont own;
  const CLogicalFont* current = &own;
  uint32_t textColor = 0;
};

TEST(FontStyle, GetFontMakesTheFontOnceFromTheDescription) {
  CFontStyle style;
  style.height = 12;
  style.weight = 700;
  style.faceName = std::string(40, 'F');
  const CLogicalFont& font = style.GetFont();
  EXPECT_EQ(font.height, 12);
  EXPECT_EQ(font.weight, 700);
  EXPECT_EQ(font.charSet, 1);
  EXPECT_EQ(font.faceName, std::string(31, 'F')) << "at most 31 bytes";
  style.height = 20;
  EXPECT_EQ(&style.GetFont(), &font) << "later calls give the same font";
  EXPECT_EQ(style.GetFont().height, 12);
  // A copy takes the description and makes its own font.
  CFontStyle copy = style;
  EXPECT_NE(&copy.GetFont(), &font);
  EXPECT_EQ(copy.GetFont().height, 20);
}

TEST(FontStyle, ApplySelectsTheFontAndColourAndKeepsTheReplacedFont) {
  CFontStyle style;
  style.height = 13;
  style.textColor = 0x333333;
  RecordingContext context;
  style.Apply(&context);
  EXPECT_EQ(context.current, &style.GetFont());
  EXPECT_EQ(style.previousFont, &context.own);
  EXPECT_EQ(context.textColor, 0x333333u);
  style.Apply(nullptr);  // nothing to draw into
  EXPECT_EQ(style.previousFont, &context.own);
}

}  // namespace
