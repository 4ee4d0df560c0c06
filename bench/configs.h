// The configurations measured side by side: the recording canvas into memory, into an
// owned file (reserving space ahead; plain or .svgz, against zlib compressing the same
// bytes alone), and into a caller's line-buffered or fully buffered file; cairo's and Qt's
// SVG writers; the hand-written floor; and, when the raster host is built, painting
// alone and recording over painting, over the Cairo host (7) and the Qt host (8).
#pragma once

#include <array>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>

#include "fsvg/streams.h"
#include "measure.h"
#include "scene.h"

namespace fsvg::bench {

enum class TConfig {
  Memory,
  OwnedFile,
  LineFile,
  BufferedFile,
  Cairo,
  Qt,
  Floor,
  Raster,
  RecordOverRaster,
  RecordOverRasterDiscarded,
  RasterByTurns,
  MemoryFaithful,
  GzipFile,
  ZlibAlone,
  QtHost,
  RecordOverQt,
  RecordOverQtDiscarded,
  QtHostByTurns
};

/// What every run gets: the scene, the floor's bytes for it, a file name it may use.
struct TRunInput {
  const TScene* Scene = nullptr;
  std::string_view Reference;
  std::filesystem::path File;
};

/// A configuration: a short key for the command line, a title for the table, the run
/// (Baseline, Start and Stop are its own to call), and whether this build has it.
struct TConfigInfo {
  TConfig Id;
  std::string_view Key;
  std::string_view Title;
  void (*Run)(const TRunInput&, TProbe&);
  bool Available;
  /// Whether its bytes must equal the floor's.
  bool Verified;
  /// Whether it paints with the raster host (and so runs only up to --raster-max).
  bool Paints = false;
};

/// Every configuration, in table order.
std::span<const TConfigInfo> Configs();
const TConfigInfo& ConfigInfo(TConfig Id);

void RunMemory(const TRunInput& Input, TProbe& Probe);
/// As RunMemory, recorded with TSvgOptions::Faithful().
void RunMemoryFaithful(const TRunInput& Input, TProbe& Probe);
void RunOwnedFile(const TRunInput& Input, TProbe& Probe);
void RunLineFile(const TRunInput& Input, TProbe& Probe);
void RunBufferedFile(const TRunInput& Input, TProbe& Probe);
/// The owned file, named .svgz: compressed as it is drawn.
void RunGzipFile(const TRunInput& Input, TProbe& Probe);
/// zlib alone, at the level the .svgz file uses, compressing the floor's bytes in memory.
void RunZlibAlone(const TRunInput& Input, TProbe& Probe);
void RunFloor(const TRunInput& Input, TProbe& Probe);
/// Defined only when cairo's SVG surface is available (FSVG_BENCH_CAIRO).
void RunCairo(const TRunInput& Input, TProbe& Probe);
/// Defined only when Qt's QSvgGenerator is available (FSVG_BENCH_QT): Qt 6's when the Qt
/// host is built (one process cannot hold two Qt versions), else Qt 5's.
void RunQt(const TRunInput& Input, TProbe& Probe);
/// Defined only when the fsvgcairo raster host is built (FSVG_BENCH_RASTER).
void RunRaster(const TRunInput& Input, TProbe& Probe);
void RunRecordOverRaster(const TRunInput& Input, TProbe& Probe);
void RunRecordOverRasterDiscarded(const TRunInput& Input, TProbe& Probe);
/// 7a, 7b and 7c in one child on one host, by turns of TurnLength elements; their
/// processor times go to Sample.PartCpuSeconds in that order.
void RunRasterByTurns(const TRunInput& Input, TProbe& Probe);
inline constexpr std::size_t TurnLength = 1000;
/// 8a, 8b, 8c and 8 by turns: as 7, over the Qt host. Defined only when the fsvgqt
/// raster host is built (FSVG_BENCH_QT_HOST).
void RunQtHost(const TRunInput& Input, TProbe& Probe);
void RunRecordOverQt(const TRunInput& Input, TProbe& Probe);
void RunRecordOverQtDiscarded(const TRunInput& Input, TProbe& Probe);
void RunQtHostByTurns(const TRunInput& Input, TProbe& Probe);

/// The configurations of a run by turns, its parts in order (a, b, c).
std::array<TConfig, 3> TurnParts(TConfig ByTurns);

/// The most write calls a file buffered in blocks of 1 MiB may take for Bytes: one a
/// block, a block being a line's room short of full at worst.
std::int64_t MaxBlockWrites(std::uint64_t Bytes);

/// Makes the first Count bytes of a reserved memory stream resident, then empties it,
/// so that a run measures writing, not the kernel's first touch of each page.
void Prefault(TMemoryStream& Stream, std::size_t Count);

/// The whole content of a file; throws std::runtime_error naming it when unreadable.
std::string ReadFile(const std::filesystem::path& FileName);

}  // namespace fsvg::bench
