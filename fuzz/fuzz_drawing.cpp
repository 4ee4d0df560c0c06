// Fuzz target: arbitrary sequences of drawing, state and measuring calls with arbitrary
// arguments (NaN, infinities, huge and tiny values, empty and long polygons, hostile text)
// on a TSvgCanvas over a TNullCanvas. No call may crash; only the documented errors of
// the host may be raised, and exactly when documented; the finished document must be
// well-formed, and every attribute must keep the writer's grammar (numbers, colours,
// point lists, arc paths).
#include <fuzzer/FuzzedDataProvider.h>
#include <libxml/parser.h>

#include <bit>
#include <cstdint>
#include <cstring>
#include <limits>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "fsvg/fsvgcanvas.h"
#include "fuzzsupport.h"

namespace {

using namespace fsvg;

constexpr float Specials[] = {std::numeric_limits<float>::quiet_NaN(),
                              std::numeric_limits<float>::infinity(),
                              -std::numeric_limits<float>::infinity(),
                              0.0f,
                              -0.0f,
                              std::numeric_limits<float>::max(),
                              std::numeric_limits<float>::lowest(),
                              std::numeric_limits<float>::min(),
                              std::numeric_limits<float>::denorm_min(),
                              1e12f,
                              -1e12f,
                              999999999999.0f,
                              0.00005f,
                              -0.00005f,
                              0.5f,
                              360.0f,
                              -360.0f,
                              180.0f,
                              720.0f,
                              1e-7f};

class TOperations {
 public:
  TOperations(FuzzedDataProvider& Provider, TNullCanvas& Host, TSvgCanvas& Canvas)
      : FIn(Provider), FHost(Host), FCanvas(Canvas) {}

  void Run() {
    for (int Count = 0; Count < 200 && FIn.remaining_bytes() > 0; ++Count) Step();
  }

 private:
  float Real() {
    switch (FIn.ConsumeIntegralInRange<int>(0, 3)) {
      case 0:
        return std::bit_cast<float>(FIn.ConsumeIntegral<std::uint32_t>());
      case 1:
        return Specials[FIn.ConsumeIntegralInRange<std::size_t>(0, std::size(Specials) - 1)];
      default:
        return static_cast<float>(FIn.ConsumeIntegralInRange<std::int32_t>(-800000, 800000)) / 8.0f;
    }
  }
  TPointF Point() { return {Real(), Real()}; }
  TRectF Rect() { return {Real(), Real(), Real(), Real()}; }
  TAlphaColor Color() { return FIn.ConsumeIntegral<TAlphaColor>(); }
  TBrushKind Kind() { return static_cast<TBrushKind>(FIn.ConsumeIntegralInRange<int>(0, 4)); }
  TBrush Brush() { return TBrush(Kind(), Color()); }
  TStrokeBrush Stroke() { return TStrokeBrush(Kind(), Color(), Real()); }
  TCorners Corners() {
    TCorners Set;
    const auto Bits = FIn.ConsumeIntegral<std::uint8_t>();
    for (int Corner = 0; Corner < 4; ++Corner)
      if ((Bits >> Corner) & 1) Set.Include(static_cast<TCorner>(Corner));
    return Set;
  }
  TCornerType CornerType() { return static_cast<TCornerType>(FIn.ConsumeIntegralInRange<int>(0, 3)); }
  TTextAlign Align() { return static_cast<TTextAlign>(FIn.ConsumeIntegralInRange<int>(0, 2)); }
  TFillTextFlags Flags() { return FIn.ConsumeBool() ? TFillTextFlags{TFillTextFlag::RightToLeft} : TFillTextFlags{}; }

  std::u16string Text() {
    const std::string Bytes = FIn.ConsumeRandomLengthString(256);
    std::u16string Units(Bytes.size() / 2, u'\0');
    for (std::size_t Index = 0; Index < Units.size(); ++Index)
      Units[Index] = static_cast<char16_t>(static_cast<std::uint8_t>(Bytes[2 * Index]) |
                                           (static_cast<std::uint8_t>(Bytes[2 * Index + 1]) << 8));
    return Units;
  }

  // Short polygons take their points from the input; long ones (thousands of points)
  // repeat a few of them, so that they cost little input.
  TPolygon Polygon() {
    TPolygon Points(FIn.ConsumeIntegralInRange<std::size_t>(0, 8));
    for (TPointF& P : Points) P = Point();
    if (FIn.ConsumeIntegralInRange<int>(0, 15) == 0) {
      const std::size_t Long = FIn.ConsumeIntegralInRange<std::size_t>(100, 5000);
      const TPointF Seed = Point();
      for (std::size_t Index = Points.size(); Index < Long; ++Index)
        Points.push_back({Seed.X + static_cast<float>(Index), Seed.Y - static_cast<float>(Index) * 0.5f});
    }
    return Points;
  }

