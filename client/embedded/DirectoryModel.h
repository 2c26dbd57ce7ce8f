#pragma once

#include "ObjectStore.h"
#include "Rights.h"
#include "client/common/Schema.h"
#include "client/common/ValueText.h"
#include "directory/Codes.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace request {
struct Attribute;
}

// Values of one attribute in their text form (ValueText.h), names in dotted form.
struct AttributeText {
    std::string name;
    std::vector<std::string> values;
};

// One tree of the embedded directory: its schema, its objects and their rights. Tests and
// benchmarks use it directly to shape a tree without going through the seam; every change
// made here is seen by the next directory call.
class DirectoryModel {
public:
    DirectoryModel(std::string treeName, std::uint32_t clock);
    DirectoryModel(const DirectoryModel&) = delete;
    DirectoryModel& operator=(const DirectoryModel&) = delete;

    const std::string& treeName() const { return treeName_; }
    Schema& schema() { return schema_; }
    const Schema& schema() const { return schema_; }
    ObjectStore& objects() { return objects_; }
    const ObjectStore& objects() const { return objects_; }
    RightsEvaluator& rights() { return *rights_; }

    // Schema additions. 0, or ERR_CLASS_ALREADY_EXISTS / ERR_ATTRIBUTE_ALREADY_EXISTS,
    // ERR_NO_SUCH_CLASS / ERR_NO_SUCH_ATTRIBUTE for a list naming something undefined,
    // ERR_BAD_SYNTAX for an undefined syntax, ERR_NAME_TOO_LONG / ERR_INVALID_REQUEST for
    // a name longer than 32 characters or empty.
    NWDSCCODE addClass(ClassDefinition def);
    NWDSCCODE addAttribute(AttributeDefinition def);

    // Adds an object of class `className` named `name` below `parent` (a dotted full name
    // or "[Root]"), its naming attribute set to its name, with the given text values.
    // 0, or ERR_NO_SUCH_ENTRY (parent), ERR_NO_SUCH_CLASS, ERR_NO_SUCH_ATTRIBUTE,
    // ERR_ENTRY_ALREADY_EXISTS, ERR_ILLEGAL_CONTAINMENT, ERR_SYNTAX_VIOLATION,
    // ERR_CANT_HAVE_MULTIPLE_VALUES, ERR_INVALID_OBJECT_NAME / ERR_NAME_TOO_LONG.
    NWDSCCODE addObject(std::string_view parent, std::string_view name, std::string_view className,
                        const std::vector<AttributeText>& values = {}, EntryId* id = nullptr);

    // The same below a known parent; `namingAttr` null for the class's first naming
    // attribute. Containment is checked, mandatory attributes are not (loading adds them
    // after the object).
    NWDSCCODE addEntry(EntryId parent, std::string name, const AttributeDefinition* namingAttr,
                       const ClassDefinition& cls, EntryId* id);
    // Adds values in wire form; duplicates are skipped.
    NWDSCCODE addValues(EntryId id, const AttributeDefinition& def,
                        const std::vector<std::string>& wireValues);
    NWDSCCODE addTextValues(EntryId id, const AttributeText& text,
                            const valuetext::NameMapping& names);

    // A dotted full name ("Admin.Acme", "[Root]").
    std::optional<EntryId> find(std::string_view fullName) const;

    // The names rights reach `subject` through (Rights.h).
    RightsSubject subjectFor(std::string_view subjectName) const;

    const AttributeDefinition* aclDefinition() const { return acl_; }
    // True for "Alias" and the classes below it (remembered per class).
    bool isAliasClass(const ClassDefinition* cls) const;
    // After definitions were added to schema() directly (a schema file).
    void adoptSchema();
    std::uint32_t clock() const { return clock_; }
    // After changes to ACL values or to the tree's shape.
    void changed() { rights_->invalidate(); }

    // ---- Object writes (DirectoryModelWrites.cpp) ----
    // Each checks every rule before it changes anything, so a refused write changes nothing.
    // Rights are the caller's to check.

