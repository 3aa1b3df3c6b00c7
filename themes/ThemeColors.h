#pragma once
// What the theme windows need of the theme state: the built-in sheets a new
// user theme starts from, and the Framework fields under their names.
#include "app/Framework.h"

#include <QStringList>

namespace ThemeColors {

struct BaseSheet
{
    const char *path;
    bool light;
};

// The sheet of a built-in theme (0 to 4), null for any other index.
const BaseSheet *baseSheet(int themeIndex);

// The colours a new user theme takes for additional colours 1 to 10 and the
// chart background (standard colour 12): the palette of a light or dark
// built-in theme, the very values Framework applies.
QStringList defaultSet(bool light);

inline QString &additColor(Framework &fw, int number) { return *fw.additColorField(number); }
inline QString &chartBackColor(Framework &fw) { return fw.buttonColor12; }

} // namespace ThemeColors
