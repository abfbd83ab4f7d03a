// The page: it keeps the state the server last sent, shows it, and turns what the person does
// into scenario steps. The project and the module live in the server; nothing here decides
// what an action does.
import * as api from './api.js';
import { drawWindow } from './canvas.js';
import { renderControls, restoreFields, updateValues } from './controls.js';
import { renderHistory } from './history.js';
import { renderTimeline } from './timeline.js';

const $ = (id) => document.getElementById(id);
const els = {
  controls: $('controls'), canvas: $('picture'), zoom: $('zoom'), info: $('info'),
  history: $('history'), session: $('session'), problems: $('problems'), time: $('time'),
  workArea: $('work-area'), marks: $('marks'), timecode: $('timecode'), window: $('window'),
  note: $('note'), ended: $('ended'),
};

let state = null;
let view = null;        // the window as last drawn: api.view's answer
let windowKind = 'comp';
let shownTime = 0;      // the time the window shows; the project's moves with "render" steps
let lastError = '';
let ended = null;       // why the session ended, once it has
// The page's measures, read by the benchmark and the browser test: each pointer move's time to
// the frame on screen that shows it (or a later position), and each scrubbed time's.
const latency = [];
const scrubLatency = [];
window.orvanePlay = {
  latency, scrubLatency, state: () => state, view: () => view, idle: () => idle(),
  scale: () => scale(),
};

// The layer as windows placed it, decoded, by what decides it (the window, the layer's frame
// and where it lies), the last few kept.
const frames = new Map();
// The picture asked for at the same time as the window's view, when scrubbing to a new time.
let ahead = null;
async function layerFrame(v) {
  const n = JSON.stringify([v.window, v.size, v.layer.frame, v.layer.matrix]);
  if (!frames.has(n)) {
    const early = ahead && ahead.window === v.window && ahead.time === v.time ? ahead.picture : null;
    frames.set(n, early || api.frame(v.window, v.time));
    if (frames.size > 8) frames.delete(frames.keys().next().value);
  }
  return frames.get(n);
}

// Page pixels a window pixel: the menu speaks in composition (or layer) percent, and the
// module's view has its own zoom, which the page never changes (window points keep their
// meaning in the saved scenario). Fit: the whole window, as large as the panel allows.
function windowSize() { return state?.windows[windowKind].size || [1, 1]; }
function scale() {
  const zoom = state?.view.zoom || 1;
  if (els.zoom.value !== 'fit') return Number(els.zoom.value) / zoom;
  const [w, h] = windowSize();
  const box = els.window.getBoundingClientRect();
  return Math.max(0.01, Math.min((box.width - 2) / w, (box.height - 2) / h));
}
function showFit() {
  const option = els.zoom.querySelector('option[value="fit"]');
  const percent = Math.round(scale() * (state?.view.zoom || 1) * 100);
  option.textContent = els.zoom.value === 'fit' ? `Fit (${percent}%)` : 'Fit';
}

// The canvas pixels in sight in the window's panel.
function visible() {
  const c = els.canvas.getBoundingClientRect(), w = els.window.getBoundingClientRect();
  const x = Math.max(0, Math.floor(w.left - c.left)), y = Math.max(0, Math.floor(w.top - c.top));
  return [x, y, Math.ceil(Math.min(c.right, w.right) - c.left) - x,
          Math.ceil(Math.min(c.bottom, w.bottom) - c.top) - y];
}

async function paint(v, started) {
  const layer = await layerFrame(v);
  view = v;
  drawWindow(els.canvas, v, layer, scale(), visible);
  showFit();
  const now = performance.now();
  for (const t of started) latency.push(now - t);
}

// Asks for the window at the shown time, one request at a time; a change meanwhile asks again.
let viewBusy = null;
let viewAgain = false;
function refreshView() {
  if (viewBusy) { viewAgain = true; return viewBusy; }
  viewBusy = (async () => {
    do {
      viewAgain = false;
      const t = shownTime, asked = performance.now();
      try {
        // A time the window has not shown yet most likely shows another frame of the layer:
        // its picture is asked for beside the view rather than after it.
        if (view && view.time !== t) {
          ahead = { window: windowKind, time: t, picture: api.frame(windowKind, t) };
          ahead.picture.catch(() => {});  // whoever uses it hears of a failure
        }
        const v = await api.view(windowKind, t);
        if (v.error) throw new Error(v.error);
        await paint(v, []);
        if (scrubbing === t) scrubLatency.push(performance.now() - asked);
      } catch (e) {
        fail(e);
      }
    } while (viewAgain);
    viewBusy = null;
  })();
  return viewBusy;
}

