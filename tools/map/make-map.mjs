// Draws the map picture of the destination window, MapOfJapan.jpg, 429 x 293.
//
// Source: the coastline of Japan from Natural Earth 1:10m (public domain),
// as packaged in the npm package world-atlas. Natural Earth has no
// prefecture borders at this scale for Japan, so the map shows the land only.
//
// The window lays a fixed name label on each prefecture, in a schematic
// arrangement. The main islands are therefore fitted to the labels: an
// affine fit of each prefecture's inner point to its label's centre, then a
// smooth (Gaussian radial basis) correction that moves every inner point
// exactly under its label. Hokkaido and Okinawa are drawn as insets placed
// at their labels.
//
// Usage: npm install && node make-map.mjs OUTPUT.jpg
import { createRequire } from "node:module";
import { writeFileSync } from "node:fs";

const require = createRequire(import.meta.url);
const topojson = require("topojson-client");
const jpeg = require("jpeg-js");
const world = require("world-atlas/countries-10m.json");

const WIDTH = 429;
const HEIGHT = 293;
const SUPER = 4; // supersampling for smooth coastlines

// Label table of the map window: caption, left, top, width (height 12), and
// an inner point of the prefecture [longitude, latitude].
const LABELS = [
  ["北海道", 228, 76, 36, [142.9, 43.4]],
  ["青森", 380, 60, 24, [140.85, 40.65]],
  ["岩手", 388, 100, 24, [141.35, 39.6]],
  ["秋田", 360, 88, 24, [140.35, 39.7]],
  ["山形", 344, 120, 24, [140.1, 38.45]],
  ["宮城", 364, 136, 24, [140.85, 38.45]],
  ["福島", 340, 164, 24, [140.2, 37.4]],
  ["茨城", 332, 200, 24, [140.25, 36.3]],
  ["栃木", 320, 184, 24, [139.8, 36.7]],
  ["群馬", 292, 184, 24, [138.95, 36.5]],
  ["埼玉", 300, 200, 24, [139.3, 36.0]],
  ["千葉", 328, 232, 24, [140.2, 35.5]],
  ["東京", 312, 216, 24, [139.45, 35.7]],
  ["神奈川", 288, 232, 36, [139.35, 35.42]],
  ["山梨", 276, 212, 24, [138.6, 35.6]],
  ["新潟", 296, 152, 24, [138.9, 37.5]],
  ["長野", 264, 188, 24, [138.0, 36.1]],
  ["富山", 252, 164, 24, [137.25, 36.62]],
  ["石川", 224, 152, 24, [136.72, 36.5]],
  ["福井", 216, 180, 24, [136.2, 35.85]],
  ["静岡", 252, 228, 24, [138.3, 35.05]],
  ["愛知", 232, 216, 24, [137.2, 35.05]],
  ["岐阜", 232, 196, 24, [137.0, 35.75]],
  ["三重", 204, 228, 24, [136.4, 34.5]],
  ["滋賀", 204, 204, 24, [136.1, 35.2]],
  ["京都", 180, 200, 24, [135.5, 35.2]],
  ["大阪", 172, 216, 24, [135.5, 34.62]],
  ["兵庫", 168, 184, 24, [134.85, 35.0]],
  ["奈良", 180, 232, 24, [135.85, 34.3]],
  ["和歌山", 164, 248, 36, [135.45, 33.9]],
  ["鳥取", 152, 164, 24, [133.8, 35.38]],
  ["岡山", 136, 188, 24, [133.8, 34.85]],
  ["島根", 104, 164, 24, [132.5, 35.05]],
  ["広島", 104, 188, 24, [132.75, 34.55]],
  ["山口", 68, 184, 24, [131.5, 34.2]],
  ["香川", 136, 212, 24, [134.0, 34.25]],
  ["徳島", 140, 228, 24, [134.3, 33.9]],
  ["愛媛", 92, 216, 24, [132.8, 33.6]],
  ["高知", 112, 228, 24, [133.3, 33.4]],
  ["福岡", 40, 196, 24, [130.65, 33.55]],
  ["佐賀", 8, 196, 24, [130.1, 33.3]],
  ["長崎", 4, 220, 24, [130.0, 32.88]],
  ["大分", 56, 220, 24, [131.45, 33.2]],
  ["熊本", 28, 232, 24, [130.8, 32.6]],
  ["宮崎", 44, 248, 24, [131.3, 32.1]],
  ["鹿児島", 4, 260, 36, [130.5, 31.55]],
  ["沖縄", 72, 100, 24, [127.95, 26.5]],
];

