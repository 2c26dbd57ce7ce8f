#include "TreeItems.h"

#include "ImageList.h"
#include "directory/NameRules.h"

#include <QListWidgetItem>
#include <QModelIndex>
#include <QTreeWidget>
#include <QTreeWidgetItem>
#include <algorithm>
#include <iterator>

namespace {
constexpr int ImageRole = Qt::UserRole + 1;
constexpr int LabelRole = Qt::UserRole + 2;

// First position whose label sorts after `label`, so equal labels keep their order.
template <typename ChildAt> int sortedPosition(int count, const QString& label, ChildAt childAt) {
    int low = 0;
    int high = count;
    while (low < high) {
        const int mid = (low + high) / 2;
        if (QString::compare(childAt(mid)->text(0), label, Qt::CaseInsensitive) <= 0)
            low = mid + 1;
        else
            high = mid;
    }
    return low;
}
} // namespace

void setItemImage(QTreeWidgetItem* item, int image, const ImageList* images) {
    setItemImage(item, image, image, images);
}

void setItemImage(QTreeWidgetItem* item, int image, int selectedImage, const ImageList* images) {
    item->setData(0, ImageRole, image);
    if (images)
        item->setIcon(0, images->icon(image, selectedImage));
}

void setEntryImage(QListWidgetItem* entry, int image, const ImageList* images) {
    entry->setData(ImageRole, image);
    if (images)
        entry->setIcon(images->icon(image));
}

int entryImage(const QListWidgetItem* entry) {
    const QVariant value = entry->data(ImageRole);
    return value.isValid() ? value.toInt() : -1;
}

int itemImage(const QTreeWidgetItem* item) {
    const QVariant value = item->data(0, ImageRole);
    return value.isValid() ? value.toInt() : -1;
}

int itemImage(const QModelIndex& index) {
    const QVariant value = index.data(ImageRole);
    return value.isValid() ? value.toInt() : -1;
}

std::string itemLabel(const QModelIndex& index) {
    const QVariant kept = index.data(LabelRole);
    return kept.isValid() ? kept.toByteArray().toStdString()
                          : index.data(Qt::DisplayRole).toString().toStdString();
}

void setItemLabel(QTreeWidgetItem* item, const std::string& label) {
    item->setText(0, QString::fromStdString(labelText(label)));
    if (isMultiValuedLabel(label))
        item->setData(0, LabelRole, QByteArray::fromStdString(label));
}

std::string itemLabel(const QTreeWidgetItem* item) {
    const QVariant kept = item->data(0, LabelRole);
    return kept.isValid() ? kept.toByteArray().toStdString() : item->text(0).toStdString();
}

void setEntryLabel(QListWidgetItem* entry, const std::string& label) {
    entry->setText(QString::fromStdString(labelText(label)));
    if (isMultiValuedLabel(label))
        entry->setData(LabelRole, QByteArray::fromStdString(label));
}

std::string entryLabel(const QListWidgetItem* entry) {
    const QVariant kept = entry->data(LabelRole);
    return kept.isValid() ? kept.toByteArray().toStdString() : entry->text().toStdString();
}

void insertSorted(QTreeWidgetItem* parent, QTreeWidgetItem* item) {
    const int at = sortedPosition(parent->childCount(), item->text(0),
                                  [parent](int i) { return parent->child(i); });
    parent->insertChild(at, item);
}

void insertSorted(QTreeWidget* tree, QTreeWidgetItem* item) {
    const int at = sortedPosition(tree->topLevelItemCount(), item->text(0),
                                  [tree](int i) { return tree->topLevelItem(i); });
    tree->insertTopLevelItem(at, item);
}

namespace {
QTreeWidgetItem* makeItem(const QString& text, int image, const ImageList* images) {
    auto* item = new QTreeWidgetItem(QStringList{text});
    setItemImage(item, image, images);
    return item;
}
} // namespace

QTreeWidgetItem* appendItem(QTreeWidget* tree, QTreeWidgetItem* parent, const QString& text,
                            int image, const ImageList* images) {
    QTreeWidgetItem* item = makeItem(text, image, images);
    if (parent)
        parent->addChild(item);
    else
        tree->addTopLevelItem(item);
    return item;
}

QTreeWidgetItem* insertItemSorted(QTreeWidget* tree, QTreeWidgetItem* parent, const QString& text,
                                  int image, const ImageList* images) {
    QTreeWidgetItem* item = makeItem(text, image, images);
    if (parent)
        insertSorted(parent, item);
    else
        insertSorted(tree, item);
    return item;
}

// Case folding of a plain ASCII label is lowering A-Z, far cheaper than the general folding
// that a listing of thousands of labels would pay for each.
QString foldedSortKey(const QString& label) {
    const qsizetype size = label.size();
    const QChar* in = label.constData();
    for (qsizetype i = 0; i < size; ++i) {
        if (in[i].unicode() >= 0x80)
            return label.toCaseFolded();
    }
    QString key(size, Qt::Uninitialized);
    QChar* out = key.data();
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t c = in[i].unicode();
        out[i] = QChar(c >= u'A' && c <= u'Z' ? char16_t(c + (u'a' - u'A')) : c);
    }
    return key;
}
