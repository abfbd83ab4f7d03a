// orvane-host play in Debian's Chromium: the page driven with the mouse as a person would,
// the session saved and replayed with orvane-host run, and requests a hostile page would send.
// node play_test.mjs HOST_EXE MODULES_DIR OUT_DIR   (MODULES_DIR holds node_modules/)
import { spawn, spawnSync } from 'node:child_process';
import { createRequire } from 'node:module';
import fs from 'node:fs';
import http from 'node:http';
import path from 'node:path';
import assert from 'node:assert/strict';

const [hostExe, modulesDir, outDir] = process.argv.slice(2);
const { chromium } = createRequire(path.resolve(modulesDir, 'node_modules', 'x.js'))('playwright-core');
fs.mkdirSync(outDir, { recursive: true });

// A small composition, shown at 100% so that window pixels are layer pixels.
const scenarioPath = path.join(outDir, 'start.json');
fs.writeFileSync(scenarioPath, JSON.stringify({
  comp: { width: 640, height: 360, fps: 30, duration: 1 },
  layer: { width: 640, height: 360 },
  steps: [{ do: 'apply' }],
}));

function startServer() {
  const child = spawn(hostExe, ['play', scenarioPath, '--port', '0'], { stdio: ['ignore', 'pipe', 'inherit'] });
  let out = '';
  const url = new Promise((resolve, reject) => {
    child.stdout.on('data', (chunk) => {
      out += chunk;
      const m = out.match(/Open (http:\/\/127\.0\.0\.1:\d+\/[0-9a-f]{32}\/) /);
      if (m) resolve(m[1]);
    });
    child.on('exit', (code) => reject(new Error(`play exited with ${code}: ${out}`)));
  });
  const exit = new Promise((resolve) => child.on('exit', (code) => resolve({ code, out })));
  return { child, url, exit };
}

function request(url, headers = {}) {
  return new Promise((resolve, reject) => {
    http.get(url, { headers }, (res) => {
      res.resume();
      res.on('end', () => resolve(res.statusCode));
    }).on('error', reject);
  });
}

const server = startServer();
const url = await server.url;
const { port } = new URL(url);
const browser = await chromium.launch({ executablePath: '/usr/bin/chromium', args: ['--no-sandbox'] });
try {
  // What a page of another site, or a script without the printed URL, would try.
  assert.equal(await request(`http://127.0.0.1:${port}/`), 403, 'no token');
  assert.equal(await request(`http://127.0.0.1:${port}/${'0'.repeat(32)}/api/state`), 403, 'wrong token');
  assert.equal(await request(`${url}api/state`, { Host: `attacker.example:${port}` }), 403, 'foreign Host');
  assert.equal(await request(`${url}api/state`, { Origin: 'http://attacker.example' }), 403, 'foreign Origin');
  assert.equal(await request(`${url}api/state`), 200, 'the page itself');

  const context = await browser.newContext({ viewport: { width: 1400, height: 800 }, acceptDownloads: true });
  const page = await context.newPage();
  const errors = [];
  page.on('pageerror', (e) => errors.push(String(e)));
  await page.goto(url);
  const control = (name) => page.locator(`.control[data-name="${name}"]`);
  const idle = () => page.evaluate(() => window.orvanePlay.idle());
  const state = () => page.evaluate(() => window.orvanePlay.state());
  const value = async (name) => (await state()).controls.find((c) => c.name === name).value;

  await control('Create Mask').locator('button').click();
  await control('Create Mask').locator('button').click();
  await idle();
  assert.equal((await state()).masks.length, 2);
  assert.equal(await control('Width 2').isVisible(), true, 'the second slot is shown');

  // A new rectangle fills the layer: made smaller in the panel, as a user types a value.
  for (const [name, v] of [['Width 1', 200], ['Height 1', 120]]) {
    await control(name).locator('input').fill(String(v));
    await control(name).locator('input').press('Enter');
    await idle();
    assert.equal(await value(name), v, name);
  }

  // The first rectangle's bottom-right corner, from its controls: at angle 0 it is the centre
  // plus half the size, and at 100% a window pixel is a layer pixel.
  const [cx, cy] = await value('Center 1');
  const w = await value('Width 1'), h = await value('Height 1');
  assert.equal(await value('Angle 1'), 0);
  const box = await page.locator('#picture').boundingBox();
  const corner = { x: box.x + cx + w / 2, y: box.y + cy + h / 2 };
  const dx = 24, dy = 16;
  await page.mouse.move(corner.x, corner.y);
  await page.mouse.down();
  await page.mouse.move(corner.x + dx / 2, corner.y + dy / 2);
  await page.mouse.move(corner.x + dx, corner.y + dy);
  await page.mouse.up();
  await idle();
  // Resized symmetrically about the centre: each side grows by twice the offset.
  const shown = async (name) => Number(await control(name).locator('input').inputValue());
  assert.ok(Math.abs((await shown('Width 1')) - (w + 2 * dx)) < 1.01, `width ${await shown('Width 1')}`);
  assert.ok(Math.abs((await shown('Height 1')) - (h + 2 * dy)) < 1.01, `height ${await shown('Height 1')}`);
  await page.screenshot({ path: path.join(outDir, 'play-after-drag.png') });

  const on = control('On').locator('input');
  await on.uncheck();
  await idle();
  assert.equal(await value('On'), false);
  await on.check();
  await idle();
  assert.equal(await value('On'), true);

  await control('Bake Masks').locator('button').click();
  await page.locator('#info', { hasText: 'Completed' }).waitFor();
  await idle();
  await page.screenshot({ path: path.join(outDir, 'play-after-bake.png') });

  const [download] = await Promise.all([page.waitForEvent('download'), page.click('#save')]);
  const saved = path.join(outDir, 'session.json');
  await download.saveAs(saved);
  const scenario = JSON.parse(fs.readFileSync(saved, 'utf8'));
  const drags = scenario.steps.filter((s) => s.do === 'drag');
  assert.equal(drags.length, 1, 'the whole drag is one step');
  assert.equal(drags[0].points.length, 4, 'press, two moves, release');

  // The saved session replayed by run gives the project the server holds.
  const replay = spawnSync(hostExe, ['run', saved, '--json'], { encoding: 'utf8' });
  assert.equal(replay.status, 0, replay.stderr);
  const dump = JSON.parse(replay.stdout);
  const final = await state();
  for (const c of final.controls.filter((c) => 'value' in c))
    assert.deepEqual(dump.params[c.name].value, c.value, c.name);
  assert.deepEqual(dump.masks.map((m) => m.vertices), final.masks.map((m) => m.vertices));
  assert.deepEqual(dump.undo, final.undo);
  assert.deepEqual(dump.info, final.info);
  assert.deepEqual(errors, [], 'no script errors on the page');

  await page.click('#close');
  const { code, out } = await server.exit;
  assert.equal(code, 0, out);
  assert.doesNotMatch(out, /problem:/);
  console.log(`ok: ${scenario.steps.length} steps saved and replayed; screenshots in ${outDir}`);
} finally {
  await browser.close();
  server.child.kill('SIGTERM');
}
