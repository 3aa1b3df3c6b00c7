#include "themes/ThemeColors.h"

namespace ThemeColors {

const BaseSheet *baseSheet(int themeIndex)
{
    static const BaseSheet sheets[] = {
        {":/styles/_resources/styles/themeDark.qss", false}, {":/styles/_resources/styles/themeLight.qss", true},
        {":/styles/_resources/styles/themeGold.qss", true},  {":/styles/_resources/styles/themeRed.qss", false},
        {":/styles/_resources/styles/themeBlue.qss", true},
    };
    return themeIndex >= 0 && themeIndex <= 4 ? &sheets[themeIndex] : nullptr;
}

QStringList defaultSet(bool light)
{
    return Framework::paletteColors(light).mid(0, 11);
}

} // namespace ThemeColors
