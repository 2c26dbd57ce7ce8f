#include "CreateValue.h"

#include "directory/SyntaxClasses.h"
#include "directory/TypedNumbers.h"

bool CreateValue::make(std::uint32_t syntax, const std::string& text) {
    if (isTextSyntax(syntax)) {
        kind_ = Kind::Text;
        text_ = text;
    } else if (syntax == SYN_BOOLEAN) {
        // The directory's Boolean is one byte; a wider number would be read past its end.
        kind_ = Kind::Flag;
        flag_ = static_cast<std::uint8_t>(static_cast<std::uint32_t>(decimalValue(text)) & 0xFFu);
    } else if (isIntegerSyntax(syntax)) {
        kind_ = Kind::Number;
        number_ = decimalValue(text);
    } else {
        kind_ = Kind::None;
    }
    return kind_ != Kind::None;
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
