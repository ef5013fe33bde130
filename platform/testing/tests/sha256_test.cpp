// The golden tests' SHA-256 against the standard's examples and against
// itself fed in pieces of every size around a block.
#include "lvxtest/sha256.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using lvxtest::Sha256;

TEST(Sha256, TheStandardsExamples)
{
  EXPECT_EQ(Sha256::Hex("", 0), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
  EXPECT_EQ(Sha256::Hex("abc", 3), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  const std::string two = "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"; // 56 bytes: padding spills
  EXPECT_EQ(Sha256::Hex(two.data(), two.size()), "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
  const std::string four =
      "abcdefghbcdefghicdefghijdefghijkefghijklfghijklmghijklmnhijklmnoijklmnopjklmnopqklmnopqrlmnopqrs"
      "mnopqrstnopqrstu";
  EXPECT_EQ(Sha256::Hex(four.data(), four.size()), "cf5b16a778af8380036ce59e7b0492370b249b11e8f07a51afac45037afee9d1");
  const std::string million(1000000, 'a');
  EXPECT_EQ(Sha256::Hex(million.data(), million.size()),
            "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
}

TEST(Sha256, PiecesOfAnySizeGiveTheDigestOfTheWhole)
{
  std::vector<uint8_t> bytes(300);
  for (size_t i = 0; i < bytes.size(); ++i)
    bytes[i] = static_cast<uint8_t>(i * 7 + 3);
  for (size_t total : {0, 1, 55, 56, 63, 64, 65, 119, 120, 128, 300}) {
    const std::string whole = Sha256::Hex(bytes.data(), total);
    for (size_t piece : {1, 3, 63, 64, 65}) {
      Sha256 hash;
      for (size_t at = 0; at < total; at += piece)
        hash.Update(bytes.data() + at, std::min(piece, total - at));
      EXPECT_EQ(hash.HexDigest(), whole) << total << " bytes in pieces of " << piece;
    }
  }
  // Reset starts afresh.
  Sha256 hash;
  hash.Update("xyz");
  hash.Reset();
  hash.Update("abc");
  EXPECT_EQ(hash.HexDigest(), Sha256::Hex("abc", 3));
}
