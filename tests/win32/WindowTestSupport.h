// Everything the in-process window tests use, in one include: input with markers
// (support/Input.h), scripts of steps run in a dialog's loop (support/Steps.h), the
// system's dialogs (support/SystemDialogs.h) and screenshots (support/Screenshot.h).
// The definitions are in the wintest_support library.
#pragma once
// The system and library headers the tests have always had from here.
#include <windows.h>

#include <commdlg.h>
#include <dlgs.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "tests/win32/support/Input.h"
#include "tests/win32/support/Screenshot.h"
#include "tests/win32/support/Steps.h"
#include "tests/win32/support/SystemDialogs.h"
