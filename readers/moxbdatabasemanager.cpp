#include "readers/moxbdatabasemanager.h"

moxbdatabasemanager::moxbdatabasemanager(QObject *parent)
    : QObject(parent)
{
}
