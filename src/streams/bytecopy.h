// Copying of the short blocks a stream takes one element at a time, shared by the
// memory and file streams.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace fsvg::detail {

// Copies Count bytes. Small blocks (a value written on its own) take two overlapping
// loads and stores, which cost less than a call into the C library.
inline void CopyBytes(std::uint8_t* Target, const std::uint8_t* Source, std::size_t Count) {
  if (Count > 16) {
    std::memcpy(Target, Source, Count);
  } else if (Count >= 8) {
    std::uint64_t Head, Tail;
    std::memcpy(&Head, Source, 8);
    std::memcpy(&Tail, Source + Count - 8, 8);
    std::memcpy(Target, &Head, 8);
    std::memcpy(Target + Count - 8, &Tail, 8);
  } else if (Count >= 4) {
    std::uint32_t Head, Tail;
    std::memcpy(&Head, Source, 4);
    std::memcpy(&Tail, Source + Count - 4, 4);
    std::memcpy(Target, &Head, 4);
    std::memcpy(Target + Count - 4, &Tail, 4);
  } else if (Count > 0) {
    const std::uint8_t First = Source[0], Middle = Source[Count / 2], Last = Source[Count - 1];
    Target[0] = First;
    Target[Count / 2] = Middle;
    Target[Count - 1] = Last;
  }
}

}  // namespace fsvg::detail
