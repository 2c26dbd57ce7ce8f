#include "ValueList.h"

#include <QHeaderView>
#include <QTreeWidget>
#include <algorithm>

void configureValueList(QTreeWidget& list) {
    list.setRootIsDecorated(false);
    list.setItemsExpandable(false);
    list.setHeaderHidden(false);
    list.setUniformRowHeights(true);
    list.setSelectionMode(QAbstractItemView::SingleSelection);
    list.setSelectionBehavior(QAbstractItemView::SelectRows);
    list.header()->setStretchLastSection(false);
    list.header()->setSectionsMovable(false);
    list.header()->setMinimumSectionSize(0);
    list.header()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    deleteEveryColumn(list);
}

void insertColumn(QTreeWidget& list, int position, const QString& header, int width) {
    const int oldCount = list.columnCount();
    const int at = std::clamp(position, 0, oldCount);
    list.setColumnCount(oldCount + 1);

    QTreeWidgetItem* headerItem = list.headerItem();
    QHeaderView* headerView = list.header();
    for (int column = oldCount; column > at; --column) {
        headerItem->setText(column, headerItem->text(column - 1));
        headerView->resizeSection(column, headerView->sectionSize(column - 1));
        for (int row = 0; row < list.topLevelItemCount(); ++row) {
            QTreeWidgetItem* item = list.topLevelItem(row);
            item->setText(column, item->text(column - 1));
        }
    }
    for (int row = 0; row < list.topLevelItemCount(); ++row)
        list.topLevelItem(row)->setText(at, QString());

    headerItem->setText(at, header);
    headerItem->setTextAlignment(at, Qt::AlignLeft | Qt::AlignVCenter);
    headerView->resizeSection(at, width);
}

void appendColumn(QTreeWidget& list, const QString& header, int width) {
    insertColumn(list, list.columnCount(), header, width);
}

void deleteEveryColumn(QTreeWidget& list) {
    list.setColumnCount(0);
}

QTreeWidgetItem* insertRow(QTreeWidget& list, int index, const QString& firstCell) {
    auto* item = new QTreeWidgetItem;
    item->setText(0, firstCell);
    const int at = std::clamp(index, 0, list.topLevelItemCount());
    list.insertTopLevelItem(at, item);
    return item;
}
