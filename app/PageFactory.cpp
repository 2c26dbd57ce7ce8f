#include "PageFactory.h"

#include "browser/BrowserPage.h"
#include "objects/ObjectEditorPage.h"
#include "objects/ObjectManagerPage.h"
#include "query/QueryPage.h"
#include "schema/SchemaManagerPage.h"
#include "schema/SchemaViewerPage.h"

PageFrame* makePage(COstrelDlg::Page which, const PageServices& services, QWidget* parent) {
    switch (which) {
    case COstrelDlg::Browser:
        return new CBrowserPage(services, parent);
    case COstrelDlg::SchemaViewer:
        return new CSchemaViewerPage(services, parent);
    case COstrelDlg::SchemaManager:
        return new CSchemaManagerPage(services, parent);
    case COstrelDlg::Query:
        return new CQueryPage(services, parent);
    case COstrelDlg::ObjectManager:
        return new CObjectManagerPage(services, parent);
    case COstrelDlg::ObjectEditor:
        return new CObjectEditorPage(services, parent);
    }
    return nullptr;
}
