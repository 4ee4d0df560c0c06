// Recording into a stream that lends room allocates nothing per element: a replaced
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
void operator delete(void* Block) noexcept { std::free(Block); }
void operator delete(void* Block, std::size_t) noexcept { std::free(Block); }

namespace fsvg::test {
namespace {

TEST(Allocation, DrawingIntoAReservedStreamAllocatesNothing) {
  TNullCanvas Host(640, 480);
  TMemoryStream Stream;
  Stream.Reserve(4 << 20);
  TOpenCanvas Canvas(&Stream, &Host);
  const std::vector<TStep> Steps = Scene(2.5f);
  for (const TStep& Step : Steps) Step(Canvas);  // the font's family takes its memory once
  const std::size_t Before = Allocations;
  for (int Repeat = 0; Repeat < 100; ++Repeat)
    for (const TStep& Step : Steps) Step(Canvas);
  EXPECT_EQ(Allocations - Before, 0u);
  EXPECT_GT(Stream.Size(), 100u * 1000u);
}

}  // namespace
}  // namespace fsvg::test
