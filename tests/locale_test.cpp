// Output must not depend on the process's number formatting: a global C++ locale with
// a comma decimal point and digit grouping, and a comma-decimal C locale, change no
// byte, and both settings are as they were afterwards.
#include <gtest/gtest.h>

#include <clocale>
#include <cstring>
#include <locale>
#include <string>

#include "support/testcanvas.h"

namespace fsvg::test {
namespace {

class TCommaGrouping : public std::numpunct<char> {
 protected:
  char do_decimal_point() const override { return ','; }
  char do_thousands_sep() const override { return '.'; }
  std::string do_grouping() const override { return "\3"; }
};

std::string Document() {
  TNullCanvas Host(1920, 1080);
  TMemoryStream Stream;
  {
    TSvgCanvas Canvas(&Stream, &Host);
    Canvas.SetOffset({1234.5f, -0.125f});
    Canvas.Clear(0xFFFFFFFF);
    Canvas.FillRect({1000.25f, 2000.5f, 123456.75f, 3000}, 1.5f, 2.5f, AllCorners, 0.75f);
    Canvas.DrawLine({-1e6f, 0.1f}, {1e9f, 3.3333f}, 0.5f);
    Canvas.DrawArc({500, 500}, {250.5f, 120.25f}, 12.5f, 300, 1);
    Canvas.FillPolygon({{1e4f, 2e4f}, {3.25f, 4.5f}, {5e7f, 6.0625f}}, 1);
    Canvas.GetFont().Size = 10.5f;
    Canvas.FillText({1, 2, 3, 4}, u"1.234,5", false, 0.5f, {}, TTextAlign::Center);
  }
  return std::string(Stream.View());
}

TEST(Locale, DocumentIsByteIdenticalUnderACommaDecimalLocale) {
  const std::string Classic = Document();
  ASSERT_NE(Classic.find("x=\"2234.75\""), std::string::npos);

  const std::locale PreviousGlobal = std::locale::global(std::locale(std::locale::classic(), new TCommaGrouping));
  const std::string PreviousC = std::setlocale(LC_ALL, nullptr);
  const bool HaveGerman = std::setlocale(LC_ALL, "de_DE.UTF-8") != nullptr;
  if (HaveGerman) {
    ASSERT_STREQ(std::localeconv()->decimal_point, ",");
  }

  const std::string PoisonedC = std::setlocale(LC_ALL, nullptr);
  const std::string Poisoned = Document();
  // Writing changed neither setting.
  const bool GlobalKept = std::use_facet<std::numpunct<char>>(std::locale()).decimal_point() == ',';
  const bool CKept = PoisonedC == std::setlocale(LC_ALL, nullptr);

  std::setlocale(LC_ALL, PreviousC.c_str());
  std::locale::global(PreviousGlobal);

  EXPECT_EQ(Poisoned, Classic);
  EXPECT_TRUE(GlobalKept);
  EXPECT_TRUE(CKept);
  if (!HaveGerman) GTEST_SKIP() << "de_DE.UTF-8 is not generated here; only the C++ locale was poisoned";
}

}  // namespace
}  // namespace fsvg::test