const centre = ([, left, top, width]) => [left + width / 2, top + 6];
const COS = Math.cos((36 * Math.PI) / 180);
const plane = ([lon, lat]) => [lon * COS, -lat];

// ---- fitting the main islands ---------------------------------------------

const main = LABELS.filter(([name]) => name !== "北海道" && name !== "沖縄");

// Least-squares affine map from plane points to label centres.
function fitAffine(pairs) {
  // Normal equations for [a b c] with x' = a x + b y + c (and the same for y').
  const m = [[0, 0, 0], [0, 0, 0], [0, 0, 0]];
  const vx = [0, 0, 0];
  const vy = [0, 0, 0];
  for (const [[x, y], [u, v]] of pairs) {
    const row = [x, y, 1];
    for (let i = 0; i < 3; i++) {
      for (let j = 0; j < 3; j++) m[i][j] += row[i] * row[j];
      vx[i] += row[i] * u;
      vy[i] += row[i] * v;
    }
  }
  const px = solve(m.map((r) => r.slice()), vx.slice());
  const py = solve(m.map((r) => r.slice()), vy.slice());
  return ([x, y]) => [px[0] * x + px[1] * y + px[2], py[0] * x + py[1] * y + py[2]];
}

// Gaussian elimination with partial pivoting.
function solve(a, b) {
  const n = b.length;
  for (let c = 0; c < n; c++) {
    let p = c;
    for (let r = c + 1; r < n; r++) if (Math.abs(a[r][c]) > Math.abs(a[p][c])) p = r;
    [a[c], a[p]] = [a[p], a[c]];
    [b[c], b[p]] = [b[p], b[c]];
    for (let r = c + 1; r < n; r++) {
      const f = a[r][c] / a[c][c];
      for (let k = c; k < n; k++) a[r][k] -= f * a[c][k];
      b[r] -= f * b[c];
    }
  }
  const x = new Array(n).fill(0);
  for (let r = n - 1; r >= 0; r--) {
    let s = b[r];
    for (let k = r + 1; k < n; k++) s -= a[r][k] * x[k];
    x[r] = s / a[r][r];
  }
  return x;
}

const affine = fitAffine(main.map((l) => [plane(l[4]), centre(l)]));
const SIGMA = 22; // pixels: how far each correction reaches
const kernel = (d2) => Math.exp(-d2 / (2 * SIGMA * SIGMA));
const anchors = main.map((l) => affine(plane(l[4])));
const residuals = main.map((l, i) => [centre(l)[0] - anchors[i][0], centre(l)[1] - anchors[i][1]]);
const gram = anchors.map((a) => anchors.map((b) => kernel((a[0] - b[0]) ** 2 + (a[1] - b[1]) ** 2)));
const wx = solve(gram.map((r) => r.slice()), residuals.map((r) => r[0]));
const wy = solve(gram.map((r) => r.slice()), residuals.map((r) => r[1]));

function mainProjection(lonlat) {
  const p = affine(plane(lonlat));
  let dx = 0;
  let dy = 0;
  anchors.forEach((a, i) => {
    const k = kernel((p[0] - a[0]) ** 2 + (p[1] - a[1]) ** 2);
    dx += wx[i] * k;
    dy += wy[i] * k;
  });
  return [p[0] + dx, p[1] + dy];
}

