#pragma once

#include "ReportPolicy.h"

// The reporting rules of each caller of the schema reads. Texts are as the pages show them;
// several differ only in "()" and stay so.
namespace SchemaReports {

inline constexpr const char* AllocBuf = "NWDSAllocBuf returned: %04X\n";
inline constexpr const char* InitBuf = "NWDSInitBuf returned: %04X\n";
inline constexpr const char* PutClassName = "NWDSPutClassName() returned: %04X\n";
inline constexpr const char* ReadClassDef = "NWDSReadClassDef() returned: %04X\n";
inline constexpr const char* GetClassDef = "NWDSGetClassDef() returned: %04X\n";
inline constexpr const char* GetClassItemCount = "NWDSGetClassItemCount() returned: %04X\n";
inline constexpr const char* GetClassItem = "NWDSGetClassItem() returned: %04X\n";
inline constexpr const char* ReadSyntaxes = "NWDSReadSyntaxes() returned: %04X\n";
inline constexpr const char* GetSyntaxCount = "NWDSGetSyntaxCount() returned: %04X\n";
inline constexpr const char* GetSyntaxDef = "NWDSGetSyntaxDef() returned: %04X\n";
inline constexpr const char* GetSyntaxID = "NWDSGetSyntaxID() returned: %04X\n";
inline constexpr const char* ReadSyntaxDef = "NWDSReadSyntaxDef() returned: %04X\n";

// Class walk of the Schema Viewer, the Schema Manager and the Object Manager: the count of
// definitions in a pass fails silently.
constexpr ReportPolicy classWalk() {
    return ReportPolicy()
        .report(SchemaStep::AllocResult, AllocBuf)
        .report(SchemaStep::Read, ReadClassDef)
        .report(SchemaStep::Definition, GetClassDef)
        .report(SchemaStep::ItemCount, GetClassItemCount)
        .report(SchemaStep::Item, GetClassItem);
}

// Single class read of the Schema Viewer's super-class walk: only the result buffer, the
// read and the definition are reported.
constexpr ReportPolicy viewerClassRead() {
    return ReportPolicy()
        .report(SchemaStep::AllocResult, AllocBuf)
        .report(SchemaStep::Read, ReadClassDef)
        .report(SchemaStep::Definition, GetClassDef);
}

// Single class read of the Object Manager and the Object Editor: every step but the count.
constexpr ReportPolicy objectPageClassRead() {
    return ReportPolicy()
        .report(SchemaStep::AllocResult, AllocBuf)
        .report(SchemaStep::AllocRequest, AllocBuf)
        .report(SchemaStep::InitRequest, InitBuf)
        .report(SchemaStep::PutName, PutClassName)
        .report(SchemaStep::Read, ReadClassDef)
        .report(SchemaStep::Definition, GetClassDef)
        .report(SchemaStep::ItemCount, GetClassItemCount)
        .report(SchemaStep::Item, GetClassItem);
}

// Attribute walk of the Schema Viewer, the Schema Manager and the NDS Query page.
constexpr ReportPolicy silent() {
    return ReportPolicy();
}

// Syntax name walk of the Schema Manager.
constexpr ReportPolicy syntaxNameWalk() {
    return ReportPolicy()
        .report(SchemaStep::AllocResult, AllocBuf)
        .report(SchemaStep::Read, ReadSyntaxes)
        .report(SchemaStep::Count, GetSyntaxCount)
        .report(SchemaStep::Definition, GetSyntaxDef);
}

// Syntax of one attribute, for the Object Manager, the Object Editor and the NDS Query page.
constexpr ReportPolicy attributeSyntax() {
    return ReportPolicy()
        .report(SchemaStep::SyntaxId, GetSyntaxID)
        .report(SchemaStep::SyntaxDef, ReadSyntaxDef);
}

} // namespace SchemaReports
