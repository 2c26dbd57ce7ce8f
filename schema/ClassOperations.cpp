#include "ClassOperations.h"

#include "SchemaManagerPage.h"
#include "SchemaPickers.h"
#include "SchemaTables.h"
#include "SchemaUseReport.h"
#include "directory/ClientBuffer.h"
#include "directory/FormatText.h"
#include "pages/WaitCursor.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
constexpr int kNameChars = 31;
} // namespace

ClassOperations::ClassOperations(CSchemaManagerPage& page, QWidget* parent)
    : QGroupBox(QStringLiteral("Object Operations"), parent), page_(page) {
    setObjectName(QStringLiteral("objectOperations"));
    className_ = pickers::makeCombo(this, QStringLiteral("classNameCombo"));
    superClass_ = pickers::makeCombo(this, QStringLiteral("superClassCombo"));
    namingAttribute_ = pickers::makeCombo(this, QStringLiteral("namingAttributeCombo"));
    QGroupBox* containment = makePickerGroup(
        QStringLiteral("Containment"), QStringLiteral("container"), containerPicker_, containment_);
    containment_->setObjectName(QStringLiteral("containmentList"));
    QGroupBox* flags = makePickerGroup(QStringLiteral("Object Class Flags"),
                                       QStringLiteral("classFlag"), classFlagPicker_, classFlags_);
    QGroupBox* mandatory =
        makePickerGroup(QStringLiteral("Mandatory Attributes"), QStringLiteral("mandatory"),
                        mandatoryPicker_, mandatory_);
    QGroupBox* optional = makePickerGroup(QStringLiteral("Optional Attributes"),
                                          QStringLiteral("optional"), optionalPicker_, optional_);

    modify_ = new QPushButton(QStringLiteral("Modify"), this);
    modify_->setObjectName(QStringLiteral("classModifyButton"));
    create_ = new QPushButton(QStringLiteral("Create"), this);
    create_->setObjectName(QStringLiteral("classCreateButton"));
    remove_ = new QPushButton(QStringLiteral("Remove"), this);
    remove_->setObjectName(QStringLiteral("classRemoveButton"));
    reset_ = new QPushButton(QStringLiteral("Reset "), this);
    reset_->setObjectName(QStringLiteral("classResetButton"));
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {modify_, create_, remove_, reset_})
        buttons->addWidget(b);

    // The three names above, the four pickers with their lists in two equal columns below.
    auto* names = new QGridLayout;
    int row = 0;
    for (auto [text, combo] : {std::pair{QStringLiteral("Class Name:"), className_},
                               std::pair{QStringLiteral("Super Class:"), superClass_},
                               std::pair{QStringLiteral("Naming Attribute:"), namingAttribute_}}) {
        names->addWidget(page_.labelFor(text, combo, this), row, 0);
        names->addWidget(combo, row, 1);
        ++row;
    }
    names->setColumnStretch(1, 1);
    auto* groups = new QGridLayout;
    groups->addWidget(containment, 0, 0);
    groups->addWidget(flags, 0, 1);
    groups->addWidget(mandatory, 1, 0);
    groups->addWidget(optional, 1, 1);
    groups->setColumnStretch(0, 1);
    groups->setColumnStretch(1, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(names);
    layout->addLayout(groups, 1);
    layout->addLayout(buttons);

    for (QComboBox* combo : {className_, superClass_, namingAttribute_})
        page_.onCommand(combo, &QComboBox::activated, [](int) {});
    page_.onCommand(modify_, &QPushButton::clicked, [this](bool) { addOptionalAttributes(); });
    page_.onCommand(create_, &QPushButton::clicked, [this](bool) { defineClass(); });
    page_.onCommand(remove_, &QPushButton::clicked, [this](bool) { removeClass(); });
    page_.onCommand(reset_, &QPushButton::clicked, [this](bool) { resetFields(); });
}

QGroupBox* ClassOperations::makePickerGroup(const QString& title, const QString& name,
                                            QComboBox*& picker, QListWidget*& list) {
    auto* group = new QGroupBox(title, this);
    group->setObjectName(name + QStringLiteral("Group"));
    picker = pickers::makeCombo(group, name + QStringLiteral("Picker"));
    pickers::nameList(picker, title);
    list = pickers::makeChosenList(group, name + QStringLiteral("List"));
    list->setAccessibleName(QStringLiteral("Chosen: ") + title);
    auto* layout = new QVBoxLayout(group);
    layout->addWidget(picker);
    layout->addWidget(list, 1);
    layout->addStretch(); // keeps the picker at the top while the list is hidden

    QComboBox* p = picker;
    QListWidget* l = list;
    page_.onCommand(p, &QComboBox::activated, [p, l](int index) {
        if (index >= 0 && index < p->count())
            pickers::addUnlessPresent(l, p->itemText(index));
    });
    page_.onCommand(l, &QListWidget::itemDoubleClicked, [p, l](QListWidgetItem*) {
        const QList<QListWidgetItem*> selected = l->selectedItems();
        if (!selected.isEmpty())
            delete selected.front();
        p->setEditText(QString());
    });
    return group;
}

