// orvane-host play: from a pointer move on a handle to the frame on screen that shows it, while
// the handle is dragged, with 50 masks in a 1920x1080 composition, the page at 50 % and at
// 100 %; then a fast drag of 120 moves 8 ms apart (how long after the last move the window
// settles, and whether the rectangle ends where the pointer left it); then scrubbing the
// timeline (each time to its frame on screen). Drives the page in headless Chromium and prints
// the page's own measures (window.orvanePlay.latency and scrubLatency).
//   node bench/play_latency.mjs [HOST_EXE] [MODULES_DIR] [MOVES]
// MODULES_DIR holds node_modules/ with playwright-core (make bench installs it there).
import { spawn } from 'node:child_process';
import { createRequire } from 'node:module';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';

const hostExe = process.argv[2] || 'build/release/bin/orvane-host';
const modulesDir = process.argv[3] || 'build/release/browser';
const moves = Number(process.argv[4] || 200);
const { chromium } = createRequire(path.resolve(modulesDir, 'node_modules', 'x.js'))('playwright-core');

// 50 squares of 150 pixels on a grid of 10 by 5, the view at zoom 0.5.
const steps = [{ do: 'apply' }];
for (let i = 0; i < 50; ++i) steps.push({ do: 'press', param: 'Create Mask' });
const centre = (i) => [96 + 192 * (i % 10), 108 + 216 * Math.floor(i / 10)];
for (let i = 0; i < 50; ++i) {
  steps.push({ do: 'set', param: `Center ${i + 1}`, value: centre(i) });
  steps.push({ do: 'set', param: `Width ${i + 1}`, value: 150 });
  steps.push({ do: 'set', param: `Height ${i + 1}`, value: 150 });
}
const viewZoom = 0.5;
const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'orvane-play-bench-'));
const scenario = path.join(dir, 'fifty.json');
fs.writeFileSync(scenario, JSON.stringify({
  comp: { width: 1920, height: 1080, fps: 30, duration: 2 },
  layer: { width: 1920, height: 1080 },
  view: { zoom: viewZoom, origin: [0, 0] },
  steps,
}));

const child = spawn(hostExe, ['play', scenario, '--port', '0'], { stdio: ['ignore', 'pipe', 'inherit'] });
const url = await new Promise((resolve, reject) => {
  let out = '';
  child.stdout.on('data', (c) => {
    out += c;
    const m = out.match(/Open (http\S+) /);
    if (m) resolve(m[1]);
  });
  child.on('exit', (code) => reject(new Error(`play exited with ${code}`)));
});
const sorted = (all) => all.slice().sort((a, b) => a - b);
const at = (s, q) => s[Math.min(s.length - 1, Math.floor(q * s.length))];
const figures = (all) => {
  const s = sorted(all);
  return `median ${at(s, 0.5).toFixed(1)} ms, p95 ${at(s, 0.95).toFixed(1)} ms, ` +
         `max ${s[s.length - 1].toFixed(1)} ms`;
};
const browser = await chromium.launch({
  executablePath: '/usr/bin/chromium',
  args: ['--no-sandbox', '--disable-gpu', '--disable-background-networking'],
});
try {
  const page = await browser.newPage({ viewport: { width: 1600, height: 1000 } });
  await page.goto(url);
  await page.waitForFunction(() => window.orvanePlay.state()?.masks.length === 50);
  await page.evaluate(() => window.orvanePlay.idle());
  const width = async () => (await page.evaluate(() => window.orvanePlay.state())).controls
    .find((c) => c.name === 'Width 1').value;
  // Slot 1's bottom-right corner on the page, for the page's zoom (composition percent).
  const corner = async (w) => {
    const box = await page.locator('#picture').boundingBox();
    const s = await page.evaluate(() => window.orvanePlay.scale());
    const [cx, cy] = centre(0);
    return { s, box, x: box.x + (cx + w / 2) * viewZoom * s, y: box.y + (cy + w / 2) * viewZoom * s };
  };
  for (const percent of ['0.5', '1']) {
    await page.selectOption('#zoom', percent);
    await page.evaluate(() => window.orvanePlay.idle());
    const w0 = await width();
    const { x: x0, y: y0 } = await corner(w0);
    const before = await page.evaluate(() => window.orvanePlay.latency.length);
    await page.mouse.move(x0, y0);
    await page.mouse.down();
    for (let i = 1; i <= moves; ++i) {
      await page.mouse.move(x0 + (i % 80), y0 + (i % 80));
      await page.waitForFunction((n) => window.orvanePlay.latency.length >= n, before + i);
    }
    await page.mouse.up();
    await page.evaluate(() => window.orvanePlay.idle());
    const all = (await page.evaluate(() => window.orvanePlay.latency)).slice(before + 10, before + moves);
    console.log(`play drag, 50 masks, 1920x1080, page at ${percent * 100} %: ${all.length} moves one ` +
                `at a time, ${figures(all)}`);
  }

  // A fast drag: 120 moves 8 ms apart, outwards a pixel each, then the release where the last
  // move left the pointer.
  await page.selectOption('#zoom', 'fit');
  await page.evaluate(() => window.orvanePlay.idle());
  const w0 = await width();
  const { x: x0, y: y0, s } = await corner(w0);
  await page.mouse.move(x0, y0);
  await page.mouse.down();
  const n = 120;
  const settled = await page.evaluate(async ({ n, x0, y0 }) => {
    const canvas = document.getElementById('picture');
    const send = (type, x, y) => canvas.dispatchEvent(new PointerEvent(type, {
      bubbles: true, clientX: x, clientY: y, pointerId: 1, button: 0, buttons: 1, isPrimary: true,
    }));
    for (let i = 1; i <= n; ++i) {
      send('pointermove', x0 + i, y0 + i);
      await new Promise((r) => setTimeout(r, 8));
    }
    const last = performance.now();
    send('pointerup', x0 + n, y0 + n);
    await window.orvanePlay.idle();
    return performance.now() - last;
  }, { n, x0, y0 });
  await page.mouse.up();
  await page.evaluate(() => window.orvanePlay.idle());
  // Where the pointer was left, in layer pixels: the corner moved n page pixels each way.
  const expected = w0 + 2 * Math.round(n / s) / viewZoom;
  const w1 = await width();
  console.log(`play fast drag, ${n} moves 8 ms apart at Fit: the window settled ${settled.toFixed(1)} ms ` +
              `after the last move; Width 1 ${w1.toFixed(1)} (the pointer's ${expected.toFixed(1)})`);

  // Scrubbing: each time to its frame drawn.
  await page.evaluate(async () => {
    const slider = document.getElementById('time');
    for (let f = 1; f <= 59; ++f) {
      slider.value = String(f / 30);
      slider.dispatchEvent(new Event('input'));
      await window.orvanePlay.idle();
    }
  });
  const scrub = await page.evaluate(() => window.orvanePlay.scrubLatency);
  console.log(`play scrub, 50 masks at Fit: ${scrub.length} frames, ${figures(scrub)}`);
} finally {
  await browser.close();
  child.kill('SIGTERM');
  fs.rmSync(dir, { recursive: true, force: true });
}
