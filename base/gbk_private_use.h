#pragma once

#include <cstdint>

// Code page 936 as Windows has it gives every two-byte code of the GBK grid
// a character: the codes that GBK leaves to the user, and 255 others it does
// not assign, decode to the private-use characters U+E000 to U+E864. A file
// or record a Chinese Windows PC wrote may hold them; decoded the same way
// here they go back to the very same bytes. `code` is lead << 8 | trail.
namespace cp {

constexpr char16_t kFirstGbkPrivateUse = 0xE000;
constexpr char16_t kLastGbkPrivateUse = 0xE864;

// The private-use character of a code of the grid GBK itself leaves empty;
// false for any other code.
bool GbkPrivateUseOf(uint16_t code, char16_t& character);
// The code of a character from kFirstGbkPrivateUse to kLastGbkPrivateUse;
// false for any other character.
bool GbkCodeOfPrivateUse(char16_t character, uint16_t& code);

}  // namespace cp
