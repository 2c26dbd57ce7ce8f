#pragma once

#include "RecordingReporter.h"
#include "client/embedded/EmbeddedDirectory.h"
#include "pages/PageFrame.h"
#include "tests/support/FaultInjectingClient.h"

#include <memory>
#include <stdexcept>

// The embedded demo directory behind the fault-injecting wrapper, with a message
// recorder: what every page test hands its pages.
struct DemoClient {
    explicit DemoClient(const std::string& identity = "Admin.Acme")
        : directory(EmbeddedDirectory::openDemo(identity)),
          faults(directory ? *directory : throw std::runtime_error("demo directory")) {}

    PageServices services() { return PageServices{faults, reporter}; }
    ClientResourceCounts outstanding() const { return faults.outstandingResources(); }

    std::unique_ptr<EmbeddedDirectory> directory;
    FaultInjectingClient faults;
    RecordingReporter reporter;
};
