// Listing and reading objects of the demo directory through the seam.
#include "DemoFixture.h"
#include "client/common/Names.h"
#include "client/embedded/ChildIndex.h"

#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <unistd.h>

namespace {

std::string fileContent(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

} // namespace

TEST_F(DemoDirectory, ListingInSeveralPassesDeliversEveryObjectOnce) {
    for (std::size_t bufferSize : {DEFAULT_MESSAGE_LEN, std::size_t(200)}) {
        Buffer buf(*dir, bufferSize);
        std::multiset<std::string> seen;
        std::int32_t it = NO_MORE_ITERATIONS;
        int passes = 0;
        do {
            ASSERT_EQ(dir->NWDSList(context, "Bulk.Acme", &it, buf), 0);
            ++passes;
            std::uint32_t count = 0;
            ASSERT_EQ(dir->NWDSGetObjectCount(context, buf, &count), 0);
            ASSERT_GT(count, 0u);
            for (std::uint32_t i = 0; i < count; ++i) {
                char name[MAX_DN_BYTES];
                Object_Info_T info{};
                ASSERT_EQ(dir->NWDSGetObjectName(context, buf, name, sizeof name, nullptr, &info),
                          0);
                EXPECT_STREQ(info.baseClass, "User");
                EXPECT_EQ(info.objectFlags & DS_CONTAINER_ENTRY, 0u);
                seen.insert(name);
            }
            char extra[MAX_DN_BYTES];
            EXPECT_EQ(dir->NWDSGetObjectName(context, buf, extra, sizeof extra, nullptr, nullptr),
                      ERR_BUFFER_EMPTY);
        } while (it != NO_MORE_ITERATIONS);
        EXPECT_GT(passes, bufferSize == DEFAULT_MESSAGE_LEN ? 1 : 50);
        ASSERT_EQ(seen.size(), 500u);
        for (int i = 1; i <= 500; ++i) {
            char name[16];
            std::snprintf(name, sizeof name, "User%03d", i);
            EXPECT_EQ(seen.count(name), 1u) << name;
        }
    }
}

TEST_F(DemoDirectory, ListingGivesOwnNamesFlagsCountsAndBaseClasses) {
    std::vector<Object_Info_T> infos;
    EXPECT_EQ(listAll("[Root]", nullptr, &infos), (std::vector<std::string>{"US", "Acme"}));
    EXPECT_EQ(infos[1].objectFlags & DS_CONTAINER_ENTRY, DS_CONTAINER_ENTRY);
    EXPECT_STREQ(reinterpret_cast<const char*>(&infos[1]) + 12, "Organization");

    infos.clear();
    const auto names = listAll("Acme", nullptr, &infos);
    std::map<std::string, Object_Info_T> byName;
    for (std::size_t i = 0; i < names.size(); ++i)
        byName[names[i]] = infos[i];
    EXPECT_EQ(byName["Sales"].objectFlags & DS_CONTAINER_ENTRY, DS_CONTAINER_ENTRY);
    EXPECT_EQ(byName["Sales"].subordinateCount, 8u);
    EXPECT_EQ(byName["Bulk"].subordinateCount, 500u);
    EXPECT_STREQ(byName["Admin"].baseClass, "User");
    EXPECT_EQ(byName["Admin"].objectFlags & DS_CONTAINER_ENTRY, 0u);
    EXPECT_STREQ(byName["ACME-FS1"].baseClass, "NCP Server");
    EXPECT_STREQ(byName["New Employee"].baseClass, "Template");
    EXPECT_STREQ(byName["Boss"].baseClass, "Alias");
    for (const char* cls :
         {"Volume", "Directory Map", "Group", "Bindery Group", "Bindery Object", "Profile",
          "Print Server", "Application (Windows NT)", "Application (DOS)",
          "Application (Windows 95)", "Application (Windows 3.x)", "Organizational Unit"}) {
        bool found = false;
        for (const auto& info : infos)
            found = found || std::string(info.baseClass) == cls;
        EXPECT_TRUE(found) << cls;
    }
    EXPECT_TRUE(listAll("Lab.Engineering.Acme").size() == 2);
    EXPECT_TRUE(listAll("Robot.Lab.Engineering.Acme").empty());
}

TEST_F(DemoDirectory, ObjectInformationOfContainersLeavesAndRoot) {
    char dn[MAX_DN_BYTES];
    Object_Info_T info{};
    ASSERT_EQ(dir->NWDSReadObjectInfo(context, "Sales.Acme", dn, sizeof dn, &info), 0);
    EXPECT_STREQ(dn, "Sales.Acme");
    EXPECT_EQ(info.objectFlags, DS_CONTAINER_ENTRY);
    EXPECT_EQ(info.subordinateCount, 8u);
    EXPECT_STREQ(info.baseClass, "Organizational Unit");
    EXPECT_NE(info.modificationTime, 0u);

    ASSERT_EQ(dir->NWDSReadObjectInfo(context, "Laser1.Sales.Acme", nullptr, 0, &info), 0);
    EXPECT_STREQ(info.baseClass, "Printer");
    ASSERT_EQ(dir->NWDSReadObjectInfo(context, "[Root]", dn, sizeof dn, &info), 0);
    EXPECT_STREQ(dn, "[Root]");
    EXPECT_STREQ(info.baseClass, "Tree Root");
    EXPECT_EQ(info.subordinateCount, 2u);

    char small[5];
    EXPECT_EQ(dir->NWDSReadObjectInfo(context, "Sales.Acme", small, sizeof small, &info),
              ERR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(dir->NWDSReadObjectInfo(context, "Sales.Acme", dn, sizeof dn, nullptr),
              ERR_NULL_POINTER);
}

TEST_F(DemoDirectory, DemoObjectHoldsValuesOfEverySyntax) {
    std::vector<ReadAttribute> attrs;
    ASSERT_EQ(read("Demo.Sales.Acme", attrs), 0);
    std::set<std::uint32_t> syntaxes;
    for (const auto& a : attrs) {
        syntaxes.insert(a.syntax);
        EXPECT_FALSE(a.values.empty()) << a.name;
    }
    for (std::uint32_t s = SYN_DIST_NAME; s <= SYN_INTERVAL; ++s)
        EXPECT_EQ(syntaxes.count(s), 1u) << "syntax " << s;
    EXPECT_EQ(syntaxes.count(31), 1u);
}

TEST_F(DemoDirectory, ValueRecordsOfEverySyntaxFieldByField) {
    std::vector<ReadAttribute> attrs;
    ASSERT_EQ(read("Demo.Sales.Acme", attrs), 0);
    auto values = [&](const std::string& name) -> const std::vector<RecordStorage>& {
        const ReadAttribute* a = find(attrs, name);
        static const std::vector<RecordStorage> none;
        EXPECT_NE(a, nullptr) << name;
        return a == nullptr ? none : a->values;
    };
    auto inside = [](const RecordStorage& r, const void* p) {
        auto* base = static_cast<const std::byte*>(static_cast<const void*>(r.memory.get()));
        auto* q = static_cast<const std::byte*>(p);
        return q >= base && q < base + r.bytes;
    };

    const auto& titles = values("Title");
    ASSERT_EQ(titles.size(), 3u);
    EXPECT_STREQ(titles[0].text(), "Demonstration Account");
    EXPECT_STREQ(titles[2].text(), "Sample");
    EXPECT_EQ(titles[2].bytes, 7u);
    EXPECT_STREQ(values("Group Membership")[0].text(), "Sales Staff.Sales.Acme");
    EXPECT_STREQ(values("Serial Number")[0].text(), "DEMO-0001");
    EXPECT_STREQ(values("Employee Number")[0].text(), "004711");
    EXPECT_STREQ(values("Login Shell")[0].text(), "/bin/bash");
    EXPECT_STREQ(values("Object Class")[0].text(), "User");
    EXPECT_STREQ(values("Object Class").back().text(), "Top");

    const auto& list = values("Language")[0];
    const auto& first = list.as<CI_List_T>();
    EXPECT_STREQ(first.s, "ENGLISH");
    ASSERT_TRUE(inside(list, first.next));
    EXPECT_STREQ(first.next->s, "FRENCH");
    ASSERT_TRUE(inside(list, first.next->next));
    EXPECT_STREQ(first.next->next->s, "GERMAN");
    EXPECT_EQ(first.next->next->next, nullptr);

    EXPECT_EQ(values("Login Disabled")[0].bytes, 1u);
    EXPECT_EQ(values("Login Disabled")[0].as<std::uint8_t>(), 0);
    EXPECT_EQ(values("Password Required")[0].as<std::uint8_t>(), 1);
    EXPECT_EQ(values("Minimum Account Balance")[0].as<std::uint32_t>(), 0xFFFFFFFFu);
    EXPECT_EQ(values("Login Grace Limit")[0].as<std::uint32_t>(), 6u);

    const auto& photo = values("Photo")[0];
    EXPECT_EQ(photo.bytes, sizeof(Octet_String_T) + 20);
    ASSERT_EQ(photo.as<Octet_String_T>().length, 20u);
    EXPECT_TRUE(inside(photo, photo.as<Octet_String_T>().data));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(photo.as<Octet_String_T>().data), 20),
              "ABCDEFGHIJKLMNOPQRST");
    const auto& key = values("Public Key")[0].as<Octet_String_T>();
    ASSERT_EQ(key.length, 12u);
    EXPECT_EQ(key.data[3], 0x7F);
    EXPECT_EQ(key.data[4], 0x80);

