#include "EditPanel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLineEdit>

namespace {
constexpr std::array<std::uint32_t, 5> kEntryBits{DS_ENTRY_BROWSE, DS_ENTRY_ADD, DS_ENTRY_DELETE,
                                                  DS_ENTRY_RENAME, DS_ENTRY_SUPERVISOR};
constexpr std::array<std::uint32_t, 5> kAttributeBits{DS_ATTR_COMPARE, DS_ATTR_READ, DS_ATTR_WRITE,
                                                      DS_ATTR_SELF, DS_ATTR_SUPERVISOR};
constexpr const char* kEntryRightsName = "[Entry Rights]";

QString boxObjectName(const char* prefix, const char* right) {
    return QLatin1String(prefix) + QString::fromLatin1(right).remove(QLatin1Char(' '));
}
} // namespace

EditPanel::EditPanel(QWidget* parent) : QGroupBox(QStringLiteral("Edit Panel"), parent) {
    setObjectName(QStringLiteral("editPanel"));
    for (int i = 0; i < 3; ++i) {
        auto* prompt = new QLineEdit(this);
        prompt->setReadOnly(true);
        prompt->setObjectName(QStringLiteral("promptField%1").arg(i + 1));
        prompt->setAccessibleName(QStringLiteral("Prompt %1").arg(i + 1));
        prompts_[std::size_t(i)] = prompt;
        auto* entry = new QLineEdit(this);
        entry->setObjectName(QStringLiteral("entryField%1").arg(i + 1));
        entry->setAccessibleName(QStringLiteral("Value %1").arg(i + 1));
        entries_[std::size_t(i)] = entry;
    }
    protectedAttrs_ = new QComboBox(this);
    protectedAttrs_->setObjectName(QStringLiteral("protectedAttributeCombo"));
    protectedAttrs_->setEditable(true);
    protectedAttrs_->setInsertPolicy(QComboBox::NoInsert);
    protectedAttrs_->setAccessibleName(QStringLiteral("Protected Attribute"));

    const auto makeSet = [this](const std::array<const char*, 5>& names, const char* prefix,
                                std::array<QCheckBox*, 5>& boxes) {
        auto* set = new QWidget(this);
        set->setObjectName(QLatin1String(prefix) + QStringLiteral("Set"));
        auto* grid = new QGridLayout(set);
        grid->setContentsMargins(0, 0, 0, 0);
        grid->setVerticalSpacing(0);
        for (std::size_t i = 0; i < names.size(); ++i) {
            auto* box = new QCheckBox(QString::fromLatin1(names[i]), set);
            box->setObjectName(boxObjectName(prefix, names[i]));
            boxes[i] = box;
            grid->addWidget(box, int(i % 3), int(i / 3));
        }
        return set;
    };
    entryRightsSet_ = makeSet(kEntryRightNames, "entryRight", entryRights_);
    attributeRightsSet_ = makeSet(kAttributeRightNames, "attributeRight", attributeRights_);

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(6, 2, 6, 4);
    grid->setVerticalSpacing(2);
    grid->addWidget(prompts_[0], 0, 0, 1, 2);
    grid->addWidget(entries_[0], 1, 0, 1, 2);
    grid->addWidget(prompts_[1], 2, 0);
    grid->addWidget(entries_[1], 3, 0);
    grid->addWidget(protectedAttrs_, 3, 0);
    grid->addWidget(prompts_[2], 2, 1);
    grid->addWidget(entries_[2], 3, 1);
    // The rights boxes take the right half, where prompt and entry field 3 would be.
    grid->addWidget(entryRightsSet_, 2, 1, 3, 1);
    grid->addWidget(attributeRightsSet_, 2, 1, 3, 1);
    grid->setRowStretch(4, 1);
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(1, 1);
    reset();
}

