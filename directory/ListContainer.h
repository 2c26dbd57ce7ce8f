#pragma once

#include "Records.h"

#include <cstddef>
#include <cstdint>
#include <string>

class DirectoryPage;
struct Buf_T;

// One object of a listing, as handed to the page's sink.
struct ListedObject {
    std::string label;      // the listed name up to its first "."
    Object_Info_T info{};   // flag word first, base class from byte 12
    std::string listedName; // as the directory returned it
};

// Where each listed object goes; the browser, the Object Editor and the Object
// Manager each have their own.
class ContainerSink {
public:
    virtual ~ContainerSink() = default;
    virtual void addObject(const ListedObject& object) = 0;
};

// The objects directly below a container, in the directory's order, taken one pass (one
// result buffer) at a time, so that a page can show what has arrived between passes.
// Failures are reported through the page. An unfinished listing is closed when it goes.
class ContainerListing {
public:
    enum class State { Running, Done, Failed, Cancelled };

    ContainerListing(DirectoryPage& page, std::string container);
    ~ContainerListing();
    ContainerListing(const ContainerListing&) = delete;
    ContainerListing& operator=(const ContainerListing&) = delete;

    // Runs the next pass and hands its objects to the sink.
    State next(ContainerSink& sink);
    // Stops a running listing; the directory drops what it holds for it.
    void cancel();
    State state() const { return state_; }
    std::size_t shown() const { return shown_; }

private:
    State fail();

    DirectoryPage& page_;
    std::string container_;
    Buf_T* buffer_ = nullptr;
    std::int32_t iteration_ = -1;
    std::size_t shown_ = 0;
    State state_ = State::Running;
};

// Lists the objects directly below `container` over as many passes as the directory needs.
// Returns true only when the whole walk succeeded, so that the page runs its after-walk steps.
bool ListContainer(DirectoryPage& page, const std::string& container, ContainerSink& sink);
