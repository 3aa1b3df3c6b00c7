#include "acquisition/ftpTreeItem.h"

#include "common/Trace.h"

const QString g_ftpRootEntryName = QStringLiteral("/");
const QString g_ftpParentEntryName = QStringLiteral("..");

ftpTreeItem::ftpTreeItem(QString name, QString date, ftpTreeItem *parent)
    : m_name(std::move(name))
    , m_date(std::move(date))
    , m_parent(parent)
{
    TRACE() << "Function Name: " << "ftpTreeItem::ftpTreeItem(QString, QString, ftpTreeItem*)";
}

ftpTreeItem::~ftpTreeItem()
{
    qDeleteAll(m_childItems);
}

void ftpTreeItem::appendChild(ftpTreeItem *item)
{
    item->m_parent = this;
    const QString &name = item->m_name;
    if (name == g_ftpRootEntryName) {
        m_childItems.insert(0, item);
        return;
    }
    if (name == g_ftpParentEntryName) {
        m_childItems.insert(qMin(1, m_childItems.size()), item);
        return;
    }
    for (int i = 0; i < m_childItems.size(); ++i) {
        if (m_childItems.at(i)->m_name > name) {
            m_childItems.insert(i, item);
            return;
        }
    }
    m_childItems.append(item);
}

ftpTreeItem *ftpTreeItem::child(int row) const
{
    if (row < 0 || row >= m_childItems.size())
        return nullptr;
    return m_childItems.at(row);
}

int ftpTreeItem::childCount() const
{
    return m_childItems.size();
}

QString ftpTreeItem::data(int column) const
{
    return column == 0 ? m_name : m_date;
}

int ftpTreeItem::row() const
{
    if (!m_parent)
        return 0;
    return m_parent->m_childItems.indexOf(const_cast<ftpTreeItem *>(this));
}

QList<ftpTreeItem *> ftpTreeItem::takeChildren()
{
    QList<ftpTreeItem *> items;
    items.swap(m_childItems);
    for (ftpTreeItem *item : items)
        item->m_parent = nullptr;
    return items;
}

void ftpTreeItem::adoptChildren(const QList<ftpTreeItem *> &items)
{
    for (ftpTreeItem *item : items) {
        item->m_parent = this;
        m_childItems.append(item);
    }
}
