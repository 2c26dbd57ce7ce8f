#include "ReadAttributeValues.h"

#include "ValueList.h"
#include "ValueRenderer.h"
#include "directory/ClientBuffer.h"
#include "directory/DirectoryPage.h"
#include "directory/NameRules.h"
#include "directory/ServerReason.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <QTreeWidget>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

struct FreeRecord {
    void operator()(void* record) const { std::free(record); }
};
using ValueMemory = std::unique_ptr<void, FreeRecord>;

class AttributeValueRead {
public:
    AttributeValueRead(DirectoryPage& page, ValueSurfaces& surfaces, std::string& objectName)
        : page_(page), client_(page.client()), context_(page.context()), surfaces_(surfaces),
          objectName_(objectName) {
        output_.reserve(kOutputReserve);
    }

    // Steps from the allocation of the request buffer to the last read; false when a
    // step failed (it has been reported). Both buffers go when this returns.
    bool run(const std::string& attrName);

private:
    static constexpr std::size_t kOutputReserve = 4096;

    bool readResult(Buf_T* result);
    bool readAttribute(Buf_T* result);
    bool readValue(Buf_T* result, std::uint32_t syntaxID, const std::string& attrName);
    void prepareSurfaces(std::uint32_t syntaxID);
    void showOutputText();
    bool browserSurfaces() const { return surfaces_.textPanel != nullptr; }

    DirectoryPage& page_;
    DirectoryClient& client_;
    NWDSContextHandle context_;
    ValueSurfaces& surfaces_;
    std::string& objectName_; // the label, then from the first read on the full name

    std::string output_;
    RenderState state_;
    // The attribute whose values are on show, and the index of its next value: a read
    // whose values come over several result buffers gathers them all.
    std::string shownAttr_;
    bool shownAny_ = false;
    int valueIndex_ = 0;
};

bool AttributeValueRead::run(const std::string& attrName) {
    ClientBuffer request(client_);
    ClientBuffer result(client_);
    NWDSCCODE code = request.allocate();
    if (code < 0) {
        page_.report("NWDSAllocBuf returned: %04X\n", code);
        return false;
    }
    code = client_.NWDSInitBuf(context_, DSV_READ, request.get());
    if (code < 0) {
        page_.report("NWDSInitBuf returned: %04X\n", code);
        return false;
    }
    code = client_.NWDSPutAttrName(context_, request.get(), attrName.c_str());
    if (code < 0) {
        page_.report("NWDSPutAttrName returned: %04X\n", code);
        return false;
    }
    code = result.allocate();
    if (code < 0) {
        page_.report("NWDSAllocBuf returned: %04X\n", code);
        return false;
    }

    objectName_ = fullNameOf(objectName_, page_.currentContext());
    std::int32_t iteration = NO_MORE_ITERATIONS;
    do {
        code = client_.NWDSRead(context_, objectName_.c_str(), DS_ATTRIBUTE_VALUES, false,
                                request.get(), &iteration, result.get());
        if (code < 0) {
            page_.report("\nNWDSRead returned: %04X%s\n", code, serverSaid(client_, code).c_str());
            return false;
        }
        if (!readResult(result.get()))
            return false;
        page_.refreshServerField();
    } while (iteration != NO_MORE_ITERATIONS);
    return true;
}

bool AttributeValueRead::readResult(Buf_T* result) {
    std::uint32_t attrCount = 0;
    const NWDSCCODE code = client_.NWDSGetAttrCount(context_, result, &attrCount);
    if (code < 0) {
        page_.report("\nNWDSGetAttrCount returned: %04X\n", code);
        return false;
    }
    for (std::uint32_t i = 0; i < attrCount; ++i)
        if (!readAttribute(result))
            return false;
    return true;
}

