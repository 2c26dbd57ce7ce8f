// The object operations of the "Object Manager": the selected object's class and name, and
// delete, rename and move of an object of the container by its name.
#include "ObjectManagerPage.h"
#include "directory/NameRules.h"
#include "directory/ServerReason.h"
#include "pages/TreeItems.h"
#include "pages/WaitCursor.h"

#include <QLineEdit>
#include <QTreeView>
#include <cstring>

namespace {
constexpr int kOperationNameChars = 127;

QString typedName(const QLineEdit* field) {
    return field->text().left(kOperationNameChars);
}
} // namespace

std::string CObjectManagerPage::writeName(const QString& typed) const {
    // The selected object's text stands for its label, which it may not spell out.
    const QModelIndexList selected = objects_->selectionModel()->selectedIndexes();
    if (!selected.isEmpty() && selected.first().data().toString() == typed)
        return fullNameOf(itemLabel(selected.first()), nameContext_);
    return fullNameOf(typed.toStdString(), nameContext_);
}

void CObjectManagerPage::showSelectedObject() {
    const QModelIndexList selected = objects_->selectionModel()->selectedIndexes();
    if (selected.isEmpty())
        return;
    WaitCursor wait;
    const QString label = selected.first().data().toString();
    Object_Info_T info{};
    const NWDSCCODE rc = client().NWDSReadObjectInfo(
        context(), fullNameOf(itemLabel(selected.first()), nameContext_).c_str(), nullptr, 0,
        &info);
    if (rc != 0) {
        report("NWDSReadObjectInfo returned: %04X\n", unsigned(rc));
        classField_->clear();
    } else {
        classField_->setText(
            QString::fromUtf8(info.baseClass, int(strnlen(info.baseClass, sizeof info.baseClass))));
    }
    deleteNameField_->setText(label);
    moveNameField_->setText(label);
}

void CObjectManagerPage::deleteObject() {
    const QString name = typedName(deleteNameField_);
    if (name.isEmpty()) {
        report("Please provide the name of the object to delete!");
        return;
    }
    WaitCursor wait; // the server may take its time, up to the client's time limit
    const NWDSCCODE rc = client().NWDSRemoveObject(context(), writeName(name).c_str());
    if (rc != 0) {
        report("NWDSRemoveObject() returned %04X%s", unsigned(rc),
               serverSaid(client(), rc).c_str());
        return;
    }
    report("Object %s successfully deleted!", name.toUtf8().constData());
    RefreshObjects();
}

void CObjectManagerPage::renameObject() {
    const QString name = typedName(deleteNameField_);
    const QString newName = typedName(newNameField_);
    if (name.isEmpty() || newName.isEmpty()) {
        report("Please provide the current object name and the new object name.");
        return;
    }
    WaitCursor wait;
    const NWDSCCODE rc = client().NWDSModifyRDN(context(), writeName(name).c_str(),
                                                newName.toStdString().c_str(), true);
    if (rc != 0) {
        report("NWDSModifyRDN() returned %04X%s", unsigned(rc), serverSaid(client(), rc).c_str());
        return;
    }
    report("Object %s successfully renamed!", name.toUtf8().constData());
    RefreshObjects();
}

void CObjectManagerPage::moveObject() {
    const QString name = typedName(moveNameField_);
    const QString destination = typedName(newContextField_);
    if (name.isEmpty() || destination.isEmpty()) {
        report("Please provide the current object name and the new object context.");
        return;
    }
    WaitCursor wait;
    // The object keeps its name in the destination.
    const NWDSCCODE rc =
        client().NWDSMoveObject(context(), writeName(name).c_str(),
                                destination.toStdString().c_str(), name.toStdString().c_str());
    if (rc != 0) {
        report("NWDSMoveObject() returned %04X%s", unsigned(rc), serverSaid(client(), rc).c_str());
        return;
    }
    report("Object %s successfully moved!", name.toUtf8().constData());
    RefreshObjects();
}
