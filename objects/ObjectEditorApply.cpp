// Object Editor: "Modify Object" sends every queued criterion in one modify request;
// "Reset All" and every send release the criteria.
#include "CriterionRow.h"
#include "ObjectEditorPage.h"
#include "directory/ClientBuffer.h"
#include "directory/NameRules.h"
#include "directory/ServerReason.h"
#include "pages/ModelListing.h"
#include "pages/ObjectListModel.h"
#include "pages/WaitCursor.h"

#include <QLineEdit>
#include <QTreeWidget>

void CObjectEditorPage::modifyObject() {
    if (criteria_->topLevelItemCount() == 0) {
        report("You MUST set modification criteria!");
        return;
    }
    const std::string selected = fieldText(selectedField_->text(), MAX_DN_CHARS - 1);
    if (selected.empty()) {
        // Without an object the request would go to the container's own name.
        report("Please select an object to modify.");
        return;
    }

    WaitCursor wait; // the request, then the container listed again
    ClientBuffer request(client());
    NWDSCCODE rc = request.allocate();
    if (rc != 0) {
        report("NWDSAllocBuf returned: %04X\n", unsigned(rc));
        releaseCriteria();
        return;
    }
    rc = client().NWDSInitBuf(context(), DSV_MODIFY_ENTRY, request.get());
    if (rc != 0) {
        report("NWDSInitBuf returned: %04X\n", unsigned(rc));
        releaseCriteria();
        return;
    }
    for (int i = 0; i < criteria_->topLevelItemCount(); ++i) {
        const ModificationCriterion& c = *criterionOf(criteria_->topLevelItem(i));
        rc = client().NWDSPutChange(context(), request.get(), c.operation, c.attrName);
        if (rc == 0 && c.operation != DS_REMOVE_ATTRIBUTE)
            rc = client().NWDSPutAttrVal(context(), request.get(), c.syntaxID,
                                         c.value ? c.value->data() : nullptr);
        if (rc != 0) {
            report("NWDSPutChange() returned: %04X\n", unsigned(rc));
            releaseCriteria();
            return;
        }
    }

    // The name as every read of this page forms it: no "." and context below "[Root]"; the
    // object chosen in "Objects:" by its label while the field shows its text.
    const std::string fullName = fullNameOf(
        selectedField_->text() == selectedShown_ ? selectedLabel_ : selected, nameContext_);
    rc = client().NWDSModifyObject(context(), fullName.c_str(), nullptr, false, request.get());
    if (rc != 0) {
        report("NWDSModifyObject() returned: %04X%s\n", unsigned(rc),
               serverSaid(client(), rc).c_str());
        releaseCriteria();
        return;
    }
    const std::string note = client().changeNote();
    report("Object %s was successfully modified!%s%s", fullName.c_str(), note.empty() ? "" : "\n",
           note.c_str());
    setChanged();
    releaseCriteria();
    listing_->cancel();
    objectsModel_->clear();
    values_->clear();
    listObjects();
}

void CObjectEditorPage::releaseCriteria() {
    const int rows = criteria_->topLevelItemCount();
    for (int i = 0; i < rows; ++i)
        delete criteria_->takeTopLevelItem(0); // the row takes its criterion and value along
}
