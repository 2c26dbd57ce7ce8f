#pragma once

#include "ModificationCriterion.h"

#include <QTreeWidgetItem>
#include <memory>

// A row of "Object Modification Criteria:"; it owns its criterion and so the value record.
class CriterionRow : public QTreeWidgetItem {
public:
    static constexpr int Type = QTreeWidgetItem::UserType + 12;

    CriterionRow(const QStringList& cells, std::unique_ptr<ModificationCriterion> criterion)
        : QTreeWidgetItem(cells, Type), criterion_(std::move(criterion)) {}

    const ModificationCriterion& criterion() const { return *criterion_; }

private:
    std::unique_ptr<ModificationCriterion> criterion_;
};
