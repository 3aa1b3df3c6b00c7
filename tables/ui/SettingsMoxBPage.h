#pragma once
#include <QPointer>
#include <QSqlTableModel>
#include <QString>
#include <QStringList>
#include <QWidget>

class QComboBox;
class QTableView;
class moxbdatabasemanager;

// The settings of a MoxB recorder: one table per settings section, chosen in
// a selector and shown read-only. A settings file names its tables in the
// language the instrument wrote it in; the page maps the section names of the
// interface's language onto the database's.
class SettingsMoxBPage : public QWidget
{
    Q_OBJECT
public:
    explicit SettingsMoxBPage(QWidget *parent = nullptr);
    // The same page over a given manager (tests); the application's page uses
    // the framework's.
    SettingsMoxBPage(moxbdatabasemanager *manager, QWidget *parent);
    ~SettingsMoxBPage() override;

    QSqlTableModel *loadTableModel(const QString &tableName);
    void loadDatabase(const QString &path);
    void updateIcons();

    // The twelve section names in English, selector order.
    static QStringList sectionNames();
    // The database table that shows a section name, for an interface and a
    // database language ("en" or "pl") and the database's tables.
    static QString mapTableName(const QString &name, const QString &uiLanguage, const QString &dbLanguage,
                                const QStringList &tables);

    QString languageOfDB;

public slots:
    void updateTableView(QSqlTableModel *model, QString tableName);
    void onTableSelected(QString tableName);
    void handleTablesFetched(QStringList tables);

signals:
    void databaseLoaded();
    void tableModelReady(QSqlTableModel *model, QString tableName);
    void tablesFetched(QStringList tables);

private:
    void build();
    void fillSelector(const QStringList &tables);

    QComboBox *tableSelector = nullptr;
    QTableView *tableView = nullptr;
    QPointer<moxbdatabasemanager> dbManager; // borrowed: the framework owns it
};
