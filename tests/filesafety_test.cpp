// Files that run out of room or lose their reader: on a full file system (a 64 KiB
// tmpfs) and under a file size limit, the element that does not fit raises from its own
// call and leaves no byte behind, and drawing goes on once there is room again; a pipe
// whose reader is gone raises instead of ending the process. Also the memory stream
// written into itself and the std::ostream adapter's errors.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <cstring>
#include <functional>
#include <optional>
#include <vector>

#include "fsvg/fsvgcanvas.h"
#include "support/scratch.h"

namespace fsvg::test {
namespace {

namespace fs = std::filesystem;

// Element Index: a text line of about 4 KiB, so that each page boundary of a file falls
// in another element.
void DrawElement(TSvgCanvas& Canvas, int Index) {
  Canvas.FillText({0, 0, 10, 10}, std::u16string(4010, static_cast<char16_t>(u'a' + Index)), false, 1, {},
                  TTextAlign::Leading);
}

constexpr int Elements = 16;

// The document up to element K, made in memory.
const std::string& Prefix(int K) {
  static const std::vector<std::string> Prefixes = [] {
    std::vector<std::string> Result;
    TMemoryStream Stream;
    TNullCanvas Host(100, 100);
    TSvgCanvas Canvas(&Stream, &Host);
    for (int Index = 0; Index <= Elements; DrawElement(Canvas, Index++)) Result.emplace_back(Stream.View());
    return Result;
  }();
  return Prefixes[K];
}

// The message of the EWriteError that Action raises, or "" when it raises none.
std::string WriteErrorOf(const std::function<void()>& Action) {
  try {
    Action();
  } catch (const EWriteError& Error) {
    return Error.what();
  }
  return "";
}

// Draws into File until a call raises, lets Restore give room back, and finishes the
// document; the file is reached by its name (Mode 0), through a caller's line-buffered
// stream (1), or a reserving stream with a buffer smaller than two elements (2). Returns
// what went wrong: the error not from element Expected's call or not giving Reason, the
// file then not exactly the earlier elements, the document not whole after drawing on,
// or reserved space not given back.
std::string CutAndResume(const fs::path& File, int Mode, int Expected, int Reason,
                         const std::function<void()>& Restore) {
  TNullCanvas Host(100, 100);
  std::optional<TFileStream> Stream;
  if (Mode != 0) Stream.emplace(File, Mode == 1 ? TFileBuffering::Line : TFileBuffering::Reserved, 5000);
  std::optional<TSvgCanvas> Canvas;
  Stream ? Canvas.emplace(&*Stream, &Host) : Canvas.emplace(File, &Host);
  int Failed = 0;
  std::string Message;
  while (Failed < Elements && (Message = WriteErrorOf([&] { DrawElement(*Canvas, Failed); })).empty()) ++Failed;
  if (Failed != Expected) return "the error came from element " + std::to_string(Failed);
  if (Message.find(std::strerror(Reason)) == std::string::npos) return "the error says \"" + Message + "\"";
  const std::string Cut = ReadFile(File);
  Restore();
  if (Cut != Prefix(Failed)) return "the file is not exactly the earlier elements";
  for (int Index = Failed; Index < Failed + 2; ++Index) DrawElement(*Canvas, Index);
  Canvas.reset();
  if (Stream) Stream->Close();
  if (ReadFile(File) != Prefix(Failed + 2) + "</svg>") return "drawing on did not give the whole document";
  struct stat Status {};
  ::stat(File.c_str(), &Status);
  return Status.st_blocks * 512 < Status.st_size + 64 * 1024 ? "" : "the space reserved beyond the end was kept";
}

TEST(FileSafety, FullFileSystemCutsAtTheElementThatDoesNotFit) {
  TScratch Scratch;
  const fs::path Mount = Scratch.Path() / "small";
  fs::create_directory(Mount);
  const auto Page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE)), Pages = 64 * 1024 / Page;
  for (int Mode = 0; Mode < 3; ++Mode)
    for (std::size_t Free = 1; Free + 1 < Pages; ++Free) {  // room left to draw on
      if (::mount("tmpfs", Mount.c_str(), "tmpfs", 0, "size=64k") != 0)
        GTEST_SKIP() << "cannot mount a 64 KiB tmpfs here (" << std::strerror(errno) << "); CI runs as root";
      const std::unique_ptr<const char, void (*)(const char*)> Mounted(Mount.c_str(),
                                                                       [](const char* Path) { ::umount(Path); });
      std::ofstream(Mount / "filler", std::ios::binary) << std::string((Pages - Free) * Page, 'f');
      int Expected = 0;  // the first element that needs one page more than is free
      while ((Prefix(Expected + 1).size() + Page - 1) / Page <= Free) ++Expected;
      EXPECT_EQ(CutAndResume(Mount / "out.svg", Mode, Expected, ENOSPC, [&] { fs::remove(Mount / "filler"); }), "")
          << "mode " << Mode << ", pages free " << Free;
    }
}

