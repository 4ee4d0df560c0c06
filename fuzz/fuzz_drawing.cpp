// Fuzz target: arbitrary sequences of drawing, state and measuring calls with arbitrary
// arguments (NaN, infinities, huge and tiny values, empty and long polygons, hostile text)
// on a TSvgCanvas over a TNullCanvas. No call may crash, and the finished document is
// well-formed XML in valid UTF-8 (the number forms have their own target, fuzz_number).
#include <fuzzer/FuzzedDataProvider.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <functional>

#include "fsvg/fsvgcanvas.h"
#include "fuzzsupport.h"

using namespace fsvg;

struct TInput {
  FuzzedDataProvider& In;
  float Real() {
    constexpr float Specials[] = {NAN,      INFINITY, -INFINITY, -0.0f, 3.4e38f, -3.4e38f, 1e-45f, 999999999999.0f,
                                  0.00005f, 180,      360,       -360,  720};
    const int Pick = In.ConsumeIntegralInRange<int>(0, 3);
    if (Pick == 0) return std::bit_cast<float>(In.ConsumeIntegral<std::uint32_t>());
    if (Pick == 1) return Specials[In.ConsumeIntegralInRange<std::size_t>(0, std::size(Specials) - 1)];
    return static_cast<float>(In.ConsumeIntegralInRange<std::int32_t>(-800000, 800000)) / 8.0f;
  }
  TPointF Point() { return {Real(), Real()}; }
  TRectF Rect() { return {Real(), Real(), Real(), Real()}; }
  TBrushKind Kind() { return static_cast<TBrushKind>(In.ConsumeIntegralInRange<int>(0, 4)); }
  TBrush Brush() { return TBrush(Kind(), In.ConsumeIntegral<TAlphaColor>()); }
  TStrokeBrush Stroke() { return TStrokeBrush(Kind(), In.ConsumeIntegral<TAlphaColor>(), Real()); }
  TCorners Corners() { return In.ConsumeBool() ? AllCorners : TCorners{TCorner::BottomLeft}; }
  TTextAlign Align() { return static_cast<TTextAlign>(In.ConsumeIntegralInRange<int>(0, 2)); }
  std::u16string Text() {
    std::u16string Units(In.ConsumeIntegralInRange<std::size_t>(0, 200), u'\0');
    for (char16_t& Unit : Units) Unit = In.ConsumeIntegral<char16_t>();
    return Units;
  }
  // Short polygons from the input; long ones (thousands of points) repeat one point.
  TPolygon Polygon() {
    TPolygon Points(In.ConsumeIntegralInRange<std::size_t>(0, 6));
    for (TPointF& P : Points) P = Point();
    if (In.ConsumeIntegralInRange<int>(0, 15) == 0) Points.resize(In.ConsumeIntegralInRange<std::size_t>(100, 5000));
    return Points;
  }
};

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
  FuzzedDataProvider Provider(Data, Size);
  TMemoryStream Stream;
  {
    TNullCanvas Host(Provider.ConsumeIntegralInRange<std::int32_t>(0, 1 << 20), 100);
    TSvgCanvas C(&Stream, &Host);
    TInput I{Provider};
    const std::function<void()> Steps[] = {
        [&] { C.Clear(I.In.ConsumeIntegral<TAlphaColor>()); },
        [&] { C.ClearRect(I.Rect(), I.In.ConsumeIntegral<TAlphaColor>()); },
        [&] { C.FillRect(I.Rect(), I.Real(), I.Real(), I.Corners(), I.Real(), I.Brush()); },
        [&] { C.DrawRect(I.Rect(), I.Real(), I.Real(), I.Corners(), I.Real(), I.Stroke()); },
        [&] { C.DrawLine(I.Point(), I.Point(), I.Real(), I.Stroke()); },
        [&] { C.FillEllipse(I.Rect(), I.Real(), I.Brush()); },
        [&] { C.DrawEllipse(I.Rect(), I.Real(), I.Stroke()); },
        [&] { C.FillArc(I.Point(), I.Point(), I.Real(), I.Real(), I.Real(), I.Brush()); },
        [&] { C.DrawArc(I.Point(), I.Point(), I.Real(), I.Real(), I.Real(), I.Stroke()); },
        [&] { C.FillPolygon(I.Polygon(), I.Real()); },
        [&] { C.DrawPolygon(I.Polygon(), I.Real()); },
        [&] { C.FillText(I.Rect(), I.Text(), I.In.ConsumeBool(), I.Real(), {}, I.Align(), I.Align()); },
        [&] { C.SetFill(I.Brush()); },
        [&] { Host.SetStroke(I.Stroke()); },
        [&] { C.GetFont() = TFont(I.Text(), I.Real()); },
        [&] { C.SetOffset(I.Point()); },
        [&] {
          Host.SetMatrix(TMatrix{I.Real(), 0, 0, 0, I.Real(), 0, I.Real(), I.Real(), 1});
        },
        [&] { C.SetSize(I.In.ConsumeIntegralInRange<std::int32_t>(0, 1 << 30), 7); },
        [&] { (void)C.AlignToPixel(I.Rect()); },
        [&] { (void)(C.AlignToPixel(I.Point()).X + C.AlignToPixelVertically(I.Real())); },
    };
    for (int Count = 0; Count < 200 && I.In.remaining_bytes() > 0; ++Count)
      Steps[I.In.ConsumeIntegralInRange<std::size_t>(0, std::size(Steps) - 1)]();
  }
  fsvg::fuzz::ParseOrFail(Stream.View());
  return 0;
}
