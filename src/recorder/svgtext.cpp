// Text: FillText paints on the host, then records a text element, always: plainly at the
// rectangle's left and bottom edges, or, under the options, as the host lays it out, one
// run a line on the host's baselines. With glyph outlines, the outlines come first and
// the text element, laid out the same way, is their invisible overlay (or is left out).
// Measuring is the host's alone.
#include <algorithm>
#include <cmath>
#include <iterator>
#include <string>

#include "svgrecording.h"

namespace fsvg {

using detail::TLine;

namespace {

// Whether Text holds a character of a right-to-left script (Hebrew, Arabic, Syriac,
// Thaana, N'Ko and their kin, their presentation forms, the right-to-left scripts
// beyond the BMP) or a right-to-left mark, embedding, override or isolate. Renderers
// reorder such a line; the host paints it in stored order.
bool HoldsRightToLeft(std::u16string_view Text) {
  for (const char16_t Unit : Text) {
    if ((Unit >= 0x0590 && Unit <= 0x08FF) || (Unit >= 0xFB1D && Unit <= 0xFDFF) ||
        (Unit >= 0xFE70 && Unit <= 0xFEFE) || Unit == 0x200F || Unit == 0x202B || Unit == 0x202E || Unit == 0x2067 ||
        (Unit >= 0xD802 && Unit <= 0xD803) || (Unit >= 0xD83A && Unit <= 0xD83B))
      return true;
  }
  return false;
}

// Whether Name may stand unquoted in a CSS family list: words of letters, digits, "-"
// and "_" (any character beyond ASCII counting as a letter), one space apart, none
// starting with a digit, "--" or "-" and a digit, and no word a CSS-wide keyword.
bool IsPlainFamily(std::u16string_view Name) {
  constexpr std::u16string_view Keywords[] = {u"inherit", u"initial", u"unset", u"default", u"revert"};
  const auto Letter = [](char16_t C) { return (C | 0x20) >= u'a' && (C | 0x20) <= u'z'; };
  const auto Digit = [](char16_t C) { return C >= u'0' && C <= u'9'; };
  for (std::size_t Start = 0; Start <= Name.size();) {
    const std::size_t End = std::min(Name.find(u' ', Start), Name.size());
    const std::u16string_view Word = Name.substr(Start, End - Start);
    if (Word.empty() || Digit(Word[0])) return false;
    if (Word[0] == u'-' && (Word.size() == 1 || Word[1] == u'-' || Digit(Word[1]))) return false;
    for (const char16_t C : Word)
      if (!Letter(C) && !Digit(C) && C != u'-' && C != u'_' && C < 0x80) return false;
    for (const std::u16string_view Keyword : Keywords)
      if (Word.size() == Keyword.size() &&
          std::equal(Word.begin(), Word.end(), Keyword.begin(), [](char16_t A, char16_t B) { return (A | 0x20) == B; }))
        return false;
    Start = End + 1;
  }
  return true;
}

// AFont's families as a CSS family list: plain names as they are (the generic families,
// "sans-serif" and the rest, among them), every other name in single quotes with quotes,
// backslashes and line breaks escaped for CSS (the XML escaping follows when the list is
// written).
std::u16string CssFamilyList(const TFont& AFont) {
  std::u16string List;
  for (const std::u16string& Name : FontFamilies(AFont)) {
    if (!List.empty()) List += u", ";
    if (IsPlainFamily(Name)) {
      List += Name;
      continue;
    }
    List += u'\'';
    for (const char16_t C : Name) {
      if (C == u'\'' || C == u'\\') List += u'\\';
      if (C == u'\n' || C == u'\r' || C == u'\f')
        List += C == u'\n' ? u"\\a " : C == u'\r' ? u"\\d " : u"\\c ";
      else
        List += C;
    }
    List += u'\'';
  }
  return List;
}

// The room the runs of a laid-out text take, each encoded, once the host's answer is
// known to be writable: the runs together hold no more of the text than there is (a
// host whose lines overlap would have the line hold its text many times over), and
// every edge of every line and the font's ascent are finite (a measurer or metrics
// answering NaN, an infinity or a width beyond the float range, as a font size near
// the float range makes the default metrics do, would put them into the document).
// Refused before anything is written.
std::size_t LaidTextRoom(const TLineMetricInfo& Lines, std::u16string_view AText, float Ascent) {
  if (!std::isfinite(Ascent)) throw EHostError("TSvgCanvas: the host's font metrics are not finite");
  std::size_t Units = 0;
  std::size_t Room = 0;
  for (const TLineMetricInfo::TLineMetric& Run : Lines.Metrics) {
    const TRectF& R = Run.Rect;
    if (!std::isfinite(R.Left) || !std::isfinite(R.Top) || !std::isfinite(R.Right) || !std::isfinite(R.Bottom))
      throw EHostError("TSvgCanvas: the host laid a line of text out where no number can place it");
    if (Run.Length == 0 || Run.Index >= AText.size()) continue;
    const std::u16string_view Text = AText.substr(Run.Index, Run.Length);
    Units += Text.size();
    if (Units > AText.size()) throw EHostError("TSvgCanvas: the host laid out lines that hold more than the text");
    Room += detail::EncodedRoom(Text);
  }
  return Room;
}

// The runs of a laid-out text, each a tspan on the host's baseline (the line's top and
// the font's Ascent), offset. Spaces as the host keeps them. Right-to-left text is
// directed so, while each run keeps the stored order the host paints its glyphs in (no
// neutral moves to the other end), centred on its line: renderers disagree on which end
// a right-to-left run starts at, never on its middle. A left-to-right line that holds
// right-to-left characters keeps its stored order the same way; other lines need no
// markup.
void PutRuns(TLine& Line, const TLineMetricInfo& Lines, std::u16string_view AText, float Ascent, TPointF Offset,
             bool RightToLeft) {
  for (const TLineMetricInfo::TLineMetric& Run : Lines.Metrics) {
    if (Run.Length == 0 || Run.Index >= AText.size()) continue;
    Line.Open("tspan");
    Line.Attr("x",
              (RightToLeft ? (static_cast<double>(Run.Rect.Left) + Run.Rect.Right) / 2 : Run.Rect.Left) + Offset.X);
    Line.Attr("y", static_cast<double>(Run.Rect.Top) + Ascent + Offset.Y);
    const std::u16string_view Text = AText.substr(Run.Index, Run.Length);
    const bool Override = RightToLeft || HoldsRightToLeft(Text);
    if (Override) {
      Line.Attr("direction", "ltr");
      Line.Attr("unicode-bidi", "bidi-override");
    }
    Line.Put('>');
    // The override once more as characters, left-to-right override to pop
    // directional formatting, which resvg keeps where it ignores unicode-bidi.
    if (Override) Line.Put("&#x202D;");
    Line.PutText(Text, detail::TTextEncoding::Xml);
    if (Override) Line.Put("&#x202C;");
    Line.Put("</tspan>");
  }
}

}  // namespace

void TSvgCanvas::FillText(const TRectF& ARect, std::u16string_view AText, bool WordWrap, float AOpacity,
                          TFillTextFlags Flags, TTextAlign ATextAlign, TTextAlign AVTextAlign) {
  TRecording& R = *FRecording;
  TCanvas& Host = *R.Canvas;
  Host.FillText(ARect, AText, WordWrap, AOpacity, Flags, ATextAlign, AVTextAlign);
  // A host without outlines gets the text element.
  const bool Outlined = R.Document.Options().GlyphOutlines && !AText.empty() &&
                        R.RecordGlyphs(ARect, AText, WordWrap, AOpacity, Flags, ATextAlign, AVTextAlign);
  if (Outlined && !R.Document.Options().SelectableText) return;
  // A host that lays out no lines (a null host measures none) gets the plain placing.
  TLineMetricInfo Lines;
  if ((R.Document.Options().TextLayout || Outlined) && !AText.empty())
    Host.MeasureLines(Lines, ARect, AText, WordWrap, Flags, ATextAlign, AVTextAlign);
  const float Ascent = Lines.Metrics.empty() ? 0 : Host.GetFontMetrics().Ascent;
  const std::size_t TextRoom = Lines.Metrics.empty() ? detail::EncodedRoom(AText) : LaidTextRoom(Lines, AText, Ascent);
  const TPointF Offset = Host.GetOffset();
  const TFont& Font = Host.GetFont();
  const bool FontStyle = R.Document.Options().FontStyle;
  const std::u16string FamilyList = FontStyle ? CssFamilyList(Font) : std::u16string();
  // Room for the one family attribute written.
  const std::u16string_view Family = FontStyle ? std::u16string_view(FamilyList) : std::u16string_view(Font.Family);
  const std::size_t Extra =
      detail::EncodedRoom(Family) + TextRoom + Lines.Metrics.size() * (2 * detail::MaxRealLength + 128) + 64;
  const auto IsLaid = [&](const auto& Options) { return (Options.TextLayout || Outlined) && !Lines.Metrics.empty(); };
  // The overlay is painted with nothing: no gradient of the fill's is defined for it.
  // One brush for every call, so that plain text builds and releases none.
  static const TBrush Invisible;
  const auto Open = [&](TLine& Line, const auto& Options, TPointF) {
    Line.Open("text");
    if (!IsLaid(Options)) {
      Line.Attr("x", static_cast<double>(ARect.Left) + Offset.X);
      Line.Attr("y", static_cast<double>(ARect.Bottom) + Offset.Y);
    }
    if (!Options.FontStyle) {
      Line.Attr("font-family", [&] { Line.PutText(Font.Family, detail::TTextEncoding::Xml); });
      Line.Attr("font-size", static_cast<double>(Font.Size));
      return;
    }
    Line.Attr("font-family", [&] { Line.PutText(FamilyList, detail::TTextEncoding::Xml); });
    Line.Attr("font-size", static_cast<double>(Font.Size));
    if (Font.Weight != 400) Line.Attr("font-weight", static_cast<double>(Font.Weight));
    if (Font.Slant != TFontSlant::Normal) Line.Attr("font-style", detail::SlantName(Font.Slant));
  };
  R.Record(
      Outlined ? Invisible : Host.GetFill(), Offset, [&] { return ARect; }, Extra, Open,
      [&](TLine& Line, const auto& Options, std::string_view Paint) {
        if (Outlined)
          Line.Attr("fill-opacity", "0");
        else
          detail::PutFillTail(Line, AOpacity, Host.GetFill(), Options, Paint);
        if (!IsLaid(Options)) {
          Line.Put('>');
          Line.PutText(AText, detail::TTextEncoding::Xml);
          Line.Put("</text>\n");
          return;
        }
        const bool RightToLeft = Flags.Contains(TFillTextFlag::RightToLeft);
        if (RightToLeft) {
          Line.Attr("direction", "rtl");
          Line.Attr("text-anchor", "middle");
        }
        Line.Attr("xml:space", "preserve");
        Line.Put('>');
        PutRuns(Line, Lines, AText, Ascent, Offset, RightToLeft);
        Line.Put("</text>\n");
      });
}

void TSvgCanvas::MeasureText(TRectF& ARect, std::u16string_view AText, bool WordWrap, TFillTextFlags Flags,
                             TTextAlign ATextAlign, TTextAlign AVTextAlign) {
  FRecording->Canvas->MeasureText(ARect, AText, WordWrap, Flags, ATextAlign, AVTextAlign);
}

void TSvgCanvas::MeasureLines(TLineMetricInfo& ALines, const TRectF& ARect, std::u16string_view AText, bool WordWrap,
                              TFillTextFlags Flags, TTextAlign ATextAlign, TTextAlign AVTextAlign) {
  FRecording->Canvas->MeasureLines(ALines, ARect, AText, WordWrap, Flags, ATextAlign, AVTextAlign);
}

float TSvgCanvas::TextWidth(std::u16string_view AText) { return FRecording->Canvas->TextWidth(AText); }
float TSvgCanvas::TextHeight(std::u16string_view AText) { return FRecording->Canvas->TextHeight(AText); }

}  // namespace fsvg
