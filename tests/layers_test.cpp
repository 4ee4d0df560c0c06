// Layers: the host's refusals and its count (the opacities refused are in the refusals
// scene), the group a layer is written as, nested with clip groups and frames, and the
// ends Close makes on the host and in the document.
#include <gtest/gtest.h>

#include "support/testcanvas.h"

namespace fsvg::test {
namespace {

TEST(Layers, RefusedValuesBeginNoneAndAnUnmatchedEndWritesNothing) {
  TRecordingCanvas Host(10, 10);
  TCountingStream Stream;
  TSvgCanvas C(&Stream, &Host);
  EXPECT_ERROR(EArgumentError, C.BeginLayer(1, static_cast<TBlendMode>(7)),
               "BeginLayer: the blend mode is not one of TBlendMode's");
  EXPECT_ERROR(EMisuseError, C.EndLayer(), "EndLayer without a matching BeginLayer");
  C.BeginLayer(0);
  EXPECT_ERROR(EMisuseError, C.EndLink(), "EndLink without a matching BeginLink");
  C.BeginLink(u"\u00E9:a");
  EXPECT_ERROR(EMisuseError, C.EndGroup(), "EndGroup without a matching BeginGroup");
  Stream.FailAt = Stream.Calls + 1;
  EXPECT_THROW(C.BeginLayer(1), EWriteError);
  EXPECT_EQ(Host.GetLayerCount(), 1);
  EXPECT_EQ(Stream.Text,
            Header + "<g opacity=\"0\">\n<a xlink:href=\"\xC3\xA9:a\" xmlns:xlink=\"http://www.w3.org/1999/xlink\">\n");
}

TEST(Layers, WrittenAsGroupsThatClipGroupsAndFramesNestWith) {
  TRecordingCanvas Host(10, 10);
  TCountingStream Stream;
  TSvgCanvas C(&Stream, &Host);
  TTeeCanvas Tee(C);
  C.IntersectClipRect({0, 0, 5, 5});
  C.FillRect({1, 1, 2, 2}, 0, 0, {}, 1);
  Tee.BeginLayer(0.25f, TBlendMode::Difference);
  C.BeginLayer(1, TBlendMode::Screen);
  C.FillRect({1, 1, 2, 2}, 0, 0, {}, 1);
  C.EndLayer();
  C.BeginGroup(u"a");
  C.BeginLayer(0.5f);
  C.Close();
  EXPECT_EQ(Host.GetLayerCount(), 0);
  EXPECT_EQ(Host.Calls[1], "BeginLayer(0.25,6)");
  EXPECT_EQ(Host.Calls.back(), "EndLayer(0.25,6)");
  const std::string Layers =
      "</g>\n<g opacity=\"0.25\" style=\"mix-blend-mode:difference;isolation:isolate\">\n"
      "<g opacity=\"1\" style=\"mix-blend-mode:screen;isolation:isolate\">\n<g clip-path=\"url(#c1)\">\n";
  EXPECT_TRUE(Holds(Stream.Text, Layers));
  EXPECT_TRUE(Stream.Text.ends_with("</g>\n</g>\n<g id=\"a\">\n<g opacity=\"0.5\">\n</g>\n</g>\n</g>\n</svg>"));
  EXPECT_EQ(ScanDocument(Stream.Text), "");
}

}  // namespace
}  // namespace fsvg::test
