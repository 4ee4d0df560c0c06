// The line machinery of the recording canvas: room for one element line (lent by the
// stream or on the stack), a cursor that builds the line in that room without checking
// for space, whole attributes (` name="value"`), and the hand-over of the finished line
// to the stream in one piece. Everything here is inlined into the element functions so
// that the cursor stays in a register while characters are stored.
#pragma once

#include <array>
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <string_view>
#include <type_traits>

#include "encoders/numberformat.h"
#include "encoders/textencoding.h"
#include "fsvg/fsvgcanvas.h"

namespace fsvg::detail {

// The places of the plain recording, and of every document by default.
inline constexpr int PlainDecimalPlaces = 4;

// Room for a line of fixed shape: the longest, a whole-turn arc, has fourteen numbers
// and well under 200 bytes of literals.
inline constexpr std::size_t FixedLineRoom = 16 * MaxRealLength + 256;
// What the options may add to a line at most: a rectangle's outline as a path of up to
// 34 numbers, a transform of six, a dash pattern of six, two alphas, and their names.
inline constexpr std::size_t OptionsRoom = 48 * MaxRealLength + 512;

// Room for Text encoded: six bytes a unit at most ("&quot;"), or, for a long text,
// its exact length, so that a long text does not take six times its size.
inline std::size_t EncodedRoom(std::u16string_view Text) {
  constexpr std::size_t Bound = 6;
  return Text.size() <= 1024 ? Bound * Text.size() : Utf8Length(Text, TTextEncoding::Xml);
}

// Room for one element line, or one value: in the stream's own buffer when it lends
// room (the line is then built where it is to stay, and not copied), else on the stack
// for every fixed-shape element and the usual polygon or text, and in one heap block
// beyond that. Write hands the line over: committed in place, or written whole.
class TLineRoom {
 public:
  TLineRoom(std::size_t Size, TStream* Stream) : FStream(Stream) {
    if (std::uint8_t* const Lent = Stream != nullptr ? Stream->AcquireBuffer(Size) : nullptr) {
      FStart = reinterpret_cast<char*>(Lent);
      FLent = true;
    } else if (Size > FSmall.size()) {
      FLarge = std::make_unique_for_overwrite<char[]>(Size);
      FStart = FLarge.get();
    }
  }
  TLineRoom(const TLineRoom&) = delete;
  TLineRoom& operator=(const TLineRoom&) = delete;

  char* Start() const { return FStart; }

  void Write(std::string_view Line) {
    if (FLent) {
      FStream->CommitBuffer(Line.size());
    } else if (FStream != nullptr && !Line.empty()) {
      FStream->WriteBuffer(Line.data(), Line.size());
    }
  }

 private:
  TStream* const FStream;
  bool FLent = false;
  std::array<char, 4096> FSmall;
  std::unique_ptr<char[]> FLarge;
  char* FStart = FSmall.data();
};

// Two upper-case hexadecimal digits for every byte value.
inline constexpr std::array<char, 512> HexPairs = [] {
  constexpr char Digits[] = "0123456789ABCDEF";
  std::array<char, 512> Pairs{};
  for (std::size_t Byte = 0; Byte < 256; ++Byte) {
    Pairs[2 * Byte] = Digits[Byte >> 4];
    Pairs[2 * Byte + 1] = Digits[Byte & 15];
  }
  return Pairs;
}();

// A colour as an attribute value: #RRGGBB, alpha dropped.
struct TColorValue {
  TAlphaColor Color;
};

// A line is built at a cursor, into room made beforehand for the whole of it, so no
// piece checks for space. The cursor lives in this small object of its own, apart from
// the room, so that it stays in a register while the characters are stored.
class TLine {
 public:
  // Numbers get Decimals places.
  TLine(const TLineRoom& Room, int Decimals) : FStart(Room.Start()), FEnd(Room.Start()), FDecimals(Decimals) {}

  // The text built so far.
  std::string_view Text() const { return {FStart, static_cast<std::size_t>(FEnd - FStart)}; }

