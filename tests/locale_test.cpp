// Output must not depend on the process's number formatting: a global C++ locale with a
// comma decimal point and digit grouping, and a comma-decimal C locale, change no byte,
// and both settings are as they were afterwards.
#include <gtest/gtest.h>

#include <clocale>
#include <locale>

#include "support/testcanvas.h"

namespace fsvg::test {
namespace {

struct TCommaGrouping : std::numpunct<char> {
  char do_decimal_point() const override { return ','; }
  char do_thousands_sep() const override { return '.'; }
  std::string do_grouping() const override { return "\3"; }
};

std::string Document() {
  TNullCanvas Host(1920, 1080);
  TMemoryStream Stream;
  {
    TOpenCanvas Canvas(&Stream, &Host);
    DrawScene(Canvas, 1234.5f);
  }
  return std::string(Stream.View());
}

TEST(Locale, DocumentIsByteIdenticalUnderACommaDecimalLocale) {
  const std::string Classic = Document();
  ASSERT_NE(Classic.find("x=\"1235\" y=\"0\" width=\"-1204.5\""), std::string::npos);
  const std::locale PreviousGlobal = std::locale::global(std::locale(std::locale::classic(), new TCommaGrouping));
  const std::string PreviousC = std::setlocale(LC_ALL, nullptr);
  const bool HaveGerman = std::setlocale(LC_ALL, "de_DE.UTF-8") != nullptr;
  const std::string PoisonedC = std::setlocale(LC_ALL, nullptr);
  const std::string Poisoned = Document();
  const bool Kept = std::use_facet<std::numpunct<char>>(std::locale()).decimal_point() == ',' &&
                    PoisonedC == std::setlocale(LC_ALL, nullptr);
  std::setlocale(LC_ALL, PreviousC.c_str());
  std::locale::global(PreviousGlobal);
  EXPECT_EQ(Poisoned, Classic);
  EXPECT_TRUE(Kept);
  if (!HaveGerman) GTEST_SKIP() << "de_DE.UTF-8 is not generated here; only the C++ locale was poisoned";
}

}  // namespace
}  // namespace fsvg::test
