#pragma once

#include "Buffer.h"
#include "Wire.h"
#include "directory/Records.h"

#include <array>
#include <string>
#include <string_view>
#include <vector>

// Appends items to a reply buffer begun with BufferedClient::beginReply. Every add either
// writes a whole item or leaves the buffer as it was and returns false, so a reading
// operation fills a buffer with what fits and continues from there on its next pass.
class ReplyWriter {
public:
    explicit ReplyWriter(Buf_T& buffer);
    ~ReplyWriter() { finish(); }
    ReplyWriter(const ReplyWriter&) = delete;
    ReplyWriter& operator=(const ReplyWriter&) = delete;

    // Objects replies.
    bool addObject(std::string_view name, const Object_Info_T& info);

    // Attributes replies: an attribute, then its values while they fit. An attribute that
    // got no value in while the reply carries values is dropped with dropAttribute().
    bool beginAttribute(std::string_view name, std::uint32_t syntax);
    bool addValue(std::string_view wireValue);
    // The values from `next` on while they fit, `next` moving past each one written; false
    // when the reply filled up before the last. `values` is any list whose elements give a
    // value's wire form as a string view.
    template <class Values>
    bool addValues(std::uint32_t syntax, const Values& values, std::size_t& next) {
        for (; next < values.size(); ++next) {
            if (!addValueOf(syntax, values[next]))
                return false;
        }
        return true;
    }
    // One value of the syntax (a stream's carried by its length only).
    bool addValueOf(std::uint32_t syntax, std::string_view wireValue);
    void dropAttribute();
    std::uint32_t valuesInAttribute() const { return attrValues_; }

    bool addClassDef(std::string_view name, const Class_Info_T* info,
                     const std::array<std::vector<std::string>, 5>* lists);
    bool addAttrDef(std::string_view name, const Attr_Info_T* info);
    bool addSyntax(std::string_view name, std::uint32_t id, std::uint16_t flags);

    // Objects replies that carry attributes (a search): the object, then its attributes and
    // their values (addValue) while they fit. What did not fit is dropped again with the two
    // drops, so that the next pass can begin with it.
    bool beginObject(std::string_view name, const Object_Info_T& info);
    bool beginObjectAttribute(std::string_view name, std::uint32_t syntax);
    void dropObjectAttribute();
    void dropObject();
    std::uint32_t attributesInObject() const { return objectAttrs_; }

    std::uint32_t count() const { return count_; }
    // Writes the item count and the length into the buffer (also done on destruction).
    void finish();

private:
    void asn1(const Asn1_ID_T& id);
    // Whether what was written since `mark` fitted; if not, it is taken back.
    bool fits(std::size_t mark);
    bool commit(std::size_t mark);
    void objectHeader(std::string_view name, const Object_Info_T& info);
    void attributeHeader(std::string_view name, std::uint32_t syntax);

    Buf_T& b_;
    wire::Writer out_;
    std::uint32_t count_ = 0;
    std::size_t attrStart_ = 0;
    std::size_t attrValueCountAt_ = 0;
    std::uint32_t attrValues_ = 0;
    std::size_t objectStart_ = 0;
    std::size_t objectAttrCountAt_ = 0;
    std::uint32_t objectAttrs_ = 0;
};
