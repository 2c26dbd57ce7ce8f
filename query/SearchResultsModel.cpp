#include "SearchResultsModel.h"

#include "pages/ImageList.h"
#include "pages/TreeItems.h"

#include <QIcon>
#include <algorithm>
#include <iterator>

SearchResultsModel::SearchResultsModel(QObject* parent) : QAbstractItemModel(parent) {}

SearchResultsModel::~SearchResultsModel() = default;

void SearchResultsModel::setImages(int attributeImage, int valueImage) {
    attributeImage_ = attributeImage;
    valueImage_ = valueImage;
}

void SearchResultsModel::clear() {
    beginResetModel();
    std::vector<Object>().swap(objects_);
    std::vector<Object>().swap(waiting_);
    std::vector<std::uint32_t>().swap(rowOf_);
    lastIsWaiting_ = false;
    lastId_ = 0;
    endResetModel();
}

void SearchResultsModel::addObject(const QString& name, int image) {
    Object object;
    object.name = name;
    object.key = foldedSortKey(name);
    object.image = image;
    object.id = std::uint32_t(rowOf_.size() + waiting_.size());
    lastId_ = object.id;
    lastIsWaiting_ = true;
    waiting_.push_back(std::move(object));
}

SearchResultsModel::Object* SearchResultsModel::lastAdded() {
    if (lastIsWaiting_)
        return waiting_.empty() ? nullptr : &waiting_.back();
    return lastId_ < rowOf_.size() && !objects_.empty() ? &objects_[rowOf_[lastId_]] : nullptr;
}

bool SearchResultsModel::isLastAdded(const QString& name) const {
    const Object* last = const_cast<SearchResultsModel*>(this)->lastAdded();
    return last != nullptr && last->name == name;
}

void SearchResultsModel::addAttribute(const QString& name) {
    Object* object = lastAdded();
    if (object == nullptr)
        return;
    if (lastIsWaiting_) {
        object->attributes.push_back({name, {}});
        return;
    }
    // The object is on show already: the view hears of its new row.
    const int row = int(object->attributes.size());
    beginInsertRows(createIndex(int(rowOf_[lastId_]), 0, tag(ObjectLevel, 0, 0)), row, row);
    object->attributes.push_back({name, {}});
    endInsertRows();
}

void SearchResultsModel::addValue(const QString& text) {
    Object* object = lastAdded();
    if (object == nullptr || object->attributes.empty())
        return;
    Attribute& attribute = object->attributes.back();
    if (lastIsWaiting_) {
        attribute.values.push_back(text);
        return;
    }
    const int row = int(attribute.values.size());
    const std::uint32_t at = std::uint32_t(object->attributes.size() - 1);
    beginInsertRows(createIndex(int(at), 0, tag(AttributeLevel, lastId_, 0)), row, row);
    attribute.values.push_back(text);
    endInsertRows();
}