  // Calls Action, which must raise E exactly when Expected.
  template <typename E, typename Action>
  void Expect(bool Expected, const char* What, Action&& Call) {
    bool Raised = false;
    try {
      Call();
    } catch (const E&) {
      Raised = true;
    }
    if (Raised != Expected) fsvg::fuzz::Fail(Expected ? "expected an error from" : "unexpected error from", What);
  }

  void Step() {
    switch (FIn.ConsumeIntegralInRange<int>(0, 36)) {
      case 0:
        FCanvas.Clear(Color());
        break;
      case 1:
        FCanvas.ClearRect(Rect(), Color());
        break;
      case 2:
        FCanvas.FillRect(Rect(), Real(), Real(), Corners(), Real(), CornerType());
        break;
      case 3:
        FCanvas.FillRect(Rect(), Real(), Real(), Corners(), Real(), Brush(), CornerType());
        break;
      case 4:
        FCanvas.DrawRect(Rect(), Real(), Real(), Corners(), Real(), CornerType());
        break;
      case 5:
        FCanvas.DrawRect(Rect(), Real(), Real(), Corners(), Real(), Stroke(), CornerType());
        break;
      case 6:
        FCanvas.DrawLine(Point(), Point(), Real());
        break;
      case 7:
        FCanvas.DrawLine(Point(), Point(), Real(), Stroke());
        break;
      case 8:
        FCanvas.FillEllipse(Rect(), Real());
        break;
      case 9:
        FCanvas.FillEllipse(Rect(), Real(), Brush());
        break;
      case 10:
        FCanvas.DrawEllipse(Rect(), Real());
        break;
      case 11:
        FCanvas.DrawEllipse(Rect(), Real(), Stroke());
        break;
      case 12:
        FCanvas.FillArc(Point(), Point(), Real(), Real(), Real());
        break;
      case 13:
        FCanvas.FillArc(Point(), Point(), Real(), Real(), Real(), Brush());
        break;
      case 14:
        FCanvas.DrawArc(Point(), Point(), Real(), Real(), Real());
        break;
      case 15:
        FCanvas.DrawArc(Point(), Point(), Real(), Real(), Real(), Stroke());
        break;
      case 16:
        FCanvas.FillPolygon(Polygon(), Real());
        break;
      case 17:
        FCanvas.DrawPolygon(Polygon(), Real());
        break;
      case 18: {
        const TRectF Where = Rect();
        const std::u16string What = Text();
        FCanvas.FillText(Where, What, FIn.ConsumeBool(), Real(), Flags(), Align(), Align());
        break;
      }
      case 19:
        FCanvas.SetFill(Brush());
        break;
      case 20:
        FHost.SetStroke(Stroke());
        break;
      case 21:
        FCanvas.GetFont().Family = Text();
        break;
      case 22:
        FCanvas.GetFont().Size = Real();
        break;
      case 23:
        FCanvas.SetOffset(Point());
        break;
      case 24: {
        TMatrix Matrix;
        if (FIn.ConsumeBool()) Matrix.m11 = Real();
        Matrix.m31 = Real();
        Matrix.m32 = Real();
        FHost.SetMatrix(Matrix);
        break;
      }
      case 25:
        FStates.push_back(FCanvas.SaveState());
        break;
      case 26: {
        // A live state or null.
        const std::size_t Pick = FIn.ConsumeIntegralInRange<std::size_t>(0, FStates.size() + 1);
        const TCanvasSaveState* State = Pick < FStates.size() ? FStates[Pick] : nullptr;
        const bool Live = State != nullptr;
        Expect<std::invalid_argument>(!Live, "RestoreState", [&] { FCanvas.RestoreState(State); });
        if (Live) FStates.resize(Pick);
        break;
      }
      case 27:
        FCanvas.BeginScene();
        break;
      case 28: {
        const bool Open = FCanvas.GetBeginSceneCount() > 0;
        Expect<std::logic_error>(!Open, "EndScene", [&] { FCanvas.EndScene(); });
        break;
      }
      case 29: {
        const auto Width = FIn.ConsumeIntegral<std::int32_t>();
        const auto Height = FIn.ConsumeIntegral<std::int32_t>();
        Expect<std::invalid_argument>(Width < 0 || Height < 0, "SetSize", [&] { FCanvas.SetSize(Width, Height); });
        break;
      }
      case 30:
        (void)FCanvas.AlignToPixel(Point());
        break;
      case 31:
        (void)FCanvas.AlignToPixel(Rect());
        break;
      case 32:
        (void)(FCanvas.AlignToPixelVertically(Real()) + FCanvas.AlignToPixelHorizontally(Real()));
        break;
      case 33: {
        TRectF Bounds = Rect();
        FCanvas.MeasureText(Bounds, Text(), FIn.ConsumeBool(), Flags(), Align(), Align());
        break;
      }
      case 34: {
        TLineMetricInfo Lines;
        FCanvas.MeasureLines(Lines, Rect(), Text(), FIn.ConsumeBool(), Flags(), Align(), Align());
        break;
      }
      case 35:
        (void)(FCanvas.TextWidth(Text()) + FCanvas.TextHeight(Text()));
        break;
      default:
        FCanvas.Flush();
        break;
    }
  }

