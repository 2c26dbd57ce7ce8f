#include "ValueEntry.h"

#include "directory/TypedNumbers.h"
#include "render/CalendarText.h"

#include <cstring>

namespace {

constexpr std::size_t kStringRoom = 512;
constexpr std::size_t kFaxNumberRoom = 100;
constexpr std::size_t kAddressRoom = 100;
constexpr std::size_t kNameRoom = 256;
constexpr std::size_t kVolumeRoom = 33;
constexpr std::size_t kPathRoom = 259;
constexpr std::size_t kProtectedAttrRoom = 32;
constexpr std::size_t kNumberChars = 99;
constexpr const char* kEntryRights = "[Entry Rights]";

// Reads a field into `text`; appends `missing` when it is empty.
bool readField(const QString& field, std::size_t maxChars, std::string& text, QString& messages,
               const char* missing) {
    text = fieldText(field, maxChars);
    if (text.empty()) {
        messages += QLatin1String(missing);
        return false;
    }
    return true;
}

void copyText(char* to, const std::string& text) {
    std::memcpy(to, text.data(), text.size());
    to[text.size()] = '\0';
}

std::unique_ptr<CriterionValue> buildString(const PanelInput& in, QString& messages) {
    std::string text;
    if (!readField(in.entry1, kStringRoom - 1, text, messages, "Please provide a string value.\r"))
        return nullptr;
    auto value = std::make_unique<CriterionValue>(kStringRoom);
    copyText(value->textAt(0), text);
    return value;
}

std::unique_ptr<CriterionValue> buildNumber(const PanelInput& in, std::size_t maxChars,
                                            const char* missing, std::size_t size,
                                            QString& messages) {
    std::string text;
    if (!readField(in.entry1, maxChars, text, messages, missing))
        return nullptr;
    auto value = std::make_unique<CriterionValue>(size);
    const auto number = std::uint32_t(decimalValue(text));
    if (size == 1)
        value->as<std::uint8_t>() = std::uint8_t(number & 0xFFu);
    else
        value->as<std::uint32_t>() = number;
    return value;
}

std::unique_ptr<CriterionValue> buildFax(const PanelInput& in, QString& messages) {
    std::string number;
    if (!readField(in.entry1, kFaxNumberRoom - 1, number, messages,
                   "Please provide an Fax number.\r"))
        return nullptr;
    auto value = std::make_unique<CriterionValue>(sizeof(Fax_Number_T) + kFaxNumberRoom);
    auto& fax = value->as<Fax_Number_T>();
    fax.telephoneNumber = value->textAt(sizeof(Fax_Number_T));
    copyText(fax.telephoneNumber, number);
    fax.parameters.numOfBits = 0;
    fax.parameters.data = nullptr;
    return value;
}

std::unique_ptr<CriterionValue> buildNetAddress(const PanelInput& in, QString& messages) {
    auto value = std::make_unique<CriterionValue>(sizeof(Net_Address_T) + kAddressRoom);
    auto& address = value->as<Net_Address_T>();
    address.address = reinterpret_cast<std::uint8_t*>(value->textAt(sizeof(Net_Address_T)));
    bool ok = true;
    std::string length;
    if (!readField(in.entry2, kNumberChars, length, messages,
                   "Please provide the network address length.\r")) {
        ok = false;
    } else if (decimalValue(length) < 0) {
        // The record would claim bytes it does not hold.
        messages += QLatin1String("Please provide the network address length.\r");
        ok = false;
    }
    address.addressLength = std::uint32_t(decimalValue(length));
    std::string hex;
    ok = readField(in.entry1, kNumberChars, hex, messages,
                   "Please provide the address value in HEX.\r") &&
         ok;
    if (!hexBytes(hex, std::int32_t(address.addressLength), address.address)) {
        messages += QLatin1String("Conversion to HEX failed. Be sure to enter HEX value.\r");
        ok = false;
    }
    std::string type;
    ok = readField(in.entry3, kNumberChars, type, messages,
                   "Please provide the address type (0=IPX).\r") &&
         ok;
    address.addressType = std::uint32_t(decimalValue(type));
    if (!ok)
        return nullptr;
    return value;
}

std::unique_ptr<CriterionValue> buildEMail(const PanelInput& in, QString& messages) {
    std::string text;
    std::string type;
    bool ok =
        readField(in.entry2, kNameRoom - 1, text, messages, "Please provide an E-mail Address.\r");
    ok =
        readField(in.entry1, kNumberChars, type, messages, "Please provide E-mail type value.\r") &&
        ok;
    if (!ok)
        return nullptr;
    auto value = std::make_unique<CriterionValue>(sizeof(EMail_Address_T) + kNameRoom);
    auto& mail = value->as<EMail_Address_T>();
    mail.type = std::uint32_t(decimalValue(type));
    mail.address = value->textAt(sizeof(EMail_Address_T));
    copyText(mail.address, text);
    return value;
}

std::unique_ptr<CriterionValue> buildPath(const PanelInput& in, QString& messages) {
    std::string volume = in.entry1.toStdString();
    bool ok = true;
    if (volume.empty()) {
        messages += QLatin1String("Please provide the volume name.\r");
        ok = false;
    } else if (volume.size() > kVolumeRoom - 1) {
        // The record holds 32 characters for the volume name; a longer one is refused, not cut.
        messages += QLatin1String("Please provide a volume name of at most 32 characters.\r");
        ok = false;
    }
    std::string path;
    ok = readField(in.entry2, kNameRoom - 1, path, messages,
                   "Please provide the path on volume.\r") &&
         ok;
    std::string nameSpace;
    ok = readField(in.entry3, kNumberChars, nameSpace, messages,
                   "Please provide the Name Space type (0=DOS).\r") &&
         ok;
    if (!ok)
        return nullptr;
    auto value = std::make_unique<CriterionValue>(sizeof(Path_T) + kVolumeRoom + kPathRoom);
    auto& record = value->as<Path_T>();
    record.nameSpaceType = std::uint32_t(decimalValue(nameSpace));
    record.volumeName = value->textAt(sizeof(Path_T));
    record.path = value->textAt(sizeof(Path_T) + kVolumeRoom);
    copyText(record.volumeName, volume);
    copyText(record.path, path);
    return value;
}

std::unique_ptr<CriterionValue> buildAcl(const PanelInput& in, QString& messages) {
    std::string subject;
    std::string protectedAttr;
    bool ok = readField(in.entry1, kNameRoom - 1, subject, messages,
                        "Please provide a subject for ACL.\r");
    ok = readField(in.protectedAttr, kProtectedAttrRoom - 1, protectedAttr, messages,
                   "Please provide a protected attribute for ACL.\r") &&
         ok;
    if (!ok)
        return nullptr;
    auto value =
        std::make_unique<CriterionValue>(sizeof(Object_ACL_T) + kProtectedAttrRoom + kNameRoom);
    auto& acl = value->as<Object_ACL_T>();
    acl.protectedAttrName = value->textAt(sizeof(Object_ACL_T));
    acl.subjectName = value->textAt(sizeof(Object_ACL_T) + kProtectedAttrRoom);
    copyText(acl.protectedAttrName, protectedAttr);
    copyText(acl.subjectName, subject);
    // Only the set that matches the protected attribute counts: marks left in the other,
    // hidden set are never granted.
    acl.privileges =
        protectedAttr == kEntryRights ? in.entryRightsMarked : in.attributeRightsMarked;
    return value;
}

std::unique_ptr<CriterionValue> buildTypedName(const PanelInput& in, QString& messages) {
    std::string name;
    std::string level;
    std::string interval;
    bool ok =
        readField(in.entry1, kNameRoom - 1, name, messages, "Please provide an object name.\r");
    ok = readField(in.entry2, kNumberChars, level, messages, "Please provide the level value.\r") &&
         ok;
    ok = readField(in.entry3, kNumberChars, interval, messages,
                   "Please provide the interval value.\r") &&
         ok;
    if (!ok)
        return nullptr;
    auto value = std::make_unique<CriterionValue>(sizeof(Typed_Name_T) + kNameRoom);
    auto& typed = value->as<Typed_Name_T>();
    typed.objectName = value->textAt(sizeof(Typed_Name_T));
    copyText(typed.objectName, name);
    typed.level = std::uint32_t(decimalValue(level));
    typed.interval = std::uint32_t(decimalValue(interval));
    return value;
}

std::unique_ptr<CriterionValue> buildHold(const PanelInput& in, QString& messages) {
    std::string name;
    std::string amount;
    bool ok =
        readField(in.entry1, kNameRoom - 1, name, messages, "Please provide an object name.\r");
    ok =
        readField(in.entry2, kNumberChars, amount, messages, "Please provide the hold amount.\r") &&
        ok;
    if (!ok)
        return nullptr;
    auto value = std::make_unique<CriterionValue>(sizeof(Hold_T) + kNameRoom);
    auto& hold = value->as<Hold_T>();
    hold.objectName = value->textAt(sizeof(Hold_T));
    copyText(hold.objectName, name);
    hold.amount = std::uint32_t(decimalValue(amount));
    return value;
}

} // namespace

