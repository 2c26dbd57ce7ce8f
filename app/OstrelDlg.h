#pragma once

#include "pages/PageFrame.h"

#include <QDialog>
#include <QString>
#include <array>
#include <functional>

struct ConnectionServices;
class QMenu;
class QTabBar;
class QFrame;

// The main window: the tab strip and the six pages, which it creates, shows, hides,
// destroys and refreshes as the tabs are clicked.
class COstrelDlg : public QDialog {
    Q_OBJECT
public:
    enum Page { Browser, SchemaViewer, SchemaManager, Query, ObjectManager, ObjectEditor };
    static constexpr int PageCount = 6;

    // aboutText is the text of the About item; empty leaves the item out. With `connections`
    // the window menu and the browser offer the "Connections" dialog.
    COstrelDlg(const PageServices& services, const QString& aboutText, QWidget* parent = nullptr,
               const ConnectionServices* connections = nullptr);
    ~COstrelDlg() override;

    // Window initialisation: the About item, the tabs and the browser page.
    void initDialog();
    // Initialises the window and runs it modally.
    int runModal();

    PageFrame* page(Page which) const { return pages_[which]; }
    QTabBar* tabBar() const { return tabs_; }
    QMenu* windowMenu() const { return windowMenu_; }
    void switchPage(int index);

    // Whether the window closed because the saved connections changed, so that the program
    // opens its client again on them.
    bool reopenRequested() const { return reopenRequested_; }

public slots:
    void showAbout();
    void showConnections();

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildTabs();
    void offerConnections();

    void showBrowser();
    void showSchemaViewer();
    void showSchemaManager();
    void showQuery();
    void showObjectManager();
    void showObjectEditor();

    PageFrame* createPage(Page which);
    void hidePage(Page which);
    bool isShown(Page which) const;
    void destroyPage(Page which);
    void showPage(Page which);
    std::string browserTree() const;

    PageServices services_;
    QString aboutText_;
    const ConnectionServices* connections_ = nullptr;
    bool reopenRequested_ = false;
    QTabBar* tabs_ = nullptr;
    QFrame* pageArea_ = nullptr;
    QMenu* windowMenu_ = nullptr;
    std::array<PageFrame*, PageCount> pages_{};
    // A changed flag of a page destroyed before the flag was read, kept for the page it
    // would have refreshed.
    bool browserRefreshPending_ = false;
    bool viewerRefreshPending_ = false;
    // The button of the last press on the tab strip.
    Qt::MouseButton pressedButton_ = Qt::NoButton;
};
