// Drawing scripts: scenes written as text in the API's own words, one call a line
// ("FillRect 20 20 180 120 fill=#FF2F6BD8 opacity=0.5"), read by Load and drawn by TScript
// one step at a time. One table of verbs, Verbs(), gives each call its numbers and its
// named arguments with their defaults: it drives the parser, the fuzzer
// (fuzz/fuzz_drawing.cpp) and the help (Help(), printed by `fsvg_fidelity --help`).
// The fidelity scenes (tests/fidelity/scenes/*.txt) and the tests' drawings
// (tests/scenes.txt) are such scripts.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "fsvg/fsvgcanvas.h"

namespace fsvg::test {

/// What a named argument takes.
enum class TKind {
  Number,   ///< a real ("nan" and "inf" too); "seed+X" adds the seed the scene is drawn at
  Whole,    ///< a count from 0 to 2^31 - 1, or "all"
  Color,    ///< #AARRGGBB
  Paint,    ///< #AARRGGBB, or "canvas": the overload that paints with the canvas's own Fill or Stroke
  Choice,   ///< one of Choices, kept as its index
  Corners,  ///< corner names of Choices joined by "+", "all" or "none", kept as bits (the first 1)
  Stops,    ///< a gradient's stops, OFFSET:#AARRGGBB joined by ","
  Dashes,   ///< one of Choices, or the lengths of a custom dash joined by "," (kept as the last choice)
  Names     ///< names joined by "+", kept in the step's Names separated by spaces
};

/// A named argument: NAME=VALUE on a line, Default when not given. A name means the
/// same, with the same default, in every verb that takes it.
struct TParam {
  std::string_view Name;
  TKind Kind = TKind::Number;
  std::string_view Default = "0";
  std::string_view Choices = "";  // the names it takes, separated by spaces
};

/// Every named argument a verb may take.
inline const std::vector<TParam>& Arguments() {
  static const std::vector<TParam> Table = {
      {"color", TKind::Color, "#FF1F2A44"},
      {"fill", TKind::Paint, "#FF1F2A44"},
      {"stroke", TKind::Paint, "#FF1F2A44"},
      {"kind", TKind::Choice, "Solid", "None Solid Gradient Bitmap Resource"},
      {"thickness"},
      {"dash", TKind::Dashes, "Solid", "Solid Dash Dot DashDot DashDotDot Custom"},
      {"dashoffset"},
      {"miter", TKind::Number, "4"},
      {"hairline", TKind::Choice, "false", "false true"},
      {"cap", TKind::Choice, "Flat", "Flat Round Square"},
      {"join", TKind::Choice, "Miter", "Miter Round Bevel"},
      {"opacity", TKind::Number, "1"},
      {"xradius"},
      {"yradius"},
      {"corners", TKind::Corners, "all", "TopLeft TopRight BottomLeft BottomRight"},
      {"type", TKind::Choice, "Round", "Round Bevel InnerRound InnerLine"},
      {"rule", TKind::Choice, "NonZero", "NonZero EvenOdd"},
      {"size", TKind::Number, "12"},
      {"weight", TKind::Number, "400"},
      {"slant", TKind::Choice, "Normal", "Normal Italic Oblique"},
      {"halign", TKind::Choice, "Center", "Center Leading Trailing"},
      {"valign", TKind::Choice, "Center", "Center Leading Trailing"},
      {"wordwrap", TKind::Choice, "false", "false true"},
      {"flags", TKind::Choice, "none", "none RightToLeft"},
      {"count", TKind::Whole, "all"},
      {"repeat", TKind::Whole, "1"},
      {"spread", TKind::Choice, "Pad", "Pad Reflect Repeat"},
      {"stops", TKind::Stops, ""},
      {"highspeed", TKind::Choice, "false", "false true"},
      {"image", TKind::Choice, "Ramp", "Ramp Checkerboard RedBlue RedGreen"},
      {"wrap", TKind::Choice, "Tile", "Tile TileFromOrigin Stretch"},
      {"classes", TKind::Names, ""},
      {"width", TKind::Whole},
      {"height", TKind::Whole},
      {"text", TKind::Choice, "false", "false true"},
      {"blend", TKind::Choice, "Normal", "Normal Multiply Screen Overlay Darken Lighten Difference"},
      {"max"},
      {"min"},
  };
  return Table;
}

/// The words of Text, separated by Separator.
inline std::vector<std::string_view> Words(std::string_view Text, char Separator = ' ') {
  std::vector<std::string_view> Words;
  for (std::size_t Start = 0; Start < Text.size();) {
    const std::size_t End = std::min(Text.find(Separator, Start), Text.size());
    if (End > Start) Words.push_back(Text.substr(Start, End - Start));
    Start = End + 1;
  }
  return Words;
}

/// What a verb takes after its fixed numbers: nothing, pairs of coordinates, or a path
/// (its letters M L Q C A Z among their numbers).
enum class TTail { None, Points, Path };

class TScript;
struct TStep;

/// A verb: the call it makes, its numbers by position (Usage: their names, "x y ..."
/// for points, "path" for a path; numbers not given are 0), its named arguments, and
/// whether a quoted TEXT ends the line. A verb without Draw is drawn by the program that
/// runs the script (TScript's Other).
struct TVerb {
  TVerb(std::string_view AName, std::string_view AUsage, std::string_view ANamed, std::string_view AHelp,
        void (*ADraw)(TScript&, const TStep&) = nullptr, bool AText = false)
      : Name(AName), Usage(AUsage), Help(AHelp), Numbers(Words(AUsage)), Draw(ADraw), Text(AText) {
    Tail = AUsage == "path" ? TTail::Path : AUsage.ends_with("...") ? TTail::Points : TTail::None;
    if (Tail != TTail::None) Numbers.clear();
    for (const std::string_view Wanted : Words(ANamed))
      for (const TParam& Param : Arguments())
        if (Param.Name == Wanted) Named.push_back(&Param);
  }