std::unique_ptr<CriterionValue> buildValue(ValueForm form, const QString& syntaxName,
                                           const PanelInput& input, QString& messages) {
    switch (form) {
    case ValueForm::String:
        return buildString(input, messages);
    case ValueForm::Boolean:
        return buildNumber(input, 19, "Please provide a boolean value.\r", 1, messages);
    case ValueForm::Integer:
        return buildNumber(input, 19, "Please provide an integer value.\r", 4, messages);
    case ValueForm::Time:
        return buildNumber(input, kNumberChars,
                           "Please time value in UTC (Num of seconds since Jan. 1, 1970).\r", 4,
                           messages);
    case ValueForm::FaxNumber:
        return buildFax(input, messages);
    case ValueForm::NetAddress:
        return buildNetAddress(input, messages);
    case ValueForm::EMailAddress:
        return buildEMail(input, messages);
    case ValueForm::Path:
        return buildPath(input, messages);
    case ValueForm::Acl:
        return buildAcl(input, messages);
    case ValueForm::TypedName:
        return buildTypedName(input, messages);
    case ValueForm::Hold:
        return buildHold(input, messages);
    case ValueForm::NotHandled:
        break;
    }
    messages += QStringLiteral(" Data type %1 not handled.").arg(syntaxName);
    return nullptr;
}

