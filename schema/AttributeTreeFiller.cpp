#include "AttributeTreeFiller.h"

#include "AttributeReads.h"
#include "ReportPolicies.h"
#include "SchemaImages.h"
#include "SchemaTables.h"
#include "pages/TreeItems.h"

#include <QTreeWidget>

namespace {
QString signedText(std::uint32_t bound) {
    return QString::number(static_cast<std::int32_t>(bound));
}
} // namespace

AttributeTreeFiller::AttributeTreeFiller(DirectoryPage& page, QTreeWidget* tree,
                                         const ImageList* images)
    : page_(page), tree_(tree), images_(images) {}

ReadOutcome AttributeTreeFiller::fill() {
    return WalkAttributeDefinitions(
        page_, SchemaReports::silent(),
        [this](const AttrDef& definition) { addAttribute(definition); });
}

void AttributeTreeFiller::addAttribute(const AttrDef& definition) {
    const Attr_Info_T& info = definition.info;
    QTreeWidgetItem* root = insertItemSorted(
        tree_, nullptr, QString::fromStdString(definition.name), SchemaImage::Attribute, images_);
    QTreeWidgetItem* flags = insertItemSorted(tree_, root, QStringLiteral("Attribute Flags"),
                                              SchemaImage::Flags, images_);
    QTreeWidgetItem* syntax = insertItemSorted(tree_, root, QStringLiteral("Attribute Syntax"),
                                               SchemaImage::Syntax, images_);
    insertItemSorted(tree_, syntax, QString::fromStdString(syntaxConstantName(info.attrSyntaxID)),
                     SchemaImage::Syntax, images_);

    for (const FlagText& flag : AttributeFlagLabels) {
        if (!(info.attrFlags & flag.bit))
            continue;
        QTreeWidgetItem* label = appendItem(
            tree_, flags, QString::fromUtf8(flag.text.data(), qsizetype(flag.text.size())),
            SchemaImage::Flag, images_);
        if (flag.bit != DS_SIZED_ATTR)
            continue;
        QTreeWidgetItem* upper = appendItem(tree_, label, QStringLiteral("Upper Bound"),
                                            SchemaImage::UpperBound, images_);
        setItemImage(upper, SchemaImage::UpperBound, SchemaImage::Flag, images_);
        appendItem(tree_, upper, signedText(info.attrUpper), SchemaImage::UpperBound, images_);
        QTreeWidgetItem* lower = appendItem(tree_, label, QStringLiteral("Lower Bound"),
                                            SchemaImage::LowerBound, images_);
        appendItem(tree_, lower, signedText(info.attrLower), SchemaImage::LowerBound, images_);
    }
}
