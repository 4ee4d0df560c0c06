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
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <streambuf>
#include <string>
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

// The document of every element, made in memory; Ends[K] is its length up to element K.
struct TReference {
  std::string Text;
  std::vector<std::size_t> Ends;
};

const TReference& Reference() {
  static const TReference Reference = [] {
    TReference Result;
    TMemoryStream Stream;
    TNullCanvas Host(100, 100);
    {
      TSvgCanvas Canvas(&Stream, &Host);
      Result.Ends.push_back(Stream.Size());
      for (int Index = 0; Index < Elements; ++Index) {
        DrawElement(Canvas, Index);
        Result.Ends.push_back(Stream.Size());
      }
    }
    Result.Text = Stream.View();
    return Result;
  }();
  return Reference;
}

// The ways to a file whose writes must each be whole: the file name, a caller's
// line-buffered stream, and a reserving stream with a buffer smaller than two elements.
enum class TMode { FileName, Line, ReservedSmallBuffer };
constexpr TMode Modes[] = {TMode::FileName, TMode::Line, TMode::ReservedSmallBuffer};

bool IsWellFormed(const std::string& Text) {
  const fs::path Copy = fs::temp_directory_path() / ("fsvg-wellformed-" + std::to_string(::getpid()) + ".svg");
  std::ofstream(Copy, std::ios::binary) << Text;
  const bool Accepted = std::system(("xmllint --noout '" + Copy.string() + "' 2>/dev/null").c_str()) == 0;
  fs::remove(Copy);
  return Accepted;
}

// Draws into File until a call raises, lets Restore give room back, and finishes the
// document. Returns what went wrong: the error not from element Expected's call or not
// giving Reason, the file then not exactly the earlier elements, or the document not
// whole after drawing on.
std::string CutAndResume(const fs::path& File, TMode Mode, int Expected, int Reason,
                         const std::function<void()>& Restore) {
  const TReference& Reference = ::fsvg::test::Reference();
  TNullCanvas Host(100, 100);
  std::optional<TFileStream> Stream;
  std::optional<TSvgCanvas> Canvas;
  if (Mode == TMode::FileName) {
    Canvas.emplace(File, &Host);
  } else {
    Stream.emplace(File, Mode == TMode::Line ? TFileBuffering::Line : TFileBuffering::Reserved, 5000);
    Canvas.emplace(&*Stream, &Host);
  }
  int Failed = 0;
  std::string Message;
  for (; Failed < Elements && Message.empty(); ++Failed) try {
      DrawElement(*Canvas, Failed);
    } catch (const EWriteError& Error) {
      Message = Error.what();
    }
  if (--Failed != Expected) return "the error came from element " + std::to_string(Failed);
  if (Message.find(std::strerror(Reason)) == std::string::npos) return "the error says \"" + Message + "\"";
  const std::string Cut = ReadFile(File);
  Restore();
  if (Cut != Reference.Text.substr(0, Reference.Ends[Failed]) || !IsWellFormed(Cut + "</svg>"))
    return "the file does not hold exactly the elements before the error";
  for (int Index = Failed; Index < Failed + 2; ++Index) DrawElement(*Canvas, Index);
  Canvas.reset();
  if (Stream) Stream->Close();
  if (ReadFile(File) != Reference.Text.substr(0, Reference.Ends[Failed + 2]) + "</svg>")
    return "drawing on after the error did not give the whole document";
  return "";
}

TEST(FileSafety, FullFileSystemCutsAtTheElementThatDoesNotFit) {
  TScratch Scratch;
  const fs::path Mount = Scratch.Path() / "small";
  fs::create_directory(Mount);
  const auto Page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
  for (TMode Mode : Modes) {
    for (std::size_t Free = 1; Free + 1 < 64 * 1024 / Page; ++Free) {  // room left to draw on
      if (::mount("tmpfs", Mount.c_str(), "tmpfs", 0, "size=64k") != 0)
        GTEST_SKIP() << "cannot mount a 64 KiB tmpfs here (" << std::strerror(errno) << "); CI runs as root";
      const std::unique_ptr<const char, void (*)(const char*)> Mounted(Mount.c_str(),
                                                                       [](const char* Path) { ::umount(Path); });
      std::ofstream(Mount / "filler", std::ios::binary) << std::string((64 * 1024 / Page - Free) * Page, 'f');
      int Expected = 0;  // the first element that needs one page more than is free
      while ((Reference().Ends[Expected + 1] + Page - 1) / Page <= Free) ++Expected;
      EXPECT_EQ(CutAndResume(Mount / "out.svg", Mode, Expected, ENOSPC, [&] { fs::remove(Mount / "filler"); }), "")
          << "mode " << static_cast<int>(Mode) << ", pages free " << Free;
    }
  }
}

