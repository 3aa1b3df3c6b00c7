#pragma once
// Test entry: a QApplication (offscreen under CTest), test-mode standard paths
// so nothing touches the user's folders.
#include <QApplication>
#include <QStandardPaths>
#include <QtTest>

#define QUORLOG_TEST_MAIN(TestObject)                                                                              \
    int main(int argc, char *argv[])                                                                                \
    {                                                                                                               \
        QStandardPaths::setTestModeEnabled(true);                                                                   \
        QApplication app(argc, argv);                                                                               \
        app.setApplicationName(QStringLiteral("Quorlog"));                                                         \
        app.setAttribute(Qt::AA_Use96Dpi, true);                                                                    \
        TestObject tc;                                                                                              \
        QTEST_SET_MAIN_SOURCE_PATH                                                                                  \
        return QTest::qExec(&tc, argc, argv);                                                                       \
    }
