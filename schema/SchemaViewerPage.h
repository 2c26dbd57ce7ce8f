#pragma once

#include "pages/PageFrame.h"

class QLabel;
class QLineEdit;
class QTreeWidget;
class QTreeWidgetItem;

// The "Schema Viewer" tab page: the whole schema of the current tree, read-only, as a class
// tree and an attribute tree side by side.
class CSchemaViewerPage : public PageFrame {
    Q_OBJECT
public:
    explicit CSchemaViewerPage(const PageServices& services, QWidget* parent = nullptr);

    // Empties both trees and reads the schema and the server name again; the other header
    // fields keep their texts.
    void refresh() override;

protected:
    void buildControls() override;
    QList<QAbstractItemView*> imageListViews() override;
    void fillPage() override;
    QLineEdit* serverField() override;

private:
    QTreeWidget* makeSchemaTree(const QString& objectName);
    void fillTrees();
    void showSelectedClass(QTreeWidgetItem* current);
    void showSelectedAttribute(QTreeWidgetItem* current);

    QLabel* currentTreeLabel_ = nullptr;
    QLineEdit* currentTreeField_ = nullptr;
    QLabel* contextLabel_ = nullptr;
    QLineEdit* contextField_ = nullptr;
    QLabel* classTreeLabel_ = nullptr;
    QTreeWidget* classTree_ = nullptr;
    QLabel* attributeTreeLabel_ = nullptr;
    QTreeWidget* attributeTree_ = nullptr;
    QLabel* selectedObjectLabel_ = nullptr;
    QLineEdit* selectedObjectField_ = nullptr;
    QLabel* serverLabel_ = nullptr;
    QLineEdit* serverField_ = nullptr;
};