bool AttributeValueRead::readAttribute(Buf_T* result) {
    char name[MAX_DN_BYTES] = {};
    std::uint32_t valueCount = 0;
    std::uint32_t syntaxID = 0;
    const NWDSCCODE code =
        client_.NWDSGetAttrName(context_, result, name, sizeof name, &valueCount, &syntaxID);
    if (code < 0) {
        page_.report("\nNWDSGetAttrName returned: %04X\n", code);
        return false;
    }
    const std::string attrName(name, strnlen(name, sizeof name));
    if (!shownAny_ || attrName != shownAttr_) {
        prepareSurfaces(syntaxID);
        shownAttr_ = attrName;
        shownAny_ = true;
        valueIndex_ = 0;
    }
    for (std::uint32_t i = 0; i < valueCount; ++i)
        if (!readValue(result, syntaxID, attrName))
            return false;
    if (browserSurfaces())
        surfaces_.textPanel->selectAll(); // the next text inserted replaces this one
    return true;
}

bool AttributeValueRead::readValue(Buf_T* result, std::uint32_t syntaxID,
                                   const std::string& attrName) {
    std::uint32_t size = 0;
    NWDSCCODE code = client_.NWDSComputeAttrValSize(context_, result, syntaxID, &size);
    if (code < 0) {
        page_.report("NWDSComputeAttrValSize returned %04X", code);
        return false;
    }
    ValueMemory record(std::calloc(size == 0 ? 1 : size, 1));
    if (!record) {
        page_.report("Attempt to allocate memory for value failed!");
        return false;
    }
    code = client_.NWDSGetAttrVal(context_, result, syntaxID, record.get(), size);
    if (code < 0) {
        page_.report("\nNWDSGetAttrVal returned: %04X\n", code);
        return false;
    }
    Syntax_Info_T syntax{};
    code = client_.NWDSReadSyntaxDef(context_, syntaxID, &syntax);
    if (code < 0) {
        page_.report("\nNWDSReadSyntaxDef() returned: %04X\n", code);
        return false;
    }
    if (surfaces_.syntaxField != nullptr)
        surfaces_.syntaxField->setText(
            QString::fromUtf8(syntax.defStr, strnlen(syntax.defStr, sizeof syntax.defStr)));

    RenderTarget target{*surfaces_.valueList,
                        output_,
                        state_,
                        &page_,
                        objectName_,
                        browserSurfaces() ? StreamDisplay::Text : StreamDisplay::ColumnOnly};
    ValueRenderer({syntaxID, record.get(), size}, valueIndex_++, attrName, target);
    showOutputText();
    return true;
}

void AttributeValueRead::prepareSurfaces(std::uint32_t syntaxID) {
    QTreeWidget& list = *surfaces_.valueList;
    if (!browserSurfaces()) {
        deleteEveryColumn(list);
        list.clear();
        return;
    }
    QPlainTextEdit& panel = *surfaces_.textPanel;
    if (syntaxID != SYN_STREAM) {
        deleteEveryColumn(list);
        list.clear();
    }
    // A syntax the renderer does not decode leaves the list without columns; its
    // "Syntax Not Decoded" text is brought into view in the panel instead.
    const bool decoded = syntaxID >= SYN_DIST_NAME && syntaxID <= SYN_INTERVAL;
    if (syntaxID == SYN_STREAM || !decoded) {
        list.hide();
        panel.show();
    } else {
        panel.hide();
        list.show();
    }
    list.update();
    panel.update();
}

void AttributeValueRead::showOutputText() {
    if (!browserSurfaces())
        return;
    QPlainTextEdit& panel = *surfaces_.textPanel;
    QTextCursor cursor = panel.textCursor();
    cursor.insertText(QString::fromUtf8(output_));
    panel.setTextCursor(cursor);
    panel.viewport()->repaint();
}

} // namespace

void ReadAttributeValues(DirectoryPage& page, ValueSurfaces& surfaces, std::string& objectName,
                         const std::string& attrName) {
    if (surfaces.valueList == nullptr)
        return;
    AttributeValueRead read(page, surfaces, objectName);
    read.run(attrName);
}
