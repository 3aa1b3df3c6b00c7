#pragma once
// Fits a table's columns to the width of its view without cutting a text.
// Cells wrap at blanks, so a column holds its cells while their longest
// words fit: the columns are stretched equally where every column keeps that
// width, else each gets that width and an equal part of what is left over
// (none when they need more than the view: it scrolls).
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
    // Lays the columns out again.
    void apply();
    // The narrowest the column may be: its header, and the longest word of
    // each of its rows in view.
    int narrowest(int column) const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QPointer<QTableView> view;
    bool enabled = false;
    bool applying = false;
};