// An inset: the main map's scale times `zoom`, the inner point at the label.
function insetProjection(label, zoom) {
  const origin = affine(plane(label[4]));
  const [cx, cy] = centre(label);
  return (lonlat) => {
    const p = affine(plane(lonlat));
    return [cx + (p[0] - origin[0]) * zoom, cy + (p[1] - origin[1]) * zoom];
  };
}
const hokkaido = LABELS.find(([n]) => n === "北海道");
const okinawa = LABELS.find(([n]) => n === "沖縄");
const hokkaidoProjection = insetProjection(hokkaido, 0.62);
const okinawaProjection = insetProjection(okinawa, 1.5);

// ---- the outlines -----------------------------------------------------------

const countries = topojson.feature(world, world.objects.countries);
const japan = countries.features.find((f) => f.id === "392");
const groups = { main: [], hokkaido: [], okinawa: [] };
for (const polygon of japan.geometry.coordinates) {
  const ring = polygon[0];
  const lon = ring.reduce((s, p) => s + p[0], 0) / ring.length;
  const lat = ring.reduce((s, p) => s + p[1], 0) / ring.length;
  if (lat > 41.5) groups.hokkaido.push(polygon);
  else if (lat < 27.2 && lon > 126.5 && lon < 128.6 && lat > 25.8) groups.okinawa.push(polygon);
  else if (lat >= 30) groups.main.push(polygon);
  // Other remote islands (Amami, Sakishima, Ogasawara ...) lie off the picture.
}

// ---- drawing ------------------------------------------------------------------

const W = WIDTH * SUPER;
const H = HEIGHT * SUPER;
const mask = new Uint8Array(W * H); // 1 land

// Even-odd scanline fill of the rings of one polygon group, clipped to `clip`.
function fill(polygons, projection, clip = [0, 0, WIDTH, HEIGHT]) {
  for (const polygon of polygons) {
    const rings = polygon.map((ring) => ring.map((p) => projection(p).map((v) => v * SUPER)));
    const ys = rings.flat().map((p) => p[1]);
    const y0 = Math.max(Math.floor(Math.min(...ys)), clip[1] * SUPER);
    const y1 = Math.min(Math.ceil(Math.max(...ys)), clip[3] * SUPER - 1);
    for (let y = y0; y <= y1; y++) {
      const sy = y + 0.5;
      const xs = [];
      for (const ring of rings) {
        for (let i = 0, j = ring.length - 1; i < ring.length; j = i++) {
          const [xa, ya] = ring[j];
          const [xb, yb] = ring[i];
          if ((ya <= sy) !== (yb <= sy)) xs.push(xa + ((sy - ya) / (yb - ya)) * (xb - xa));
        }
      }
      xs.sort((a, b) => a - b);
      for (let k = 0; k + 1 < xs.length; k += 2) {
        const xa = Math.max(Math.ceil(xs[k] - 0.5), clip[0] * SUPER);
        const xb = Math.min(Math.floor(xs[k + 1] - 0.5), clip[2] * SUPER - 1);
        for (let x = xa; x <= xb; x++) mask[y * W + x] ^= 1;
      }
    }
  }
}

// Inset frames, in picture pixels: [left, top, right, bottom].
function frameOf(polygons, projection, margin) {
  const points = polygons.flatMap((p) => p[0].map(projection));
  const xs = points.map((p) => p[0]);
  const ys = points.map((p) => p[1]);
  return [
    Math.floor(Math.min(...xs) - margin),
    Math.floor(Math.min(...ys) - margin),
    Math.ceil(Math.max(...xs) + margin),
    Math.ceil(Math.max(...ys) + margin),
  ];
}
const okinawaFrame = frameOf(groups.okinawa, okinawaProjection, 6);
const hokkaidoFrame = frameOf(groups.hokkaido, hokkaidoProjection, 4);

fill(groups.main, mainProjection);
// Insets are drawn over the sea box of their frame.
for (const [frame, polygons, projection] of [
  [hokkaidoFrame, groups.hokkaido, hokkaidoProjection],
  [okinawaFrame, groups.okinawa, okinawaProjection],
]) {
  for (let y = frame[1] * SUPER; y < frame[3] * SUPER; y++)
    for (let x = frame[0] * SUPER; x < frame[2] * SUPER; x++)
      if (x >= 0 && y >= 0 && x < W && y < H) mask[y * W + x] = 0;
  fill(polygons, projection, frame);
}

