// Which console settings make the script's console read another code page than 932,
// read from a scratch registry key standing in for HKLM's Nls\CodePage and HKCU\Console.
#include "platform/win32/ConsoleCodePage.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class ConsoleCodePage : public ::testing::Test {
protected:
  void SetUp() override {
    root_ = L"Software\\Kestova tests\\console " + std::to_wstring(GetCurrentProcessId());
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, (root_ + L"\\Nls").c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              &nls_, nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, (root_ + L"\\Console").c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &console_, nullptr),
              ERROR_SUCCESS);
  }
  void TearDown() override {
    RegCloseKey(nls_);
    RegCloseKey(console_);
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Kestova tests");
  }
  void SetOem(const wchar_t* codePage) {
    RegSetValueExW(nls_, L"OEMCP", 0, REG_SZ, reinterpret_cast<const BYTE*>(codePage),
                   static_cast<DWORD>((lstrlenW(codePage) + 1) * sizeof(wchar_t)));
  }
  // Sets CodePage in the Console key, or in its subkey `subkey`.
  void SetConsole(DWORD codePage, const wchar_t* subkey = nullptr) {
    HKEY key = console_;
    if (subkey != nullptr) {
      ASSERT_EQ(RegCreateKeyExW(console_, subkey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
                ERROR_SUCCESS);
    }
    RegSetValueExW(key, L"CodePage", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&codePage), sizeof codePage);
    if (subkey != nullptr) RegCloseKey(key);
  }
  bool Reads932() { return ConsoleReadsCodePage932(nls_, console_, "te4w45iti4r2mp"); }

  std::wstring root_;
  HKEY nls_ = nullptr;
  HKEY console_ = nullptr;
};

TEST_F(ConsoleCodePage, TheOemCodePageUnlessTheUsersConsoleSettingsNameAnother) {
  EXPECT_FALSE(Reads932()) << "no OEMCP value";
  SetOem(L"437");
  EXPECT_FALSE(Reads932());
  SetOem(L"932");
  EXPECT_TRUE(Reads932());
  EXPECT_TRUE(ConsoleReadsCodePage932(nls_, nullptr, "te4w45iti4r2mp")) << "no Console key";
  SetConsole(437);
  EXPECT_FALSE(Reads932());
  SetConsole(932);
  EXPECT_TRUE(Reads932());
}

TEST_F(ConsoleCodePage, SubkeysForCmdOrATitleNamingTheScriptCountOthersDoNot) {
  SetOem(L"932");
  SetConsole(437, L"%SystemRoot%_System32_WindowsPowerShell_v1.0_powershell.exe");
  SetConsole(850, L"Some other title");
  EXPECT_TRUE(Reads932());
  SetConsole(932, L"%SystemRoot%_system32_cmd.exe");
  EXPECT_TRUE(Reads932());
  SetConsole(65001, L"C:_Users_me_AppData_Local_Temp_TE4W45ITI4R2MP.bat");
  EXPECT_FALSE(Reads932());
  RegDeleteKeyW(console_, L"C:_Users_me_AppData_Local_Temp_TE4W45ITI4R2MP.bat");
  SetConsole(437, L"%SystemRoot%_SysWOW64_cmd.exe");
  EXPECT_FALSE(Reads932());
}

// On this machine: the Wine prefixes of the tests have no console code page of their
// own, so the answer is the OEM code page of the locale the prefix runs in.
TEST_F(ConsoleCodePage, ThisMachineFollowsItsOemCodePage) {
  HKEY nls = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Control\\Nls\\CodePage", 0,
                          KEY_QUERY_VALUE, &nls),
            ERROR_SUCCESS);
  wchar_t oem[16] = L"";
  DWORD size = sizeof oem - sizeof(wchar_t);
  RegQueryValueExW(nls, L"OEMCP", nullptr, nullptr, reinterpret_cast<BYTE*>(oem), &size);
  RegCloseKey(nls);
  EXPECT_EQ(ConsoleReadsCodePage932("te4w45iti4r2mp"), lstrcmpW(oem, L"932") == 0);
}

}  // namespace
