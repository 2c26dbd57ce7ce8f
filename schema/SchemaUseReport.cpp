#include "SchemaUseReport.h"

#include "ClassReads.h"
#include "ReportPolicies.h"
#include "directory/DirectoryPage.h"
#include "directory/FormatText.h"
#include "directory/ListContainer.h"
#include "directory/NameRules.h"
#include "directory/ReadAttributeNames.h"

#include <QString>
#include <functional>
#include <vector>

namespace {

bool sameName(const std::string& a, const std::string& b) {
    return QString::compare(QString::fromStdString(a), QString::fromStdString(b),
                            Qt::CaseInsensitive) == 0;
}

bool listHolds(const std::vector<std::string>& names, const std::string& name) {
    for (const auto& n : names) {
        if (sameName(n, name))
            return true;
    }
    return false;
}

// The page's client and context with a current context of its own, and no messages: the
// shared walks report failures, which this supplement leaves out.
class SilentPage : public DirectoryPage {
public:
    explicit SilentPage(DirectoryPage& page) : page_(page) {}
    DirectoryClient& client() override { return page_.client(); }
    NWDSContextHandle context() const override { return page_.context(); }
    std::string currentContext() const override { return container; }
    void report(const char*, ...) override {}
    void showLiteralMessage(const std::string&) override {}
    void refreshServerField() override {}

    std::string container = ROOT_NAME;

private:
    DirectoryPage& page_;
};

// Every object below `container` the caller may see, container by container.
class TreeWalk : public ContainerSink {
public:
    using Visit = std::function<void(const ListedObject&, const std::string& container)>;
    TreeWalk(SilentPage& page, Visit visit) : page_(page), visit_(std::move(visit)) {}

    void walk(const std::string& container) {
        found_.clear();
        ListContainer(page_, container, *this);
        const std::vector<ListedObject> found = std::move(found_);
        for (const ListedObject& object : found) {
            page_.container = container;
            visit_(object, container);
            if (object.info.objectFlags & DS_CONTAINER_ENTRY)
                walk(fullNameOf(object.label, container));
        }
    }
    void addObject(const ListedObject& object) override { found_.push_back(object); }

private:
    SilentPage& page_;
    Visit visit_;
    std::vector<ListedObject> found_;
};

std::string joined(const std::vector<std::string>& names) {
    std::string out;
    for (const auto& n : names)
        out += (out.empty() ? "" : ", ") + n;
    return out;
}

} // namespace

std::string AttributeUseText(DirectoryPage& page, const std::string& attrName) {
    std::vector<std::string> classes;
    WalkClassDefinitions(page, SchemaReports::silent(), [&](const ClassDef& c) {
        for (ClassList list : {ClassList::NamingAttributes, ClassList::MandatoryAttributes,
                               ClassList::OptionalAttributes}) {
            if (listHolds(c.list(list), attrName)) {
                classes.push_back(c.name);
                return;
            }
        }
    });
    SilentPage silent(page);
    std::size_t holders = 0;
    TreeWalk(silent, [&](const ListedObject& object, const std::string&) {
        bool holds = false;
        ReadAttributeNames(silent, object.listedName, [&](const std::string& name) {
            holds = holds || sameName(name, attrName);
        });
        holders += holds ? 1 : 0;
    }).walk(ROOT_NAME);

    std::string text;
    if (!classes.empty())
        text += "Classes that list it: " + joined(classes) + "\r";
    if (holders != 0)
        text += formatText("Objects that hold it: %zu\r", holders);
    return text;
}

std::string ClassUseText(DirectoryPage& page, const std::string& className) {
    std::vector<std::string> subclasses, containedClasses;
    WalkClassDefinitions(page, SchemaReports::silent(), [&](const ClassDef& c) {
        if (listHolds(c.list(ClassList::SuperClasses), className))
            subclasses.push_back(c.name);
        if (!sameName(c.name, className) && listHolds(c.list(ClassList::Containment), className))
            containedClasses.push_back(c.name);
    });
    SilentPage silent(page);
    std::size_t instances = 0;
    TreeWalk(silent, [&](const ListedObject& object, const std::string&) {
        instances += sameName(object.info.baseClass, className) ? 1 : 0;
    }).walk(ROOT_NAME);

    std::string text;
    if (!subclasses.empty())
        text += "Subclasses: " + joined(subclasses) + "\r";
    if (!containedClasses.empty())
        text += "Classes placed in it: " + joined(containedClasses) + "\r";
    if (instances != 0)
        text += formatText("Objects of the class: %zu\r", instances);
    return text;
}