    ASSERT_EQ(values("Telephone Number").size(), 2u);
    EXPECT_STREQ(values("Telephone Number")[1].text(), "+1 555 0221");
    const auto& fax = values("Facsimile Telephone Number")[0].as<Fax_Number_T>();
    EXPECT_STREQ(fax.telephoneNumber, "+1 555 0229");
    EXPECT_EQ(fax.parameters.numOfBits, 0u);
    EXPECT_EQ(fax.parameters.data, nullptr);

    const auto& net = values("Network Address");
    ASSERT_EQ(net.size(), 2u);
    EXPECT_EQ(net[0].as<Net_Address_T>().addressType, 0u);
    ASSERT_EQ(net[0].as<Net_Address_T>().addressLength, 12u);
    EXPECT_EQ(net[0].as<Net_Address_T>().address[0], 0x0A);
    EXPECT_EQ(net[0].as<Net_Address_T>().address[11], 0x51);
    EXPECT_EQ(net[1].as<Net_Address_T>().addressType, 1u);
    EXPECT_EQ(net[1].as<Net_Address_T>().addressLength, 6u);
    EXPECT_EQ(net[1].bytes, sizeof(Net_Address_T) + 6);

    const auto& octets = values("Access Card Numbers")[0];
    const auto& o1 = octets.as<Octet_List_T>();
    ASSERT_EQ(o1.length, 5u);
    EXPECT_EQ(o1.data[4], 0x05);
    ASSERT_TRUE(inside(octets, o1.next));
    EXPECT_EQ(o1.next->length, 3u);
    EXPECT_EQ(o1.next->data[0], 0xA0);
    EXPECT_EQ(o1.next->next, nullptr);

