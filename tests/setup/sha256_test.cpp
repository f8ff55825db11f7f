// SHA-256 against the standard's own examples (FIPS 180-4, NIST's
// examples), each added in two pieces that split a block.
#include <gtest/gtest.h>
#include <string>
#include "common/sha256.h"
#include "tests/support/install_support.h"

namespace {

std::string hex(const std::string& message, size_t split) {
    Sha256 hash;
    hash.add(message.data(), split);
    hash.add(message.data() + split, message.size() - split);
    BYTE digest[Sha256::kSize];
    hash.finish(digest);
    return install_support::hexOf(digest, sizeof digest);
}

TEST(Sha256, StandardVectors) {
    const struct {
        std::string message;
        const char* digest;
    } cases[] = {
        {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        // 448 bits: the length no longer fits the first block.
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
         "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
        // 896 bits: two blocks, and the padding a third.
        {"abcdefghbcdefghicdefghijdefghijkefghijklfghijklmghijklmnhijklmnoijklmnopjklmnopqklmnopqrlmnopqrsmnopqrstnopqrstu",
         "cf5b16a778af8380036ce59e7b0492370b249b11e8f07a51afac45037afee9d1"},
    };
    for (const auto& c : cases)
        for (size_t split : {size_t(0), c.message.size() / 2, c.message.size()})
            EXPECT_EQ(c.digest, hex(c.message, split)) << c.message.size() << " bytes split at " << split;
}

}  // namespace
