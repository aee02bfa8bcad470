// Draws the map picture of the destination window, MapOfJapan.jpg, 429 x 293,
// and the same drawing at twice the size, MapOfJapan@2x.jpg, for screens of
// two device pixels per pixel.
//
// Source: the coastline of Japan from Natural Earth 1:10m (public domain),
// as packaged in the npm package world-atlas. Natural Earth has no
// prefecture borders at this scale for Japan, so the map shows the land only.
//
// The window lays a name label on each prefecture at a fixed place, in a
// schematic arrangement; the places are read from the window's own table in
// ui/Map.cpp. The main islands are therefore fitted to the labels: an affine
// fit of each prefecture's inner point to its label's centre, then a smooth
// (Gaussian radial basis) correction that moves every inner point exactly
// under its label, and a gentle squeeze of the far west so that Kyushu's
// coast stays whole. Hokkaido and Okinawa are drawn as insets placed at their
// labels. Outlying islands that would fall off the picture are left out.
// Each label gets a light plate of its own, a pixel short of its neighbours,
// so that two names never run into one.
//
// Usage: npm ci && node make-map.mjs OUTPUT.jpg [--boxes]
//        node make-map.mjs OUTPUT.jpg --check
// The first writes OUTPUT.jpg and OUTPUT@2x.jpg; --boxes outlines the
// labels' click areas. --check writes nothing: it fails when a coast leaves
// the picture, two plates touch, a label lies off its land, or the files
// differ from what the script draws.
import { createRequire } from "node:module";
import { existsSync, readFileSync, writeFileSync } from "node:fs";

const require = createRequire(import.meta.url);
const topojson = require("topojson-client");
const jpeg = require("jpeg-js");
const world = require("world-atlas/countries-10m.json");

const WIDTH = 429;
const HEIGHT = 293;
const SUPER = 4; // supersampling for smooth coastlines

// An inner point of each prefecture [longitude, latitude], by its label.
const INNER = {
  北海道: [142.9, 43.4],
  青森: [140.85, 40.65],
  岩手: [141.35, 39.6],
  秋田: [140.35, 39.7],
  山形: [140.1, 38.45],
  宮城: [140.85, 38.45],
  福島: [140.2, 37.4],
  茨城: [140.25, 36.3],
  栃木: [139.8, 36.7],
  群馬: [138.95, 36.5],
  埼玉: [139.3, 36.0],
  千葉: [140.2, 35.5],
  東京: [139.45, 35.7],
  神奈川: [139.35, 35.42],
  山梨: [138.6, 35.6],
  新潟: [138.9, 37.5],
  長野: [138.0, 36.1],
  富山: [137.25, 36.62],
  石川: [136.72, 36.5],
  福井: [136.2, 35.85],
  静岡: [138.3, 35.05],
  愛知: [137.2, 35.05],
  岐阜: [137.0, 35.75],
  三重: [136.4, 34.5],
  滋賀: [136.1, 35.2],
  京都: [135.5, 35.2],
  大阪: [135.5, 34.62],
  兵庫: [134.85, 35.0],
  奈良: [135.85, 34.3],
  和歌山: [135.45, 33.9],
  鳥取: [133.8, 35.38],
  岡山: [133.8, 34.85],
  島根: [132.5, 35.05],
  広島: [132.75, 34.55],
  山口: [131.5, 34.2],
  香川: [134.0, 34.25],
  徳島: [134.3, 33.9],
  愛媛: [132.8, 33.6],
  高知: [133.3, 33.4],
  福岡: [130.65, 33.55],
  佐賀: [130.1, 33.3],
  長崎: [130.0, 32.88],
  大分: [131.45, 33.2],
  熊本: [130.8, 32.6],
  宮崎: [131.3, 32.1],
  鹿児島: [130.5, 31.55],
  沖縄: [127.95, 26.5],
};

// The window's labels: caption, left, top, width (12 pixels a character,
// 12 high), read from the window's table so that the picture follows it.
const WINDOW_TABLE = new URL("../../ui/Map.cpp", import.meta.url);
const LABELS = [...readFileSync(WINDOW_TABLE, "utf8").matchAll(/\{"([^"]+)", \d+, \d+, (\d+), (\d+)\}/g)].map(
  ([, name, left, top]) => [name, Number(left), Number(top), 12 * [...name].length, INNER[name]],
);
if (LABELS.length !== 47 || LABELS.some((l) => !l[4])) {
  console.error(`${WINDOW_TABLE.pathname}: expected the 47 labels of the map window, found ${LABELS.length}`);
  process.exit(1);
}

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

