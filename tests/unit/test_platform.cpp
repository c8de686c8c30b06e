// Platform layer: file creation in missing directories, failed opens, clock.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/Clock.h"
#include "platform/Files.h"

namespace {

TEST(Files, WritesIntoNewDirectoriesAndReportsFailedOpens) {
  namespace fs = std::filesystem;
  const fs::path root = fs::temp_directory_path() / "celvane-platform-test";
  fs::remove_all(root);
  const std::string path = (root / "a" / "b" / "out.dat").string();
  EXPECT_FALSE(platform::OpenForWriting(path));
  ASSERT_TRUE(platform::EnsureParentDirectory(path));
  EXPECT_TRUE(platform::EnsureParentDirectory("no_directory.dat"));
  platform::OpenForWriting(path) << "first\n";
  platform::OpenForWriting(path) << "second\n";  // truncates
  std::ifstream in = platform::OpenForReading(path);
  std::string line, rest;
  ASSERT_TRUE(std::getline(in, line));
  EXPECT_EQ(line, "second");
  EXPECT_FALSE(std::getline(in, rest));
  EXPECT_FALSE(platform::OpenForReading((root / "missing.txt").string()));
  // A path whose parent is a file cannot get its directory.
  EXPECT_FALSE(platform::EnsureParentDirectory(path + "/x.dat"));
  fs::remove_all(root);
}

TEST(Clock, FixedThenSystemTime) {
  platform::FixClock({1, 2, 3, 4}, 1234567890);
  EXPECT_EQ(platform::Now().Hundredths(), 372304);
  EXPECT_EQ(platform::SecondsSinceEpoch(), 1234567890);
  platform::UseSystemClock();
  const platform::TimeOfDay t = platform::Now();
  EXPECT_TRUE(t.hours < 24 && t.minutes < 60 && t.hundredths >= 0 && t.hundredths < 100);
  EXPECT_GT(platform::SecondsSinceEpoch(), 1234567890);
}

}  // namespace