void LimitFileSize(rlim_t Size) {
  const rlimit Limit{Size, RLIM_INFINITY};
  ::setrlimit(RLIMIT_FSIZE, &Limit);
}

TEST(FileSafety, FileSizeLimitCutsAtTheElementThatDoesNotFit) {
  TScratch Scratch;
  const auto Child = [&] {
    ::signal(SIGXFSZ, SIG_IGN);
    std::string Report;
    for (int Mode = 0; Mode < 3; ++Mode)
      for (int Expected = 0; Expected < 6; ++Expected)
        for (std::size_t Limit : {Prefix(Expected).size(), Prefix(Expected + 1).size() - 1}) {
          LimitFileSize(Limit);
          const std::string Failure =
              CutAndResume(Scratch.Path() / "out.svg", Mode, Expected, EFBIG, [] { LimitFileSize(RLIM_INFINITY); });
          Report += Failure.empty() ? "" : "limit " + std::to_string(Limit) + ": " + Failure + "\n";
        }
    std::fputs(Report.c_str(), stderr);
    std::_Exit(Report.empty() ? 0 : 1);
  };
  EXPECT_EXIT(Child(), ::testing::ExitedWithCode(0), "");
}

// The process lives, and its SIGPIPE disposition, pending signals and mask are as they were.
TEST(FileSafety, PipeWhoseReaderLeavesRaisesBrokenPipe) {
  TScratch Scratch;
  const fs::path Pipe = Scratch.Path() / "pipe";
  ASSERT_EQ(::mkfifo(Pipe.c_str(), 0600), 0);
  const int Reader = ::open(Pipe.c_str(), O_RDONLY | O_NONBLOCK);
  TNullCanvas Host(100, 100);
  TSvgCanvas Canvas(Pipe, &Host);
  ::close(Reader);
  EXPECT_NE(WriteErrorOf([&] { DrawElement(Canvas, 0); }).find("Broken pipe"), std::string::npos);
  struct sigaction Disposition {};
  sigset_t Pending, Blocked;
  ::sigaction(SIGPIPE, nullptr, &Disposition);
  ::sigpending(&Pending);
  ::pthread_sigmask(SIG_BLOCK, nullptr, &Blocked);
  EXPECT_TRUE(Disposition.sa_handler == SIG_DFL && !sigismember(&Pending, SIGPIPE) && !sigismember(&Blocked, SIGPIPE));
}

// A memory stream appended to itself while it grows; only an EWriteError leaves the
// ostream adapter, carrying the buffer's own exception.
TEST(FileSafety, MemoryStreamIntoItselfAndAdapterNestingForeignErrors) {
  TMemoryStream Memory;
  Memory.Reserve(Prefix(0).size());
  Memory.WriteBuffer(Prefix(0).data(), Prefix(0).size());
  Memory.WriteBuffer(Memory.Data(), Memory.Size());
  EXPECT_EQ(Memory.View(), Prefix(0) + Prefix(0));
  struct TOdd {};
  struct TThrowingBuffer : std::streambuf {
    int_type overflow(int_type) override { throw TOdd{}; }
  } Buffer;
  std::ostream Target(&Buffer);
  Target.exceptions(std::ios::badbit);
  try {
    TOStreamAdapter(Target).WriteBuffer("x", 1);
    ADD_FAILURE() << "the adapter hid the error";
  } catch (const EWriteError& Error) {
    EXPECT_THROW(std::rethrow_if_nested(Error), TOdd);
  }
}

}  // namespace
}  // namespace fsvg::test