PanelContent setUpContent(ValueForm form) {
    using Second = PanelContent::Second;
    PanelContent c;
    c.entry1 = form != ValueForm::NotHandled;
    switch (form) {
    case ValueForm::String:
        c.prompt1 = QStringLiteral(" Enter String Value:");
        break;
    case ValueForm::Boolean:
        c.prompt1 = QStringLiteral(" Enter number: 1=TRUE, 0=FALSE");
        break;
    case ValueForm::Integer:
        c.prompt1 = QStringLiteral(" Enter Integer: ");
        break;
    case ValueForm::FaxNumber:
        c.prompt1 = QStringLiteral(" Enter String: Phone Number");
        break;
    case ValueForm::NetAddress:
        c.prompt1 = QStringLiteral(" Enter Hex Number: Address");
        c.prompt2 = QStringLiteral("Enter Integer: Address Length: ");
        c.second = Second::Entry2;
        c.prompt3 = QStringLiteral("Enter Integer: Address Type: ");
        break;
    case ValueForm::EMailAddress:
        c.prompt1 = QStringLiteral(" Enter Integer: E-mail Type");
        c.prompt2 = QStringLiteral("Enter String: E-mail Address");
        c.second = Second::Entry2;
        break;
    case ValueForm::Path:
        c.prompt1 = QStringLiteral("Enter String: DN of volume:  ");
        c.prompt2 = QStringLiteral("Enter String: Path on volume:");
        c.second = Second::Entry2;
        c.prompt3 = QStringLiteral("Enter Integer: Namespace ");
        break;
    case ValueForm::Acl:
        c.prompt1 = QStringLiteral(" Enter ACL Subject: DN");
        c.prompt2 = QStringLiteral("Select Protected Attribute:");
        c.second = Second::ProtectedAttr;
        break;
    case ValueForm::Time:
        c.prompt1 = QStringLiteral(" Enter Integer: In UTC");
        break;
    case ValueForm::TypedName:
        c.prompt1 = QStringLiteral(" Enter String: Object name");
        c.prompt2 = QStringLiteral("Enter Integer: Level ");
        c.second = Second::Entry2;
        c.prompt3 = QStringLiteral("Enter Integer: Interval ");
        break;
    case ValueForm::Hold:
        c.prompt1 = QStringLiteral(" Enter String: Object name");
        c.prompt2 = QStringLiteral("Enter Integer: Amount");
        c.second = Second::Entry2;
        break;
    case ValueForm::NotHandled:
        c.prompt1 = QStringLiteral(" Data type not handled.");
        break;
    }
    return c;
}

