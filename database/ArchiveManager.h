#pragma once
#include <QObject>
#include <QString>

// Owner of the application database's records and of temporary databases.
class ArchiveManager : public QObject
{
    Q_OBJECT
public:
    explicit ArchiveManager(QObject *parent = nullptr);
    ~ArchiveManager() override;

signals:
    void dialogMessage(QString msg, QString title, int icon);
    void consoleMessage(QString msg, int icon);
};
