#include "tables/ui/ColumnsToWidth.h"

#include <QEvent>
#include <QHeaderView>
#include <QRegularExpression>
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

int ColumnsToWidth::narrowest(int column) const
{
    const QAbstractItemModel *model = view->model();
    // The item's text keeps a margin on either side, and a grid line takes a pixel.
    const int margin = (view->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, view) + 1) * 2
                       + (view->showGrid() ? 1 : 0);
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    int widest = view->horizontalHeader()->sectionSizeHint(column);
    const int first = qMax(0, view->rowAt(0));
    int last = view->rowAt(view->viewport()->height() - 1);
    if (last < 0)
        last = model->rowCount(view->rootIndex()) - 1;
    for (int row = first; row <= last; ++row) {
        const QModelIndex index = model->index(row, column, view->rootIndex());
        const QVariant font = index.data(Qt::FontRole);
        const QFontMetrics metrics(font.canConvert<QFont>() ? font.value<QFont>() : view->font());
        for (const QString &word : index.data(Qt::DisplayRole).toString().split(blanks, Qt::SkipEmptyParts))
            widest = qMax(widest, metrics.horizontalAdvance(word) + margin);
    }
    return widest;
}

void ColumnsToWidth::apply()
{
    if (!view || !view->model() || applying)
        return;
    // Laying the columns out may show or hide a scroll bar, which resizes
    // the viewport again.
    applying = true;
    QHeaderView *header = view->horizontalHeader();
    QVector<int> shown;
    QVector<int> need;
    int total = 0;
    for (int column = 0; column < header->count(); ++column) {
        if (header->isSectionHidden(column))
            continue;
        shown << column;
        need << narrowest(column);
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
            header->resizeSections(QHeaderView::Stretch); // now, not when the header next lays out
        } else {
            header->setSectionResizeMode(QHeaderView::Interactive);
            const int spare = qMax(0, width - total);
            for (int i = 0; i < columns; ++i)
                header->resizeSection(shown[i], need[i] + spare / columns + (i < spare % columns ? 1 : 0));
        }
        // Rows that fit their contents take the lines the narrower cells wrap to.
        QHeaderView *rows = view->verticalHeader();
        if (rows->count() > 0 && rows->sectionResizeMode(0) == QHeaderView::ResizeToContents)
            view->resizeRowsToContents();
    }
    applying = false;
}
