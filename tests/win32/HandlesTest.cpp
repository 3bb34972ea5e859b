// The scoped holders whose effect a test can see.
#include "platform/win32/Handles.h"

#include <gtest/gtest.h>

TEST(ScopedComInit, OnlyAnInitialisationThatSucceededIsUndone) {
  const DWORD apartment = COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE;
  bool threadHadNoCom = false;
  {
    const ScopedComInit outer(apartment);
    ASSERT_TRUE(SUCCEEDED(outer.Result()));
    threadHadNoCom = outer.Result() == S_OK;
    {
      // The other apartment is refused: this holder must leave the thread's COM alone.
      const ScopedComInit refused(COINIT_MULTITHREADED);
      EXPECT_EQ(refused.Result(), RPC_E_CHANGED_MODE);
    }
    const ScopedComInit again(apartment);
    EXPECT_EQ(again.Result(), S_FALSE);  // still initialised
  }
  if (threadHadNoCom) {
    // Both successful initialisations were undone: the thread may now pick the other one.
    const HRESULT after = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    EXPECT_EQ(after, S_OK);
    if (SUCCEEDED(after)) CoUninitialize();
  }
}
