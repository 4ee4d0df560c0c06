// fsvg_bench: draws each scene at each size in every configuration, round after round,
// each run in its own child process, and prints medians (time, bytes and peak memory
// growth per configuration) and the ratios between configurations taken within a round.
//
//   fsvg_bench [--sizes=100000,1000000] [--rounds=5] [--scenes=rect,...] [--configs=memory,...]
//              [--dir=DIR] [--raster-max=100000]
//   --raster-max=N            the raster host configurations (which paint, at up to
//                             50 microseconds an element) run only at sizes up to N
//   fsvg_bench --smoke        tiny sizes, one round; fails when a check fails
//   fsvg_bench --write-file=PATH --scene=NAME --size=N [--line]
//                             records one scene into PATH through the owned file (or
//                             a caller's line-buffered TFileStream) and prints nothing
//                             (for counting its system calls with strace)
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

#include "configs.h"
#include "floorwriter.h"
#include "fsvg/fsvgcanvas.h"
#include "streamcheck.h"

namespace fsvg::bench {

namespace {

struct TOptions {
  std::vector<std::size_t> Sizes{100000, 1000000};
  int Rounds = 5;
  std::vector<TSceneKind> Scenes{std::begin(AllScenes), std::end(AllScenes)};
  std::vector<TConfig> Configs;
  std::filesystem::path Directory;
  std::size_t RasterMax = 100000;
  bool Smoke = false;
  std::filesystem::path WriteFile;
  TSceneKind WriteScene = TSceneKind::Rects;
  std::size_t WriteSize = 1000;
  bool WriteLines = false;
};

std::vector<std::string> Split(std::string_view Text) {
  std::vector<std::string> Parts;
  std::stringstream Stream{std::string(Text)};
  for (std::string Part; std::getline(Stream, Part, ',');)
    if (!Part.empty()) Parts.push_back(Part);
  return Parts;
}

std::size_t ParseCount(const std::string& Text, const char* What) {
  std::size_t Used = 0;
  unsigned long long Value = 0;
  try {
    Value = std::stoull(Text, &Used);
  } catch (const std::exception&) {
    Used = 0;
  }
  if (Used != Text.size() || Value == 0)
    throw std::invalid_argument(std::string(What) + ": \"" + Text + "\" is not a positive whole number");
  return static_cast<std::size_t>(Value);
}

TOptions ParseOptions(int Argc, char** Argv) {
  TOptions Options;
  bool SizesGiven = false, RoundsGiven = false;
  for (int Index = 1; Index < Argc; ++Index) {
    const std::string_view Argument = Argv[Index];
    const auto Value = [&](std::string_view Name) -> std::string { return std::string(Argument.substr(Name.size())); };
    if (Argument.starts_with("--sizes=")) {
      Options.Sizes.clear();
      for (const std::string& Part : Split(Value("--sizes="))) Options.Sizes.push_back(ParseCount(Part, "--sizes"));
      SizesGiven = true;
    } else if (Argument.starts_with("--rounds=")) {
      Options.Rounds = static_cast<int>(ParseCount(Value("--rounds="), "--rounds"));
      RoundsGiven = true;
    } else if (Argument.starts_with("--scenes=")) {
      Options.Scenes.clear();
      for (const std::string& Part : Split(Value("--scenes="))) Options.Scenes.push_back(SceneByName(Part));
    } else if (Argument.starts_with("--configs=")) {
      for (const std::string& Part : Split(Value("--configs="))) {
        const auto Found =
            std::find_if(Configs().begin(), Configs().end(), [&](const TConfigInfo& Info) { return Info.Key == Part; });
        if (Found == Configs().end()) throw std::invalid_argument("unknown configuration \"" + Part + "\"");
        Options.Configs.push_back(Found->Id);
      }
    } else if (Argument.starts_with("--raster-max=")) {
      Options.RasterMax = ParseCount(Value("--raster-max="), "--raster-max");
    } else if (Argument.starts_with("--dir=")) {
      Options.Directory = Value("--dir=");
    } else if (Argument == "--smoke") {
      Options.Smoke = true;
    } else if (Argument.starts_with("--write-file=")) {
      Options.WriteFile = Value("--write-file=");
    } else if (Argument.starts_with("--scene=")) {
      Options.WriteScene = SceneByName(Value("--scene="));
    } else if (Argument == "--line") {
      Options.WriteLines = true;
    } else if (Argument.starts_with("--size=")) {
      Options.WriteSize = ParseCount(Value("--size="), "--size");
    } else {
      throw std::invalid_argument("unknown argument \"" + std::string(Argument) + "\" (see the top of bench/main.cpp)");
    }
  }
  if (Options.Smoke) {
    if (!SizesGiven) Options.Sizes = {2000};
    if (!RoundsGiven) Options.Rounds = 1;
  }
  if (Options.Configs.empty())
    for (const TConfigInfo& Info : Configs())
      if (Info.Available) Options.Configs.push_back(Info.Id);
  if (Options.Directory.empty()) Options.Directory = std::filesystem::temp_directory_path();
  return Options;
}

// Every sample of one scene and size, by configuration, one per round.
using TSamples = std::map<TConfig, std::vector<TSample>>;

double Median(std::vector<double> Values) {
  if (Values.empty()) return NAN;
  std::sort(Values.begin(), Values.end());
  const std::size_t Middle = Values.size() / 2;
  return Values.size() % 2 != 0 ? Values[Middle] : (Values[Middle - 1] + Values[Middle]) / 2;
}

bool Usable(const TSample& Sample) { return Sample.Message[0] == '\0' && Sample.Seconds > 0 && Sample.CpuSeconds > 0; }

// The median over rounds of A's processor time divided by B's, both from the same round.
double RatioWithinRounds(const TSamples& Samples, TConfig A, TConfig B) {
  const auto FoundA = Samples.find(A), FoundB = Samples.find(B);
  if (FoundA == Samples.end() || FoundB == Samples.end()) return NAN;
  std::vector<double> Ratios;
  for (std::size_t Round = 0; Round < FoundA->second.size() && Round < FoundB->second.size(); ++Round) {
    const TSample &SampleA = FoundA->second[Round], &SampleB = FoundB->second[Round];
    if (Usable(SampleA) && Usable(SampleB)) Ratios.push_back(SampleA.CpuSeconds / SampleB.CpuSeconds);
  }
  return Median(Ratios);
}

// The median over rounds of the run by turns' part Part divided by its part 0 (7a, 8a).
double PartRatioWithinRounds(const TSamples& Samples, int Part, TConfig ByTurns = TConfig::RasterByTurns) {
  const auto Found = Samples.find(ByTurns);
  if (Found == Samples.end()) return NAN;
  std::vector<double> Ratios;
  for (const TSample& Sample : Found->second)
    if (Usable(Sample) && Sample.PartCpuSeconds[0] > 0)
      Ratios.push_back(Sample.PartCpuSeconds[Part] / Sample.PartCpuSeconds[0]);
  return Median(Ratios);
}

std::string Fixed(double Value, int Decimals) {
  if (std::isnan(Value)) return "–";
  char Text[64];
  std::snprintf(Text, sizeof Text, "%.*f", Decimals, Value);
  return Text;
}

std::string Grouped(std::size_t Value) {
  const std::string Digits = std::to_string(Value);
  std::string Text;
  for (std::size_t Index = 0; Index < Digits.size(); ++Index) {
    if (Index != 0 && (Digits.size() - Index) % 3 == 0) Text += ',';
    Text += Digits[Index];
  }
  return Text;
}

bool OutputInMemory(TConfig Id) {
  return Id != TConfig::OwnedFile && Id != TConfig::GzipFile && Id != TConfig::LineFile &&
         Id != TConfig::BufferedFile && Id != TConfig::Raster && Id != TConfig::RecordOverRasterDiscarded &&
         Id != TConfig::QtHost && Id != TConfig::RecordOverQtDiscarded;
}

struct TResult {
  TSceneKind Scene;
  std::size_t Size;
  TSamples Samples;
};

// The rows of the run by turns: the processor time of each part. Wall time and memory
// belong to the three together, and are left out.
void PrintByTurns(const TResult& Result, TConfig ByTurns, const std::vector<TSample>& Samples) {
  const std::array<TConfig, 3> Parts = TurnParts(ByTurns);
  for (int Part = 0; Part < 3; ++Part) {
    const std::string Title = std::string(ConfigInfo(Parts[Part]).Title) + ", by turns";
    std::vector<double> CpuTimes;
    std::uint64_t Bytes = 0;
    for (const TSample& Sample : Samples) {
      if (!Usable(Sample)) continue;
      CpuTimes.push_back(Sample.PartCpuSeconds[Part] * 1e9 / static_cast<double>(Result.Size));
      Bytes = Sample.Bytes;
    }
    std::printf("| %s | %s | %s | %s | – | %s | – | – |\n", std::string(SceneName(Result.Scene)).c_str(),
                Grouped(Result.Size).c_str(), Title.c_str(), Fixed(Median(CpuTimes), 1).c_str(),
                Part == 0 ? "–" : Fixed(static_cast<double>(Bytes) / static_cast<double>(Result.Size), 1).c_str());
  }
}

void PrintMeasurements(const std::vector<TResult>& Results, const TOptions& Options) {
  std::printf("\n## Measurements (median of %d round%s)\n\n", Options.Rounds, Options.Rounds == 1 ? "" : "s");
  std::printf(
      "| scene | N | configuration | ns/element (CPU) | ns/element (wall) | bytes/element | peak growth MiB | "
      "growth less output MiB |\n");
  std::printf("|---|---:|---|---:|---:|---:|---:|---:|\n");
  for (const TResult& Result : Results) {
    for (const auto& [Id, Samples] : Result.Samples) {
      if (Id == TConfig::RasterByTurns || Id == TConfig::QtHostByTurns) {
        PrintByTurns(Result, Id, Samples);
        continue;
      }
      std::vector<double> Times, CpuTimes, Growths;
      std::uint64_t Bytes = 0;
      for (const TSample& Sample : Samples) {
        if (!Usable(Sample)) continue;
        Times.push_back(Sample.Seconds * 1e9 / static_cast<double>(Result.Size));
        CpuTimes.push_back(Sample.CpuSeconds * 1e9 / static_cast<double>(Result.Size));
        if (Sample.GrowthKiB >= 0) Growths.push_back(static_cast<double>(Sample.GrowthKiB) / 1024);
        Bytes = Sample.Bytes;
      }
      const double Growth = Median(Growths);
      const double LessOutput = OutputInMemory(Id) ? Growth - static_cast<double>(Bytes) / (1024 * 1024) : NAN;
      std::printf("| %s | %s | %s | %s | %s | %s | %s | %s |\n", std::string(SceneName(Result.Scene)).c_str(),
                  Grouped(Result.Size).c_str(), std::string(ConfigInfo(Id).Title).c_str(),
                  Fixed(Median(CpuTimes), 1).c_str(), Fixed(Median(Times), 1).c_str(),
                  Id == TConfig::Raster || Id == TConfig::QtHost
                      ? "–"
                      : Fixed(static_cast<double>(Bytes) / static_cast<double>(Result.Size), 1).c_str(),
                  Fixed(Growth, 1).c_str(), Fixed(LessOutput, 1).c_str());
    }
  }
}

std::string Judged(double Value, int Decimals, bool Met) {
  if (std::isnan(Value)) return "–";
  return Fixed(Value, Decimals) + (Met ? " ok" : " **MISS**");
}

// Whether a file configuration took the write calls it should: the line-buffered file
// one per element, the header and the footer (and, for the clipped scene, its clip's
// definition and group); the others one per block of 1 MiB.
bool WritesAsExpected(TConfig Id, TSceneKind Scene, std::size_t Size, const TSample& Sample) {
  if (Sample.Writes < 0) return true;
  const std::int64_t ClipLines = Scene == TSceneKind::Clipped ? 2 : 0;
  if (Id == TConfig::LineFile) return Sample.Writes == static_cast<std::int64_t>(Size) + 2 + ClipLines;
  if (Id == TConfig::OwnedFile || Id == TConfig::BufferedFile) return Sample.Writes <= MaxBlockWrites(Sample.Bytes);
  return true;
}

// The write calls per element of a file configuration (the most over rounds), judged.
std::string WriteCalls(const TResult& Result, TConfig Id) {
  const auto Found = Result.Samples.find(Id);
  if (Found == Result.Samples.end()) return "–";
  const TSample* Most = nullptr;
  for (const TSample& Sample : Found->second)
    if (Sample.Writes >= 0 && (Most == nullptr || Sample.Writes > Most->Writes)) Most = &Sample;
  if (Most == nullptr) return "–";
  const double PerElement = static_cast<double>(Most->Writes) / static_cast<double>(Result.Size);
  return Judged(PerElement, 5, WritesAsExpected(Id, Result.Scene, Result.Size, *Most)) + " (" +
         Grouped(static_cast<std::size_t>(Most->Writes)) + ")";
}

void PrintTargets(const std::vector<TResult>& Results) {
  std::printf("\n## Targets (ratios of processor times within a round, median over rounds)\n\n");
  std::printf(
      "| scene | N | 1/floor (<=2) | 1f/1 (<=1.5) | Qt/1 (>=10) | cairo/1 (>=40) | cairo/2 (>=3) | 2/1 (<=1.5) | 3/1 "
      "(<=1.5) | "
      "write calls per element: 2 (a MiB each) | 2b (=1 + 2 in all) | 3 (a MiB each) | 2: growth MiB (<2) | "
      "7b/7a (<=1.05) | 7c/7a (no output) | 7b/7a back to back | 8b/8a Qt host (<=1.05) | 8c/8a (no output) | "
      "8b/8a back to back |\n");
  std::printf("|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|\n");
  for (const TResult& Result : Results) {
    const double Floor = RatioWithinRounds(Result.Samples, TConfig::Memory, TConfig::Floor);
    const double Faithful = RatioWithinRounds(Result.Samples, TConfig::MemoryFaithful, TConfig::Memory);
    const double Qt = RatioWithinRounds(Result.Samples, TConfig::Qt, TConfig::Memory);
    const double Cairo = RatioWithinRounds(Result.Samples, TConfig::Cairo, TConfig::Memory);
    const double CairoFile = RatioWithinRounds(Result.Samples, TConfig::Cairo, TConfig::OwnedFile);
    const double Owned = RatioWithinRounds(Result.Samples, TConfig::OwnedFile, TConfig::Memory);
    const double Full = RatioWithinRounds(Result.Samples, TConfig::BufferedFile, TConfig::Memory);
    // What recording adds to painting is judged by turns when there are runs by turns.
    const double BackToBack = RatioWithinRounds(Result.Samples, TConfig::RecordOverRaster, TConfig::Raster);
    const bool ByTurns = Result.Samples.contains(TConfig::RasterByTurns);
    const double Raster = ByTurns ? PartRatioWithinRounds(Result.Samples, 1) : BackToBack;
    const double Discarded =
        ByTurns ? PartRatioWithinRounds(Result.Samples, 2)
                : RatioWithinRounds(Result.Samples, TConfig::RecordOverRasterDiscarded, TConfig::Raster);
    const double QtBackToBack = RatioWithinRounds(Result.Samples, TConfig::RecordOverQt, TConfig::QtHost);
    const bool QtByTurns = Result.Samples.contains(TConfig::QtHostByTurns);
    const double QtHost = QtByTurns ? PartRatioWithinRounds(Result.Samples, 1, TConfig::QtHostByTurns) : QtBackToBack;
    const double QtDiscarded = QtByTurns
                                   ? PartRatioWithinRounds(Result.Samples, 2, TConfig::QtHostByTurns)
                                   : RatioWithinRounds(Result.Samples, TConfig::RecordOverQtDiscarded, TConfig::QtHost);
    std::string Growth = "–";
    if (const auto Found = Result.Samples.find(TConfig::OwnedFile); Found != Result.Samples.end()) {
      std::vector<double> Growths;
      for (const TSample& Sample : Found->second)
        if (Sample.GrowthKiB >= 0) Growths.push_back(static_cast<double>(Sample.GrowthKiB) / 1024);
      Growth = Judged(Median(Growths), 2, Median(Growths) < 2);
    }
    std::printf("| %s | %s | %s | %s | %s | %s | %s | %s | %s | %s | %s | %s | %s | %s | %s | %s | %s | %s | %s |\n",
                std::string(SceneName(Result.Scene)).c_str(), Grouped(Result.Size).c_str(),
                Judged(Floor, 2, Floor <= 2).c_str(), Judged(Faithful, 2, Faithful <= 1.5).c_str(),
                Judged(Qt, 1, Qt >= 10).c_str(), Judged(Cairo, 1, Cairo >= 40).c_str(),
                Judged(CairoFile, 1, CairoFile >= 3).c_str(), Judged(Owned, 2, Owned <= 1.5).c_str(),
                Judged(Full, 2, Full <= 1.5).c_str(), WriteCalls(Result, TConfig::OwnedFile).c_str(),
                WriteCalls(Result, TConfig::LineFile).c_str(), WriteCalls(Result, TConfig::BufferedFile).c_str(),
                Growth.c_str(), Judged(Raster, 3, Raster <= 1.05).c_str(), Fixed(Discarded, 3).c_str(),
                Fixed(BackToBack, 3).c_str(), Judged(QtHost, 3, QtHost <= 1.05).c_str(), Fixed(QtDiscarded, 3).c_str(),
                Fixed(QtBackToBack, 3).c_str());
  }
}

// The smoke checks: the streams keep every byte whatever the fragment length, every
// configuration ran, the recording canvas's bytes equal the floor's in every
// configuration, and each file took the write calls it should.
int CheckSmoke(const std::vector<TResult>& Results, const TOptions& Options) {
  int Failures = 0;
  if (const std::string Failure = CheckStreamsKeepEveryByte(Options.Directory); !Failure.empty()) {
    std::fprintf(stderr, "FAIL streams: %s\n", Failure.c_str());
    ++Failures;
  }
  for (const TResult& Result : Results) {
    for (const auto& [Id, Samples] : Result.Samples) {
      for (const TSample& Sample : Samples) {
        const std::string Where = std::string(SceneName(Result.Scene)) + " N=" + std::to_string(Result.Size) + " " +
                                  std::string(ConfigInfo(Id).Title);
        if (!Usable(Sample)) {
          std::fprintf(stderr, "FAIL %s: %s\n", Where.c_str(), Sample.Message[0] ? Sample.Message : "no time");
          ++Failures;
        } else if (ConfigInfo(Id).Verified && Sample.Verified != 1) {
          std::fprintf(stderr, "FAIL %s: bytes not compared with the floor\n", Where.c_str());
          ++Failures;
        }
        if (!WritesAsExpected(Id, Result.Scene, Result.Size, Sample)) {
          std::fprintf(stderr, "FAIL %s: %lld write calls for %zu elements (%llu bytes)\n", Where.c_str(),
                       static_cast<long long>(Sample.Writes), Result.Size,
                       static_cast<unsigned long long>(Sample.Bytes));
          ++Failures;
        }
        // A run that keeps its output in memory made at least that output resident.
        if ((Id == TConfig::Memory || Id == TConfig::Floor) && Sample.GrowthKiB >= 0 &&
            static_cast<std::uint64_t>(Sample.GrowthKiB) * 1024 + 64 * 1024 < Sample.Bytes) {
          std::fprintf(stderr, "FAIL %s: peak growth %lld KiB is less than the %llu bytes of output\n", Where.c_str(),
                       static_cast<long long>(Sample.GrowthKiB), static_cast<unsigned long long>(Sample.Bytes));
          ++Failures;
        }
        if (Id == TConfig::OwnedFile && Sample.Writes < 0)
          std::fprintf(stderr, "note: /proc/self/io is missing, write calls not counted\n");
      }
    }
  }
  std::printf("\n%d passed, %d failed\n", Failures == 0 ? 1 : 0, Failures == 0 ? 0 : 1);
  return Failures == 0 ? 0 : 1;
}

int Run(const TOptions& Options) {
  std::vector<TResult> Results;
  bool Failed = false;
  for (TSceneKind SceneKind : Options.Scenes) {
    for (std::size_t Size : Options.Sizes) {
      const TScene Scene = MakeScene(SceneKind, Size);
      const auto Reference = std::make_unique_for_overwrite<char[]>(FloorCapacity(Scene));
      const std::size_t ReferenceSize = WriteFloor(Scene, Reference.get());
      TRunInput Input;
      Input.Scene = &Scene;
      Input.Reference = std::string_view(Reference.get(), ReferenceSize);
      Input.File = Options.Directory / ("fsvg_bench_" + std::to_string(::getpid()) + ".svg");
      TResult Result{SceneKind, Size, {}};
      for (int Round = 0; Round < Options.Rounds; ++Round) {
        std::fprintf(stderr, "%s N=%zu round %d/%d:", std::string(SceneName(SceneKind)).c_str(), Size, Round + 1,
                     Options.Rounds);
        for (TConfig Id : Options.Configs) {
          const TConfigInfo& Info = ConfigInfo(Id);
          if (Info.Paints && Size > Options.RasterMax) continue;
          const TSample Sample = RunInChild([&](TProbe& Probe) { Info.Run(Input, Probe); });
          Result.Samples[Id].push_back(Sample);
          const auto PerElement = [&](double Seconds) { return Seconds * 1e9 / static_cast<double>(Size); };
          if (Id == TConfig::RasterByTurns || Id == TConfig::QtHostByTurns)
            std::fprintf(stderr, " %s %.1f/%.1f/%.1f", std::string(Info.Key).c_str(),
                         PerElement(Sample.PartCpuSeconds[0]), PerElement(Sample.PartCpuSeconds[1]),
                         PerElement(Sample.PartCpuSeconds[2]));
          else
            std::fprintf(stderr, " %s %.1f", std::string(Info.Key).c_str(), PerElement(Sample.CpuSeconds));
          if (Sample.Message[0] != '\0') {
            std::fprintf(stderr, "\n  %s: %s\n", std::string(Info.Title).c_str(), Sample.Message);
            Failed = true;
          }
        }
        std::fprintf(stderr, " ns/element (CPU)\n");
      }
      Results.push_back(std::move(Result));
    }
  }
  PrintMeasurements(Results, Options);
  PrintTargets(Results);
  if (Options.Smoke) return CheckSmoke(Results, Options);
  return Failed ? 1 : 0;
}

// Records one scene into a file in this process, printing nothing, so that strace -c
// counts exactly the recording's write calls.
int WriteOneFile(const TOptions& Options) {
  const TScene Scene = MakeScene(Options.WriteScene, Options.WriteSize);
  TNullCanvas Host(SceneWidth, SceneHeight);
  TPolygon Polygon(3);
  std::optional<TFileStream> Stream;
  if (Options.WriteLines) Stream.emplace(Options.WriteFile, TFileBuffering::Line);
  {
    auto Canvas =
        Stream ? std::make_unique<TSvgCanvas>(&*Stream, &Host) : std::make_unique<TSvgCanvas>(Options.WriteFile, &Host);
    DrawScene(*Canvas, Scene, Polygon);
  }
  if (Stream) Stream->Close();
  return 0;
}

}  // namespace

}  // namespace fsvg::bench

int main(int Argc, char** Argv) {
  fsvg::bench::KeepLargeBlocksMapped();
  // Qt draws without a display, and wants a private runtime directory.
  ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  if (std::getenv("XDG_RUNTIME_DIR") == nullptr) {
    const std::string Runtime = "/tmp/fsvg-bench-runtime-" + std::to_string(::getuid());
    ::mkdir(Runtime.c_str(), 0700);
    ::setenv("XDG_RUNTIME_DIR", Runtime.c_str(), 0);
  }
  try {
    const fsvg::bench::TOptions Options = fsvg::bench::ParseOptions(Argc, Argv);
    if (!Options.WriteFile.empty()) return fsvg::bench::WriteOneFile(Options);
    return fsvg::bench::Run(Options);
  } catch (const std::exception& Error) {
    std::fprintf(stderr, "fsvg_bench: %s\n", Error.what());
    return 2;
  }
}
