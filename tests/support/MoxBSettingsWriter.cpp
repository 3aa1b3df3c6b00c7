#include "support/MoxBSettingsWriter.h"

#include "common/SqlUtil.h"

#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QVariant>

namespace moxbsettings {

QList<Section> sections(Language language, const QStringList &indexes)
{
    const bool en = language == Language::English;
    QList<QStringList> parameterRows;
    int number = 0;
    for (const QString &index : indexes)
        parameterRows.append({QString::number(++number), index, QStringLiteral("Analog")});
    return {
        {en ? QStringLiteral("General settings") : QStringLiteral("Ustawienia ogolne"),
         {QStringLiteral("Name"), QStringLiteral("Value")},
         {{QStringLiteral("Interval"), QStringLiteral("10 s")},
          {QStringLiteral("Language"), en ? QStringLiteral("English") : QStringLiteral("Polski")}}},
        {en ? QStringLiteral("Instrument information") : QStringLiteral("Informacje systemowe"),
         {QStringLiteral("Key"), QStringLiteral("Value")},
         {{QStringLiteral("Serial"), QStringLiteral("1234")}}},
        {en ? QStringLiteral("Parameters") : QStringLiteral("Parametry"),
         {QStringLiteral("No"), QStringLiteral("Index"), QStringLiteral("Type")},
         parameterRows},
        {en ? QStringLiteral("Temperature information") : QStringLiteral("Temperatura"),
         {QStringLiteral("Name"), QStringLiteral("Value")},
         {{QStringLiteral("T1"), QStringLiteral("21.5")}}},
    };
}

QStringList storedTables(Language language)
{
    if (language == Language::English)
        return {QStringLiteral("General settings"), QStringLiteral("Instrument information"),
                QStringLiteral("ParametersSettings"), QStringLiteral("Temperature information")};
    return {QStringLiteral("Ustawienia ogolne"), QStringLiteral("Informacje systemowe"),
            QStringLiteral("ParametersSettings"), QStringLiteral("Temperatura")};
}

QByteArray csv(const QList<Section> &sections)
{
    QByteArray out;
    for (const Section &s : sections) {
        out += s.title.toUtf8() + "\r\n";
        out += s.header.join(QLatin1Char(',')).toUtf8() + "\r\n";
        for (const QStringList &row : s.rows)
            out += row.join(QLatin1Char(',')).toUtf8() + "\r\n";
        out += "\r\n";
    }
    return out;
}

bool writeSqlite(const QString &path, const QList<Section> &sections)
{
    const QString name = QStringLiteral("moxbsettings_writer");
    QFile::remove(path);
    bool ok = true;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        ok = db.open();
        QSqlQuery q(db);
        for (const Section &s : sections) {
            if (!ok)
                break;
            QStringList columns;
            for (const QString &c : s.header)
                columns << sql::quoteIdentifier(c) + QStringLiteral(" TEXT");
            ok = q.exec(QStringLiteral("CREATE TABLE %1 (%2)")
                            .arg(sql::quoteIdentifier(s.title), columns.join(QStringLiteral(", "))));
            for (const QStringList &row : s.rows) {
                if (!ok)
                    break;
                ok = q.prepare(QStringLiteral("INSERT INTO %1 VALUES (%2)")
                                   .arg(sql::quoteIdentifier(s.title), sql::placeholders(s.header.size())));
                for (const QString &v : row)
                    q.addBindValue(v);
                ok = ok && q.exec();
            }
        }
        q = QSqlQuery();
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return ok;
}

} // namespace moxbsettings
