#include "tables/ColumnsToWidth.h"

#include <QEvent>
#include <QHeaderView>
#include <QTableView>
#include <QVector>

ColumnsToWidth::ColumnsToWidth(QTableView *view) : QObject(view), view(view)
{
    view->viewport()->installEventFilter(this);
}

void ColumnsToWidth::setEnabled(bool on)
{
    enabled = on;
    if (on)
        apply();
}

bool ColumnsToWidth::eventFilter(QObject *watched, QEvent *event)
{
    if (enabled && event->type() == QEvent::Resize && view && watched == view->viewport())
        apply();
    return QObject::eventFilter(watched, event);
}

void ColumnsToWidth::apply()
{
    if (!view || !view->model() || applying)
        return;
    // Laying the columns out may show or hide a scroll bar, which resizes
    // the viewport again.
    applying = true;
    QHeaderView *header = view->horizontalHeader();
    const QAbstractItemView *contents = view; // its column measure is public there
    QVector<int> shown;
    QVector<int> need;
    int total = 0;
    for (int column = 0; column < header->count(); ++column) {
        if (header->isSectionHidden(column))
            continue;
        shown << column;
        need << qMax(contents->sizeHintForColumn(column), header->sectionSizeHint(column));
        total += need.last();
    }
    const int width = view->viewport()->width();
    const int columns = shown.size();
    if (columns > 0) {
        const int share = width / columns;
        bool stretchFits = true;
        for (int n : qAsConst(need))
            stretchFits = stretchFits && n <= share;
        if (stretchFits) {
            header->setSectionResizeMode(QHeaderView::Stretch);
        } else {
            header->setSectionResizeMode(QHeaderView::Interactive);
            const int spare = qMax(0, width - total);
            for (int i = 0; i < columns; ++i)
                header->resizeSection(shown[i], need[i] + spare / columns + (i < spare % columns ? 1 : 0));
        }
    }
    applying = false;
}