// The fit puts Kyushu's west coast at the picture's left edge, as its labels
// sit there. West of SQUEEZE_FROM the land is pressed smoothly towards the
// edge, never past SQUEEZE_FROM - SQUEEZE_DEPTH; every label centre lies east
// of it, so no label moves.
const SQUEEZE_FROM = 14;
const SQUEEZE_DEPTH = 12;
const squeeze = (x) =>
  x >= SQUEEZE_FROM ? x : SQUEEZE_FROM - SQUEEZE_DEPTH * (1 - Math.exp((x - SQUEEZE_FROM) / SQUEEZE_DEPTH));

function fitted(lonlat) {
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
const mainProjection = (lonlat) => {
  const [x, y] = fitted(lonlat);
  return [squeeze(x), y];
};

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

// Area of a ring in square degrees (shoelace).
const area = (ring) =>
  Math.abs(ring.reduce((sum, [x, y], i) => {
    const [nx, ny] = ring[(i + 1) % ring.length];
    return sum + x * ny - nx * y;
  }, 0)) / 2;
const MAIN_ISLAND = 1; // square degrees: Honshu, Kyushu, Shikoku, Hokkaido
const MARGIN = 2; // pixels between a coast and the picture's edge

const countries = topojson.feature(world, world.objects.countries);
const japan = countries.features.find((f) => f.id === "392");
const groups = { main: [], hokkaido: [], okinawa: [] };
const leftOut = [];
const inside = (polygon, projection) =>
  polygon[0].every((p) => {
    const [x, y] = projection(p);
    return x >= MARGIN && y >= MARGIN && x <= WIDTH - MARGIN && y <= HEIGHT - MARGIN;
  });
for (const polygon of japan.geometry.coordinates) {
  const ring = polygon[0];
  const lon = ring.reduce((s, p) => s + p[0], 0) / ring.length;
  const lat = ring.reduce((s, p) => s + p[1], 0) / ring.length;
  if (lat > 41.5) groups.hokkaido.push(polygon);
  else if (lat < 27.2 && lon > 126.5 && lon < 128.6 && lat > 25.8) groups.okinawa.push(polygon);
  // An island that the fit alone puts off the picture (Goto, Tsushima's
  // neighbours, the Izu and Osumi islands) is left out rather than cut or
  // pressed flat; a main island is drawn whole by the squeeze.
  else if (lat >= 30 && (area(ring) > MAIN_ISLAND || inside(polygon, fitted)))
    groups.main.push(polygon);
  else if (lat >= 30) leftOut.push(`${lon.toFixed(2)}E ${lat.toFixed(2)}N`);
  // Other remote islands (Amami, Sakishima, Ogasawara ...) lie off the picture.
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
const insets = [
  [hokkaidoFrame, groups.hokkaido, hokkaidoProjection],
  [okinawaFrame, groups.okinawa, okinawaProjection],
];

// A light plate under each label, a little larger than its text where
// there is room; where two labels are close (京都 and 滋賀 side by side),
// each plate gives way so that a pixel of the map shows between them and
// the names stand apart. Boxes are [left, top, right, bottom), in pixels.
const PAD = [2, 1]; // how far a plate reaches past its text, across and down
const text = ([, left, top, width]) => [left, top, left + width, top + 12];
const plates = LABELS.map((label) => {
  const [l, t, r, b] = text(label);
  return { name: label[0], box: [l - PAD[0], t - PAD[1], r + PAD[0], b + PAD[1]] };
});
for (let i = 0; i < LABELS.length; i++) {
  for (let j = i + 1; j < LABELS.length; j++) {
    // How far apart the two texts lie across and down, in either order.
    const apart = [0, 1].map((k) => {
      const [a, b] = [text(LABELS[i]), text(LABELS[j])];
      return Math.max(b[k] - a[k + 2], a[k] - b[k + 2]);
    });
    if (apart.some((gap, k) => gap > 2 * PAD[k])) continue; // the plates keep apart
    // Along the axis where the texts lie furthest apart, of the gap's
    // columns (or rows) one stays clear; the first plate takes the first
    // half of the rest, the second plate the second.
    const axis = apart[0] >= apart[1] ? 0 : 1;
    const gap = apart[axis];
    let [first, second] = [i, j];
    if (text(LABELS[j])[axis] < text(LABELS[i])[axis]) [first, second] = [j, i];
    const taken = Math.floor((gap - 1) / 2);
    plates[first].box[axis + 2] = Math.min(plates[first].box[axis + 2], text(LABELS[first])[axis + 2] + taken);
    plates[second].box[axis] = Math.max(plates[second].box[axis], text(LABELS[second])[axis] - (gap - 1 - taken));
  }
}

// ---- drawing ------------------------------------------------------------------

const SEA = [198, 222, 242];
const LAND = [247, 242, 214];
const COAST = [112, 128, 96];
const FRAME = [120, 140, 170];
const PLATE = [255, 255, 255];
const PLATE_EDGE = [214, 196, 170];
const PLATE_OPACITY = 0.72;

// The picture at `scale` device pixels per picture pixel: RGBA bytes, and
// the land mask at SUPER subpixels per device pixel.
function draw(scale) {
  const width = WIDTH * scale;
  const height = HEIGHT * scale;
  const sub = SUPER * scale; // subpixels per picture pixel
  const W = WIDTH * sub;
  const H = HEIGHT * sub;
  const mask = new Uint8Array(W * H); // 1 land

  // Even-odd scanline fill of the rings of one polygon group, clipped to `clip`.
  function fill(polygons, projection, clip = [0, 0, WIDTH, HEIGHT]) {
    for (const polygon of polygons) {
      const rings = polygon.map((ring) => ring.map((p) => projection(p).map((v) => v * sub)));
      const ys = rings.flat().map((p) => p[1]);
      const y0 = Math.max(Math.floor(Math.min(...ys)), clip[1] * sub);
      const y1 = Math.min(Math.ceil(Math.max(...ys)), clip[3] * sub - 1);
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
          const xa = Math.max(Math.ceil(xs[k] - 0.5), clip[0] * sub);
          const xb = Math.min(Math.floor(xs[k + 1] - 0.5), clip[2] * sub - 1);
          for (let x = xa; x <= xb; x++) mask[y * W + x] ^= 1;
        }
      }
    }
  }

  fill(groups.main, mainProjection);
  // Insets are drawn over the sea box of their frame.
  for (const [frame, polygons, projection] of insets) {
    for (let y = frame[1] * sub; y < frame[3] * sub; y++)
      for (let x = frame[0] * sub; x < frame[2] * sub; x++)
        if (x >= 0 && y >= 0 && x < W && y < H) mask[y * W + x] = 0;
    fill(polygons, projection, frame);
  }

  const rgba = Buffer.alloc(width * height * 4);
  const reach = 2 * scale; // the coastline's width in subpixels
  for (let y = 0; y < height; y++) {
    for (let x = 0; x < width; x++) {
      let land = 0;
      let edge = 0;
      for (let sy = 0; sy < SUPER; sy++) {
        for (let sx = 0; sx < SUPER; sx++) {
          const X = x * SUPER + sx;
          const Y = y * SUPER + sy;
          const here = mask[Y * W + X];
          land += here;
          // A coastline point: land with sea within the coastline's width.
          if (here) {
            for (const [ox, oy] of [[-reach, 0], [reach, 0], [0, -reach], [0, reach]]) {
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
      const o = (y * width + x) * 4;
      for (let c = 0; c < 3; c++) {
        const base = SEA[c] * (1 - a) + LAND[c] * a;
        rgba[o + c] = Math.round(base * (1 - e) + COAST[c] * e);
      }
      rgba[o + 3] = 255;
    }
  }

  // Lines and plates in picture pixels, each scale x scale device pixels.
  const put = (x, y, colour, opacity = 1) => {
    for (let dy = 0; dy < scale; dy++)
      for (let dx = 0; dx < scale; dx++) {
        const X = x * scale + dx;
        const Y = y * scale + dy;
        if (X < 0 || Y < 0 || X >= width || Y >= height) continue;
        const o = (Y * width + X) * 4;
        for (let c = 0; c < 3; c++) rgba[o + c] = Math.round(rgba[o + c] * (1 - opacity) + colour[c] * opacity);
      }
  };
  for (const [[l, t, r, b]] of insets) {
    for (let x = l; x <= r; x++) [t, b].forEach((y) => put(x, y, FRAME));
    for (let y = t + 1; y < b; y++) [l, r].forEach((x) => put(x, y, FRAME));
  }
  // Plates: a white fill over the map, a rim one device pixel wide, the
  // corners cut.
  for (const { box } of plates) {
    const [l, t, r, b] = box.map((v) => v * scale);
    for (let Y = t; Y < b; Y++)
      for (let X = l; X < r; X++) {
        if (X < 0 || Y < 0 || X >= width || Y >= height) continue;
        const rim = X === l || X === r - 1 || Y === t || Y === b - 1;
        if ((X === l || X === r - 1) && (Y === t || Y === b - 1)) continue;
        const [colour, opacity] = rim ? [PLATE_EDGE, 0.9] : [PLATE, PLATE_OPACITY];
        const o = (Y * width + X) * 4;
        for (let c = 0; c < 3; c++) rgba[o + c] = Math.round(rgba[o + c] * (1 - opacity) + colour[c] * opacity);
      }
  }
  if (process.argv.includes("--boxes")) {
    for (const [, left, top, w] of LABELS) {
      for (let x = left; x < left + w; x++) [top, top + 11].forEach((y) => put(x, y, [255, 0, 0]));
      for (let y = top; y < top + 12; y++) [left, left + w - 1].forEach((x) => put(x, y, [255, 0, 0]));
    }
  }
  return { rgba, width, height, mask, W, sub };
}

// ---- checks -----------------------------------------------------------------------

const problems = [];
const pictures = [1, 2].map(draw);

// Every label's centre lies on land; most of its box should.
const { mask, W, sub } = pictures[0];
const landAt = (x, y) => mask[Math.floor(y * sub) * W + Math.floor(x * sub)] === 1;
for (const label of LABELS) {
  const [name, left, top, width] = label;
  const [cx, cy] = centre(label);
  let covered = 0;
  for (let y = top; y < top + 12; y++) for (let x = left; x < left + width; x++) covered += landAt(x + 0.5, y + 0.5);
  console.log(`${name}\t${landAt(cx, cy) ? "land" : "SEA "}\t${Math.round((covered / (12 * width)) * 100)}% of the label on land`);
  if (!landAt(cx, cy)) problems.push(`${name}: the label's centre is off its land`);
}

// Every coast lies whole within the picture, or within its inset's frame.
const within = (polygons, projection, [l, t, r, b], what) => {
  for (const polygon of polygons)
    for (const ring of polygon)
      for (const p of ring) {
        const [x, y] = projection(p);
        if (x < l || y < t || x > r || y > b) {
          problems.push(`${what}: the coast at ${p[0].toFixed(2)}E ${p[1].toFixed(2)}N lies at ${x.toFixed(1)}, ${y.toFixed(1)}, outside ${l}, ${t} - ${r}, ${b}`);
          return;
        }
      }
};
within(groups.main, mainProjection, [MARGIN, MARGIN, WIDTH - MARGIN, HEIGHT - MARGIN], "the main islands");
for (const [[l, t, r, b], polygons, projection] of insets) {
  within(polygons, projection, [l + 1, t + 1, r - 1, b - 1], "an inset");
  if (l < 0 || t < 0 || r >= WIDTH || b >= HEIGHT) problems.push(`an inset's frame ${l}, ${t} - ${r}, ${b} leaves the picture`);
}

// No two plates overlap or touch, and every plate lies within the picture.
for (const [i, { name, box: a }] of plates.entries()) {
  if (a[0] < 0 || a[1] < 0 || a[2] > WIDTH || a[3] > HEIGHT) problems.push(`${name}: the plate leaves the picture`);
  for (const { name: other, box: b } of plates.slice(i + 1))
    if (!(a[2] < b[0] || b[2] < a[0] || a[3] < b[1] || b[3] < a[1]))
      problems.push(`${name} and ${other}: the plates touch`);
}

if (leftOut.length) console.log(`islands left out: ${leftOut.join(", ")}`);

// ---- output -------------------------------------------------------------------------

const output = process.argv.slice(2).find((a) => !a.startsWith("--")) ?? "MapOfJapan.jpg";
const besideAtTwice = output.replace(/(\.jpe?g)?$/i, (ext) => `@2x${ext || ".jpg"}`);
for (const [file, { rgba, width, height }] of [[output, pictures[0]], [besideAtTwice, pictures[1]]]) {
  const encoded = jpeg.encode({ data: rgba, width, height }, 90).data;
  if (!process.argv.includes("--check")) {
    writeFileSync(file, encoded);
    console.log(`wrote ${file} (${width} x ${height}, ${encoded.length} bytes)`);
  } else if (!existsSync(file) || !readFileSync(file).equals(encoded)) {
    problems.push(`${file} is not what the script draws: node make-map.mjs ${output}`);
  }
}
if (problems.length) {
  console.error(problems.join("\n"));
  process.exit(1);
}
if (process.argv.includes("--check")) console.log("map: every check passed");
