#include "shell/FontStyle.h"

#include "shell/TextCut.h"

std::string CFontStyle::FontFaceName() const { return CutLegacyText(faceName, 31); }
