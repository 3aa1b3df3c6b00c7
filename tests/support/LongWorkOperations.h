#pragma once
// The long operations a user starts from the main window, each as a test or
// a benchmark runs it through g_framework: what it needs before it starts (a
// fresh application database with its instrument), the launcher call, and a
// check that what the user was told agrees with what was stored.
//
// A new operation is one more entry of Operations' list: its phases (the
// lines its progress window shows, in order), how to prepare and run it and
// how to check its outcome. Its fixture files are written on first use.
#include <QString>
#include <QStringList>
#include <QVector>

#include <functional>
#include <memory>

namespace consolespy {
class Lines;
}

namespace longwork {

// What an operation's end told the user, checked against the stored data.
struct Outcome
{
    bool cancelled = false; // the user was told nothing or only a part was stored
    QString error;          // empty when the texts and the data agree
};

struct Operation
{
    QString name;
    // The phase lines its progress window shows, in order.
    QStringList phases;
    bool cancelable = true;
    std::function<bool()> prepare;
    std::function<void()> run;
    std::function<Outcome()> check;
};

class Operations
{
public:
    // Fixtures and databases go into folder; scale 1 is the size the tests
    // use, larger ones the benchmark's.
    Operations(const QString &folder, int scale);
    ~Operations();

    const QVector<Operation> &all() const { return m_operations; }
    const Operation *find(const QString &name) const;

    // Phase texts of the progress windows, as the user reads them.
    static QString reading();
    static QString writing();
    static QString merging();
    static QString loading();
    // The chart page's window, and the build of the index'th of an older
    // application database's three indexes.
    static QString chartLoading();
    static QString indexPhase(int index);

private:
    bool openDatabase(int type);
    QString fixture(const QString &name, const std::function<bool(const QString &path)> &write);
    // The outcome lines of an import (the last one of the file) against the
    // values stored under its instrument.
    Outcome checkImport(const QString &file, qint64 whole, qint64 stored);
    Outcome checkRecorderImport(const QString &file, const QString &table, qint64 wholeRows);
    Outcome checkOpen(qint64 wholeValues);
    // An older database opened: its indexes built and the session there, or
    // the open cancelled (said so) and none of them kept.
    Outcome checkIndexBuild(const QString &file);

    QString m_folder;
    int m_scale;
    int m_serial = 0;
    int m_deviceId = -1;
    std::unique_ptr<consolespy::Lines> m_console;
    QVector<Operation> m_operations;
};

} // namespace longwork
