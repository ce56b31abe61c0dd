// Private profile (INI) files, shaped after Win32.
//
// The file is read and written by this layer's own INI reader/writer
// (ini_file.h): section and key names compare case-insensitively (ASCII);
// the first of duplicate sections or keys counts; lines starting with ';'
// or '#' are comments; keys before the first section are not found. Values
// lose surrounding blanks and one pair of matching surrounding quotes.
//
// Writing one key keeps every other byte of the file: other sections, keys,
// comments, blank lines, unknown lines, line endings and order. The new
// file is written next to the old one and renamed over it, so a reader sees
// either the old or the new file, never a part; a symbolic link is followed
// and the file it names is replaced. A file that cannot be written (read-only
// file or folder) is left as it was and the call fails.
//
// Deviation: a name without a folder is resolved against the current
// directory (there is no Windows folder on this system). New lines are
// written with the file's own line ending ("\n" for a new file).
//
// All functions may be called from any thread; a process-wide lock
// serialises them, so writes from several threads do not lose each other's
// keys.
#pragma once

#include "koui/export.h"
#include "koui/platform/system.h"
#include "koui/platform/win32_constants.h"

namespace koui::win32 {

// Copies the value of `key` in `section` into `buffer` (size bytes), or
// `defaultValue` (trailing blanks removed; null means "") when the file,
// section or key is missing. Truncated values return size - 1. A null
// section lists all section names, a null key all key names of the section,
// each zero-terminated with an extra zero at the end (truncated lists
// return size - 2). Returns the number of bytes copied, without the
// terminator; 0 when size is 0 or buffer is null.
KOUI_API DWORD GetPrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR defaultValue, LPSTR buffer,
                                        DWORD size, LPCSTR fileName);
// The value as a non-negative decimal integer (leading digits; a leading
// '-' makes it negative), or `defaultValue` when absent.
KOUI_API UINT GetPrivateProfileIntA(LPCSTR section, LPCSTR key, int defaultValue, LPCSTR fileName);
// Sets `key` in `section` to `value`, adding the section at the end and the
// key after the section's last key when missing. A null value removes the
// key; a null key removes the whole section. Returns 0 on failure (null
// section or file name: ERROR_INVALID_PARAMETER; unwritable: the system's
// error as ERROR_ACCESS_DENIED or ERROR_FILE_NOT_FOUND).
KOUI_API BOOL WritePrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR value, LPCSTR fileName);

}  // namespace koui::win32
