// What the reading pages see of the demo directory, the same on a slapd loaded with the
// demo data as on the embedded directory: listings object by object, attribute names and
// values value by value, and the schema definition by definition.
#include "LdapFixture.h"
#include "SchemaDump.h"
#include "client/common/Names.h"
#include "directory/NameRules.h"

#include <algorithm>
#include <deque>
#include <unistd.h>

namespace {

class Parity : public SharedSlapd<> {
protected:
    void SetUp() override {
        ASSERT_TRUE(server && server->running());
        std::string error;
        ldap = LdapDirectory::open(ldapOptionsFor(*server), &error);
        ASSERT_NE(ldap, nullptr) << error;
        embedded = EmbeddedDirectory::openDemo();
        ASSERT_NE(embedded, nullptr);
    }
    void TearDown() override {
        if (ldap) {
            EXPECT_EQ(ldap->outstandingResources(), ClientResourceCounts{});
        }
    }
    std::unique_ptr<LdapDirectory> ldap;
    std::unique_ptr<EmbeddedDirectory> embedded;
};

std::string childName(const std::string& label, const std::string& container) {
    return fullNameOf(label, container);
}

TEST_F(Parity, EveryContainerListsTheSameObjectsWithTheSameNamesAndValues) {
    for (const char* tree : {"ACME_TREE", "TEST_TREE"}) {
        SCOPED_TRACE(tree);
        NWDSContextHandle e = pageContext(*embedded, tree), l = pageContext(*ldap, tree);
        std::deque<std::string> containers{ROOT_NAME};
        int objects = 0;
        while (!containers.empty()) {
            const std::string container = containers.front();
            containers.pop_front();
            SCOPED_TRACE(container);
            std::vector<ListedItem> want, got;
            ASSERT_EQ(listAll(*embedded, e, container, want), 0);
            ASSERT_EQ(listAll(*ldap, l, container, got), 0);
            std::sort(want.begin(), want.end());
            std::sort(got.begin(), got.end());
            EXPECT_EQ(got, want);
            std::vector<ListedItem> small;
            int passes = 0;
            ASSERT_EQ(listAll(*ldap, l, container, small, &passes, 120), 0);
            std::sort(small.begin(), small.end());
            EXPECT_EQ(small, want);
            EXPECT_GE(passes, int(want.size() / 3));
            for (const auto& item : want) {
                const std::string full = childName(item.name, container);
                SCOPED_TRACE(full);
                ++objects;
                for (std::uint32_t info : {DS_ATTRIBUTE_NAMES, DS_ATTRIBUTE_VALUES}) {
                    // Whole, and in passes of a small buffer that splits values apart.
                    for (std::uint32_t capacity : {std::uint32_t(DEFAULT_MESSAGE_LEN), 160u}) {
                        std::map<std::string, ReadItem> a, b;
                        const NWDSCCODE rcWant = readAll(*embedded, e, full, info, a, capacity);
                        EXPECT_EQ(readAll(*ldap, l, full, info, b, capacity), rcWant) << capacity;
                        EXPECT_EQ(b, a) << capacity;
                    }
                }
                char dnWant[MAX_DN_BYTES] = {}, dnGot[MAX_DN_BYTES] = {};
                Object_Info_T infoWant{}, infoGot{};
                ASSERT_EQ(
                    embedded->NWDSReadObjectInfo(e, full.c_str(), dnWant, sizeof dnWant, &infoWant),
                    0);
                ASSERT_EQ(ldap->NWDSReadObjectInfo(l, full.c_str(), dnGot, sizeof dnGot, &infoGot),
                          0);
                EXPECT_STREQ(dnGot, dnWant);
                EXPECT_STREQ(infoGot.baseClass, infoWant.baseClass);
                EXPECT_EQ(infoGot.objectFlags & DS_CONTAINER_ENTRY,
                          infoWant.objectFlags & DS_CONTAINER_ENTRY);
                if (item.container)
                    containers.push_back(full);
            }
        }
        EXPECT_GE(objects, 5);
        ldap->NWDSFreeContext(l);
        embedded->NWDSFreeContext(e);
    }
}

std::string streamText(DirectoryClient& client, NWDSContextHandle ctx, const char* object,
                       const char* attr) {
    NWFILE_HANDLE fd = -1;
    if (client.NWDSOpenStream(ctx, object, attr, DS_READ_STREAM, &fd) != 0)
        return "(no stream)";
    std::string text;
    char chunk[512];
    for (ssize_t n; (n = ::read(fd, chunk, sizeof chunk)) > 0;)
        text.append(chunk, std::size_t(n));
    ::close(fd);
    return text;
}

TEST_F(Parity, StreamsReadTheSameContentThroughAFileHandle) {
    NWDSContextHandle e = pageContext(*embedded), l = pageContext(*ldap);
    for (const char* object : {"Acme", "Standard Profile.Acme"}) {
        const std::string want = streamText(*embedded, e, object, "Login Script");
        EXPECT_GT(want.size(), 10u);
        EXPECT_EQ(streamText(*ldap, l, object, "Login Script"), want) << object;
    }
    ldap->NWDSFreeContext(l);
    embedded->NWDSFreeContext(e);
}

TEST_F(Parity, TheSchemaReadsGiveTheSameDefinitions) {
    NWDSContextHandle e = pageContext(*embedded), l = pageContext(*ldap);
    EXPECT_EQ(classDump(*ldap, l).items, classDump(*embedded, e).items);
    EXPECT_EQ(attrDump(*ldap, l).items, attrDump(*embedded, e).items);
    EXPECT_EQ(syntaxDump(*ldap, l).items, syntaxDump(*embedded, e).items);
    for (const char* attr : {"CN", "Telephone Number", "Object Class", "Login Script"}) {
        std::uint32_t a = 0, b = 0;
        EXPECT_EQ(embedded->NWDSGetSyntaxID(e, attr, &a), 0);
        EXPECT_EQ(ldap->NWDSGetSyntaxID(l, attr, &b), 0);
        EXPECT_EQ(a, b) << attr;
    }
    ldap->NWDSFreeContext(l);
    embedded->NWDSFreeContext(e);
}

} // namespace
