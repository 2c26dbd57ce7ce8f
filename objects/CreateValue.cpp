#include "CreateValue.h"

#include "directory/Codes.h"
#include "directory/TypedNumbers.h"

bool CreateValue::make(std::uint32_t syntax, const std::string& text) {
    switch (syntax) {
    case SYN_DIST_NAME:
    case SYN_CE_STRING:
    case SYN_CI_STRING:
    case SYN_PR_STRING:
    case SYN_NU_STRING:
    case SYN_TEL_NUMBER:
    case SYN_CLASS_NAME:
        kind_ = Kind::Text;
        text_ = text;
        return true;
    case SYN_BOOLEAN:
        // The directory's Boolean is one byte; a wider number would be read past its end.
        kind_ = Kind::Flag;
        flag_ = static_cast<std::uint8_t>(static_cast<std::uint32_t>(decimalValue(text)) & 0xFFu);
        return true;
    case SYN_INTEGER:
    case SYN_COUNTER:
    case SYN_INTERVAL:
        kind_ = Kind::Number;
        number_ = decimalValue(text);
        return true;
    default:
        kind_ = Kind::None;
        return false;
    }
}

const void* CreateValue::data() const {
    switch (kind_) {
    case Kind::Text:
        return text_.c_str();
    case Kind::Number:
        return &number_;
    case Kind::Flag:
        return &flag_;
    case Kind::None:
        break;
    }
    return nullptr;
}
