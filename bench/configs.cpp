// The recording canvas's own configurations, the floor, and the table of all.
#include "configs.h"

#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>
#include <stdexcept>

#include <zlib.h>

#include "floorwriter.h"
#include "fsvg/fsvgcanvas.h"

namespace fsvg::bench {

namespace {

#ifdef FSVG_BENCH_CAIRO
constexpr bool HaveCairo = true;
#else
constexpr bool HaveCairo = false;
#endif
#ifdef FSVG_BENCH_QT
constexpr bool HaveQt = true;
#else
constexpr bool HaveQt = false;
#endif
#ifdef FSVG_BENCH_QT_HOST
constexpr bool HaveQtHost = true;
#else
constexpr bool HaveQtHost = false;
#endif
#ifdef FSVG_BENCH_RASTER
constexpr bool HaveRaster = true;
#else
constexpr bool HaveRaster = false;
#endif

const TConfigInfo ConfigTable[] = {
    {TConfig::Memory, "memory", "1 fsvg -> reserved TMemoryStream", RunMemory, true, true},
    {TConfig::MemoryFaithful, "faithful", "1f fsvg Faithful() -> reserved TMemoryStream", RunMemoryFaithful, true,
     false},
    {TConfig::OwnedFile, "file", "2 fsvg -> file name (reserved)", RunOwnedFile, true, true},
    {TConfig::LineFile, "line", "2b fsvg -> TFileStream (Line)", RunLineFile, true, true},
    {TConfig::BufferedFile, "full", "3 fsvg -> TFileStream (Full)", RunBufferedFile, true, true},
    {TConfig::GzipFile, "svgz", "2z fsvg -> file name .svgz (gzip level 6)", RunGzipFile, true, true},
    {TConfig::ZlibAlone, "zlib", "2zz zlib alone, level 6, floor's bytes -> memory", RunZlibAlone, true, false},
    {TConfig::Cairo, "cairo", "4 cairo SVG surface -> memory", RunCairo, HaveCairo, false},
    {TConfig::Qt, "qt", "5 Qt QSvgGenerator -> QBuffer", RunQt, HaveQt, false},
    {TConfig::Floor, "floor", "6 floor (hand-written writer)", RunFloor, true, true},
    {TConfig::Raster, "raster", "7a raster host alone", RunRaster, HaveRaster, false, true},
    {TConfig::RecordOverRaster, "recraster", "7b fsvg over raster host", RunRecordOverRaster, HaveRaster, true, true},
    {TConfig::RecordOverRasterDiscarded, "recdiscard", "7c fsvg over raster host, output discarded",
     RunRecordOverRasterDiscarded, HaveRaster, false, true},
    {TConfig::RasterByTurns, "turns", "7a, 7b, 7c by turns", RunRasterByTurns, HaveRaster, true, true},
    {TConfig::QtHost, "qthost", "8a Qt host alone", RunQtHost, HaveQtHost, false, true},
    {TConfig::RecordOverQt, "recqt", "8b fsvg over Qt host", RunRecordOverQt, HaveQtHost, true, true},
    {TConfig::RecordOverQtDiscarded, "recqtdiscard", "8c fsvg over Qt host, output discarded", RunRecordOverQtDiscarded,
     HaveQtHost, false, true},
    {TConfig::QtHostByTurns, "qtturns", "8a, 8b, 8c by turns", RunQtHostByTurns, HaveQtHost, true, true},
};

void DrawWithNullHost(TSvgCanvas& Canvas, const TScene& Scene) {
  TPolygon Polygon(3);
  Canvas.BeginScene();
  DrawScene(Canvas, Scene, Polygon);
  Canvas.EndScene();
}

}  // namespace

// Configurations this build lacks are listed as unavailable and never run.
#ifndef FSVG_BENCH_CAIRO
void RunCairo(const TRunInput&, TProbe& Probe) { Probe.Fail("built without cairo"); }
#endif
#ifndef FSVG_BENCH_QT
void RunQt(const TRunInput&, TProbe& Probe) { Probe.Fail("built without Qt Svg"); }
#endif
#ifndef FSVG_BENCH_QT_HOST
void RunQtHost(const TRunInput&, TProbe& Probe) { Probe.Fail("built without the fsvgqt raster host"); }
void RunRecordOverQt(const TRunInput&, TProbe& Probe) { Probe.Fail("built without the fsvgqt raster host"); }
void RunRecordOverQtDiscarded(const TRunInput&, TProbe& Probe) { Probe.Fail("built without the fsvgqt raster host"); }
void RunQtHostByTurns(const TRunInput&, TProbe& Probe) { Probe.Fail("built without the fsvgqt raster host"); }
#endif
#ifndef FSVG_BENCH_RASTER
void RunRaster(const TRunInput&, TProbe& Probe) { Probe.Fail("built without the fsvgcairo raster host"); }
void RunRecordOverRaster(const TRunInput&, TProbe& Probe) { Probe.Fail("built without the fsvgcairo raster host"); }
void RunRecordOverRasterDiscarded(const TRunInput&, TProbe& Probe) {
  Probe.Fail("built without the fsvgcairo raster host");
}
void RunRasterByTurns(const TRunInput&, TProbe& Probe) { Probe.Fail("built without the fsvgcairo raster host"); }
#endif

std::span<const TConfigInfo> Configs() { return ConfigTable; }

std::array<TConfig, 3> TurnParts(TConfig ByTurns) {
  if (ByTurns == TConfig::QtHostByTurns)
    return {TConfig::QtHost, TConfig::RecordOverQt, TConfig::RecordOverQtDiscarded};
  return {TConfig::Raster, TConfig::RecordOverRaster, TConfig::RecordOverRasterDiscarded};
}

const TConfigInfo& ConfigInfo(TConfig Id) {
  for (const TConfigInfo& Info : ConfigTable)
    if (Info.Id == Id) return Info;
  throw std::invalid_argument("unknown configuration");
}

void Prefault(TMemoryStream& Stream, std::size_t Count) {
  static const char Zeros[64 * 1024] = {};
  for (std::size_t Done = 0; Done < Count; Done += sizeof Zeros)
    Stream.WriteBuffer(Zeros, std::min(sizeof Zeros, Count - Done));
  Stream.Clear();
}

std::string ReadFile(const std::filesystem::path& FileName) {
  std::ifstream File(FileName, std::ios::binary);
  if (!File) throw std::runtime_error("cannot read \"" + FileName.string() + "\"");
  return {std::istreambuf_iterator<char>(File), std::istreambuf_iterator<char>()};
}

void RunMemory(const TRunInput& Input, TProbe& Probe) {
  TNullCanvas Host(SceneWidth, SceneHeight);
  Probe.Baseline();
  TMemoryStream Stream;
  Stream.Reserve(Input.Reference.size());
  Prefault(Stream, Input.Reference.size());
  Probe.Start();
  {
    TSvgCanvas Canvas(&Stream, &Host);
    DrawWithNullHost(Canvas, *Input.Scene);
  }
  Probe.Stop();
  Probe.Sample.Bytes = Stream.Size();
  Probe.Verify(Stream.View(), Input.Reference);
}

void RunMemoryFaithful(const TRunInput& Input, TProbe& Probe) {
  TNullCanvas Host(SceneWidth, SceneHeight);
  Probe.Baseline();
  TMemoryStream Stream;
  // Room for what the options add: a document size and fill-opacity or stroke-opacity.
  const std::size_t Room = 2 * Input.Reference.size();
  Stream.Reserve(Room);
  Prefault(Stream, Room);
  Probe.Start();
  {
    TSvgCanvas Canvas(&Stream, &Host, TSvgOptions::Faithful());
    DrawWithNullHost(Canvas, *Input.Scene);
  }
  Probe.Stop();
  Probe.Sample.Bytes = Stream.Size();
}

void RunOwnedFile(const TRunInput& Input, TProbe& Probe) {
  TNullCanvas Host(SceneWidth, SceneHeight);
  Probe.Baseline();
  Probe.Start();
  {
    TSvgCanvas Canvas(Input.File, &Host);
    DrawWithNullHost(Canvas, *Input.Scene);
  }
  Probe.Stop();
  const std::string Written = ReadFile(Input.File);
  std::filesystem::remove(Input.File);
  Probe.Sample.Bytes = Written.size();
  Probe.Verify(Written, Input.Reference);
}

namespace {

// A gzip member as zlib writes it (window 2^15, gzip wrapper) at the .svgz file's level.
int GzipInit(z_stream& Z, bool Deflate) {
  return Deflate ? deflateInit2(&Z, 6, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY) : inflateInit2(&Z, 15 + 16);
}

// The decompressed text of a gzip member of Size bytes.
std::string Inflated(std::string_view Member, std::size_t Size) {
  z_stream Z{};
  GzipInit(Z, false);
  std::string Text(Size, '\0');
  Z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(Member.data()));
  Z.avail_in = static_cast<uInt>(Member.size());
  Z.next_out = reinterpret_cast<Bytef*>(Text.data());
  Z.avail_out = static_cast<uInt>(Size);
  const int Result = inflate(&Z, Z_FINISH);
  Text.resize(Size - Z.avail_out);
  inflateEnd(&Z);
  return Result == Z_STREAM_END ? Text : "not a whole gzip member";
}

}  // namespace