void EditPanel::reset() {
    for (QLineEdit* field : prompts_) {
        field->hide();
        field->clear();
    }
    for (QLineEdit* field : entries_) {
        field->hide();
        field->clear();
    }
    protectedAttrs_->setEditText(QString());
    protectedAttrs_->hide();
    showRightsSet(PanelContent::Rights::None);
}

namespace {
// A prompt reads from its start, however long it is.
void setPrompt(QLineEdit* field, const QString& text) {
    field->setText(text);
    field->home(false);
}
} // namespace

void EditPanel::showForm(const QString& syntaxLine, const PanelContent& c) {
    setPrompt(prompts_[0], syntaxLine + c.prompt1);
    prompts_[0]->show();
    if (c.entry1) {
        entries_[0]->setText(c.text1);
        entries_[0]->show();
    }
    if (!c.prompt2.isEmpty()) {
        setPrompt(prompts_[1], c.prompt2);
        prompts_[1]->show();
    }
    if (c.second == PanelContent::Second::Entry2) {
        entries_[1]->setText(c.text2);
        entries_[1]->show();
    } else if (c.second == PanelContent::Second::ProtectedAttr) {
        protectedAttrs_->setEditText(c.protectedText);
        protectedAttrs_->show();
    }
    if (!c.prompt3.isEmpty()) {
        setPrompt(prompts_[2], c.prompt3);
        prompts_[2]->show();
        entries_[2]->setText(c.text3);
        entries_[2]->show();
    }
    // Screen readers announce each entry field by the prompt above it.
    entries_[0]->setAccessibleName(prompts_[0]->text().trimmed());
    entries_[1]->setAccessibleName(c.prompt2.trimmed());
    entries_[2]->setAccessibleName(c.prompt3.trimmed());
    protectedAttrs_->setAccessibleName(c.prompt2.isEmpty() ? QStringLiteral("Protected Attribute")
                                                           : c.prompt2.trimmed());
    if (c.rights != PanelContent::Rights::None) {
        showRightsSet(c.rights);
        if (c.rights == PanelContent::Rights::Entry)
            mark(entryRights_, kEntryBits, c.marks);
        else
            mark(attributeRights_, kAttributeBits, c.marks);
    }
}

void EditPanel::showRightsFor(const QString& protectedAttr) {
    showRightsSet(protectedAttr == QLatin1String(kEntryRightsName)
                      ? PanelContent::Rights::Entry
                      : PanelContent::Rights::Attribute);
}

void EditPanel::showRightsSet(PanelContent::Rights set) {
    const bool entry = set == PanelContent::Rights::Entry;
    const bool attribute = set == PanelContent::Rights::Attribute;
    entryRightsSet_->setVisible(entry);
    attributeRightsSet_->setVisible(attribute);
    for (QCheckBox* box : entryRights_)
        box->setVisible(entry);
    for (QCheckBox* box : attributeRights_)
        box->setVisible(attribute);
}

PanelInput EditPanel::input() const {
    PanelInput in;
    in.entry1 = entries_[0]->text();
    in.entry2 = entries_[1]->text();
    in.entry3 = entries_[2]->text();
    in.protectedAttr = protectedAttrs_->currentText();
    in.entryRightsMarked = marked(entryRights_, kEntryBits);
    in.attributeRightsMarked = marked(attributeRights_, kAttributeBits);
    return in;
}

std::uint32_t EditPanel::marked(const std::array<QCheckBox*, 5>& boxes,
                                const std::array<std::uint32_t, 5>& bits) {
    std::uint32_t rights = 0;
    for (std::size_t i = 0; i < boxes.size(); ++i) {
        if (boxes[i]->isChecked())
            rights |= bits[i];
    }
    return rights;
}

void EditPanel::mark(const std::array<QCheckBox*, 5>& boxes,
                     const std::array<std::uint32_t, 5>& bits, std::uint32_t marks) {
    for (std::size_t i = 0; i < boxes.size(); ++i)
        boxes[i]->setChecked((marks & bits[i]) != 0);
}
