#pragma once
// The languages the user interface offers and the process-wide current one.
// Written only on the GUI thread (through Framework::setLanguage).
#include <QMap>
#include <QString>

// Offered languages by index: 0 "en", 1 "pl".
extern const QMap<int, QString> languageCodes;
// Object name of the main window's menu action of each language.
extern const QMap<QString, QString> languageActions;

// Current language code ("en" or "pl"); empty until the first selection.
QString currentLanguage();
int currentLanguageIndex();
// Selects a code of the table; false (and nothing changes) for any other code.
bool setCurrentLanguage(const QString &code);
// Code of a table index, or empty.
QString languageCode(int index);
// Menu action object name of a code, or empty.
QString languageActionName(const QString &code);
// "qrlg_<code>.qm" and "qtbase_<code>.qm".
QString appTranslationFileName(const QString &code);
QString qtTranslationFileName(const QString &code);
