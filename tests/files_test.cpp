// Files that cannot be written: a full disk (/dev/full) through the file-name constructor
// and through a caller's TFileStream in both buffering modes, a read-only file (also when
// the tests run as root), a missing directory, a directory; and a non-ASCII file name,
// which works. Every error names the path and the operating system's reason.
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <vector>

#include "support/scratch.h"
#include "support/testcanvas.h"

namespace fsvg::test {
namespace {

namespace fs = std::filesystem;

std::string Reason(int Error) { return std::generic_category().message(Error); }

// The message names the path and gives the operating system's reason.
::testing::AssertionResult NamesPathAndReason(const std::string& Message, const fs::path& Path, int Error) {
  if (Message.find(Path.string()) == std::string::npos)
    return ::testing::AssertionFailure() << "\"" << Message << "\" does not name " << Path;
  if (Message.find(Reason(Error)) == std::string::npos)
    return ::testing::AssertionFailure() << "\"" << Message << "\" does not give the reason \"" << Reason(Error)
                                         << "\"";
  return ::testing::AssertionSuccess();
}

void DrawScene(TSvgCanvas& Canvas) {
  Canvas.Clear(0xFFFFFFFF);
  for (int Index = 0; Index < 20; ++Index) {
    const auto F = static_cast<float>(Index);
    Canvas.FillRect({F, F, F + 10, F + 20}, 2, 2, AllCorners, 1, TBrush(TBrushKind::Solid, 0xFF336699));
    Canvas.FillText({F, F, 50, 50}, u"caf\u00E9 & <tea>", false, 1, {}, TTextAlign::Leading);
  }
}

// What happened to a document written through a caller's stream: where each error came
// from ("create", "draw", "flush", "close") and its message.
struct TOutcome {
  std::vector<std::string> Where;
  std::vector<std::string> Messages;
  void Add(const char* Place, const EWriteError& Error) {
    Where.emplace_back(Place);
    Messages.emplace_back(Error.what());
  }
};

TOutcome WriteThroughCallersStream(TFileStream& Stream, bool FlushFirst) {
  TOutcome Outcome;
  TNullCanvas Host(100, 100);
  try {
    TSvgCanvas Canvas(&Stream, &Host);
    try {
      DrawScene(Canvas);
    } catch (const EWriteError& Error) {
      Outcome.Add("draw", Error);
    }
  } catch (const EWriteError& Error) {
    Outcome.Add("create", Error);
  }
  if (FlushFirst) {
    try {
      Stream.Flush();
    } catch (const EWriteError& Error) {
      Outcome.Add("flush", Error);
    }
  }
  try {
    Stream.Close();
  } catch (const EWriteError& Error) {
    Outcome.Add("close", Error);
  }
  return Outcome;
}

class Files : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!fs::exists("/dev/full")) GTEST_SKIP() << "this system has no /dev/full";
  }
};

TEST_F(Files, FullDiskThroughTheFileNameConstructor) {
  TNullCanvas Host(10, 10);
  try {
    TSvgCanvas Canvas(fs::path("/dev/full"), &Host);
    FAIL() << "a document on a full disk was opened without an error";
  } catch (const EWriteError& Error) {
    EXPECT_TRUE(NamesPathAndReason(Error.what(), "/dev/full", ENOSPC));
  }
  // The file was closed on the way out: failing again more often than a process may
  // hold files open still fails at the header, not at opening.
  for (int Attempt = 0; Attempt < 2000; ++Attempt) EXPECT_THROW(TSvgCanvas(fs::path("/dev/full"), &Host), EWriteError);
}

