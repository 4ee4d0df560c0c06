// Drawing scripts: scenes written as text, one drawing call a line, read by Load and
// drawn by TScript one step at a time. The fidelity scenes (cairo/fidelity/scenes.txt)
// and the recorder's reviewed documents (tests/scenes.txt) are such scripts; the header
// of cairo/fidelity/scenes.txt says what each line means.
#pragma once

#include <cctype>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "fsvg/fsvgcanvas.h"

namespace fsvg::test {

/// One drawing call of a scene.
struct TStep {
  char Op = 0;
  std::vector<float> N;
  TAlphaColor Color = 0xFF1F2A44;
  TBrushKind Kind = TBrushKind::Solid;
  float Thickness = 0, Opacity = 1;
  bool Current = false;  // through the overload that takes the canvas's own Fill or Stroke
  std::u16string Text;
  std::string Commands;              // a path's commands, in order; their numbers are N's
  bool EvenOdd = false;              // the path is filled even-odd
  std::vector<TGradientStop> Stops;  // a gradient's, each given as OFFSET#AARRGGBB
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
    if (Text.compare(I, 2, "\\n") == 0 || Text.compare(I, 2, "\\u") == 0) {
      Result += Text[I + 1] == 'n' ? u'\n' : static_cast<char16_t>(std::stoi(Text.substr(I + 2, 4), nullptr, 16));
      I += Text[I + 1] == 'n' ? 1 : 5;
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

/// The scene Name of the script file File. A line "= NAME WIDTH HEIGHT TEXT MAX MIN"
/// opens a scene; each other line that is not blank or a comment is a step: a letter,
/// then numbers ("~" before one adds Seed), "#AARRGGBB" the colour, "wN" the
/// outline's thickness, "@N" the opacity, "%K" the brush kind, "$" the canvas's own
/// paint, "*K" the text repeated K times, a path's letters and "eo", and last "TEXT".
inline TScene Load(const std::string& File, const std::string& Name, float Seed = 0) {
  std::ifstream In(File);
  TScene Scene;
  Scene.Name = Name;
  bool Inside = false;
  for (std::string Line; std::getline(In, Line);) {
    std::istringstream Words(Line);
    std::string Op;
    Words >> Op;
    if (Op == "=") {
      std::string Header;
      Words >> Header;
      Inside = Header == Name;
      if (Inside) Words >> Scene.Width >> Scene.Height >> Scene.Text >> Scene.MaxPercent >> Scene.MinPercent;
    } else if (Inside && !Op.empty() && Op[0] != '#') {
      TStep Step;
      Step.Op = Op[0];
      std::size_t Repeat = 1;
      for (std::string Word; Words >> Word && Word[0] != '"';) {
        const std::string Value = Word.substr(1);
        if (Word[0] == '#') Step.Color = static_cast<TAlphaColor>(std::stoul(Value, nullptr, 16));
        if (const auto Hash = Word.find('#'); Hash != std::string::npos && Hash > 0)
          Step.Stops.push_back(
              {std::stof(Word), static_cast<TAlphaColor>(std::stoul(Word.substr(Hash + 1), nullptr, 16))});
        if (Word[0] == 'w') Step.Thickness = std::stof(Value);
        if (Word[0] == '@') Step.Opacity = std::stof(Value);
        if (Word[0] == '%') Step.Kind = static_cast<TBrushKind>(std::stoi(Value));
        if (Word[0] == '*') Repeat = std::stoul(Value);
        Step.Current |= Word == "$";
        Step.EvenOdd |= Word == "eo";
        if (std::isupper(static_cast<unsigned char>(Word[0]))) Step.Commands.push_back(Word[0]);
        char* End = nullptr;  // a number ("nan" and "inf" too), taken whole
        const float Number = std::strtof(Word.c_str() + (Word[0] == '~'), &End);
        if (*End == 0 && End != Word.c_str() + (Word[0] == '~') && Word.find_first_of("#w@%*") != 0)
          Step.N.push_back(Number + (Word[0] == '~' ? Seed : 0));
      }
      const auto Quote = Line.find('"');
      const std::u16string Text =
          Quote == std::string::npos ? u"" : Utf16(Line.substr(Quote + 1, Line.rfind('"') - Quote - 1));
      const TStep Once = Step;
      for (; Repeat > 1; --Repeat) {  // the text, or else the numbers, K times over
        Step.Text += Text;
        if (Text.empty()) Step.N.insert(Step.N.end(), Once.N.begin(), Once.N.end());
      }
      Step.Text += Text;
      Scene.Steps.push_back(Step);
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
  Path.FillRule = Step.EvenOdd ? TFillRule::EvenOdd : TFillRule::NonZero;
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
      const TPointF Control1 = Next(), Control2 = Next();
      Path.CurveTo(Control1, Control2, Next());
    }
    if (Command == 'A') {
      const TPointF Radius = Next(), Flags = Next();
      const bool Sweep = N.at(I++) != 0;  // read before the end point: arguments have no order
      Path.ArcTo(Radius, Flags.X, Flags.Y != 0, Sweep, Next());
    }
  }
  return Path;
}

/// Draws the steps of a scene on a recording canvas, its host's matrix set through the
/// host; keeps the dash, cap and join set by "s" and the states saved by "v" from one
/// step to the next. A step it does not know goes to Other.
class TScript {
 public:
  explicit TScript(TSvgCanvas& Canvas, std::function<void(const TStep&)> Other = {})
      : C(Canvas), FOther(std::move(Other)) {}

  void Run(const std::vector<TStep>& Steps) {
    for (const TStep& Step : Steps) Draw(Step);
  }

  void Draw(const TStep& Step) {
    const auto& [Op, N, Color, Kind, Thickness, Opacity, Current, Text, Commands, EvenOdd, Stops] = Step;
    const auto At = [&Step](std::size_t I) { return I < Step.N.size() ? Step.N[I] : 0.f; };
    const TRectF R{At(0), At(1), At(2), At(3)};
    const TPointF P{At(0), At(1)}, Q{At(2), At(3)};
    const bool Rect = Op == 'r' || Op == 'R';  // the only steps whose numbers name corners
    TCorners Corners;
    for (int Corner = 0; Corner < 4; ++Corner)
      if ((Rect && N.size() > 7 ? static_cast<int>(N[7]) : 15) >> Corner & 1)
        Corners.Include(static_cast<TCorner>(Corner));
    TPolygon Points;
    for (std::size_t I = 0; I + 1 < N.size(); I += 2) Points.push_back({N[I], N[I + 1]});
    if (Op == 'g')
      FGradient = Stops.empty() ? nullptr
                  : N.size() == 5
                      ? TGradient::Linear(P, Q, Stops, static_cast<TGradientSpread>(At(4)))
                      : TGradient::Radial(P, At(2), {At(3), At(4)}, Stops, static_cast<TGradientSpread>(At(5)));
    const TBrush Fill = FGradient ? TBrush(FGradient, Color) : TBrush(Kind, Color);
    TStrokeBrush Pen = FStyle;
    static_cast<TBrush&>(Pen) = Fill;
    Pen.Thickness = Thickness;
    // Polygons and text take the canvas's paint: their own, unless "$"; "y" and "Y" set it.
    if (!Current && std::string_view("ptby").find(Op) != std::string_view::npos) C.SetFill(Fill);
    if (!Current && std::string_view("PY").find(Op) != std::string_view::npos) C.GetStroke() = Pen;
    const auto Type = static_cast<TCornerType>(Rect ? At(6) : 0);
    if (Op == 'r')
      Current ? C.FillRect(R, At(4), At(5), Corners, Opacity, Type)
              : C.FillRect(R, At(4), At(5), Corners, Opacity, Fill, Type);
    if (Op == 'R')
      Current ? C.DrawRect(R, At(4), At(5), Corners, Opacity, Type)
              : C.DrawRect(R, At(4), At(5), Corners, Opacity, Pen, Type);
    if (Op == 'e') Current ? C.FillEllipse(R, Opacity) : C.FillEllipse(R, Opacity, Fill);
    if (Op == 'E') Current ? C.DrawEllipse(R, Opacity) : C.DrawEllipse(R, Opacity, Pen);
    if (Op == 'a') Current ? C.FillArc(P, Q, At(4), At(5), Opacity) : C.FillArc(P, Q, At(4), At(5), Opacity, Fill);
    if (Op == 'A') Current ? C.DrawArc(P, Q, At(4), At(5), Opacity) : C.DrawArc(P, Q, At(4), At(5), Opacity, Pen);
    if (Op == 'L') Current ? C.DrawLine(P, Q, Opacity) : C.DrawLine(P, Q, Opacity, Pen);
    if (Op == 'f') Current ? C.FillPath(PathOf(Step), Opacity) : C.FillPath(PathOf(Step), Opacity, Fill);
    if (Op == 'F') Current ? C.DrawPath(PathOf(Step), Opacity) : C.DrawPath(PathOf(Step), Opacity, Pen);
    if (Op == 'p') C.FillPolygon(Points, Opacity);
    if (Op == 'P') C.DrawPolygon(Points, Opacity);
    if (Op == 'C') C.Clear(Color);
    if (Op == 'c') C.ClearRect(R, Color);
    if (Op == 'k') C.IntersectClipRect(R);
    if (Op == 'x') C.ExcludeClipRect(R);
    if (Op == 'K') C.IntersectClipPath(PathOf(Step));
    if (Op == 'v') FSaved.push_back(C.SaveState());
    if (Op == '^' && !FSaved.empty()) {
      C.RestoreState(FSaved.back());
      FSaved.pop_back();
    }
    if (Op == 'o') C.SetOffset(P);
    if (Op == 'm') C.GetCanvas().SetMatrix({At(0), At(1), 0, At(2), At(3), 0, At(4), At(5), 1});
    if (Op == 's') {
      FStyle.Dash = static_cast<TStrokeDash>(At(0));
      FStyle.Cap = static_cast<TStrokeCap>(At(1));
      FStyle.Join = static_cast<TStrokeJoin>(At(2));
    }
    if (Op == 'n') C.GetFont() = TFont(Text, At(0));
    if (Op == 't') {
      C.GetFont().Size = At(4);
      const TFillTextFlags Flags = At(8) == 1 ? TFillTextFlags{TFillTextFlag::RightToLeft} : TFillTextFlags{};
      const std::u16string_view Shown = std::u16string_view(Text).substr(0, N.size() > 9 ? N[9] : Text.size());
      C.FillText(R, Shown, At(7) == 1, Opacity, Flags, static_cast<TTextAlign>(At(5)), static_cast<TTextAlign>(At(6)));
    }
    if (Op == 'b') {
      C.GetFont().Size = At(3);
      const float Ascent = C.GetCanvas().GetFontMetrics().Ascent;
      C.FillText({At(0), At(1) - Ascent, At(2), At(1)}, Text, false, Opacity, {}, TTextAlign::Leading,
                 TTextAlign::Leading);
    }
    if (Op == 'i') {  // a 64-pixel square: a colour ramp fading downwards, or (the tenth number 1) a checkerboard
      std::vector<TAlphaColor> Pixels;
      for (std::uint32_t Y = 0; Y < 64; ++Y)
        for (std::uint32_t X = 0; X < 64; ++X)
          Pixels.push_back(At(9) == 1 ? ((X / 4 + Y / 4) % 2 ? 0xFF2F6BD8 : 0xFFF0C81E)
                                      : (255 - Y) << 24 | X * 4 << 16 | Y * 4 << 8 | 160);
      C.DrawBitmap(TBitmap(64, 64, Pixels), R, {At(4), At(5), At(6), At(7)}, Opacity, At(8) == 1);
    }
    if (Op == 'G') C.BeginGroup(Text.substr(0, Text.find(u' ')), Text.substr(Text.find(u' ') + 1));
    if (Op == 'H') C.EndGroup();
    if (Op == 'U') C.BeginLink(Text);
    if (Op == 'u') C.EndLink();
    if (std::string_view("rReEaALfFpPCckxKv^omsntbyYGHUugi").find(Op) == std::string_view::npos && FOther) FOther(Step);
  }

 private:
  TSvgCanvas& C;
  std::function<void(const TStep&)> FOther;
  TStrokeBrush FStyle{TBrushKind::Solid, 0};   // the dash, cap and join of the outlines that follow
  std::shared_ptr<const TGradient> FGradient;  // what the fills and outlines that follow paint with
  std::vector<TCanvasSaveState*> FSaved;
};

}  // namespace fsvg::test
