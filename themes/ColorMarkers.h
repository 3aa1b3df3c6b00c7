#pragma once
// The numbered colour markers of the theme style sheets, "/*color<N>*/#rrggbb":
// one implementation for the start-up upgrade of the user sheet and the
// user theme editor.
#include <QMap>
#include <QString>

namespace ColorMarkers {

// "#" and six hexadecimal digits, the only text ever written after a marker.
bool isMarkerColor(const QString &color);

// Number to colour of every marker of the text; a later marker of a number
// replaces an earlier one.
QMap<int, QString> collect(const QString &text);

// Gives every marker of the number the colour. False, and the text as it
// was, when the text has no such marker or the colour is no marker colour.
bool replace(QString &text, int number, const QString &color);

// The whole file as UTF-8; with stopAtZero it ends at the first zero byte.
// False when the file cannot be read (the text is then left untouched).
bool readSheet(const QString &path, QString *text, bool stopAtZero = false);

// Writes the text as UTF-8 through a save file: the old file stays whole
// until the new one is complete. Fills *error on failure.
bool writeSheet(const QString &path, const QString &text, QString *error = nullptr);

} // namespace ColorMarkers
