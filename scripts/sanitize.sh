#!/usr/bin/env bash
# Runs the test suite and the demo under the sanitizers:
#   asan      every test, built with Clang 14 and AddressSanitizer (LeakSanitizer included)
#             and UndefinedBehaviorSanitizer, no recovery, in build-asan;
#   tsan      the thread tests (Threads*), built with ThreadSanitizer, in build-tsan;
#   valgrind  the demo program (fsvg_demo, a GCC build in build-rel) under memcheck:
#             no error and no definite or indirect leak.
# Any report makes the script fail.
#
# Usage: scripts/sanitize.sh [asan] [tsan] [valgrind]   (default: all three)
set -euo pipefail
cd "$(dirname "$0")/.."

steps=("$@")
[ ${#steps[@]} -eq 0 ] && steps=(asan tsan valgrind)

configure_clang() {  # DIR COMPILE-FLAGS LINK-FLAGS
  cmake -S . -B "$1" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++-14 \
    -DCMAKE_CXX_FLAGS="$2 -fno-omit-frame-pointer -g" -DCMAKE_EXE_LINKER_FLAGS="$2 $3" \
    -DCMAKE_SHARED_LINKER_FLAGS="$2 $3" -DFSVG_WARNINGS_AS_ERRORS=ON >/dev/null
}

for step in "${steps[@]}"; do
  case "$step" in
    asan)
      echo "== AddressSanitizer + UndefinedBehaviorSanitizer: every test (build-asan)"
      # The runtime as a shared library (-shared-libsan): a test program that replaces the
      # global operator new, to count allocations, then takes precedence over the runtime's.
      configure_clang build-asan "-fsanitize=address,undefined -fno-sanitize-recover=all" \
        "-shared-libsan -Wl,-rpath,$(clang++-14 --print-runtime-dir)"
      cmake --build build-asan -j2
      ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:strict_string_checks=1:detect_stack_use_after_return=1" \
      LSAN_OPTIONS="suppressions=$PWD/scripts/lsan.supp:print_suppressions=0" \
      UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1" \
        ctest --test-dir build-asan --output-on-failure -j2
      ;;
    tsan)
      echo "== ThreadSanitizer: the thread tests (build-tsan)"
      # The shared ThreadSanitizer runtime cannot start behind libstdc++, so the static one
      # is kept; where a test program replaces the global operator new, the runtime's own
      # is the one kept (the allocation-counting test is not among those run here).
      configure_clang build-tsan "-fsanitize=thread" "-Wl,--allow-multiple-definition"
      cmake --build build-tsan -j2 --target fsvg_tests
      # halt_on_error: the first race fails the run (gtest alone would not notice it).
      TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1" \
        ./build-tsan/tests/fsvg_tests --gtest_filter='Threads*' --gtest_brief=1
      ;;
    valgrind)
      echo "== valgrind memcheck: fsvg_demo (build-rel)"
      cmake -S . -B build-rel -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DFSVG_WARNINGS_AS_ERRORS=ON >/dev/null
      cmake --build build-rel -j2 --target fsvg_demo
      demo=$(find build-rel -type f -name fsvg_demo -perm -u+x | head -n 1)
      out=$(mktemp -d)
      trap 'rm -rf "$out"' EXIT
      valgrind --tool=memcheck --error-exitcode=1 --leak-check=full --errors-for-leak-kinds=definite,indirect \
        --show-leak-kinds=definite,indirect --track-origins=yes --suppressions=scripts/valgrind.supp -q \
        "$demo" "$out"
      echo "valgrind: no error, no definite or indirect leak"
      ;;
    *)
      echo "unknown step: $step (asan, tsan or valgrind)" >&2
      exit 2
      ;;
  esac
done
