#include "database/ArchiveManager.h"

ArchiveManager::ArchiveManager(QObject *parent)
    : QObject(parent)
{
}

ArchiveManager::~ArchiveManager() = default;
