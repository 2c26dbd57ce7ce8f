#pragma once

#include "pages/PageFrame.h"
#include "render/ValueSurfaces.h"

#include <string>

class EditPanel;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QModelIndex;
class QTreeView;
class QTreeWidget;
class QTreeWidgetItem;
class ModelListing;
class ObjectListModel;
struct ModificationCriterion;

// "Object Editor": queues typed changes to one object and writes them in one request.
// Selection and display, value entry with the criteria, and applying them each live in
// their own file.
class CObjectEditorPage : public PageFrame {
    Q_OBJECT
public:
    CObjectEditorPage(const PageServices& services, QWidget* parent);
    ~CObjectEditorPage() override; // releases every pending criterion
    // Whether the context's objects are still arriving.
    bool isListing() const;

    // The criterion a row of "Object Modification Criteria:" holds.
    static const ModificationCriterion* criterionOf(const QTreeWidgetItem* row);

protected:
    void buildControls() override;
    QList<QAbstractItemView*> imageListViews() override;
    void fillPage() override;
    QLineEdit* serverField() override { return serverField_; }
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // ---- Selection and display ----
    // The objects of the name context as top-level entries of "Objects:", each with its
    // attribute names; the header fields after a whole listing.
    void listObjects();
    void onObjectSelectionChanged();
    void chooseObject(const QModelIndex& item);
    void chooseAttribute(const QModelIndex& item);
    std::string classOf(const QModelIndex& objectItem);
    // The steps after a complete listing of the context's objects.
    void listingEnded(bool completed);
    // Rebuilds "Attribute:" and the protected-attribute list when the class is not the one
    // "Object Type:" shows.
    void rebuildAttributeListsFor(const std::string& className);
    void fillAttributeLists(const std::string& className);
    void showValues(const std::string& objectName, const std::string& attrName);

    // ---- Value entry and criteria ----
    // The syntax read of an attribute and "Type: <name> "; false when a read failed (reported).
    bool readSyntaxLine(const std::string& attrName, std::uint32_t& syntaxID, QString& syntaxName);
    void setUpEditPanel(const std::string& attrName);
    void onAttributeChosen(int index);
    void onProtectedAttributeChosen(int index);
    void takeShownValue(QTreeWidgetItem* row);
    void addCriterion();

    // ---- Applying ----
    void modifyObject();
    void releaseCriteria();
    void showMessages(const QString& messages);

    QLineEdit* treeField_ = nullptr;
    QLineEdit* contextField_ = nullptr;
    QLineEdit* serverField_ = nullptr;
    QLineEdit* selectedField_ = nullptr;
    QLineEdit* typeField_ = nullptr;
    QTreeView* objects_ = nullptr;
    ObjectListModel* objectsModel_ = nullptr;
    ModelListing* listing_ = nullptr;
    QTreeWidget* values_ = nullptr;
    QComboBox* attributes_ = nullptr;
    QComboBox* operations_ = nullptr;
    EditPanel* editPanel_ = nullptr;
    QPushButton* addCriteria_ = nullptr;
    QTreeWidget* criteria_ = nullptr;
    QPushButton* modify_ = nullptr;
    QPushButton* resetAll_ = nullptr;
    ValueSurfaces surfaces_;
    // The attribute whose values "Values: " shows; a clicked value is decoded by it.
    std::string shownAttribute_;
    // The label of the object chosen in "Objects:", which its shown text may not spell out
    // (an object of several naming values).
    std::string selectedLabel_;
    QString selectedShown_;
};
