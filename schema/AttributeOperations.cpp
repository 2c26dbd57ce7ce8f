#include "AttributeOperations.h"

#include "SchemaManagerPage.h"
#include "SchemaPickers.h"
#include "SchemaTables.h"
#include "SchemaUseReport.h"
#include "directory/FormatText.h"
#include "directory/TypedNumbers.h"
#include "pages/WaitCursor.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

namespace {
constexpr int kNameChars = 31;
constexpr int kSyntaxChars = 39;
constexpr int kBoundChars = 11;
const QString kSized = QStringLiteral("Sized Attribute");

QLineEdit* makeBoundEdit(QWidget* parent, const QString& objectName) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(objectName);
    edit->setMaxLength(kBoundChars);
    edit->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), edit));
    edit->setEnabled(false);
    return edit;
}
} // namespace

AttributeOperations::AttributeOperations(CSchemaManagerPage& page, QWidget* parent)
    : QGroupBox(QStringLiteral("Attribute Operations"), parent), page_(page) {
    setObjectName(QStringLiteral("attributeOperations"));
    name_ = pickers::makeCombo(this, QStringLiteral("attributeNameCombo"));
    syntax_ = pickers::makeCombo(this, QStringLiteral("syntaxCombo"));

    auto* flagsGroup = new QGroupBox(QStringLiteral("Attribute Flags"), this);
    flagsGroup->setObjectName(QStringLiteral("attributeFlagsGroup"));
    flagPicker_ = pickers::makeCombo(flagsGroup, QStringLiteral("attributeFlagPicker"));
    pickers::nameList(flagPicker_, QStringLiteral("Attribute Flags"));
    chosenFlags_ = pickers::makeChosenList(flagsGroup, QStringLiteral("attributeFlagList"));
    chosenFlags_->setAccessibleName(QStringLiteral("Chosen attribute flags"));
    auto* flagsLayout = new QVBoxLayout(flagsGroup);
    flagsLayout->addWidget(flagPicker_);
    flagsLayout->addWidget(chosenFlags_, 1);
    flagsLayout->addStretch(); // keeps the picker at the top while the list is hidden

    auto* boundsGroup = new QGroupBox(QStringLiteral("Attribute Bounds"), this);
    boundsGroup->setObjectName(QStringLiteral("attributeBoundsGroup"));
    upper_ = makeBoundEdit(boundsGroup, QStringLiteral("upperBoundEdit"));
    lower_ = makeBoundEdit(boundsGroup, QStringLiteral("lowerBoundEdit"));
    auto* boundsLayout = new QGridLayout(boundsGroup);
    boundsLayout->addWidget(page_.labelFor(QStringLiteral("Upper:"), upper_, boundsGroup), 0, 0);
    boundsLayout->addWidget(upper_, 0, 1);
    boundsLayout->addWidget(page_.labelFor(QStringLiteral("Lower:"), lower_, boundsGroup), 1, 0);
    boundsLayout->addWidget(lower_, 1, 1);

    create_ = new QPushButton(QStringLiteral("Create"), this);
    create_->setObjectName(QStringLiteral("attributeCreateButton"));
    remove_ = new QPushButton(QStringLiteral("Remove"), this);
    remove_->setObjectName(QStringLiteral("attributeRemoveButton"));
    reset_ = new QPushButton(QStringLiteral("Reset "), this);
    reset_->setObjectName(QStringLiteral("attributeResetButton"));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(create_);
    buttons->addWidget(remove_);
    buttons->addWidget(reset_);

    auto* layout = new QGridLayout(this);
    layout->addWidget(page_.labelFor(QStringLiteral("Attribute Name:"), name_, this), 0, 0);
    layout->addWidget(name_, 0, 1);
    layout->addWidget(page_.labelFor(QStringLiteral("Syntax:"), syntax_, this), 1, 0);
    layout->addWidget(syntax_, 1, 1);
    layout->addWidget(flagsGroup, 2, 0, 1, 2);
    layout->addWidget(boundsGroup, 3, 0, 1, 2);
    layout->addLayout(buttons, 4, 0, 1, 2);
    layout->setRowStretch(2, 1);
    layout->setColumnStretch(1, 1);

    page_.onCommand(name_, &QComboBox::activated, [](int) {});
    page_.onCommand(syntax_, &QComboBox::activated, [](int) {});
    page_.onCommand(flagPicker_, &QComboBox::activated, [this](int i) { chooseFlag(i); });
    page_.onCommand(chosenFlags_, &QListWidget::itemDoubleClicked,
                    [this](QListWidgetItem*) { dropChosenFlag(); });
    page_.onCommand(create_, &QPushButton::clicked, [this](bool) { defineAttribute(); });
    page_.onCommand(remove_, &QPushButton::clicked, [this](bool) { removeAttribute(); });
    page_.onCommand(reset_, &QPushButton::clicked, [this](bool) { resetFields(); });
}

