#include "app/MainWindow.h"

#include "app/Framework.h"
#include "common/Prompts.h"
#include "common/Trace.h"

#include <QMessageBox>

MainWindow::MainWindow(QWidget *parent)
    : QMainWindow(parent)
{
    TRACE_FUNC();
    setWindowTitle(QStringLiteral("Quorlog"));
    resize(1325, 850);
}

MainWindow::~MainWindow() = default;

void MainWindow::changePage(int index)
{
    TRACE() << "changePage" << index;
}

void MainWindow::applyTheme(int index)
{
    if (g_framework)
        g_framework->loadTheme(index);
}

void MainWindow::onSessionStarted()
{
    if (!g_framework)
        return;
    const QString fileName = g_framework->getSessionInfo().fileName;
    setWindowTitle(fileName.isEmpty() ? QStringLiteral("Quorlog") : fileName + QStringLiteral(" - Quorlog"));
}

void MainWindow::showMsgBox(QString msg, QString title, int icon)
{
    QMessageBox::Icon boxIcon = QMessageBox::NoIcon;
    if (icon >= QMessageBox::NoIcon && icon <= QMessageBox::Question)
        boxIcon = static_cast<QMessageBox::Icon>(icon);
    Prompts::instance().message(this, boxIcon, title, msg, QMessageBox::Ok);
}

void MainWindow::addConsoleMessage(QString msg, int icon)
{
    TRACE() << "console" << icon << msg;
}
