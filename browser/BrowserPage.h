#pragma once

#include "pages/PageFrame.h"
#include "pages/RetiredItems.h"
#include "render/ValueSurfaces.h"

#include <string>

class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPlainTextEdit;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

// "NDS Browser": walks the tree container by container, lists the trees above "[Root]",
// and shows every value of a selected attribute.
class CBrowserPage : public PageFrame {
    Q_OBJECT
public:
    CBrowserPage(const PageServices& services, QWidget* parent);
    ~CBrowserPage() override;

    void refresh() override;

    // Runs the move of a double-click on a container list entry.
    void moveTo(QListWidgetItem* entry);

    QTreeWidget* objectTree() const { return objects_; }
    QPushButton* rightsButton() const { return rightsButton_; }
    // The selected object as the rights dialog names it ("" when none is selected).
    std::string rightsObjectName() const;
    QListWidget* containerList() const { return containers_; }

protected:
    void buildControls() override;
    QList<QTreeWidget*> imageListTrees() override { return {objects_}; }
    QListWidget* imageListList() override { return containers_; }
    void fillPage() override;
    QLineEdit* serverField() override { return serverField_; }
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showCurrentContext();
    void clearListing();
    // false, reported, when the trees cannot be scanned.
    bool listTrees();
    bool openTree(const std::string& treeName);
    void selectObjectItem(QTreeWidgetItem* item);
    void onSelectionChanged();
    void showEffectiveRights();
    // "Export LDIF..." and "Import LDIF..." (BrowserLdif.cpp).
    void exportLdif();
    void importLdif();
    QListWidgetItem* addContainerEntry(const QString& label, int image);

    friend class BrowserSink;

    QLineEdit* treeField_ = nullptr;
    QLineEdit* contextField_ = nullptr;
    QTreeWidget* objects_ = nullptr;
    QListWidget* containers_ = nullptr;
    QLineEdit* typeField_ = nullptr;
    QLineEdit* selectedField_ = nullptr;
    QLineEdit* serverField_ = nullptr;
    QPushButton* rightsButton_ = nullptr;
    QPushButton* exportLdifButton_ = nullptr;
    QPushButton* importLdifButton_ = nullptr;
    ValueSurfaces surfaces_;

    QTreeWidgetItem* rootItem_ = nullptr;
    RetiredItems retiredListing_;
    std::string selectedObject_;
    // The connection this page opened to the tree it is on, closed when it moves on.
    NWCONN_HANDLE treeConnection_ = 0;
};