void AttributeOperations::enableBounds(bool enabled) {
    upper_->setEnabled(enabled);
    lower_->setEnabled(enabled);
}

void AttributeOperations::chooseFlag(int index) {
    if (index < 0 || index >= flagPicker_->count())
        return;
    const QString flag = flagPicker_->itemText(index);
    if (flag == kSized)
        enableBounds(true);
    pickers::addUnlessPresent(chosenFlags_, flag);
}

void AttributeOperations::dropChosenFlag() {
    const QList<QListWidgetItem*> selected = chosenFlags_->selectedItems();
    if (!selected.isEmpty()) {
        if (selected.front()->text() == kSized)
            enableBounds(false);
        delete selected.front();
    }
    flagPicker_->setEditText(QString());
}

void AttributeOperations::defineAttribute() {
    QString failed;
    const std::string name = pickers::text(name_, kNameChars);
    if (name.empty())
        failed += QStringLiteral("Please provide an attribute class name.\r");
    const std::string syntaxName = pickers::text(syntax_, kSyntaxChars);
    const std::optional<std::uint32_t> syntaxId = syntaxIdForName(syntaxName);
    // An unknown syntax name would define an attribute of syntax 0: ask for a known one.
    if (syntaxName.empty() || !syntaxId)
        failed += QStringLiteral("Please select an attribute syntax.\r");
    Attr_Info_T info{};
    const QStringList flags = pickers::entries(chosenFlags_);
    if (flags.isEmpty()) {
        failed += QStringLiteral("Please select attribute class flags.\r");
    } else if (pickers::holds(chosenFlags_, kSized)) {
        const std::string lower = lower_->text().left(kBoundChars).toStdString();
        if (lower.empty())
            failed += QStringLiteral("Please provide lower bound value for sized attribute.\r");
        else
            info.attrLower = std::uint32_t(decimalValue(lower));
        const std::string upper = upper_->text().left(kBoundChars).toStdString();
        if (upper.empty())
            failed += QStringLiteral("Please provide upper bound value for sized attribute.\r");
        else
            info.attrUpper = std::uint32_t(decimalValue(upper));
    }
    if (page_.showFailedChecks(failed))
        return;

    for (const QString& flag : flags)
        info.attrFlags |= attributeFlagBit(flag.toStdString()).value_or(0);
    info.attrSyntaxID = *syntaxId;
    const NWDSCCODE rc = page_.client().NWDSDefineAttr(page_.context(), name.c_str(), &info);
    if (rc != 0) {
        page_.report("NWDSDefineAttr() returned: %04X\n", unsigned(rc));
        return;
    }
    page_.report("Attribute %s added successfully!", name.c_str());
    page_.fillAttributePickers();
    page_.setChanged();
}

void AttributeOperations::removeAttribute() {
    const std::string name = pickers::text(name_, kNameChars);
    if (name.empty()) {
        page_.report("Please provide an attribute class name.");
        return;
    }
    const NWDSCCODE rc = page_.client().NWDSRemoveAttrDef(page_.context(), name.c_str());
    if (rc < 0) {
        std::string text = formatText("NWDSRemoveAttrDef() returned %04X \r", unsigned(rc));
        text += "Take note of the following rules: \r"
                "1) Attribute definitions added to a base class definition \r"
                "cannot be removed. \r"
                "2) All base class attribute definitions are Non-Removeable.\r"
                "3) All instances of a class must be removed before a class definition \r"
                "can be removed. \r";
        {
            const WaitCursor wait; // reads the schema and walks the tree
            text += AttributeUseText(page_, name);
        }
        page_.report("%s", text.c_str());
        return;
    }
    page_.report("Attribute %s was successfully removed!", name.c_str());
    name_->setEditText(QString());
    page_.fillAttributePickers();
    page_.setChanged();
}

void AttributeOperations::resetFields() {
    name_->setEditText(QString());
    flagPicker_->setEditText(QString());
    syntax_->setEditText(QString());
    chosenFlags_->clear();
    upper_->clear();
    lower_->clear();
    enableBounds(false);
}
