#include "ObjectEditorFixture.h"
#include "objects/ObjectManagerPage.h"
#include "tests/support/ObjectRows.h"

#include <QApplication>

namespace {

// The calls that may wait on a server, each noted when it is made without the wait cursor.
struct CursorWatch : FaultInjectingClient {
    using FaultInjectingClient::FaultInjectingClient;
    void note(const char* call) {
        const QCursor* cursor = QApplication::overrideCursor();
        if (cursor == nullptr || cursor->shape() != Qt::WaitCursor)
            withoutWaitCursor << call;
    }
    NWDSCCODE NWDSList(NWDSContextHandle c, const char* o, std::int32_t* it, Buf_T* b) override {
        note("NWDSList");
        return FaultInjectingClient::NWDSList(c, o, it, b);
    }
    NWDSCCODE NWDSRead(NWDSContextHandle c, const char* o, std::uint32_t t, bool all, Buf_T* n,
                       std::int32_t* it, Buf_T* b) override {
        note("NWDSRead");
        return FaultInjectingClient::NWDSRead(c, o, t, all, n, it, b);
    }
    NWDSCCODE NWDSReadObjectInfo(NWDSContextHandle c, const char* o, char* dn, std::size_t size,
                                 Object_Info_T* info) override {
        note("NWDSReadObjectInfo");
        return FaultInjectingClient::NWDSReadObjectInfo(c, o, dn, size, info);
    }
    NWDSCCODE NWDSReadClassDef(NWDSContextHandle c, std::uint32_t t, bool all, Buf_T* n,
                               std::int32_t* it, Buf_T* b) override {
        note("NWDSReadClassDef");
        return FaultInjectingClient::NWDSReadClassDef(c, t, all, n, it, b);
    }
    NWDSCCODE NWDSReadAttrDef(NWDSContextHandle c, std::uint32_t t, bool all, Buf_T* n,
                              std::int32_t* it, Buf_T* b) override {
        note("NWDSReadAttrDef");
        return FaultInjectingClient::NWDSReadAttrDef(c, t, all, n, it, b);
    }
    NWDSCCODE NWDSAddObject(NWDSContextHandle c, const char* o, std::int32_t* it, bool more,
                            Buf_T* b) override {
        note("NWDSAddObject");
        return FaultInjectingClient::NWDSAddObject(c, o, it, more, b);
    }
    NWDSCCODE NWDSRemoveObject(NWDSContextHandle c, const char* o) override {
        note("NWDSRemoveObject");
        return FaultInjectingClient::NWDSRemoveObject(c, o);
    }
    NWDSCCODE NWDSModifyRDN(NWDSContextHandle c, const char* o, const char* n, bool d) override {
        note("NWDSModifyRDN");
        return FaultInjectingClient::NWDSModifyRDN(c, o, n, d);
    }
    NWDSCCODE NWDSMoveObject(NWDSContextHandle c, const char* o, const char* p,
                             const char* n) override {
        note("NWDSMoveObject");
        return FaultInjectingClient::NWDSMoveObject(c, o, p, n);
    }
    NWDSCCODE NWDSModifyObject(NWDSContextHandle c, const char* o, std::int32_t* it, bool more,
                               Buf_T* b) override {
        note("NWDSModifyObject");
        return FaultInjectingClient::NWDSModifyObject(c, o, it, more, b);
    }
    QStringList withoutWaitCursor;
};

} // namespace

// Every handler of the two writing pages that asks the directory shows the wait cursor while
// it waits (a server may take up to the client's time limit), and takes it away afterwards.
class WaitCursorTest : public QObject {
    Q_OBJECT

    std::unique_ptr<EmbeddedDirectory> directory;
    std::unique_ptr<CursorWatch> watch;
    RecordingReporter reporter;

    template <class T> static T* control(QWidget& page, const char* name) {
        T* c = page.findChild<T*>(QString::fromLatin1(name));
        if (!c)
            qFatal("no control %s", name);
        return c;
    }
    void settled() {
        QCOMPARE(watch->withoutWaitCursor, QStringList{});
        QCOMPARE(QApplication::overrideCursor(), nullptr);
    }

private slots:
    void init() {
        directory = EmbeddedDirectory::openDemo();
        watch = std::make_unique<CursorWatch>(*directory);
        reporter.clear();
    }

    void theObjectManagerWaitsUnderTheWaitCursor() {
        CObjectManagerPage page(PageServices{*watch, reporter}, nullptr);
        page.create("ACME_TREE"); // created by the main window under its own wait cursor
        watch->withoutWaitCursor.clear();
        auto* classes = control<QComboBox>(page, "objectClassCombo");
        classes->setCurrentIndex(classes->findText("User"));
        control<QLineEdit>(page, "attributeValueField")->setText("Smith");
        control<QPushButton>(page, "addToCriteriaButton")->click();
        control<QLineEdit>(page, "objectNameField")->setText("Ann");
        control<QPushButton>(page, "createObjectButton")->click();
        auto* tree = control<QTreeView>(page, "objectTree");
        tree->setCurrentIndex(rows::topNamed(tree, "Ann").value(0));
        control<QLineEdit>(page, "newNameField")->setText("Anna");
        control<QPushButton>(page, "renameButton")->click();
        control<QLineEdit>(page, "moveNameField")->setText("Anna");
        control<QLineEdit>(page, "newContextField")->setText("Sales.Acme");
        control<QPushButton>(page, "moveButton")->click();
        control<QLineEdit>(page, "deleteNameField")->setText("Edit");
        control<QPushButton>(page, "deleteButton")->click();
        QCOMPARE(reporter.messages.size(), 4);
        QCOMPARE(reporter.messages.last(), QStringLiteral("Object Edit successfully deleted!"));
        settled();
    }

    void theObjectEditorWaitsUnderTheWaitCursor() {
        CObjectEditorPage page(PageServices{*watch, reporter}, nullptr);
        page.create("ACME_TREE");
        watch->withoutWaitCursor.clear();
        auto* tree = control<QTreeView>(page, "objectTree");
        QModelIndex admin;
        for (int i = 0; i < rows::topCount(tree); ++i)
            if (rows::text(rows::top(tree, i)) == "Admin")
                admin = rows::top(tree, i);
        QVERIFY(admin.isValid());
        QItemSelectionModel* selection = tree->selectionModel();
        selection->select(admin, QItemSelectionModel::Select); // reads its names
        selection->select(admin, QItemSelectionModel::Deselect);
        selection->select(tree->model()->index(0, 0, admin), QItemSelectionModel::Select);
        auto* attributes = control<QComboBox>(page, "attributeCombo");
        attributes->setCurrentIndex(attributes->findText("Title"));
        control<QLineEdit>(page, "entryField1")->setText("Chief");
        control<QComboBox>(page, "operationCombo")->setEditText("Add Value");
        control<QPushButton>(page, "addCriteriaButton")->click();
        control<QPushButton>(page, "modifyObjectButton")->click();
        QCOMPARE(reporter.messages, QStringList{"Object Admin.Acme was successfully modified!"});
        settled();
    }
};

QTEST_MAIN(WaitCursorTest)
#include "WaitCursorTest.moc"
