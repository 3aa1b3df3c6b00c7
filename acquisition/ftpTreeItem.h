#pragma once
// One entry of a file server's tree: a folder, a file, or one of the two
// navigation entries ("/" back to the top, ".." back to the parent).
#include <QList>
#include <QString>

extern const QString g_ftpRootEntryName;   // "/"
extern const QString g_ftpParentEntryName; // ".."

class ftpTreeItem
{
public:
    ftpTreeItem(QString name, QString date, ftpTreeItem *parent);
    ~ftpTreeItem();

    ftpTreeItem(const ftpTreeItem &) = delete;
    ftpTreeItem &operator=(const ftpTreeItem &) = delete;

    // Takes ownership; "/" goes first, ".." second, everything else in name
    // order (UTF-16 code units, case-sensitive), after entries of equal name.
    void appendChild(ftpTreeItem *item);
    ftpTreeItem *child(int row) const;
    int childCount() const;
    QString data(int column) const;
    ftpTreeItem *parentItem() const { return m_parent; }
    int row() const;

    QString getName() const { return m_name; }
    void setName(const QString &name) { m_name = name; }
    QString getDate() const { return m_date; }

    // Hands every child over to the caller, in order, parent links cleared.
    QList<ftpTreeItem *> takeChildren();
    // Adds children that are already in order at the end, as they are.
    void adoptChildren(const QList<ftpTreeItem *> &items);

    // A folder's server path ("/", "/a/b/"); a file's full URL.
    QString path;
    bool isDir = false;

private:
    QList<ftpTreeItem *> m_childItems;
    QString m_name;
    QString m_date;
    ftpTreeItem *m_parent;
};
