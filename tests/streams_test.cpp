// The streams and file output. Opening and closing documents (over a caller's stream, a
// file, a missing canvas or stream); every way a line reaches a stream gives the same
// bytes; memory growth, also from its own bytes; lending room and committing it; a failing
// std::ostream; every refusal in its own words. Files: when bytes reach the disk (line and
// full buffering, lent room); paths that cannot be created; a full disk (/dev/full, a
// 64 KiB tmpfs) and a file size limit, where the element that does not fit raises from
// its own call, leaves no byte behind, and drawing goes on once there is room again; what
// the system may do to a write or a close (take part of the bytes, be interrupted, take
// nothing, fail), with write(2) and close(2) replaced in this program; a pipe whose reader
// leaves. Every error names the path and the reason.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <functional>
#include <optional>
#include <sstream>

#include "support/scratch.h"
#include "support/testcanvas.h"

// write(2) and close(2) on descriptors above 2 misbehave as set here; the defaults change nothing.
static struct TSystemFaults {
  std::size_t Chunk = SIZE_MAX;  // a write takes at most this many bytes (0: takes nothing)
  int Interruptions = 0;         // this many writes fail with EINTR first
  int CloseError = 0;            // close(2) closes, then reports this error
} Faults;

// The program's own definitions take precedence over the C library's for every caller.
extern "C" ssize_t write(int Fd, const void* Data, size_t Count) {
  if (Fd > 2 && Faults.Interruptions > 0) {
    --Faults.Interruptions;
    errno = EINTR;
    return -1;
  }
  return syscall(SYS_write, Fd, Data, Fd > 2 ? std::min(Count, Faults.Chunk) : Count);
}

extern "C" int close(int Fd) {
  const auto Result = static_cast<int>(syscall(SYS_close, Fd));
  if (Fd <= 2 || Result != 0 || Faults.CloseError == 0) return Result;
  errno = Faults.CloseError;
  return -1;
}

