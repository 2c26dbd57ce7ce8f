#include "ReplyWriter.h"

#include "ValueWire.h"

#include <cstring>

ReplyWriter::ReplyWriter(Buf_T& buffer)
    : b_(buffer), out_(buffer.data.data(), buffer.capacity, buffer.length) {}

bool ReplyWriter::fits(std::size_t mark) {
    if (out_.ok())
        return true;
    out_.rollback(mark);
    return false;
}

bool ReplyWriter::commit(std::size_t mark) {
    if (!fits(mark))
        return false;
    ++count_;
    return true;
}

void ReplyWriter::objectHeader(std::string_view name, const Object_Info_T& info) {
    out_.str(name);
    out_.u32(info.objectFlags);
    out_.u32(info.subordinateCount);
    out_.u32(info.modificationTime);
    out_.str(std::string_view(info.baseClass, strnlen(info.baseClass, sizeof info.baseClass)));
}

void ReplyWriter::attributeHeader(std::string_view name, std::uint32_t syntax) {
    attrStart_ = out_.used();
    out_.str(name);
    out_.u32(syntax);
    attrValueCountAt_ = out_.used();
    out_.u32(0);
    attrValues_ = 0;
}

bool ReplyWriter::addObject(std::string_view name, const Object_Info_T& info) {
    const std::size_t mark = out_.used();
    objectHeader(name, info);
    out_.u32(0);
    return commit(mark);
}

bool ReplyWriter::beginAttribute(std::string_view name, std::uint32_t syntax) {
    attributeHeader(name, syntax);
    return commit(attrStart_);
}

bool ReplyWriter::addValue(std::string_view wireValue) {
    const std::size_t mark = out_.used();
    out_.str(wireValue);
    if (!fits(mark))
        return false;
    out_.patchU32(attrValueCountAt_, ++attrValues_);
    return true;
}

bool ReplyWriter::addValueOf(std::uint32_t syntax, std::string_view wireValue) {
    return syntax == SYN_STREAM ? addValue(wire::u32Value(std::uint32_t(wireValue.size())))
                                : addValue(wireValue);
}

void ReplyWriter::dropAttribute() {
    out_.rollback(attrStart_);
    --count_;
    attrValues_ = 0;
}

bool ReplyWriter::beginObject(std::string_view name, const Object_Info_T& info) {
    objectStart_ = out_.used();
    objectHeader(name, info);
    objectAttrCountAt_ = out_.used();
    out_.u32(0);
    objectAttrs_ = 0;
    return commit(objectStart_);
}

bool ReplyWriter::beginObjectAttribute(std::string_view name, std::uint32_t syntax) {
    attributeHeader(name, syntax);
    if (!fits(attrStart_))
        return false;
    out_.patchU32(objectAttrCountAt_, ++objectAttrs_);
    return true;
}

void ReplyWriter::dropObjectAttribute() {
    out_.rollback(attrStart_);
    out_.patchU32(objectAttrCountAt_, --objectAttrs_);
    attrValues_ = 0;
}

void ReplyWriter::dropObject() {
    out_.rollback(objectStart_);
    --count_;
    objectAttrs_ = 0;
    attrValues_ = 0;
}

void ReplyWriter::asn1(const Asn1_ID_T& id) {
    out_.u32(id.length);
    out_.raw(id.data, sizeof id.data);
}

bool ReplyWriter::addClassDef(std::string_view name, const Class_Info_T* info,
                              const std::array<std::vector<std::string>, 5>* lists) {
    const std::size_t mark = out_.used();
    out_.str(name);
    if (info != nullptr && lists != nullptr) {
        out_.u32(info->classFlags);
        asn1(info->asn1ID);
        for (const auto& list : *lists) {
            out_.u32(std::uint32_t(list.size()));
            for (const auto& item : list)
                out_.str(item);
        }
    }
    return commit(mark);
}

bool ReplyWriter::addAttrDef(std::string_view name, const Attr_Info_T* info) {
    const std::size_t mark = out_.used();
    out_.str(name);
    if (info != nullptr) {
        out_.u32(info->attrFlags);
        out_.u32(info->attrSyntaxID);
        out_.u32(info->attrLower);
        out_.u32(info->attrUpper);
        asn1(info->asn1ID);
    }
    return commit(mark);
}

bool ReplyWriter::addSyntax(std::string_view name, std::uint32_t id, std::uint16_t flags) {
    const std::size_t mark = out_.used();
    out_.str(name);
    out_.u32(id);
    out_.u16(flags);
    return commit(mark);
}

void ReplyWriter::finish() {
    out_.patchU32(0, count_);
    b_.length = std::uint32_t(out_.used());
}
