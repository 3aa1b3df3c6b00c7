#pragma once
#include <QAbstractTableModel>
#include <QList>
#include <QPair>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>

#include "common/Connections.h"

#include <atomic>

// The contract every table view, the CSV export, the import and the report
// models read a table model through.
class MyAbstractTableModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    explicit MyAbstractTableModel(QObject *parent = nullptr);
    ~MyAbstractTableModel() override;

    // A new model of the same class over the same data, without a parent;
    // the caller owns it. Null when the model cannot be copied.
    virtual MyAbstractTableModel *clone() const;
    virtual QStringList getColumnNames() const = 0;
    virtual QList<bool> getColumnsVisibilityList() const;
    virtual void setGroupByDate(bool group);
    virtual void setLoadAllData(bool all);
    virtual bool isFlagValid(int flag) const;
    virtual bool isFlagOk(int flag) const;
    virtual QString getFlagText(int flag) const;
    virtual QString getDateTimeFormat() const;
    virtual void updateQuery();

    // The whole table for an export, read once from the first row to the
    // last in sections. The fetch cap of the screen does not apply: models
    // that can stream their rows override these; the base loads every row
    // (setLoadAllData) and reads them through data().
    // Rows of one section, row-major: cell (r, c) at r * columns + c.
    struct ExportSection
    {
        int rows = 0;
        int columns = 0;
        QVector<QVariant> shown;  // each cell as the display role shows it
        QVector<QVariant> stored; // each cell's own value (edit role): null where
                                  // the table has none, a flag as its number
        const QVariant &shownAt(int r, int c) const { return shown.at(r * columns + c); }
        const QVariant &storedAt(int r, int c) const { return stored.at(r * columns + c); }
        void clear()
        {
            rows = 0;
            shown.resize(0); // keeps the allocation for the next section
            stored.resize(0);
        }
    };
    virtual bool beginRowExport();
    // The rows the export will read; -1 when not known without a pass of its own.
    virtual int rowExportCount();
    // The next rows, at most maxRows, into section (replaced). False on a
    // read failure; no rows at the end.
    virtual bool readRowExport(ExportSection &section, int maxRows);
    virtual void endRowExport();

    // The model's last read found the session's database file gone (deleted
    // or replaced) and read nothing; the session tells the user of it once.
    bool databaseGone() const { return m_databaseGone; }

    bool getShowFlagSymbols() const { return showFlagSymbols; }
    void setShowFlagSymbols(bool show) { showFlagSymbols = show; }

    // Flag symbols of the table views.
    static const QString FlagValidSymbol;    // U+2714
    static const QString FlagNotReadySymbol; // U+231B
    static const QString FlagInvalidSymbol;  // U+2716

signals:
    void dialogMessage(QString msg, QString title = QString(), int icon = 0);
    void consoleMessage(QString msg, int icon = 0);

protected:
    // Reports to the user. A model reports from its constructor, before its
    // owner had a chance to connect; such messages are kept and delivered
    // once the first listener connects.
    void reportConsole(const QString &msg, int icon = 0);
    void reportDialog(const QString &msg, const QString &title = QString(), int icon = 0);

    // The calling thread's connection of binding for a read
    // (appdb::readConnection): invalid once the application database's file
    // is gone, which databaseGone() then tells.
    QSqlDatabase readConnection(const Connections::Binding &binding) const;

    // Reloads with a model reset around updateQuery, so attached views drop
    // their row and column counts. Nested calls share the outer reset.
    void reload();

    // Opens a model reset unless one is already open; subclasses wrap every
    // re-query in one so direct calls of updateQuery are safe for views too.
    class ResetScope
    {
    public:
        explicit ResetScope(MyAbstractTableModel *model);
        ~ResetScope();
        ResetScope(const ResetScope &) = delete;
        ResetScope &operator=(const ResetScope &) = delete;

    private:
        MyAbstractTableModel *m_model;
        bool m_owner;
    };
    bool isResetting() const { return m_resetting; }

    // The reload behind a progress window: ten ticks of 200 ms to 100 on a
    // pool thread, then the reload on this model's own thread, then the window
    // closes. Returns at once.
    void reloadBehindProgress(const QString &text);

    void connectNotify(const QMetaMethod &signal) override;

    QStringList stringList;
    bool showFlagSymbols = true;
    bool groupByDate = false;
    QList<bool> columnsVisibilityList;

private:
    void flushPendingMessages();

    mutable std::atomic<bool> m_databaseGone{false};

    struct PendingMessage
    {
        bool dialog;
        QString msg;
        QString title;
        int icon;
    };
    QList<PendingMessage> m_pending;
    int m_exportRow = 0;
    bool m_flushQueued = false;
    bool m_resetting = false;
};
