// The fragments: lengths 0 to 40 in turn, several rounds, each byte numbered so that
// a byte copied to the wrong place or dropped shows; every seventh fragment ends with
// a line feed so that a line-buffered file flushes at varying offsets.
#include "streamcheck.h"

#include <unistd.h>

#include <string_view>
#include <vector>

#include "configs.h"
#include "fsvg/streams.h"

namespace fsvg::bench {

namespace {

std::vector<std::string> Fragments() {
  std::vector<std::string> Pieces;
  unsigned Counter = 0;
  for (int Round = 0; Round < 5; ++Round) {
    for (std::size_t Length = 0; Length <= 40; ++Length) {
      std::string Piece;
      for (std::size_t Index = 0; Index < Length; ++Index) Piece += static_cast<char>('!' + (Counter++ % 90));
      if (!Piece.empty() && Pieces.size() % 7 == 0) Piece.back() = '\n';
      Pieces.push_back(Piece);
    }
  }
  return Pieces;
}

std::string Compare(std::string_view What, std::string_view Got, std::string_view Expected) {
  if (Got == Expected) return {};
  std::size_t At = 0;
  while (At < Got.size() && At < Expected.size() && Got[At] == Expected[At]) ++At;
  return std::string(What) + " differs at byte " + std::to_string(At) + " (" + std::to_string(Got.size()) + " bytes, " +
         std::to_string(Expected.size()) + " expected)";
}

}  // namespace

std::string CheckStreamsKeepEveryByte(const std::filesystem::path& Directory) {
  const std::vector<std::string> Pieces = Fragments();
  std::string Expected;
  for (const std::string& Piece : Pieces) Expected += Piece;

  TMemoryStream Memory;
  for (const std::string& Piece : Pieces) Memory.WriteBuffer(Piece.data(), Piece.size());
  if (std::string Failure = Compare("a growing TMemoryStream", Memory.View(), Expected); !Failure.empty())
    return Failure;

  const std::filesystem::path File = Directory / ("fsvg_bench_streams_" + std::to_string(::getpid()) + ".txt");
  for (const TFileBuffering Buffering : {TFileBuffering::Line, TFileBuffering::Full, TFileBuffering::Reserved}) {
    {
      TFileStream Stream(File, Buffering, 64);
      for (const std::string& Piece : Pieces) Stream.WriteBuffer(Piece.data(), Piece.size());
      Stream.Close();
    }
    const std::string Written = ReadFile(File);
    std::filesystem::remove(File);
    const char* What = Buffering == TFileBuffering::Line   ? "a line-buffered TFileStream"
                       : Buffering == TFileBuffering::Full ? "a fully buffered TFileStream"
                                                           : "a reserving TFileStream";
    if (std::string Failure = Compare(What, Written, Expected); !Failure.empty()) return Failure;
  }
  return {};
}

}  // namespace fsvg::bench
