// orvane-host play: from a mouse move on the page to the new picture on screen, while a handle
// is dragged, with 50 masks in a 1920x1080 composition at zoom 0.5. Drives the page in headless
// Chromium and prints the median and the 95th percentile of the page's own measure (the
// pointer event to the decoded picture that follows its answer); one move at a time.
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

// 50 squares of 150 pixels on a grid of 10 by 5.
const steps = [{ do: 'apply' }];
for (let i = 0; i < 50; ++i) steps.push({ do: 'press', param: 'Create Mask' });
const centre = (i) => [96 + 192 * (i % 10), 108 + 216 * Math.floor(i / 10)];
for (let i = 0; i < 50; ++i) {
  steps.push({ do: 'set', param: `Center ${i + 1}`, value: centre(i) });
  steps.push({ do: 'set', param: `Width ${i + 1}`, value: 150 });
  steps.push({ do: 'set', param: `Height ${i + 1}`, value: 150 });
}
const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'orvane-play-bench-'));
const scenario = path.join(dir, 'fifty.json');
fs.writeFileSync(scenario, JSON.stringify({
  comp: { width: 1920, height: 1080, fps: 30, duration: 2 },
  layer: { width: 1920, height: 1080 },
  view: { zoom: 0.5, origin: [0, 0] },
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
const browser = await chromium.launch({ executablePath: '/usr/bin/chromium', args: ['--no-sandbox'] });
try {
  const page = await browser.newPage({ viewport: { width: 1600, height: 900 } });
  await page.goto(url);
  await page.waitForFunction(() => window.orvanePlay.state()?.masks.length === 50);
  await page.evaluate(() => window.orvanePlay.idle());
  const box = await page.locator('#picture').boundingBox();
  // Slot 1's bottom-right corner in window pixels (zoom 0.5), then outwards a pixel a move.
  const [cx, cy] = centre(0);
  const x0 = box.x + (cx + 75) * 0.5, y0 = box.y + (cy + 75) * 0.5;
  await page.mouse.move(x0, y0);
  await page.mouse.down();
  for (let i = 1; i <= moves; ++i) {
    await page.mouse.move(x0 + (i % 80), y0 + (i % 80) * 0.5);
    await page.waitForFunction((n) => window.orvanePlay.latency.length >= n, i);
  }
  await page.mouse.up();
  await page.evaluate(() => window.orvanePlay.idle());
  const width = (await page.evaluate(() => window.orvanePlay.state())).controls
    .find((c) => c.name === 'Width 1').value;
  const all = await page.evaluate(() => window.orvanePlay.latency);
  const sorted = all.slice(10).sort((a, b) => a - b);  // the first moves warm up
  const at = (q) => sorted[Math.min(sorted.length - 1, Math.floor(q * sorted.length))];
  console.log(`play drag, 50 masks, 1920x1080 at zoom 0.5: ${sorted.length} moves, ` +
              `median ${at(0.5).toFixed(1)} ms, p95 ${at(0.95).toFixed(1)} ms, ` +
              `max ${sorted[sorted.length - 1].toFixed(1)} ms (Width 1 now ${width.toFixed(0)})`);
} finally {
  await browser.close();
  child.kill('SIGTERM');
  fs.rmSync(dir, { recursive: true, force: true });
}
