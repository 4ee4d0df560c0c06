// One decoder walks the UTF-16 text; the length pass and the writing pass share it,
// so they can never disagree on what a character becomes.
#include "textencoding.h"

#include "fsvg/types.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace fsvg::detail {

namespace {

constexpr char32_t ReplacementCharacter = 0xFFFD;

// Calls Visit with every code point of Text; an unpaired surrogate is U+FFFD.
template <typename Visitor>
void ForEachCodePoint(std::u16string_view Text, Visitor&& Visit) {
  const std::size_t Size = Text.size();
  for (std::size_t Index = 0; Index < Size; ++Index) {
    const char16_t Unit = Text[Index];
    if (Unit < 0xD800 || Unit > 0xDFFF) {
      Visit(static_cast<char32_t>(Unit));
    } else if (Unit <= 0xDBFF && Index + 1 < Size && Text[Index + 1] >= 0xDC00 && Text[Index + 1] <= 0xDFFF) {
      Visit(0x10000 + ((static_cast<char32_t>(Unit) - 0xD800) << 10) + (Text[Index + 1] - 0xDC00));
      ++Index;
    } else {
      Visit(ReplacementCharacter);
    }
  }
}

// The entity for a character that XML text and attribute values must not hold raw.
std::string_view XmlEntity(char32_t CodePoint) {
  switch (CodePoint) {
    case '&':
      return "&amp;";
    case '<':
      return "&lt;";
    case '>':
      return "&gt;";
    case '"':
      return "&quot;";
    default:
      return {};
  }
}

bool IsXmlForbidden(char32_t CodePoint) {
  if (CodePoint < 0x20) return CodePoint != '\t' && CodePoint != '\n' && CodePoint != '\r';
  return CodePoint == 0xFFFE || CodePoint == 0xFFFF;
}

std::size_t SequenceLength(char32_t CodePoint) {
  if (CodePoint < 0x80) return 1;
  if (CodePoint < 0x800) return 2;
  if (CodePoint < 0x10000) return 3;
  return 4;
}

std::uint8_t* PutSequence(char32_t CodePoint, std::uint8_t* Out) {
  if (CodePoint < 0x80) {
    *Out++ = static_cast<std::uint8_t>(CodePoint);
  } else if (CodePoint < 0x800) {
    *Out++ = static_cast<std::uint8_t>(0xC0 | (CodePoint >> 6));
    *Out++ = static_cast<std::uint8_t>(0x80 | (CodePoint & 0x3F));
  } else if (CodePoint < 0x10000) {
    *Out++ = static_cast<std::uint8_t>(0xE0 | (CodePoint >> 12));
    *Out++ = static_cast<std::uint8_t>(0x80 | ((CodePoint >> 6) & 0x3F));
    *Out++ = static_cast<std::uint8_t>(0x80 | (CodePoint & 0x3F));
  } else {
    *Out++ = static_cast<std::uint8_t>(0xF0 | (CodePoint >> 18));
    *Out++ = static_cast<std::uint8_t>(0x80 | ((CodePoint >> 12) & 0x3F));
    *Out++ = static_cast<std::uint8_t>(0x80 | ((CodePoint >> 6) & 0x3F));
    *Out++ = static_cast<std::uint8_t>(0x80 | (CodePoint & 0x3F));
  }
  return Out;
}

// What one code point becomes: an entity, or a (possibly replaced) code point.
struct TEncoded {
  std::string_view Entity;
  char32_t CodePoint;
};

TEncoded Encode(char32_t CodePoint, TTextEncoding Encoding) {
  if (Encoding == TTextEncoding::Xml) {
    if (std::string_view Entity = XmlEntity(CodePoint); !Entity.empty()) return {Entity, 0};
    if (IsXmlForbidden(CodePoint)) return {{}, ReplacementCharacter};
  }
  return {{}, CodePoint};
}

// Whether a UTF-16 unit is ASCII that the encoding copies as one byte unchanged.
bool IsVerbatimAscii(char16_t Unit, TTextEncoding Encoding) {
  if (Unit >= 0x80) return false;
  if (Encoding == TTextEncoding::Plain) return true;
  return Unit >= 0x20 ? (Unit != '&' && Unit != '<' && Unit != '>' && Unit != '"')
                      : (Unit == '\t' || Unit == '\n' || Unit == '\r');
}

#if defined(__SSE2__)
// Whether all eight units of Block are ASCII that the encoding copies unchanged; tab,
// LF and CR, which Xml keeps too, are left to the unit-by-unit check.
bool IsVerbatimAsciiBlock(__m128i Block, TTextEncoding Encoding) {
  // Signed compares: a unit from 0x8000 up is negative, so below 0x20 too.
  __m128i Rejected = _mm_cmpgt_epi16(Block, _mm_set1_epi16(0x7F));
  if (Encoding == TTextEncoding::Xml) {
    Rejected = _mm_or_si128(Rejected, _mm_cmplt_epi16(Block, _mm_set1_epi16(0x20)));
    Rejected = _mm_or_si128(Rejected, _mm_cmpeq_epi16(Block, _mm_set1_epi16('&')));
    Rejected = _mm_or_si128(Rejected, _mm_cmpeq_epi16(Block, _mm_set1_epi16('<')));
    Rejected = _mm_or_si128(Rejected, _mm_cmpeq_epi16(Block, _mm_set1_epi16('>')));
    Rejected = _mm_or_si128(Rejected, _mm_cmpeq_epi16(Block, _mm_set1_epi16('"')));
  } else {
    Rejected = _mm_or_si128(Rejected, _mm_cmplt_epi16(Block, _mm_setzero_si128()));
  }
  return _mm_movemask_epi8(Rejected) == 0;
}
#endif

// Copies the leading run of units that become single bytes unchanged (all of the
// usual text, which then skips the decoder) to Out, and returns its length. Eight
// units at a time where the processor allows.
std::size_t CopyVerbatimPrefix(std::u16string_view Text, TTextEncoding Encoding, std::uint8_t* Out) {
  std::size_t Index = 0;
#if defined(__SSE2__)
  for (; Index + 8 <= Text.size(); Index += 8) {
    const __m128i Block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(Text.data() + Index));
    if (!IsVerbatimAsciiBlock(Block, Encoding)) break;
    _mm_storel_epi64(reinterpret_cast<__m128i*>(Out + Index), _mm_packus_epi16(Block, Block));
  }
#endif
  for (; Index < Text.size() && IsVerbatimAscii(Text[Index], Encoding); ++Index)
    Out[Index] = static_cast<std::uint8_t>(Text[Index]);
  return Index;
}

