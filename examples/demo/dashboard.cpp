// The demo dashboard: a header, a bar chart with a target area series, a pie chart made
// of filled arcs with its legend, and key figures in Latin, Greek and Cyrillic script.
// Every label is placed by its measured width and with its baseline on the bottom of its
// rectangle, so the raster and the recorded SVG (which anchors text there) agree.
#include "dashboard.h"

#include <array>
#include <cmath>
#include <numbers>
#include <string>

namespace fsvg::demo {

namespace {

constexpr TAlphaColor Ink = 0xFF1F2A44;
constexpr TAlphaColor MutedInk = 0xFF5B6478;
constexpr TAlphaColor Grid = 0xFFE3E7EE;
constexpr TAlphaColor Border = 0xFFD5DAE3;
constexpr TAlphaColor White = 0xFFFFFFFF;
constexpr std::array<TAlphaColor, 4> Palette = {0xFF3B6FD8, 0xFF2BB39A, 0xFFF2A33A, 0xFFD9534F};

TBrush Solid(TAlphaColor Color) { return TBrush(TBrushKind::Solid, Color); }
TStrokeBrush Pen(TAlphaColor Color, float Thickness) { return TStrokeBrush(TBrushKind::Solid, Color, Thickness); }

class TPainter {
 public:
  TPainter(TCanvas& Canvas, float AscentPerEm) : FCanvas(Canvas), FAscentPerEm(AscentPerEm) {}

  /// Text whose baseline is at Baseline and which starts at X (Leading), is centred on
  /// X (Center) or ends at X (Trailing).
  void Label(float X, float Baseline, std::u16string_view Text, float Size, TAlphaColor Color,
             TTextAlign Align = TTextAlign::Leading, float Opacity = 1) {
    FCanvas.GetFont().Family = DashboardFont;
    FCanvas.GetFont().Size = Size;
    FCanvas.SetFill(Solid(Color));
    const float Width = FCanvas.TextWidth(Text);
    float Left = X;
    if (Align == TTextAlign::Center) Left = X - Width / 2;
    if (Align == TTextAlign::Trailing) Left = X - Width;
    const TRectF Rect{Left, Baseline - Size * FAscentPerEm, Left + Width, Baseline};
    FCanvas.FillText(Rect, Text, false, Opacity, {}, TTextAlign::Leading, TTextAlign::Leading);
  }

  /// A white card with a hairline border and a title.
  void Panel(const TRectF& Rect, std::u16string_view Title) {
    FCanvas.FillRect(Rect, 10, 10, AllCorners, 1, Solid(White));
    FCanvas.DrawRect(Rect, 10, 10, AllCorners, 1, Pen(Border, 1));
    Label(Rect.Left + 16, Rect.Top + 28, Title, 15, Ink);
  }

  TCanvas& Canvas() { return FCanvas; }

