#pragma once

#include <QAbstractItemModel>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QModelIndex>
#include <QString>
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

// Lets the event loop run until a page's listing has arrived in full (at most a minute).
template <class Page> void finishListing(Page& page) {
    QElapsedTimer waited;
    waited.start();
    while (page.isListing() && waited.elapsed() < 60000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
}

} // namespace rows
