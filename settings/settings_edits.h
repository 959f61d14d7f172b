// Validated edits of single settings, as the property windows make them, and the help text of each
// setting. A setting is named by its display name in the key table ("window width", "refresh rate").
#pragma once

// Checks value against the setting's rule and stores it in g_settings: 0 when stored, 1 when refused
// (unknown or read-only setting, value out of range or not one of the setting's words, or a value
// whose UTF-8 form would not fit in 259 bytes with its terminator). A refused edit changes nothing.
int ApplyEdit(const wchar_t* name, const wchar_t* value);

// The setting's help text (it begins with one space); null for a null or unknown name.
const wchar_t* GetDescription(const wchar_t* name);
