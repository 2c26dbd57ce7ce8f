// "Submit Query": closing the filter, the search passes and the results tree.
#include "QueryPage.h"
#include "ResultValueText.h"
#include "SubmittedSearch.h"
#include "directory/ClientBuffer.h"
#include "directory/PartialResults.h"
#include "pages/ClassIconTable.h"
#include "pages/TreeItems.h"
#include "pages/WaitCursor.h"

#include <QLineEdit>
#include <QListWidget>
#include <QTreeWidget>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

// A zero-filled value block, released when it goes.
struct ValueBlock {
    explicit ValueBlock(std::size_t size) : data(std::calloc(size == 0 ? 1 : size, 1)) {}
    ~ValueBlock() { std::free(data); }
    ValueBlock(const ValueBlock&) = delete;
    ValueBlock& operator=(const ValueBlock&) = delete;
    void* data;
};

// Holds back repaints of a tree for the life of the guard.
class UpdatesPaused {
public:
    explicit UpdatesPaused(QWidget* widget) : widget_(widget) { widget_->setUpdatesEnabled(false); }
    ~UpdatesPaused() { widget_->setUpdatesEnabled(true); }
    UpdatesPaused(const UpdatesPaused&) = delete;
    UpdatesPaused& operator=(const UpdatesPaused&) = delete;

private:
    QWidget* widget_;
};

} // namespace

void CQueryPage::OnSubmitQuery() {
    WaitCursor wait;
    if (filter_ == nullptr) {
        report("%s", "You must set search criteria before  \r submitting search query!");
        return;
    }
    results_->clear();
    const std::string baseObject = locationEdit_->text().left(255).toStdString();
    SubmittedSearch submitted = currentSearch(baseObject);
    DirectoryClient& dc = client();
    {
        ClientBuffer attrNames(dc);
        NWDSCCODE rc = attrNames.allocate();
        if (rc < 0) {
            report("NWDSAllocBuf returned: %04X\n", unsigned(rc));
            return;
        }
        rc = dc.NWDSInitBuf(context(), DSV_SEARCH, attrNames.get());
        if (rc < 0) {
            report("NWDSInitBuf returned: %04X\n", unsigned(rc));
            return;
        }
        for (int i = 0; i < requestedList_->count(); ++i) {
            const std::string name = requestedList_->item(i)->text().toStdString();
            rc = dc.NWDSPutAttrName(context(), attrNames.get(), name.c_str());
            if (rc < 0) {
                report("NWDSPutAttrName() returned: %04X\n", unsigned(rc));
                return;
            }
        }

        ClientBuffer filterRequest(dc);
        rc = filterRequest.allocate();
        if (rc < 0) {
            report("NWDSAllocBuf returned: %04X\n", unsigned(rc));
            return;
        }
        rc = dc.NWDSInitBuf(context(), DSV_SEARCH_FILTER, filterRequest.get());
        if (rc < 0) {
            report("NWDSInitBuf returned: %04X\n", unsigned(rc));
            return;
        }
        rc = dc.NWDSAddFilterToken(filter_, FTOK_END, nullptr, 0);
        if (rc < 0) {
            report("NWDSAddFilterToken() returned: %04X\n", unsigned(rc));
            return;
        }
        rc = dc.NWDSPutFilter(context(), filterRequest.get(), filter_, nullptr);
        if (rc < 0) {
            report("NWDSPutFilter returned: %04X\n", unsigned(rc));
            // The filter stays, without the end token just added, so that criteria can
            // still be added to it.
            rebuildFilterFromRows();
            return;
        }
        filter_ = nullptr; // it belongs to the request now

        // From here on a failure leaves no filter, so the rows it showed go too.
        ClientBuffer result(dc);
        rc = result.allocate();
        if (rc < 0) {
            report("NWDSAllocBuf() returned: %04X\n", unsigned(rc));
            ClearCriteria();
            return;
        }
        if (showSearchResults(attrNames.get(), filterRequest.get(), result.get(), baseObject) ==
            SearchEnd::Failed) {
            ClearCriteria();
            return;
        }
    }
    // A completed search, and one whose search call failed, end with the criteria reset
    // once their buffers are released.
    rememberSubmittedSearch(std::move(submitted));
    OnResetCriteria();
}

