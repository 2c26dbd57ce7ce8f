#include "ClassReads.h"

#include "directory/ClientBuffer.h"
#include "directory/DirectoryPage.h"

#include <cstring>

namespace {

std::string textOf(const char* buffer, std::size_t size) {
    return std::string(buffer, strnlen(buffer, size));
}

class ClassPasses {
public:
    ClassPasses(DirectoryPage& page, const ReportPolicy& policy, const ClassDefSink& deliver)
        : page_(page), client_(page.client()), policy_(policy), deliver_(deliver) {}

    ReadOutcome run(bool allClasses, Buf_T* request, Buf_T* result) {
        std::int32_t iteration = NO_MORE_ITERATIONS;
        do {
            NWDSCCODE rc = client_.NWDSReadClassDef(page_.context(), DS_INFO_DEFS, allClasses,
                                                    request, &iteration, result);
            if (rc < 0)
                return fail(SchemaStep::Read, rc);
            std::uint32_t count = 0;
            rc = client_.NWDSGetClassDefCount(page_.context(), result, &count);
            if (rc < 0)
                return fail(SchemaStep::Count, rc);
            for (std::uint32_t i = 0; i < count; ++i) {
                const ReadOutcome outcome = takeDefinition(result);
                if (!outcome.ok())
                    return outcome;
            }
        } while (iteration != NO_MORE_ITERATIONS);
        return {};
    }

    ReadOutcome fail(SchemaStep step, NWDSCCODE code) { return policy_.failure(page_, step, code); }

private:
    ReadOutcome takeDefinition(Buf_T* result) {
        char name[MAX_SCHEMA_NAME_BYTES] = {};
        Class_Info_T info{};
        NWDSCCODE rc = client_.NWDSGetClassDef(page_.context(), result, name, sizeof name, &info);
        if (rc < 0)
            return fail(SchemaStep::Definition, rc);

        ClassDef definition;
        definition.name = textOf(name, sizeof name);
        definition.flags = info.classFlags;
        for (std::vector<std::string>& list : definition.lists) {
            std::uint32_t items = 0;
            rc = client_.NWDSGetClassItemCount(page_.context(), result, &items);
            if (rc < 0)
                return deliverPartial(definition, SchemaStep::ItemCount, rc);
            for (std::uint32_t i = 0; i < items; ++i) {
                char item[MAX_SCHEMA_NAME_BYTES] = {};
                rc = client_.NWDSGetClassItem(page_.context(), result, item, sizeof item);
                if (rc < 0)
                    return deliverPartial(definition, SchemaStep::Item, rc);
                list.push_back(textOf(item, sizeof item));
            }
        }
        definition.complete = true;
        deliver_(definition);
        return {};
    }

    ReadOutcome deliverPartial(const ClassDef& definition, SchemaStep step, NWDSCCODE code) {
        deliver_(definition);
        return fail(step, code);
    }

    DirectoryPage& page_;
    DirectoryClient& client_;
    const ReportPolicy& policy_;
    const ClassDefSink& deliver_;
};

} // namespace

ReadOutcome WalkClassDefinitions(DirectoryPage& page, const ReportPolicy& policy,
                                 const ClassDefSink& deliver) {
    ClassPasses passes(page, policy, deliver);
    ClientBuffer result(page.client());
    if (const NWDSCCODE rc = result.allocate(); rc < 0)
        return passes.fail(SchemaStep::AllocResult, rc);
    return passes.run(true, nullptr, result.get());
}

ReadOutcome ReadClassDefinition(DirectoryPage& page, const std::string& className,
                                const ReportPolicy& policy, const ClassDefSink& deliver) {
    ClassPasses passes(page, policy, deliver);
    DirectoryClient& client = page.client();
    ClientBuffer result(client);
    if (const NWDSCCODE rc = result.allocate(); rc < 0)
        return passes.fail(SchemaStep::AllocResult, rc);
    ClientBuffer request(client);
    if (const NWDSCCODE rc = request.allocate(); rc < 0)
        return passes.fail(SchemaStep::AllocRequest, rc);
    if (const NWDSCCODE rc = client.NWDSInitBuf(page.context(), DSV_READ_CLASS_DEF, request.get());
        rc < 0)
        return passes.fail(SchemaStep::InitRequest, rc);
    if (const NWDSCCODE rc =
            client.NWDSPutClassItem(page.context(), request.get(), className.c_str());
        rc < 0)
        return passes.fail(SchemaStep::PutName, rc);
    return passes.run(false, request.get(), result.get());
}