void SearchResultsModel::merge() {
    if (waiting_.empty())
        return;
    const auto before = [](const Object& a, const Object& b) { return a.key < b.key; };
    std::stable_sort(waiting_.begin(), waiting_.end(), before);
    rowOf_.resize(rowOf_.size() + waiting_.size());
    lastIsWaiting_ = false;

    if (objects_.empty() || !before(waiting_.front(), objects_.back())) {
        const int first = int(objects_.size());
        beginInsertRows(QModelIndex(), first, first + int(waiting_.size()) - 1);
        std::move(waiting_.begin(), waiting_.end(), std::back_inserter(objects_));
        for (std::size_t row = std::size_t(first); row < objects_.size(); ++row)
            rowOf_[objects_[row].id] = std::uint32_t(row);
        waiting_.clear();
        endInsertRows();
        return;
    }

    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList persistent = persistentIndexList();
    std::vector<std::uint32_t> ids;
    ids.reserve(std::size_t(persistent.size()));
    for (const QModelIndex& index : persistent)
        ids.push_back(levelOf(index) == ObjectLevel ? objects_[std::size_t(index.row())].id
                                                    : std::uint32_t(-1));
    std::vector<Object> merged;
    merged.reserve(objects_.size() + waiting_.size());
    std::merge(std::make_move_iterator(objects_.begin()), std::make_move_iterator(objects_.end()),
               std::make_move_iterator(waiting_.begin()), std::make_move_iterator(waiting_.end()),
               std::back_inserter(merged), before);
    objects_.swap(merged);
    waiting_.clear();
    for (std::size_t row = 0; row < objects_.size(); ++row)
        rowOf_[objects_[row].id] = std::uint32_t(row);
    QModelIndexList from, to;
    for (qsizetype i = 0; i < persistent.size(); ++i) {
        if (ids[std::size_t(i)] == std::uint32_t(-1))
            continue;
        from.append(persistent[i]);
        to.append(createIndex(int(rowOf_[ids[std::size_t(i)]]), 0, tag(ObjectLevel, 0, 0)));
    }
    changePersistentIndexList(from, to);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

const SearchResultsModel::Object* SearchResultsModel::objectById(std::uint32_t id) const {
    if (id >= rowOf_.size() || rowOf_[id] >= objects_.size())
        return nullptr;
    const Object& object = objects_[rowOf_[id]];
    return object.id == id ? &object : nullptr;
}

QModelIndex SearchResultsModel::index(int row, int column, const QModelIndex& parent) const {
    if (row < 0 || column != 0)
        return {};
    if (!parent.isValid())
        return row < int(objects_.size()) ? createIndex(row, 0, tag(ObjectLevel, 0, 0))
                                          : QModelIndex();
    if (levelOf(parent) == ObjectLevel) {
        const Object& object = objects_[std::size_t(parent.row())];
        return row < int(object.attributes.size())
                   ? createIndex(row, 0, tag(AttributeLevel, object.id, 0))
                   : QModelIndex();
    }
    if (levelOf(parent) == AttributeLevel) {
        const Object* object = objectById(idOf(parent));
        if (object == nullptr || parent.row() >= int(object->attributes.size()))
            return {};
        const Attribute& attribute = object->attributes[std::size_t(parent.row())];
        return row < int(attribute.values.size())
                   ? createIndex(row, 0, tag(ValueLevel, object->id, std::uint32_t(parent.row())))
                   : QModelIndex();
    }
    return {};
}

QModelIndex SearchResultsModel::parent(const QModelIndex& index) const {
    if (!index.isValid() || levelOf(index) == ObjectLevel)
        return {};
    const std::uint32_t id = idOf(index);
    if (id >= rowOf_.size())
        return {};
    if (levelOf(index) == AttributeLevel)
        return createIndex(int(rowOf_[id]), 0, tag(ObjectLevel, 0, 0));
    return createIndex(int(attributeOf(index)), 0, tag(AttributeLevel, id, 0));
}

int SearchResultsModel::rowCount(const QModelIndex& parent) const {
    if (!parent.isValid())
        return int(objects_.size());
    if (levelOf(parent) == ObjectLevel)
        return parent.row() < int(objects_.size())
                   ? int(objects_[std::size_t(parent.row())].attributes.size())
                   : 0;
    if (levelOf(parent) == AttributeLevel) {
        const Object* object = objectById(idOf(parent));
        return object != nullptr && parent.row() < int(object->attributes.size())
                   ? int(object->attributes[std::size_t(parent.row())].values.size())
                   : 0;
    }
    return 0;
}

int SearchResultsModel::columnCount(const QModelIndex&) const {
    return 1;
}

Qt::ItemFlags SearchResultsModel::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (levelOf(index) == ValueLevel)
        flags |= Qt::ItemNeverHasChildren;
    return flags;
}

QVariant SearchResultsModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid())
        return {};
    QString text;
    int image = -1;
    switch (levelOf(index)) {
    case ObjectLevel: {
        if (index.row() >= int(objects_.size()))
            return {};
        const Object& object = objects_[std::size_t(index.row())];
        text = object.name;
        image = object.image;
        break;
    }
    case AttributeLevel: {
        const Object* object = objectById(idOf(index));
        if (object == nullptr || index.row() >= int(object->attributes.size()))
            return {};
        text = object->attributes[std::size_t(index.row())].name;
        image = attributeImage_;
        break;
    }
    case ValueLevel: {
        const Object* object = objectById(idOf(index));
        const std::size_t at = attributeOf(index);
        if (object == nullptr || at >= object->attributes.size() ||
            index.row() >= int(object->attributes[at].values.size()))
            return {};
        text = object->attributes[at].values[std::size_t(index.row())];
        image = valueImage_;
        break;
    }
    default:
        return {};
    }
    if (role == Qt::DisplayRole)
        return text;
    if (role == ImageRole)
        return image < 0 ? QVariant() : QVariant(image);
    if (role == Qt::DecorationRole && images_ != nullptr && image >= 0)
        return images_->icon(image);
    return {};
}