  FuzzedDataProvider& FIn;
  TNullCanvas& FHost;
  TSvgCanvas& FCanvas;
  std::vector<TCanvasSaveState*> FStates;
};

std::vector<std::string_view> Split(std::string_view Text, char Separator) {
  std::vector<std::string_view> Parts;
  std::size_t Start = 0;
  for (;;) {
    const std::size_t End = Text.find(Separator, Start);
    Parts.push_back(Text.substr(Start, End == std::string_view::npos ? std::string_view::npos : End - Start));
    if (End == std::string_view::npos) return Parts;
    Start = End + 1;
  }
}

bool IsPointList(std::string_view Text) {
  for (std::string_view Pair : Split(Text, ' ')) {
    const std::vector<std::string_view> XY = Split(Pair, ',');
    if (XY.size() != 2 || !fsvg::fuzz::IsRealNumber(XY[0]) || !fsvg::fuzz::IsRealNumber(XY[1])) return false;
  }
  return true;
}

// "M x y" then one or two "A rx ry 0 large sweep x y" groups.
bool IsArcPath(std::string_view Text) {
  const std::vector<std::string_view> Tokens = Split(Text, ' ');
  if (Tokens.size() != 3 + 8 && Tokens.size() != 3 + 16) return false;
  if (Tokens[0] != "M" || !fsvg::fuzz::IsRealNumber(Tokens[1]) || !fsvg::fuzz::IsRealNumber(Tokens[2])) return false;
  for (std::size_t Group = 3; Group < Tokens.size(); Group += 8) {
    if (Tokens[Group] != "A" || Tokens[Group + 3] != "0") return false;
    if (Tokens[Group + 4] != "0" && Tokens[Group + 4] != "1") return false;
    if (Tokens[Group + 5] != "0" && Tokens[Group + 5] != "1") return false;
    for (std::size_t Offset : {1, 2, 6, 7})
      if (!fsvg::fuzz::IsRealNumber(Tokens[Group + Offset])) return false;
  }
  return true;
}

void CheckElement(xmlNode* Element, std::string_view Document) {
  static const std::set<std::string, std::less<>> Names = {"rect",    "line",     "ellipse", "path",
                                                           "polygon", "polyline", "text"};
  static const std::set<std::string, std::less<>> Numbers = {"x",  "y",  "width",   "height",       "rx",
                                                             "ry", "cx", "cy",      "x1",           "y1",
                                                             "x2", "y2", "opacity", "stroke-width", "font-size"};
  const std::string_view Name = reinterpret_cast<const char*>(Element->name);
  if (Names.find(Name) == Names.end()) fsvg::fuzz::Fail("unexpected element " + std::string(Name), Document);
  for (xmlAttr* Attribute = Element->properties; Attribute != nullptr; Attribute = Attribute->next) {
    const std::string Key = reinterpret_cast<const char*>(Attribute->name);
    std::string Value;
    fsvg::fuzz::GetAttribute(Element, Key.c_str(), Value);
    bool Valid = true;
    if (Numbers.count(Key) != 0)
      Valid = fsvg::fuzz::IsRealNumber(Value);
    else if (Key == "fill")
      Valid = Value == "none" || fsvg::fuzz::IsColour(Value);
    else if (Key == "stroke")
      Valid = fsvg::fuzz::IsColour(Value);
    else if (Key == "points")
      Valid = IsPointList(Value);
    else if (Key == "d")
      Valid = IsArcPath(Value);
    else if (Key != "font-family")
      Valid = false;
    if (!Valid)
      fsvg::fuzz::Fail("bad attribute " + Key + "=\"" + Value + "\" in <" + std::string(Name) + ">", Document);
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  xmlInitParser();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
  FuzzedDataProvider Provider(Data, Size);
  TMemoryStream Stream;
  {
    TNullCanvas Host(Provider.ConsumeIntegralInRange<std::int32_t>(0, 1 << 20),
                     Provider.ConsumeIntegralInRange<std::int32_t>(0, 1 << 20));
    TSvgCanvas Canvas(&Stream, &Host);
    TOperations(Provider, Host, Canvas).Run();
  }
  const std::string_view Document = Stream.View();
  const fsvg::fuzz::TXmlDocPtr Doc = fsvg::fuzz::ParseDocumentOrFail(Document);
  xmlNode* Root = xmlDocGetRootElement(Doc.get());
  if (Root == nullptr || std::strcmp(reinterpret_cast<const char*>(Root->name), "svg") != 0)
    fsvg::fuzz::Fail("the root is not <svg>", Document);
  for (xmlNode* Element = xmlFirstElementChild(Root); Element != nullptr; Element = xmlNextElementSibling(Element))
    CheckElement(Element, Document);
  return 0;
}
