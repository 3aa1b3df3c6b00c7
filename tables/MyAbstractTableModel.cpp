#include "tables/MyAbstractTableModel.h"

#include "common/Trace.h"
#include "database/ApplicationDatabaseFile.h"
#include "tables/ReloadProgress.h"

#include <QMetaMethod>

const QString MyAbstractTableModel::FlagValidSymbol = QStringLiteral("\u2714");
const QString MyAbstractTableModel::FlagNotReadySymbol = QStringLiteral("\u231B");
const QString MyAbstractTableModel::FlagInvalidSymbol = QStringLiteral("\u2716");

namespace {
// Messages kept for a listener that never comes are dropped past this.
constexpr int MaxPendingMessages = 100;
} // namespace

MyAbstractTableModel::MyAbstractTableModel(QObject *parent)
    : QAbstractTableModel(parent)
{
    TRACE_FUNC();
}

MyAbstractTableModel::~MyAbstractTableModel() = default;

MyAbstractTableModel *MyAbstractTableModel::clone() const
{
    return nullptr;
}

QList<bool> MyAbstractTableModel::getColumnsVisibilityList() const
{
    return columnsVisibilityList;
}

void MyAbstractTableModel::setGroupByDate(bool group)
{
    groupByDate = group;
    reloadBehindProgress(tr("Loading Data"));
}

void MyAbstractTableModel::setLoadAllData(bool all)
{
    Q_UNUSED(all)
    reload();
}

bool MyAbstractTableModel::isFlagValid(int flag) const
{
    Q_UNUSED(flag)
    return true;
}

bool MyAbstractTableModel::isFlagOk(int flag) const
{
    Q_UNUSED(flag)
    return false;
}

QString MyAbstractTableModel::getFlagText(int flag) const
{
    switch (flag) {
    case 1:
        return FlagNotReadySymbol;
    case 2:
        return FlagInvalidSymbol;
    default:
        return FlagValidSymbol;
    }
}

QString MyAbstractTableModel::getDateTimeFormat() const
{
    return QStringLiteral("yyyy-MM-dd HH:mm:ss");
}

void MyAbstractTableModel::updateQuery() {}

bool MyAbstractTableModel::beginRowExport()
{
    setLoadAllData(true);
    m_exportRow = 0;
    return true;
}

int MyAbstractTableModel::rowExportCount()
{
    return rowCount();
}

bool MyAbstractTableModel::readRowExport(ExportSection &section, int maxRows)
{
    section.clear();
    section.columns = columnCount();
    const int end = qMin(rowCount(), m_exportRow + qMax(0, maxRows));
    for (; m_exportRow < end; ++m_exportRow) {
        for (int c = 0; c < section.columns; ++c) {
            const QModelIndex i = index(m_exportRow, c);
            const QVariant shown = data(i, Qt::DisplayRole);
            // A model that answers the display role only stores what it shows.
            const QVariant stored = data(i, Qt::EditRole);
            section.shown.append(shown);
            section.stored.append(stored.isValid() ? stored : shown);
        }
        ++section.rows;
    }
    return true;
}

void MyAbstractTableModel::endRowExport()
{
    m_exportRow = 0;
}

QSqlDatabase MyAbstractTableModel::readConnection(const Connections::Binding &binding) const
{
    bool gone = false;
    QSqlDatabase db = appdb::readConnection(binding, &gone);
    m_databaseGone = gone;
    return db;
}

void MyAbstractTableModel::reportConsole(const QString &msg, int icon)
{
    static const QMetaMethod sig = QMetaMethod::fromSignal(&MyAbstractTableModel::consoleMessage);
    if (isSignalConnected(sig)) {
        emit consoleMessage(msg, icon);
        return;
    }
    if (m_pending.size() < MaxPendingMessages)
        m_pending.append({false, msg, QString(), icon});
}

void MyAbstractTableModel::reportDialog(const QString &msg, const QString &title, int icon)
{
    static const QMetaMethod sig = QMetaMethod::fromSignal(&MyAbstractTableModel::dialogMessage);
    if (isSignalConnected(sig)) {
        emit dialogMessage(msg, title, icon);
        return;
    }
    if (m_pending.size() < MaxPendingMessages)
        m_pending.append({true, msg, title, icon});
}

void MyAbstractTableModel::connectNotify(const QMetaMethod &signal)
{
    QAbstractTableModel::connectNotify(signal);
    if (m_pending.isEmpty() || m_flushQueued)
        return;
    if (signal.name() != "consoleMessage" && signal.name() != "dialogMessage")
        return;
    // connect() may run on another thread and the listener's own connects may
    // not be complete yet: deliver from this model's event loop.
    m_flushQueued = true;
    QMetaObject::invokeMethod(this, [this]() { flushPendingMessages(); }, Qt::QueuedConnection);
}

void MyAbstractTableModel::flushPendingMessages()
{
    m_flushQueued = false;
    static const QMetaMethod consoleSig = QMetaMethod::fromSignal(&MyAbstractTableModel::consoleMessage);
    static const QMetaMethod dialogSig = QMetaMethod::fromSignal(&MyAbstractTableModel::dialogMessage);
    const QList<PendingMessage> pending = m_pending;
    m_pending.clear();
    for (const PendingMessage &m : pending) {
        // A message whose signal still has no listener waits on.
        if (m.dialog) {
            if (isSignalConnected(dialogSig))
                emit dialogMessage(m.msg, m.title, m.icon);
            else
                m_pending.append(m);
        } else {
            if (isSignalConnected(consoleSig))
                emit consoleMessage(m.msg, m.icon);
            else
                m_pending.append(m);
        }
    }
}

MyAbstractTableModel::ResetScope::ResetScope(MyAbstractTableModel *model)
    : m_model(model)
    , m_owner(!model->m_resetting)
{
    if (m_owner) {
        m_model->m_resetting = true;
        m_model->beginResetModel();
    }
}

MyAbstractTableModel::ResetScope::~ResetScope()
{
    if (m_owner) {
        m_model->endResetModel();
        m_model->m_resetting = false;
    }
}

void MyAbstractTableModel::reload()
{
    ResetScope reset(this);
    updateQuery();
}

void MyAbstractTableModel::reloadBehindProgress(const QString &text)
{
    startReloadBehindProgress(this, text, [this]() { reload(); });
}
