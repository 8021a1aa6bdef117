#pragma once

// How a failed platform call is told to the user: the system's own message for the error code, then
// the code itself, so that a vague or missing message still names the failure exactly.

#include <cstdint>
#include <string>

// "Access is denied. (os error 5)": FormatMessageW from the system table (inserts ignored), trimmed
// of white space at both ends, then " (os error N)". A code the system has no message for gives
// "(os error N)" alone.
std::string system_error_text(uint32_t code);