TEST_F(Files, FullDiskThroughACallersStreamIsNeverASuccess) {
  // Where the first error must surface: at the write that reaches the disk.
  const struct {
    const char* Name;
    TFileBuffering Buffering;
    std::size_t BufferSize;
    bool FlushFirst;
    const char* FirstError;
  } Cases[] = {
      {"line: the header line", TFileBuffering::Line, 64 * 1024, false, "create"},
      {"full, small buffer: the first element", TFileBuffering::Full, 256, false, "draw"},
      {"full, tiny buffer: the header", TFileBuffering::Full, 16, false, "create"},
      {"full, large buffer: Close", TFileBuffering::Full, 64 * 1024, false, "close"},
      {"full, large buffer: Flush", TFileBuffering::Full, 64 * 1024, true, "flush"},
  };
  for (const auto& Case : Cases) {
    SCOPED_TRACE(Case.Name);
    TFileStream Stream("/dev/full", Case.Buffering, Case.BufferSize);
    const TOutcome Outcome = WriteThroughCallersStream(Stream, Case.FlushFirst);
    ASSERT_FALSE(Outcome.Where.empty()) << "every write to a full disk was reported as a success";
    EXPECT_EQ(Outcome.Where.front(), Case.FirstError);
    for (const std::string& Message : Outcome.Messages) EXPECT_TRUE(NamesPathAndReason(Message, "/dev/full", ENOSPC));
    EXPECT_FALSE(Stream.IsOpen());
    // A closed stream refuses further bytes, naming the file.
    try {
      Stream.WriteBuffer("x", 1);
      ADD_FAILURE() << "a closed stream took a write";
    } catch (const EWriteError& Error) {
      EXPECT_NE(std::string(Error.what()).find("/dev/full"), std::string::npos) << Error.what();
    }
  }
}

// Runs Attempt in a child process that has given up root, when this process is root:
// permission bits do not stop root, an unprivileged user they do. Returns the child's
// lines, or skips the test when privileges cannot be dropped.
template <typename Action>
std::vector<std::string> AsUnprivilegedUser(Action&& Attempt, bool& Skipped) {
  Skipped = false;
  if (::geteuid() != 0) return Attempt();
  int Pipe[2];
  if (::pipe(Pipe) != 0) throw std::system_error(errno, std::generic_category(), "pipe");
  const pid_t Child = ::fork();
  if (Child == 0) {
    ::close(Pipe[0]);
    std::string Report;
    if (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0) {
      Report = "SKIP cannot drop root privileges: " + Reason(errno);
    } else {
      for (const std::string& Line : Attempt()) Report += Line + "\n";
    }
    const char* Data = Report.data();
    std::size_t Left = Report.size();
    while (Left > 0) {
      const ssize_t Written = ::write(Pipe[1], Data, Left);
      if (Written <= 0) break;
      Data += Written;
      Left -= static_cast<std::size_t>(Written);
    }
    ::_exit(0);
  }
  ::close(Pipe[1]);
  std::string Report;
  char Buffer[4096];
  for (ssize_t Read; (Read = ::read(Pipe[0], Buffer, sizeof Buffer)) > 0;) Report.append(Buffer, Buffer + Read);
  ::close(Pipe[0]);
  int Status = 0;
  ::waitpid(Child, &Status, 0);
  if (Report.rfind("SKIP ", 0) == 0) {
    Skipped = true;
    return {Report.substr(5)};
  }
  std::vector<std::string> Lines;
  for (std::size_t Start = 0, End; (End = Report.find('\n', Start)) != std::string::npos; Start = End + 1)
    Lines.push_back(Report.substr(Start, End - Start));
  return Lines;
}

TEST(FilesReadOnly, ExistingReadOnlyFileIsRefusedAndKept) {
  TScratch Scratch;
  fs::permissions(Scratch.Path(), fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                      fs::perms::others_read | fs::perms::others_exec);
  const fs::path File = Scratch.Path() / "locked.svg";
  std::ofstream(File) << "keep me";
  fs::permissions(File, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);

  // One line per way of opening: the error's message, or "opened".
  bool Skipped = false;
  const std::vector<std::string> Lines = AsUnprivilegedUser(
      [&] {
        std::vector<std::string> Results;
        TNullCanvas Host(10, 10);
        try {
          TSvgCanvas Canvas(File, &Host);
          Results.push_back("opened");
        } catch (const EFCreateError& Error) {
          Results.push_back(Error.what());
        }
        try {
          TFileStream Stream(File, TFileBuffering::Full);
          Results.push_back("opened");
        } catch (const EFCreateError& Error) {
          Results.push_back(Error.what());
        }
        return Results;
      },
      Skipped);
  if (Skipped) GTEST_SKIP() << Lines.front();
  ASSERT_EQ(Lines.size(), 2u);
  for (const std::string& Line : Lines) EXPECT_TRUE(NamesPathAndReason(Line, File, EACCES));
  EXPECT_EQ(ReadFile(File), "keep me");
}

