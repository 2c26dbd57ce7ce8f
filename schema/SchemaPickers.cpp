#include "SchemaPickers.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <algorithm>

namespace {
// The first position whose text sorts after `text`.
template <class TextAt> int sortedPlace(int count, const QString& text, TextAt textAt) {
    int low = 0;
    int high = count;
    while (low < high) {
        const int mid = (low + high) / 2;
        if (QString::compare(textAt(mid), text, Qt::CaseInsensitive) <= 0)
            low = mid + 1;
        else
            high = mid;
    }
    return low;
}
} // namespace

namespace pickers {

QComboBox* makeCombo(QWidget* parent, const QString& objectName) {
    auto* combo = new QComboBox(parent);
    combo->setObjectName(objectName);
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->setMaxVisibleItems(20);
    combo->setMinimumContentsLength(8);
    combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    return combo;
}

void nameList(QComboBox* combo, const QString& name) {
    combo->setAccessibleName(name);
    combo->view()->setAccessibleName(name);
}

QListWidget* makeChosenList(QWidget* parent, const QString& objectName) {
    auto* list = new QListWidget(parent);
    list->setObjectName(objectName);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list->setTextElideMode(Qt::ElideRight);
    list->setFrameShape(QFrame::StyledPanel);
    return list;
}

void addSorted(QComboBox* combo, const QString& text) {
    const QString kept = combo->currentText();
    const int at = sortedPlace(combo->count(), text, [&](int i) { return combo->itemText(i); });
    combo->insertItem(at, text);
    // Adding to the list does not change what the user sees in the text field.
    combo->setEditText(kept);
}

void addAllSorted(QComboBox* combo, const QStringList& texts) {
    const QString kept = combo->currentText();
    QStringList all;
    all.reserve(combo->count() + texts.size());
    for (int i = 0; i < combo->count(); ++i)
        all << combo->itemText(i);
    all << texts;
    std::stable_sort(all.begin(), all.end(), [](const QString& a, const QString& b) {
        return QString::compare(a, b, Qt::CaseInsensitive) < 0;
    });
    combo->clear();
    combo->addItems(all);
    combo->setEditText(kept);
}

void addSorted(QListWidget* list, const QString& text) {
    const int at = sortedPlace(list->count(), text, [&](int i) { return list->item(i)->text(); });
    list->insertItem(at, text);
}

bool holds(const QListWidget* list, const QString& text) {
    for (int i = 0; i < list->count(); ++i) {
        if (QString::compare(list->item(i)->text(), text, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

bool addUnlessPresent(QListWidget* list, const QString& text) {
    if (holds(list, text))
        return false;
    addSorted(list, text);
    return true;
}

void clear(QComboBox* combo) {
    combo->clear();
    combo->setEditText(QString());
}

QStringList entries(const QListWidget* list) {
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out << list->item(i)->text();
    return out;
}

std::vector<std::string> entryNames(const QListWidget* list) {
    std::vector<std::string> out;
    out.reserve(std::size_t(list->count()));
    for (int i = 0; i < list->count(); ++i)
        out.push_back(list->item(i)->text().toStdString());
    return out;
}

std::string text(const QComboBox* combo, int maxChars) {
    return combo->currentText().left(maxChars).toStdString();
}

} // namespace pickers
