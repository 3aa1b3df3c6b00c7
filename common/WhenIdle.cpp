#include "common/WhenIdle.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QAtomicInt>
#include <QList>
#include <QPointer>
#include <QThread>

namespace {

QAtomicInt outermostLevel(1);

struct Pending
{
    QPointer<QObject> context;
    std::function<void()> call;
};

// Lives on the GUI thread; listens to its dispatcher only while calls wait.
class IdleRunner : public QObject
{
public:
    void add(const Pending &pending)
    {
        m_pending.append(pending);
        if (m_hook)
            return;
        if (QAbstractEventDispatcher *dispatcher = QAbstractEventDispatcher::instance(thread()))
            m_hook = connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this, &IdleRunner::runIfIdle);
    }

    void runIfIdle()
    {
        if (m_pending.isEmpty())
            return;
        // A nested loop (a modal dialog, a task's wait) has its starter below it.
        if (QThread::currentThread()->loopLevel() > outermostLevel.loadRelaxed())
            return;
        if (qobject_cast<QApplication *>(QCoreApplication::instance())
            && (QApplication::activeModalWidget() || QApplication::activePopupWidget()))
            return;
        QList<Pending> due;
        due.swap(m_pending);
        disconnect(m_hook);
        m_hook = QMetaObject::Connection();
        for (const Pending &pending : qAsConst(due))
            if (pending.context)
                pending.call();
    }

private:
    QList<Pending> m_pending;
    QMetaObject::Connection m_hook;
};

IdleRunner *runner()
{
    static IdleRunner *instance = [] {
        auto *r = new IdleRunner;
        if (QCoreApplication::instance())
            r->moveToThread(QCoreApplication::instance()->thread());
        return r;
    }();
    return instance;
}

} // namespace

namespace whenIdle {

void post(QObject *context, std::function<void()> call)
{
    if (!QCoreApplication::instance())
        return;
    Pending pending{QPointer<QObject>(context), std::move(call)};
    IdleRunner *r = runner();
    QMetaObject::invokeMethod(r, [r, pending]() { r->add(pending); }, Qt::QueuedConnection);
}

void setOutermostLevel(int level)
{
    outermostLevel.storeRelaxed(level);
}

void idleNow()
{
    runner()->runIfIdle();
}

} // namespace whenIdle