    const auto& mail = values("EMail Address");
    EXPECT_EQ(mail[0].as<EMail_Address_T>().type, 0u);
    EXPECT_STREQ(mail[0].as<EMail_Address_T>().address, "demo@acme.example");
    EXPECT_EQ(mail[1].as<EMail_Address_T>().type, 1u);

    const auto& path = values("Home Directory")[0].as<Path_T>();
    EXPECT_EQ(path.nameSpaceType, 0u);
    EXPECT_STREQ(path.volumeName, "ACME-FS1_SYS.Acme");
    EXPECT_STREQ(path.path, "\\USERS\\DEMO");

    const auto& replicas = values("Replica");
    ASSERT_EQ(replicas.size(), 3u);
    std::vector<std::uint32_t> counts;
    for (const auto& r : replicas)
        counts.push_back(r.as<Replica_Pointer_T>().count);
    EXPECT_EQ(counts, (std::vector<std::uint32_t>{1, 3, 1}));
    const auto& three = replicas[1].as<Replica_Pointer_T>();
    EXPECT_STREQ(three.serverName, "ACME-FS2.Acme");
    EXPECT_EQ(three.replicaType, 1u);
    EXPECT_EQ(three.replicaNumber, 2u);
    EXPECT_EQ(three.replicaAddressHint[1].addressType, 1u);
    EXPECT_EQ(three.replicaAddressHint[1].addressLength, 6u);
    EXPECT_EQ(three.replicaAddressHint[2].addressType, 9u);
    EXPECT_EQ(three.replicaAddressHint[2].addressLength, 8u);
    EXPECT_EQ(replicas[1].bytes, replicaPointerRecordSize(3) + sizeof "ACME-FS2.Acme" + 12 + 6 + 8);
    EXPECT_TRUE(inside(replicas[1], three.replicaAddressHint[2].address));

