#pragma once

#include <QAbstractItemModel>
#include <QString>
#include <cstdint>
#include <vector>

class ImageList;

// The objects a search found, for a tree view without an item per row: each object (sorted by
// its name with case ignored, equal names in the order found), below it the attributes the
// search returned in the order they came, below each attribute its values. Objects arrive in
// batches; each batch is sorted once and merged into place.
class SearchResultsModel : public QAbstractItemModel {
    Q_OBJECT
public:
    static constexpr int ImageRole = Qt::UserRole + 1;

    explicit SearchResultsModel(QObject* parent = nullptr);
    ~SearchResultsModel() override;

    void setImageList(const ImageList* images) { images_ = images; }
    void setImages(int attributeImage, int valueImage);
    void clear();

    // A new object of the batch under way; attributes and values go to the object added last.
    void addObject(const QString& name, int image);
    // Whether `name` is the object added last (a search pass may go on with its attributes).
    bool isLastAdded(const QString& name) const;
    void addAttribute(const QString& name);
    void addValue(const QString& text);
    // Puts the objects added since the last merge at their sorted places.
    void merge();
    int objectCount() const { return int(objects_.size()); }

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& index) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    struct Attribute {
        QString name;
        std::vector<QString> values;
    };
    struct Object {
        QString name;
        QString key; // the name with case folded
        int image = -1;
        std::uint32_t id = 0; // the order found: its place in rowOf_
        std::vector<Attribute> attributes;
    };
    // Rows below an object carry its id and, for values, the attribute's position.
    enum Level : quintptr { ObjectLevel = 0, AttributeLevel = 1, ValueLevel = 2 };
    static quintptr tag(Level level, std::uint32_t id, std::uint32_t attribute) {
        return quintptr(level) | quintptr(attribute) << 2 | quintptr(id) << 32;
    }
    static Level levelOf(const QModelIndex& index) { return Level(index.internalId() & 3); }
    static std::uint32_t idOf(const QModelIndex& index) {
        return std::uint32_t(index.internalId() >> 32);
    }
    static std::uint32_t attributeOf(const QModelIndex& index) {
        return std::uint32_t((index.internalId() >> 2) & 0x3FFFFFFF);
    }
    Object* lastAdded();
    const Object* objectById(std::uint32_t id) const;

    const ImageList* images_ = nullptr;
    int attributeImage_ = -1;
    int valueImage_ = -1;
    std::vector<Object> objects_;      // sorted
    std::vector<Object> waiting_;      // found since the last merge
    std::vector<std::uint32_t> rowOf_; // by id
    bool lastIsWaiting_ = false;       // where the object added last is
    std::uint32_t lastId_ = 0;
};
