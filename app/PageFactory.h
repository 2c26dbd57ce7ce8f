#pragma once

#include "OstrelDlg.h"

// Allocates the page object of a tab; the main window then creates its window.
PageFrame* makePage(COstrelDlg::Page which, const PageServices& services, QWidget* parent);
