#pragma once

#include <string>
#include <string_view>
#include <vector>

// Typeless dotted names: leftmost component first, "." between components, "[Root]" for the
// top of the tree. Inside a component a "\" makes the next character part of the component;
// names are written with "\" before ".", "\", "=" and "+" and before a leading "[", so that
// a component never reads as a separator, a type tag, a naming-value join or "[Root]".
//
// An unescaped "+" inside a component joins the values of a multi-valued name ("Ann Lee+4711"
// for cn=Ann Lee+employeeNumber=4711). Unescaped, such a component keeps its values apart
// with kNameValueJoin, a byte no UTF-8 text holds, so that it never reads as one value with
// a "+" in it; escaping writes the byte as "+" again.
//
// A label is the name a page keeps for an object: its first component with the escapes
// taken out ("a.b" for the listed name "a\.b"). A full name is built from a label again, so
// what a page shows is what it reads. What it shows is labelText: the label itself, or for a
// multi-valued name its listed component ("R\+D+4711").
inline constexpr char kNameValueJoin = '\xFF';

// The text of a listed name up to its first unescaped ".", unescaped.
std::string labelOf(std::string_view listedName);
std::string labelText(std::string_view label);
bool isMultiValuedLabel(std::string_view label);

// The label written as a name component, then "." and the context unless the context is
// exactly "[Root]".
std::string fullNameOf(std::string_view label, std::string_view context);

// A name as the directory listed it (already escaped), then "." and the context unless the
// context is exactly "[Root]".
std::string fullNameOfListed(std::string_view listedName, std::string_view context);

// The context one level up: the text after the first unescaped ".", or "[Root]".
std::string parentContextOf(std::string_view context);

bool isRootName(std::string_view name);

// One component's text in escaped form, and back. unescapeNameComponent drops a dangling "\"
// and keeps "+" as it stands.
std::string escapeNameComponent(std::string_view text);
std::string unescapeNameComponent(std::string_view escaped);

// The escaped components of a dotted name, split at unescaped dots (escapes kept).
std::vector<std::string_view> splitEscapedName(std::string_view name);
