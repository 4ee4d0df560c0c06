// Fuzz target: arbitrary sequences of drawing, state and measuring calls with arbitrary
// arguments (NaN, infinities, huge and tiny values, empty and long polygons, hostile text
// and font families) on a TSvgCanvas over a TNullCanvas. No call may crash, the finished
// document is well-formed XML in valid UTF-8, and every text element reads back as the
// caller's text and family, less what XML cannot carry: U+FFFD for forbidden characters
// and unpaired surrogates, one LF for every line end, and in an attribute a space for tab
// and LF. The number forms have their own target, fuzz_number.
#include <fuzzer/FuzzedDataProvider.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <functional>

#include "fsvg/fsvgcanvas.h"
#include "fuzzsupport.h"

using namespace fsvg;

// Text as an XML parser gives it back from an attribute or from element content, in UTF-8.
static std::string AsParsed(std::u16string_view Text, bool Attribute) {
  std::u16string Clean;
  for (std::size_t Index = 0; Index < Text.size(); ++Index) {
    char16_t Unit = Text[Index];
    const char16_t Next = Index + 1 < Text.size() ? Text[Index + 1] : 0;
    if (Unit >= 0xD800 && Unit <= 0xDBFF && Next >= 0xDC00 && Next <= 0xDFFF) {
      Clean += Unit;  // a pair: the low half follows below
      Unit = Text[++Index];
    } else if ((Unit >= 0xD800 && Unit <= 0xDFFF) || Unit >= 0xFFFE ||
               (Unit < 0x20 && Unit != '\t' && Unit != '\n' && Unit != '\r'))
      Unit = 0xFFFD;
    if (Unit == '\r') {
      Unit = '\n';
      Index += Next == '\n';
    }
    Clean += Attribute && (Unit == '\t' || Unit == '\n') ? u' ' : Unit;
  }
  const TBytes Bytes = ToUtf8(Clean);
  return std::string(Bytes.begin(), Bytes.end());
}

