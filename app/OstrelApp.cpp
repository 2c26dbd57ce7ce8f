#include "OstrelApp.h"

#include "OstrelDlg.h"
#include "Startup.h"
#include "directory/DirectoryClient.h"
#include "pages/Reporter.h"

COstrelApp::COstrelApp(DirectoryClient& client, Reporter& reporter, QString aboutText,
                       std::ostream& err, const ConnectionServices* connections)
    : client_(client), reporter_(reporter), aboutText_(std::move(aboutText)), err_(err),
      connections_(connections) {}

int COstrelApp::run() {
    COstrelDlg dialog(PageServices{client_, reporter_}, aboutText_, nullptr, connections_);
    const NWDSCCODE rc = client_.NWCallsInit(nullptr, nullptr);
    if (rc != 0) {
        return reportStartupFailure(
            reporter_, err_,
            QString::asprintf("NWCallsInit() returned %04X... Cannot start.", unsigned(rc)));
    }
    dialog.runModal();
    reopenRequested_ = dialog.reopenRequested();
    return 0;
}
