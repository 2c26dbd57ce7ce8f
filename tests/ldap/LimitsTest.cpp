// The client's account of one operation against what a server may send, and the one note that
// tells what it would not take.
#include "client/ldap/LdapLimits.h"
#include "client/ldap/RefusedAnswers.h"
#include "client/ldap/ServerSchema.h"
#include "directory/ResultCodes.h"

#include <gtest/gtest.h>
#include <sys/time.h>
#include <thread>

namespace {

TEST(OperationBudget, EntriesBeyondTheLimitOrThePageAskedForEndTheOperation) {
    LdapLimits limits;
    limits.maxEntries = 5;
    OperationBudget budget(limits, true);
    for (int i = 1; i <= 5; ++i)
        EXPECT_TRUE(budget.admitEntry(i, 10));
    EXPECT_FALSE(budget.admitEntry(6, 10));
    EXPECT_EQ(budget.reached().code, ERR_MAXIMUM_ENTRIES_EXIST);
    EXPECT_NE(budget.reached().reason.find("OSTREL_LDAP_MAX_ENTRIES"), std::string::npos);

    // A server that keeps to pages may not send more in one than was asked for; one that does
    // not page at all may, up to the limit.
    OperationBudget paged(LdapLimits{}, true);
    EXPECT_TRUE(paged.admitEntry(3, 3));
    EXPECT_FALSE(paged.admitEntry(4, 3));
    EXPECT_NE(paged.reached().reason.find("more entries in one page than the 3"),
              std::string::npos);
    OperationBudget unpaged(LdapLimits{}, false);
    EXPECT_TRUE(unpaged.admitEntry(4, 3));
}

TEST(OperationBudget, PagesThatBringNothingEndTheOperation) {
    OperationBudget empty(LdapLimits{}, true);
    EXPECT_TRUE(empty.admitPage(0, true));
    EXPECT_TRUE(empty.admitPage(0, true));
    EXPECT_FALSE(empty.admitPage(0, true));
    EXPECT_EQ(empty.reached().code, ERR_MAXIMUM_ENTRIES_EXIST);

    OperationBudget progressing(LdapLimits{}, true);
    for (int i = 0; i < 10; ++i) {
        EXPECT_TRUE(progressing.admitPage(0, true));
        EXPECT_TRUE(progressing.admitPage(5, true)); // an entry in between resets
    }
    EXPECT_TRUE(progressing.admitPage(0, false)); // the last page may be empty
    // A server may give every page the same cookie: pages with entries go on.
    OperationBudget sameCookie(LdapLimits{}, true);
    for (int i = 0; i < 10; ++i)
        EXPECT_TRUE(sameCookie.admitPage(7, true));
}

TEST(OperationBudget, WaitsAreCutToTheOperationsEndAndSayWhichLimitEndedThem) {
    LdapLimits limits;
    limits.waitSeconds = 30;
    limits.operationSeconds = 1;
    OperationBudget budget(limits, false);
    timeval wait{};
    ASSERT_TRUE(budget.nextWait(wait));
    EXPECT_LE(wait.tv_sec, 1);
    EXPECT_TRUE(budget.lastWaitCut());
    EXPECT_NE(budget.waitEnded().reason.find("OSTREL_LDAP_OPERATION_TIMEOUT"), std::string::npos);
    std::this_thread::sleep_for(std::chrono::milliseconds(1100));
    EXPECT_FALSE(budget.nextWait(wait));
    EXPECT_EQ(budget.reached().code, ERR_TIMEOUT);

    OperationBudget plenty(LdapLimits{}, false);
    ASSERT_TRUE(plenty.nextWait(wait));
    EXPECT_EQ(wait.tv_sec, 30);
    EXPECT_FALSE(plenty.lastWaitCut());
    EXPECT_NE(plenty.waitEnded().reason.find("OSTREL_LDAP_TIMEOUT"), std::string::npos);
}

TEST(RefusedAnswers, OneNoteCountsEveryReasonWithItsFirstNamePrintable) {
    RefusedAnswers refused;
    EXPECT_EQ(refused.note(), "");
    refused.refuse(RefusedAnswers::NotInContainer, "cn=x,o=Other");
    refused.refuse(RefusedAnswers::NotInContainer, "cn=y,o=Other");
    refused.refuse(RefusedAnswers::NotUtf8, std::string_view("cn=\xff\x01,o=Acme"));
    refused.add(RefusedAnswers::Undecodable, 2);
    refused.add(RefusedAnswers::Reference, 0);
    EXPECT_EQ(refused.total(), 5u);
    EXPECT_EQ(refused.note(),
              "5 entries from the server could not be shown: 1 with a name that is not UTF-8 "
              "(cn=\\FF\\01,o=Acme), 2 not directly below the container (first: cn=x,o=Other), "
              "2 that does not decode.\n");
    refused.clear();
    EXPECT_EQ(refused.note(), "");

    // A name of any length is cut for the message.
    refused.refuse(RefusedAnswers::BadName, "cn=" + std::string(5000, 'a'));
    EXPECT_LT(refused.note().size(), 300u);
}

TEST(ServerSchemaReading, DefinitionsThatDoNotParseAreGivenBackAndSummed) {
    serverschema::SubschemaValues values;
    values.attributeTypes = {"( 2.5.4.0 NAME 'objectClass' SYNTAX 1.3.6.1.4.1.1466.115.121.1.38 )",
                             "( 9.9 NAME 'broken", std::string("( 9.8 NAME \0'x' )", 17)};
    values.objectClasses = {"( 2.5.6.0 NAME 'top' ABSTRACT MUST objectClass )", "not a definition",
                            "( 9.7 NAME 'y' SUP"};
    Schema schema;
    std::string error;
    std::vector<std::string> unreadable;
    ASSERT_TRUE(serverschema::build(values, nullptr, schema, &error, &unreadable)) << error;
    ASSERT_EQ(unreadable.size(), 4u);
    EXPECT_NE(schema.findClassByLdapName("top"), nullptr);
    const std::string note = serverschema::unreadableNote(unreadable);
    EXPECT_EQ(
        note.rfind("4 definitions of the server's schema do not parse: ( 9.9 NAME 'broken; ", 0),
        0u)
        << note;
    EXPECT_NE(note.find("\\00"), std::string::npos) << note; // no raw NUL in a message
    EXPECT_EQ(note.find('\0'), std::string::npos);
    EXPECT_NE(note.find("and 1 more"), std::string::npos) << note;
}

} // namespace