namespace {

// A "%04X" cell back to the decimal text the form takes; other text stays as it is.
QString decimalOfHexCell(const QString& cell) {
    bool ok = false;
    const unsigned value = cell.trimmed().toUInt(&ok, 16);
    return ok ? QString::number(value) : cell;
}

// Check marks from the rights column ("[BR] "): the letters of the set the protected
// attribute names; other characters are skipped.
void rightsFromCell(PanelContent& c, const QString& protectedAttr, const QString& rights) {
    if (rights.isEmpty())
        return;
    const bool entry = protectedAttr == QLatin1String(kEntryRights);
    c.rights = entry ? PanelContent::Rights::Entry : PanelContent::Rights::Attribute;
    // Letter: the entry right, the attribute right it marks (0: none).
    struct Letter {
        char letter;
        std::uint32_t entryRight;
        std::uint32_t attributeRight;
    };
    static constexpr Letter kLetters[] = {
        {'A', DS_ENTRY_ADD, DS_ATTR_SELF},
        {'B', DS_ENTRY_BROWSE, 0},
        {'C', 0, DS_ATTR_COMPARE},
        {'D', DS_ENTRY_DELETE, 0},
        {'R', DS_ENTRY_RENAME, DS_ATTR_READ},
        {'S', DS_ENTRY_SUPERVISOR, DS_ATTR_SUPERVISOR},
        {'W', 0, DS_ATTR_WRITE},
    };
    for (QChar ch : rights) {
        for (const Letter& l : kLetters) {
            if (ch == QLatin1Char(l.letter))
                c.marks |= entry ? l.entryRight : l.attributeRight;
        }
    }
}

} // namespace

PanelContent takenContent(ValueForm form, const QStringList& cells, bool partitionLayout) {
    const auto cell = [&](int i) { return cells.value(i); };
    PanelContent c = setUpContent(form);
    switch (form) {
    case ValueForm::String:
    case ValueForm::Integer:
    case ValueForm::FaxNumber:
        c.text1 = cell(0);
        break;
    case ValueForm::Boolean:
        c.text1 = cell(0) == QLatin1String("TRUE")    ? QStringLiteral("1")
                  : cell(0) == QLatin1String("FALSE") ? QStringLiteral("0")
                                                      : cell(0);
        break;
    case ValueForm::NetAddress:
        c.text1 = cell(2).remove(QLatin1Char(':'));
        c.text2 = cell(1);
        c.text3 = cell(0);
        break;
    case ValueForm::EMailAddress:
        c.text1 = cell(0);
        c.text2 = cell(1);
        break;
    case ValueForm::Path:
        c.prompt1 = QStringLiteral(" Enter String: DN of volume: ");
        c.text1 = cell(1);
        c.text2 = cell(2);
        c.text3 = cell(0);
        break;
    case ValueForm::Acl:
        c.text1 = cell(2);
        c.protectedText = cell(0);
        rightsFromCell(c, cell(0), cell(1));
        break;
    case ValueForm::Time:
        // The form takes the seconds count the calendar text was written from.
        if (const auto seconds = calendarSeconds(cell(0).toStdString()))
            c.text1 = QString::number(static_cast<std::int32_t>(*seconds));
        break;
    case ValueForm::TypedName:
        if (partitionLayout) { // level as "%d", interval as "%04X", an empty column, the name
            c.text1 = cell(3);
            c.text2 = cell(0).trimmed();
            c.text3 = decimalOfHexCell(cell(1));
        } else {
            c.text1 = cell(0);
            c.text2 = decimalOfHexCell(cell(1));
            c.text3 = decimalOfHexCell(cell(2));
        }
        break;
    case ValueForm::Hold:
        c.text1 = cell(0);
        c.text2 = cell(1);
        break;
    case ValueForm::NotHandled:
        break;
    }
    return c;
}
