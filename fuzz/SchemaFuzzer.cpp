// The schema reader: any text is read or refused with a message naming the file, and what
// it reads has no super-class cycle and answers every lookup.
#include "FuzzCheck.h"
#include "client/common/Schema.h"
#include "client/common/SchemaFile.h"

#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    Schema schema;
    std::string error;
    if (!schemafile::load(text, "fuzz.schema", schema, &error)) {
        FUZZ_CHECK(error.rfind("fuzz.schema:", 0) == 0);
        return 0;
    }
    for (const auto& c : schema.classes()) {
        FUZZ_CHECK(schema.findClass(c->name) != nullptr);
        for (const auto* ancestor : schema.lineage(*c)) {
            if (ancestor != c.get())
                FUZZ_CHECK(!schema.isA(*ancestor, c->name)); // no cycle
        }
        const Asn1_ID_T id = Schema::asn1Of(c->oid);
        FUZZ_CHECK(id.length <= sizeof id.data);
    }
    for (const auto& a : schema.attributes()) {
        FUZZ_CHECK(schema.findAttribute(a->name) != nullptr);
        FUZZ_CHECK(schema.findSyntax(a->syntax) != nullptr);
        const Asn1_ID_T id = Schema::asn1Of(a->oid);
        FUZZ_CHECK(id.length <= sizeof id.data);
    }
    return 0;
}