    const auto& acl = values("ACL");
    ASSERT_EQ(acl.size(), 4u);
    EXPECT_STREQ(acl[0].as<Object_ACL_T>().protectedAttrName, "[Entry Rights]");
    EXPECT_STREQ(acl[0].as<Object_ACL_T>().subjectName, "Jane.Sales.Acme");
    EXPECT_EQ(acl[0].as<Object_ACL_T>().privileges, 0x03u);
    EXPECT_STREQ(acl[1].as<Object_ACL_T>().protectedAttrName, "[SMS Rights]");
    EXPECT_EQ(acl[1].as<Object_ACL_T>().privileges, 0x30u);
    EXPECT_STREQ(acl[2].as<Object_ACL_T>().protectedAttrName, "Telephone Number");
    EXPECT_EQ(acl[3].as<Object_ACL_T>().privileges, 0x23u);

    const auto& postal = values("Postal Address")[0].as<PO_Address_T>();
    EXPECT_STREQ(postal.line[0], "Acme Corporation");
    EXPECT_STREQ(postal.line[5], "USA");

    const auto& created = values("Partition Creation Time")[0].as<NWDS_TimeStamp_T>();
    EXPECT_EQ(created.wholeSeconds, 840285000u);
    EXPECT_EQ(created.eventID, 5);
    EXPECT_EQ(values("Synchronized Up To")[0].as<NWDS_TimeStamp_T>().eventID, -1);

    const std::string script =
        fileContent(EmbeddedDirectory::demoDataDir() + "/streams/demo-login-script.txt");
    ASSERT_GT(script.size(), 4096u);
    EXPECT_EQ(values("Login Script")[0].as<Stream_T>().length, script.size());
    EXPECT_EQ(values("Login Script")[0].bytes, sizeof(Stream_T));

    EXPECT_EQ(values("Revision")[0].as<std::uint32_t>(), 42u);
    const auto& link = values("Back Link")[0].as<Back_Link_T>();
    EXPECT_EQ(link.remoteID, 305419896u);
    EXPECT_STREQ(link.objectName, "ACME-FS1.Acme");
    EXPECT_EQ(values("Last Login Time")[0].as<std::uint32_t>(), 0u);
    EXPECT_EQ(values("Login Time")[0].as<std::uint32_t>(), 1705307400u);
    const auto& control = values("Partition Control")[0].as<Typed_Name_T>();
    EXPECT_STREQ(control.objectName, "ACME-FS1.Acme");
    EXPECT_EQ(control.level, 0u);
    EXPECT_EQ(control.interval, 1u);
    EXPECT_EQ(values("Notify")[0].as<Typed_Name_T>().interval, 3600u);
    const auto& hold = values("Server Holds")[0].as<Hold_T>();
    EXPECT_STREQ(hold.objectName, "ACME-FS1.Acme");
    EXPECT_EQ(hold.amount, 250u);
    EXPECT_EQ(values("Password Expiration Interval")[0].as<std::uint32_t>(), 7776000u);

    // A syntax above 27 comes as an octet string of its raw bytes.
    const auto& badge = values("Badge Record")[0].as<Octet_String_T>();
    ASSERT_EQ(badge.length, 8u);
    EXPECT_EQ(badge.data[0], 0xAC);
}