    // Creates `name` below `parent` with the attributes of an add-entry request, whose
    // "Object Class" names the class. 0, or ERR_NO_SUCH_ENTRY (parent), ERR_INVALID_OBJECT_NAME
    // / ERR_NAME_TOO_LONG, ERR_MISSING_MANDATORY, ERR_NO_SUCH_CLASS, ERR_OBJECT_CLASS_VIOLATION
    // (classes of no single lineage), ERR_NOT_EFFECTIVE_CLASS, ERR_ILLEGAL_CONTAINMENT,
    // ERR_BAD_NAMING_ATTRIBUTES, ERR_SYNTAX_INVALID_IN_NAME, ERR_ENTRY_ALREADY_EXISTS,
    // ERR_NO_SUCH_ATTRIBUTE, ERR_ILLEGAL_ATTRIBUTE, ERR_SYNTAX_VIOLATION,
    // ERR_CANT_HAVE_MULTIPLE_VALUES.
    NWDSCCODE createEntry(EntryId parent, std::string_view name,
                          const std::vector<request::Attribute>& attributes, EntryId* id = nullptr);
    // 0, or ERR_NO_SUCH_ENTRY, ERR_INVALID_ENTRY_FOR_ROOT, ERR_ENTRY_IS_NOT_LEAF.
    NWDSCCODE removeEntry(EntryId id);
    // Gives the object a new name in its container; its naming value follows, the old value
    // removed when `deleteOldName`. 0, or ERR_NO_SUCH_ENTRY, ERR_INVALID_ENTRY_FOR_ROOT,
    // ERR_INVALID_OBJECT_NAME / ERR_NAME_TOO_LONG, ERR_SYNTAX_VIOLATION (name not a value of
    // the naming attribute), ERR_ENTRY_ALREADY_EXISTS, ERR_CANT_HAVE_MULTIPLE_VALUES.
    NWDSCCODE renameEntry(EntryId id, std::string_view newName, bool deleteOldName);
    // Moves the object (with everything below it) into `newParent` as `newName`. The codes of
    // renameEntry, and ERR_NO_SUCH_ENTRY (destination), ERR_ILLEGAL_CONTAINMENT,
    // ERR_INVALID_REQUEST (into itself or below itself).
    NWDSCCODE moveEntry(EntryId id, EntryId newParent, std::string_view newName);
    // The attribute an object's name is the value of.
    const AttributeDefinition* namingAttributeOf(const Entry& e) const;
    // ---- Schema changes made through the directory (SchemaChanges.cpp) ----
    // Every rule is checked before anything changes, so a refused change leaves the schema
    // as it was. Rights are the caller's to check.
    // 0, or ERR_INVALID_REQUEST / ERR_NAME_TOO_LONG (name), ERR_ATTRIBUTE_ALREADY_EXISTS,
    // ERR_BAD_SYNTAX, ERR_INVALID_REQUEST (flag bits not defined), ERR_BOUNDS_NOT_SIZED,
    // ERR_LOWER_ABOVE_UPPER.
    NWDSCCODE defineAttribute(AttributeDefinition def);
    // 0, or the name codes, ERR_CLASS_ALREADY_EXISTS, ERR_INVALID_REQUEST (flag bits),
    // ERR_NO_SUCH_CLASS (no super class, or one that is not defined, or a containment
    // class that is not), ERR_ILLEGAL_CONTAINMENT (a containment class that is no container),
    // ERR_NO_SUCH_ATTRIBUTE, ERR_DUPLICATE_MANDATORY / ERR_DUPLICATE_OPTIONAL.
    NWDSCCODE defineClass(ClassDefinition def);
    // Adds optional attributes to a class: 0, or ERR_NO_SUCH_CLASS, ERR_NO_SUCH_ATTRIBUTE,
    // ERR_DUPLICATE_OPTIONAL (named twice, or the class has it already, inherited or not).
    NWDSCCODE addOptionalAttributes(std::string_view className,
                                    const std::vector<std::string>& attributes);
    // 0, or ERR_NO_SUCH_ATTRIBUTE / ERR_NO_SUCH_CLASS, ERR_SCHEMA_IS_NONREMOVABLE (a base
    // definition, or one flagged non-removable), ERR_SCHEMA_IS_IN_USE (schemaUse()).
    NWDSCCODE removeAttributeDefinition(std::string_view name);
    NWDSCCODE removeClassDefinition(std::string_view name);

    // What keeps a definition in use: the classes that list an attribute, or that name a
    // class as super class or containment class, and the live objects that hold the
    // attribute or are of the class.
    struct SchemaUse {
        std::vector<std::string> classes;
        std::size_t objects = 0;
        bool any() const { return !classes.empty() || objects != 0; }
    };
    SchemaUse attributeUse(const AttributeDefinition& def) const;
    SchemaUse classUse(const ClassDefinition& def) const;

private:
    // The Object Class values of an object of `cls`, the class and every class above it:
    // one list that every object of the class shares.
    const ValueList& objectClassValues(const ClassDefinition& cls);
    NWDSCCODE checkNameValue(const AttributeDefinition& naming, std::string_view name) const;
    void replaceNamingValue(Entry& e, const AttributeDefinition& naming, const std::string& oldName,
                            const std::string& newName, bool deleteOldName);

    bool containmentAllows(const ClassDefinition& cls, const Entry& parent) const;

    // A rename or move: whether `newName` may name `e` below `parent` (then `naming` is the
    // attribute it is a value of), and then putting it there under that name.
    NWDSCCODE checkNewName(const Entry& e, EntryId parent, std::string_view newName,
                           const AttributeDefinition*& naming) const;
    void placeEntry(Entry& e, EntryId parent, std::string_view newName,
                    const AttributeDefinition& naming, bool deleteOldName);

    std::string treeName_;
    std::uint32_t clock_;
    Schema schema_;
    ObjectStore objects_;
    const AttributeDefinition* acl_ = nullptr;
    std::unique_ptr<RightsEvaluator> rights_;
    mutable std::unordered_map<const ClassDefinition*, bool> aliasClasses_;
    std::unordered_map<const ClassDefinition*, ValueList> lineages_;
};
