#include "ModificationCriterion.h"

#include "directory/SyntaxClasses.h"

std::optional<std::uint32_t> operationCode(const QString& text) {
    for (const ModifyOperation& op : kModifyOperations) {
        if (text == QLatin1String(op.text))
            return op.code;
    }
    return std::nullopt;
}

ValueForm formOf(std::uint32_t syntaxID) {
    if (isTextSyntax(syntaxID))
        return ValueForm::String;
    if (isIntegerSyntax(syntaxID))
        return ValueForm::Integer;
    switch (syntaxID) {
    case SYN_BOOLEAN:
        return ValueForm::Boolean;
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
