#pragma once
// Calls that must run with nothing of the window on the GUI thread's stack:
// no page's handler, no modal loop, no processEvents inside a handler. Such a
// call may drop pages and models that a handler below it would still use
// (a page's deferred deletion is carried out by the loop that runs next).
// They run when the outermost event loop is about to wait for events: in the
// application that is QApplication::exec, at loop level 1. Tests drive the
// window from outside any loop (level 0) and say themselves when it is idle.
#include <QObject>

#include <functional>

namespace whenIdle {

// Runs call on the GUI thread once it is idle, unless context is gone by
// then. From any thread; calls run in the order posted.
void post(QObject *context, std::function<void()> call);

// The level of the outermost event loop (1 unless set).
void setOutermostLevel(int level);

// Tests: the window is idle now (GUI thread, no event loop running).
void idleNow();

} // namespace whenIdle
