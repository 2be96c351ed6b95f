#pragma once
// Reading and comparing the two kinds of version text: a file version
// ("1.2.3.4") and a database version ("4v3v001r00").
#include <cstdint>
#include <string>

// Reads "%d.%d.%d.%d" the way the C runtime's formatted scan does: before each
// number blanks (space, tab, LF, VT, FF, CR) are skipped, then an optional sign
// and at least one decimal digit. The separators must follow the numbers
// directly (no blank before a separator). Text after the fourth number is
// ignored, and a NUL byte ends the text. A number too large for 32 bits keeps
// its low 32 bits, as the Windows runtime's %d does. True when all four numbers
// were read; out is only complete then.
bool ScanFileVersion(const std::string& text, int32_t out[4]);

// The same for "%dv%dv%dr%d" (lower-case letters only).
bool ScanDbVersion(const std::string& text, int32_t out[4]);

// Whether an offered file version is newer than the installed one. An empty
// installed text (no file, or no version resource) is older than any offer;
// otherwise both must read as four numbers, compared from the first.
bool IsNewerVersion(const std::string& offered, const std::string& installed);

// Whether a database version is the same as or later than the required one.
// False when either text does not read as four numbers.
bool IsDatabaseVersionAtLeast(const std::string& version, const std::string& required);
