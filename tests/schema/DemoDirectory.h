#pragma once

#include "tests/support/FaultInjectingClient.h"
#include "client/embedded/EmbeddedDirectory.h"

#include <memory>
#include <string>

// The embedded demo directory behind a fault-injecting client, as every schema test uses it.
struct DemoDirectory {
    DemoDirectory() : directory(EmbeddedDirectory::openDemo()) {
        if (directory)
            faults = std::make_unique<FaultInjectingClient>(*directory);
    }

    bool ok() const { return faults != nullptr; }
    DirectoryModel& model() { return directory->model(); }
    Schema& schema() { return directory->model().schema(); }

    std::unique_ptr<EmbeddedDirectory> directory;
    std::unique_ptr<FaultInjectingClient> faults;
};
