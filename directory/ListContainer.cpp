#include "ListContainer.h"

#include "DirectoryClient.h"
#include "DirectoryPage.h"
#include "NameRules.h"
#include "PartialResults.h"

ContainerListing::ContainerListing(DirectoryPage& page, std::string container)
    : page_(page), container_(std::move(container)) {
    Buf_T* buffer = nullptr;
    const NWDSCCODE rc = page_.client().NWDSAllocBuf(DEFAULT_MESSAGE_LEN, &buffer);
    buffer_ = buffer;
    if (rc < 0) {
        page_.report("NWDSAllocBuf returned: %04X\n", unsigned(rc));
        state_ = State::Failed;
    }
}

ContainerListing::~ContainerListing() {
    cancel();
    if (buffer_ != nullptr)
        page_.client().NWDSFreeBuf(buffer_);
}

void ContainerListing::cancel() {
    if (state_ != State::Running)
        return;
    if (iteration_ != NO_MORE_ITERATIONS)
        page_.client().NWDSCloseIteration(page_.context(), iteration_, DSV_LIST);
    iteration_ = NO_MORE_ITERATIONS;
    state_ = State::Cancelled;
}

ContainerListing::State ContainerListing::fail() {
    // A failed pass ends the listing in the directory too.
    iteration_ = NO_MORE_ITERATIONS;
    state_ = State::Failed;
    return state_;
}

ContainerListing::State ContainerListing::next(ContainerSink& sink) {
    if (state_ != State::Running)
        return state_;
    DirectoryClient& client = page_.client();
    NWDSCCODE rc = client.NWDSList(page_.context(), container_.c_str(), &iteration_, buffer_);
    if (rc < 0) {
        const std::string note = partialResultNote(client, rc, shown_);
        const std::string refused = client.takeRefusedNote();
        page_.report("\nNWDSList returned : %04X\n%s%s", unsigned(rc), note.c_str(),
                     refused.c_str());
        return fail();
    }
    std::uint32_t count = 0;
    rc = client.NWDSGetObjectCount(page_.context(), buffer_, &count);
    if (rc < 0) {
        page_.report("\nNWDSGetObjectCount returned : %04X\n", unsigned(rc));
        client.NWDSCloseIteration(page_.context(), iteration_, DSV_LIST);
        return fail();
    }
    ListedObject object;
    for (std::uint32_t i = 0; i < count; ++i) {
        char name[MAX_DN_BYTES] = {};
        std::uint32_t attrCount = 0;
        object.info = Object_Info_T{};
        rc = client.NWDSGetObjectName(page_.context(), buffer_, name, sizeof name, &attrCount,
                                      &object.info);
        if (rc < 0) {
            page_.report("\nNWDSGetObjectName returned: %04X\n", unsigned(rc));
            client.NWDSCloseIteration(page_.context(), iteration_, DSV_LIST);
            return fail();
        }
        object.info.baseClass[sizeof object.info.baseClass - 1] = '\0';
        object.listedName = name;
        object.label = labelOf(object.listedName);
        sink.addObject(object);
        ++shown_;
    }
    if (iteration_ != NO_MORE_ITERATIONS)
        return state_;
    // What the server sent and the client could not show is said once, not per object.
    if (const std::string refused = client.takeRefusedNote(); !refused.empty())
        page_.report("%s", refused.c_str());
    state_ = State::Done;
    return state_;
}

bool ListContainer(DirectoryPage& page, const std::string& container, ContainerSink& sink) {
    ContainerListing listing(page, container);
    while (listing.next(sink) == ContainerListing::State::Running) {
    }
    return listing.state() == ContainerListing::State::Done;
}
