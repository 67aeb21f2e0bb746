#include <gtest/gtest.h>

#include "engine/sha256.h"

namespace pezolva::engine {
namespace {

TEST(Sha256, KnownVectors) {
    struct Case {
        std::string input;
        const char* digest;
    };
    const Case cases[] = {
        {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        // 56 bytes: the length no longer fits in the first padded block.
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
         "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
        {std::string(1000000, 'a'), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
    };
    for (const Case& c : cases) EXPECT_EQ(to_hex(sha256(c.input)), c.digest) << c.input.substr(0, 20);
}

TEST(Sha256, FedInPiecesEqualsWhole) {
    const std::string text(300, 'x');
    Sha256 pieces;
    for (std::size_t i = 0; i < text.size(); i += 7) pieces.update(std::string_view(text).substr(i, 7));
    EXPECT_EQ(pieces.finish(), sha256(text));
}

TEST(Sha256, HmacAndPbkdf2Vectors) {
    // RFC 4231, cases 2 and 6 (a key longer than the block).
    EXPECT_EQ(to_hex(hmac_sha256("Jefe", "what do ya want for nothing?")),
              "5bdcc146bf60754e6a042426089575c75a003f089d2739839dec58b964ec3843");
    EXPECT_EQ(to_hex(hmac_sha256(std::string(131, '\xaa'), "Test Using Larger Than Block-Size Key - Hash Key First")),
              "60e431591ee0b67f0d8a26aacbf5b77f8e0bc6213728c5140546040f0ee37f54");
    // RFC 7914 section 11: the first 32 bytes of each derived key.
    EXPECT_EQ(to_hex(pbkdf2_sha256("passwd", "salt", 1)),
              "55ac046e56e3089fec1691c22544b605f94185216dde0465e68b9d57c20dacbc");
    EXPECT_EQ(to_hex(pbkdf2_sha256("Password", "NaCl", 80000)),
              "4ddcd8f60b98be21830cee5ef22701f9641a4418d04c0414aeff08876b34ab56");
}

}  // namespace
}  // namespace pezolva::engine
