// The document's frames: groups and links, structure the caller gives the document, which
// the host never sees, and the clip groups the recording opens. The clip groups live
// inside the innermost frame only: those open when a frame begins are closed before it,
// since a clip group left around it would go on clipping inside it after the host's clip
// let go of that step (a RestoreState inside the frame), and no group opened inside can
// undo an ancestor's clip. The next element that needs them opens them again inside the
// frame, reusing their ids; the end of a frame closes the clip groups opened in it.
#include <algorithm>
#include <string>

#include "encoders/textencoding.h"
#include "svgdocument.h"

namespace fsvg::detail {

namespace {

constexpr std::string_view GroupEnd = "</g>\n";
constexpr std::string_view LinkEnd = "</a>\n";

// Whether Id is c or g followed by digits: the forms of the clip paths' and gradients'
// ids, which the document numbers itself.
bool IsGeneratedId(std::u16string_view Id) {
  return Id.size() > 1 && (Id[0] == u'c' || Id[0] == u'g') &&
         std::all_of(Id.begin() + 1, Id.end(), [](char16_t Unit) { return Unit >= u'0' && Unit <= u'9'; });
}

// Whether Url, read as a browser reads it (leading spaces and control characters
// skipped, tabs and line breaks dropped anywhere, letters in either case), has a scheme
// that runs script or carries a document of its own: javascript:, vbscript: or data:.
bool IsActiveScheme(std::u16string_view Url) {
  std::size_t At = 0;
  while (At < Url.size() && Url[At] <= u' ') ++At;
  std::string Scheme;
  for (; At < Url.size() && Scheme.size() <= 10; ++At) {
    const char16_t Unit = Url[At];
    if (Unit == u'\t' || Unit == u'\n' || Unit == u'\r') continue;
    if (Unit == u':') return Scheme == "javascript" || Scheme == "vbscript" || Scheme == "data";
    if (Unit >= 0x80) return false;
    Scheme += static_cast<char>(Unit >= u'A' && Unit <= u'Z' ? Unit + (u'a' - u'A') : Unit);
  }
  return false;
}

}  // namespace

void TSvgDocument::BeginGroup(std::u16string_view Id, std::u16string_view Title) {
  Check(IsNameOrEmpty(Id), "BeginGroup: the id must be empty or an XML name without a colon");
  Check(!IsGeneratedId(Id), "BeginGroup: an id of c or g and digits is the document's own");
  if (FGroupIds.contains(std::u16string(Id))) {
    const TBytes Name = ToUtf8(Id);
    throw ESvgError("BeginGroup: the id \"" + std::string(Name.begin(), Name.end()) + "\" is used already");
  }
  BeginFrame(false, Id, Title);
  if (!Id.empty()) FGroupIds.emplace(Id);
}

// The clip groups' ends and the frame's start, title and all, in one write: a write
// that fails leaves the document and the frames as they were.
void TSvgDocument::BeginFrame(bool Link, std::u16string_view Target, std::u16string_view Title) {
  if (Link && !FOptions.AnyLinkScheme && IsActiveScheme(Target))
    throw EArgumentError("BeginLink: a javascript:, vbscript: or data: target is refused unless AnyLinkScheme is set");
  CloseTornLine();
  const std::size_t Room =
      GroupEnd.size() * FClipGroupEnds.size() + FIdPrefix.size() + EncodedRoom(Target) + EncodedRoom(Title) + 128;
  WriteLine(Room, [&](TLine& Line) {
    for (std::size_t Level = 0; Level < FClipGroupEnds.size(); ++Level) Line.Put(GroupEnd);
    if (Link) {
      Line.Open("a");
      Line.Attr("xlink:href", [&] { Line.PutText(Target, TTextEncoding::Xml); });
      Line.Attr("xmlns:xlink", "http://www.w3.org/1999/xlink");
    } else {
      Line.Open("g");
      if (!Target.empty()) {
        Line.Attr("id", [&] {
          Line.Put(std::string_view(FIdPrefix));
          Line.PutText(Target, TTextEncoding::Xml);
        });
      }
    }
    Line.Put(">\n");
    if (!Title.empty()) {
      Line.Put("<title>");
      Line.PutText(Title, TTextEncoding::Xml);
      Line.Put("</title>\n");
    }
  });
  FOpenClips.clear();
  FClipGroupEnds.clear();
  FOpenClip = nullptr;
  FFrames.push_back(Link);
}

void TSvgDocument::EndFrame(bool Link) {
  if (FFrames.empty() || FFrames.back() != Link)
    throw EMisuseError(Link ? "EndLink without a matching BeginLink" : "EndGroup without a matching BeginGroup");
  CloseTornLine();
  Write(ClipGroupsEnd() + std::string(Link ? LinkEnd : GroupEnd));
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
  for (auto Frame = FFrames.rbegin(); Frame != FFrames.rend(); ++Frame) End += *Frame ? LinkEnd : GroupEnd;
  return End;
}

}  // namespace fsvg::detail