TEST_F(DemoDirectory, ValueRecordSmallerThanNeededIsRefused) {
    Buffer request(*dir), result(*dir);
    ASSERT_EQ(dir->NWDSInitBuf(context, DSV_READ, request), 0);
    ASSERT_EQ(dir->NWDSPutAttrName(context, request, "Replica"), 0);
    std::int32_t it = NO_MORE_ITERATIONS;
    ASSERT_EQ(
        dir->NWDSRead(context, "Demo.Sales.Acme", DS_ATTRIBUTE_VALUES, false, request, &it, result),
        0);
    std::uint32_t count = 0, values = 0, syntax = 0, size = 0;
    char name[MAX_SCHEMA_NAME_BYTES];
    ASSERT_EQ(dir->NWDSGetAttrCount(context, result, &count), 0);
    ASSERT_EQ(dir->NWDSGetAttrName(context, result, name, sizeof name, &values, &syntax), 0);
    ASSERT_EQ(dir->NWDSComputeAttrValSize(context, result, syntax, &size), 0);
    RecordStorage shortRecord(size - 1);
    EXPECT_EQ(dir->NWDSGetAttrVal(context, result, syntax, shortRecord.data(), size - 1),
              ERR_VALUE_TOO_SMALL);
    EXPECT_EQ(dir->NWDSGetAttrVal(context, result, SYN_OCTET_STRING, shortRecord.data(), size),
              ERR_BAD_SYNTAX);
    RecordStorage record(size);
    EXPECT_EQ(dir->NWDSGetAttrVal(context, result, syntax, record.data(), size), 0);
    EXPECT_EQ(record.as<Replica_Pointer_T>().count, 1u);
}

TEST_F(DemoDirectory, ValuesThatDoNotFitContinueInFurtherPasses) {
    DirectoryModel& m = dir->model();
    std::vector<std::string> many;
    for (int i = 0; i < 300; ++i)
        many.push_back("Description line " + std::to_string(i) + " of many, forty bytes");
    ASSERT_EQ(
        m.addTextValues(*m.find("Jane.Sales.Acme"), {"Description", many}, valuetext::PlainNames()),
        0);
    std::vector<ReadAttribute> attrs;
    int passes = 0;
    ASSERT_EQ(read("Jane.Sales.Acme", attrs, DS_ATTRIBUTE_VALUES, {}, &passes), 0);
    EXPECT_GE(passes, 3);
    const ReadAttribute* d = find(attrs, "Description");
    ASSERT_NE(d, nullptr);
    ASSERT_EQ(d->values.size(), 300u);
    for (int i = 0; i < 300; ++i)
        EXPECT_EQ(std::string(d->values[i].text()), many[i]);
    EXPECT_NE(find(attrs, "Telephone Number"), nullptr);

    attrs.clear();
    ASSERT_EQ(read("Jane.Sales.Acme", attrs, DS_ATTRIBUTE_VALUES, {"Description"}, &passes), 0);
    EXPECT_GE(passes, 3);
    EXPECT_EQ(attrs.size(), 1u);
    EXPECT_EQ(attrs[0].values.size(), 300u);
}

TEST_F(DemoDirectory, NamesOnlyAndSelectedReads) {
    std::vector<ReadAttribute> attrs;
    ASSERT_EQ(read("Demo.Sales.Acme", attrs, DS_ATTRIBUTE_NAMES), 0);
    EXPECT_NE(find(attrs, "Login Script"), nullptr);
    EXPECT_NE(find(attrs, "ACL"), nullptr);
    for (const auto& a : attrs)
        EXPECT_TRUE(a.values.empty()) << a.name;

    // Hidden attributes are never read back.
    DirectoryModel& m = dir->model();
    const AttributeDefinition* hidden = m.schema().findAttribute("Passwords Used");
    ASSERT_TRUE(hidden->flags & DS_HIDDEN_ATTR);
    ASSERT_EQ(m.addValues(*m.find("Demo.Sales.Acme"), *hidden, {"secret"}), 0);
    attrs.clear();
    ASSERT_EQ(read("Demo.Sales.Acme", attrs, DS_ATTRIBUTE_NAMES), 0);
    EXPECT_EQ(find(attrs, "Passwords Used"), nullptr);

    attrs.clear();
    ASSERT_EQ(read("Demo.Sales.Acme", attrs, DS_ATTRIBUTE_VALUES,
                   {"surname", "Telephone Number", "No Such Attribute"}),
              0);
    ASSERT_EQ(attrs.size(), 2u);
    EXPECT_EQ(attrs[0].name, "Surname");
    EXPECT_EQ(attrs[1].values.size(), 2u);
    attrs.clear();
    EXPECT_EQ(read("Demo.Sales.Acme", attrs, DS_ATTRIBUTE_VALUES, {"Member"}),
              ERR_NO_SUCH_ATTRIBUTE);
}

