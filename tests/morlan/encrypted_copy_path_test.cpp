// Where encrypt-then-play mode writes the protected copy.
#include <gtest/gtest.h>

#include "encrypted_copy_path.h"

namespace {

using morlan::encryptedCopyPath;

TEST(EncryptedCopyName, InsertsBeforeTheExtension) {
  EXPECT_EQ(encryptedCopyPath("clip.mp4"), "clip_e.mp4");
  EXPECT_EQ(encryptedCopyPath("/videos/lesson 1.final.mp4"), "/videos/lesson 1.final_e.mp4");
}

TEST(EncryptedCopyName, LastDotInADirectoryNameIsTheOneUsed) {
  EXPECT_EQ(encryptedCopyPath("/a.b/clip"), "/a_e.b/clip");
}

TEST(EncryptedCopyName, PathWithoutDotGetsTheSuffixAtItsEnd) {
  EXPECT_EQ(encryptedCopyPath("/videos/clip"), "/videos/clip_e");
  EXPECT_EQ(encryptedCopyPath(""), "_e");
}

TEST(EncryptedCopyName, HiddenFileWithoutExtension) {
  EXPECT_EQ(encryptedCopyPath("/videos/.clip"), "/videos/_e.clip");
}

}  // namespace
