// The browser's LDIF buttons: the selected object (or, with none selected, the container
// shown) written to a file, and a file's records applied to the tree, shown again after.
#include "BrowserPage.h"
#include "ldifdialogs/LdifExportDlg.h"
#include "ldifdialogs/LdifImportDlg.h"

void CBrowserPage::exportLdif() {
    std::string object = rightsObjectName();
    if (object.empty())
        object = nameContext_.empty() ? std::string(ROOT_NAME) : nameContext_;
    CLdifExportDlg dialog(*this, object, this);
    dialog.exec();
}

void CBrowserPage::importLdif() {
    CLdifImportDlg dialog(*this, this);
    dialog.exec();
    if (dialog.changedDirectory())
        refresh();
}
