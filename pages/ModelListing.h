#pragma once

#include "directory/ListContainer.h"

#include <QObject>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class ListingProgress;
class ObjectListModel;
class PageFrame;
class SliceRunner;
class QWidget;

// Lists a container into a page's object model a slice at a time (SliceRunner): each object
// with its class icon, the first screen at once, the rest while the page answers, with the
// page's progress line and Cancel. One listing at a time: a new one ends the one under way.
class ModelListing : public QObject {
    Q_OBJECT
public:
    // What else a page does with each listed object (the browser fills its container list).
    using AlsoListed = std::function<void(const ListedObject& object, int icon)>;

    ModelListing(PageFrame& page, ObjectListModel* model, QWidget* progressParent);
    ~ModelListing() override;

    void start(const std::string& container, AlsoListed also = {});
    // Ends a listing under way; what arrived stays.
    void cancel();
    bool isRunning() const;
    ListingProgress* progress() const { return progress_; }
    SliceRunner* runner() const { return runner_; }

    // A model's reader of an object's attribute names through the page: a failed read is
    // reported, once for that object, as the page reports everything.
    static std::function<bool(const std::string&, std::vector<std::string>&)>
    nameReader(PageFrame& page);

signals:
    // The listing is over: `completed` when every object arrived (not failed, not cancelled).
    void ended(bool completed);

private:
    class Sink;
    void finished(bool cancelled);

    PageFrame& page_;
    ObjectListModel* model_;
    ListingProgress* progress_;
    SliceRunner* runner_;
    std::unique_ptr<ContainerListing> listing_;
    std::unique_ptr<Sink> sink_;
};
