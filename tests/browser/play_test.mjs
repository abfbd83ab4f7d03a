// orvane-host play in Debian's Chromium: the page driven with the mouse and the keyboard as a
// person would, its picture held to `run`'s, the session saved and replayed with orvane-host
// run, the session's end seen without an action, and requests a hostile page would send.
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

// A small composition at the view's zoom 1, so that window pixels are layer pixels.
const scenarioPath = path.join(outDir, 'start.json');
fs.writeFileSync(scenarioPath, JSON.stringify({
  comp: { width: 640, height: 360, fps: 30, duration: 1 },
  layer: { width: 640, height: 360 },
  steps: [{ do: 'apply' }],
}));

function startServer(scenario) {
  const child = spawn(hostExe, ['play', scenario, '--port', '0'], { stdio: ['ignore', 'pipe', 'inherit'] });
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

const server = startServer(scenarioPath);
const url = await server.url;
const { port } = new URL(url);
const browser = await chromium.launch({
  executablePath: '/usr/bin/chromium',
  args: ['--no-sandbox', '--disable-gpu', '--disable-background-networking'],
});
try {
  // What a page of another site, or a script without the printed URL, would try.
  assert.equal(await request(`http://127.0.0.1:${port}/`), 403, 'no token');
  assert.equal(await request(`http://127.0.0.1:${port}/${'0'.repeat(32)}/api/state`), 403, 'wrong token');
  assert.equal(await request(`${url}api/state`, { Host: `attacker.example:${port}` }), 403, 'foreign Host');
  assert.equal(await request(`${url}api/state`, { Origin: 'http://attacker.example' }), 403, 'foreign Origin');
  assert.equal(await request(`${url}api/state`), 200, 'the page itself');

  const context = await browser.newContext({ viewport: { width: 1280, height: 800 }, acceptDownloads: true });
  const page = await context.newPage();
  const errors = [];
  page.on('pageerror', (e) => errors.push(String(e)));
  // The browser logs each refused step's answer (400); any other console error is the page's.
  let refusals = 0;
  page.on('console', (m) => {
    if (m.type() !== 'error') return;
    if (/status of 400/.test(m.text())) refusals++;
    else errors.push(m.text());
  });
  await page.goto(url);
  const control = (name) => page.locator(`.control[data-name="${name}"]`);
  const field = (name) => control(name).locator('input').first();
  const idle = () => page.evaluate(() => window.orvanePlay.idle());
  const state = () => page.evaluate(() => window.orvanePlay.state());
  const value = async (name) => (await state()).controls.find((c) => c.name === name).value;
  const problems = () => page.locator('#problems');

  await control('Create Mask').locator('button').click();
  await control('Create Mask').locator('button').click();
  await idle();
  assert.equal((await state()).masks.length, 2);
  assert.equal(await control('Width 2').isVisible(), true, 'the second slot is shown');
  assert.equal(await control('On').isVisible(), true, '"On" on the first screen');

  // The window opens at Fit: all of the composition in sight, as large as the panel allows.
  const fits = async () => {
    const c = await page.locator('#picture').boundingBox(), w = await page.locator('#window').boundingBox();
    assert.ok(c.x >= w.x - 0.5 && c.y >= w.y - 0.5 && c.x + c.width <= w.x + w.width + 0.5 &&
              c.y + c.height <= w.y + w.height + 0.5, `the composition fits: ${JSON.stringify([c, w])}`);
    assert.ok(Math.abs(c.width - (w.width - 2)) < 2 || Math.abs(c.height - (w.height - 2)) < 2,
              'as large as the window allows');
    assert.ok(Math.abs(c.width / c.height - 640 / 360) < 0.01, 'the composition keeps its shape');
  };
  assert.match(await page.locator('#zoom option:checked').textContent(), /^Fit \(\d+%\)$/);
  await fits();
  await page.setViewportSize({ width: 1000, height: 700 });
  await page.waitForTimeout(200);
  await idle();
  await fits();
  await page.setViewportSize({ width: 1280, height: 800 });
  await page.waitForTimeout(200);
  await idle();

  // Typed mistakes are refused with the host's message, and the field shows the project's
  // value again; nothing is sent as a zero.
  const width = await value('Width 1');
  const steps = (await state()).steps;
  for (const [typedText, message] of [['abc', /"Width 1" must be a number/],
                                       ['1e999', /"Width 1" must be a number/],
                                       ['-5', /"Width 1" must be from 0 to 50000/]]) {
    await field('Width 1').fill(typedText);
    await field('Width 1').press('Enter');
    await idle();
    assert.match(await problems().textContent(), message, typedText);
    assert.equal(await field('Width 1').inputValue(), String(width), `${typedText} gives the field back`);
    assert.equal(await value('Width 1'), width, typedText);
  }
  assert.equal((await state()).steps, steps, 'no refused step is recorded');

  // A new rectangle fills the layer: made smaller in the panel, as a user types a value.
  for (const [name, v] of [['Width 1', 200], ['Height 1', 120], ['Width 2', 120], ['Height 2', 90]]) {
    await field(name).fill(String(v));
    await field(name).press('Enter');
    await idle();
    assert.equal(await value(name), v, name);
  }
  assert.equal(await problems().isHidden(), true, 'a step taken clears the message');

  // At 100 % a window pixel is a page pixel: the first rectangle's bottom-right corner, from its
  // controls (the centre plus half the size at angle 0).
  await page.selectOption('#zoom', '1');
  await idle();
  const [cx, cy] = await value('Center 1');
  const w = await value('Width 1'), h = await value('Height 1');
  const box = await page.locator('#picture').boundingBox();
  const corner = { x: box.x + cx + w / 2, y: box.y + cy + h / 2 };
  const historyBefore = (await state()).history.length;
  const dx = 24, dy = 16;
  await page.mouse.move(corner.x, corner.y);
  await page.mouse.down();
  await page.mouse.move(corner.x + dx / 2, corner.y + dy / 2);
  await page.mouse.move(corner.x + dx, corner.y + dy);
  await page.mouse.up();
  await idle();
  // Resized symmetrically about the centre: each side grows by twice the offset.
  assert.equal(await value('Width 1'), w + 2 * dx);
  assert.equal(await value('Height 1'), h + 2 * dy);
  assert.equal(await field('Width 1').inputValue(), String(w + 2 * dx), 'the panel follows the drag');
  const afterDrag = (await state()).history;
  assert.equal(afterDrag.length, historyBefore + 1, 'the drag is one entry');
  assert.equal(afterDrag[afterDrag.length - 1].name, 'Drag');

  // A fast drag: every move sent 8 ms after the last, and the release where the pointer was
  // left. The page never queues moves, so the rectangle ends exactly there.
  const w2 = await value('Width 1'), h2 = await value('Height 1');
  const c2 = { x: box.x + cx + w2 / 2, y: box.y + cy + h2 / 2 };
  await page.mouse.move(c2.x, c2.y);
  await page.mouse.down();
  await page.evaluate(async ({ x, y }) => {
    const canvas = document.getElementById('picture');
    const send = (type, px, py) => canvas.dispatchEvent(new PointerEvent(type, {
      bubbles: true, clientX: px, clientY: py, pointerId: 1, button: 0, buttons: 1, isPrimary: true,
    }));
    for (let i = 1; i <= 120; ++i) {
      send('pointermove', x + (i * 7) % 41, y + (i * 5) % 23);
      await new Promise((r) => setTimeout(r, 8));
    }
    send('pointerup', x + (120 * 7) % 41, y + (120 * 5) % 23);
    await window.orvanePlay.idle();
  }, c2);
  await page.mouse.up();
  await idle();
  assert.equal(await value('Width 1'), w2 + 2 * ((120 * 7) % 41), 'where the pointer was left');
  assert.equal(await value('Height 1'), h2 + 2 * ((120 * 5) % 23));
  assert.equal((await state()).history.length, historyBefore + 2, 'two drags, two entries');

  // The canvas against run's picture of the same window and time, by decoded pixels. Both
  // rasterise the same outlines and strokes, Cairo and Chromium each with its own antialiasing,
  // so pixels on an edge may differ; everywhere else they agree to the rounding of 8-bit
  // compositing. The tolerance: no channel off by more than 3 levels but on at most 1.5 % of
  // the pixels (the edges of two outlines, their handles and the masks' borders are about
  // 1 %), and a mean difference below 0.5 of a level. A mask composited in the wrong place, a
  // missing overlay or the layer at the wrong frame fails both by far.
  const saved = path.join(outDir, 'session.json');
  const scenarioNow = JSON.parse(await page.evaluate(async () => (await fetch('api/scenario')).text()));
  scenarioNow.steps.push({ do: 'png', file: 'run.png', window: 'comp', time: 0 });
  fs.writeFileSync(path.join(outDir, 'compare.json'), JSON.stringify(scenarioNow));
  const ran = spawnSync(hostExe, ['run', path.join(outDir, 'compare.json'), '--out', outDir, '--quiet'],
                        { encoding: 'utf8' });
  assert.equal(ran.status, 0, ran.stderr);
  const png = fs.readFileSync(path.join(outDir, 'run.png')).toString('base64');
  const diff = await page.evaluate(async (b64) => {
    const bytes = Uint8Array.from(atob(b64), (c) => c.charCodeAt(0));
    const image = await createImageBitmap(new Blob([bytes], { type: 'image/png' }));
    const canvas = document.getElementById('picture');
    const off = new OffscreenCanvas(image.width, image.height);
    off.getContext('2d').drawImage(image, 0, 0);
    const want = off.getContext('2d').getImageData(0, 0, image.width, image.height).data;
    const have = canvas.getContext('2d').getImageData(0, 0, canvas.width, canvas.height).data;
    let off3 = 0, sum = 0;
    for (let i = 0; i < want.length; i += 4) {
      let worst = 0;
      for (let k = 0; k < 3; ++k) {
        const d = Math.abs(want[i + k] - have[i + k]);
        sum += d;
        worst = Math.max(worst, d);
      }
      if (worst > 3) off3++;
    }
    return { size: [image.width, image.height, canvas.width, canvas.height],
             off: off3 / (want.length / 4), mean: sum / (want.length / 4 * 3) };
  }, png);
  assert.deepEqual(diff.size.slice(0, 2), diff.size.slice(2), 'the window at its own size');
  assert.ok(diff.off <= 0.015 && diff.mean < 0.5, `the page's picture is run's: ${JSON.stringify(diff)}`);

  // Ctrl+Z undoes in the project, not in the field being typed in; Ctrl+Shift+Z redoes.
  const drags = (await state()).history.length;
  await field('Height 1').fill('77');
  await page.keyboard.press('Control+z');
  await idle();
  assert.equal((await state()).history.length, drags - 1, 'Ctrl+Z took an entry back');
  assert.equal(await value('Width 1'), w2, 'the last drag is undone');
  assert.equal(await field('Height 1').inputValue(), String(await value('Height 1')),
               'the field shows the project, not the text typed');
  await page.keyboard.press('Control+Shift+Z');
  await idle();
  assert.equal(await value('Width 1'), w2 + 2 * ((120 * 7) % 41), 'Ctrl+Shift+Z redid it');

  // Clicking a history entry goes back to it in one step: here to the second Create.
  const history = (await state()).history;
  const created = history.map((e) => e.name).lastIndexOf('Create Masks');
  const stepsBefore = (await state()).steps;
  await page.locator(`#history .entry[data-number="${created + 1}"]`).click();
  await idle();
  const back = await state();
  assert.equal(back.history.length, created + 2, 'the Create and the render after it');
  assert.equal(back.steps, stepsBefore + 1, 'one step');
  assert.equal(await value('Width 1'), 640, 'the rectangle as Create made it');
  await page.locator('#history .entry.undone').last().click();
  await idle();
  assert.equal((await state()).history.length, history.length, 'and forward again');

  // Scrubbing a value: the label dragged sideways, one step at the release.
  const before = await value('Angle 1');
  const label = await control('Angle 1').locator('label').boundingBox();
  const scrubSteps = (await state()).steps;
  await page.mouse.move(label.x + 20, label.y + label.height / 2);
  await page.mouse.down();
  for (let i = 1; i <= 5; ++i) await page.mouse.move(label.x + 20 + 3 * i, label.y + label.height / 2);
  await page.mouse.up();
  await idle();
  assert.equal(await value('Angle 1'), before + 15);
  assert.equal((await state()).steps, scrubSteps + 1, 'one set for the whole scrub');

  const on = control('On').locator('input');
  await on.uncheck();
  await idle();
  assert.equal(await value('On'), false);
  assert.equal(await page.locator('#note').isVisible(), true, 'the window says why no handles show');
  await on.check();
  await idle();
  assert.equal(await page.locator('#note').isVisible(), false);
  await page.screenshot({ path: path.join(outDir, 'play-after-drag.png') });

  await control('Bake Masks').locator('button').click();
  await page.locator('#info', { hasText: 'Completed' }).waitFor();
  await idle();

  const [download] = await Promise.all([page.waitForEvent('download'), page.click('#save')]);
  await download.saveAs(saved);
  const scenario = JSON.parse(fs.readFileSync(saved, 'utf8'));
  const dragSteps = scenario.steps.filter((s) => s.do === 'drag');
  assert.equal(dragSteps.length, 2, 'each drag is one step');
  assert.equal(dragSteps[0].points.length, 4, 'press, two moves, release');
  assert.ok(scenario.steps.some((s) => s.do === 'undo' && s.count > 1), 'the history click is a step');

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
  assert.deepEqual(errors, [], 'no script errors on the page, no 403 at its load');
  assert.equal(refusals, 3, 'the three typed mistakes');

  await page.click('#close');
  await page.locator('#ended').waitFor();
  const { code, out } = await server.exit;
  assert.equal(code, 0, out);
  assert.doesNotMatch(out, /problem:/);

  // The server gone without a word from the page (Ctrl-C): the page says so by itself.
  const second = startServer(scenarioPath);
  const page2 = await context.newPage();
  await page2.goto(await second.url);
  await page2.evaluate(() => window.orvanePlay.idle());
  second.child.kill('SIGINT');
  const started = Date.now();
  await page2.locator('#ended').waitFor({ timeout: 2500 });
  assert.match(await page2.locator('#ended').textContent(), /session has ended/);
  const ctrlC = await second.exit;
  assert.equal(ctrlC.code, 0, ctrlC.out);
  console.log(`ok: ${scenario.steps.length} steps saved and replayed; the picture is run's ` +
              `(${(100 * diff.off).toFixed(2)} % of pixels on edges, mean ${diff.mean.toFixed(3)}); ` +
              `the end seen in ${Date.now() - started} ms; screenshots in ${outDir}`);
} finally {
  await browser.close();
  server.child.kill('SIGTERM');
}
