#include "tables/moxbsettingtable.h"

#include "common/SqlUtil.h"
#include "common/Trace.h"
#include "tables/moxblogtable.h"

#include <QElapsedTimer>
#include <QSqlQuery>
#include <QSqlQueryModel>

moxbsettingtable::moxbsettingtable(QSqlDatabase db, QObject *parent)
    : MyAbstractSqlModelMoxB(db, parent)
{
    TRACE_FUNC() << db.databaseName() << db.connectionName();
    updateQuery();
}

moxbsettingtable::~moxbsettingtable()
{
    TRACE_FUNC();
    TRACE() << "moxbsettingtable destroy";
}

MyAbstractTableModel *moxbsettingtable::clone() const
{
    return new moxbsettingtable(currentConnection(), nullptr);
}

bool moxbsettingtable::isFlagValid(int flag) const
{
    return moxbflags::isValid(flag);
}

QString moxbsettingtable::getFlagText(int flag) const
{
    return moxbflags::text(flag);
}

QString moxbsettingtable::getDateTimeFormat() const
{
    return QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz");
}

void moxbsettingtable::updateQuery()
{
    QElapsedTimer timer;
    timer.start();
    {
        ResetScope reset(this);
        queryModel->clear();
        resultHeaders.clear();
        columnsVisibilityList.clear();
        colNamesGroup.clear();

        bool ok = false;
        if (!groupByDate) {
            ok = setModelQuery(QStringLiteral("SELECT * from Data;"), {}, tableColumns(QStringLiteral("Data")));
        } else {
            // Names are bound and labels quoted: a parameter name is data.
            QString text = QStringLiteral("SELECT DISTINCT dateTime,");
            QVariantList values;
            QStringList headers{QStringLiteral("dateTime")};
            columnsVisibilityList << true;
            colNamesGroup << QStringLiteral("dateTime");
            for (int i = 0; i < paramNames.size(); ++i) {
                const QString &name = paramNames.at(i);
                const QString label = name; // no units are kept for these databases
                if (i > 0)
                    text += QLatin1Char(',');
                text += QStringLiteral("sum(case when name = ? then value end) AS %1, ")
                            .arg(sql::quoteIdentifier(label));
                text += QStringLiteral("sum(case when name = ? then flag end) AS %1")
                            .arg(sql::quoteIdentifier(name + QStringLiteral("_flag")));
                values << name << name;
                headers << label << name + QStringLiteral("_flag");
                columnsVisibilityList << true << false;
                colNamesGroup << label;
            }
            text += QStringLiteral(" FROM dataConnected GROUP BY dateTime");
            if (!colNamesNotGroup.isEmpty())
                headers[0] = colNamesNotGroup.first();
            ok = setModelQuery(text, values, headers);
        }
        if (!ok)
            TRACE() << "Setting table query failed";
        if (ok && loadAllData) {
            while (queryModel->canFetchMore())
                queryModel->fetchMore();
        }
    }
    if (groupByDate)
        emit headerDataChanged(Qt::Horizontal, 0, paramNames.size());
    reportConsole(tr("Table data query time: ") + QString::number(timer.elapsed()) + QStringLiteral(" ms"), 0);
}

int moxbsettingtable::getDataExportRowCnt()
{
    QSqlQuery q(currentConnection());
    if (q.exec(QStringLiteral("SELECT COUNT(*) FROM (SELECT DISTINCT id FROM Data)")) && q.next())
        return q.value(0).toInt();
    return 0;
}

bool moxbsettingtable::execDataExportQuery(uint offset, uint limit)
{
    return openExportPage(QStringLiteral("Data"), QStringLiteral("SELECT * FROM Data LIMIT %1, %2"), offset, limit);
}

bool moxbsettingtable::getNextExportRecord(ParamInfo &rec)
{
    Q_UNUSED(rec)
    return false;
}

bool moxbsettingtable::flagNotReady(int flag) const
{
    TRACE() << "moxbsettingtable::flagNotReady";
    return flag == 128;
}
