// The create form of the "Object Manager": the class picker, the walk that collects the
// mandatory attributes, the criteria pairs and the add-entry request.
#include "CreateValue.h"
#include "ObjectManagerPage.h"
#include "directory/ClientBuffer.h"
#include "directory/ServerReason.h"
#include "pages/WaitCursor.h"
#include "schema/ClassReads.h"
#include "schema/ReportPolicies.h"
#include "schema/SyntaxReads.h"

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QSignalBlocker>
#include <QStringList>
#include <QTreeWidget>
#include <algorithm>
#include <set>

namespace {

constexpr int kObjectNameChars = 31;
constexpr int kAttributeNameChars = 31;
constexpr int kValueChars = 1023;
// The typed object name is the naming value, so its attribute is never asked for.
constexpr const char* kNamingAttribute = "CN";
// Every class is below it and its own attributes are the directory's to write.
constexpr const char* kTopClass = "Top";

} // namespace

void CObjectManagerPage::fillClassPicker() {
    QStringList names;
    WalkClassDefinitions(*this, SchemaReports::classWalk(), [&](const ClassDef& def) {
        if (def.flags & DS_EFFECTIVE_CLASS)
            names << QString::fromStdString(def.name);
    });
    // A sorted drop-down list: case-insensitive order; nothing is chosen at first.
    std::stable_sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        return QString::compare(a, b, Qt::CaseInsensitive) < 0;
    });
    const QSignalBlocker quiet(classCombo_);
    classCombo_->addItems(names);
    classCombo_->setCurrentIndex(-1);
    classCombo_->clearEditText();
}

void CObjectManagerPage::addMandatoryAttribute(const QString& name) {
    // Two classes of the walk may both ask for one attribute; it waits for one value.
    if (!mandatory_->findItems(name, Qt::MatchFixedString | Qt::MatchCaseSensitive).isEmpty())
        return;
    int at = 0;
    while (at < mandatory_->count() &&
           QString::compare(mandatory_->item(at)->text(), name, Qt::CaseInsensitive) <= 0)
        ++at;
    mandatory_->insertItem(at, name);
}

std::optional<std::vector<std::string>>
CObjectManagerPage::CollectMandatoryAttributes(const std::string& className) {
    std::vector<std::string> superClasses;
    const ReadOutcome outcome = ReadClassDefinition(
        *this, className, SchemaReports::objectPageClassRead(), [&](const ClassDef& def) {
            superClasses = def.list(ClassList::SuperClasses);
            for (const std::string& attr : def.list(ClassList::MandatoryAttributes)) {
                if (attr != kNamingAttribute)
                    addMandatoryAttribute(QString::fromStdString(attr));
            }
        });
    if (!outcome.ok())
        return std::nullopt;
    return superClasses;
}

void CObjectManagerPage::chooseClass() {
    WaitCursor wait; // one class read per class of the inheritance graph
    mandatory_->clear();
    criteria_->clear();
    syntaxField_->clear();
    const int index = classCombo_->currentIndex();
    if (index < 0)
        return;
    const QString className = classCombo_->itemText(index);
    new QTreeWidgetItem(criteria_, QStringList{QStringLiteral("Object Class"), className});

    // Every class of the inheritance graph once, each of a class's super classes followed
    // (User has two), up to but not including "Top". A failed read ends the walk.
    std::vector<std::string> walk{className.toStdString()};
    std::set<std::string> seen(walk.begin(), walk.end());
    for (std::size_t i = 0; i < walk.size(); ++i) {
        const auto superClasses = CollectMandatoryAttributes(walk[i]);
        if (!superClasses)
            break;
        for (const std::string& super : *superClasses) {
            if (super != kTopClass && seen.insert(super).second)
                walk.push_back(super);
        }
    }

    if (mandatory_->count() == 0)
        return;
    AttributeSyntax syntax;
    if (ReadAttributeSyntax(*this, mandatory_->item(0)->text().toStdString(),
                            SchemaReports::attributeSyntax(), syntax)
            .ok())
        syntaxField_->setText(QString::fromStdString(syntax.name));
    mandatory_->setCurrentRow(0);
}

void CObjectManagerPage::addPair() {
    if (mandatory_->count() == 0)
        return;
    // Always the top entry, whichever one is selected.
    QListWidgetItem* top = mandatory_->item(0);
    const int row = criteria_->topLevelItemCount() == 0 ? 0 : 1;
    criteria_->insertTopLevelItem(
        row, new QTreeWidgetItem(QStringList{top->text(), valueField_->text()}));
    delete mandatory_->takeItem(0);
    if (mandatory_->count() > 0)
        mandatory_->setCurrentRow(0);
}

bool CObjectManagerPage::putCriteria(Buf_T* request) {
    DirectoryClient& dir = client();
    for (int row = 0; row < criteria_->topLevelItemCount(); ++row) {
        const QTreeWidgetItem* pair = criteria_->topLevelItem(row);
        const std::string attr = pair->text(0).left(kAttributeNameChars).toStdString();
        const std::string text = pair->text(1).left(kValueChars).toStdString();
        NWDSCCODE rc = dir.NWDSPutAttrName(context(), request, attr.c_str());
        if (rc != 0) {
            report("NWDSPutAttrName() returned %04X", unsigned(rc));
            return false;
        }
        std::uint32_t syntax = 0;
        rc = dir.NWDSGetSyntaxID(context(), attr.c_str(), &syntax);
        if (rc != 0) {
            report("NWDSGetSyntaxID() returned: %04X", unsigned(rc));
            return false;
        }
        CreateValue value;
        if (!value.make(syntax, text)) {
            report("Syntax Type for Attribute: %s is not currently supported by this utility",
                   attr.c_str());
            return false;
        }
        rc = dir.NWDSPutAttrVal(context(), request, syntax, value.data());
        if (rc != 0) {
            report("NWDSGetSyntaxID() returned: %04X", unsigned(rc));
            return false;
        }
    }
    return true;
}

void CObjectManagerPage::createObject() {
    const QString name = createNameField_->text().left(kObjectNameChars);
    QString checks;
    if (name.isEmpty())
        checks += QStringLiteral("Please provide an object name.\r");
    if (criteria_->topLevelItemCount() == 0)
        checks += QStringLiteral("Please select an object class to create.\r");
    if (mandatory_->count() > 0)
        checks += QStringLiteral("Please provide values for all mandatory attributes.\r");
    if (!checks.isEmpty()) {
        report("%s", checks.toUtf8().constData());
        return;
    }

    WaitCursor wait;
    ClientBuffer request(client());
    NWDSCCODE rc = request.allocate();
    if (rc != 0) {
        report("NWDSAllocBuf() returned %04X", unsigned(rc));
        return;
    }
    rc = client().NWDSInitBuf(context(), DSV_ADD_ENTRY, request.get());
    if (rc != 0) {
        report("NWDSInitBuf() returned %04X", unsigned(rc));
        return;
    }
    // "Generate Object Key Pair" is not read: this page creates no key pairs.
    if (!putCriteria(request.get()))
        return;
    rc = client().NWDSAddObject(context(), writeName(name).c_str(), nullptr, false, request.get());
    if (rc != 0) {
        report("NWDSAddObject() returned %04X%s", unsigned(rc), serverSaid(client(), rc).c_str());
        return;
    }
    report("Object %s created successfully!", name.toUtf8().constData());
    RefreshObjects();
}
