#pragma once
// Watches a long operation through the real window, as its user meets it:
// a timer on the window's thread notes every turn of that thread (the largest
// gap between two turns is how long the window stood still), whether a
// progress window was in view at each turn and what it said, and at a chosen
// moment it clicks, with events posted as the window system posts a user's.
//
//   longwork::Probe probe(window);
//   probe.clickAt({QStringLiteral("Reading the file"), 40});
//   probe.start();
//   g_framework->importData(...);   // the launcher runs its own event loop
//   probe.stop();
//   QVERIFY(probe.clicked()); QVERIFY(probe.alwaysInView()); ...
#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTimer>

class QProgressDialog;
class QWidget;

namespace longwork {

// A left click on the widget (at its centre by default): a press and a
// release posted as window-system events to its window. They are delivered
// when the window's thread takes the user's input, and held back or dropped
// exactly as a user's click would be.
bool postClick(QWidget *widget);

// The progress window in view over the main window, or null.
QProgressDialog *progressWindow(QWidget *mainWindow);
// The line of the progress window's text that names its phase (the last one).
QString phaseOf(const QProgressDialog *window);

struct Moment
{
    enum Target {
        Cancel,     // the progress window's Cancel button
        MainWindow, // the widget given to the probe as the main window's target
    };
    QString phase;    // the phase line it waits for; empty: any
    int value = 0;    // at least this progress value in that phase
    int afterMs = 0;  // and at least this long after the phase showed
    Target target = Cancel;
};

class Probe : public QObject
{
    Q_OBJECT
public:
    // The main window the progress window belongs to, and a widget of it that
    // a MainWindow moment clicks (a press it receives is counted).
    explicit Probe(QWidget *mainWindow, QWidget *mainWindowTarget = nullptr);
    ~Probe() override;

    void clickAt(const Moment &moment) { m_moment = moment; m_hasMoment = true; }
    // Right before the operation's launcher is called, and right after it
    // returned.
    void start();
    void stop();

    // The longest time the window's thread did not turn, from start to stop.
    qint64 largestGapMs() const { return m_largestGap; }
    // When it ended (ms from start) and what the window said then.
    QString largestGapAt() const { return m_largestGapAt; }
    // Turns that found no progress window in view (each one a fault: the
    // launcher is still running at every turn the probe sees).
    int turnsWithoutWindow() const { return m_turnsWithoutWindow; }
    int turns() const { return m_turns; }
    bool alwaysInView() const { return m_turns > 0 && m_turnsWithoutWindow == 0; }
    QString firstTurnWithoutWindow() const { return m_firstMiss; }
    // Phases in the order they showed, and the largest value seen in each.
    QStringList phases() const { return m_phases; }
    int largestValueIn(const QString &phase) const;

    bool clicked() const { return m_clickedAt >= 0; }
    QString clickedPhase() const { return m_clickedPhase; }
    // From the click to the launcher's return.
    qint64 latencyMs() const { return clicked() ? m_stoppedAt - m_clickedAt : -1; }
    qint64 elapsedMs() const { return m_stoppedAt; }
    // Presses the main window's target received (a blocked window gets none).
    int targetPresses() const { return m_targetPresses; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void turn();
    void noteGap(qint64 now, const QString &at);

    QPointer<QWidget> m_window;
    QPointer<QWidget> m_target;
    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_lastTurn = 0;
    qint64 m_largestGap = 0;
    QString m_largestGapAt;
    qint64 m_stoppedAt = -1;
    int m_turns = 0;
    int m_turnsWithoutWindow = 0;
    QString m_firstMiss;
    QStringList m_phases;
    QList<int> m_largestValues;
    qint64 m_phaseShownAt = 0;
    Moment m_moment;
    bool m_hasMoment = false;
    qint64 m_clickedAt = -1;
    QString m_clickedPhase;
    int m_targetPresses = 0;
};

} // namespace longwork
