// "Export Results...": what the last submitted search finds, written to an LDIF file.
#include "QueryPage.h"
#include "SubmittedSearch.h"
#include "ldifdialogs/LdifExportDlg.h"

#include <QPushButton>

NWDSCCODE SubmittedSearch::putTokens(DirectoryClient& client, Filter_Cursor_T* cursor) const {
    for (const Step& step : steps) {
        std::vector<FilterTokenCall> calls;
        if (step.criterion)
            calls = criterionTokens(*step.criterion);
        else
            calls = {{step.connector, nullptr, 0}};
        for (const FilterTokenCall& call : calls) {
            if (auto rc = client.NWDSAddFilterToken(cursor, call.token, call.value, call.syntaxId);
                rc != 0)
                return rc;
        }
    }
    return client.NWDSAddFilterToken(cursor, FTOK_END, nullptr, 0);
}

std::string SubmittedSearch::description() const {
    std::string out = base + ", subtree:";
    for (const Step& step : steps)
        out += " " + step.text;
    return out;
}

void CQueryPage::rememberSubmittedSearch(SubmittedSearch search) {
    submitted_ = std::make_shared<const SubmittedSearch>(std::move(search));
    exportResultsButton_->setEnabled(true);
}

void CQueryPage::exportResults() {
    if (!submitted_)
        return;
    ldifexport::Selection selection;
    selection.base = submitted_->base;
    selection.scope = DS_SEARCH_SUBTREE;
    selection.filter = [search = submitted_](DirectoryClient& client, Filter_Cursor_T* cursor) {
        return search->putTokens(client, cursor);
    };
    CLdifExportDlg dialog(*this, selection, QString::fromStdString(submitted_->description()),
                          this);
    dialog.exec();
}
