#pragma once

#include "ImageList.h"
#include "directory/DirectoryPage.h"

#include <QList>
#include <QString>
#include <QWidget>
#include <string>

class QLabel;
class QLineEdit;
class QAbstractItemView;
class QListWidget;
class Reporter;

enum class PageKind { Browser, SchemaViewer, SchemaManager, Query, ObjectManager, ObjectEditor };

// What every page is handed by the main window: the one client and the one reporting path.
struct PageServices {
    DirectoryClient& client;
    Reporter& reporter;
};

// The frame every page shares: its own directory context from initialisation to
// destruction, the header fields, the class icons and the reporting function.
class PageFrame : public QWidget, public DirectoryPage {
    Q_OBJECT
public:
    PageFrame(PageKind kind, const PageServices& services, QWidget* parent);
    ~PageFrame() override; // releases the directory context

    // The page handshake. Pages other than the browser receive the browser's tree name.
    void create(const std::string& treeName = {});
    PageKind kind() const { return kind_; }
    const std::string& treeName() const { return treeName_; }
    const std::string& nameContext() const { return nameContext_; }
    bool changed() const { return changed_; }
    void clearChanged() { changed_ = false; }
    void setChanged() { changed_ = true; }
    virtual void refresh() {}

    // DirectoryPage
    DirectoryClient& client() override { return client_; }
    NWDSContextHandle context() const override { return context_; }
    std::string currentContext() const override { return nameContext_; }
    void report(const char* format, ...) override __attribute__((format(printf, 2, 3)));
    void showLiteralMessage(const std::string& text) override;
    void refreshServerField() override;

    const QString& messageString() const { return message_; }
    bool hasContext() const { return context_ != NO_CONTEXT; }
    const ImageList* imageList() const { return images_.isNull() ? nullptr : &images_; }

protected:
    // Step 1: the page's controls and layout.
    virtual void buildControls() = 0;
    // The trees (and the browser's container list) that get the class icons.
    virtual QList<QAbstractItemView*> imageListViews() { return {}; }
    virtual QListWidget* imageListList() { return nullptr; }
    // Step 8: the page's own filling; runs only when the context was set up.
    virtual void fillPage() = 0;
    // The page's "Server:" field, or null.
    virtual QLineEdit* serverField() { return nullptr; }

    // A label for a control: its buddy, and the name a screen reader announces for it
    // (item views do not take their name from a buddy label).
    QLabel* makeBuddyLabel(const QString& text, QWidget* control, QWidget* parent = nullptr);
    // A read-only single-line field with its label (the label is the field's buddy).
    QLineEdit* makeReadOnlyField(const QString& labelText, const QString& objectName,
                                 QLabel** label = nullptr);

    std::string nameContext_;
    std::string treeName_;
    bool changed_ = false;

private:
    void initialise();
    bool setUpContext();

    PageKind kind_;
    DirectoryClient& client_;
    Reporter& reporter_;
    NWDSContextHandle context_ = NO_CONTEXT;
    ImageList images_;
    QString message_;
};
