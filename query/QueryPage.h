#pragma once

#include "pages/PageFrame.h"

class QTreeWidget;

// "NDS Query": searches below a container with a filter built criterion by criterion.
class CQueryPage : public PageFrame {
    Q_OBJECT
public:
    CQueryPage(const PageServices& services, QWidget* parent);

protected:
    void buildControls() override;
    QList<QTreeWidget*> imageListTrees() override { return {results_}; }
    void fillPage() override {}

private:
    QTreeWidget* results_ = nullptr;
};
