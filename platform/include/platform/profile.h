// Private-profile (INI) files: the application's settings file and any other
// "[section] key=value" file, read and written like the Windows calls of the
// same names. Text is passed through as bytes (Shift-JIS stays Shift-JIS);
// section and key names compare without regard to ASCII letter case.
//
// Thread rules: any thread; every call reads (and a write rewrites) the whole
// file under one process-wide lock; writes go to a temporary file that is
// renamed into place, so a failure never leaves a half-written file. Not for
// device threads.
#pragma once
#include <cstdint>

namespace platform {

// Copies the value of `key` in `section` (surrounding blanks removed, and one
// pair of matching quotes) into `out`, or `default_value` (null: "") with
// trailing blanks removed when the key is absent. `key` null: every key of
// the section; `section` null: every section name; both as a list of
// zero-terminated names ending in an extra zero. Truncates to fit `size`
// (always terminated). Returns the characters copied, not counting the final
// zero (size - 1 when a value was truncated, size - 2 for a truncated list).
uint32_t GetPrivateProfileString(const char* section, const char* key, const char* default_value,
                                 char* out, uint32_t size, const char* file_name);

// The key's value read as a decimal integer (leading blanks and a sign
// allowed, reading stops at the first non-digit; no digits gives 0), or
// `default_value` when the key is absent.
uint32_t GetPrivateProfileInt(const char* section, const char* key, int default_value,
                              const char* file_name);

// Sets `key` in `section` to `value`, creating the file and the section as
// needed. `value` null deletes the key; `key` null deletes the whole section.
// Every other line of the file (comments, blank lines, order) is kept. false
// when `section` or `file_name` is null or the file cannot be written.
bool WritePrivateProfileString(const char* section, const char* key, const char* value,
                               const char* file_name);

}  // namespace platform
