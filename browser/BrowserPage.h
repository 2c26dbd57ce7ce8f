#pragma once

#include "directory/ListContainer.h"
#include "pages/PageFrame.h"
#include "render/ValueSurfaces.h"

#include <memory>
#include <string>
#include <vector>

class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPlainTextEdit;
class QModelIndex;
class QPushButton;
class QTreeView;
class ListingProgress;
class ModelListing;
class SliceRunner;
class ObjectListModel;

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

    QTreeView* objectTree() const { return objects_; }
    ObjectListModel* objectModel() const { return model_; }
    // Whether a listing is still arriving, and the line that shows its progress.
    bool isListing() const;
    ListingProgress* listingProgress() const;
    SliceRunner* listingRun() const;
    QPushButton* rightsButton() const { return rightsButton_; }
    // The selected object as the rights dialog names it ("" when none is selected).
    std::string rightsObjectName() const;
    QListWidget* containerList() const { return containers_; }
    // "Connections...", beside the list of trees; hidden unless the main window offers the
    // dialog.
    QPushButton* connectionsButton() const { return connectionsButton_; }

protected:
    void buildControls() override;
    QList<QAbstractItemView*> imageListViews() override;
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
    void selectObjectItem(const QModelIndex& item);
    void onSelectionChanged();
    void showEffectiveRights();
    // "Export LDIF..." and "Import LDIF..." (BrowserLdif.cpp).
    void exportLdif();
    void importLdif();
    QListWidgetItem* addContainerEntry(const QString& label, int image);

    QLineEdit* treeField_ = nullptr;
    QLineEdit* contextField_ = nullptr;
    QTreeView* objects_ = nullptr;
    ObjectListModel* model_ = nullptr;
    ModelListing* listing_ = nullptr;
    QListWidget* containers_ = nullptr;
    QLineEdit* typeField_ = nullptr;
    QLineEdit* selectedField_ = nullptr;
    QLineEdit* serverField_ = nullptr;
    QPushButton* rightsButton_ = nullptr;
    QPushButton* exportLdifButton_ = nullptr;
    QPushButton* importLdifButton_ = nullptr;
    QPushButton* connectionsButton_ = nullptr;
    ValueSurfaces surfaces_;

    std::string selectedObject_;
    // The connection this page opened to the tree it is on, closed when it moves on.
    NWCONN_HANDLE treeConnection_ = 0;
};