CQueryPage::SearchEnd CQueryPage::showSearchResults(Buf_T* attrNames, Buf_T* filterRequest,
                                                    Buf_T* result, const std::string& baseObject) {
    DirectoryClient& dc = client();
    const NWDSContextHandle ctx = context();
    UpdatesPaused paused(results_);
    SortedInsertionBatch objects(results_, nullptr);
    QTreeWidgetItem* current = nullptr;
    bool foundAny = false;
    std::size_t shown = 0;
    std::int32_t iteration = NO_MORE_ITERATIONS;
    do {
        std::int32_t searched = 0;
        NWDSCCODE rc = dc.NWDSSearch(ctx, baseObject.c_str(), DS_SEARCH_SUBTREE, false,
                                     filterRequest, DS_ATTRIBUTE_VALUES, false, attrNames,
                                     &iteration, 1024, &searched, result);
        if (rc < 0) {
            const std::string note = partialResultNote(dc, rc, shown);
            const std::string refused = dc.takeRefusedNote();
            report("NWDSSearch() returned: %04X\n%s%s", unsigned(rc), note.c_str(),
                   refused.c_str());
            return SearchEnd::SearchCallFailed;
        }
        std::uint32_t objectCount = 0;
        rc = dc.NWDSGetObjectCount(ctx, result, &objectCount);
        if (rc < 0) {
            report("NWDSPutFilter returned: %04X\n", unsigned(rc));
            return SearchEnd::Failed;
        }
        for (std::uint32_t o = 0; o < objectCount; ++o) {
            char objectName[MAX_DN_BYTES] = {};
            std::uint32_t attrCount = 0;
            Object_Info_T info{};
            rc =
                dc.NWDSGetObjectName(ctx, result, objectName, sizeof objectName, &attrCount, &info);
            if (rc < 0) {
                report("NWDSGetObjectName() returned: %04X\n", unsigned(rc));
                return SearchEnd::Failed;
            }
            const QString name = QString::fromUtf8(objectName);
            if (current == nullptr || current->text(0) != name) {
                // Not the object the previous pass ended with: a new item.
                info.baseClass[sizeof info.baseClass - 1] = '\0';
                current = new QTreeWidgetItem;
                current->setText(0, name);
                setItemImage(current, ClassIconTable::iconFor(info.baseClass), imageList());
                objects.add(current);
                foundAny = true;
                ++shown;
            }
            for (std::uint32_t a = 0; a < attrCount; ++a) {
                char attrName[MAX_SCHEMA_NAME_BYTES] = {};
                std::uint32_t valueCount = 0;
                std::uint32_t syntax = 0;
                rc = dc.NWDSGetAttrName(ctx, result, attrName, sizeof attrName, &valueCount,
                                        &syntax);
                if (rc < 0) {
                    report("NWDSGetAttrName() returned: %04X\n", unsigned(rc));
                    return SearchEnd::Failed;
                }
                QTreeWidgetItem* attrItem =
                    appendItem(results_, current, QString::fromUtf8(attrName), ClassIcon::Attribute,
                               imageList());
                for (std::uint32_t v = 0; v < valueCount; ++v) {
                    std::uint32_t size = 0;
                    rc = dc.NWDSComputeAttrValSize(ctx, result, syntax, &size);
                    if (rc < 0) {
                        report("NWDSComputeAttrValSize() returned: %04X\n", unsigned(rc));
                        return SearchEnd::Failed;
                    }
                    ValueBlock block(size);
                    if (block.data == nullptr) {
                        report("%s", "Attempt to allocate memory for value failed!");
                        return SearchEnd::Failed;
                    }
                    rc = dc.NWDSGetAttrVal(ctx, result, syntax, block.data, size);
                    if (rc < 0) {
                        report("NWDSGetAttrVal() returned: %04X\n", unsigned(rc));
                        return SearchEnd::Failed;
                    }
                    if (auto text = resultValueText(syntax, block.data, size))
                        appendItem(results_, attrItem, *text, ClassIcon::QueryValue, imageList());
                }
            }
        }
    } while (iteration != NO_MORE_ITERATIONS);
    objects.flush();
    if (!foundAny)
        appendItem(results_, nullptr, QStringLiteral("<No objects met the assigned criteria>"),
                   ClassIcon::Unknown, imageList());
    if (const std::string refused = dc.takeRefusedNote(); !refused.empty())
        report("%s", refused.c_str());
    return SearchEnd::Completed;
}
