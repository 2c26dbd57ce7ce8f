#include "ModificationCriterion.h"

std::optional<std::uint32_t> operationCode(const QString& text) {
    for (const ModifyOperation& op : kModifyOperations) {
        if (text == QLatin1String(op.text))
            return op.code;
    }
    return std::nullopt;
}

ValueForm formOf(std::uint32_t syntaxID) {
    switch (syntaxID) {
    case SYN_DIST_NAME:
    case SYN_CE_STRING:
    case SYN_CI_STRING:
    case SYN_PR_STRING:
    case SYN_NU_STRING:
    case SYN_TEL_NUMBER:
    case SYN_CLASS_NAME:
        return ValueForm::String;
    case SYN_BOOLEAN:
        return ValueForm::Boolean;
    case SYN_INTEGER:
    case SYN_COUNTER:
    case SYN_INTERVAL:
        return ValueForm::Integer;
    case SYN_FAX_NUMBER:
        return ValueForm::FaxNumber;
    case SYN_NET_ADDRESS:
        return ValueForm::NetAddress;
    case SYN_EMAIL_ADDRESS:
        return ValueForm::EMailAddress;
    case SYN_PATH:
        return ValueForm::Path;
    case SYN_OBJECT_ACL:
        return ValueForm::Acl;
    case SYN_TIME:
        return ValueForm::Time;
    case SYN_TYPED_NAME:
        return ValueForm::TypedName;
    case SYN_HOLD:
        return ValueForm::Hold;
    default:
        return ValueForm::NotHandled;
    }
}

std::uint32_t decimalConversion(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    std::uint32_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        value = value * 10u + std::uint32_t(text[i] - '0');
    return negative ? 0u - value : value;
}

namespace {
int hexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        c = char(c - 'a' + 'A');
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}
} // namespace

bool hexConversion(std::string_view text, std::int32_t count, std::uint8_t* out) {
    for (std::int32_t i = 0; i < count; ++i) {
        const std::size_t at = std::size_t(i) * 2;
        if (text.size() < at + 2)
            return false; // a text shorter than 2 x count fails at its end
        const int high = hexDigit(text[at]);
        const int low = hexDigit(text[at + 1]);
        if (high < 0 || low < 0)
            return false;
        out[i] = std::uint8_t(high * 16 + low);
    }
    return true;
}

std::string fieldText(const QString& text, std::size_t maxBytes) {
    std::string bytes = text.toStdString();
    if (bytes.size() <= maxBytes)
        return bytes;
    std::size_t cut = maxBytes;
    while (cut > 0 && (static_cast<unsigned char>(bytes[cut]) & 0xC0) == 0x80)
        --cut;
    bytes.resize(cut);
    return bytes;
}
