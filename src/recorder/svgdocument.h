// The document apart from the drawing: the stream and its lifecycle (an owned file and
// its compression, the refusal of every write once closed), the header and the footer,
// the line writers, the frames (groups, links, and the clip groups inside the innermost
// of them), and one store of definitions. The drawing calls ask it for lines and ids; it
// never sees the host canvas.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "fsvg/fsvgcanvas.h"
#include "svgline.h"

namespace fsvg::detail {

// Whether Text is empty or an XML name without a colon: the rule of the id prefix, which
// group ids keep too.
bool IsNameOrEmpty(std::u16string_view Text);

// What a frame of the document is: a caller's group, a link or a layer.
enum class TFrameKind { Group, Link, Layer };

// What the store defines, each kind numbered on its own after the id prefix, by the
// letter of its entry in DefinitionLetters: clip paths c1, c2, ..., paint servers
// (gradients and patterns) g1, g2, ..., glyph outlines o1, o2, ...
enum class TDefinitionKind { ClipPath, Paint, Glyph };
inline constexpr char DefinitionLetters[] = {'c', 'g', 'o'};
static_assert(std::size(DefinitionLetters) == static_cast<std::size_t>(TDefinitionKind::Glyph) + 1);

class TSvgDocument {
 public:
  // Writes into Stream, which stays the caller's (null: nothing is written anywhere).
  TSvgDocument(TStream* Stream, const TSvgOptions& Options);
  // Writes into the file FileName, created or truncated and owned, compressed for a
  // ".svgz" name (empty: nothing is written anywhere). Throws EFCreateError.
  TSvgDocument(const std::filesystem::path& FileName, const TSvgOptions& Options);
  TSvgDocument(const TSvgDocument&) = delete;
  TSvgDocument& operator=(const TSvgDocument&) = delete;

  // Checks the options (ESvgError) and writes the header; the root takes Width and
  // Height when the options ask for the document's size.
  void Start(std::int32_t Width, std::int32_t Height);
  // Ends every open group innermost first, writes the footer and closes the owned
  // compression and file, each attempted whatever the others did; raises the first error.
  // Afterwards every write raises EMisuseError.
  void Finish();
  bool IsClosed() const { return FClosed; }

  const TSvgOptions& Options() const { return FOptions; }
  TStream* Stream() const { return FStream; }

  // A line written in pieces (an image's, a pattern's, which have no bound): marked torn
  // from its head until its end, so that when a write fails in between, whatever is
  // written next closes it first with End and stays outside it. End lives as long as the
  // program.
  void BeginPieces(std::string_view End) {
    FTornEnd = End;
    FTornLine = true;
  }
  void EndPieces() {
    Write(FTornEnd);
    FTornLine = false;
  }
  void CloseTornLine() {
    if (FTornLine) [[unlikely]]
      EndPieces();
  }

  // Bytes unchanged, in one stream call; nothing for none.
  void Write(std::string_view Text) {
    if (FStream != nullptr && !Text.empty()) FStream->WriteBuffer(Text.data(), Text.size());
  }
  // One line built by Build(Line) in room for Size bytes, written in one piece.
  template <typename Builder>
  [[gnu::always_inline]] void WriteLine(std::size_t Size, Builder&& Build) {
    detail::WriteLine(FStream, Size, FOptions.DecimalPlaces, Build);
  }
  // One element line built by Build(Line, Switches), Extra bytes beyond a fixed shape:
  // against the plain switches, known when compiled, unless an option is on.
  template <typename Builder>
  [[gnu::always_inline]] void WriteElement(std::size_t Extra, Builder&& Build) {
    detail::WriteElement(FStream, Extra, FPlain, FOptions, Build);
  }

  // Calls Put(Switches) with the switches elements are built against, as WriteElement
  // does, for a line built otherwise.
  template <typename TPut>
  [[gnu::always_inline]] void WithSwitches(TPut&& Put) const {
    if (FPlain)
      Put(TPlainSwitches{});
    else
      Put(FOptions);
  }

  // Groups, links and layers. Each call writes its lines in one write, before the frames
  // change.
  void BeginGroup(std::u16string_view Id, std::u16string_view Title, std::u16string_view Classes);
  void BeginLink(std::u16string_view Url);
  void BeginLayer(float Opacity, TBlendMode Blend);
  // Throws EMisuseError unless the innermost frame is of Kind.
  void RequireFrame(TFrameKind Kind) const;
  void EndFrame(TFrameKind Kind);
  // How many layers are open.
  std::size_t LayerCount() const { return static_cast<std::size_t>(std::ranges::count(FFrames, TFrameKind::Layer)); }

