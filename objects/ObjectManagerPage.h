#pragma once

#include "pages/PageFrame.h"

class QLineEdit;
class QTreeWidget;

// "Object Manager": creates, deletes, renames and moves objects in its name context.
class CObjectManagerPage : public PageFrame {
    Q_OBJECT
public:
    CObjectManagerPage(const PageServices& services, QWidget* parent);

protected:
    void buildControls() override;
    QList<QTreeWidget*> imageListTrees() override { return {objects_}; }
    void fillPage() override;

private:
    // The objects of the name context as top-level entries of "Objects:".
    void listObjects();

    QLineEdit* contextField_ = nullptr;
    QLineEdit* serverField_ = nullptr;
    QTreeWidget* objects_ = nullptr;
};