  /// The place of the named argument Param among Named; Named.size() when it has none.
  std::size_t Index(std::string_view Param) const {
    std::size_t I = 0;
    while (I < Named.size() && Named[I]->Name != Param) ++I;
    return I;
  }

  std::string_view Name, Usage, Help;
  std::vector<std::string_view> Numbers;
  TTail Tail;
  std::vector<const TParam*> Named;
  void (*Draw)(TScript&, const TStep&);
  bool Text;
};

const std::vector<TVerb>& Verbs();

/// One drawing call of a scene.
struct TStep {
  const TVerb* Verb = nullptr;
  std::vector<float> N;              // the numbers, in order (a polygon's and a path's too)
  std::string Commands;              // a path's letters, in order
  std::vector<double> Values;        // the named arguments', in the verb's order
  bool Current = false;              // "canvas" given for its paint
  std::vector<TGradientStop> Stops;  // a gradient's
  std::vector<float> Dashes;         // a custom dash's lengths
  std::u16string Names;              // a group's classes
  std::u16string Text;

  std::string_view Name() const { return Verb->Name; }
  /// The value of the named argument Param.
  double Get(std::string_view Param) const { return Values.at(Verb->Index(Param)); }
  float Number(std::string_view Param) const { return static_cast<float>(Get(Param)); }
  TAlphaColor Color(std::string_view Param) const { return static_cast<TAlphaColor>(Get(Param)); }
  bool Is(std::string_view Param) const { return Get(Param) != 0; }
};

/// A scene: its size, whether it has text, the limits of its default recording, its steps.
struct TScene {
  std::string Name;
  int Width = 0, Height = 0;
  bool Text = false;
  double MaxPercent = 0, MinPercent = 0;
  std::vector<TStep> Steps;
};

/// UTF-8 as UTF-16: "\n" a line break, "\uXXXX" the unit XXXX (surrogates alone too).
inline std::u16string Utf16(const std::string& Text) {
  constexpr int LeadBits[] = {0x7F, 0x1F, 0x0F, 0x07};
  std::u16string Result;
  for (std::size_t I = 0; I < Text.size(); ++I) {
    if (Text.compare(I, 2, "\\n") == 0) {
      Result += u'\n';
      ++I;
      continue;
    }
    if (Text.compare(I, 2, "\\u") == 0) {
      Result += static_cast<char16_t>(std::stoi(Text.substr(I + 2, 4), nullptr, 16));
      I += 5;
      continue;
    }
    const auto Lead = static_cast<unsigned char>(Text[I]);
    const int Trailing = Lead < 0x80 ? 0 : Lead < 0xE0 ? 1 : Lead < 0xF0 ? 2 : 3;
    char32_t Unit = Lead & LeadBits[Trailing];
    for (int K = 0; K < Trailing; ++K) Unit = Unit << 6 | (Text[++I] & 0x3F);
    if (Unit > 0xFFFF) Result += static_cast<char16_t>(0xD7C0 + (Unit >> 10));
    Result += static_cast<char16_t>(Unit > 0xFFFF ? 0xDC00 | (Unit & 0x3FF) : Unit);
  }
  return Result;
}

/// The real Word, whole ("seed+X": X plus Seed); throws unless it is one.
inline float ParseNumber(const std::string& Word, float Seed) {
  const bool Seeded = Word.starts_with("seed+");
  const char* Start = Word.c_str() + (Seeded ? 5 : 0);
  char* End = nullptr;
  const float Number = std::strtof(Start, &End);
  if (End == Start || *End != 0) throw std::invalid_argument("not a number: " + Word);
  return Seeded ? Number + Seed : Number;
}

/// The value of Param given as Word, into Step; throws on a value Param does not take.
inline double ParseValue(const TParam& Param, const std::string& Word, float Seed, TStep& Step) {
  const auto Hex = [](const std::string& Text) {
    if (Text.size() != 9 || Text[0] != '#') throw std::invalid_argument("not a colour #AARRGGBB: " + Text);
    return static_cast<TAlphaColor>(std::stoul(Text.substr(1), nullptr, 16));
  };
  const auto Names = [&Param, &Word](std::string_view Name) {
    const std::vector<std::string_view> Choices = Words(Param.Choices);
    for (std::size_t I = 0; I < Choices.size(); ++I)
      if (Choices[I] == Name) return static_cast<int>(I);
    throw std::invalid_argument(std::string(Param.Name) + " takes no " + Word + " (see --help)");
  };
  switch (Param.Kind) {
    case TKind::Number:
      return ParseNumber(Word, Seed);
    case TKind::Whole: {
      if (Word == "all") return -1;
      const unsigned long Count = std::stoul(Word);
      if (Count > INT32_MAX) throw std::invalid_argument("too large: " + Word);
      return static_cast<double>(Count);
    }
    case TKind::Paint:
      Step.Current = Word == "canvas";
      return Hex(Step.Current ? std::string(Param.Default) : Word);
    case TKind::Color:
      return Hex(Word);
    case TKind::Choice:
      return Names(Word);
    case TKind::Corners: {
      const std::string_view Named = Word == "all" || Word == "none" ? std::string_view() : Word;
      int Bits = Word == "all" ? 15 : 0;
      for (const std::string_view Corner : Words(Named, '+')) Bits |= 1 << Names(Corner);
      return Bits;
    }
    case TKind::Dashes:
      if (Word.find(',') == std::string::npos && Param.Choices.find(Word) != std::string_view::npos) return Names(Word);
      for (const std::string_view Length : Words(Word, ','))
        Step.Dashes.push_back(ParseNumber(std::string(Length), Seed));
      return static_cast<double>(TStrokeDash::Custom);
    case TKind::Stops:
      for (const std::string_view Stop : Words(Word, ',')) {
        const std::vector<std::string_view> Parts = Words(Stop, ':');
        if (Parts.size() != 2) throw std::invalid_argument("not a stop OFFSET:#AARRGGBB: " + std::string(Stop));
        Step.Stops.push_back({ParseNumber(std::string(Parts[0]), Seed), Hex(std::string(Parts[1]))});
      }
      return static_cast<double>(Step.Stops.size());
    case TKind::Names:
      for (const char Letter : Word) Step.Names += Letter == '+' ? u' ' : static_cast<char16_t>(Letter);
      return 0;
  }
  return 0;
}

/// The step Line holds for Verb, the verb's name taken off: numbers, then NAME=VALUE
/// arguments in any order, then a quoted TEXT to the line's last quote.
inline TStep ParseStep(const TVerb& Verb, const std::string& Line, float Seed) {
  TStep Step;
  Step.Verb = &Verb;
  for (const TParam* Param : Verb.Named)
    Step.Values.push_back(ParseValue(*Param, std::string(Param->Default), 0, Step));
  Step.Current = false;
  const std::size_t Quote = Line.find('"');
  std::istringstream Words(Line.substr(0, Quote));
  for (std::string Word; Words >> Word;) {
    const std::size_t Equals = Word.find('=');
    const std::size_t Index = Verb.Index(Word.substr(0, Equals));
    if (Equals != std::string::npos && Index == Verb.Named.size())
      throw std::invalid_argument(std::string(Verb.Name) + " has no argument " + Word);
    if (Equals != std::string::npos)
      Step.Values[Index] = ParseValue(*Verb.Named[Index], Word.substr(Equals + 1), Seed, Step);
    else if (Verb.Tail == TTail::Path && Word.size() == 1 &&
             std::string_view("MLQCAZ").find(Word[0]) != std::string_view::npos)
      Step.Commands += Word;
    else
      Step.N.push_back(ParseNumber(Word, Seed));
  }
  if (Verb.Tail == TTail::None && Step.N.size() > Verb.Numbers.size())
    throw std::invalid_argument(std::string(Verb.Name) + " takes " + std::to_string(Verb.Numbers.size()) + " numbers");
  if (Verb.Tail == TTail::None) Step.N.resize(Verb.Numbers.size());
  if (Quote != std::string::npos && !Verb.Text) throw std::invalid_argument(std::string(Verb.Name) + " takes no text");
  if (Quote != std::string::npos) Step.Text = Utf16(Line.substr(Quote + 1, Line.rfind('"') - Quote - 1));
  return Step;
}

/// The verb named Name; throws when there is none.
inline const TVerb& VerbNamed(std::string_view Name) {
  for (const TVerb& Verb : Verbs())
    if (Verb.Name == Name) return Verb;
  throw std::invalid_argument("no verb " + std::string(Name) + " (see --help)");
}

/// The scene Name of the script file File at Seed. A line "Scene NAME WIDTH HEIGHT ..."
/// opens a scene; each other line that is not blank or a comment ("#") is a step. A
/// "repeat=K" argument repeats the text, or else the numbers (and a path's letters), K times over.
inline TScene Load(const std::string& File, const std::string& Name, float Seed = 0) {
  std::ifstream In(File);
  TScene Scene;
  Scene.Name = Name;
  bool Inside = false;
  int Number = 0;
  for (std::string Line; std::getline(In, Line);) {
    ++Number;
    std::istringstream Words(Line);
    std::string Word;
    Words >> Word;
    if (Word.empty() || Word[0] == '#' || (!Inside && Word != "Scene")) continue;
    try {
      if (Word == "Scene") {
        Words >> Word;
        Inside = Word == Name;
        if (!Inside) continue;
        std::string Rest;
        std::getline(Words, Rest);
        const TStep Header = ParseStep(VerbNamed("Scene"), Rest, 0);
        Scene.Width = static_cast<int>(Header.N[0]);
        Scene.Height = static_cast<int>(Header.N[1]);
        Scene.Text = Header.Is("text");
        Scene.MaxPercent = Header.Get("max");
        Scene.MinPercent = Header.Get("min");
        continue;
      }
      std::string Rest;
      std::getline(Words, Rest);
      TStep Step = ParseStep(VerbNamed(Word), Rest, Seed);
      const bool Repeats = Step.Verb->Index("repeat") < Step.Verb->Named.size();
      const std::u16string Text = Step.Text;
      const std::vector<float> Numbers = Step.N;
      const std::string Commands = Step.Commands;
      for (double Repeat = Repeats ? Step.Get("repeat") : 1; Repeat > 1; --Repeat) {
        Step.Text += Text;
        Step.Commands += Commands;
        if (Text.empty()) Step.N.insert(Step.N.end(), Numbers.begin(), Numbers.end());
      }
      Scene.Steps.push_back(std::move(Step));
    } catch (const std::exception& Error) {
      throw std::runtime_error(File + ":" + std::to_string(Number) + ": " + Error.what());
    }
  }
  if (Scene.Width == 0) throw std::runtime_error("no scene " + Name + " in " + File);
  return Scene;
}

/// The path of a step: each command takes its numbers from N in turn (M and L a point,
/// Q two, C three, A the radii, rotation, both flags and the end, Z none).
inline TPathData PathOf(const TStep& Step) {
  const std::vector<float>& N = Step.N;
  TPathData Path;
  Path.FillRule = Step.Get("rule") == 1 ? TFillRule::EvenOdd : TFillRule::NonZero;
  std::size_t I = 0;
  const auto Next = [&] {
    const TPointF P{N.at(I), N.at(I + 1)};
    I += 2;
    return P;
  };
  for (const char Command : Step.Commands) {
    if (Command == 'M') Path.MoveTo(Next());
    if (Command == 'L') Path.LineTo(Next());
    if (Command == 'Z') Path.ClosePath();
    if (Command == 'Q') {
      const TPointF Control = Next();
      Path.QuadCurveTo(Control, Next());
    }
    if (Command == 'C') {
      const TPointF Control1 = Next();
      const TPointF Control2 = Next();
      Path.CurveTo(Control1, Control2, Next());
    }
    if (Command == 'A') {
      const TPointF Radius = Next();
      const TPointF Flags = Next();
      const bool Sweep = N.at(I++) != 0;  // read before the end point: arguments have no order
      Path.ArcTo(Radius, Flags.X, Flags.Y != 0, Sweep, Next());
    }
  }
  return Path;
}

/// The part of a text step's text that is shown: its first "count" units.
inline std::u16string_view ShownText(const TStep& Step) {
  const double Count = Step.Get("count");
  return std::u16string_view(Step.Text).substr(0, Count < 0 ? Step.Text.size() : static_cast<std::size_t>(Count));
}

/// Draws the steps of a scene on a recording canvas, its host's matrix set through the
/// host; keeps the gradient and the states saved from one step to the next. A step
/// whose verb draws nothing itself goes to Other.
class TScript {
 public:
  explicit TScript(TSvgCanvas& Canvas, std::function<void(const TStep&)> Other = {})
      : C(Canvas), FOther(std::move(Other)) {}

