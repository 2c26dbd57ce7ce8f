#pragma once

#include <algorithm>

// Indices into the Schema Viewer's icon strip.
namespace SchemaImage {
constexpr int Class = 0;
constexpr int SuperClassHierarchy = 1;
constexpr int Containment = 2;
constexpr int NamingAttributes = 3;
constexpr int MandatoryAttributes = 4;
constexpr int OptionalAttributes = 5;
constexpr int Flags = 6;
constexpr int DirectSuperClass = 7;
constexpr int LastSuperClassLevel = 17;
constexpr int Attribute = 18;
constexpr int Syntax = 19;
constexpr int Flag = 20;
constexpr int LowerBound = 21;
constexpr int UpperBound = 22;

// A super class found at walk level L, and an item inherited from the class read at
// level L. Deep chains keep the last super-class level image.
constexpr int superClassAt(int level) {
    return std::min(level + 7, LastSuperClassLevel);
}
constexpr int inheritedAt(int level) {
    return std::min(level + 6, LastSuperClassLevel);
}
} // namespace SchemaImage
