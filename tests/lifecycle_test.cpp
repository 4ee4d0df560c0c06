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
  EXPECT_ERROR(EMisuseError, Canvas.Clear(0xFF000000),
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

// State set on the tee reaches the host before each call: size, paint, font, offset, matrix, clip;
// measuring goes to the host's own MeasureText, and a flush to the host.
void Draw(TCanvas& C) {
  C.SetSize(100, 40);
  C.SetOffset({1, 2});
  C.SetFill(TBrush(TBrushKind::Solid, 0xFF102030));
  C.FillPolygon({{0, 0}, {4, 0}, {0, 4}}, 1);
  C.FillEllipse({0, 0, 4, 4}, 1);
  C.SetMatrix({2, 0, 0, 0, 2, 0, 5, 6, 1});
  C.GetStroke().Thickness = 3;
  C.DrawEllipse({0, 0, 8, 4}, 0.5f);
  C.FillRect({0, 0, 8, 4}, 0, 0, AllCorners, 0.5f);
  C.GetFont().Size = 20;
  TRectF Box{0, 0, 50, 30};
  C.FillText(Box, u"tee", true, 1, {}, TTextAlign::Center);
  C.MeasureText(Box, u"tee", true, {}, TTextAlign::Center, TTextAlign::Center);
  C.IntersectClipRect({0, 0, 8, 8});
  C.Clear(0xFF405060);
  C.IntersectClipRect({0, 0, 4, 4});
  C.ClearRect({0, 0, 2, 2}, 0xFF405060);
  C.FillArc({0, 0}, {4, 2}, 0, 90, 1);
  C.Flush();
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
  EXPECT_EQ(Host.GetHeight(), 40);
  EXPECT_TRUE(Host.GetStroke() == Alone.GetStroke());
  EXPECT_EQ(Stream.Text, Header +
                             "<polygon points=\"1,2 5,2 1,6\" opacity=\"1\" fill=\"#102030\"/>\n"
                             "<ellipse cx=\"3\" cy=\"4\" rx=\"2\" ry=\"2\" opacity=\"1\" fill=\"#102030\"/>\n"
                             "<ellipse cx=\"5\" cy=\"4\" rx=\"4\" ry=\"2\" transform=\"matrix(2 0 0 2 5 6)\" "
                             "stroke-width=\"3\" stroke=\"#000000\" opacity=\"0.5\" fill=\"none\"/>\n"
                             "<rect x=\"1\" y=\"2\" width=\"8\" height=\"4\" transform=\"matrix(2 0 0 2 5 6)\" "
                             "opacity=\"0.5\" fill=\"#102030\"/>\n"
                             "<text x=\"1\" y=\"32\" font-family=\"sans-serif\" font-size=\"20\" "
                             "transform=\"matrix(2 0 0 2 5 6)\" opacity=\"1\" fill=\"#102030\">tee</text>\n"
                             "<clipPath id=\"c1\"><rect x=\"1\" y=\"2\" width=\"8\" height=\"8\" "
                             "transform=\"matrix(2 0 0 2 5 6)\"/></clipPath>\n<g clip-path=\"url(#c1)\">\n"
                             "<rect x=\"0\" y=\"0\" width=\"100\" height=\"40\" fill=\"#405060\"/>\n"
                             "<clipPath id=\"c2\"><rect x=\"1\" y=\"2\" width=\"4\" height=\"4\" "
                             "transform=\"matrix(2 0 0 2 5 6)\"/></clipPath>\n<g clip-path=\"url(#c2)\">\n"
                             "<rect x=\"1\" y=\"2\" width=\"2\" height=\"2\" transform=\"matrix(2 0 0 2 5 6)\" "
                             "fill=\"#405060\"/>\n"
                             "<path d=\"M 4 0 A 4 2 0 0 1 0 2\" transform=\"matrix(2 0 0 2 5 6)\" opacity=\"1\" "
                             "fill=\"#102030\"/>\n</g>\n</g>\n</svg>");
}

}  // namespace
}  // namespace fsvg::test
