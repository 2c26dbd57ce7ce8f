#pragma once

#include "pages/PageFrame.h"

#include <optional>
#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTreeView;
class QTreeWidget;
class ModelListing;
class ObjectListModel;

// "Object Manager": creates, deletes, renames and moves objects in its name context.
// Layout, start-up and the refresh are ObjectManagerPage.cpp; the create form is
// ObjectManagerCreate.cpp; delete, rename and move are ObjectManagerOperations.cpp.
class CObjectManagerPage : public PageFrame {
    Q_OBJECT
public:
    CObjectManagerPage(const PageServices& services, QWidget* parent);
    ~CObjectManagerPage() override; // closes a listing still arriving

    // Empties every field of both forms, lists the container again and sets `changed`.
    void RefreshObjects();
    // Whether the context's objects are still arriving.
    bool isListing() const;

protected:
    void buildControls() override;
    QList<QAbstractItemView*> imageListViews() override;
    void fillPage() override;

private:
    QGroupBox* buildCreateGroup();
    QGroupBox* buildOperationsGroup();

    // The objects of the name context as top-level entries of "Objects:".
    void ListContextObjects();
    // "Object Class:" gets every class whose objects can be created.
    void fillClassPicker();

    // The create form.
    void chooseClass();
    // Adds the mandatory attributes of one class to the waiting list and gives the names of
    // its super classes; none when the class could not be read.
    std::optional<std::vector<std::string>>
    CollectMandatoryAttributes(const std::string& className);
    void addMandatoryAttribute(const QString& name);
    void addPair();
    void createObject();
    // Puts the attributes of the criteria rows into the add-entry request; false (reported)
    // when one could not be put.
    bool putCriteria(Buf_T* request);

    // The object operations.
    void showSelectedObject();
    void deleteObject();
    void renameObject();
    void moveObject();
    // The full name the writes give the directory for a name typed on this page: the name,
    // then "." and the name context unless that is "[Root]", as every read builds it.
    std::string writeName(const QString& typed) const;

    // Create Object
    QComboBox* classCombo_ = nullptr;
    QLineEdit* createNameField_ = nullptr;
    QListWidget* mandatory_ = nullptr;
    QLineEdit* valueField_ = nullptr;
    QPushButton* addButton_ = nullptr;
    QLineEdit* syntaxField_ = nullptr;
    QTreeWidget* criteria_ = nullptr;
    QCheckBox* keyPairCheck_ = nullptr;
    QPushButton* createButton_ = nullptr;
    // Header
    QLineEdit* contextField_ = nullptr;
    QLineEdit* serverField_ = nullptr;
    // Object Operations
    QTreeView* objects_ = nullptr;
    ObjectListModel* objectsModel_ = nullptr;
    ModelListing* listing_ = nullptr;
    QLineEdit* classField_ = nullptr;
    QLineEdit* deleteNameField_ = nullptr;
    QPushButton* deleteButton_ = nullptr;
    QLineEdit* newNameField_ = nullptr;
    QPushButton* renameButton_ = nullptr;
    QLineEdit* moveNameField_ = nullptr;
    QLineEdit* newContextField_ = nullptr;
    QPushButton* moveButton_ = nullptr;
};
