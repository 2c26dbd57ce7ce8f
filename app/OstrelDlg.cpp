#include "OstrelDlg.h"

#include "AboutDlg.h"
#include "PageFactory.h"
#include "Strings.h"
#include "browser/BrowserPage.h"
#include "connections/ConnectionsDlg.h"
#include "pages/DialogUnits.h"
#include "pages/WaitCursor.h"

#include <QContextMenuEvent>
#include <QFrame>
#include <QIcon>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QTabBar>

COstrelDlg::COstrelDlg(const PageServices& services, const QString& aboutText, QWidget* parent,
                       const ConnectionServices* connections)
    : QDialog(parent), services_(services), aboutText_(aboutText), connections_(connections) {
    setObjectName(QStringLiteral("mainWindow"));
    setWindowTitle(QStringLiteral("Ostrel"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/ostrel.png")));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setFixedSize(dialogUnitsToPixels(font(), 352, 279));
}

int COstrelDlg::runModal() {
    initDialog();
    return exec();
}

COstrelDlg::~COstrelDlg() {
    for (Page which : {SchemaViewer, Browser, Query, SchemaManager, ObjectManager, ObjectEditor}) {
        delete pages_[which];
        pages_[which] = nullptr;
    }
}

void COstrelDlg::initDialog() {
    // The platform gives no access to the window's system menu, so its About item lives
    // in the window's own context menu (right click, the menu key or Shift+F10).
    windowMenu_ = new QMenu(this);
    windowMenu_->setObjectName(QStringLiteral("windowMenu"));
    windowMenu_->setAccessibleName(QStringLiteral("Window menu"));
    if (connections_) {
        QAction* manage = windowMenu_->addAction(QString::fromLatin1(ConnectionsMenuText));
        manage->setObjectName(QStringLiteral("connectionsAction"));
        connect(manage, &QAction::triggered, this, &COstrelDlg::showConnections);
    }
    if (!aboutText_.isEmpty()) {
        windowMenu_->addSeparator();
        QAction* about = windowMenu_->addAction(aboutText_);
        about->setObjectName(QStringLiteral("aboutAction"));
        about->setData(AboutCommand);
        connect(about, &QAction::triggered, this, &COstrelDlg::showAbout);
    }

    buildTabs();
    if (!pages_[Browser]) {
        pages_[Browser] = createPage(Browser);
        pages_[Browser]->show();
    }
    offerConnections();
}

void COstrelDlg::offerConnections() {
    auto* browser = qobject_cast<CBrowserPage*>(pages_[Browser]);
    if (!connections_ || !browser)
        return;
    browser->connectionsButton()->show();
    connect(browser->connectionsButton(), &QPushButton::clicked, this,
            &COstrelDlg::showConnections);
}

void COstrelDlg::showConnections() {
    if (!connections_)
        return;
    ConnectionsDlg dialog(*connections_, services_.reporter, this);
    if (dialog.exec() != QDialog::Accepted || !dialog.changedConnections())
        return;
    // The client holds its trees from its start: the program opens it again, with the pages,
    // on what is saved now. The environment's settings, while set, decide instead.
    if (connections_->environmentSettings.isEmpty()) {
        reopenRequested_ = true;
        accept();
    }
}

void COstrelDlg::buildTabs() {
    pageArea_ = new QFrame(this);
    pageArea_->setObjectName(QStringLiteral("pageArea"));
    pageArea_->setFrameShape(QFrame::StyledPanel);
    pageArea_->setGeometry(dialogUnitsToPixels(font(), 2, 13, 348, 265));

    tabs_ = new QTabBar(this);
    tabs_->setObjectName(QStringLiteral("pageTabs"));
    tabs_->setAccessibleName(QStringLiteral("Pages"));
    tabs_->setDrawBase(false);
    tabs_->setExpanding(false);
    tabs_->setUsesScrollButtons(false);
    // Six captions must fit the fixed width, as they do on the tab strip the layout was
    // drawn for.
    QFont tabFont = tabs_->font();
    tabFont.setPointSizeF(tabFont.pointSizeF() * 0.9);
    tabs_->setFont(tabFont);
    for (const char* caption : TabCaptions)
        tabs_->addTab(QString::fromLatin1(caption));
    tabs_->setCurrentIndex(0);
    tabs_->setGeometry(dialogUnitsToPixels(font(), 2, 1, 348, 13));

    // The strip reports a click of any mouse button; only the primary button switches.
    tabs_->installEventFilter(this);
    connect(tabs_, &QTabBar::tabBarClicked, this, [this](int index) {
        if (pressedButton_ == Qt::LeftButton)
            switchPage(index);
    });
    // Keyboard changes of the tab switch too. A click on another tab changes the current
    // tab first, so each click runs one switch.
    connect(tabs_, &QTabBar::currentChanged, this, &COstrelDlg::switchPage);
}

void COstrelDlg::contextMenuEvent(QContextMenuEvent* event) {
    if (!windowMenu_->isEmpty())
        windowMenu_->exec(event->globalPos());
}

bool COstrelDlg::eventFilter(QObject* watched, QEvent* event) {
    if (watched == tabs_ && event->type() == QEvent::MouseButtonPress)
        pressedButton_ = static_cast<QMouseEvent*>(event)->button();
    return QDialog::eventFilter(watched, event);
}

void COstrelDlg::showAbout() {
    CAboutDlg about(this);
    about.exec();
}

void COstrelDlg::switchPage(int index) {
    if (index < 0 || index >= PageCount)
        return;
    if (tabs_->currentIndex() != index) {
        tabs_->setCurrentIndex(index); // the switch runs once, through currentChanged
        return;
    }
    WaitCursor wait;
    switch (index) {
    case Browser:
        showBrowser();
        break;
    case SchemaViewer:
        showSchemaViewer();
        break;
    case SchemaManager:
        showSchemaManager();
        break;
    case Query:
        showQuery();
        break;
    case ObjectManager:
        showObjectManager();
        break;
    case ObjectEditor:
        showObjectEditor();
        break;
    }
}

void COstrelDlg::showBrowser() {
    bool refreshed = false;
    for (Page changer : {ObjectEditor, ObjectManager}) {
        if (PageFrame* page = pages_[changer]) {
            page->hide();
            if (page->changed() && pages_[Browser]) {
                pages_[Browser]->refresh();
                page->clearChanged();
                refreshed = true;
            }
        }
    }
    if (browserRefreshPending_ && pages_[Browser]) {
        if (!refreshed)
            pages_[Browser]->refresh();
        browserRefreshPending_ = false;
    }
    hidePage(SchemaViewer);
    hidePage(SchemaManager);
    hidePage(Query);
    if (!pages_[Browser])
        pages_[Browser] = createPage(Browser);
    else if (isShown(Browser))
        return;
    showPage(Browser);
}

void COstrelDlg::showSchemaViewer() {
    hidePage(ObjectEditor);
    hidePage(ObjectManager);
    hidePage(Browser);
    if (PageFrame* manager = pages_[SchemaManager]) {
        if (manager->changed() && pages_[SchemaViewer]) {
            pages_[SchemaViewer]->refresh();
            manager->clearChanged();
            viewerRefreshPending_ = false;
        }
        manager->hide();
    }
    hidePage(Query);
    if (!pages_[SchemaViewer] || pages_[SchemaViewer]->treeName() != browserTree()) {
        destroyPage(SchemaViewer);
        // A new viewer reads the schema as it is now: no change is left for it to show.
        viewerRefreshPending_ = false;
        if (PageFrame* manager = pages_[SchemaManager])
            manager->clearChanged();
        pages_[SchemaViewer] = createPage(SchemaViewer);
    } else {
        if (viewerRefreshPending_) {
            pages_[SchemaViewer]->refresh();
            viewerRefreshPending_ = false;
        }
        if (isShown(SchemaViewer))
            return;
    }
    showPage(SchemaViewer);
}

void COstrelDlg::showSchemaManager() {
    for (Page other : {ObjectEditor, ObjectManager, Browser, SchemaViewer, Query})
        hidePage(other);
    if (!pages_[SchemaManager] || pages_[SchemaManager]->treeName() != browserTree()) {
        destroyPage(SchemaManager);
        pages_[SchemaManager] = createPage(SchemaManager);
    } else if (isShown(SchemaManager)) {
        return;
    }
    showPage(SchemaManager);
}

void COstrelDlg::showQuery() {
    for (Page other : {ObjectEditor, ObjectManager, SchemaViewer, SchemaManager, Browser})
        hidePage(other);
    if (pages_[Query] && isShown(Query))
        return;
    destroyPage(Query);
    pages_[Query] = createPage(Query);
    showPage(Query);
}

void COstrelDlg::showObjectManager() {
    for (Page other : {ObjectEditor, SchemaViewer, SchemaManager, Browser, Query})
        hidePage(other);
    if (pages_[ObjectManager] && isShown(ObjectManager))
        return;
    destroyPage(ObjectManager);
    pages_[ObjectManager] = createPage(ObjectManager);
    showPage(ObjectManager);
}

void COstrelDlg::showObjectEditor() {
    for (Page other : {ObjectManager, SchemaViewer, SchemaManager, Browser, Query})
        hidePage(other);
    if (pages_[ObjectEditor] && isShown(ObjectEditor))
        return;
    destroyPage(ObjectEditor);
    pages_[ObjectEditor] = createPage(ObjectEditor);
    showPage(ObjectEditor);
}

PageFrame* COstrelDlg::createPage(Page which) {
    PageFrame* page = makePage(which, services_, this);
    page->setGeometry(dialogUnitsToPixels(font(), 4, 15, 344, 261));
    page->create(which == Browser ? std::string() : browserTree());
    return page;
}

void COstrelDlg::hidePage(Page which) {
    if (pages_[which])
        pages_[which]->hide();
}

bool COstrelDlg::isShown(Page which) const {
    return pages_[which] && !pages_[which]->isHidden();
}

void COstrelDlg::destroyPage(Page which) {
    PageFrame* page = pages_[which];
    if (!page)
        return;
    if (page->changed()) {
        if (which == SchemaManager)
            viewerRefreshPending_ = true;
        else if (which == ObjectManager || which == ObjectEditor)
            browserRefreshPending_ = true;
    }
    delete page;
    pages_[which] = nullptr;
}

void COstrelDlg::showPage(Page which) {
    pages_[which]->show();
    update();
}

std::string COstrelDlg::browserTree() const {
    return pages_[Browser] ? pages_[Browser]->treeName() : std::string();
}
