#pragma once
// Test entry: a QApplication (offscreen under CTest), test-mode standard paths
// so nothing touches the user's folders.
#include "common/WhenIdle.h"

#include <QApplication>
#include <QStandardPaths>
#include <QThreadPool>
#include <QtTest>

// QUORLOG_TEST_POOL_EXPIRY_MS makes the global pool end idle threads after
// that many milliseconds instead of 30 s, so the whole suite meets threads
// that end between its steps, as a session that sits idle does.
inline void quorlogTestPoolExpiry()
{
    bool ok = false;
    const int ms = qEnvironmentVariableIntValue("QUORLOG_TEST_POOL_EXPIRY_MS", &ok);
    if (ok && ms > 0)
        QThreadPool::globalInstance()->setExpiryTimeout(ms);
}

#define QUORLOG_TEST_MAIN(TestObject)                                                                              \
    int main(int argc, char *argv[])                                                                                \
    {                                                                                                               \
        QStandardPaths::setTestModeEnabled(true);                                                                   \
        QApplication app(argc, argv);                                                                               \
        app.setApplicationName(QStringLiteral("Quorlog"));                                                         \
        app.setAttribute(Qt::AA_Use96Dpi, true);                                                                    \
        quorlogTestPoolExpiry();                                                                                    \
        /* The tests drive the window from outside any event loop. */                                              \
        whenIdle::setOutermostLevel(0);                                                                             \
        TestObject tc;                                                                                              \
        QTEST_SET_MAIN_SOURCE_PATH                                                                                  \
        return QTest::qExec(&tc, argc, argv);                                                                       \
    }
