// Switching a test process to a locale that writes and reads numbers with a decimal comma.
#pragma once

#include <string>

// Switches the process to a locale that writes and reads numbers with a decimal comma, generating
// it under dir with localedef when the system has not got it compiled. True on success.
bool UseDecimalCommaLocale(const std::string& dir);
