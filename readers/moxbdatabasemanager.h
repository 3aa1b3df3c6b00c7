#pragma once
#include <QObject>

// Access to one MoxB SQLite archive.
class moxbdatabasemanager : public QObject
{
    Q_OBJECT
public:
    explicit moxbdatabasemanager(QObject *parent = nullptr);
};
