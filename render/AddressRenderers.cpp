#include "RenderContext.h"
#include "ValueList.h"
#include "directory/Records.h"

#include <QTreeWidget>
#include <algorithm>
#include <cstddef>
#include <span>

// Syntaxes 12 and 16: network addresses, alone or as the hints of a replica pointer.
namespace {

constexpr std::size_t kShownAddressBytes = 10; // network number (4) and node (6)
constexpr int kFirstReplicaAddressColumn = 4;

// "NNNNNNNN:HHHHHHHHHHHH" of the first ten bytes; an address with fewer bytes shows
// only those it has.
std::string addressBytesText(std::span<const std::uint8_t> address) {
    std::string text;
    const std::size_t shown = std::min(address.size(), kShownAddressBytes);
    for (std::size_t i = 0; i < shown; ++i) {
        if (i == 4)
            text += ':';
        text += cellText("%02X", address[i]);
    }
    return text;
}

// The bytes of the network-address record at `offset` inside the value record.
std::span<const std::uint8_t> addressAt(const RecordView& record, std::size_t offset) {
    const std::uint32_t length = record.u32(offset + offsetof(Net_Address_T, addressLength));
    return record.bytesAt(offset + offsetof(Net_Address_T, address), length);
}

} // namespace

void renderNetAddress(RenderContext& c) {
    c.column("Address Type", 85);
    c.column("Address Length", 140);
    c.column("Address", 272);
    c.row(cellText("%lu",
                   static_cast<unsigned long>(c.record.u32(offsetof(Net_Address_T, addressType)))));
    c.cell(1, cellText("%lu", static_cast<unsigned long>(
                                  c.record.u32(offsetof(Net_Address_T, addressLength)))));
    c.cell(2, addressBytesText(addressAt(c.record, 0)));
}

void renderReplicaPointer(RenderContext& c) {
    c.column("Server Name", 150);
    c.column("Replica Type", 40);
    c.column("Replica Number", 40);
    c.column("Count", 40);
    c.column("Address", 227);

    const std::uint32_t count = c.record.u32(offsetof(Replica_Pointer_T, count));
    c.row(cellText(c.record.textAt(offsetof(Replica_Pointer_T, serverName))));
    c.cell(1, cellText("%lu", static_cast<unsigned long>(
                                  c.record.u32(offsetof(Replica_Pointer_T, replicaType)))));
    c.cell(2, cellText("%u", static_cast<unsigned>(
                                 c.record.u32(offsetof(Replica_Pointer_T, replicaNumber)))));
    c.cell(3, cellText("%lu", static_cast<unsigned long>(count)));

    // Only the address records that lie inside the value record are read.
    const std::size_t firstAddress = offsetof(Replica_Pointer_T, replicaAddressHint);
    const std::size_t room = c.record.size() > firstAddress ? c.record.size() - firstAddress : 0;
    const std::size_t present = std::min<std::size_t>(count, room / sizeof(Net_Address_T));

    // The list grows to as many address columns as the value with the most addresses.
    QTreeWidget& list = c.target.valueList;
    const int addressColumns = list.columnCount() - kFirstReplicaAddressColumn;
    for (int extra = static_cast<int>(present) - addressColumns; extra > 0; --extra)
        appendColumn(list, QStringLiteral("Address"), 227);

    for (std::size_t i = 0; i < present; ++i) {
        const std::size_t offset = firstAddress + i * sizeof(Net_Address_T);
        const std::uint32_t type = c.record.u32(offset + offsetof(Net_Address_T, addressType));
        c.cell(kFirstReplicaAddressColumn + static_cast<int>(i),
               cellText("Type:%lu : %s", static_cast<unsigned long>(type),
                        addressBytesText(addressAt(c.record, offset)).c_str()));
    }
}
