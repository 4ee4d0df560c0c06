// Fuzz target: arbitrary sequences of the calls the tests' drawing script knows (every
// drawing verb of its table: shapes, paths, clips, state, gradients, images, groups,
// links, text and its font, sizes and alignment) with arbitrary arguments (NaN,
// infinities, huge and tiny values, empty and long polygons, hostile text, font families,
// ids and links) on a TSvgCanvas over a TNullCanvas. No call may crash, the finished
// document is well-formed XML in valid UTF-8, and every text element reads back as the
// caller's text and family, less what XML cannot carry: U+FFFD for forbidden characters
// and unpaired surrogates, one LF for every line end, and in an attribute a space for tab
// and LF. The number forms have their own target, fuzz_number.
#include <fuzzer/FuzzedDataProvider.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <functional>
#include <stdexcept>

#include "fsvg/fsvgcanvas.h"
#include "fuzzsupport.h"
#include "support/script.h"

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

// A step of the drawing script (tests/support/script.h) from the input: any verb of its
// table that draws, with reals that are often NaN, infinities, huge or tiny, and every
// named argument drawn from what it takes.
struct TInput {
  FuzzedDataProvider& In;
  std::size_t UpTo(std::size_t Last) { return In.ConsumeIntegralInRange<std::size_t>(0, Last); }
  float Real() {
    constexpr float Specials[] = {NAN,      INFINITY, -INFINITY, -0.0f, 3.4e38f, -3.4e38f, 1e-45f, 999999999999.0f,
                                  0.00005f, 180,      360,       -360,  720};
    const std::size_t Pick = UpTo(3);
    if (Pick == 0) return std::bit_cast<float>(In.ConsumeIntegral<std::uint32_t>());
    if (Pick == 1) return Specials[UpTo(std::size(Specials) - 1)];
    return static_cast<float>(In.ConsumeIntegralInRange<std::int32_t>(-800000, 800000)) / 8.0f;
  }
  double Value(const test::TParam& Param, test::TStep& Step) {
    switch (Param.Kind) {
      case test::TKind::Number:
        return Real();
      case test::TKind::Whole:
        return In.ConsumeIntegralInRange<std::int32_t>(-1, 1 << 30);  // -1: all
      case test::TKind::Paint:
        Step.Current = In.ConsumeBool();
        [[fallthrough]];
      case test::TKind::Color:
        return In.ConsumeIntegral<TAlphaColor>();
      case test::TKind::Corners:
        return static_cast<double>(UpTo(15));
      case test::TKind::Stops:
        for (std::size_t Count = UpTo(4); Count > 0; --Count)
          Step.Stops.push_back({Real(), In.ConsumeIntegral<TAlphaColor>()});
        return static_cast<double>(Step.Stops.size());
      case test::TKind::Dashes:
        for (std::size_t Count = UpTo(5); Count > 0; --Count) Step.Dashes.push_back(Real());
        [[fallthrough]];
      case test::TKind::Choice:
        return static_cast<double>(UpTo(test::Words(Param.Choices).size() - 1));
      case test::TKind::Names:
        Step.Names.resize(UpTo(20));
        for (char16_t& Unit : Step.Names) Unit = In.ConsumeIntegral<char16_t>();
        return 0;
    }
    return 0;
  }
  test::TStep Step() {
    static const std::vector<const test::TVerb*> Drawing = [] {
      std::vector<const test::TVerb*> Verbs;
      for (const test::TVerb& Verb : test::Verbs())
        if (Verb.Draw) Verbs.push_back(&Verb);
      return Verbs;
    }();
    test::TStep Step;
    Step.Verb = Drawing[UpTo(Drawing.size() - 1)];
    Step.N.resize(Step.Verb->Numbers.size());
    if (Step.Verb->Tail != test::TTail::None) Step.N.resize(UpTo(12));
    for (float& Number : Step.N) Number = Real();
    if (Step.Verb->Tail == test::TTail::Points && UpTo(15) == 0)  // long polygons
      Step.N.resize(In.ConsumeIntegralInRange<std::size_t>(200, 10000), Real());
    if (Step.Verb->Tail == test::TTail::Path)
      for (std::size_t Count = UpTo(6); Count > 0; --Count) Step.Commands += "MLQCAZ"[UpTo(5)];
    for (const test::TParam* Param : Step.Verb->Named) Step.Values.push_back(Value(*Param, Step));
    if (Step.Verb->Text) Step.Text.resize(UpTo(200));
    for (char16_t& Unit : Step.Text) Unit = In.ConsumeIntegral<char16_t>();
    return Step;
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
    test::TScript Script(C);
    for (int Count = 0; Count < 200 && I.In.remaining_bytes() > 0; ++Count) {
      const test::TStep Step = I.Step();
      try {
        Script.Draw(Step);
        if (Step.Name().starts_with("FillText"))
          Written += AsParsed(C.GetFont().Family, true) + '\1' + AsParsed(test::ShownText(Step), false) + '\2';
      } catch (const EArgumentError&) {
        // A value that is not finite: refused before the host paints, nothing recorded.
      } catch (const EMisuseError&) {
        // An end of a group or link that was never begun: refused, nothing recorded.
      } catch (const ESvgError&) {
        // A group id that is no XML name: refused, nothing recorded.
      } catch (const std::out_of_range&) {
        // A path with fewer numbers than its commands take: the script draws nothing.
      }
    }
  }
  const fuzz::TXmlDocPtr Doc = fuzz::ParseOrFail(Stream.View());
  std::string Parsed;  // of the text elements, the only ones with a font family, in groups and links too
  const std::function<void(xmlNode*)> Read = [&](xmlNode* Parent) {
    for (xmlNode* Element = xmlFirstElementChild(Parent); Element != nullptr;
         Element = xmlNextElementSibling(Element)) {
      xmlChar* Family = xmlGetProp(Element, BAD_CAST "font-family");
      xmlChar* Text = xmlNodeGetContent(Element);
      if (Family != nullptr)
        Parsed += std::string(reinterpret_cast<char*>(Family)) + '\1' + reinterpret_cast<char*>(Text) + '\2';
      xmlFree(Family);
      xmlFree(Text);
      if (xmlStrEqual(Element->name, BAD_CAST "g") || xmlStrEqual(Element->name, BAD_CAST "a")) Read(Element);
    }
  };
  Read(xmlDocGetRootElement(Doc.get()));
  if (Parsed != Written) fuzz::Fail("the texts or their families do not read back as written", Stream.View());
  return 0;
}
