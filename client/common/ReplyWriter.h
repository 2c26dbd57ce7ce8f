#pragma once

#include "Buffer.h"
#include "Schema.h"
#include "Wire.h"
#include "directory/Records.h"

#include <array>
#include <cstdint>
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

    // ---- One pass over a read's or a found object's attributes ----
    // `attributeAt(i)` is the i-th attribute's definition, or nullptr for one to pass over
    // (gone since the read began); `addValues(i, def, next)` writes its values from `next` on,
    // moving `next` past each written, and is false when the reply filled up first.

    // An attributes reply from attribute `position` (value `valuePosition`) on: false when
    // it filled up. An attribute that got no value in is dropped again and goes on in the
    // next pass from the value reached.
    template <class AttributeAt, class AddValues>
    bool addAttributes(bool values, std::size_t count, std::size_t& position,
                       std::size_t& valuePosition, AttributeAt&& attributeAt,
                       AddValues&& addValues);
    // What fitted of a found object's attributes (after beginObject).
    enum class ObjectFit : std::uint8_t {
        Whole,    // every attribute
        NextPass, // the reply is full: the rest, or the whole object, goes into the next pass
        TooLarge, // the reply's first object, and not one attribute or value of it fits
    };
    // A found object's attributes from `attribute` (value `value`) on. An attribute that does
    // not fit whole goes into the next pass, unless it is the one this pass began with: then
    // its values go on from where this one stopped. Full inside an object that is not the
    // reply's first, the whole object goes into the next pass; the first keeps what fitted.
    template <class AttributeAt, class AddValues>
    ObjectFit addObjectAttributes(bool firstInReply, bool values, std::size_t count,
                                  std::size_t& attribute, std::size_t& value,
                                  AttributeAt&& attributeAt, AddValues&& addValues);

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

template <class AttributeAt, class AddValues>
bool ReplyWriter::addAttributes(bool values, std::size_t count, std::size_t& position,
                                std::size_t& valuePosition, AttributeAt&& attributeAt,
                                AddValues&& addValues) {
    for (; position < count; ++position) {
        const AttributeDefinition* def = attributeAt(position);
        if (def == nullptr) {
            valuePosition = 0;
            continue;
        }
        if (!beginAttribute(def->name, def->syntax))
            return false;
        if (!values)
            continue;
        if (!addValues(position, *def, valuePosition)) {
            if (valuesInAttribute() == 0)
                dropAttribute();
            return false;
        }
        valuePosition = 0;
    }
    return true;
}

template <class AttributeAt, class AddValues>
ReplyWriter::ObjectFit
ReplyWriter::addObjectAttributes(bool firstInReply, bool values, std::size_t count,
                                 std::size_t& attribute, std::size_t& value,
                                 AttributeAt&& attributeAt, AddValues&& addValues) {
    bool full = false;
    for (; attribute < count && !full; ++attribute) {
        const AttributeDefinition* def = attributeAt(attribute);
        if (def == nullptr) {
            value = 0;
            continue;
        }
        const std::size_t firstValue = value;
        if (!beginObjectAttribute(def->name, def->syntax)) {
            full = true;
            break;
        }
        if (!values)
            continue;
        if (addValues(attribute, *def, value)) {
            value = 0;
            continue;
        }
        full = true;
        if (valuesInAttribute() == 0 || attributesInObject() > 1) {
            dropObjectAttribute();
            value = firstValue;
        }
        break;
    }
    if (!full)
        return ObjectFit::Whole;
    if (!firstInReply) {
        dropObject();
        attribute = value = 0;
    } else if (attributesInObject() == 0) {
        return ObjectFit::TooLarge; // one value larger than the buffer
    }
    return ObjectFit::NextPass;
}
