#pragma once

#include <cstdint>
#include <string>

// Standard Base64 (RFC 4648 alphabet, '=' padding, no line breaks).
std::string Base64Encode(const std::string& bytes);

// Decodes Base64 text. CR LF pairs and lone LFs are skipped. Any other
// character outside the alphabet, more than two '=', or data after '=' makes
// the result empty. Bits of an unfinished last byte are dropped.
std::string Base64Decode(const std::string& text);
