#pragma once

#include "ValueEntry.h"

#include <QGroupBox>
#include <array>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QWidget;

// The "Edit Panel": prompt and entry fields whose use follows the attribute's syntax, the
// protected-attribute combo box of the ACL form and the two sets of rights check boxes, of
// which only one is ever on show.
class EditPanel : public QGroupBox {
    Q_OBJECT
public:
    explicit EditPanel(QWidget* parent);

    // Hides and empties every field and the combo box's text, hides every check box;
    // check marks stay.
    void reset();
    // Shows a form: the syntax line and first prompt in prompt field 1, then what the form
    // uses, filled with the content's texts and marks.
    void showForm(const QString& syntaxLine, const PanelContent& content);
    // Shows the set of rights boxes that goes with a protected attribute; marks stay.
    void showRightsFor(const QString& protectedAttr);
    PanelInput input() const;

    QComboBox* protectedAttributes() const { return protectedAttrs_; }
    QLineEdit* prompt(int n) const { return prompts_[std::size_t(n - 1)]; }
    QLineEdit* entry(int n) const { return entries_[std::size_t(n - 1)]; }

    static constexpr std::array<const char*, 5> kEntryRightNames{"Browse", "Add", "Delete",
                                                                 "Rename", "Supervisor"};
    static constexpr std::array<const char*, 5> kAttributeRightNames{"Compare", "Read", "Write",
                                                                     "Self", "Supervisor"};

private:
    void showRightsSet(PanelContent::Rights set);
    static std::uint32_t marked(const std::array<QCheckBox*, 5>& boxes,
                                const std::array<std::uint32_t, 5>& bits);
    static void mark(const std::array<QCheckBox*, 5>& boxes,
                     const std::array<std::uint32_t, 5>& bits, std::uint32_t marks);

    std::array<QLineEdit*, 3> prompts_{};
    std::array<QLineEdit*, 3> entries_{};
    QComboBox* protectedAttrs_ = nullptr;
    QWidget* entryRightsSet_ = nullptr;
    QWidget* attributeRightsSet_ = nullptr;
    std::array<QCheckBox*, 5> entryRights_{};
    std::array<QCheckBox*, 5> attributeRights_{};
};
