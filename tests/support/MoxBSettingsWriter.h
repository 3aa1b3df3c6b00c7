#pragma once
// Settings of a MoxB recorder made for tests: titled tables, written as the
// recorder's SQLite settings file or as its CSV settings file, with English
// or Polish table names.
#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace moxbsettings {

struct Section
{
    QString title;
    QStringList header;
    QList<QStringList> rows;
};

enum class Language { English, Polish };

// General settings, instrument information, parameters (one row per Index
// text) and temperature channels, titled in the given language.
QList<Section> sections(Language language, const QStringList &indexes);

// The file's tables as the application database stores them: the parameters
// table as ParametersSettings.
QStringList storedTables(Language language);

// One title line, one header line and the rows per section.
QByteArray csv(const QList<Section> &sections);
// One table of TEXT columns per section; false when it cannot be written.
bool writeSqlite(const QString &path, const QList<Section> &sections);

} // namespace moxbsettings
