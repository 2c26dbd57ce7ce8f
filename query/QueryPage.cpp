#include "QueryPage.h"

#include <QGroupBox>
#include <QLabel>
#include <QTreeWidget>
#include <QVBoxLayout>

CQueryPage::CQueryPage(const PageServices& services, QWidget* parent)
    : PageFrame(PageKind::Query, services, parent) {
    setObjectName(QStringLiteral("queryPage"));
}

void CQueryPage::buildControls() {
    auto* criteria = new QGroupBox(QStringLiteral("Set Search Criteria"), this);
    criteria->setObjectName(QStringLiteral("searchCriteriaGroup"));
    results_ = new QTreeWidget(this);
    results_->setObjectName(QStringLiteral("resultsTree"));
    results_->setHeaderHidden(true);
    QLabel* resultsLabel = makeBuddyLabel(QStringLiteral("Results:"), results_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(criteria, 1);
    layout->addWidget(resultsLabel);
    layout->addWidget(results_, 1);
}
