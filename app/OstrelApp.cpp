#include "OstrelApp.h"

#include "OstrelDlg.h"
#include "directory/DirectoryClient.h"
#include "pages/Reporter.h"

COstrelApp::COstrelApp(DirectoryClient& client, Reporter& reporter, QString aboutText)
    : client_(client), reporter_(reporter), aboutText_(std::move(aboutText)) {}

int COstrelApp::run() {
    COstrelDlg dialog(PageServices{client_, reporter_}, aboutText_);
    const NWDSCCODE rc = client_.NWCallsInit(nullptr, nullptr);
    if (rc != 0) {
        reporter_.showMessage(
            nullptr,
            QString::asprintf("NWCallsInit() returned %04X... Cannot start.", unsigned(rc)));
        return 1;
    }
    dialog.runModal();
    return 0;
}