struct TInput {
  FuzzedDataProvider& In;
  std::size_t UpTo(std::size_t Last) { return In.ConsumeIntegralInRange<std::size_t>(0, Last); }
  TAlphaColor Color() { return In.ConsumeIntegral<TAlphaColor>(); }
  float Real() {
    constexpr float Specials[] = {NAN,      INFINITY, -INFINITY, -0.0f, 3.4e38f, -3.4e38f, 1e-45f, 999999999999.0f,
                                  0.00005f, 180,      360,       -360,  720};
    const std::size_t Pick = UpTo(3);
    if (Pick == 0) return std::bit_cast<float>(In.ConsumeIntegral<std::uint32_t>());
    if (Pick == 1) return Specials[UpTo(std::size(Specials) - 1)];
    return static_cast<float>(In.ConsumeIntegralInRange<std::int32_t>(-800000, 800000)) / 8.0f;
  }
  TPointF Point() { return {Real(), Real()}; }
  TRectF Rect() { return {Real(), Real(), Real(), Real()}; }
  TBrushKind Kind() { return static_cast<TBrushKind>(UpTo(4)); }
  TBrush Brush() { return TBrush(Kind(), Color()); }
  TStrokeBrush Stroke() { return TStrokeBrush(Kind(), Color(), Real()); }
  TCorners Corners() { return In.ConsumeBool() ? AllCorners : TCorners{TCorner::BottomLeft}; }
  TTextAlign Align() { return static_cast<TTextAlign>(UpTo(2)); }
  std::u16string Text() {
    std::u16string Units(UpTo(200), u'\0');
    for (char16_t& Unit : Units) Unit = In.ConsumeIntegral<char16_t>();
    return Units;
  }
  // Short polygons from the input; long ones (thousands of points) repeat one point.
  TPolygon Polygon() {
    TPolygon Points(UpTo(6));
    for (TPointF& P : Points) P = Point();
    if (UpTo(15) == 0) Points.resize(In.ConsumeIntegralInRange<std::size_t>(100, 5000));
    return Points;
  }
};

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
  FuzzedDataProvider Provider(Data, Size);
  TMemoryStream Stream;
  std::string Written;  // each text's family and text as a parser should read them, \1 and \2 after each
  {
    TNullCanvas Host(Provider.ConsumeIntegralInRange<std::int32_t>(0, 1 << 20), 100);
    TSvgCanvas C(&Stream, &Host);
    TInput I{Provider};
    const std::function<void()> Steps[] = {
        [&] { C.Clear(I.Color()); },
        [&] { C.ClearRect(I.Rect(), I.Color()); },
        [&] { C.FillRect(I.Rect(), I.Real(), I.Real(), I.Corners(), I.Real(), I.Brush()); },
        [&] { C.DrawRect(I.Rect(), I.Real(), I.Real(), I.Corners(), I.Real(), I.Stroke()); },
        [&] { C.DrawLine(I.Point(), I.Point(), I.Real(), I.Stroke()); },
        [&] { C.FillEllipse(I.Rect(), I.Real(), I.Brush()); },
        [&] { C.DrawEllipse(I.Rect(), I.Real(), I.Stroke()); },
        [&] { C.FillArc(I.Point(), I.Point(), I.Real(), I.Real(), I.Real(), I.Brush()); },
        [&] { C.DrawArc(I.Point(), I.Point(), I.Real(), I.Real(), I.Real(), I.Stroke()); },
        [&] { C.FillPolygon(I.Polygon(), I.Real()); },
        [&] { C.DrawPolygon(I.Polygon(), I.Real()); },
        [&] {
          const std::u16string Text = I.Text();
          C.FillText(I.Rect(), Text, I.In.ConsumeBool(), I.Real(), {}, I.Align(), I.Align());
          Written += AsParsed(C.GetFont().Family, true) + '\1' + AsParsed(Text, false) + '\2';
        },
        [&] { C.SetFill(I.Brush()); },
        [&] { Host.SetStroke(I.Stroke()); },
        [&] { C.GetFont() = TFont(I.Text(), I.Real()); },
        [&] { C.SetOffset(I.Point()); },
        [&] {
          Host.SetMatrix(TMatrix{I.Real(), 0, 0, 0, I.Real(), 0, I.Real(), I.Real(), 1});
        },
        [&] { C.SetSize(I.In.ConsumeIntegralInRange<std::int32_t>(0, 1 << 30), 7); },
        [&] { (void)C.AlignToPixel(I.Rect()); },
        [&] {
          (void)C.AlignToPixel(I.Point());
          (void)C.AlignToPixelVertically(I.Real());
        },
        [&] {
          const TBitmap Bitmap(3, 2, std::vector<TAlphaColor>(6, I.Color()));
          C.DrawBitmap(Bitmap, I.Rect(), I.Rect(), I.Real(), I.In.ConsumeBool());
        },
    };
    for (int Count = 0; Count < 200 && I.In.remaining_bytes() > 0; ++Count) {
      try {
        Steps[I.UpTo(std::size(Steps) - 1)]();
      } catch (const EArgumentError&) {
        // A value that is not finite: refused before the host paints, nothing recorded.
      }
    }
  }
  const fuzz::TXmlDocPtr Doc = fuzz::ParseOrFail(Stream.View());
  std::string Parsed;  // of the text elements, the only ones with a font family
  for (xmlNode* Element = xmlFirstElementChild(xmlDocGetRootElement(Doc.get())); Element != nullptr;
       Element = xmlNextElementSibling(Element)) {
    xmlChar* Family = xmlGetProp(Element, BAD_CAST "font-family");
    xmlChar* Text = xmlNodeGetContent(Element);
    if (Family != nullptr)
      Parsed += std::string(reinterpret_cast<char*>(Family)) + '\1' + reinterpret_cast<char*>(Text) + '\2';
    xmlFree(Family);
    xmlFree(Text);
  }
  if (Parsed != Written) fuzz::Fail("the texts or their families do not read back as written", Stream.View());
  return 0;
}