void RunGzipFile(const TRunInput& Input, TProbe& Probe) {
  TNullCanvas Host(SceneWidth, SceneHeight);
  std::filesystem::path File = Input.File;
  File.replace_extension(".svgz");
  Probe.Baseline();
  Probe.Start();
  {
    TSvgCanvas Canvas(File, &Host);
    DrawWithNullHost(Canvas, *Input.Scene);
  }
  Probe.Stop();
  const std::string Written = ReadFile(File);
  std::filesystem::remove(File);
  Probe.Sample.Bytes = Written.size();
  Probe.Verify(Inflated(Written, Input.Reference.size()), Input.Reference);
}

void RunZlibAlone(const TRunInput& Input, TProbe& Probe) {
  Probe.Baseline();
  z_stream Z{};
  GzipInit(Z, true);
  const std::size_t Room = deflateBound(&Z, Input.Reference.size());
  const auto Output = std::make_unique_for_overwrite<Bytef[]>(Room);
  std::memset(Output.get(), 0, Room);
  Probe.Start();
  Z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(Input.Reference.data()));
  Z.avail_in = static_cast<uInt>(Input.Reference.size());
  Z.next_out = Output.get();
  Z.avail_out = static_cast<uInt>(Room);
  const int Result = deflate(&Z, Z_FINISH);
  Probe.Stop();
  Probe.Sample.Bytes = Room - Z.avail_out;
  deflateEnd(&Z);
  if (Result != Z_STREAM_END) Probe.Fail("zlib did not finish");
}