void ClassOperations::defineClass() {
    QString failed;
    const std::string name = pickers::text(className_, kNameChars);
    if (name.empty())
        failed += QStringLiteral("Please provide an object class name.\r");
    if (pickers::text(superClass_, kNameChars).empty())
        failed += QStringLiteral("Please select a super class.\r");
    if (classFlags_->count() == 0)
        failed += QStringLiteral("Please select object class flags.\r");
    if (page_.showFailedChecks(failed))
        return;

    std::uint32_t flags = 0;
    for (const QString& flag : pickers::entries(classFlags_))
        flags |= classFlagBit(flag.toStdString()).value_or(0);
    sendDefinition(name, flags);
}

bool ClassOperations::prepareRequest(ClientBuffer& request, std::uint32_t operation) {
    NWDSCCODE rc = request.allocate();
    if (rc < 0) {
        page_.report("NWDSAllocBuf() returned: %04X\n", unsigned(rc));
        return false;
    }
    rc = page_.client().NWDSInitBuf(page_.context(), operation, request.get());
    if (rc < 0) {
        page_.report("NWDSInitBuf() returned: %04X\n", unsigned(rc));
        return false;
    }
    return true;
}

bool ClassOperations::putClassItems(ClientBuffer& request, const std::vector<std::string>& items) {
    for (const std::string& item : items) {
        const NWDSCCODE rc =
            page_.client().NWDSPutClassItem(page_.context(), request.get(), item.c_str());
        if (rc < 0) {
            page_.report("NWDSPutClassItem() returned: %04X\n", unsigned(rc));
            return false;
        }
    }
    return true;
}

void ClassOperations::sendDefinition(const std::string& name, std::uint32_t flags) {
    DirectoryClient& client = page_.client();
    const NWDSContextHandle context = page_.context();
    ClientBuffer request(client);
    if (!prepareRequest(request, DSV_DEFINE_CLASS))
        return;
    const std::string naming = pickers::text(namingAttribute_, kNameChars);
    const std::array<std::vector<std::string>, 5> lists = {
        std::vector<std::string>{pickers::text(superClass_, kNameChars)},
        pickers::entryNames(containment_),
        naming.empty() ? std::vector<std::string>{} : std::vector<std::string>{naming},
        pickers::entryNames(mandatory_),
        pickers::entryNames(optional_),
    };
    for (const auto& list : lists) {
        const NWDSCCODE rc = client.NWDSBeginClassItem(context, request.get());
        if (rc < 0) {
            page_.report("NWDSBeginClassItem() returned: %04X\n", unsigned(rc));
            return;
        }
        if (!putClassItems(request, list))
            return;
    }
    Class_Info_T info{};
    info.classFlags = flags;
    const NWDSCCODE rc = client.NWDSDefineClass(context, name.c_str(), &info, request.get());
    if (rc < 0) {
        page_.report("NWDSDefineClass() returned: %04X\n", unsigned(rc));
        return;
    }
    page_.report("Class %s successfully added!", name.c_str());
    page_.fillClassPickers();
    page_.setChanged();
}

void ClassOperations::addOptionalAttributes() {
    QString failed;
    const std::string name = pickers::text(className_, kNameChars);
    if (name.empty())
        failed += QStringLiteral("Please provide an object class name.\r");
    if (optional_->count() == 0)
        failed += QStringLiteral("Please select optional attribute(s).\r");
    if (page_.showFailedChecks(failed))
        return;
    sendOptionalAttributes(name);
}

void ClassOperations::sendOptionalAttributes(const std::string& name) {
    DirectoryClient& client = page_.client();
    const NWDSContextHandle context = page_.context();
    ClientBuffer request(client);
    if (!prepareRequest(request, DSV_MODIFY_CLASS_DEF))
        return;
    if (!putClassItems(request, pickers::entryNames(optional_)))
        return;
    const NWDSCCODE rc = client.NWDSModifyClass(context, name.c_str(), request.get());
    if (rc < 0) {
        page_.report("NWDSModifyClass() returned: %04X\n", unsigned(rc));
        return;
    }
    page_.report("Class %s successfully Modified!", name.c_str());
    page_.setChanged();
}

void ClassOperations::removeClass() {
    const std::string name = pickers::text(className_, kNameChars);
    if (name.empty()) {
        page_.report("Please provide an object class name.");
        return;
    }
    const NWDSCCODE rc = page_.client().NWDSRemoveClassDef(page_.context(), name.c_str());
    if (rc < 0) {
        std::string text = formatText("NWDSRemoveClassDef() returned %04X \r", unsigned(rc));
        text += "Take note of the following rules: \r"
                "1) All base class  definitions are Non-Removeable.\r"
                "2) All instances of a class must be removed before a class definition \r"
                "can be removed. \r";
        {
            const WaitCursor wait; // reads the schema and walks the tree
            text += ClassUseText(page_, name);
        }
        page_.report("%s", text.c_str());
        return;
    }
    // The same text as for a removed attribute.
    page_.report("Attribute %s was successfully removed!", name.c_str());
    className_->setEditText(QString());
    page_.fillClassPickers();
    page_.setChanged();
}

void ClassOperations::resetFields() {
    for (QComboBox* combo : {className_, superClass_, namingAttribute_, containerPicker_})
        combo->setEditText(QString());
    containment_->clear();
    for (auto [picker, list] :
         {std::pair{classFlagPicker_, classFlags_}, std::pair{mandatoryPicker_, mandatory_},
          std::pair{optionalPicker_, optional_}}) {
        picker->setEditText(QString());
        list->clear();
    }
}