  // The steps the clip groups open in the innermost frame hold, by depth (outermost
  // first), the depth of the newest step of each group, and the newest step.
  const std::vector<TClip>& OpenClips() const { return FOpenClips; }
  const std::vector<std::size_t>& ClipGroupEnds() const { return FClipGroupEnds; }
  const TClipStep* InnermostClip() const { return FOpenClip; }
  // Writes `<g Attribute="url(#Id)">` and counts a group as open that holds the steps
  // of Newest's chain beyond those open already.
  void BeginClipGroup(const TClip& Newest, std::string_view Attribute, std::string_view Id);
  // Writes `</g>` for the innermost clip group.
  void EndClipGroup();

  // The id of the definition Build makes: Build(Line, Id) puts its whole line, in room
  // for Room bytes. One built with an empty id is the content the store looks it up by;
  // a new one is written (with the next id of Kind) before the id is kept, so a write
  // that fails defines nothing. The view stays valid as long as the document.
  template <typename Builder>
  std::string_view Define(TDefinitionKind Kind, std::size_t Room, Builder&& Build) {
    TLineRoom ContentRoom(Room, nullptr);
    TLine Content(ContentRoom, FOptions.DecimalPlaces);
    Build(Content, std::string_view(""));  // empty, yet never a null pointer to copy from
    const auto Found = FDefinitions.find(Content.Text());
    if (Found != FDefinitions.end()) return Found->second;
    const std::string Id = NextId(Kind);
    WriteLine(Room + Id.size(), [&](TLine& Line) { Build(Line, std::string_view(Id)); });
    return Keep(Kind, Content.Text(), Id);
  }
  // The id of the definition whose content is Key, as for Define, for a line with no
  // bound: a new one is written by Write(Id), which puts the whole line on the stream
  // itself, in pieces if it must, before the id is kept. A write that fails defines
  // nothing, but its id is not given again: a torn line may hold it.
  template <typename TWrite>
  std::string_view DefineWritten(TDefinitionKind Kind, std::string_view Key, TWrite&& Write) {
    const auto Found = FDefinitions.find(Key);
    if (Found != FDefinitions.end()) return Found->second;
    const std::string Id = NextId(Kind);
    try {
      Write(std::string_view(Id));
    } catch (...) {
      ++FLastIds[static_cast<std::size_t>(Kind)];
      throw;
    }
    return Keep(Kind, Key, Id);
  }

 private:
  std::string NextId(TDefinitionKind Kind) const;
  std::string_view Keep(TDefinitionKind Kind, std::string_view Content, const std::string& Id);
  void WriteHeader(std::int32_t Width, std::int32_t Height);
  // The clip groups' ends and the frame Put opens (its start tag and what follows it), in
  // one write in room for Room bytes more; then the frame counts as open.
  template <typename TPut>
  void BeginFrame(TFrameKind Kind, std::size_t Room, TPut&& Put);
  // What closes the open clip groups; and every open group, innermost first.
  std::string ClipGroupsEnd() const;
  std::string OpenGroupsEnd() const;

  std::unique_ptr<TFileStream> FOwnedStream;  // set exactly when the document opened the stream
  std::unique_ptr<TGzipStream> FOwnedGzip;    // a .svgz name: compresses into FOwnedStream
  TStream* FStream = nullptr;
  TSvgOptions FOptions;       // what the document adds to the plain recording
  bool FPlain;                // every switch is off, four places: elements are built by the plain code
  bool FClosed = false;       // Finish has ended the document
  bool FTornLine = false;     // a line written in pieces lost its end to a failed write
  std::string_view FTornEnd;  // what ends it
  // Groups, links and layers: each open one, outermost first, and every group id given so
  // far, without the prefix.
  std::vector<TFrameKind> FFrames;
  std::unordered_set<std::u16string> FGroupIds;
  // The steps the open clip groups hold, outermost first, the depth each group ends at,
  // and the newest step.
  std::vector<TClip> FOpenClips;
  std::vector<std::size_t> FClipGroupEnds;
  const TClipStep* FOpenClip = nullptr;
  // The store: the id of every definition written, by its line with an empty id, looked
  // up without a copy of the key; the id prefix in UTF-8; the last number of each kind.
  struct THash {
    using is_transparent = void;
    std::size_t operator()(std::string_view Key) const { return std::hash<std::string_view>{}(Key); }
  };
  std::unordered_map<std::string, std::string, THash, std::equal_to<>> FDefinitions;
  std::string FIdPrefix;
  std::array<std::uint64_t, std::size(DefinitionLetters)> FLastIds{};
};

}  // namespace fsvg::detail