TEST_F(DemoDirectory, AliasesAreFollowed) {
    std::vector<ReadAttribute> attrs;
    ASSERT_EQ(read("Boss.Acme", attrs, DS_ATTRIBUTE_VALUES, {"Surname"}), 0);
    ASSERT_EQ(attrs.size(), 1u);
    EXPECT_STREQ(attrs[0].values[0].text(), "Major");
    Object_Info_T info{};
    char dn[MAX_DN_BYTES];
    ASSERT_EQ(dir->NWDSReadObjectInfo(context, "Boss.Acme", dn, sizeof dn, &info), 0);
    EXPECT_STREQ(dn, "Mary.Sales.Acme");
}

TEST_F(DemoDirectory, NamesAreTypedUnlessTypelessIsAskedFor) {
    NWDSContextHandle typed = NO_CONTEXT;
    ASSERT_EQ(dir->NWDSCreateContextHandle(&typed), 0);
    std::swap(typed, context);
    const auto names = listAll("OU=Sales.O=Acme");
    EXPECT_EQ(names.front(), "CN=Jane");
    char dn[MAX_DN_BYTES];
    Object_Info_T info{};
    ASSERT_EQ(dir->NWDSReadObjectInfo(context, "CN=Jane.OU=Sales.O=Acme", dn, sizeof dn, &info), 0);
    EXPECT_STREQ(dn, "CN=Jane.OU=Sales.O=Acme");
    std::swap(typed, context);
    dir->NWDSFreeContext(typed);
}

TEST_F(DemoDirectory, RelativeNamesResolveAgainstTheNameContext) {
    NWDSContextHandle fresh = NO_CONTEXT; // default flags: names are canonicalized
    ASSERT_EQ(dir->NWDSCreateContextHandle(&fresh), 0);
    Object_Info_T info{};
    EXPECT_EQ(dir->NWDSReadObjectInfo(fresh, "Jane.Sales", nullptr, 0, &info), 0);
    EXPECT_EQ(dir->NWDSReadObjectInfo(fresh, "Jane.Sales.Acme", nullptr, 0, &info), 0);
    ASSERT_EQ(dir->NWDSSetContext(fresh, DCK_NAME_CONTEXT, "Sales.Acme"), 0);
    EXPECT_EQ(dir->NWDSReadObjectInfo(fresh, "Jane", nullptr, 0, &info), 0);
    EXPECT_STREQ(info.baseClass, "User");
    EXPECT_EQ(dir->NWDSReadObjectInfo(fresh, ".Jane", nullptr, 0, &info), ERR_NO_SUCH_ENTRY);
    dir->NWDSFreeContext(fresh);
}

TEST_F(DemoDirectory, StreamsAreReadThroughAFileHandle) {
    const std::string script =
        fileContent(EmbeddedDirectory::demoDataDir() + "/streams/demo-login-script.txt");
    NWFILE_HANDLE fd = -1;
    ASSERT_EQ(dir->NWDSOpenStream(context, "Demo.Sales.Acme", "Login Script", DS_READ_STREAM, &fd),
              0);
    std::string got;
    char chunk[1000];
    for (ssize_t n; (n = ::read(fd, chunk, sizeof chunk)) > 0;)
        got.append(chunk, std::size_t(n));
    EXPECT_EQ(::close(fd), 0);
    EXPECT_EQ(got, script);

    EXPECT_EQ(dir->NWDSOpenStream(context, "Demo.Sales.Acme", "Surname", DS_READ_STREAM, &fd),
              ERR_BAD_SYNTAX);
    EXPECT_EQ(dir->NWDSOpenStream(context, "Jane.Sales.Acme", "Login Script", DS_READ_STREAM, &fd),
              ERR_NO_SUCH_ATTRIBUTE);
    EXPECT_EQ(dir->NWDSOpenStream(context, "Demo.Sales.Acme", "Login Script", DS_WRITE_STREAM, &fd),
              ERR_NOT_SUPPORTED);
    EXPECT_EQ(dir->NWDSOpenStream(context, "Demo.Sales.Acme", "Login Script", 0, &fd),
              ERR_INVALID_REQUEST);
    EXPECT_EQ(dir->NWDSOpenStream(context, "Nobody.Acme", "Login Script", DS_READ_STREAM, &fd),
              ERR_NO_SUCH_ENTRY);
}

