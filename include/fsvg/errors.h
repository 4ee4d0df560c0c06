// Every error the library and its hosts raise, in one hierarchy under Exception, so that
// one catch is enough. Each class says when it is thrown; the message says what was
// wrong with which call or which file.
/// @file
/// Exception and every library error: one catch of `const fsvg::Exception&` takes them all.
#pragma once

#include <stdexcept>

#include "fsvg/export.h"

namespace fsvg {
/// @addtogroup streams
/// @{

/// The base of every error this library raises; a std::runtime_error.
///
///     try { fsvg::TSvgCanvas Canvas("/no/such/dir/a.svg", &Host); }
///     catch (const fsvg::Exception& Error) { std::puts(Error.what()); }
class FSVG_API Exception : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

/// Thrown when a call is given a value it cannot take: a coordinate, size, angle or opacity
/// that is not finite, a negative canvas size, a scale that is not positive.
///
///     try { Canvas.FillEllipse({0, 0, NAN, 10}, 1); }
///     catch (const fsvg::EArgumentError& Error) { std::puts(Error.what()); }
///     // "FillEllipse: the rectangle must be finite": nothing was painted or written
class FSVG_API EArgumentError : public Exception {
 public:
  using Exception::Exception;
};

/// Thrown when a call comes out of order: EndScene with no scene open, RestoreState of a
/// state that is not live, CommitBuffer of more room than was acquired.
///
///     fsvg::TNullCanvas Host(100, 100);
///     Host.BeginScene();
///     Host.EndScene();  // a second EndScene throws "EndScene without a matching BeginScene"
class FSVG_API EMisuseError : public Exception {
 public:
  using Exception::Exception;
};

/// Thrown when a count or a size would grow beyond what can be held, and when zlib cannot
/// get the memory to start compressing (a TGzipStream, the PNG of an image).
///
///     fsvg::TMemoryStream Memory;
///     Memory.WriteBuffer(Data, SIZE_MAX);  // a size no memory holds:
///     // "TMemoryStream: 18446744073709551615 more bytes cannot be held", nothing taken
class FSVG_API EOverflowError : public Exception {
 public:
  using Exception::Exception;
};

/// Thrown by a host canvas when the drawing library beneath it fails, and by the
/// recording canvas when a host answers what no document can hold (a layout that is not
/// finite, lines that overlap).
///
///     fsvg::TCairoCanvas Host(640, 480);
///     fsvg::TBitmap Wide(40000, 1, Pixels);
///     Host.DrawBitmap(Wide, {0, 0, 40000, 1}, {0, 0, 400, 10}, 1, false);  // Cairo's reason
class FSVG_API EHostError : public Exception {
 public:
  using Exception::Exception;
};

/// Thrown by a TSvgCanvas constructor whose precondition fails ("Canvas parameter is
/// required"), and by BeginGroup for an id it refuses.
///
///     fsvg::TSvgOptions Options;
///     Options.DecimalPlaces = 7;
///     fsvg::TSvgCanvas Canvas(&Stream, &Host, Options);  // "DecimalPlaces must be 0 to 6"
class FSVG_API ESvgError : public Exception {
 public:
  using Exception::Exception;
};

/// Thrown when a file cannot be created or a stream fails to take bytes: the base of the
/// two below, which the library's streams throw (a stream of one's own may throw it too).
///
///     fsvg::TSvgCanvas Canvas("chart.svg", &Host);
///     DrawChart(Canvas);
///     try { Canvas.Close(); } catch (const fsvg::EStreamError& Error) { /* not all written */ }
class FSVG_API EStreamError : public Exception {
 public:
  using Exception::Exception;
};

/// Thrown when a file cannot be created or opened; the message names the path and the reason.
///
///     try { fsvg::TSvgCanvas Canvas("/no/such/dir/chart.svg", &Host); }
///     catch (const fsvg::EFCreateError& Error) { std::puts(Error.what()); }
///     // Cannot create file "/no/such/dir/chart.svg". No such file or directory
class FSVG_API EFCreateError : public EStreamError {
 public:
  using EStreamError::EStreamError;
};

/// Thrown when a write fails; the message names the target and the reason.
///
///     fsvg::TFileStream Full("/dev/full");
///     Full.WriteBuffer("<svg/>", 6);
///     // throws: Cannot write to "/dev/full": No space left on device
class FSVG_API EWriteError : public EStreamError {
 public:
  using EStreamError::EStreamError;
};

/// @}
}  // namespace fsvg