TEST(FilesCreate, PathsThatCannotBeCreatedNameThePathAndTheReason) {
  TScratch Scratch;
  const struct {
    const char* Name;
    fs::path Path;
    int Error;
  } Cases[] = {
      {"missing directory", Scratch.Path() / "no-such-dir" / "out.svg", ENOENT},
      {"missing non-ASCII directory", Scratch.Path() / fs::path(u8"f\u00FCr-\u03B1\u03B2") / "out.svg", ENOENT},
      {"a directory", Scratch.Path(), EISDIR},
      {"a file used as a directory", Scratch.Path() / "plain.txt" / "out.svg", ENOTDIR},
  };
  std::ofstream(Scratch.Path() / "plain.txt") << "x";
  for (const auto& Case : Cases) {
    SCOPED_TRACE(Case.Name);
    TNullCanvas Host(10, 10);
    try {
      TSvgCanvas Canvas(Case.Path, &Host);
      ADD_FAILURE() << "opened " << Case.Path;
    } catch (const EFCreateError& Error) {
      EXPECT_TRUE(NamesPathAndReason(Error.what(), Case.Path, Case.Error));
    }
    try {
      TFileStream Stream(Case.Path, TFileBuffering::Full);
      ADD_FAILURE() << "opened " << Case.Path;
    } catch (const EFCreateError& Error) {
      EXPECT_TRUE(NamesPathAndReason(Error.what(), Case.Path, Case.Error));
    }
  }
  EXPECT_FALSE(fs::exists(Scratch.Path() / "no-such-dir"));
  EXPECT_TRUE(fs::is_directory(Scratch.Path()));
}

TEST(FilesCreate, NonAsciiFileNameWorks) {
  TScratch Scratch;
  const fs::path File = Scratch.Path() / fs::path(u8"Gr\u00FC\u00DFe \u03B1\u03B2\u03B3 \u6587\u5B57 \U0001F600.svg");
  TNullCanvas Host(10, 10);
  {
    TSvgCanvas Canvas(File, &Host);
    Canvas.Clear(0xFF102030);
  }
  EXPECT_EQ(ReadFile(File), Header + "<rect x=\"0\" y=\"0\" width=\"10\" height=\"10\" fill=\"#102030\"/>\n</svg>");
  // The name on disk is the UTF-8 of the caller's name, byte for byte.
  bool Found = false;
  for (const fs::directory_entry& Entry : fs::directory_iterator(Scratch.Path()))
    Found |= Entry.path().filename().native() ==
             "Gr\xC3\xBC\xC3\x9F"
             "e \xCE\xB1\xCE\xB2\xCE\xB3 \xE6\x96\x87\xE5\xAD\x97 \xF0\x9F\x98\x80.svg";
  EXPECT_TRUE(Found);
}

// A file name with an embedded NUL would be cut there by the system and another file
// created: it is refused.
TEST(FilesCreate, FileNameWithAnEmbeddedNulIsRefused) {
  TScratch Scratch;
  const fs::path File = Scratch.Path().string() + "/cut" + std::string(1, '\0') + "rest.svg";
  TNullCanvas Host(10, 10);
  EXPECT_THROW(TSvgCanvas(File, &Host), EFCreateError);
  try {
    TFileStream Stream(File, TFileBuffering::Full);
    FAIL() << "no error";
  } catch (const EFCreateError& E) {
    EXPECT_NE(std::string(E.what()).find("/cut\\0rest.svg\". Invalid argument"), std::string::npos) << E.what();
  }
  EXPECT_FALSE(fs::exists(Scratch.Path() / "cut"));
}

}  // namespace
}  // namespace fsvg::test
