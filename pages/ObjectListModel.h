#pragma once

#include "StepwiseMerge.h"

#include <QAbstractItemModel>
#include <QElapsedTimer>
#include <QStringView>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class ImageList;
struct ListedObject;

// The objects of one listing for a tree view, without an item per object: an optional top row
// standing for the listed container, the objects below it (or at the top) in the order of
// their texts with case ignored, and below each object its attribute names, read the first
// time the object is expanded or selected (its expand indicator shows until then). Objects
// arrive in batches; each batch is sorted once and merged into place, so that the view shows
// a sorted listing at every moment and equal texts keep the order they arrived in.
class ObjectListModel : public QAbstractItemModel {
    Q_OBJECT
public:
    // The same roles the pages' widget items use (pages/TreeItems.h).
    static constexpr int ImageRole = Qt::UserRole + 1;
    static constexpr int LabelRole = Qt::UserRole + 2;

    // Reads the attribute names of the object with this listed name; false when the read
    // failed (the reader has said so).
    using NameReader =
        std::function<bool(const std::string& listedName, std::vector<std::string>& names)>;

    explicit ObjectListModel(QObject* parent = nullptr);
    ~ObjectListModel() override;

    void setImageList(const ImageList* images) { images_ = images; }
    // Objects get attribute-name children from the reader, shown with `nameImage`; without a
    // reader they have none.
    void setNameReader(NameReader reader, int nameImage);

    void clear();
    // The top row standing for the container; objects go below it from now on.
    QModelIndex setHead(const QString& text, int image);
    QModelIndex head() const;

    // An object waits until the next merge.
    void addObject(const ListedObject& object, int image);
    std::size_t waiting() const { return waiting_.size(); }
    // Puts the objects added since the last merge at their sorted places, at once.
    void merge();
    // The same once enough has arrived to be worth it: each merge moves every row after the
    // first one it places, and a view lays out all rows again, so a large listing merges
    // when what waits is a good share of what is shown, or a quarter second has passed.
    // Past a size a merge runs a step per call (the rows stay as they are until its end).
    void mergeWhenDue();
    // Sorts the objects added since the last call as one run, once there are `atLeast` of them,
    // so that a merge only merges runs: called after each pass of a listing, it spreads the
    // sorting over the passes.
    void sortArrivals(std::size_t atLeast = 0);
    // A step towards showing everything that arrived; true once it is all shown.
    bool mergeAllStepwise();
    // From how many shown objects on merges go a step at a time.
    void setStepwiseMergeFrom(std::size_t objects) { stepwiseFrom_ = objects; }

    int objectCount() const { return int(objects_.size()); }
    QModelIndex objectAt(int row) const;
    bool isHead(const QModelIndex& index) const;
    bool isObject(const QModelIndex& index) const;
    bool isAttribute(const QModelIndex& index) const;
    // An object's name as the directory listed it, and its label (directory/NameRules.h).
    std::string listedName(const QModelIndex& object) const;
    std::string label(const QModelIndex& object) const;
    // Reads the object's attribute names now, unless they were read before.
    void readNames(const QModelIndex& object);

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& index) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool hasChildren(const QModelIndex& parent = {}) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;

private:
    enum class Names : std::uint8_t { NotRead, Reading, Read };
    // Texts live in `chars_`; a position is a chunk number and an offset within it.
    struct Text {
        std::uint32_t at = 0;
        std::uint16_t size = 0;
    };
    struct Object {
        std::uint32_t id; // the order of arrival: an object's index in rowOf_ and namesRead_
        Text text, key, listed;
        std::uint16_t image;
    };
    struct KeyOrder {
        const ObjectListModel* model;
        bool operator()(const Object& a, const Object& b) const { return model->before(a, b); }
    };

    Text store(QStringView chars);
    QStringView view(Text text) const;
    const Object* objectOf(const QModelIndex& index) const;
    QModelIndex objectParent() const;
    // Code-unit order, compared inline: the merges of a large listing make millions of these.
    bool before(const Object& a, const Object& b) const {
        const QStringView x = view(a.key), y = view(b.key);
        return std::u16string_view(x.utf16(), std::size_t(x.size())) <
               std::u16string_view(y.utf16(), std::size_t(y.size()));
    }
    // Starts a merge a step at a time, or runs one more step of it.
    void startStepwiseMerge();
    void stepMerge(std::size_t objects);
    // The merged rows take the place of the shown ones.
    void publish(std::vector<Object> merged);
    // Runs `reorder` (which rearranges objects_ and rowOf_) as one layout change: rows the
    // view holds follow their objects.
    void changeOrder(const std::function<void()>& reorder);

    static constexpr quintptr kTop = 0;    // a top-level row
    static constexpr quintptr kObject = 1; // an object below the head
    // Attribute-name rows carry their object's id plus this.
    static constexpr quintptr kNamesOf = 2;

    const ImageList* images_ = nullptr;
    NameReader reader_;
    int nameImage_ = -1;
    bool hasHead_ = false;
    QString headText_;
    int headImage_ = -1;

    std::vector<std::vector<char16_t>> chars_;
    std::vector<Object> objects_;      // sorted
    std::vector<Object> waiting_;      // arrived since the last merge
    std::vector<std::size_t> runEnds_; // of the sorted runs at the front of waiting_
    std::uint32_t nextId_ = 0;
    StepwiseMerge<Object, KeyOrder> stepping_{KeyOrder{this}};
    std::size_t stepwiseFrom_ = 100000;
    QElapsedTimer sinceMerge_;
    std::vector<std::uint32_t> rowOf_;                              // by id
    std::vector<Names> namesRead_;                                  // by id
    std::unordered_map<std::uint32_t, std::vector<QString>> names_; // by id, once read
};
