#include "tables/ZelCTableModel.h"

#include "common/SqlUtil.h"
#include "common/Trace.h"

#include <QElapsedTimer>
#include <QSqlQuery>
#include <QSqlQueryModel>

ZelCTableModel::ZelCTableModel(QSqlDatabase db, QObject *parent)
    : MyAbstractSqlModel(db, parent)
{
    TRACE_FUNC() << db.databaseName() << db.connectionName();
    updateQuery();
}

ZelCTableModel::~ZelCTableModel()
{
    TRACE_FUNC();
    TRACE() << "ZelCTableModel destroy";
}

MyAbstractTableModel *ZelCTableModel::clone() const
{
    return new ZelCTableModel(currentConnection(), nullptr);
}

bool ZelCTableModel::isFlagValid(int flag) const
{
    return flag != FlagInvalid && flag != FlagInvalidOther;
}

QString ZelCTableModel::getFlagText(int flag) const
{
    if (!isFlagValid(flag))
        return FlagInvalidSymbol;
    if (flag == FlagNotReady)
        return FlagNotReadySymbol;
    return FlagValidSymbol;
}

QString ZelCTableModel::getDateTimeFormat() const
{
    return QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz");
}

bool ZelCTableModel::flagNotReady(int flag) const
{
    TRACE() << "ZelCTableModel::flagNotReady";
    return flag == FlagNotReady;
}

void ZelCTableModel::updateQuery()
{
    QElapsedTimer timer;
    timer.start();
    {
        // Views must not keep counts of the previous result.
        ResetScope reset(this);
        queryModel->clear();
        columnsVisibilityList.clear();
        groupColumnNames.clear();

        if (!pivot) {
            setModelQuery(QStringLiteral("SELECT DISTINCT dateTime, '' AS deviceName, name, value, unit, flag "
                                         "FROM DataConnected"),
                          {});
            for (int i = 0; i < flatColumnNames.size(); ++i) {
                queryModel->setHeaderData(i, Qt::Horizontal, flatColumnNames.at(i), Qt::EditRole);
                columnsVisibilityList.append(i != 1);
            }
        } else if (paramNames.isEmpty()) {
            // Nothing to pivot: an empty table rather than a broken statement.
            reportConsole(tr("No parameters to group by date."), 2);
        } else {
            QString text = QStringLiteral("SELECT DISTINCT dateTime");
            QVariantList values;
            columnsVisibilityList.append(true);
            groupColumnNames.append(QStringLiteral("dateTime"));
            for (int i = 0; i < paramNames.size(); ++i) {
                const QString &name = paramNames.at(i);
                const QString unit = paramUnits.value(i);
                const QString display = unit.isEmpty() ? name : name + QStringLiteral(" [") + unit + QLatin1Char(']');
                // Names are bound as values; the column titles are quoted.
                text += QStringLiteral(", sum(case when name = ? then value end) AS ") + sql::quoteIdentifier(display)
                        + QStringLiteral(", sum(case when name = ? then flag end) AS ")
                        + sql::quoteIdentifier(name + QStringLiteral("_flag"));
                values << name << name;
                columnsVisibilityList << true << false;
                groupColumnNames.append(display);
            }
            text += QStringLiteral(" FROM dataConnected GROUP BY dateTime");
            if (setModelQuery(text, values)) {
                // The driver drops double quotes from result column names:
                // titles are set here, as the aliases read.
                queryModel->setHeaderData(0, Qt::Horizontal, flatColumnNames.value(0), Qt::EditRole);
                for (int i = 0; i < paramNames.size(); ++i) {
                    queryModel->setHeaderData(2 * i + 1, Qt::Horizontal, groupColumnNames.at(i + 1), Qt::EditRole);
                    queryModel->setHeaderData(2 * i + 2, Qt::Horizontal, paramNames.at(i) + QStringLiteral("_flag"),
                                              Qt::EditRole);
                }
            }
        }

        if (loadAll) {
            // The analysers' tables load whole, without the scroll cap.
            while (queryModel->canFetchMore()) {
                const int before = queryModel->rowCount();
                queryModel->fetchMore();
                if (queryModel->rowCount() == before)
                    break;
            }
        }
    }
    if (queryModel->columnCount() > 0)
        emit headerDataChanged(Qt::Horizontal, 0, queryModel->columnCount() - 1);
    reportConsole(tr("Table data query time: ") + QString::number(timer.elapsed()) + QStringLiteral(" ms"), 0);
}

qint64 ZelCTableModel::groupedRowCount()
{
    if (paramNames.isEmpty())
        return 0;
    QSqlQuery q(currentConnection());
    q.setForwardOnly(true);
    if (!q.exec(QStringLiteral("SELECT COUNT(DISTINCT dateTime) FROM DataConnected")) || !q.next())
        return -1;
    return q.value(0).toLongLong();
}
