#pragma once
// The display units that a MoxB recorder's settings give its channels, and
// the one rule by which a recorder column or parameter finds its channel
// there. The session's charts and reports and the import into the
// application database use the same rule, so both show the same units.
#include <QList>
#include <QMap>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>

class MoxBSettingsUnits
{
public:
    // Reads the four channel sections of a settings database (analog inputs,
    // math functions, Modbus master inputs, totalizers; English or Polish
    // table names, each with a channel name and a display unit column).
    // schema: an attached database's name, empty for the main one. Sections
    // that are missing or cannot be read give no units.
    void load(QSqlDatabase db, const QString &schema = QString());

    // The unit the sections give a column or parameter: the first section
    // that names one of its keys, the most exact key first; empty text when
    // none does.
    QString unitOf(const QString &name) const;

    // The names under which settings may name a recorder column, the most
    // exact first, each compared exactly (letter case included): the whole
    // name and, for a column titled as the recorder titles them (channel,
    // " - ", quantity), its channel ("AI1: Analog input" of "AI1: Analog
    // input - value") and the channel's own name (before ": ", "AI1").
    static QStringList keys(const QString &name);

private:
    QList<QMap<QString, QString>> m_sections;
};
