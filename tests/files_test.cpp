// Files: when bytes reach the disk (both buffering modes, lent room); a full disk
// (/dev/full) through the file-name constructor and through a caller's stream; paths
// that cannot be created; a non-ASCII name; and what the system may do to a write or a
// close (take part of the bytes, be interrupted, take nothing, fail), with write(2) and
// close(2) replaced in this program. Every error names the path and the system's reason.
#include <gtest/gtest.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <system_error>

#include "support/scratch.h"
#include "support/testcanvas.h"

namespace {

// While Active, write(2) and close(2) on descriptors above 2 misbehave as set here.
struct TSystemFaults {
  bool Active = false;
  std::size_t Chunk = 0;  // a write takes at most this many bytes (0: all)
  int Interruptions = 0;  // this many writes fail with EINTR first
  bool TakeNothing = false;
  int CloseError = 0;  // close(2) closes, then reports this error
} Faults;

}  // namespace

// The program's own definitions take precedence over the C library's for every caller.
extern "C" ssize_t write(int Fd, const void* Data, size_t Count) {
  if (Faults.Active && Fd > 2) {
    if (Faults.Interruptions > 0 && Faults.Interruptions--) return errno = EINTR, -1;
    if (Faults.TakeNothing) return 0;
    if (Faults.Chunk != 0) Count = std::min(Count, Faults.Chunk);
  }
  return syscall(SYS_write, Fd, Data, Count);
}

extern "C" int close(int Fd) {
  const auto Result = static_cast<int>(syscall(SYS_close, Fd));
  if (!Faults.Active || Fd <= 2 || Result != 0 || Faults.CloseError == 0) return Result;
  return errno = Faults.CloseError, -1;
}

