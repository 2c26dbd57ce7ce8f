// "Submit Query": closing the filter, the search passes and the results tree.
#include "QueryPage.h"
#include "QuerySearch.h"
#include "ResultValueText.h"
#include "SearchResultsModel.h"
#include "SubmittedSearch.h"
#include "directory/ClientBuffer.h"
#include "directory/PartialResults.h"
#include "pages/ClassIconTable.h"
#include "pages/SliceRunner.h"
#include "pages/TreeItems.h"
#include "pages/WaitCursor.h"

#include <QLineEdit>
#include <QListWidget>
#include <QTreeView>
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

} // namespace

bool CQueryPage::isListing() const {
    return runner_->isRunning();
}

void CQueryPage::OnSubmitQuery() {
    WaitCursor wait;
    runner_->cancel();
    if (filter_ == nullptr) {
        report("%s", "You must set search criteria before  \r submitting search query!");
        return;
    }
    resultsModel_->clear();
    SubmittedSearch submitted = currentSearch(locationEdit_->text().left(255).toStdString());
    DirectoryClient& dc = client();
    auto search = std::make_unique<Search>(dc);
    search->baseObject = locationEdit_->text().left(255).toStdString();
    search->submitted = std::move(submitted);
    {
        ClientBuffer& attrNames = search->attrNames;
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

        ClientBuffer& filterRequest = search->filterRequest;
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
        rc = search->result.allocate();
        if (rc < 0) {
            report("NWDSAllocBuf() returned: %04X\n", unsigned(rc));
            ClearCriteria();
            return;
        }
    }
    startSearch(std::move(search));
}

void CQueryPage::startSearch(std::unique_ptr<Search> search) {
    search_ = std::move(search);
    resultsModel_->setImageList(imageList());
    SliceRunner::Work work;
    work.pass = [this] { return searchPass(); };
    work.arrived = [this] { return search_->shown; };
    work.show = [this](bool) {
        resultsModel_->merge();
        return true;
    };
    work.cancel = [this] {
        client().NWDSCloseIteration(context(), search_->iteration, DSV_SEARCH);
        search_->iteration = NO_MORE_ITERATIONS;
    };
    runner_->start(std::move(work));
}

void CQueryPage::searchFinished(bool cancelled) {
    if (!search_)
        return;
    const SearchEnd end = search_->end;
    const bool foundAny = search_->shown > 0;
    if (end != SearchEnd::Failed)
        rememberSubmittedSearch(std::move(search_->submitted));
    search_.reset(); // its buffers are released before the criteria go
    if (end == SearchEnd::Failed) {
        ClearCriteria();
        return;
    }
    if (end == SearchEnd::Completed && !cancelled) {
        if (!foundAny) {
            resultsModel_->addObject(QStringLiteral("<No objects met the assigned criteria>"),
                                     ClassIcon::Unknown);
            resultsModel_->merge();
        }
        if (const std::string refused = client().takeRefusedNote(); !refused.empty())
            report("%s", refused.c_str());
    }
    // A completed search, and one whose search call failed, end with the criteria reset.
    OnResetCriteria();
}

bool CQueryPage::searchPass() {
    DirectoryClient& dc = client();
    const NWDSContextHandle ctx = context();
    Search& search = *search_;
    Buf_T* result = search.result.get();
    auto fail = [&search](SearchEnd end) {
        search.end = end;
        return false;
    };
    std::int32_t searched = 0;
    NWDSCCODE rc =
        dc.NWDSSearch(ctx, search.baseObject.c_str(), DS_SEARCH_SUBTREE, false,
                      search.filterRequest.get(), DS_ATTRIBUTE_VALUES, false,
                      search.attrNames.get(), &search.iteration, 1024, &searched, result);
    if (rc < 0) {
        search.iteration = NO_MORE_ITERATIONS;
        const std::string note = partialResultNote(dc, rc, search.shown);
        const std::string refused = dc.takeRefusedNote();
        report("NWDSSearch() returned: %04X\n%s%s", unsigned(rc), note.c_str(), refused.c_str());
        return fail(SearchEnd::SearchCallFailed);
    }
    // Any failure below leaves the directory's side of the search closed.
    auto failAfterCall = [&](SearchEnd end) {
        dc.NWDSCloseIteration(ctx, search.iteration, DSV_SEARCH);
        search.iteration = NO_MORE_ITERATIONS;
        return fail(end);
    };
    std::uint32_t objectCount = 0;
    rc = dc.NWDSGetObjectCount(ctx, result, &objectCount);
    if (rc < 0) {
        report("NWDSPutFilter returned: %04X\n", unsigned(rc));
        return failAfterCall(SearchEnd::Failed);
    }
    for (std::uint32_t o = 0; o < objectCount; ++o) {
        char objectName[MAX_DN_BYTES] = {};
        std::uint32_t attrCount = 0;
        Object_Info_T info{};
        rc = dc.NWDSGetObjectName(ctx, result, objectName, sizeof objectName, &attrCount, &info);
        if (rc < 0) {
            report("NWDSGetObjectName() returned: %04X\n", unsigned(rc));
            return failAfterCall(SearchEnd::Failed);
        }
        const QString name = QString::fromUtf8(objectName);
        // An object the previous pass ended with goes on; any other is a new row.
        if (search.shown == 0 || !resultsModel_->isLastAdded(name)) {
            info.baseClass[sizeof info.baseClass - 1] = '\0';
            resultsModel_->addObject(name, ClassIconTable::iconFor(info.baseClass));
            ++search.shown;
        }
        for (std::uint32_t a = 0; a < attrCount; ++a) {
            char attrName[MAX_SCHEMA_NAME_BYTES] = {};
            std::uint32_t valueCount = 0;
            std::uint32_t syntax = 0;
            rc = dc.NWDSGetAttrName(ctx, result, attrName, sizeof attrName, &valueCount, &syntax);
            if (rc < 0) {
                report("NWDSGetAttrName() returned: %04X\n", unsigned(rc));
                return failAfterCall(SearchEnd::Failed);
            }
            resultsModel_->addAttribute(QString::fromUtf8(attrName));
            for (std::uint32_t v = 0; v < valueCount; ++v) {
                std::uint32_t size = 0;
                rc = dc.NWDSComputeAttrValSize(ctx, result, syntax, &size);
                if (rc < 0) {
                    report("NWDSComputeAttrValSize() returned: %04X\n", unsigned(rc));
                    return failAfterCall(SearchEnd::Failed);
                }
                ValueBlock block(size);
                if (block.data == nullptr) {
                    report("%s", "Attempt to allocate memory for value failed!");
                    return failAfterCall(SearchEnd::Failed);
                }
                rc = dc.NWDSGetAttrVal(ctx, result, syntax, block.data, size);
                if (rc < 0) {
                    report("NWDSGetAttrVal() returned: %04X\n", unsigned(rc));
                    return failAfterCall(SearchEnd::Failed);
                }
                if (auto text = resultValueText(syntax, block.data, size))
                    resultsModel_->addValue(*text);
            }
        }
    }
    return search.iteration != NO_MORE_ITERATIONS;
}
