// Ending a document, and drawing code written once against TCanvas: through a tee it
// paints the host with the same calls and records the same bytes as through the
// recording canvas itself.
#include <gtest/gtest.h>

#include "support/testcanvas.h"

namespace fsvg::test {
namespace {

TEST(Lifecycle, CloseRaisesWhatTheFooterMeetsAndLaterDrawingIsRefusedAfterPainting) {
  TCountingStream Stream;
  TRecordingCanvas Host{100, 50};
  TSvgCanvas Canvas(&Stream, &Host);
  Stream.FailAt = 2;
  EXPECT_EQ(ErrorOf([&] { Canvas.Close(); }), "injected write failure");
  EXPECT_EQ(ErrorOf([&] { Canvas.Close(); }), "no error");
  EXPECT_EQ(ErrorOf<EMisuseError>([&] { Canvas.Clear(0xFF000000); }),
            "TSvgCanvas: the document is closed; nothing more can be recorded");
  EXPECT_EQ(Host.Calls.back(), "Clear(4278190080)");
  EXPECT_EQ(Stream.Text, Header);
}

// A caller's stream that throws a type of its own (an int) from its second write on.
struct TForeignStream : TStream {
  std::size_t Calls = 0;
  void WriteBuffer(const void*, std::size_t) override {
    if (++Calls > 1) throw 35;
  }
};

TEST(Lifecycle, TheDestructorReportsAFailedClose) {
  TCountingStream Stream;
  TForeignStream Foreign;
  TNullCanvas Host;
  testing::internal::CaptureStderr();
  {
    TSvgCanvas Canvas(&Stream, &Host);
    TSvgCanvas Other(&Foreign, &Host);
    Stream.FailAt = 2;
  }
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "fsvgcanvas: the document could not be closed: an exception of an unknown type\n"
            "fsvgcanvas: the document could not be closed: injected write failure\n");
}

// State set on the tee reaches the host before each call: paint, font, offset, matrix.
void Draw(TCanvas& C) {
  C.SetOffset({1, 2});
  C.SetFill(TBrush(TBrushKind::Solid, 0xFF102030));
  C.FillPolygon({{0, 0}, {4, 0}, {0, 4}}, 1);
  C.SetMatrix({2, 0, 0, 0, 2, 0, 5, 6, 1});
  C.GetStroke().Thickness = 3;
  C.DrawEllipse({0, 0, 8, 4}, 0.5f);
  C.GetFont().Size = 20;
  C.FillText({0, 0, 50, 30}, u"tee", true, 1, {}, TTextAlign::Center);
}

TEST(Lifecycle, ATeePaintsAsTheHostAloneAndRecordsUnderTheTeesState) {
  TRecordingCanvas Alone{100, 50};
  TRecordingCanvas Host{100, 50};
  TCountingStream Stream;
  TSvgOptions Options;
  Options.Transforms = true;
  Draw(Alone);
  {
    TSvgCanvas Canvas(&Stream, &Host, Options);
    TTeeCanvas Tee(Canvas);
    Draw(Tee);
  }
  EXPECT_EQ(Host.Calls, Alone.Calls);
  EXPECT_EQ(Stream.Text, Header +
                             "<polygon points=\"1,2 5,2 1,6\" opacity=\"1\" fill=\"#102030\"/>\n"
                             "<ellipse cx=\"5\" cy=\"4\" rx=\"4\" ry=\"2\" transform=\"matrix(2 0 0 2 5 6)\" "
                             "stroke-width=\"3\" stroke=\"#000000\" opacity=\"0.5\" fill=\"none\"/>\n"
                             "<text x=\"1\" y=\"32\" font-family=\"sans-serif\" font-size=\"20\" "
                             "transform=\"matrix(2 0 0 2 5 6)\" opacity=\"1\" fill=\"#102030\">tee</text>\n</svg>");
}

}  // namespace
}  // namespace fsvg::test