function list(el, lines) {
  el.replaceChildren(...lines.map((line) =>
    Object.assign(document.createElement('li'), { textContent: line })));
  el.parentElement.scrollTop = el.parentElement.scrollHeight;  // the newest in sight
}

let shownInfo = '';
function render() {
  renderControls(els.controls, state, { step });
  const info = JSON.stringify(state.info);
  if (info !== shownInfo) { shownInfo = info; list(els.info, state.info); }
  renderHistory(els.history, state, step);
  renderTimeline(els, state, shownTime);
  els.session.textContent = `${state.steps} steps recorded` +
      (state.mouse_down ? ' · mouse down' : '');
  const problems = [...state.problems.map((p) => `problem: ${p}`), ...state.errors];
  if (lastError) problems.unshift(lastError);
  els.problems.hidden = problems.length === 0;
  els.problems.textContent = problems.join('\n');
  const on = state.controls.find((c) => c.name === 'On');
  els.note.hidden = !(state.applied && on && on.value === false);
  const size = state.windows[windowKind];
  if (size.error) els.problems.textContent = size.error, els.problems.hidden = false;
  $('undo').disabled = !(state.history || []).length;
  $('redo').disabled = !(state.redo || []).length;
}

function fail(e) {
  if (e instanceof api.SessionGone) return end(e.message);
  lastError = String(e.message || e);
  if (state) render();
}

// The state an action's answer holds; a refusal's message is shown and every field shows the
// project's value again.
function take(next) {
  lastError = next.error || '';
  if (next.error) restoreFields();
  if (next.controls) state = next;
  if (!state) return;
  render();
  if (next.picture) paint(next.picture, []);
  else refreshView();
}

// Actions go to the server in the order they happen.
let queue = Promise.resolve();
function enqueue(work) {
  queue = queue.then(work).catch(fail);
  return queue;
}
async function idle() { await queue; await drag.done; await viewBusy; }

function step(s) {
  if (ended) return queue;
  return enqueue(async () => take(await api.sendStep(s)));
}

// The window's pixels under the pointer.
function windowPoint(event) {
  const rect = els.canvas.getBoundingClientRect();
  const s = scale();
  return [Math.round((event.clientX - rect.left) / s), Math.round((event.clientY - rect.top) / s)];
}

// A drag keeps up with the hand: one move is on its way at a time, and when its answer is drawn
// the latest position goes next; positions in between are never sent. The release waits for
// the move on its way and goes with the pointer's last position.
const drag = { down: false, sending: false, latest: null, since: [], done: Promise.resolve() };
function sendMoves() {
  if (drag.sending || !drag.latest) return;
  drag.sending = true;
  drag.done = enqueue(async () => {
    while (drag.latest) {
      const point = drag.latest, started = drag.since;
      drag.latest = null;
      drag.since = [];
      const answer = await api.mouseMove(point);
      if (answer.error) { take(answer); drag.down = false; break; }
      updateValues(answer.values);
      await paint(answer.picture, started);
    }
  }).finally(() => { drag.sending = false; });
}

els.canvas.addEventListener('pointerdown', (event) => {
  if (!state?.applied || event.button !== 0 || ended) return;
  drag.down = true;
  drag.latest = null;
  drag.since = [];
  els.canvas.setPointerCapture(event.pointerId);
  const point = windowPoint(event);
  enqueue(async () => {
    const answer = await api.mouseDown(windowKind, shownTime, point);
    if (answer.error) { drag.down = false; return take(answer); }
    updateValues(answer.values);
    await paint(answer.picture, []);
  });
});
els.canvas.addEventListener('pointermove', (event) => {
  if (!drag.down) return;
  drag.latest = windowPoint(event);
  drag.since.push(performance.now());
  sendMoves();
});
function release(event) {
  if (!drag.down) return;
  drag.down = false;
  drag.latest = null;
  const point = windowPoint(event), started = performance.now();
  enqueue(async () => {
    const answer = await api.mouseUp(point);
    take(answer);
    if (answer.picture) latency.push(performance.now() - started);
  });
}
els.canvas.addEventListener('pointerup', release);
els.canvas.addEventListener('pointercancel', release);