void LimitFileSize(rlim_t Size) {
  rlimit Limit{};
  ::getrlimit(RLIMIT_FSIZE, &Limit);
  Limit.rlim_cur = Size;
  ::setrlimit(RLIMIT_FSIZE, &Limit);
}

TEST(FileSafety, FileSizeLimitCutsAtTheElementThatDoesNotFit) {
  TScratch Scratch;
  const auto Child = [&] {
    std::signal(SIGXFSZ, SIG_IGN);
    std::string Report;
    for (TMode Mode : Modes)
      for (int Expected = 0; Expected < 6; ++Expected)
        for (std::size_t Limit : {Reference().Ends[Expected], Reference().Ends[Expected + 1] - 1}) {
          LimitFileSize(Limit);
          const std::string Failure =
              CutAndResume(Scratch.Path() / "out.svg", Mode, Expected, EFBIG, [] { LimitFileSize(RLIM_INFINITY); });
          if (!Failure.empty())
            Report += "mode " + std::to_string(static_cast<int>(Mode)) + ", limit " + std::to_string(Limit) + ": " +
                      Failure + "\n";
        }
    std::fputs(Report.c_str(), stderr);
    std::_Exit(Report.empty() ? 0 : 1);
  };
  EXPECT_EXIT(Child(), ::testing::ExitedWithCode(0), "");
}

TEST(FileSafety, NamedFileGivesBackTheSpaceItReserved) {
  TScratch Scratch;
  const fs::path File = Scratch.Path() / "one.svg";
  {
    TNullCanvas Host(100, 100);
    TSvgCanvas Canvas(File, &Host);
    DrawElement(Canvas, 0);
  }
  struct stat Status {};
  ASSERT_EQ(::stat(File.c_str(), &Status), 0);
  EXPECT_LT(Status.st_blocks * 512, 64 * 1024);
}

TEST(FileSafety, PipeWhoseReaderLeavesRaisesBrokenPipe) {
  struct sigaction Disposition {};
  ::sigaction(SIGPIPE, nullptr, &Disposition);
  ASSERT_EQ(Disposition.sa_handler, SIG_DFL) << "SIGPIPE is not at its default here: the test would prove nothing";
  TScratch Scratch;
  const fs::path Pipe = Scratch.Path() / "pipe";
  ASSERT_EQ(::mkfifo(Pipe.c_str(), 0600), 0);
  const int Reader = ::open(Pipe.c_str(), O_RDONLY | O_NONBLOCK);
  TNullCanvas Host(100, 100);
  TSvgCanvas Canvas(Pipe, &Host);
  ::close(Reader);
  try {
    DrawElement(Canvas, 0);
    FAIL() << "a write to a pipe without a reader succeeded";
  } catch (const EWriteError& Error) {
    EXPECT_NE(std::string(Error.what()).find("Broken pipe"), std::string::npos) << Error.what();
  }
  ::sigaction(SIGPIPE, nullptr, &Disposition);
  EXPECT_EQ(Disposition.sa_handler, SIG_DFL);
  sigset_t Pending;
  ::sigpending(&Pending);
  EXPECT_EQ(sigismember(&Pending, SIGPIPE), 0);
}

TEST(FileSafety, MemoryStreamWrittenIntoItselfWhileGrowing) {
  std::string Text;
  for (int Index = 0; Index < 300; ++Index) Text += static_cast<char>('a' + Index % 26);
  TMemoryStream Stream;
  Stream.Reserve(Text.size());
  Stream.WriteBuffer(Text.data(), Text.size());
  Stream.WriteBuffer(Stream.Data(), Stream.Size());
  EXPECT_EQ(Stream.View(), Text + Text);
}

TEST(FileSafety, OStreamAdapterNestsWhateverTheStreamThrows) {
  struct TOdd {};
  struct TThrowingBuffer : std::streambuf {
    int_type overflow(int_type) override { throw TOdd{}; }
  } Buffer;
  std::ostream Target(&Buffer);
  Target.exceptions(std::ios::badbit);
  TOStreamAdapter Stream(Target);
  try {
    Stream.WriteBuffer("x", 1);
    FAIL() << "no error";
  } catch (const EWriteError& Error) {
    EXPECT_THROW(std::rethrow_if_nested(Error), TOdd);
  }
}

}  // namespace
}  // namespace fsvg::test
