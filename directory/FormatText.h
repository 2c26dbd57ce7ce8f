#pragma once

#include <cstdarg>
#include <string>

// printf-style formatting into a string of exactly the length the text needs.
std::string formatTextV(const char* format, va_list args);
std::string formatText(const char* format, ...) __attribute__((format(printf, 1, 2)));
