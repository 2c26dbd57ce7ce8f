#include "ValueRenderer.h"

#include "CalendarText.h"
#include "RenderContext.h"
#include "RightsText.h"
#include "directory/Records.h"

#include <cstddef>

namespace {

unsigned long number(std::uint32_t value) {
    return value;
}

void renderText(RenderContext& c) {
    c.single(cellText(c.record.ownText()));
}

void renderCaseIgnoreList(RenderContext& c) {
    // Only the first element's string; the rest of the list is not shown.
    c.single(cellText(c.record.textAt(offsetof(CI_List_T, s))));
}

void renderBoolean(RenderContext& c) {
    c.single(c.record.u8(0) != 0 ? "TRUE" : "FALSE");
}

void renderUnsigned(RenderContext& c) {
    c.single(cellText("%lu", number(c.record.u32(0))));
}

void renderFaxNumber(RenderContext& c) {
    c.single(cellText(c.record.textAt(offsetof(Fax_Number_T, telephoneNumber))));
}

void renderOctetList(RenderContext& c) {
    c.single("SYN_OCTET_LIST Syntax is not handled.");
}

void renderEmailAddress(RenderContext& c) {
    c.column("E-Mail Type", 100);
    c.column("E-Mail Address", 397);
    c.row(cellText("%lu", number(c.record.u32(offsetof(EMail_Address_T, type)))));
    c.cell(1, cellText(c.record.textAt(offsetof(EMail_Address_T, address))));
}

void renderPath(RenderContext& c) {
    c.column("Name Space Type", 50);
    c.column("Volume Name", 275);
    c.column("Path", 172);
    c.row(cellText("%lu", number(c.record.u32(offsetof(Path_T, nameSpaceType)))));
    c.cell(1, cellText(c.record.textAt(offsetof(Path_T, volumeName))));
    c.cell(2, cellText(c.record.textAt(offsetof(Path_T, path))));
}

void renderObjectAcl(RenderContext& c) {
    c.column("Protected Attribute", 150);
    c.column("Rights", 75);
    c.column("Subject", 272);
    const std::string_view protectedAttr =
        c.record.textAt(offsetof(Object_ACL_T, protectedAttrName));
    const std::string rights =
        RightsText(protectedAttr, c.record.u32(offsetof(Object_ACL_T, privileges)));
    c.row(cellText(protectedAttr));
    c.cell(1, cellText("%s ", rights.c_str()));
    c.cell(2, cellText(c.record.textAt(offsetof(Object_ACL_T, subjectName))));
}

void renderPostalAddress(RenderContext& c) {
    static constexpr const char* kHeaders[6] = {"Line 1", "Line 2", "Line 3",
                                                "Line 4", "Line 5", "Line 6"};
    for (const char* header : kHeaders)
        c.column(header, 82);
    for (int line = 0; line < 6; ++line) {
        std::string text =
            cellText(c.record.textAt(offsetof(PO_Address_T, line) + line * sizeof(char*)));
        if (line == 0)
            c.row(std::move(text));
        else
            c.cell(line, std::move(text));
    }
}

void renderTimeStamp(RenderContext& c) {
    c.column("Time Stamp", 250);
    c.column("Event ID", 247);
    c.row(calendarText(c.record.u32(offsetof(NWDS_TimeStamp_T, wholeSeconds))));
    c.cell(1, cellText("%d", c.record.i32(offsetof(NWDS_TimeStamp_T, eventID))));
}

void renderBackLink(RenderContext& c) {
    c.column("Remote Object ID", 100);
    c.column("Object Name", 397);
    c.row(cellText("%lu", number(c.record.u32(offsetof(Back_Link_T, remoteID)))));
    c.cell(1, cellText(c.record.textAt(offsetof(Back_Link_T, objectName))));
}

void renderTime(RenderContext& c) {
    c.single(calendarText(c.record.u32(0)));
}

void renderTypedName(RenderContext& c) {
    const std::string_view name = c.record.textAt(offsetof(Typed_Name_T, objectName));
    const std::uint32_t level = c.record.u32(offsetof(Typed_Name_T, level));
    const std::uint32_t interval = c.record.u32(offsetof(Typed_Name_T, interval));
    if (c.attrName == "Partition Control") {
        // The partition layout is kept, filled from the typed name's own fields.
        c.column("Type", 124);
        c.column("Function", 124);
        c.column("State", 124);
        c.column("Partner Partition ID", 125);
        c.row(cellText("%d", static_cast<int>(static_cast<std::int32_t>(level))));
        c.cell(1, cellText("%04X", static_cast<unsigned>(interval)));
        c.cell(2, std::string());
        c.cell(3, cellText(name));
        return;
    }
    c.column("Object Name", 365);
    c.column("Level", 65);
    c.column("Interval", 67);
    c.row(cellText(name));
    c.cell(1, cellText("%04X", static_cast<unsigned>(level)));
    c.cell(2, cellText("%04X", static_cast<unsigned>(interval)));
}

void renderHold(RenderContext& c) {
    c.column("Object Name", 397);
    c.column("Amount", 100);
    c.row(cellText(c.record.textAt(offsetof(Hold_T, objectName))));
    c.cell(1, cellText("%lu", number(c.record.u32(offsetof(Hold_T, amount)))));
}

using Renderer = void (*)(RenderContext&);

constexpr Renderer kRenderers[SYNTAX_COUNT] = {
    nullptr,              // 0 SYN_UNKNOWN
    renderText,           // 1 SYN_DIST_NAME
    renderText,           // 2 SYN_CE_STRING
    renderText,           // 3 SYN_CI_STRING
    renderText,           // 4 SYN_PR_STRING
    renderText,           // 5 SYN_NU_STRING
    renderCaseIgnoreList, // 6 SYN_CI_LIST
    renderBoolean,        // 7 SYN_BOOLEAN
    renderUnsigned,       // 8 SYN_INTEGER
    renderHexDump,        // 9 SYN_OCTET_STRING
    renderText,           // 10 SYN_TEL_NUMBER
    renderFaxNumber,      // 11 SYN_FAX_NUMBER
    renderNetAddress,     // 12 SYN_NET_ADDRESS
    renderOctetList,      // 13 SYN_OCTET_LIST
    renderEmailAddress,   // 14 SYN_EMAIL_ADDRESS
    renderPath,           // 15 SYN_PATH
    renderReplicaPointer, // 16 SYN_REPLICA_POINTER
    renderObjectAcl,      // 17 SYN_OBJECT_ACL
    renderPostalAddress,  // 18 SYN_PO_ADDRESS
    renderTimeStamp,      // 19 SYN_TIMESTAMP
    renderText,           // 20 SYN_CLASS_NAME
    renderStream,         // 21 SYN_STREAM
    renderUnsigned,       // 22 SYN_COUNTER
    renderBackLink,       // 23 SYN_BACK_LINK
    renderTime,           // 24 SYN_TIME
    renderTypedName,      // 25 SYN_TYPED_NAME
    renderHold,           // 26 SYN_HOLD
    renderUnsigned,       // 27 SYN_INTERVAL
};

} // namespace

void ValueRenderer(const ValueRecord& value, int valueIndex, const std::string& attrName,
                   RenderTarget& target) {
    const Renderer renderer = value.syntaxID < SYNTAX_COUNT ? kRenderers[value.syntaxID] : nullptr;
    if (renderer == nullptr) {
        target.outputText = "Syntax Not Decoded\r\n";
        return;
    }
    RenderContext context(value, valueIndex, attrName, target);
    renderer(context);
}
