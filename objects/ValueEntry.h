#pragma once

#include "ModificationCriterion.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <memory>

// What the Edit Panel holds when "Add Criteria" is clicked.
struct PanelInput {
    QString entry1;
    QString entry2;
    QString entry3;
    QString protectedAttr;               // text field of the protected-attribute combo box
    std::uint32_t entryRightsMarked = 0; // bits of the marked entry-rights boxes
    std::uint32_t attributeRightsMarked = 0;
};

// Builds the value record of a form from the panel. Every check that fails appends its
// message to `messages`, in the order of the form's checks; null when any check failed or
// the form is not handled (" Data type <syntax name> not handled.").
std::unique_ptr<CriterionValue> buildValue(ValueForm form, const QString& syntaxName,
                                           const PanelInput& input, QString& messages);

// What a form shows: its first prompt (the syntax line goes ahead of it), the inputs on
// show and, when a shown value is taken back, their texts and the rights marks.
struct PanelContent {
    enum class Second { None, Entry2, ProtectedAttr };
    enum class Rights { None, Entry, Attribute };

    QString prompt1;
    bool entry1 = false;
    QString prompt2; // empty: prompt field 2 stays hidden
    Second second = Second::None;
    QString prompt3; // empty: prompt field 3 and entry field 3 stay hidden
    QString text1;
    QString text2;
    QString text3;
    QString protectedText;
    Rights rights = Rights::None; // the set of check boxes to show, marks cleared first
    std::uint32_t marks = 0;      // rights bits of that set to mark
};

// The form set up for an attribute: empty fields, no check box.
PanelContent setUpContent(ValueForm form);
// The form filled from the cells of a clicked row of "Values: ", as the renderer wrote them
// (a "Partition Control" typed name in its own layout).
PanelContent takenContent(ValueForm form, const QStringList& cells, bool partitionLayout = false);
