// The LDIF reader (with change records, as an import reads it, and as the data folder's loader
// reads it) and the loader behind it, on the demo schema: any text is read or refused with a
// message, never crashes, and file references never leave the (empty) data folder.
#include "FuzzCheck.h"
#include "client/common/Ldif.h"
#include "client/common/Names.h"
#include "client/common/SchemaFile.h"
#include "client/common/TextFile.h"
#include "client/embedded/DirectoryModel.h"
#include "client/embedded/TreeLoader.h"
#include "ldif/LdifReader.h"

#include <cstdint>
#include <filesystem>
#include <string>

namespace {

// The demo schema is read once; every input starts from an empty tree under it.
struct Setting {
    DirectoryModel model{"FUZZ_TREE", 0};
    std::string dataRoot;
};

Setting& setting() {
    static Setting& s = *[] {
        auto* made = new Setting; // lives as long as the run
        Setting& out = *made;
        const std::string path = std::string(OSTREL_DATA_DIR) + "/schema/base.schema";
        std::string text;
        std::string why;
        FUZZ_CHECK(readDataFile(OSTREL_DATA_DIR, path, text, why));
        FUZZ_CHECK(schemafile::load(text, "base.schema", out.model.schema(), &why));
        out.model.adoptSchema();
        out.dataRoot = (std::filesystem::temp_directory_path() / "ostrel-fuzz-data").string();
        std::filesystem::create_directories(out.dataRoot);
        return made;
    }();
    return s;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    Setting& s = setting();
    std::vector<ldif::Record> records;
    std::string error;
    // Change records too, as an import reads them: read, or refused with the file's line.
    if (!ldif::read(text, {"fuzz.ldif", {}}, records, &error))
        FUZZ_CHECK(error.rfind("fuzz.ldif:", 0) == 0);
    records.clear();
    const ldif::Source source{"fuzz.ldif", s.dataRoot, s.dataRoot};
    if (!ldif::parse(text, source, records, &error)) {
        FUZZ_CHECK(error.rfind("fuzz.ldif:", 0) == 0);
        return 0;
    }
    DirectoryModel& model = s.model;
    model.objects() = ObjectStore();
    model.changed();
    if (!loadRecords(model, records, "fuzz.ldif", &error)) {
        FUZZ_CHECK(error.rfind("fuzz.ldif:", 0) == 0);
        return 0;
    }
    // Whatever loaded can be found again by the name the listing gives it.
    const ObjectStore& store = model.objects();
    for (const auto& r : records) {
        std::vector<valuetext::DnComponent> dn;
        FUZZ_CHECK(valuetext::splitDn(r.dn, dn));
        std::vector<std::string> components;
        for (const auto& c : dn)
            components.push_back(c.value);
        if (components.empty())
            continue;
        const auto id = store.lookup(components);
        FUZZ_CHECK(id.has_value());
        FUZZ_CHECK(model.find(names::join(components)) == id);
    }
    return 0;
}
