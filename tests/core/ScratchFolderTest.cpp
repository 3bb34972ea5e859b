// The scratch folder every test uses leaves nothing behind, even when a file dialog has
// made a folder inside it the process's current one (Windows removes no current folder;
// the Windows suites run this test under Wine).
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "tests/ScratchFolder.h"

TEST(ScratchFolder, IsRemovedWhenAFolderInsideItIsTheCurrentOne) {
  const std::filesystem::path before = std::filesystem::current_path();
  auto scratch = std::make_unique<ScratchFolder>();
  const std::filesystem::path inner = std::filesystem::path(*scratch / "inner");
  std::filesystem::create_directory(inner);
  ScratchFolder::Write(*scratch / "inner/file.txt", "x");
  std::filesystem::current_path(inner);
  const std::filesystem::path folder = std::filesystem::path(scratch->Path());
  scratch.reset();
  EXPECT_FALSE(std::filesystem::exists(folder));
  EXPECT_TRUE(std::filesystem::exists(std::filesystem::current_path()));
  std::filesystem::current_path(before);
}