  // A literal: its length is known here, so the copy is a few moves.
  template <std::size_t N>
  void Put(const char (&Literal)[N]) {
    std::memcpy(FEnd, Literal, N - 1);
    FEnd += N - 1;
  }
  void Put(std::string_view Text) {
    std::memcpy(FEnd, Text.data(), Text.size());
    FEnd += Text.size();
  }
  void Put(char Character) { *FEnd++ = Character; }
  void Put(double Value) { FEnd += FormatReal(Value, FDecimals, FEnd); }
  // A single as exactly as it reads back, for values a small error in which moves
  // much of a picture (a matrix's entries).
  void PutExact(float Value) { FEnd += FormatFloatExact(Value, FEnd); }
  void Put(std::int32_t Value) { FEnd = std::to_chars(FEnd, FEnd + MaxIntegerLength, Value).ptr; }
  void Put(TColorValue Value) {
    const TAlphaColor Color = Value.Color;
    *FEnd = '#';
    std::memcpy(FEnd + 1, &HexPairs[2 * ((Color >> 16) & 0xFF)], 2);
    std::memcpy(FEnd + 3, &HexPairs[2 * ((Color >> 8) & 0xFF)], 2);
    std::memcpy(FEnd + 5, &HexPairs[2 * (Color & 0xFF)], 2);
    FEnd += ColorLength;
  }
  void PutText(std::u16string_view Text, TTextEncoding Encoding) {
    auto* const End = EncodeUtf8(Text, Encoding, reinterpret_cast<std::uint8_t*>(FEnd));
    FEnd = reinterpret_cast<char*>(End);
  }

  // A whole attribute, ` Name="Value"`: the value a number, a colour, a keyword, or,
  // given a callable, whatever it puts on this line (a point list, a path's data).
  template <std::size_t N, typename TValue>
  void Attr(const char (&Name)[N], const TValue& Value) {
    Put(' ');
    Put(Name);
    Put("=\"");
    if constexpr (std::is_invocable_v<const TValue&>)
      Value();
    else
      Put(Value);
    Put('"');
  }

  // The start of an element, `<Name`, and the end of one without content, `/>`.
  template <std::size_t N>
  void Open(const char (&Name)[N]) {
    Put('<');
    Put(Name);
  }
  void CloseEmpty() { Put("/>\n"); }

  static constexpr std::size_t MaxIntegerLength = 11;  // "-2147483648"
  static constexpr std::size_t ColorLength = 7;        // "#RRGGBB"

 private:
  char* const FStart;
  char* FEnd;
  const int FDecimals;
};

// One element line, or a value written on its own: built by Build in room for Size
// bytes, its numbers with Decimals places, and handed to the stream in one piece, so a
// failing stream leaves no part of an element behind.
template <typename Builder>
[[gnu::always_inline]] inline void WriteLine(TStream* Stream, std::size_t Size, int Decimals, Builder&& Build) {
  TLineRoom Room(Size, Stream);
  TLine Line(Room, Decimals);
  Build(Line);
  Room.Write(Line.Text());
}

// Whether any switch of O is on.
inline bool AnySwitch(const TSvgOptions& O) {
  return O.DocumentSize || O.Transforms || O.ArcOffset || O.CornerShapes || O.ColorAlpha || O.StrokeStyle ||
         O.TextLayout || O.FontStyle;
}

// The switches an element reads, of a recording with every option off and four places,
// known as such when the code is compiled: its elements are built without a single test
// of an option.
struct TPlainSwitches {
  static constexpr bool Transforms = false, CornerShapes = false, ColorAlpha = false, StrokeStyle = false,
                        TextLayout = false, FontStyle = false, Gradients = false;
  static constexpr std::optional<TAlphaColor> ThemeColor = std::nullopt;
  static constexpr int DecimalPlaces = PlainDecimalPlaces;
};

// An element line, built by Build(Line, Switches) in room for a fixed-shape line and
// Extra bytes: against TPlainSwitches when Plain, else against Options, which may add
// to any line and set the places.
template <typename Builder>
[[gnu::always_inline]] inline void WriteElement(TStream* Stream, std::size_t Extra, bool Plain,
                                                const TSvgOptions& Options, Builder&& Build) {
  if (Plain)
    WriteLine(Stream, FixedLineRoom + Extra, TPlainSwitches::DecimalPlaces,
              [&](TLine& Line) { Build(Line, TPlainSwitches{}); });
  else
    WriteLine(Stream, FixedLineRoom + OptionsRoom + Extra, Options.DecimalPlaces,
              [&](TLine& Line) { Build(Line, Options); });
}

}  // namespace fsvg::detail