 private:
  TCanvas& FCanvas;
  float FAscentPerEm;
};

std::u16string Number(int Value) {
  const std::string Digits = std::to_string(Value);
  return std::u16string(Digits.begin(), Digits.end());
}

void DrawHeader(TPainter& P) {
  TCanvas& C = P.Canvas();
  C.FillRect({0, 0, DashboardWidth, 56}, 0, 0, {}, 1, Solid(Ink));
  P.Label(20, 36, u"Northwind Traders \u2014 sales dashboard 2026", 22, White);
  P.Label(DashboardWidth - 20, 35, u"Q1\u2013Q4 \u00B7 k\u20AC", 13, 0xFFB8C2D6, TTextAlign::Trailing);
}

// Revenue per quarter for two years, a translucent target area and a shaded forecast.
void DrawBarChart(TPainter& P) {
  TCanvas& C = P.Canvas();
  P.Panel({20, 76, 500, 336}, u"Revenue by quarter");
  constexpr float Left = 70, Right = 480, Top = 124, Bottom = 300, Max = 300;
  const auto Y = [&](float Value) { return Bottom - (Bottom - Top) * Value / Max; };

  for (int Value = 0; Value <= 300; Value += 50) {
    if (Value > 0) C.DrawLine({Left, Y(Value)}, {Right, Y(Value)}, 1, Pen(Grid, 1));
    P.Label(Left - 8, Y(Value) + 4, Number(Value), 11, MutedInk, TTextAlign::Trailing);
  }
  C.DrawLine({Left, Bottom}, {Right, Bottom}, 1, Pen(MutedInk, 1.5f));
  C.DrawLine({Left, Top - 6}, {Left, Bottom}, 1, Pen(MutedInk, 1.5f));

  // Q4 is a forecast: a translucent band behind its bars.
  constexpr float Slot = (Right - Left) / 4;
  C.FillRect({Left + 3 * Slot + 4, Top - 22, Right - 2, Bottom}, 0, 0, {}, 0.35f, Solid(0xFFDCE4F5));
  P.Label(Right - 8, Top - 10, u"forecast", 10, MutedInk, TTextAlign::Trailing);

  constexpr std::array<int, 4> LastYear = {182, 205, 198, 240};
  constexpr std::array<int, 4> ThisYear = {210, 236, 251, 287};
  constexpr std::array<int, 4> Target = {200, 225, 250, 275};
  constexpr const char16_t* Quarters[] = {u"Q1", u"Q2", u"Q3", u"Q4"};

  // The target as a translucent area series behind the bars.
  TPolygon Area{{Left + Slot / 2, Bottom}};
  for (int I = 0; I < 4; ++I) Area.push_back({Left + Slot * (I + 0.5f), Y(Target[I])});
  Area.push_back({Left + Slot * 3.5f, Bottom});
  C.SetFill(Solid(Palette[2]));
  C.FillPolygon(Area, 0.18f);

  for (int I = 0; I < 4; ++I) {
    const float Center = Left + Slot * (I + 0.5f);
    const TRectF Old{Center - 30, Y(LastYear[I]), Center - 2, Bottom};
    const TRectF New{Center + 2, Y(ThisYear[I]), Center + 30, Bottom};
    // Bars round their top corners only; the recording rounds all four (a few pixels).
    C.FillRect(Old, 3, 3, {TCorner::TopLeft, TCorner::TopRight}, 1, Solid(0xFFA9BCE8));
    C.FillRect(New, 3, 3, {TCorner::TopLeft, TCorner::TopRight}, 1, Solid(Palette[0]));
    P.Label(Old.CenterPoint().X, Old.Top + 14, Number(LastYear[I]), 10, Ink, TTextAlign::Center);
    P.Label(New.CenterPoint().X, New.Top + 14, Number(ThisYear[I]), 10, White, TTextAlign::Center);
    P.Label(Center, Bottom + 18, Quarters[I], 12, Ink, TTextAlign::Center);
  }

  C.GetStroke() = Pen(0xFFC77C12, 2);
  for (int I = 0; I < 3; ++I)
    C.DrawLine({Left + Slot * (I + 0.5f), Y(Target[I])}, {Left + Slot * (I + 1.5f), Y(Target[I + 1])}, 1);
  for (int I = 0; I < 4; ++I) {
    const TPointF At{Left + Slot * (I + 0.5f), Y(Target[I])};
    C.FillEllipse({At.X - 4, At.Y - 4, At.X + 4, At.Y + 4}, 1, Solid(White));
    C.DrawEllipse({At.X - 4, At.Y - 4, At.X + 4, At.Y + 4}, 1, Pen(0xFFC77C12, 2));
  }
}

// Regional shares as a ring: each slice is the filled arc (the part beyond its chord)
// plus a fan of triangles from the centre to points on the arc, whose outer edges lie
// inside the arc's fill, so no seam shows along a chord.
void DrawPieChart(TPainter& P) {
  TCanvas& C = P.Canvas();
  P.Panel({520, 76, 780, 336}, u"Revenue by region");
  constexpr TPointF Center{650, 190};
  constexpr float Radius = 72;
  constexpr std::array<float, 4> Shares = {38, 27, 21, 14};
  constexpr const char16_t* Regions[] = {u"Europe", u"Americas", u"Asia", u"Other"};

  float Start = -90;
  for (std::size_t I = 0; I < Shares.size(); ++I) {
    const float Sweep = Shares[I] * 3.6f;
    C.SetFill(Solid(Palette[I]));
    C.FillArc(Center, {Radius, Radius}, Start, Sweep, 1);
    TPolygon Fan{Center};
    const int Steps = static_cast<int>(std::ceil(Sweep / 10));
    for (int Step = 0; Step <= Steps; ++Step) {
      const double Angle = (Start + Sweep * Step / Steps) * std::numbers::pi / 180;
      Fan.push_back({Center.X + Radius * static_cast<float>(std::cos(Angle)),
                     Center.Y + Radius * static_cast<float>(std::sin(Angle))});
    }
    C.FillPolygon(Fan, 1);
    Start += Sweep;
  }
  C.FillEllipse({Center.X - 38, Center.Y - 38, Center.X + 38, Center.Y + 38}, 1, Solid(White));
  P.Label(Center.X, Center.Y - 2, u"1 034", 16, Ink, TTextAlign::Center);
  P.Label(Center.X, Center.Y + 14, u"k\u20AC total", 10, MutedInk, TTextAlign::Center);

  for (std::size_t I = 0; I < Shares.size(); ++I) {
    const float X = 540 + static_cast<float>(I % 2) * 120;
    const float Top = 282 + static_cast<float>(I / 2) * 24;
    C.FillRect({X, Top, X + 14, Top + 14}, 4, 4, AllCorners, 1, Solid(Palette[I]));
    P.Label(X + 22, Top + 12, std::u16string(Regions[I]) + u" " + Number(static_cast<int>(Shares[I])) + u"%", 12, Ink);
  }
}

// Three key figures, each card drawn in its own coordinates through the offset.
void DrawKeyFigures(TPainter& P) {
  TCanvas& C = P.Canvas();
  struct TFigure {
    const char16_t* Caption;
    const char16_t* Value;
    const char16_t* Note;
    std::array<float, 7> Trend;
  };
  const TFigure Figures[] = {
      {u"Revenue growth", u"+12.4%", u"Caf\u00E9 & d\u00E9licatesse lead", {4, 6, 5, 8, 9, 11, 12}},
      {u"\u0391\u03CD\u03BE\u03B7\u03C3\u03B7 \u03C0\u03B5\u03BB\u03B1\u03C4\u03CE\u03BD",
       u"+8.1%",
       u"\u039D\u03AD\u03BF\u03B9 \u03C0\u03B5\u03BB\u03AC\u03C4\u03B5\u03C2 \u03B1\u03BD\u03AC "
       u"\u03BC\u03AE\u03BD\u03B1",
       {3, 4, 4, 6, 5, 7, 8}},
      {u"\u0421\u0440\u0435\u0434\u043D\u0438\u0439 \u0447\u0435\u043A",
       u"\u2212 2.3%",
       u"\u0421\u0435\u0437\u043E\u043D\u043D\u043E\u0435 \u0441\u043D\u0438\u0436\u0435\u043D\u0438\u0435",
       {9, 8, 8, 7, 7, 6, 6}},
  };
  constexpr float CardWidth = 244, CardHeight = 140;
  for (std::size_t I = 0; I < std::size(Figures); ++I) {
    const TFigure& F = Figures[I];
    TCanvasSaveState* State = C.SaveState();
    C.SetOffset({20 + static_cast<float>(I) * (CardWidth + 14), 356});
    const TAlphaColor Accent = Palette[I == 2 ? 3 : I];
    C.FillRect({0, 0, CardWidth, CardHeight}, 10, 10, AllCorners, 1, Solid(White));
    C.DrawRect({0, 0, CardWidth, CardHeight}, 10, 10, AllCorners, 1, Pen(Border, 1));
    C.FillRect({0, 0, 6, CardHeight}, 3, 3, {TCorner::TopLeft, TCorner::BottomLeft}, 1, Solid(Accent));
    P.Label(20, 28, F.Caption, 13, MutedInk);
    P.Label(20, 70, F.Value, 30, Ink);
    P.Label(20, 120, F.Note, 11, MutedInk);
    // The trend as a sparkline with a translucent band under it.
    TPolygon Band{{150, 90}};
    for (std::size_t K = 0; K < F.Trend.size(); ++K)
      Band.push_back({150 + static_cast<float>(K) * 13, 90 - F.Trend[K] * 4});
    Band.push_back({150 + 6 * 13, 90});
    C.SetFill(Solid(Accent));
    C.FillPolygon(Band, 0.15f);
    for (std::size_t K = 1; K < F.Trend.size(); ++K) C.DrawLine(Band[K], Band[K + 1], 1, Pen(Accent, 2));
    C.RestoreState(State);
  }
}

}  // namespace

void DrawDashboard(TCanvas& Canvas, float AscentPerEm) {
  TPainter Painter(Canvas, AscentPerEm);
  Canvas.Clear(0xFFF4F6FA);
  DrawHeader(Painter);
  DrawBarChart(Painter);
  DrawPieChart(Painter);
  DrawKeyFigures(Painter);
  Painter.Label(DashboardWidth - 20, DashboardHeight - 8,
                u"fsvgcanvas \u00B7 \u0394\u03B5\u03AF\u03B3\u03BC\u03B1 \u00B7 \u041F\u0440\u0438\u043C\u0435\u0440",
                10, MutedInk, TTextAlign::Trailing, 0.8f);
}

}  // namespace fsvg::demo
