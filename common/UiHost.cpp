#include "common/UiHost.h"

#include <QHash>
#include <QMutex>
#include <QMutexLocker>
#include <QWidget>

#include <atomic>

namespace {

// Readers look their host up on the pool thread that builds them.
QMutex &registryMutex()
{
    static QMutex mutex;
    return mutex;
}

QHash<const void *, UiHost *> &registry()
{
    static QHash<const void *, UiHost *> hosts;
    return hosts;
}

std::atomic<UiHost::CurrentLookup> currentLookup{nullptr};

} // namespace

UiHost::~UiHost() = default;

QObject *UiHost::routeContext()
{
    return dialogParent();
}

UiHost *UiHost::of(const void *window)
{
    if (!window)
        return nullptr;
    QMutexLocker lock(&registryMutex());
    return registry().value(window, nullptr);
}

UiHost *UiHost::current()
{
    const CurrentLookup lookup = currentLookup.load();
    return lookup ? lookup() : nullptr;
}

QWidget *UiHost::currentDialogParent()
{
    UiHost *host = current();
    return host ? host->dialogParent() : nullptr;
}

void UiHost::setCurrentLookup(CurrentLookup lookup)
{
    currentLookup.store(lookup);
}

void UiHost::registerHost(const void *window, UiHost *host)
{
    QMutexLocker lock(&registryMutex());
    registry().insert(window, host);
}

void UiHost::unregisterHost(const void *window)
{
    QMutexLocker lock(&registryMutex());
    registry().remove(window);
}