std::int64_t MaxBlockWrites(std::uint64_t Bytes) { return static_cast<std::int64_t>(Bytes / (1024 * 1024 - 4096) + 1); }

namespace {

void RunCallersFile(const TRunInput& Input, TProbe& Probe, TFileBuffering Buffering) {
  TNullCanvas Host(SceneWidth, SceneHeight);
  Probe.Baseline();
  Probe.Start();
  {
    TFileStream File(Input.File, Buffering);
    {
      TSvgCanvas Canvas(&File, &Host);
      DrawWithNullHost(Canvas, *Input.Scene);
    }
    File.Close();
  }
  Probe.Stop();
  const std::string Written = ReadFile(Input.File);
  std::filesystem::remove(Input.File);
  Probe.Sample.Bytes = Written.size();
  Probe.Verify(Written, Input.Reference);
}

}  // namespace

void RunLineFile(const TRunInput& Input, TProbe& Probe) { RunCallersFile(Input, Probe, TFileBuffering::Line); }

void RunBufferedFile(const TRunInput& Input, TProbe& Probe) { RunCallersFile(Input, Probe, TFileBuffering::Full); }

void RunFloor(const TRunInput& Input, TProbe& Probe) {
  Probe.Baseline();
  const auto Buffer = std::make_unique_for_overwrite<char[]>(FloorCapacity(*Input.Scene));
  std::memset(Buffer.get(), 0, Input.Reference.size());
  Probe.Start();
  const std::size_t Length = WriteFloor(*Input.Scene, Buffer.get());
  Probe.Stop();
  Probe.Sample.Bytes = Length;
  Probe.Verify(std::string_view(Buffer.get(), Length), Input.Reference);
}

}  // namespace fsvg::bench