// The length of the same run, without copying it.
std::size_t VerbatimPrefix(std::u16string_view Text, TTextEncoding Encoding) {
  std::size_t Index = 0;
  while (Index < Text.size() && IsVerbatimAscii(Text[Index], Encoding)) ++Index;
  return Index;
}

}  // namespace

std::size_t Utf8Length(std::u16string_view Text, TTextEncoding Encoding) {
  const std::size_t Prefix = VerbatimPrefix(Text, Encoding);
  Text.remove_prefix(Prefix);
  std::size_t Length = Prefix;
  ForEachCodePoint(Text, [&](char32_t CodePoint) {
    const TEncoded Encoded = Encode(CodePoint, Encoding);
    Length += Encoded.Entity.empty() ? SequenceLength(Encoded.CodePoint) : Encoded.Entity.size();
  });
  return Length;
}

std::uint8_t* EncodeUtf8(std::u16string_view Text, TTextEncoding Encoding, std::uint8_t* Out) {
  const std::size_t Prefix = CopyVerbatimPrefix(Text, Encoding, Out);
  Out += Prefix;
  Text.remove_prefix(Prefix);
  ForEachCodePoint(Text, [&](char32_t CodePoint) {
    const TEncoded Encoded = Encode(CodePoint, Encoding);
    if (Encoded.Entity.empty()) {
      Out = PutSequence(Encoded.CodePoint, Out);
    } else {
      std::memcpy(Out, Encoded.Entity.data(), Encoded.Entity.size());
      Out += Encoded.Entity.size();
    }
  });
  return Out;
}

}  // namespace fsvg::detail

namespace fsvg {

TBytes ToUtf8(std::u16string_view Text) {
  TBytes Bytes(detail::Utf8Length(Text, detail::TTextEncoding::Plain));
  detail::EncodeUtf8(Text, detail::TTextEncoding::Plain, Bytes.data());
  return Bytes;
}

}  // namespace fsvg
