// The floor writer. A single's 24-bit significand times 10^4 = 2^4 * 625 needs at most
// 34 bits, so Value * 1e4 is exact in a double, and rounding it to an integer with
// halves to even gives the four-decimal result exactly.
#include "floorwriter.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <stdexcept>

namespace fsvg::bench {

namespace {

constexpr std::array<char, 200> DigitPairs = [] {
  std::array<char, 200> Pairs{};
  for (int Value = 0; Value < 100; ++Value) {
    Pairs[2 * Value] = static_cast<char>('0' + Value / 10);
    Pairs[2 * Value + 1] = static_cast<char>('0' + Value % 10);
  }
  return Pairs;
}();

constexpr std::array<char, 512> HexPairs = [] {
  constexpr char Digits[] = "0123456789ABCDEF";
  std::array<char, 512> Pairs{};
  for (int Byte = 0; Byte < 256; ++Byte) {
    Pairs[2 * Byte] = Digits[Byte >> 4];
    Pairs[2 * Byte + 1] = Digits[Byte & 15];
  }
  return Pairs;
}();

// A literal whose length the compiler knows, so the copy is a few moves.
template <std::size_t N>
inline char* Put(char* Out, const char (&Text)[N]) {
  std::memcpy(Out, Text, N - 1);
  return Out + N - 1;
}

inline char* PutPair(char* Out, std::uint32_t Value) {
  std::memcpy(Out, &DigitPairs[2 * Value], 2);
  return Out + 2;
}

// Value < 10^9.
inline char* PutUInt(char* Out, std::uint32_t Value) {
  int Digits = 1;
  for (std::uint32_t Bound = 10; Digits < 9 && Value >= Bound; Bound *= 10) ++Digits;
  char* Cursor = Out + Digits;
  while (Value >= 100) {
    Cursor -= 2;
    std::memcpy(Cursor, &DigitPairs[2 * (Value % 100)], 2);
    Value /= 100;
  }
  if (Value >= 10) {
    std::memcpy(Cursor - 2, &DigitPairs[2 * Value], 2);
  } else {
    Cursor[-1] = static_cast<char>('0' + Value);
  }
  return Out + Digits;
}

inline char* PutColor(char* Out, TAlphaColor Color) {
  *Out++ = '#';
  std::memcpy(Out, &HexPairs[2 * ((Color >> 16) & 0xFF)], 2);
  std::memcpy(Out + 2, &HexPairs[2 * ((Color >> 8) & 0xFF)], 2);
  std::memcpy(Out + 4, &HexPairs[2 * (Color & 0xFF)], 2);
  return Out + 6;
}

inline char* PutFillTail(char* Out, const TElement& E) {
  Out = Put(Out, "\" opacity=\"");
  Out = FloorReal(E.Opacity, Out);
  Out = Put(Out, "\" fill=\"");
  return PutColor(Out, E.Color);
}

constexpr char Header[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\n<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\">\n";
constexpr char Footer[] = "</svg>";
// The clipped scene's one clip, SceneClip, before its first element and closed at the end.
constexpr char ClipStart[] =
    "<clipPath id=\"c1\"><rect x=\"0\" y=\"0\" width=\"750\" height=\"750\"/></clipPath>\n<g "
    "clip-path=\"url(#c1)\">\n";
constexpr char ClipEnd[] = "</g>\n";
static_assert(SceneClip.Right == 750 && SceneClip.Bottom == 750);

}  // namespace

char* FloorReal(double Value, char* Out) {
  if (!(std::fabs(Value) < 1e8)) throw std::domain_error("the floor formatter takes |value| < 1e8 only");
  const double Scaled = std::fabs(Value) * 1e4;  // exact for a single
  const auto Truncated = static_cast<std::uint64_t>(static_cast<std::int64_t>(Scaled));
  const double Fraction = Scaled - static_cast<double>(Truncated);  // exact
  const std::uint64_t Units = Truncated + ((Fraction > 0.5) | ((Fraction == 0.5) & (Truncated & 1)));
  if (Units == 0) {
    *Out = '0';
    return Out + 1;
  }
  if (Value < 0) *Out++ = '-';
  Out = PutUInt(Out, static_cast<std::uint32_t>(Units / 10000));
  const auto Decimals = static_cast<std::uint32_t>(Units % 10000);
  if (Decimals == 0) return Out;
  *Out = '.';
  PutPair(Out + 1, Decimals / 100);
  PutPair(Out + 3, Decimals % 100);
  Out += 5;
  while (Out[-1] == '0') --Out;
  return Out;
}

std::size_t FloorCapacity(const TScene& Scene) {
  // The longest element line: a path of 34 numbers of at most 14 characters each comes
  // under 600 bytes; a polygon, a text with its label, well under 192.
  return sizeof Header + sizeof Footer + sizeof ClipStart + sizeof ClipEnd + 600 * Scene.Elements.size();
}

std::size_t WriteFloor(const TScene& Scene, char* const Start) {
  char* Out = Put(Start, Header);
  const bool Clipped = Scene.Kind == TSceneKind::Clipped && !Scene.Elements.empty();
  if (Clipped) Out = Put(Out, ClipStart);
  for (const TElement& E : Scene.Elements) {
    switch (E.Kind) {
      case TElementKind::Rect:
        Out = Put(Out, "<rect x=\"");
        Out = FloorReal(E.V[0], Out);
        Out = Put(Out, "\" y=\"");
        Out = FloorReal(E.V[1], Out);
        Out = Put(Out, "\" width=\"");
        Out = FloorReal(E.V[2] - E.V[0], Out);  // single-precision width, as TRectF::Width
        Out = Put(Out, "\" height=\"");
        Out = FloorReal(E.V[3] - E.V[1], Out);
        Out = PutFillTail(Out, E);
        Out = Put(Out, "\"/>\n");
        break;
      case TElementKind::Line:
        Out = Put(Out, "<line x1=\"");
        Out = FloorReal(E.V[0], Out);
        Out = Put(Out, "\" y1=\"");
        Out = FloorReal(E.V[1], Out);
        Out = Put(Out, "\" x2=\"");
        Out = FloorReal(E.V[2], Out);
        Out = Put(Out, "\" y2=\"");
        Out = FloorReal(E.V[3], Out);
        Out = Put(Out, "\" stroke-width=\"");
        Out = FloorReal(E.Thickness, Out);
        Out = Put(Out, "\" stroke=\"");
        Out = PutColor(Out, E.Color);
        Out = Put(Out, "\" opacity=\"");
        Out = FloorReal(E.Opacity, Out);
        Out = Put(Out, "\"/>\n");
        break;
      case TElementKind::Ellipse: {
        // The centre in single precision, as TRectF::CenterPoint; the radii in double.
        const float CenterX = (E.V[0] + E.V[2]) / 2;
        const float CenterY = (E.V[1] + E.V[3]) / 2;
        Out = Put(Out, "<ellipse cx=\"");
        Out = FloorReal(CenterX, Out);
        Out = Put(Out, "\" cy=\"");
        Out = FloorReal(CenterY, Out);
        Out = Put(Out, "\" rx=\"");
        Out = FloorReal(static_cast<double>(E.V[2] - E.V[0]) / 2.0, Out);
        Out = Put(Out, "\" ry=\"");
        Out = FloorReal(static_cast<double>(E.V[3] - E.V[1]) / 2.0, Out);
        Out = PutFillTail(Out, E);
        Out = Put(Out, "\"/>\n");
        break;
      }
      case TElementKind::Polygon:
        Out = Put(Out, "<polygon points=\"");
        for (int Index = 0; Index < 6; Index += 2) {
          if (Index != 0) *Out++ = ' ';
          Out = FloorReal(E.V[Index], Out);
          *Out++ = ',';
          Out = FloorReal(E.V[Index + 1], Out);
        }
        Out = PutFillTail(Out, E);
        Out = Put(Out, "\"/>\n");
        break;
      case TElementKind::Text: {
        Out = Put(Out, "<text x=\"");
        Out = FloorReal(E.V[0], Out);
        Out = Put(Out, "\" y=\"");
        Out = FloorReal(E.V[3], Out);
        Out = Put(Out, "\" font-family=\"sans-serif\" font-size=\"");
        Out = FloorReal(SceneFontSize, Out);
        Out = PutFillTail(Out, E);
        Out = Put(Out, "\">");
        const std::string& Label = Scene.Utf8Labels[E.Label];
        std::memcpy(Out, Label.data(), Label.size());
        Out += Label.size();
        Out = Put(Out, "</text>\n");
        break;
      }
      case TElementKind::Path: {
        TPointF P[PathPointCount];
        PathPoints(E, P);
        static constexpr char Commands[] = "MLQCAZ";
        Out = Put(Out, "<path d=\"");
        const TPointF* Point = P;
        for (const TPathVerb Verb : PathVerbs) {
          if (Point != P) *Out++ = ' ';
          *Out++ = Commands[static_cast<int>(Verb)];
          for (std::size_t Index = 0; Index < PathVerbPoints[static_cast<std::size_t>(Verb)]; ++Index, ++Point) {
            *Out++ = ' ';
            Out = FloorReal(Point->X, Out);
            *Out++ = ' ';
            Out = FloorReal(Point->Y, Out);
          }
        }
        Out = PutFillTail(Out, E);
        Out = Put(Out, "\"/>\n");
        break;
      }
    }
  }
  if (Clipped) Out = Put(Out, ClipEnd);
  Out = Put(Out, Footer);
  return static_cast<std::size_t>(Out - Start);
}

}  // namespace fsvg::bench
