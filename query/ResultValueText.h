#pragma once

#include <QString>
#include <cstddef>
#include <cstdint>
#include <optional>

// The text a value item of the results shows for a value record of the given syntax: the
// text itself for the string syntaxes, "TRUE" or "FALSE" for a Boolean, the 32-bit number
// as an unsigned decimal for integers, counters and intervals. nullopt for any other syntax,
// which shows no value item.
std::optional<QString> resultValueText(std::uint32_t syntaxId, const void* record,
                                       std::size_t size);