namespace fsvg::test {
namespace {

namespace fs = std::filesystem;

// The message names the path and gives the operating system's reason for Error.
::testing::AssertionResult NamesPathAndReason(const std::string& Message, const fs::path& Path, int Error) {
  if (Message.find(Path.string()) != std::string::npos &&
      Message.find(std::generic_category().message(Error)) != std::string::npos)
    return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "\"" << Message << "\" lacks " << Path << " or errno " << Error;
}

TEST(Files, BytesReachTheFileWhenALineEndsOrTheBufferFills) {
  TScratch Scratch;
  const fs::path Path = Scratch.Path() / "buffered.txt";
  const auto Put = [&](TFileStream& File, std::string_view Text, std::size_t Room = 0) {
    if (Room == 0) return File.WriteBuffer(Text.data(), Text.size());
    std::memcpy(File.AcquireBuffer(Room), Text.data(), Text.size());
    File.CommitBuffer(Text.size());
  };
  TFileStream Line(Path, TFileBuffering::Line, 8);
  Put(Line, "abc");
  EXPECT_EQ(ReadFile(Path), "");
  Put(Line, "\n", 4);  // lent: ends a line, flushed
  EXPECT_EQ(ReadFile(Path), "abc\n");
  Line.Close();
  TFileStream Full(Path, TFileBuffering::Full, 8);
  Put(Full, "line\n");
  EXPECT_EQ(ReadFile(Path), "");  // truncated, and nothing handed over yet
  Put(Full, "ab\n", 6);           // no room for 6 more: flushed first
  EXPECT_EQ(ReadFile(Path), "line\n");
  EXPECT_EQ(Full.AcquireBuffer(9), nullptr);  // more than the whole buffer
  EXPECT_THROW(Full.CommitBuffer(1), std::length_error);
  Put(Full, "0123456789");  // more than the buffer: written through
  EXPECT_EQ(ReadFile(Path), "line\nab\n0123456789");
  Put(Full, "x");
  Full.Flush();
  EXPECT_EQ(ReadFile(Path), "line\nab\n0123456789x");
  Full.Close();
  EXPECT_FALSE(Full.IsOpen());
  EXPECT_THROW(Full.AcquireBuffer(1), EWriteError);
  EXPECT_THROW(Put(Full, "y"), EWriteError);
}

TEST(Files, FullDiskIsNeverASuccess) {
  if (!fs::exists("/dev/full")) GTEST_SKIP() << "this system has no /dev/full";
  TNullCanvas Host(10, 10);
  try {
    TSvgCanvas Canvas(fs::path("/dev/full"), &Host);
    FAIL() << "a document on a full disk was opened without an error";
  } catch (const EWriteError& Error) {
    EXPECT_TRUE(NamesPathAndReason(Error.what(), "/dev/full", ENOSPC));
  }
  // Each failed attempt closed its file: more attempts than a process may hold files.
  for (int Attempt = 0; Attempt < 2000; ++Attempt) EXPECT_THROW(TSvgCanvas(fs::path("/dev/full"), &Host), EWriteError);
}

TEST(Files, PathsThatCannotBeCreatedNameThePathAndTheReason) {
  TScratch Scratch;
  std::ofstream(Scratch.Path() / "plain.txt") << "x";
  const struct {
    fs::path Path;
    int Error;
    std::string Named;  // how the message names the path
  } Cases[] = {
      {Scratch.Path() / "no-such-dir" / "out.svg", ENOENT, ""},
      {Scratch.Path() / fs::path(u8"f\u00FCr-\u03B1\u03B2") / "out.svg", ENOENT, ""},
      {Scratch.Path(), EISDIR, ""},
      {Scratch.Path() / "plain.txt" / "out.svg", ENOTDIR, ""},
      // The system would stop reading the name at a NUL and create another file.
      {Scratch.Path().string() + "/cut" + std::string(1, '\0') + "rest.svg", EINVAL,
       Scratch.Path().string() + "/cut\\0rest.svg"},
  };
  for (const auto& Case : Cases) {
    SCOPED_TRACE(Case.Path);
    const std::string Named = "\"" + (Case.Named.empty() ? Case.Path.string() : Case.Named) + "\"";
    TNullCanvas Host(10, 10);
    try {
      TSvgCanvas Canvas(Case.Path, &Host);
      ADD_FAILURE() << "opened";
    } catch (const EFCreateError& Error) {
      EXPECT_TRUE(NamesPathAndReason(Error.what(), Named, Case.Error));
    }
    try {
      TFileStream Stream(Case.Path, TFileBuffering::Full);
      ADD_FAILURE() << "opened";
    } catch (const EFCreateError& Error) {
      EXPECT_TRUE(NamesPathAndReason(Error.what(), Named, Case.Error));
    }
  }
  EXPECT_EQ(std::distance(fs::directory_iterator(Scratch.Path()), {}), 1);  // plain.txt alone
  EXPECT_THROW(TFileStream{fs::path()}, EFCreateError);
}

TEST(Files, PartialAndInterruptedWritesLoseNothing) {
  TCountingStream Expected;
  TNullCanvas Host(640, 480);
  {
    TOpenCanvas Canvas(&Expected, &Host);
    DrawScene(Canvas);
  }
  TScratch Scratch;
  const fs::path Path = Scratch.Path() / "partial.svg";
  for (const std::size_t Chunk : {1u, 7u, 100u}) {
    Faults = {true, Chunk, 3};
    {
      TOpenCanvas Canvas(Path, &Host);
      DrawScene(Canvas);
    }
    Faults.Active = false;
    EXPECT_TRUE(ReadFile(Path) == Expected.Text) << Chunk;
  }
}

TEST(Files, WriteThatTakesNothingAndFailedCloseAreErrors) {
  TScratch Scratch;
  const fs::path Path = Scratch.Path() / "out.txt";
  TFileStream Stream(Path, TFileBuffering::Full);
  Faults = {.Active = true, .TakeNothing = true};
  try {
    Stream.WriteBuffer("x\n", 2);
    Stream.Flush();
    ADD_FAILURE() << "a write that took nothing passed";
  } catch (const EWriteError& Error) {
    EXPECT_TRUE(NamesPathAndReason(Error.what(), Path, EIO));
  }
  Stream.WriteBuffer("y", 1);  // buffered: Close cannot flush it, and closes all the same
  EXPECT_THROW(Stream.Close(), EWriteError);
  Faults.Active = false;
  EXPECT_FALSE(Stream.IsOpen());
  for (const int Error : {EIO, EINTR}) {  // an interrupted close has closed the file all the same
    TFileStream File(Path);
    File.WriteBuffer("abc", 3);
    Faults = {.Active = true, .CloseError = Error};
    if (Error == EINTR) {
      EXPECT_NO_THROW(File.Close());
    } else {
      EXPECT_THROW(File.Close(), EWriteError);
    }
    Faults.Active = false;
    EXPECT_FALSE(File.IsOpen());
    EXPECT_NO_THROW(File.Close());
    EXPECT_EQ(ReadFile(Path), "abc");
  }
}

}  // namespace
}  // namespace fsvg::test
