// What the fidelity harness and the Qt corpus share: how a renderer turns a recorded
// document into pixels, and what counts as a differing pixel.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace fsvg::test {

/// Chromium renders at this many device pixels a unit, to be averaged back to one: at one,
/// it puts every text baseline on a whole pixel (its glyphs take sub-pixel positions only
/// along the line), which moves wrapped lines by up to half a pixel from the host's.
constexpr int ChromiumScale = 4;

/// Renders the SVG file Svg into the PNG file Png, Width x Height units, the renderer's
/// output going to Log; whether it exited with 0. Tool names the renderer and what runs
/// it: "rsvg" RSVG_CONVERT, "resvg" NODE RENDER_SCRIPT, or "chromium" CHROMIUM FONTS_CONF.
/// Headless Chromium paints a viewport some 90 pixels shorter than its window, and white
/// below: its window is taller than the picture, which takes the top left of its PNG.
inline bool Render(const std::vector<std::string>& Tool, const std::string& Svg, const std::string& Png, int Width,
                   int Height, const std::string& Log) {
  const std::string W = std::to_string(Width), H = std::to_string(Height), Profile = Svg + ".profile";
  std::vector<std::string> Command = {Tool.at(1), "--page-width", W, "--page-height", H, "-b", "white", "-o", Png, Svg};
  if (Tool[0] == "resvg") Command = {Tool[1], Tool.at(2), Svg, Png, W, H};
  if (Tool[0] == "chromium") {
    setenv("FONTCONFIG_FILE", Tool.at(2).c_str(), 1);  // unhinted, as the hosts' text
    Command = {Tool[1],
               "--headless",
               "--no-sandbox",
               "--disable-gpu",
               "--hide-scrollbars",
               "--force-device-scale-factor=" + std::to_string(ChromiumScale),
               "--user-data-dir=" + Profile,
               "--window-size=" + W + "," + std::to_string(Height + 200),
               "--screenshot=" + Png,
               "file://" + std::filesystem::absolute(Svg).string()};
  }
  std::string Line;  // each argument quoted for the shell
  for (const std::string& Argument : Command) {
    Line += '\'';
    for (const char Char : Argument) Line += Char == '\'' ? std::string("'\\''") : std::string(1, Char);
    Line += "' ";
  }
  std::filesystem::remove(Png);
  const bool Ran = std::system((Line + ">'" + Log + "' 2>&1").c_str()) == 0;
  std::filesystem::remove_all(Profile);  // tens of megabytes a render
  return Ran;
}

/// The percentage of the Count pixels of Painted that differ from Rendered's (0xAARRGGBB,
/// both opaque, over white) by more than 10% of a channel's range in red, green or blue;
/// those pixels of Painted turn red.
inline double MarkDiffering(std::uint32_t* Painted, const std::uint32_t* Rendered, std::size_t Count) {
  std::size_t Differing = 0;
  for (std::size_t I = 0; I < Count; ++I) {
    bool Differs = false;
    for (const int Shift : {0, 8, 16})
      Differs |= std::abs(int(Painted[I] >> Shift & 0xFF) - int(Rendered[I] >> Shift & 0xFF)) > 25;
    Differing += Differs;
    if (Differs) Painted[I] = 0xFFFF0000;
  }
  return 100.0 * Differing / Count;
}

}  // namespace fsvg::test