  void Run(const std::vector<TStep>& Steps) {
    for (const TStep& Step : Steps) Draw(Step);
  }

  void Draw(const TStep& Step) {
    if (Step.Verb->Draw)
      Step.Verb->Draw(*this, Step);
    else if (FOther)
      FOther(Step);
  }

  /// The fill the step paints with: the gradient or bitmap set last, else its colour and kind.
  TBrush Fill(const TStep& Step, std::string_view Param = "fill") const {
    const TAlphaColor Color = Step.Color(Param);
    if (FGradient) return TBrush(FGradient, Color);
    if (FBitmap) return TBrush(FBitmap, FWrap, Color, FHighSpeed);
    return TBrush(static_cast<TBrushKind>(Step.Get("kind")), Color);
  }

  /// The outline the step paints with: its stroke as a fill, thickness, dash, cap, join
  /// and the rest of its style.
  TStrokeBrush Pen(const TStep& Step) const {
    TStrokeBrush Pen;
    static_cast<TBrush&>(Pen) = Fill(Step, "stroke");
    Pen.Thickness = Step.Number("thickness");
    Pen.Dash = static_cast<TStrokeDash>(Step.Get("dash"));
    Pen.DashArray = Step.Dashes;
    Pen.DashOffset = Step.Number("dashoffset");
    Pen.MiterLimit = Step.Number("miter");
    Pen.Hairline = Step.Is("hairline");
    Pen.Cap = static_cast<TStrokeCap>(Step.Get("cap"));
    Pen.Join = static_cast<TStrokeJoin>(Step.Get("join"));
    return Pen;
  }

