// The writers allocate nothing per literal fragment, number or colour: a replaced
// global operator new counts every allocation of this test program's thread.
#include <gtest/gtest.h>

#include <cstdlib>
#include <new>

#include "support/testcanvas.h"

namespace {
thread_local std::size_t Allocations = 0;
}  // namespace

void* operator new(std::size_t Size) {
  ++Allocations;
  if (void* Block = std::malloc(Size == 0 ? 1 : Size)) return Block;
  throw std::bad_alloc();
}
void* operator new[](std::size_t Size) { return ::operator new(Size); }
void operator delete(void* Block) noexcept { std::free(Block); }
void operator delete[](void* Block) noexcept { std::free(Block); }
void operator delete(void* Block, std::size_t) noexcept { std::free(Block); }
void operator delete[](void* Block, std::size_t) noexcept { std::free(Block); }

namespace fsvg::test {
namespace {

TEST(Allocation, DrawingIntoAReservedStreamAllocatesNothing) {
  TNullCanvas Host(640, 480);
  TMemoryStream Stream;
  Stream.Reserve(4 << 20);
  TSvgCanvas Canvas(&Stream, &Host);
  Canvas.GetFont().Family = u"DejaVu Sans \u00E9";
  const TPolygon Triangle{{0.5f, 1.25f}, {100.125f, 3}, {7, 1e7f}};
  const TBrush Fill(TBrushKind::Solid, 0xFF336699);
  const TStrokeBrush Stroke(TBrushKind::Solid, 0x80112233, 1.5f);

  const std::size_t Before = Allocations;
  for (int Index = 0; Index < 1000; ++Index) {
    const float F = static_cast<float>(Index) * 0.37f;
    Canvas.Clear(0xFFFFFFFF);
    Canvas.ClearRect({F, F, F + 1, F + 2}, 0xFF000000);
    Canvas.FillRect({F, -F, F * 3, 1e9f}, 2.5f, 1, AllCorners, 0.5f, Fill);
    Canvas.DrawRect({F, 0, 10, 20}, 0, 0, AllCorners, 1, Stroke);
    Canvas.DrawLine({F, 1}, {-F, 2}, 1, Stroke);
    Canvas.FillEllipse({0, 0, F, F}, 1, Fill);
    Canvas.DrawEllipse({0, 0, F, F}, 1, Stroke);
    Canvas.FillArc({F, F}, {10, 20}, F, 400, 1, Fill);
    Canvas.DrawArc({F, F}, {10, 20}, F, -75, 1, Stroke);
    Canvas.FillPolygon(Triangle, 1);
    Canvas.DrawPolygon(Triangle, 1);
    Canvas.FillText({F, F, 100, 100}, u"Item 123 <\u00E9> & \U0001F600", false, 1, {}, TTextAlign::Leading);
  }
  EXPECT_EQ(Allocations - Before, 0u);
  EXPECT_GT(Stream.Size(), 1000u * 1000u);
}

}  // namespace
}  // namespace fsvg::test
