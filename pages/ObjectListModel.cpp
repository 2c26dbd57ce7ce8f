#include "ObjectListModel.h"

#include "ImageList.h"
#include "TreeItems.h"
#include "directory/ListContainer.h"
#include "directory/NameRules.h"

#include <QIcon>
#include <algorithm>
#include <iterator>

namespace {
// Texts go into chunks of this many characters, so that growing never moves a text.
constexpr std::size_t kChunkChars = std::size_t(1) << 20;
constexpr int kChunkBits = 20;

} // namespace

ObjectListModel::ObjectListModel(QObject* parent) : QAbstractItemModel(parent) {}

ObjectListModel::~ObjectListModel() = default;

void ObjectListModel::setNameReader(NameReader reader, int nameImage) {
    reader_ = std::move(reader);
    nameImage_ = nameImage;
}

ObjectListModel::Text ObjectListModel::store(QStringView chars) {
    const std::size_t size = std::min<std::size_t>(std::size_t(chars.size()), 0xFFFF);
    if (chars_.empty() || chars_.back().size() + size > kChunkChars) {
        chars_.emplace_back();
        chars_.back().reserve(std::min<std::size_t>(kChunkChars, 4096));
    }
    std::vector<char16_t>& chunk = chars_.back();
    Text text;
    text.at = std::uint32_t((chars_.size() - 1) << kChunkBits | chunk.size());
    text.size = std::uint16_t(size);
    chunk.insert(chunk.end(), chars.utf16(), chars.utf16() + size);
    return text;
}

QStringView ObjectListModel::view(Text text) const {
    const std::vector<char16_t>& chunk = chars_[text.at >> kChunkBits];
    return QStringView(chunk.data() + (text.at & (kChunkChars - 1)), qsizetype(text.size));
}

void ObjectListModel::clear() {
    beginResetModel();
    // Dropping the storage frees a few large blocks, whatever the number of objects.
    std::vector<std::vector<char16_t>>().swap(chars_);
    std::vector<Object>().swap(objects_);
    std::vector<Object>().swap(waiting_);
    runEnds_.clear();
    stepping_.cancel();
    nextId_ = 0;
    std::vector<std::uint32_t>().swap(rowOf_);
    std::vector<Names>().swap(namesRead_);
    names_.clear();
    hasHead_ = false;
    headText_.clear();
    headImage_ = -1;
    endResetModel();
}

QModelIndex ObjectListModel::setHead(const QString& text, int image) {
    if (!hasHead_) {
        beginInsertRows(QModelIndex(), 0, 0);
        hasHead_ = true;
        headText_ = text;
        headImage_ = image;
        endInsertRows();
    } else {
        headText_ = text;
        headImage_ = image;
        emit dataChanged(head(), head());
    }
    return head();
}

QModelIndex ObjectListModel::head() const {
    return hasHead_ ? createIndex(0, 0, kTop) : QModelIndex();
}

QModelIndex ObjectListModel::objectParent() const {
    return head();
}

void ObjectListModel::addObject(const ListedObject& object, int image) {
    const QString text = QString::fromStdString(labelText(object.label));
    const QString listed = QString::fromStdString(object.listedName);
    Object added{};
    added.id = nextId_++;
    namesRead_.push_back(Names::NotRead);
    added.text = store(text);
    added.listed = listed == text ? added.text : store(listed);
    // The sort key is made once per object.
    const QString key = foldedSortKey(text);
    added.key = key == text ? added.text : store(key);
    added.image = std::uint16_t(image < 0 ? 0xFFFF : image);
    waiting_.push_back(added);
}

namespace {
// Objects one step of a stepwise merge places: a few milliseconds' work.
constexpr std::size_t kMergeStep = 65536;
} // namespace

void ObjectListModel::mergeWhenDue() {
    if (stepping_.active()) {
        stepMerge(kMergeStep);
        return;
    }
    if (waiting_.size() < std::max<std::size_t>(2000, objects_.size() / 4) &&
        sinceMerge_.isValid() && sinceMerge_.elapsed() < 250) {
        sortArrivals();
        return;
    }
    if (objects_.size() < stepwiseFrom_)
        merge();
    else
        startStepwiseMerge();
}

bool ObjectListModel::mergeAllStepwise() {
    if (stepping_.active())
        stepMerge(kMergeStep);
    else if (!waiting_.empty() && objects_.size() < stepwiseFrom_)
        merge();
    else if (!waiting_.empty())
        startStepwiseMerge();
    return !stepping_.active() && waiting_.empty();
}

void ObjectListModel::startStepwiseMerge() {
    if (waiting_.empty())
        return;
    sortArrivals();
    std::vector<Object> batch;
    batch.swap(waiting_);
    stepping_.start(std::move(batch), std::exchange(runEnds_, {}));
    stepMerge(kMergeStep);
}

void ObjectListModel::stepMerge(std::size_t objects) {
    if (stepping_.step(objects_, objects))
        publish(stepping_.take());
}

