// Renders one SVG file to PNG with resvg, over white, at the scene's size:
//   node render-resvg.js INPUT.svg OUTPUT.png WIDTH HEIGHT
// A document without a size of its own is given the scene's, as a viewer's window would.
'use strict';
const fs = require('fs');
const path = require('path');
const { Resvg } = require(path.join(process.env.FSVG_RESVG_MODULES || __dirname, '@resvg/resvg-js'));

const [input, output, width, height] = process.argv.slice(2);
let svg = fs.readFileSync(input, 'utf8');
if (!/<svg[^>]*\swidth=/.test(svg)) svg = svg.replace('<svg ', `<svg width="${width}" height="${height}" `);
const resvg = new Resvg(svg, {
  background: 'white',
  fitTo: { mode: 'original' },
  font: { loadSystemFonts: true, defaultFontFamily: 'DejaVu Sans' },
});
fs.writeFileSync(output, resvg.render().asPng());
