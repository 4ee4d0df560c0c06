// The document's frames: groups and links, structure the caller gives the document, which
// the host never sees; layers, which the host paints as pictures of their own; and the
// clip groups the recording opens. The clip groups live inside the innermost frame only:
// those open when a frame begins are closed before it,
// since a clip group left around it would go on clipping inside it after the host's clip
// let go of that step (a RestoreState inside the frame), and no group opened inside can
// undo an ancestor's clip. The next element that needs them opens them again inside the
// frame, reusing their ids; the end of a frame closes the clip groups opened in it.
#include <algorithm>
#include <iterator>
#include <string>

#include "encoders/textencoding.h"
#include "svgdocument.h"

namespace fsvg::detail {

namespace {

constexpr std::string_view GroupEnd = "</g>\n";
constexpr std::string_view LinkEnd = "</a>\n";

// Whether Id is c or g followed by digits, or o and digits when glyphs are outlined: the
// forms of the ids of the clip paths, gradients and glyphs, which the document numbers itself.
bool IsGeneratedId(std::u16string_view Id, bool GlyphOutlines) {
  return Id.size() > 1 && (Id[0] == u'c' || Id[0] == u'g' || (GlyphOutlines && Id[0] == u'o')) &&
         std::all_of(Id.begin() + 1, Id.end(), [](char16_t Unit) { return Unit >= u'0' && Unit <= u'9'; });
}

// Whether Name is a CSS identifier without escapes, which a selector names as `.Name`:
// letters, digits, "-", "_" and every character beyond ASCII, not starting with a digit,
// nor with "-" and a digit. Unpaired surrogates, which no text holds, are refused.
bool IsCssIdentifier(std::u16string_view Name) {
  const auto Start = [](char16_t Unit) {
    return (Unit >= u'a' && Unit <= u'z') || (Unit >= u'A' && Unit <= u'Z') || Unit == u'_' || Unit >= 0x80;
  };
  const auto Inner = [&](char16_t Unit) { return Start(Unit) || (Unit >= u'0' && Unit <= u'9') || Unit == u'-'; };
  const std::size_t First = !Name.empty() && Name[0] == u'-' ? 1 : 0;
  if (First == Name.size() || !(Start(Name[First]) || Name[First] == u'-')) return false;
  for (std::size_t At = 0; At < Name.size(); ++At) {
    const char16_t Unit = Name[At];
    const bool High = Unit >= 0xD800 && Unit < 0xDC00, Low = Unit >= 0xDC00 && Unit < 0xE000;
    if (High && !(At + 1 < Name.size() && Name[At + 1] >= 0xDC00 && Name[At + 1] < 0xE000)) return false;
    if (Low && !(At > 0 && Name[At - 1] >= 0xD800 && Name[At - 1] < 0xDC00)) return false;
    if (!Inner(Unit)) return false;
  }
  return true;
}

// Whether Url, read as a browser reads it (leading spaces and control characters
// skipped, tabs and line breaks dropped anywhere, letters in either case), has a scheme
// that runs script or carries a document of its own: javascript:, vbscript: or data:.
bool IsActiveScheme(std::u16string_view Url) {
  std::size_t At = 0;
  while (At < Url.size() && Url[At] <= u' ') ++At;
  std::string Scheme;
  for (const char16_t Unit : Url.substr(At)) {
    if (Scheme.size() > 10) return false;
    if (Unit == u'\t' || Unit == u'\n' || Unit == u'\r') continue;
    if (Unit == u':') return Scheme == "javascript" || Scheme == "vbscript" || Scheme == "data";
    if (Unit >= 0x80) return false;
    Scheme += static_cast<char>(Unit >= u'A' && Unit <= u'Z' ? Unit + (u'a' - u'A') : Unit);
  }
  return false;
}

// The names of the blend modes in CSS, in TBlendMode's order.
constexpr std::string_view BlendNames[] = {"normal", "multiply", "screen",    "overlay",
                                           "darken", "lighten",  "difference"};
static_assert(std::size(BlendNames) == static_cast<std::size_t>(TBlendMode::Difference) + 1);

// What ends a frame of each kind, in TFrameKind's order.
constexpr std::string_view FrameEnds[] = {GroupEnd, LinkEnd, GroupEnd};
static_assert(std::size(FrameEnds) == static_cast<std::size_t>(TFrameKind::Layer) + 1);

}  // namespace

// The clip groups' ends and the frame's start in one write: a write that fails leaves the
// document and the frames as they were.
template <typename TPut>
void TSvgDocument::BeginFrame(TFrameKind Kind, std::size_t Room, TPut&& Put) {
  CloseTornLine();
  WriteLine(GroupEnd.size() * FClipGroupEnds.size() + Room, [&](TLine& Line) {
    for (std::size_t Level = 0; Level < FClipGroupEnds.size(); ++Level) Line.Put(GroupEnd);
    Put(Line);
  });
  FOpenClips.clear();
  FClipGroupEnds.clear();
  FOpenClip = nullptr;
  FFrames.push_back(Kind);
}

void TSvgDocument::BeginGroup(std::u16string_view Id, std::u16string_view Title, std::u16string_view Classes) {
  Check(IsNameOrEmpty(Id), "BeginGroup: the id must be empty or an XML name without a colon");
  std::vector<std::u16string_view> Names;
  for (std::size_t Start = 0; Start < Classes.size();) {
    const std::size_t End = std::min(Classes.find(u' ', Start), Classes.size());
    if (End > Start) Names.push_back(Classes.substr(Start, End - Start));
    Start = End + 1;
  }
  for (const std::u16string_view Name : Names)
    if (!IsCssIdentifier(Name)) throw EArgumentError("BeginGroup: a class name must be a CSS identifier");
  Check(!IsGeneratedId(Id, FOptions.GlyphOutlines),
        FOptions.GlyphOutlines ? "BeginGroup: an id of c, g or o and digits is the document's own"
                               : "BeginGroup: an id of c or g and digits is the document's own");
  if (FGroupIds.contains(std::u16string(Id))) {
    const TBytes Name = ToUtf8(Id);
    throw ESvgError("BeginGroup: the id \"" + std::string(Name.begin(), Name.end()) + "\" is used already");
  }
  const std::size_t Room = FIdPrefix.size() + EncodedRoom(Id) + EncodedRoom(Title) + EncodedRoom(Classes) + 64;
  BeginFrame(TFrameKind::Group, Room, [&](TLine& Line) {
    Line.Open("g");
    if (!Id.empty()) {
      Line.Attr("id", [&] {
        Line.Put(std::string_view(FIdPrefix));
        Line.PutText(Id, TTextEncoding::Xml);
      });
    }
    if (!Names.empty()) {
      Line.Attr("class", [&] {
        for (std::size_t Index = 0; Index < Names.size(); ++Index) {
          if (Index != 0) Line.Put(' ');
          Line.PutText(Names[Index], TTextEncoding::Xml);
        }
      });
    }
    Line.Put(">\n");
    if (!Title.empty()) {
      Line.Put("<title>");
      Line.PutText(Title, TTextEncoding::Xml);
      Line.Put("</title>\n");
    }
  });
  if (!Id.empty()) FGroupIds.emplace(Id);
}

void TSvgDocument::BeginLink(std::u16string_view Url) {
  if (!FOptions.AnyLinkScheme && IsActiveScheme(Url))
    throw EArgumentError("BeginLink: a javascript:, vbscript: or data: target is refused unless AnyLinkScheme is set");
  BeginFrame(TFrameKind::Link, EncodedRoom(Url) + 96, [&](TLine& Line) {
    Line.Open("a");
    Line.Attr("xlink:href", [&] { Line.PutText(Url, TTextEncoding::Xml); });
    Line.Attr("xmlns:xlink", "http://www.w3.org/1999/xlink");
    Line.Put(">\n");
  });
}

// A layer is a group with an opacity, of its own even at 1, so that every layer reads
// alike; a blend mode blends the group as one picture (isolation keeps its children from
// blending with what lies under it one by one).
void TSvgDocument::BeginLayer(float Opacity, TBlendMode Blend) {
  BeginFrame(TFrameKind::Layer, MaxRealLength + 96, [&](TLine& Line) {
    Line.Open("g");
    Line.Attr("opacity", static_cast<double>(Opacity));
    if (Blend != TBlendMode::Normal) {
      Line.Attr("style", [&] {
        Line.Put("mix-blend-mode:");
        Line.Put(BlendNames[static_cast<std::size_t>(Blend)]);
        Line.Put(";isolation:isolate");
      });
    }
    Line.Put(">\n");
  });
}

void TSvgDocument::RequireFrame(TFrameKind Kind) const {
  constexpr const char* Messages[] = {"EndGroup without a matching BeginGroup", "EndLink without a matching BeginLink",
                                      "EndLayer without a matching BeginLayer"};
  if (FFrames.empty() || FFrames.back() != Kind) throw EMisuseError(Messages[static_cast<std::size_t>(Kind)]);
}

void TSvgDocument::EndFrame(TFrameKind Kind) {
  RequireFrame(Kind);
  CloseTornLine();
  Write(ClipGroupsEnd() + std::string(FrameEnds[static_cast<std::size_t>(Kind)]));
  FOpenClips.clear();
  FClipGroupEnds.clear();
  FOpenClip = nullptr;
  FFrames.pop_back();
}

void TSvgDocument::BeginClipGroup(const TClip& Newest, std::string_view Attribute, std::string_view Id) {
  Write("<g " + std::string(Attribute) + "=\"url(#" + std::string(Id) + ")\">\n");
  const std::size_t Held = FOpenClips.size();
  FOpenClips.resize(Newest->Depth);
  for (const TClip* Step = &Newest; *Step && (*Step)->Depth > Held; Step = &(*Step)->Parent)
    FOpenClips[(*Step)->Depth - 1] = *Step;
  FClipGroupEnds.push_back(Newest->Depth);
  FOpenClip = Newest.get();
}

void TSvgDocument::EndClipGroup() {
  Write(GroupEnd);
  FClipGroupEnds.pop_back();
  FOpenClips.resize(FClipGroupEnds.empty() ? 0 : FClipGroupEnds.back());
  FOpenClip = FOpenClips.empty() ? nullptr : FOpenClips.back().get();
}

std::string TSvgDocument::ClipGroupsEnd() const {
  std::string End;
  for (std::size_t Level = 0; Level < FClipGroupEnds.size(); ++Level) End += GroupEnd;
  return End;
}

std::string TSvgDocument::OpenGroupsEnd() const {
  std::string End = ClipGroupsEnd();
  for (auto Frame = FFrames.rbegin(); Frame != FFrames.rend(); ++Frame)
    End += FrameEnds[static_cast<std::size_t>(*Frame)];
  return End;
}

}  // namespace fsvg::detail