// Scrubbing shows the frame at once; the time the project moves to is a "render" step, as the
// application renders the frame the person stops at.
let scrubbing = null;
function goTo(time, commit) {
  const { duration, fps } = state.comp;
  shownTime = Math.min(Math.max(Math.round(time * fps) / fps, 0), duration);
  renderTimeline(els, state, shownTime);
  scrubbing = commit ? null : shownTime;
  if (commit && state.applied) step({ do: 'render', time: shownTime });
  else refreshView();
}
els.time.addEventListener('input', () => goTo(Number(els.time.value), false));
els.time.addEventListener('change', () => goTo(Number(els.time.value), true));
const frame = () => 1 / state.comp.fps;
$('first').addEventListener('click', () => goTo(state.comp.work_area[0], true));
$('prev').addEventListener('click', () => goTo(shownTime - frame(), true));
$('next').addEventListener('click', () => goTo(shownTime + frame(), true));
$('last').addEventListener('click', () =>
  goTo(state.comp.work_area[0] + state.comp.work_area[1] - frame(), true));

for (const tab of document.querySelectorAll('.tab')) {
  tab.addEventListener('click', () => {
    windowKind = tab.dataset.window;
    for (const t of document.querySelectorAll('.tab')) t.classList.toggle('selected', t === tab);
    render();
    refreshView();
  });
}
const redraw = () => refreshView();
els.zoom.addEventListener('change', redraw);
// Scrolling shows another part of the window: drawn from what the page has.
els.window.addEventListener('scroll', () => { if (view) paint(view, []); });
new ResizeObserver(() => { if (els.zoom.value === 'fit' && state) redraw(); }).observe(els.window);

// Undo and redo act on the project, wherever the focus is: a field being typed in gives its
// text up for the project's value, as the panels do in the application.
const undo = () => { restoreFields(); document.activeElement?.blur?.(); return step({ do: 'undo' }); };
const redo = () => { restoreFields(); document.activeElement?.blur?.(); return step({ do: 'redo' }); };
$('undo').addEventListener('click', undo);
$('redo').addEventListener('click', redo);
document.addEventListener('keydown', (e) => {
  if (!(e.ctrlKey || e.metaKey) || e.altKey) return;
  const key = e.key.toLowerCase();
  if (key === 'z' || (key === 'y' && !e.shiftKey)) {
    e.preventDefault();
    if (key === 'z' && !e.shiftKey) { if (!$('undo').disabled) undo(); } else if (!$('redo').disabled) redo();
  }
}, true);

$('save').addEventListener('click', async () => {
  const text = await api.scenarioText();
  const link = document.createElement('a');
  link.href = URL.createObjectURL(new Blob([text], { type: 'application/json' }));
  link.download = 'session.json';
  link.click();
  setTimeout(() => URL.revokeObjectURL(link.href), 1000);
});

// The session's end, however it came (End session, Ctrl-C, the process gone), is shown over
// the page and every control is disabled.
function end(why, report) {
  if (ended) return;
  ended = why;
  for (const b of document.querySelectorAll('button, input, select')) b.disabled = true;
  els.ended.hidden = false;
  els.ended.querySelector('p').textContent = why;
  els.ended.querySelector('pre').textContent = report || '';
}
$('close').addEventListener('click', () => enqueue(async () => {
  const answer = await api.closeSession();
  end('The session has ended (End session): the module had its global tear-down.',
      answer.report || 'No problems.');
}));
setInterval(async () => {
  if (!ended && !(await api.alive()))
    end('The session has ended: orvane-host play no longer answers (Ctrl-C, or the process ' +
        'ended). Its problems are printed where it ran.');
}, 1000);

enqueue(async () => {
  const first = await api.getState();
  shownTime = first.time;
  take(first);
});
