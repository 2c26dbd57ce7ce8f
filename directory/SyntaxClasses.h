#pragma once

#include "directory/Codes.h"

#include <cstdint>

// The syntaxes whose value is the text itself: names, the string syntaxes, telephone numbers
// and class names.
constexpr bool isTextSyntax(std::uint32_t syntax) {
    switch (syntax) {
    case SYN_DIST_NAME:
    case SYN_CE_STRING:
    case SYN_CI_STRING:
    case SYN_PR_STRING:
    case SYN_NU_STRING:
    case SYN_TEL_NUMBER:
    case SYN_CLASS_NAME:
        return true;
    default:
        return false;
    }
}

// The syntaxes whose value is a 32-bit number a user types in decimal.
constexpr bool isIntegerSyntax(std::uint32_t syntax) {
    return syntax == SYN_INTEGER || syntax == SYN_COUNTER || syntax == SYN_INTERVAL;
}
