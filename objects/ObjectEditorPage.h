#pragma once

#include "pages/PageFrame.h"

class QLineEdit;
class QTreeWidget;

// "Object Editor": queues typed changes to one object and writes them in one request.
class CObjectEditorPage : public PageFrame {
    Q_OBJECT
public:
    CObjectEditorPage(const PageServices& services, QWidget* parent);

protected:
    void buildControls() override;
    QList<QTreeWidget*> imageListTrees() override { return {objects_}; }
    void fillPage() override;
    QLineEdit* serverField() override { return serverField_; }

private:
    // The objects of the name context as top-level entries of "Objects:".
    void listObjects();

    QLineEdit* treeField_ = nullptr;
    QLineEdit* contextField_ = nullptr;
    QLineEdit* serverField_ = nullptr;
    QTreeWidget* objects_ = nullptr;
};
