#include "SchemaManagerPage.h"

#include "AttributeOperations.h"
#include "AttributeReads.h"
#include "ClassOperations.h"
#include "ClassReads.h"
#include "ReportPolicies.h"
#include "SchemaPickers.h"
#include "SchemaRightsCheck.h"
#include "SchemaTables.h"
#include "SyntaxReads.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

CSchemaManagerPage::CSchemaManagerPage(const PageServices& services, QWidget* parent)
    : PageFrame(PageKind::SchemaManager, services, parent) {
    setObjectName(QStringLiteral("schemaManagerPage"));
}

QLabel* CSchemaManagerPage::labelFor(const QString& text, QWidget* control, QWidget* parent) {
    QLabel* label = makeBuddyLabel(text, control, parent);
    if (auto* combo = qobject_cast<QComboBox*>(control))
        pickers::nameList(combo, text.trimmed());
    return label;
}

void CSchemaManagerPage::buildControls() {
    attributes_ = new AttributeOperations(*this, this);
    classes_ = new ClassOperations(*this, this);
    noRightsText_ = new QLabel(
        QStringLiteral("You must have Admin Equivalent rights to use the Schema Manager!"), this);
    noRightsText_->setObjectName(QStringLiteral("noRightsText"));
    noRightsText_->setAlignment(Qt::AlignCenter);
    noRightsText_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    noRightsText_->hide();

    auto* layout = new QGridLayout(this);
    layout->addWidget(attributes_, 0, 0);
    layout->addWidget(classes_, 0, 1);
    layout->addWidget(noRightsText_, 1, 0, 1, 2);
    layout->setColumnStretch(0, 2);
    layout->setColumnStretch(1, 3);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setRowStretch(0, 1);
}

void CSchemaManagerPage::fillPage() {
    rights_ = HasSchemaRights(*this);
    if (!rights_) {
        disableForMissingRights();
        return;
    }
    fillClassPickers();
    fillAttributePickers();
    fillSyntaxPicker();
    fillFlagPickers();
}

void CSchemaManagerPage::disableForMissingRights() {
    for (QListWidget* list :
         {attributes_->chosenFlags(), classes_->containmentList(), classes_->classFlagList(),
          classes_->mandatoryList(), classes_->optionalList()})
        list->hide();
    QWidget* const inOrder[] = {
        classes_->optionalPicker(),  classes_->mandatoryPicker(),      classes_->classFlagPicker(),
        classes_->classNameCombo(),  classes_->namingAttributeCombo(), classes_->containerPicker(),
        classes_->superClassCombo(), attributes_->nameCombo(),         classes_->removeButton(),
        classes_->createButton(),    classes_->modifyButton(),         attributes_->syntaxCombo(),
        attributes_->flagPicker(),   attributes_->removeButton(),      attributes_->createButton(),
        attributes_->resetButton(),  classes_->resetButton(),
    };
    for (QWidget* control : inOrder)
        control->setEnabled(false);
    noRightsText_->show();
}

void CSchemaManagerPage::emptyPickerTexts() {
    for (QComboBox* picker :
         {attributes_->flagPicker(), classes_->containerPicker(), classes_->classFlagPicker(),
          classes_->mandatoryPicker(), classes_->optionalPicker()})
        picker->setEditText(QString());
}

void CSchemaManagerPage::fillClassPickers() {
    QComboBox* name = classes_->classNameCombo();
    QComboBox* super = classes_->superClassCombo();
    QComboBox* containers = classes_->containerPicker();
    for (QComboBox* combo : {name, super, containers})
        pickers::clear(combo);
    QStringList classNames, containerNames;
    WalkClassDefinitions(*this, SchemaReports::classWalk(), [&](const ClassDef& c) {
        if (c.name.empty())
            return; // the read stopped before the name was delivered
        classNames << QString::fromStdString(c.name);
        if (c.flags & DS_CONTAINER_CLASS)
            containerNames << classNames.back();
    });
    // What was delivered before a failure is added all the same.
    pickers::addAllSorted(name, classNames);
    pickers::addAllSorted(super, classNames);
    pickers::addAllSorted(containers, containerNames);
}

void CSchemaManagerPage::fillAttributePickers() {
    const std::array<QComboBox*, 4> combos = {
        attributes_->nameCombo(), classes_->namingAttributeCombo(), classes_->mandatoryPicker(),
        classes_->optionalPicker()};
    for (QComboBox* combo : combos)
        pickers::clear(combo);
    QStringList names;
    WalkAttributeDefinitions(*this, SchemaReports::silent(),
                             [&](const AttrDef& a) { names << QString::fromStdString(a.name); });
    for (QComboBox* combo : combos)
        pickers::addAllSorted(combo, names);
}

void CSchemaManagerPage::fillSyntaxPicker() {
    QStringList names;
    WalkSyntaxNames(*this, SchemaReports::syntaxNameWalk(),
                    [&](const std::string& name) { names << QString::fromStdString(name); });
    pickers::addAllSorted(attributes_->syntaxCombo(), names);
}

void CSchemaManagerPage::fillFlagPickers() {
    for (const FlagText& flag : AttributeFlagChoices)
        pickers::addSorted(attributes_->flagPicker(), QString::fromUtf8(flag.text));
    for (const FlagText& flag : ClassFlagChoices)
        pickers::addSorted(classes_->classFlagPicker(), QString::fromUtf8(flag.text));
}

bool CSchemaManagerPage::showFailedChecks(const QString& failed) {
    if (failed.isEmpty())
        return false;
    report("%s", failed.toStdString().c_str());
    return true;
}
