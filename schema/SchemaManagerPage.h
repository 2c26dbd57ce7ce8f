#pragma once

#include "pages/PageFrame.h"

// "Schema Manager": defines and removes attribute and class definitions. Its context
// works at "[Root]"; it has no header fields and no class icons.
class CSchemaManagerPage : public PageFrame {
    Q_OBJECT
public:
    CSchemaManagerPage(const PageServices& services, QWidget* parent);

protected:
    void buildControls() override;
    void fillPage() override {}
};
