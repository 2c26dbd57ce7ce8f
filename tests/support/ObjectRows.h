#pragma once

#include <QAbstractItemModel>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QItemSelectionModel>
#include <QModelIndex>
#include <QString>
#include <QStringList>
#include <QTreeView>

// The rows of a page's object tree as tests look at them. Counting or walking an object's
// children reads them first, as expanding it in the window would.
namespace rows {

inline QModelIndex top(const QTreeView* tree, int row = 0) {
    return tree->model()->index(row, 0);
}
inline int topCount(const QTreeView* tree) {
    return tree->model()->rowCount();
}
inline int count(const QModelIndex& parent) {
    auto* model = const_cast<QAbstractItemModel*>(parent.model());
    if (model == nullptr)
        return 0;
    if (model->canFetchMore(parent))
        model->fetchMore(parent);
    return model->rowCount(parent);
}
inline QModelIndex child(const QModelIndex& parent, int row) {
    count(parent);
    return parent.model() ? parent.model()->index(row, 0, parent) : QModelIndex();
}
inline QString text(const QModelIndex& index) {
    return index.data().toString();
}
// The first child showing `text`, or an invalid index.
inline QModelIndex named(const QModelIndex& parent, const QString& text) {
    const int n = count(parent);
    for (int i = 0; i < n; ++i) {
        const QModelIndex row = parent.model()->index(i, 0, parent);
        if (row.data().toString() == text)
            return row;
    }
    return {};
}
// The top-level rows showing `text`, as QTreeWidget::findItems finds them.
inline QList<QModelIndex> topNamed(const QTreeView* tree, const QString& text) {
    QList<QModelIndex> found;
    for (int i = 0; i < topCount(tree); ++i) {
        if (top(tree, i).data().toString() == text)
            found.append(top(tree, i));
    }
    return found;
}
// The row of an index among the rows on show (expanded parents), as an accessibility
// interface counts them; -1 when it is not on show.
inline int shownRow(const QTreeView* tree, const QModelIndex& index) {
    int row = 0;
    for (QModelIndex at = top(tree); at.isValid(); at = tree->indexBelow(at), ++row) {
        if (at == index)
            return row;
    }
    return -1;
}

// A row and every row below it as indented text, objects' attribute names read as an
// expansion reads them; selected rows marked " *" when `marks`.
inline void dump(const QTreeView* tree, const QModelIndex& row, int depth, QStringList& out,
                 bool marks) {
    const bool selected = marks && tree->selectionModel()->isSelected(row);
    out << QString(depth, ' ') + text(row) + (selected ? " *" : "");
    const int n = count(row);
    for (int i = 0; i < n; ++i)
        dump(tree, child(row, i), depth + 1, out, marks);
}
inline void dump(const QTreeView* tree, QStringList& out, bool marks) {
    for (int i = 0; i < topCount(tree); ++i)
        dump(tree, top(tree, i), 1, out, marks);
}

// Lets the event loop run until a page's listing has arrived in full (at most a minute).
template <class Page> void finishListing(Page& page) {
    QElapsedTimer waited;
    waited.start();
    while (page.isListing() && waited.elapsed() < 60000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
}

} // namespace rows
