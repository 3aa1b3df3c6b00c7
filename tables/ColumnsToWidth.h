#pragma once
// Fits a table's columns to the width of its view without cutting any: equal
// stretched columns where each holds its contents, else every column its
// contents' width and an equal part of what is left over.
#include <QObject>
#include <QPointer>

class QTableView;

class ColumnsToWidth : public QObject
{
    Q_OBJECT
public:
    explicit ColumnsToWidth(QTableView *view);

    // On: the columns follow the view's width until switched off.
    void setEnabled(bool on);
    bool isEnabled() const { return enabled; }
    // Lays the columns out again (after new rows).
    void apply();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QPointer<QTableView> view;
    bool enabled = false;
    bool applying = false;
};