const SEA = [198, 222, 242];
const LAND = [247, 242, 214];
const COAST = [112, 128, 96];
const FRAME = [120, 140, 170];

const rgba = Buffer.alloc(WIDTH * HEIGHT * 4);
for (let y = 0; y < HEIGHT; y++) {
  for (let x = 0; x < WIDTH; x++) {
    let land = 0;
    let edge = 0;
    for (let sy = 0; sy < SUPER; sy++) {
      for (let sx = 0; sx < SUPER; sx++) {
        const X = x * SUPER + sx;
        const Y = y * SUPER + sy;
        const here = mask[Y * W + X];
        land += here;
        // A coastline point: land with sea within two subpixels.
        if (here) {
          for (const [ox, oy] of [[-2, 0], [2, 0], [0, -2], [0, 2]]) {
            const nx = X + ox;
            const ny = Y + oy;
            if (nx >= 0 && ny >= 0 && nx < W && ny < H && !mask[ny * W + nx]) {
              edge++;
              break;
            }
          }
        }
      }
    }
    const n = SUPER * SUPER;
    const a = land / n;
    const e = Math.min(1, (edge / n) * 2.2);
    const o = (y * WIDTH + x) * 4;
    for (let c = 0; c < 3; c++) {
      const base = SEA[c] * (1 - a) + LAND[c] * a;
      rgba[o + c] = Math.round(base * (1 - e) + COAST[c] * e);
    }
    rgba[o + 3] = 255;
  }
}

function drawFrame([l, t, r, b]) {
  const put = (x, y) => {
    if (x < 0 || y < 0 || x >= WIDTH || y >= HEIGHT) return;
    const o = (y * WIDTH + x) * 4;
    FRAME.forEach((v, c) => (rgba[o + c] = v));
  };
  for (let x = l; x <= r; x++) {
    put(x, t);
    put(x, b);
  }
  for (let y = t; y <= b; y++) {
    put(l, y);
    put(r, y);
  }
}
drawFrame(hokkaidoFrame);
drawFrame(okinawaFrame);

// ---- checks -----------------------------------------------------------------------

// Every label's centre must lie on land, and so must most of its box.
let failures = 0;
for (const label of LABELS) {
  const [name, left, top, width] = label;
  const [cx, cy] = centre(label).map(Math.floor);
  const onLand = mask[(cy * SUPER + SUPER / 2) * W + cx * SUPER + SUPER / 2] === 1;
  let covered = 0;
  for (let y = top; y < top + 12; y++)
    for (let x = left; x < left + width; x++)
      covered += mask[(y * SUPER + SUPER / 2) * W + x * SUPER + SUPER / 2];
  const share = covered / (12 * width);
  console.log(`${name}\t${onLand ? "land" : "SEA "}\t${Math.round(share * 100)}% of the label on land`);
  if (!onLand) failures++;
}

// With --boxes, the label boxes are outlined, to check the fit by eye.
if (process.argv.includes("--boxes")) {
  for (const [, left, top, width] of LABELS) {
    for (let x = left; x < left + width; x++)
      for (const y of [top, top + 11]) rgba.set([255, 0, 0], (y * WIDTH + x) * 4);
    for (let y = top; y < top + 12; y++)
      for (const x of [left, left + width - 1]) rgba.set([255, 0, 0], (y * WIDTH + x) * 4);
  }
}

const output = process.argv.slice(2).find((a) => !a.startsWith("--")) ?? "MapOfJapan.jpg";
const encoded = jpeg.encode({ data: rgba, width: WIDTH, height: HEIGHT }, 90);
writeFileSync(output, encoded.data);
console.log(`wrote ${output} (${encoded.data.length} bytes)`);
if (failures) {
  console.error(`${failures} label(s) off their land`);
  process.exit(1);
}
