// UTF-16 to UTF-8 conversion, plain or escaped for XML, in two passes (length, then
// bytes) so that callers can encode into a buffer of their own without reallocation.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fsvg/export.h"

namespace fsvg::detail {

/// Plain keeps every character (an unpaired surrogate becomes U+FFFD); Xml also writes
/// & < > " as entities and characters XML 1.0 forbids as U+FFFD.
enum class TTextEncoding { Plain, Xml };

/// The number of UTF-8 bytes EncodeUtf8 writes for Text.
FSVG_API std::size_t Utf8Length(std::u16string_view Text, TTextEncoding Encoding);

/// Writes the UTF-8 form of Text at Out (Utf8Length bytes) and returns the end.
FSVG_API std::uint8_t* EncodeUtf8(std::u16string_view Text, TTextEncoding Encoding, std::uint8_t* Out);

}  // namespace fsvg::detail
