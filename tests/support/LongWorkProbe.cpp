#include "support/LongWorkProbe.h"

#include <QEvent>
#include <QProgressDialog>
#include <QPushButton>
#include <QWidget>
#include <QWindow>
#include <qpa/qwindowsysteminterface.h>

namespace longwork {

namespace {

// Often enough to catch a window that is gone for a moment, seldom enough
// not to load the thread it watches.
constexpr int kTurnMs = 5;

} // namespace

bool postClick(QWidget *widget)
{
    if (!widget || !widget->isVisible())
        return false;
    QWidget *top = widget->window();
    QWindow *handle = top->windowHandle();
    if (!handle)
        return false;
    const QPoint centre = widget->rect().center();
    const QPointF local = widget->mapTo(top, centre);
    const QPointF global = widget->mapToGlobal(centre);
    using Async = QWindowSystemInterface::AsynchronousDelivery;
    QWindowSystemInterface::handleMouseEvent<Async>(handle, local, global, Qt::LeftButton, Qt::LeftButton,
                                                    QEvent::MouseButtonPress);
    QWindowSystemInterface::handleMouseEvent<Async>(handle, local, global, Qt::NoButton, Qt::LeftButton,
                                                    QEvent::MouseButtonRelease);
    return true;
}

QProgressDialog *progressWindow(QWidget *mainWindow)
{
    if (!mainWindow)
        return nullptr;
    for (QProgressDialog *window : mainWindow->findChildren<QProgressDialog *>())
        if (window->isVisible())
            return window;
    return nullptr;
}

QString phaseOf(const QProgressDialog *window)
{
    return window ? window->labelText().section(QLatin1Char('\n'), -1) : QString();
}

Probe::Probe(QWidget *mainWindow, QWidget *mainWindowTarget)
    : m_window(mainWindow)
    , m_target(mainWindowTarget)
{
    m_timer.setInterval(kTurnMs);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &Probe::turn);
    if (m_target)
        m_target->installEventFilter(this);
}

Probe::~Probe()
{
    if (m_target)
        m_target->removeEventFilter(this);
}

void Probe::start()
{
    m_clock.start();
    m_lastTurn = 0;
    m_timer.start();
}

void Probe::stop()
{
    m_stoppedAt = m_clock.elapsed();
    noteGap(m_stoppedAt, QStringLiteral("the launcher's return"));
    m_timer.stop();
}

void Probe::noteGap(qint64 now, const QString &at)
{
    if (now - m_lastTurn > m_largestGap) {
        m_largestGap = now - m_lastTurn;
        m_largestGapAt = QStringLiteral("%1 ms, %2").arg(now).arg(at);
    }
    m_lastTurn = now;
}

int Probe::largestValueIn(const QString &phase) const
{
    const int at = m_phases.indexOf(phase);
    return at < 0 ? -1 : m_largestValues.at(at);
}

bool Probe::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_target && event->type() == QEvent::MouseButtonPress)
        ++m_targetPresses;
    return QObject::eventFilter(watched, event);
}

void Probe::turn()
{
    const qint64 now = m_clock.elapsed();
    ++m_turns;

    QProgressDialog *window = progressWindow(m_window);
    noteGap(now, window ? phaseOf(window) : QStringLiteral("no window"));
    if (!window) {
        if (m_turnsWithoutWindow++ == 0)
            m_firstMiss = QStringLiteral("at %1 ms, after the phases: %2")
                              .arg(now)
                              .arg(m_phases.join(QStringLiteral(" / ")));
        return;
    }
    const QString phase = phaseOf(window);
    if (m_phases.isEmpty() || m_phases.last() != phase) {
        m_phases << phase;
        m_largestValues << window->value();
        m_phaseShownAt = now;
    }
    m_largestValues.last() = qMax(m_largestValues.last(), window->value());

    if (!m_hasMoment || clicked())
        return;
    // A busy window's value stays below 0.
    if ((!m_moment.phase.isEmpty() && phase != m_moment.phase)
        || (m_moment.value > 0 && window->value() < m_moment.value) || now - m_phaseShownAt < m_moment.afterMs)
        return;
    QWidget *target = m_target;
    if (m_moment.target == Moment::Cancel) {
        QPushButton *cancel = window->findChild<QPushButton *>();
        target = cancel && cancel->isEnabled() ? cancel : nullptr;
    }
    if (postClick(target)) {
        m_clickedAt = now;
        m_clickedPhase = phase;
    }
}

} // namespace longwork
