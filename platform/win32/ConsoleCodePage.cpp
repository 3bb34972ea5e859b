#include "platform/win32/ConsoleCodePage.h"

#include "platform/Text.h"
#include "platform/win32/Handles.h"

namespace {

const DWORD kCodePage932 = 932;

// False when `key` has a CodePage value other than the DWORD 932.
bool CodePageValueIs932OrUnset(HKEY key) {
  DWORD type = 0, value = 0, size = sizeof value;
  const LONG result = RegQueryValueExW(key, L"CodePage", nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
  if (result == ERROR_FILE_NOT_FOUND) return true;
  return result == ERROR_SUCCESS && type == REG_DWORD && size == sizeof value && value == kCodePage932;
}

bool OemCodePageIs932(HKEY nls) {
  wchar_t value[16] = L"";
  DWORD type = 0, size = sizeof value - sizeof(wchar_t);  // room for a terminator the value may lack
  if (RegQueryValueExW(nls, L"OEMCP", nullptr, &type, reinterpret_cast<BYTE*>(value), &size) != ERROR_SUCCESS ||
      type != REG_SZ) {
    return false;
  }
  value[size / sizeof(wchar_t)] = L'\0';
  return lstrcmpW(value, L"932") == 0;
}

// The subkey's name with ASCII letters lowered, others kept as they are.
std::wstring LowerAscii(const wchar_t* name) {
  std::wstring lowered(name);
  for (wchar_t& c : lowered) c = text::FoldAscii(c);
  return lowered;
}

// A subkey the console of the script may take its settings from: one for the program it
// runs in ("%SystemRoot%_system32_cmd.exe", "%SystemRoot%_SysWOW64_cmd.exe", or a
// written-out path) or one for a window title that names the script.
bool MayApply(const wchar_t* subkey, const std::wstring& scriptName) {
  const std::wstring name = LowerAscii(subkey);
  const std::wstring cmd = L"_cmd.exe";
  const bool forCmd = name.size() >= cmd.size() && name.compare(name.size() - cmd.size(), cmd.size(), cmd) == 0;
  return forCmd || name.find(scriptName) != std::wstring::npos;
}

}  // namespace

bool ConsoleReadsCodePage932(HKEY nls, HKEY console, const std::string& scriptName) {
  if (nls == nullptr || !OemCodePageIs932(nls)) return false;
  if (console == nullptr) return true;
  if (!CodePageValueIs932OrUnset(console)) return false;

  std::wstring script;
  for (char c : scriptName) script += static_cast<wchar_t>(text::FoldAscii(c));  // an ASCII name
  // A key name is at most 255 characters.
  wchar_t name[256];
  for (DWORD index = 0;; ++index) {
    DWORD length = sizeof name / sizeof name[0];
    const LONG result = RegEnumKeyExW(console, index, name, &length, nullptr, nullptr, nullptr, nullptr);
    if (result == ERROR_NO_MORE_ITEMS) return true;
    if (result != ERROR_SUCCESS) return false;
    if (!MayApply(name, script)) continue;
    HKEY subkey = nullptr;
    if (RegOpenKeyExW(console, name, 0, KEY_QUERY_VALUE, &subkey) != ERROR_SUCCESS) return false;
    const ScopedRegKey owner(subkey);
    if (!CodePageValueIs932OrUnset(subkey)) return false;
  }
}

bool ConsoleReadsCodePage932(const std::string& scriptName) {
  HKEY nls = nullptr, console = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Control\\Nls\\CodePage", 0, KEY_QUERY_VALUE,
                    &nls) != ERROR_SUCCESS) {
    return false;
  }
  const ScopedRegKey nlsOwner(nls);
  // No Console key at all: the user has no console settings.
  const LONG opened =
      RegOpenKeyExW(HKEY_CURRENT_USER, L"Console", 0, KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS, &console);
  if (opened == ERROR_FILE_NOT_FOUND) return ConsoleReadsCodePage932(nls, nullptr, scriptName);
  if (opened != ERROR_SUCCESS) return false;
  const ScopedRegKey consoleOwner(console);
  return ConsoleReadsCodePage932(nls, console, scriptName);
}
