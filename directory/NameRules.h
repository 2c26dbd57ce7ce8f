#pragma once

#include <string>
#include <string_view>

// Typeless dotted names: leftmost component first, "[Root]" for the top of the tree.

// The text of a listed name up to its first ".".
std::string labelOf(std::string_view listedName);

// name, then "." and the context unless the context is exactly "[Root]".
std::string fullNameOf(std::string_view name, std::string_view context);

// The context one level up: the text after the first ".", or "[Root]".
std::string parentContextOf(std::string_view context);

bool isRootName(std::string_view name);