void ObjectListModel::publish(std::vector<Object> merged) {
    sinceMerge_.start();
    changeOrder([this, &merged] {
        objects_.swap(merged);
        std::vector<Object>().swap(merged);
        rowOf_.resize(nextId_);
        for (std::size_t row = 0; row < objects_.size(); ++row)
            rowOf_[objects_[row].id] = std::uint32_t(row);
    });
}

void ObjectListModel::changeOrder(const std::function<void()>& reorder) {
    const QModelIndex parent = objectParent();
    const QList<QPersistentModelIndex> parents =
        parent.isValid() ? QList<QPersistentModelIndex>{parent} : QList<QPersistentModelIndex>{};
    emit layoutAboutToBeChanged(parents, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList persistent = persistentIndexList();
    std::vector<std::uint32_t> persistentIds;
    persistentIds.reserve(std::size_t(persistent.size()));
    for (const QModelIndex& index : persistent)
        persistentIds.push_back(isObject(index) ? objects_[std::size_t(index.row())].id
                                                : std::uint32_t(-1));
    reorder();
    QModelIndexList from, to;
    for (qsizetype i = 0; i < persistent.size(); ++i) {
        if (persistentIds[std::size_t(i)] == std::uint32_t(-1))
            continue;
        const QModelIndex& old = persistent[i];
        from.append(old);
        to.append(createIndex(int(rowOf_[persistentIds[std::size_t(i)]]), old.column(),
                              old.internalId()));
    }
    changePersistentIndexList(from, to);
    emit layoutChanged(parents, QAbstractItemModel::VerticalSortHint);
}

void ObjectListModel::sortArrivals(std::size_t atLeast) {
    const std::size_t sorted = runEnds_.empty() ? 0 : runEnds_.back();
    if (sorted == waiting_.size() || waiting_.size() - sorted < atLeast)
        return;
    const auto order = [this](const Object& a, const Object& b) { return before(a, b); };
    std::stable_sort(waiting_.begin() + std::ptrdiff_t(sorted), waiting_.end(), order);
    runEnds_.push_back(waiting_.size());
}

void ObjectListModel::merge() {
    if (stepping_.active()) {
        while (!stepping_.step(objects_, std::size_t(-1))) {
        }
        publish(stepping_.take());
    }
    if (waiting_.empty())
        return;
    sinceMerge_.start();
    // Runs merged pairwise: earlier runs hold earlier arrivals, and each merge keeps the
    // left run's objects first among equals.
    sortArrivals();
    const auto order = [this](const Object& a, const Object& b) { return before(a, b); };
    while (runEnds_.size() > 1) {
        std::vector<std::size_t> merged;
        std::size_t start = 0;
        for (std::size_t r = 0; r < runEnds_.size(); r += 2) {
            if (r + 1 < runEnds_.size()) {
                std::inplace_merge(waiting_.begin() + std::ptrdiff_t(start),
                                   waiting_.begin() + std::ptrdiff_t(runEnds_[r]),
                                   waiting_.begin() + std::ptrdiff_t(runEnds_[r + 1]), order);
                start = runEnds_[r + 1];
            } else {
                start = runEnds_[r];
            }
            merged.push_back(start);
        }
        runEnds_ = std::move(merged);
    }
    runEnds_.clear();
    rowOf_.resize(nextId_);
    const QModelIndex parent = objectParent();

    // Arrivals that all sort after what is shown are appended: the common case of a
    // directory that lists in order, and of the first batch.
    if (objects_.empty() || !before(waiting_.front(), objects_.back())) {
        const int first = int(objects_.size());
        beginInsertRows(parent, first, first + int(waiting_.size()) - 1);
        objects_.insert(objects_.end(), waiting_.begin(), waiting_.end());
        for (std::size_t row = std::size_t(first); row < objects_.size(); ++row)
            rowOf_[objects_[row].id] = std::uint32_t(row);
        waiting_.clear();
        endInsertRows();
        return;
    }

    // From the back, in place: objects already shown come before arrivals with an equal key,
    // and only the rows from the first one placed onwards move.
    changeOrder([this] {
        std::size_t shown = objects_.size();
        std::size_t arrived = waiting_.size();
        objects_.resize(shown + arrived);
        std::size_t at = objects_.size();
        while (arrived > 0) {
            if (shown > 0 && before(waiting_[arrived - 1], objects_[shown - 1]))
                objects_[--at] = objects_[--shown];
            else
                objects_[--at] = waiting_[--arrived];
        }
        std::vector<Object>().swap(waiting_);
        for (std::size_t row = shown; row < objects_.size(); ++row)
            rowOf_[objects_[row].id] = std::uint32_t(row);
    });
}

QModelIndex ObjectListModel::objectAt(int row) const {
    if (row < 0 || row >= objectCount())
        return {};
    return createIndex(row, 0, hasHead_ ? kObject : kTop);
}

bool ObjectListModel::isHead(const QModelIndex& index) const {
    return index.isValid() && index.model() == this && hasHead_ && index.internalId() == kTop;
}

bool ObjectListModel::isObject(const QModelIndex& index) const {
    return index.isValid() && index.model() == this &&
           index.internalId() == (hasHead_ ? kObject : kTop) && index.row() < objectCount();
}

bool ObjectListModel::isAttribute(const QModelIndex& index) const {
    return index.isValid() && index.model() == this && index.internalId() >= kNamesOf;
}

const ObjectListModel::Object* ObjectListModel::objectOf(const QModelIndex& index) const {
    return isObject(index) ? &objects_[std::size_t(index.row())] : nullptr;
}

std::string ObjectListModel::listedName(const QModelIndex& object) const {
    const Object* o = objectOf(object);
    return o ? view(o->listed).toString().toStdString() : std::string();
}

std::string ObjectListModel::label(const QModelIndex& object) const {
    if (isHead(object))
        return headText_.toStdString();
    return labelOf(listedName(object));
}

void ObjectListModel::readNames(const QModelIndex& object) {
    const Object* o = objectOf(object);
    if (o == nullptr || !reader_ || namesRead_[o->id] != Names::NotRead)
        return;
    const std::uint32_t id = o->id;
    const std::string listed = listedName(object);
    const QPersistentModelIndex kept(object); // the read may let a merge move the row
    namesRead_[id] = Names::Reading;
    std::vector<std::string> read;
    reader_(listed, read);
    std::vector<QString> names;
    names.reserve(read.size());
    for (const std::string& name : read)
        names.push_back(QString::fromStdString(name));
    std::stable_sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        return foldedSortKey(a) < foldedSortKey(b);
    });
    const QModelIndex at = kept;
    if (!at.isValid())
        return; // the listing was cleared meanwhile
    namesRead_[id] = Names::Read;
    if (names.empty()) {
        // Its expand indicator goes.
        emit dataChanged(at, at);
        return;
    }
    beginInsertRows(at, 0, int(names.size()) - 1);
    names_[id] = std::move(names);
    endInsertRows();
}

