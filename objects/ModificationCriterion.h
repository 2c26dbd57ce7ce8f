#pragma once

#include "directory/Records.h"

#include <QString>
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

// The six ways a criterion changes an attribute: the change type sent with the request and
// the text the "Modification Operation:" list offers.
struct ModifyOperation {
    std::uint32_t code;
    const char* text;
};
inline constexpr std::array<ModifyOperation, 6> kModifyOperations{{
    {DS_ADD_ATTRIBUTE, "Add Attribute"},
    {DS_REMOVE_ATTRIBUTE, "Remove Attribute"},
    {DS_ADD_VALUE, "Add Value"},
    {DS_REMOVE_VALUE, "Remove Value"},
    {DS_ADDITIONAL_VALUE, "Add Additional Value"},
    {DS_OVERWRITE_VALUE, "Overwrite Value"},
}};

// The code of an operation text (exact, case-sensitive), or nothing for any other text.
std::optional<std::uint32_t> operationCode(const QString& text);

// The input form the Edit Panel shows for a syntax.
enum class ValueForm {
    String,
    Boolean,
    Integer,
    Time,
    FaxNumber,
    NetAddress,
    EMailAddress,
    Path,
    Acl,
    TypedName,
    Hold,
    NotHandled,
};
ValueForm formOf(std::uint32_t syntaxID);

// One value record as the client takes it: a single allocation holding the record and the
// texts and bytes it points to.
class CriterionValue {
public:
    explicit CriterionValue(std::size_t size) : size_(size), bytes_(new std::byte[size]()) {}
    void* data() { return bytes_.get(); }
    const void* data() const { return bytes_.get(); }
    std::size_t size() const { return size_; }
    template <class T> T& as() { return *reinterpret_cast<T*>(bytes_.get()); }
    template <class T> const T& as() const { return *reinterpret_cast<const T*>(bytes_.get()); }
    // Storage inside the allocation, `offset` bytes from its start.
    char* textAt(std::size_t offset) { return reinterpret_cast<char*>(bytes_.get() + offset); }

private:
    std::size_t size_;
    std::unique_ptr<std::byte[]> bytes_;
};

// One queued change: owned by its row of "Object Modification Criteria:".
struct ModificationCriterion {
    char attrName[MAX_SCHEMA_NAME_CHARS] = {}; // at most 31 characters and the NUL
    std::uint32_t operation = 0;
    std::uint32_t syntaxID = 0;
    std::unique_ptr<CriterionValue> value; // absent for "Remove Attribute"
};

// The text of a field as the directory takes it (UTF-8), at most `maxBytes` bytes, cut
// at a character boundary.
std::string fieldText(const QString& text, std::size_t maxBytes);
