#include "PageFrame.h"

#include "Reporter.h"
#include "directory/FormatText.h"

#include <QAbstractItemView>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <cstdarg>

PageFrame::PageFrame(PageKind kind, const PageServices& services, QWidget* parent)
    : QWidget(parent), kind_(kind), client_(services.client), reporter_(services.reporter) {}

PageFrame::~PageFrame() {
    if (context_ != NO_CONTEXT)
        client_.NWDSFreeContext(context_);
}

void PageFrame::create(const std::string& treeName) {
    treeName_ = treeName;
    changed_ = false;
    initialise();
}

void PageFrame::initialise() {
    buildControls();
    // A screen reader names a widget without a name of its own by the group box around it, so
    // a group inside another would be announced by the outer one's title.
    for (QGroupBox* group : findChildren<QGroupBox*>()) {
        if (group->accessibleName().isEmpty())
            group->setAccessibleName(QString(group->title()).remove(QLatin1Char('&')));
    }

    if (kind_ != PageKind::SchemaManager) {
        images_ = ImageList::fromStrip(kind_ == PageKind::SchemaViewer ? SchemaIconStrip
                                                                       : ClassIconStrip);
        if (images_.isNull())
            report("Attempt to create image list failed!");
        const QSize iconSize(ImageList::ImageWidth, ImageList::ImageHeight);
        for (QAbstractItemView* tree : imageListViews())
            tree->setIconSize(iconSize);
        if (QListWidget* list = imageListList())
            list->setIconSize(iconSize);
    }

    if (setUpContext())
        fillPage();
}

bool PageFrame::setUpContext() {
    NWDSContextHandle context = NO_CONTEXT;
    NWDSCCODE rc = client_.NWDSCreateContextHandle(&context);
    if (rc != 0) {
        report("NWDSCreateContextHandle() returned %04X", unsigned(rc));
        return false;
    }
    context_ = context;

    std::uint32_t flags = 0;
    if (client_.NWDSGetContext(context_, DCK_FLAGS, &flags, sizeof flags) != 0)
        return false;
    std::uint32_t low = flags & 0xFFFFu;
    low = (low | DCV_TYPELESS_NAMES) & ~std::uint32_t(DCV_CANONICALIZE_NAMES);
    flags = (flags & 0xFFFF0000u) | low;
    if (client_.NWDSSetContext(context_, DCK_FLAGS, &flags) != 0)
        return false;

    char name[MAX_DN_BYTES] = {};
    rc = client_.NWDSGetContext(context_, DCK_NAME_CONTEXT, name, sizeof name);
    if (rc != 0)
        report("NWDSGetContext returned: %04X\n", unsigned(rc));
    else
        nameContext_ = name;

    if (kind_ == PageKind::SchemaManager) {
        rc = client_.NWDSSetContext(context_, DCK_NAME_CONTEXT, ROOT_NAME);
        if (rc != 0)
            report("NWDSGetContext returned: %04X\n", unsigned(rc));
    }

    if (kind_ == PageKind::Browser) {
        char tree[MAX_TREE_NAME_BYTES] = {};
        rc = client_.NWDSGetContext(context_, DCK_TREE_NAME, tree, sizeof tree);
        if (rc == 0)
            treeName_ = tree;
    } else {
        rc = client_.NWDSSetContext(context_, DCK_TREE_NAME, treeName_.c_str());
    }
    if (rc != 0)
        report("NWDSGetContext returned: %04X\n", unsigned(rc));
    return true;
}

void PageFrame::report(const char* format, ...) {
    va_list args;
    va_start(args, format);
    message_ = QString::fromStdString(formatTextV(format, args));
    va_end(args);
    reporter_.showMessage(this, message_);
}

void PageFrame::showLiteralMessage(const std::string& text) {
    reporter_.showMessage(this, QString::fromStdString(text));
}

void PageFrame::refreshServerField() {
    std::uint32_t connection = 0;
    NWDSCCODE rc =
        client_.NWDSGetContext(context_, DCK_LAST_CONNECTION, &connection, sizeof connection);
    if (rc != 0) {
        // Without a connection handle there is nothing to ask the server name of.
        report("NWDSGetContext returned: %04X\n", unsigned(rc));
        return;
    }
    char server[CONN_INFO_SERVER_NAME_BYTES] = {};
    rc = client_.NWCCGetConnInfo(connection, NWCC_INFO_SERVER_NAME, sizeof server, server);
    if (rc != 0) {
        report("NWCCGetConnInfo() returned: %04X\n", unsigned(rc));
        return;
    }
    server[sizeof server - 1] = '\0';
    if (QLineEdit* field = serverField())
        field->setText(QString::fromUtf8(server));
}

QLabel* PageFrame::makeBuddyLabel(const QString& text, QWidget* control, QWidget* parent) {
    auto* label = new QLabel(text, parent ? parent : this);
    if (!control->objectName().isEmpty())
        label->setObjectName(control->objectName() + QStringLiteral("Label"));
    label->setBuddy(control);
    control->setAccessibleName(text.trimmed());
    return label;
}

QLineEdit* PageFrame::makeReadOnlyField(const QString& labelText, const QString& objectName,
                                        QLabel** label) {
    auto* field = new QLineEdit(this);
    field->setObjectName(objectName);
    field->setReadOnly(true);
    QLabel* caption = makeBuddyLabel(labelText, field);
    if (label)
        *label = caption;
    return field;
}
