#pragma once
// The main window. Bare for now: a frame with the slots Framework wires.
#include <QMainWindow>
#include <QString>

class MainWindow : public QMainWindow
{
    Q_OBJECT
public:
    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

    void changePage(int index);
    void applyTheme(int index);

public slots:
    void onSessionStarted();
    void showMsgBox(QString msg, QString title = QString(), int icon = 1);
    void addConsoleMessage(QString msg, int icon = 0);
};
