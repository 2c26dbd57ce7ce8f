#include "ModelListing.h"

#include "ClassIconTable.h"
#include "ObjectListModel.h"
#include "PageFrame.h"
#include "SliceRunner.h"
#include "WaitCursor.h"
#include "directory/ReadAttributeNames.h"

class ModelListing::Sink : public ContainerSink {
public:
    Sink(ObjectListModel& model, AlsoListed also) : model_(model), also_(std::move(also)) {}
    void addObject(const ListedObject& object) override {
        const int icon = ClassIconTable::iconFor(object.info.baseClass);
        if (also_)
            also_(object, icon);
        model_.addObject(object, icon);
    }

private:
    ObjectListModel& model_;
    AlsoListed also_;
};

ModelListing::ModelListing(PageFrame& page, ObjectListModel* model, QWidget* progressParent)
    : QObject(&page), page_(page), model_(model),
      progress_(new ListingProgress(QStringLiteral("Listing: %1 objects so far"), progressParent)),
      runner_(new SliceRunner(progress_, this)) {
    connect(runner_, &SliceRunner::finished, this, &ModelListing::finished);
}

ModelListing::~ModelListing() {
    // A listing still arriving is closed while the page's context is there.
    delete runner_;
    runner_ = nullptr;
    listing_.reset();
}

void ModelListing::start(const std::string& container, AlsoListed also) {
    cancel();
    model_->setImageList(page_.imageList());
    sink_ = std::make_unique<Sink>(*model_, std::move(also));
    listing_ = std::make_unique<ContainerListing>(page_, container);
    SliceRunner::Work work;
    work.pass = [this] {
        const bool more = listing_->next(*sink_) == ContainerListing::State::Running;
        model_->sortArrivals();
        return more;
    };
    work.arrived = [this] { return listing_->shown(); };
    work.show = [this](bool all) {
        if (all)
            return model_->mergeAllStepwise();
        model_->mergeWhenDue();
        return false;
    };
    work.cancel = [this] { listing_->cancel(); };
    runner_->start(std::move(work));
}

void ModelListing::cancel() {
    if (runner_ && runner_->isRunning())
        runner_->cancel();
}

bool ModelListing::isRunning() const {
    return runner_ && runner_->isRunning();
}

void ModelListing::finished(bool cancelled) {
    const bool completed =
        !cancelled && listing_ && listing_->state() == ContainerListing::State::Done;
    listing_.reset();
    sink_.reset();
    emit ended(completed);
}

std::function<bool(const std::string&, std::vector<std::string>&)>
ModelListing::nameReader(PageFrame& page) {
    return [&page](const std::string& listedName, std::vector<std::string>& names) {
        WaitCursor wait;
        std::string failure;
        ReadAttributeNames(
            page, listedName, [&names](const std::string& name) { names.push_back(name); },
            &failure);
        if (failure.empty())
            return true;
        page.report("%s", failure.c_str());
        return false;
    };
}
