#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The rights string of an object access-control value: "[", the letters of the set bits
// among the low eight, "]". "[Entry Rights]" and "[SMS Rights]" have their own letters;
// every other protected attribute name carries attribute rights.
std::string RightsText(std::string_view protectedAttrName, std::uint32_t privileges);