  TSvgCanvas& C;
  std::shared_ptr<const TGradient> FGradient;  // what the fills and outlines that follow paint with
  std::shared_ptr<const TBitmap> FBitmap;      // or this, laid as FWrap says
  TBitmapWrap FWrap = TBitmapWrap::Tile;
  bool FHighSpeed = false;
  std::vector<TCanvasSaveState*> FSaved;

 private:
  std::function<void(const TStep&)> FOther;
};

namespace verbs {

inline TRectF Rect(const TStep& Step, std::size_t I = 0) {
  return {Step.N[I], Step.N[I + 1], Step.N[I + 2], Step.N[I + 3]};
}
inline TPointF Point(const TStep& Step, std::size_t I) { return {Step.N[I], Step.N[I + 1]}; }
inline TCorners Corners(const TStep& Step) {
  TCorners Corners;
  for (int Corner = 0; Corner < 4; ++Corner)
    if (static_cast<int>(Step.Get("corners")) >> Corner & 1) Corners.Include(static_cast<TCorner>(Corner));
  return Corners;
}
inline TPolygon Points(const TStep& Step) {
  TPolygon Points;
  for (std::size_t I = 0; I + 1 < Step.N.size(); I += 2) Points.push_back(Point(Step, I));
  return Points;
}
inline TFillTextFlags Flags(const TStep& Step) {
  return Step.Get("flags") == 1 ? TFillTextFlags{TFillTextFlag::RightToLeft} : TFillTextFlags{};
}
// Calls Call with the step's opacity and its fill, or pen; with the opacity alone when
// the step paints with the canvas's own (the overload without a brush).
template <typename F>
void Filling(TScript& S, const TStep& Step, F Call) {
  Step.Current ? Call(Step.Number("opacity")) : Call(Step.Number("opacity"), S.Fill(Step));
}
template <typename F>
void Stroking(TScript& S, const TStep& Step, F Call) {
  Step.Current ? Call(Step.Number("opacity")) : Call(Step.Number("opacity"), S.Pen(Step));
}
// The canvas's own Fill or Stroke, which polygons and text paint with, set to the
// step's paint unless it says "canvas".
inline void SetFill(TScript& S, const TStep& Step) {
  if (!Step.Current) S.C.SetFill(S.Fill(Step));
}
inline void SetStroke(TScript& S, const TStep& Step) {
  if (!Step.Current) S.C.GetStroke() = S.Pen(Step);
}
// The canvas's font, its family kept, at the step's size, weight and slant.
inline void SetFont(TScript& S, const TStep& Step) {
  S.C.GetFont().Size = Step.Number("size");
  const double Weight = Step.Get("weight");  // one an int cannot hold stays one the call refuses
  S.C.GetFont().Weight = Weight > 0 && Weight < 1e4 ? static_cast<int>(Weight) : 0;
  S.C.GetFont().Slant = static_cast<TFontSlant>(Step.Get("slant"));
}
// A 64-pixel square: a colour ramp fading downwards (0), or a checkerboard of 4-pixel
// cells (1); or two pixels, red and blue (2) or red and green (3).
inline TBitmap Image(double Which) {
  if (Which > 1) return TBitmap(2, 1, {0xFFFF0000, Which == 2 ? 0xFF0000FF : 0xFF00FF00});
  const bool Checkerboard = Which == 1;
  std::vector<TAlphaColor> Pixels;
  for (std::uint32_t Y = 0; Y < 64; ++Y)
    for (std::uint32_t X = 0; X < 64; ++X)
      Pixels.push_back(Checkerboard ? ((X / 4 + Y / 4) % 2 ? 0xFF2F6BD8 : 0xFFF0C81E)
                                    : (255 - Y) << 24 | X * 4 << 16 | Y * 4 << 8 | 160);
  return TBitmap(64, 64, Pixels);
}

}  // namespace verbs

/// Every verb a script knows, in the order --help lists them.
inline const std::vector<TVerb>& Verbs() {
  using namespace verbs;
  using S = TScript&;
  using T = const TStep&;
  static const std::vector<TVerb> Table = {
      {"Scene", "width height", "text max min",
       "opens the scene named by the next word: its size, whether it has text, and the percentages of the pixels "
       "that may at most, and must at least, differ with the default options"},
      {"Clear", "", "color", "the whole canvas cleared to the colour", [](S S, T T) { S.C.Clear(T.Color("color")); }},
      {"ClearRect", "left top right bottom", "color", "the rectangle cleared to the colour",
       [](S S, T T) { S.C.ClearRect(Rect(T), T.Color("color")); }},
      {"FillRect", "left top right bottom", "xradius yradius corners type fill kind opacity",
       "a filled rectangle, its corners rounded by the radii",
       [](S S, T T) {
         Filling(S, T, [&](auto... Paint) {
           const auto Type = static_cast<TCornerType>(T.Get("type"));
           S.C.FillRect(Rect(T), T.Number("xradius"), T.Number("yradius"), Corners(T), Paint..., Type);
         });
       }},
      {"DrawRect", "left top right bottom",
       "xradius yradius corners type stroke kind thickness dash dashoffset miter hairline cap join opacity",
       "an outlined rectangle, its corners rounded by the radii",
       [](S S, T T) {
         Stroking(S, T, [&](auto... Paint) {
           const auto Type = static_cast<TCornerType>(T.Get("type"));
           S.C.DrawRect(Rect(T), T.Number("xradius"), T.Number("yradius"), Corners(T), Paint..., Type);
         });
       }},
      {"FillEllipse", "left top right bottom", "fill kind opacity", "a filled ellipse in the rectangle",
       [](S S, T T) { Filling(S, T, [&](auto... Paint) { S.C.FillEllipse(Rect(T), Paint...); }); }},
      {"DrawEllipse", "left top right bottom", "stroke kind thickness dash dashoffset miter hairline cap join opacity",
       "an outlined ellipse in the rectangle",
       [](S S, T T) { Stroking(S, T, [&](auto... Paint) { S.C.DrawEllipse(Rect(T), Paint...); }); }},
      {"FillArc", "cx cy rx ry start sweep", "fill kind opacity",
       "a filled arc: centre, radii, start and sweep in degrees",
       [](S S, T T) {
         Filling(S, T, [&](auto... Paint) { S.C.FillArc(Point(T, 0), Point(T, 2), T.N[4], T.N[5], Paint...); });
       }},
      {"DrawArc", "cx cy rx ry start sweep", "stroke kind thickness dash dashoffset miter hairline cap join opacity",
       "an outlined arc: centre, radii, start and sweep in degrees",
       [](S S, T T) {
         Stroking(S, T, [&](auto... Paint) { S.C.DrawArc(Point(T, 0), Point(T, 2), T.N[4], T.N[5], Paint...); });
       }},
      {"DrawLine", "x1 y1 x2 y2", "stroke kind thickness dash dashoffset miter hairline cap join opacity", "a line",
       [](S S, T T) { Stroking(S, T, [&](auto... Paint) { S.C.DrawLine(Point(T, 0), Point(T, 2), Paint...); }); }},
      {"FillPath", "path", "repeat rule fill kind opacity", "a filled path",
       [](S S, T T) { Filling(S, T, [&](auto... Paint) { S.C.FillPath(PathOf(T), Paint...); }); }},
      {"DrawPath", "path", "rule stroke kind thickness dash dashoffset miter hairline cap join opacity",
       "an outlined path", [](S S, T T) { Stroking(S, T, [&](auto... Paint) { S.C.DrawPath(PathOf(T), Paint...); }); }},
      {"FillPolygon", "x y ...", "repeat fill kind opacity",
       "a polygon filled with the canvas's Fill, set to its paint",
       [](S S, T T) {
         SetFill(S, T);
         S.C.FillPolygon(Points(T), T.Number("opacity"));
       }},
      {"DrawPolygon", "x y ...", "repeat stroke kind thickness dash dashoffset miter hairline cap join opacity",
       "a closed polygon outlined with the canvas's Stroke, set to its paint",
       [](S S, T T) {
         SetStroke(S, T);
         S.C.DrawPolygon(Points(T), T.Number("opacity"));
       }},
      {"FillText", "left top right bottom",
       "size weight slant halign valign wordwrap flags count repeat fill kind opacity",
       "TEXT in the rectangle, in the font's family at the size, weight and slant, with the canvas's Fill set to its "
       "paint",
       [](S S, T T) {
         SetFill(S, T);
         SetFont(S, T);
         const auto H = static_cast<TTextAlign>(T.Get("halign"));
         const auto V = static_cast<TTextAlign>(T.Get("valign"));
         S.C.FillText(Rect(T), ShownText(T), T.Is("wordwrap"), T.Number("opacity"), Flags(T), H, V);
       },
       true},
      {"FillTextOnBaseline", "x1 y x2", "size weight slant count fill kind opacity",
       "TEXT from x1 to x2 on the baseline y: FillText in a rectangle as high as the font's ascent, leading",
       [](S S, T T) {
         SetFill(S, T);
         SetFont(S, T);
         const float Ascent = S.C.GetCanvas().GetFontMetrics().Ascent;
         const TRectF Box{T.N[0], T.N[1] - Ascent, T.N[2], T.N[1]};
         S.C.FillText(Box, ShownText(T), false, T.Number("opacity"), {}, TTextAlign::Leading, TTextAlign::Leading);
       },
       true},
      {"SetFont", "", "size repeat", "the font: TEXT its family, or families joined by \",\"",
       [](S S, T T) { S.C.GetFont() = TFont(T.Text, T.Number("size")); }, true},
      {"SetFill", "", "fill kind opacity", "the canvas's Fill", SetFill},
      {"SetStroke", "", "stroke kind thickness dash dashoffset miter hairline cap join opacity", "the canvas's Stroke",
       SetStroke},
      {"IntersectClipRect", "left top right bottom", "", "clip to the rectangle",
       [](S S, T T) { S.C.IntersectClipRect(Rect(T)); }},
      {"ExcludeClipRect", "left top right bottom", "", "clip to all but the rectangle",
       [](S S, T T) { S.C.ExcludeClipRect(Rect(T)); }},
      {"IntersectClipPath", "path", "rule", "clip to the path", [](S S, T T) { S.C.IntersectClipPath(PathOf(T)); }},
      {"SaveState", "", "", "save the canvas's state", [](S S, T) { S.FSaved.push_back(S.C.SaveState()); }},
      {"RestoreState", "", "", "restore the state saved last (nothing when none is)",
       [](S S, T) {
         if (S.FSaved.empty()) return;
         S.C.RestoreState(S.FSaved.back());
         S.FSaved.pop_back();
       }},
      {"SetOffset", "x y", "", "the offset", [](S S, T T) { S.C.SetOffset(Point(T, 0)); }},
      {"SetMatrix", "m11 m12 m21 m22 m31 m32", "", "the host canvas's matrix",
       [](S S, T T) {
         S.C.GetCanvas().SetMatrix({T.N[0], T.N[1], 0, T.N[2], T.N[3], 0, T.N[4], T.N[5], 1});
       }},
      {"SetSize", "", "width height", "the canvas's size",
       [](S S, T T) {
         S.C.SetSize(static_cast<std::int32_t>(T.Get("width")), static_cast<std::int32_t>(T.Get("height")));
       }},
      {"AlignToPixel", "left top right bottom", "", "the rectangle and its top aligned to pixels (nothing drawn)",
       [](S S, T T) {
         (void)S.C.AlignToPixel(Rect(T));
         (void)S.C.AlignToPixelVertically(T.N[1]);
       }},
      {"LinearGradient", "x1 y1 x2 y2", "spread stops",
       "the gradient the fills and outlines that follow paint with, from (x1, y1) to (x2, y2)",
       [](S S, T T) {
         const auto Spread = static_cast<TGradientSpread>(T.Get("spread"));
         S.FGradient = TGradient::Linear(Point(T, 0), Point(T, 2), T.Stops, Spread);
         S.FBitmap = nullptr;
       }},
      {"RadialGradient", "cx cy r fx fy", "spread stops",
       "the gradient the fills and outlines that follow paint with, its focal point (fx, fy)",
       [](S S, T T) {
         const auto Spread = static_cast<TGradientSpread>(T.Get("spread"));
         S.FGradient = TGradient::Radial(Point(T, 0), T.N[2], Point(T, 3), T.Stops, Spread);
         S.FBitmap = nullptr;
       }},
      {"BitmapBrush", "", "image wrap highspeed",
       "the test image the fills and outlines that follow paint with, laid as wrap says, its nearest pixels under "
       "highspeed",
       [](S S, T T) {
         S.FBitmap = std::make_shared<const TBitmap>(Image(T.Get("image")));
         S.FWrap = static_cast<TBitmapWrap>(T.Get("wrap"));
         S.FHighSpeed = T.Is("highspeed");
         S.FGradient = nullptr;
       }},
      {"PlainPaint", "", "", "the fills and outlines that follow paint with their colours again",
       [](S S, T) {
         S.FGradient = nullptr;
         S.FBitmap = nullptr;
       }},
      {"DrawBitmap", "sleft stop sright sbottom left top right bottom", "highspeed image opacity",
       "a 64-pixel square test image, from the source rectangle to the destination",
       [](S S, T T) {
         const TBitmap Bitmap = Image(T.Get("image"));
         S.C.DrawBitmap(Bitmap, Rect(T), Rect(T, 4), T.Number("opacity"), T.Is("highspeed"));
       }},
      {"BeginGroup", "", "classes", "a group: TEXT its id, a space and its title (the title alone without a space)",
       [](S S, T T) {
         const std::size_t Space = T.Text.find(u' ');
         S.C.BeginGroup(T.Text.substr(0, Space), T.Text.substr(Space + 1), T.Names);
       },
       true},
      {"EndGroup", "", "", "ends the group begun last", [](S S, T) { S.C.EndGroup(); }},
      {"BeginLink", "", "", "a link to TEXT", [](S S, T T) { S.C.BeginLink(T.Text); }, true},
      {"EndLink", "", "", "ends the link begun last", [](S S, T) { S.C.EndLink(); }},
      {"BeginLayer", "", "opacity blend", "a layer, composited as one picture at the opacity by the blend mode",
       [](S S, T T) { S.C.BeginLayer(T.Number("opacity"), static_cast<TBlendMode>(T.Get("blend"))); }},
      {"EndLayer", "", "", "ends the layer begun last", [](S S, T) { S.C.EndLayer(); }},
      {"Dashboard", "", "", "the demo dashboard (the fidelity program)"},
      {"Write", "number", "color repeat",
       "the recorder's raw writers (the tests): TEXT three ways, or else the number and the colour", nullptr, true},
      {"NoLayout", "", "", "the host lays out no line from here on (the options test)"},
  };
  return Table;
}

/// Every verb with its numbers and its named arguments, then what each argument takes,
/// as --help prints them.
inline std::string Help() {
  std::string Text =
      "A scene is a file of lines, one call a line: the verb, its numbers (those not given are 0),\n"
      "NAME=VALUE arguments in any order, and a quoted TEXT last (\"\\n\" a line break, \"\\uXXXX\" a\n"
      "UTF-16 unit). A number written seed+X is X plus the seed the scene is drawn at. A path is\n"
      "its letters and their numbers: M x y, L x y, Q cx cy x y, C x1 y1 x2 y2 x y,\n"
      "A rx ry angle large-arc sweep x y, Z. Lines starting with # are comments.\n\n";
  for (const TVerb& Verb : Verbs()) {
    Text += std::string(Verb.Name) + " " + std::string(Verb.Usage);
    for (const TParam* Param : Verb.Named) Text += " " + std::string(Param->Name) + "=" + std::string(Param->Default);
    Text += std::string(Verb.Text ? " \"TEXT\"" : "") + "\n    " + std::string(Verb.Help) + "\n";
  }
  constexpr std::string_view Takes[] = {"a number",
                                        "a count or all",
                                        "#AARRGGBB",
                                        "#AARRGGBB or canvas",
                                        "one of: ",
                                        "all, none, or joined by +: ",
                                        "OFFSET:#AARRGGBB joined by ,",
                                        "lengths joined by , or one of: ",
                                        "names joined by +"};
  static_assert(std::size(Takes) == static_cast<std::size_t>(TKind::Names) + 1);
  Text += "\nThe named arguments take:\n";
  for (const TParam& Param : Arguments())
    Text += "  " + std::string(Param.Name) + ": " + std::string(Takes[static_cast<int>(Param.Kind)]) +
            std::string(Param.Choices) + "\n";
  return Text;
}

}  // namespace fsvg::test