namespace fsvg::test {
namespace {

using enum TFileBuffering;

// Whether the file holds more disk blocks than its bytes need: space reserved past its end.
bool KeepsRoomPastItsEnd(const fs::path& File) {
  struct stat Status {};
  ::stat(File.c_str(), &Status);
  return Status.st_blocks * 512 >= Status.st_size + 64 * 1024;
}

// Every way a line reaches a stream gives the same bytes. A missing canvas is refused
// after the teardown, which leaves the footer alone in the stream or the file (truncated,
// and closed). An empty file name, as no stream: nothing is written, but the host paints.
TEST(Streams, EveryStreamGetsTheSameDocumentAMissingCanvasOnlyTheFooter) {
  TCountingStream Plain;  // lends nothing: every line is copied in
  TMemoryStream Growing;  // lends once grown, and grows for the lines that do not fit
  std::ostringstream Target;
  TOStreamAdapter Adapter(Target);
  TNullCanvas Host(640, 480);
  for (TStream* Stream : std::initializer_list<TStream*>{&Plain, &Growing, &Adapter})
    DrawScene(TOpenCanvas(Stream, &Host));
  Adapter.WriteBuffer("\nmore", 5);  // still the caller's, still usable
  ASSERT_TRUE(Plain.Text.starts_with(Header + "<rect x=\"0\" y=\"0\" width=\"640\""));
  ASSERT_TRUE(Plain.Text.ends_with("</svg>"));
  EXPECT_TRUE(Growing.View() == Plain.Text);
  EXPECT_TRUE(Target.str() == Plain.Text + "\nmore");
  Growing.Clear();  // empty, and keeps the room it grew
  EXPECT_EQ(Growing.Size(), 0u);
  EXPECT_GE(Growing.Capacity(), Plain.Text.size());
  TScratch Scratch;
  const fs::path Path = Scratch.Path / "out.svg";
  for (const auto& [Buffering, Size] : {std::pair{Line, 1u << 16}, {Full, 1 << 16}, {Full, 100}, {Line, 1}}) {
    TFileStream File(Path, Buffering, Size);
    DrawScene(TOpenCanvas(&File, &Host));
    File.Close();
    EXPECT_TRUE(ReadFile(Path) == Plain.Text) << Size;
    EXPECT_FALSE(KeepsRoomPastItsEnd(Path));  // only a reserving stream reserves
  }
  EXPECT_ERROR(ESvgError, TSvgCanvas(Path, nullptr), "Canvas parameter is required");
  EXPECT_EQ(ReadFile(Path), "</svg>");
  EXPECT_ERROR(ESvgError, TSvgCanvas(&Growing, nullptr), "Canvas parameter is required");
  EXPECT_EQ(Growing.View(), "</svg>");
  EXPECT_THROW(TSvgCanvas(nullptr, nullptr), ESvgError);
  TRecordingCanvas Painted;
  DrawScene(TOpenCanvas(fs::path(), &Painted));
  EXPECT_EQ(Painted.Calls.size(), 47u);  // none for the writers or the state
}

// Every refusal of the streams and the host in its own words.
TEST(Streams, RefusalsSayWhatWentWrong) {
  std::ostringstream Failed;
  Failed.setstate(std::ios::badbit);
  TOStreamAdapter(Failed).WriteBuffer("", 0);  // nothing to write: no error
  struct TThrowingBuffer : std::streambuf {
    bool Odd = false;  // throws what is not a std::exception
    int overflow(int) override { throw Odd ? throw 42 : std::runtime_error("disk gone"); }
  } Buffer;
  std::ostream Throwing(&Buffer);
  Throwing.exceptions(std::ios::badbit);
  TScratch Scratch;
  const fs::path Path = Scratch.Path / "closed.svg";
  TFileStream Closed(Path), Fresh(Scratch.Path / "fresh.svg");
  Closed.Close();
  TMemoryStream Memory;
  TCountingStream Plain;  // lends nothing, so takes no commit
  TNullCanvas Host;
  TGzipStream Gzip(&Memory);
  Gzip.Close();
  const std::pair<std::function<void()>, std::string> Cases[] = {
      {[&] { TOStreamAdapter(Failed).WriteBuffer("x", 1); },
       "Stream write error: the std::ostream is in a failed state"},
      {[&] { TOStreamAdapter(Throwing).WriteBuffer("x", 1); }, "Stream write error: disk gone"},
      {[&] {
         Throwing.clear();
         Buffer.Odd = true;
         TOStreamAdapter(Throwing).WriteBuffer("x", 1);
       },
       "Stream write error: the std::ostream threw an exception"},
      {[&] { Closed.WriteBuffer("x", 1); }, "Cannot write to \"" + Path.string() + "\": the file is closed"},
      {[&] { TFileStream{fs::path()}; }, "Cannot create file \"\". The file name is empty"},
      {[&] { Fresh.CommitBuffer(1); }, "CommitBuffer for more than was acquired"},
      {[&] { Plain.TStream::CommitBuffer(1); }, "CommitBuffer without a buffer acquired"},
      {[&] { Gzip.WriteBuffer("x", 1); }, "Cannot write to the gzip stream: it is closed"},
      {[&] { TGzipStream(nullptr); }, "Cannot set up the gzip stream: the target stream is null"},
      {[&] { TGzipStream(&Memory, 10); }, "Cannot set up the gzip stream: the level must be -1 to 9, not 10"},
      {[&] { TGzipStream(&Memory, -2); }, "Cannot set up the gzip stream: the level must be -1 to 9, not -2"},
      {[&] { TGzipStream(&Memory, -1); }, "no error"},
      {[&] { Memory.WriteBuffer("x", SIZE_MAX / 2 + 1); },
       "TMemoryStream: 9223372036854775808 more bytes cannot be held"},
      {[&] { TNullCanvas(-1, 0); }, "Canvas size must not be negative"},
      {[&] { Host.SetSize(0, -1); }, "Canvas size must not be negative"},
      {[&] { Host.EndScene(); }, "EndScene without a matching BeginScene"},
      {[&] { Host.RestoreState(nullptr); },
       "RestoreState: the state was not saved by this canvas, or was restored already"}};
  for (const auto& Case : Cases) EXPECT_EQ(ErrorOf(Case.first), Case.second);
  for (const int Places : {7, -1}) {
    TSvgOptions Options;
    Options.DecimalPlaces = Places;
    EXPECT_EQ(ErrorOf([&] { TSvgCanvas(&Plain, &Host, Options); }), "DecimalPlaces must be 0 to 6");
  }
  for (const float Scale : {0.f, NAN, INFINITY})
    EXPECT_EQ(ErrorOf([&] { TNullCanvas(1, 1, Scale); }), "Canvas scale must be positive");
  // What the buffer threw is nested in the EWriteError (the table's third case).
  Throwing.clear();
  try {
    TOStreamAdapter(Throwing).WriteBuffer("x", 1);
  } catch (const EWriteError& Error) {
    EXPECT_THROW(std::rethrow_if_nested(Error), int);
  }
}

// The terms of a loan, the same for every stream that lends room (Most: the largest loan
// it makes now): a commit takes at most what was lent, and once; a loan refused, or a
// write, takes back the one before. Writes "abcd".
void KeepsTheTermsOfItsLoans(TStream& Stream, std::size_t Most) {
  std::memcpy(Stream.AcquireBuffer(2), "ab", 2);
  Stream.CommitBuffer(2);
  EXPECT_THROW(Stream.CommitBuffer(1), EMisuseError);
  ASSERT_NE(Stream.AcquireBuffer(Most), nullptr);
  EXPECT_EQ(Stream.AcquireBuffer(Most + 1), nullptr);
  EXPECT_ERROR(EMisuseError, Stream.CommitBuffer(1), "CommitBuffer for more than was acquired");
  ASSERT_NE(Stream.AcquireBuffer(1), nullptr);
  Stream.WriteBuffer("cd", 2);
  EXPECT_THROW(Stream.CommitBuffer(1), EMisuseError);
}

// Growing from empty is the first test's; here lending the room reserved, and growing
// from its own bytes. The file stream's loans are the next test's.
TEST(Streams, MemoryAndGzipStreamsLendAndMemoryGrows) {
  TMemoryStream Small;
  Small.Reserve(8);
  KeepsTheTermsOfItsLoans(Small, 6);   // lends only room it has
  Small.WriteBuffer(Small.Data(), 4);  // itself, filling the room it has
  Small.Reserve(4);                    // never shrinks, nor grew when filled
  EXPECT_EQ(Small.Capacity(), 8u);
  Small.WriteBuffer(Small.Data(), 6);  // itself, while it grows
  EXPECT_EQ(Small.View(), "abcdabcdabcdab");
  TGzipStream Gzip(&Small);
  KeepsTheTermsOfItsLoans(Gzip, TGzipStream::InputSize);
}

// Element Index: a text line of about 4 KiB, so that each page boundary of a file falls
// in another element.
void DrawElement(TSvgCanvas& Canvas, int Index) {
  Canvas.FillText({0, 0, 10, 10}, std::u16string(4010, static_cast<char16_t>(u'a' + Index)), false, 1, {},
                  TTextAlign::Leading);
}

constexpr int Elements = 16;

// The document up to element K, made in memory.
std::string Prefix(int K) {
  TMemoryStream Stream;
  TNullCanvas Host;
  TSvgCanvas Canvas(&Stream, &Host);
  for (int Index = 0; Index < K; ++Index) DrawElement(Canvas, Index);
  return std::string(Stream.View());
}

TEST(Files, BytesReachTheFileWhenALineEndsOrTheBufferFills) {
  TScratch Scratch;
  const fs::path Path = Scratch.Path / "buffered.txt";
  TFileStream Line(Path, TFileBuffering::Line, 8);
  Line.WriteBuffer("abc", 3);
  EXPECT_EQ(ReadFile(Path), "");
  *Line.AcquireBuffer(4) = '\n';  // lent: ends a line, flushed
  Line.CommitBuffer(1);
  EXPECT_EQ(ReadFile(Path), "abc\n");
  Line.WriteBuffer("d\n", 2);  // written: ends a line, flushed
  EXPECT_EQ(ReadFile(Path), "abc\nd\n");
  Line.Close();
  TFileStream Full(Path, TFileBuffering::Full, 8);
  Full.WriteBuffer("8 bytes\n", 8);
  EXPECT_EQ(ReadFile(Path), "");                  // truncated, and nothing handed over yet: it fits
  std::memcpy(Full.AcquireBuffer(6), "ab\n", 3);  // no room for 6 more: flushed first
  Full.CommitBuffer(3);
  Full.AcquireBuffer(5);  // room for 5 more: nothing handed over
  EXPECT_EQ(ReadFile(Path), "8 bytes\n");
  KeepsTheTermsOfItsLoans(Full, 8);    // the whole buffer, flushed first
  Full.WriteBuffer("0123456789", 10);  // more than the buffer: written through
  EXPECT_EQ(ReadFile(Path), "8 bytes\nab\nabcd0123456789");
  Full.Close();                                          // flushing on close is the first test's
  EXPECT_THROW(Full.AcquireBuffer(1), EWriteError);      // closed, as a write (the refusals)
  TFileStream Reserved(Path, TFileBuffering::Reserved);  // notes the ends of 16,384 elements at most
  for (int Index = 0; Index <= 16384; ++Index) Reserved.WriteBuffer("x", 1);
  EXPECT_EQ(ReadFile(Path).size(), 16384u);  // handed over when the list was full
}

// Files that cannot be created, and what the system may do to a write or a close. Every
// error names the path and the reason.
TEST(Files, FailedCreatesWritesAndClosesNameThePathAndTheReason) {
  TScratch Scratch;
  TNullCanvas Host;
  const std::string Dir = Scratch.Path.string();
  std::ofstream(Dir + "/plain.txt") << "x";
  // At a NUL the system would stop reading the name and create another file; the message
  // shows the NUL as \0.
  const std::pair<fs::path, int> Cases[] = {{Dir + "/no-such-dir/out.svg", ENOENT},
                                            {Scratch.Path / fs::path(u8"f\u00FCr-\u03B1\u03B2") / "out.svg", ENOENT},
                                            {Dir, EISDIR},
                                            {Dir + "/plain.txt/out.svg", ENOTDIR},
                                            {Dir + "/cut" + std::string(1, '\0') + "rest.svg", EINVAL}};
  for (const auto& Case : Cases) {
    std::string Named = Case.first.string();
    if (const auto At = Named.find('\0'); At != std::string::npos) Named.replace(At, 1, "\\0");
    EXPECT_ERROR(EFCreateError, TSvgCanvas(Case.first, &Host),
                 "Cannot create file \"" + Named + "\". " + std::strerror(Case.second));
  }
  EXPECT_EQ(std::distance(fs::directory_iterator(Scratch.Path), {}), 1);  // plain.txt alone
  // Each failed attempt closes its file: more attempts than a process may hold files.
  for (int Attempt = 0; Attempt < 2000 && fs::exists("/dev/full"); ++Attempt)
    ASSERT_EQ(ErrorOf<EWriteError>([&] { TSvgCanvas(fs::path("/dev/full"), &Host); }),
              "Cannot write to \"/dev/full\": " + std::string(std::strerror(ENOSPC)));
  const fs::path Path = Scratch.Path / "out.svg";
  for (const std::size_t Chunk : {1u, 7u, 100u}) {  // each write cut short, after three interruptions
    Faults = {Chunk, 3};
    {
      TFileStream File(Path, Chunk == 7 ? Line : Reserved);  // a line a write, or blocks
      TSvgCanvas Canvas(&File, &Host);
      for (int Index = 0; Index < 3; ++Index) DrawElement(Canvas, Index);
    }
    Faults = {};
    EXPECT_TRUE(ReadFile(Path) == Prefix(3) + "</svg>") << Chunk;
  }
  TFileStream Stream(Path, Full);
  Faults = {.Chunk = 0};
  Stream.WriteBuffer("x\n", 2);
  EXPECT_ERROR(EWriteError, Stream.Flush(), "Cannot write to \"" + Path.string() + "\": " + std::strerror(EIO));
  Stream.WriteBuffer("y", 1);  // buffered: Close cannot flush it, and closes all the same
  EXPECT_THROW(Stream.Close(), EWriteError);
  Faults = {};
  EXPECT_FALSE(Stream.IsOpen());
  for (const int Error : {EIO, EINTR}) {  // an interrupted close has closed the file all the same
    TFileStream File(Path);
    File.WriteBuffer("abc", 3);
    Faults = {.CloseError = Error};
    EXPECT_EQ(ErrorOf<EWriteError>([&] { File.Close(); }) == "no error", Error == EINTR);
    Faults = {};
    EXPECT_FALSE(File.IsOpen());
    File.Close();  // closing again does nothing
    EXPECT_EQ(ReadFile(Path), "abc");
  }
  TSvgCanvas Owner(Path, &Host);
  Faults = {.CloseError = EIO};
  EXPECT_THROW(Owner.Close(), EWriteError);  // the close of the file it owns fails its own Close
  Faults = {};
  // A pipe whose reader is gone raises when the bytes are handed over; the process lives,
  // and its SIGPIPE disposition, pending signals and mask are as they were.
  const fs::path Pipe = Scratch.Path / "pipe";
  ASSERT_EQ(::mkfifo(Pipe.c_str(), 0600), 0);
  const int Reader = ::open(Pipe.c_str(), O_RDONLY | O_NONBLOCK);
  TFileStream Piped(Pipe, Full);  // held until flushed, as in a file
  TSvgCanvas Canvas(&Piped, &Host);
  ::close(Reader);
  DrawElement(Canvas, 0);
  EXPECT_TRUE(Holds(ErrorOf<EWriteError>([&] { Piped.Flush(); }), "Broken pipe"));
  sigset_t Pending, Blocked;
  ::sigpending(&Pending);
  ::pthread_sigmask(SIG_BLOCK, nullptr, &Blocked);
  EXPECT_TRUE(::signal(SIGPIPE, SIG_DFL) == SIG_DFL);
  EXPECT_FALSE(sigismember(&Pending, SIGPIPE));
  EXPECT_FALSE(sigismember(&Blocked, SIGPIPE));
}

// Draws into File until a call raises, lets Restore give room back, and finishes the
// document; the file is reached by its name (Mode 0), through a caller's line-buffered
// stream (1), or a reserving stream with a buffer smaller than two elements (2). Returns
// what went wrong: the error not from element Expected's call or not giving Reason, the
// file then not exactly the earlier elements, the document not whole after drawing on,
// or reserved space not given back.
std::string CutAndResume(const fs::path& File, int Mode, int Expected, int Reason,
                         const std::function<void()>& Restore) {
  TNullCanvas Host;
  std::optional<TFileStream> Stream;
  if (Mode != 0) Stream.emplace(File, Mode == 1 ? Line : Reserved, 5000);
  std::optional<TSvgCanvas> Canvas;
  Stream ? Canvas.emplace(&*Stream, &Host) : Canvas.emplace(File, &Host);
  int Failed = 0;
  std::string Message;
  while (Failed < Elements && (Message = ErrorOf<EWriteError>([&] { DrawElement(*Canvas, Failed); })) == "no error")
    ++Failed;
  const std::string Cut = ReadFile(File);
  Restore();
  if (Failed != Expected) return "the error came from element " + std::to_string(Failed);
  if (!Holds(Message, std::strerror(Reason))) return "the error says \"" + Message + "\"";
  if (Cut != Prefix(Failed)) return "the file is not exactly the earlier elements";
  for (int Index = Failed; Index < Failed + 2; ++Index) DrawElement(*Canvas, Index);
  Canvas.reset();
  if (Stream) Stream->Close();
  if (ReadFile(File) != Prefix(Failed + 2) + "</svg>") return "drawing on did not give the whole document";
  return KeepsRoomPastItsEnd(File) ? "the space reserved beyond the end was kept" : "";
}

void LimitFileSize(rlim_t Size) {
  const rlimit Limit{Size, RLIM_INFINITY};
  ::setrlimit(RLIMIT_FSIZE, &Limit);
}

// A 64 KiB tmpfs filled up to Free pages, then a file size limit at an element's first and
// last byte; each through the three ways to reach the file.
TEST(Files, AFullDiskOrAFileSizeLimitCutsAtTheElementThatDoesNotFit) {
  TScratch Scratch;
  const fs::path Mount = Scratch.Path / "small", File = Mount / "out.svg", Filler = Mount / "filler";
  fs::create_directory(Mount);
  const bool Mounted = ::mount("tmpfs", Mount.c_str(), "tmpfs", 0, "size=64k") == 0;
  const auto Page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE)), Pages = 64 * 1024 / Page;
  ::signal(SIGXFSZ, SIG_IGN);
  for (int Mode = 0; Mode < 3; ++Mode) {
    for (std::size_t Free = 1; Mounted && Free + 1 < Pages; ++Free) {
      fs::remove(File);
      std::ofstream(Filler, std::ios::binary) << std::string((Pages - Free) * Page, 'f');
      int Expected = 0;  // the first element that needs one page more than is free
      while ((Prefix(Expected + 1).size() + Page - 1) / Page <= Free) ++Expected;
      EXPECT_EQ(CutAndResume(File, Mode, Expected, ENOSPC, [&] { fs::remove(Filler); }), "") << Mode << " " << Free;
    }
    for (int Expected = 0; Expected < 6; ++Expected)
      for (const rlim_t Limit : {Prefix(Expected).size(), Prefix(Expected + 1).size() - 1}) {
        LimitFileSize(Limit);
        EXPECT_EQ(CutAndResume(File, Mode, Expected, EFBIG, [] { LimitFileSize(RLIM_INFINITY); }), "") << Limit;
      }
  }
  ::signal(SIGXFSZ, SIG_DFL);
  // A limit lowered under the 300 elements a reserving file holds, with SIGXFSZ at its
  // default: the call that hands the block over (element 310: the buffer holds a line
  // less than its room) raises, the elements that fit whole are in the file, and the others wait in
  // the buffer until there is room again. The signal is taken back, not left pending.
  TNullCanvas Host;
  for (const int Fits : {0, 150, 299}) {
    TFileStream Stream(Scratch.Path / "limit.svg", Reserved, Prefix(311).size());
    {
      TSvgCanvas Canvas(&Stream, &Host);
      int Drawn = 0;
      for (; Drawn < 300; ++Drawn) DrawElement(Canvas, Drawn);
      LimitFileSize(Prefix(Fits).size() + static_cast<rlim_t>((Fits + 1) % 2 * 100));
      std::string Message;
      while (Drawn < 320 && (Message = ErrorOf<EWriteError>([&] { DrawElement(Canvas, Drawn); })) == "no error")
        ++Drawn;
      EXPECT_EQ(Drawn, 310);
      EXPECT_TRUE(Holds(Message, std::strerror(EFBIG)));
      EXPECT_TRUE(ReadFile(Stream.FileName()) == Prefix(Fits)) << Fits;
      LimitFileSize(RLIM_INFINITY);
      DrawElement(Canvas, Drawn);
    }
    Stream.Close();
    EXPECT_TRUE(ReadFile(Stream.FileName()) == Prefix(311) + "</svg>") << Fits;
  }
  sigset_t Pending;
  ::sigpending(&Pending);
  EXPECT_FALSE(sigismember(&Pending, SIGXFSZ));
  if (!Mounted || ::umount(Mount.c_str()) != 0) GTEST_SKIP() << "no 64 KiB tmpfs here; CI runs as root";
}

}  // namespace
}  // namespace fsvg::test
