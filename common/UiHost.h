#pragma once
// What data work needs of the application window above it: a parent for the
// message boxes and progress windows it opens, and the delivery of its
// messages (a message box, a console line with its level). The progress
// window itself is common/ProgressDialog; the cancel request is the
// QAtomicInteger<char> (1 = stop) handed down by pointer.
//
// The main window implements this and registers itself. Data code finds the
// host by the window pointer it was handed (a MainWindow * that is only
// declared converts to const void *), or asks for the current one.
#include <QObject>
#include <QString>

class QWidget;

class UiHost
{
public:
    virtual ~UiHost();

    // Parent of dialogs and progress windows. Routed messages are bound to it
    // too, so it must be the host itself or die with it.
    virtual QWidget *dialogParent() = 0;
    // GUI thread. icon: a QMessageBox::Icon value.
    virtual void showMsgBox(QString msg, QString title, int icon) = 0;
    // GUI thread. icon: the console level (0 plain, 1 information, 2 warning,
    // 3 error).
    virtual void addConsoleMessage(QString msg, int icon) = 0;

    // Delivers source's dialogMessage(QString, QString, int) and
    // consoleMessage(QString, int) to the host on the GUI thread (queued when
    // emitted on another), for as long as both live.
    template <class Source>
    void routeDialogMessages(Source *source)
    {
        QObject::connect(source, qOverload<QString, QString, int>(&Source::dialogMessage), routeContext(),
                         [this](QString msg, QString title, int icon) { showMsgBox(msg, title, icon); });
    }
    template <class Source>
    void routeConsoleMessages(Source *source)
    {
        QObject::connect(source, qOverload<QString, int>(&Source::consoleMessage), routeContext(),
                         [this](QString msg, int icon) { addConsoleMessage(msg, icon); });
    }

    // The host registered for window; null for null or a window that is not
    // (or no longer) registered. Any thread.
    static UiHost *of(const void *window);
    // The host of the application's session, or null; asked anew at each call.
    static UiHost *current();
    // The current host's dialog parent, or null without a host.
    static QWidget *currentDialogParent();
    using CurrentLookup = UiHost *(*)();
    // The application tells how the current host is found.
    static void setCurrentLookup(CurrentLookup lookup);

protected:
    // window: the implementing object's own address, as its most derived
    // class's pointer converts to const void *.
    static void registerHost(const void *window, UiHost *host);
    static void unregisterHost(const void *window);

private:
    // dialogParent() as the object routed messages are bound to.
    QObject *routeContext();
};