QModelIndex ObjectListModel::index(int row, int column, const QModelIndex& parent) const {
    if (row < 0 || column != 0)
        return {};
    if (!parent.isValid()) {
        if (hasHead_)
            return row == 0 ? head() : QModelIndex();
        return objectAt(row);
    }
    if (isHead(parent))
        return objectAt(row);
    if (const Object* o = objectOf(parent)) {
        const auto it = names_.find(o->id);
        if (it != names_.end() && std::size_t(row) < it->second.size())
            return createIndex(row, 0, quintptr(o->id) + kNamesOf);
    }
    return {};
}

QModelIndex ObjectListModel::parent(const QModelIndex& index) const {
    if (!index.isValid() || index.internalId() == kTop)
        return {};
    if (index.internalId() == kObject)
        return head();
    const std::size_t id = std::size_t(index.internalId() - kNamesOf);
    if (id >= rowOf_.size())
        return {};
    return objectAt(int(rowOf_[id]));
}

int ObjectListModel::rowCount(const QModelIndex& parent) const {
    if (!parent.isValid())
        return hasHead_ ? 1 : objectCount();
    if (isHead(parent))
        return objectCount();
    if (const Object* o = objectOf(parent)) {
        const auto it = names_.find(o->id);
        return it == names_.end() ? 0 : int(it->second.size());
    }
    return 0;
}

int ObjectListModel::columnCount(const QModelIndex&) const {
    return 1;
}

bool ObjectListModel::hasChildren(const QModelIndex& parent) const {
    if (!parent.isValid() || isHead(parent))
        return rowCount(parent) > 0;
    if (const Object* o = objectOf(parent))
        return reader_ && (namesRead_[o->id] != Names::Read || names_.count(o->id) != 0);
    return false;
}

bool ObjectListModel::canFetchMore(const QModelIndex& parent) const {
    const Object* o = objectOf(parent);
    return o != nullptr && reader_ && namesRead_[o->id] == Names::NotRead;
}

void ObjectListModel::fetchMore(const QModelIndex& parent) {
    readNames(parent);
}

Qt::ItemFlags ObjectListModel::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (isAttribute(index))
        flags |= Qt::ItemNeverHasChildren;
    return flags;
}

QVariant ObjectListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid())
        return {};
    int image = -1;
    if (isHead(index)) {
        if (role == Qt::DisplayRole)
            return headText_;
        image = headImage_;
    } else if (const Object* o = objectOf(index)) {
        if (role == Qt::DisplayRole)
            return view(o->text).toString();
        if (role == LabelRole) {
            const std::string label = labelOf(listedName(index));
            return isMultiValuedLabel(label) ? QVariant(QByteArray::fromStdString(label))
                                             : QVariant();
        }
        image = o->image == 0xFFFF ? -1 : int(o->image);
    } else if (isAttribute(index)) {
        const auto it = names_.find(std::uint32_t(index.internalId() - kNamesOf));
        if (it == names_.end() || std::size_t(index.row()) >= it->second.size())
            return {};
        if (role == Qt::DisplayRole)
            return it->second[std::size_t(index.row())];
        image = nameImage_;
    } else {
        return {};
    }
    if (role == ImageRole)
        return image < 0 ? QVariant() : QVariant(image);
    if (role == Qt::DecorationRole && images_ != nullptr && image >= 0)
        return images_->icon(image);
    return {};
}
