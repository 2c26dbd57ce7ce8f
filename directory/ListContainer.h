#pragma once

#include "Records.h"

#include <string>

class DirectoryPage;

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

// Lists the objects directly below `container`, in the directory's order, over as many
// passes as the directory needs. Failures are reported; returns true only when the whole
// walk succeeded, so that the page runs its after-walk steps.
bool ListContainer(DirectoryPage& page, const std::string& container, ContainerSink& sink);