TEST_F(DemoDirectory, ObjectsAddedThroughTheModelAreListedAndRead) {
    DirectoryModel& m = dir->model();
    ASSERT_EQ(m.addObject("Acme", "Big", "Organizational Unit"), 0);
    for (int i = 0; i < 1000; ++i)
        ASSERT_EQ(m.addObject("Big.Acme", "U" + std::to_string(i), "User",
                              {{"Surname", {"S"}}, {"Telephone Number", {"+1 555 0000"}}}),
                  0);
    int passes = 0;
    const auto names = listAll("Big.Acme", &passes);
    ASSERT_EQ(names.size(), 1000u);
    EXPECT_EQ(names[999], "U999");
    EXPECT_GT(passes, 5);
    std::vector<ReadAttribute> attrs;
    ASSERT_EQ(read("U500.Big.Acme", attrs), 0);
    EXPECT_NE(find(attrs, "Telephone Number"), nullptr);

    EXPECT_EQ(m.addObject("Big.Acme", "U1", "User"), ERR_ENTRY_ALREADY_EXISTS);
    EXPECT_EQ(m.addObject("Nowhere.Acme", "X", "User"), ERR_NO_SUCH_ENTRY);
    EXPECT_EQ(m.addObject("Acme", "X", "No Such Class"), ERR_NO_SUCH_CLASS);
    EXPECT_EQ(m.addObject("[Root]", "X", "User"), ERR_ILLEGAL_CONTAINMENT);
    EXPECT_EQ(m.addObject("Acme", "Y", "User", {{"Login Disabled", {"maybe"}}}),
              ERR_SYNTAX_VIOLATION);
}

TEST_F(DemoDirectory, ChangesOnABadContextAreRefused) {
    EXPECT_EQ(dir->NWDSRemoveClassDef(context, "Template"), ERR_SCHEMA_IS_NONREMOVABLE);
    EXPECT_EQ(dir->NWDSRemoveObject(context + 100, "Jane.Sales.Acme"), ERR_BAD_CONTEXT);
    EXPECT_EQ(listAll("Sales.Acme").front(), "Jane");
}

TEST(ChildIndex, FindsNamesWithoutRegardToCaseAndConfirmsEachHit) {
    ChildIndex index;
    std::vector<std::string> names;
    for (int i = 0; i < 1000; ++i) {
        names.push_back("Name" + std::to_string(i));
        index.insert(names.back(), ChildIndex::Id(i));
    }
    EXPECT_EQ(index.size(), 1000u);
    auto same = [&](std::string_view wanted) {
        return [&, wanted](ChildIndex::Id id) { return names::equalFolded(names[id], wanted); };
    };
    EXPECT_EQ(index.find("name517", same("name517")), 517u);
    EXPECT_EQ(index.find("NAME0", same("NAME0")), 0u);
    EXPECT_EQ(index.find("Name1000", same("Name1000")), std::nullopt);
    // A slot whose object turns out to have another name is passed over.
    EXPECT_EQ(index.find("Name5", [](ChildIndex::Id) { return false; }), std::nullopt);
}

TEST_F(DemoDirectory, ObjectNamesCompareWithoutRegardToCase) {
    Object_Info_T info{};
    char dn[MAX_DN_BYTES];
    ASSERT_EQ(dir->NWDSReadObjectInfo(context, "jane.SALES.acme", dn, sizeof dn, &info), 0);
    EXPECT_STREQ(dn, "Jane.Sales.Acme");
    EXPECT_EQ(dir->model().addObject("Sales.Acme", "JANE", "User"), ERR_ENTRY_ALREADY_EXISTS);
}
