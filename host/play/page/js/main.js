// The page: it keeps the state the server last sent, shows it, and turns what the user does
// into scenario steps. The project and the module live in the server; nothing here decides
// what an action does.
import * as api from './api.js';
import { renderControls } from './controls.js';
import { renderTimeline } from './timeline.js';

const $ = (id) => document.getElementById(id);
const els = {
  controls: $('controls'), picture: $('picture'), zoom: $('zoom'), info: $('info'),
  history: $('history'), session: $('session'), problems: $('problems'), time: $('time'),
  workArea: $('work-area'), marks: $('marks'), timecode: $('timecode'),
};

let state = null;
let windowKind = 'comp';
let shownTime = 0;   // the time the picture shows; the project's moves with "render" steps
let lastError = '';
let closedReport = null;
// Each mouse move's time, until the picture that follows it is on screen (read by the
// benchmark in bench/).
const latency = [];
window.orvanePlay = { latency, state: () => state, idle: () => idle() };

// A list that only grows in the usual case (the undo history gains an entry at every frame a
// drag renders): new lines are added, and it is rebuilt only when it changed otherwise.
function list(el, lines) {
  const item = (line) => Object.assign(document.createElement('li'), { textContent: line });
  const n = el.children.length;
  if (n > lines.length || (n > 0 && el.children[n - 1].textContent !== lines[n - 1])) {
    el.replaceChildren(...lines.map(item));
  } else if (n < lines.length) {
    el.append(...lines.slice(n).map(item));
    el.parentElement.scrollTop = el.parentElement.scrollHeight;  // the newest in sight
  }
}

function render() {
  renderControls(els.controls, state, { step });
  list(els.info, state.info);
  list(els.history, state.undo);
  renderTimeline(els, state, shownTime);
  els.session.textContent = `${state.steps} steps recorded` +
      (state.mouse_down ? ' · mouse down' : '');
  const problems = [...state.problems.map((p) => `problem: ${p}`), ...state.errors];
  if (lastError) problems.unshift(lastError);
  if (closedReport !== null) problems.unshift(`session ended\n${closedReport}`);
  els.problems.hidden = problems.length === 0;
  els.problems.textContent = problems.join('\n');
  // Undo and redo are steps like any other: the buttons work once the host knows the steps.
  $('undo').disabled = !state.step_names.includes('undo');
  $('redo').disabled = !state.step_names.includes('redo');
  const [w, h] = state.windows[windowKind];
  const zoom = Number(els.zoom.value);
  els.picture.style.width = `${w * zoom}px`;
  els.picture.style.height = `${h * zoom}px`;
}

// Pictures are asked for one at a time; a change while one is on its way asks for one more.
let pictureBusy = null;
let pictureAgain = false;
let waiting = [];   // latency entries the next picture ends
async function refreshPicture() {
  if (pictureBusy) { pictureAgain = true; return pictureBusy; }
  pictureBusy = (async () => {
    do {
      pictureAgain = false;
      const ends = waiting;
      waiting = [];
      try {
        const blob = await api.picture(windowKind, shownTime);
        const url = URL.createObjectURL(blob);
        const old = els.picture.src;
        els.picture.src = url;
        await els.picture.decode();
        if (old) URL.revokeObjectURL(old);
        const now = performance.now();
        for (const start of ends) latency.push(now - start);
      } catch (e) {
        lastError = String(e.message || e);
      }
    } while (pictureAgain);
    pictureBusy = null;
  })();
  return pictureBusy;
}

function take(next) {
  lastError = next.error || '';
  if (next.controls) state = next;
  if (!state) return;
  render();
  refreshPicture();
}

// Actions go to the server in the order they happen.
let queue = Promise.resolve();
function enqueue(work) {
  queue = queue.then(work).catch((e) => { lastError = String(e.message || e); render(); });
  return queue;
}
async function idle() { await queue; await pictureBusy; }

function step(s) { return enqueue(async () => take(await api.sendStep(s))); }

// The window's pixels under the pointer: the picture is the window at the view's zoom, shown
// at the page's zoom.
function windowPoint(event) {
  const rect = els.picture.getBoundingClientRect();
  const zoom = Number(els.zoom.value);
  return [Math.round((event.clientX - rect.left) / zoom), Math.round((event.clientY - rect.top) / zoom)];
}

let dragging = false;
els.picture.addEventListener('pointerdown', (event) => {
  if (!state?.applied || event.button !== 0 || closedReport !== null) return;
  dragging = true;
  els.picture.setPointerCapture(event.pointerId);
  const point = windowPoint(event);
  enqueue(async () => take(await api.mouseDown(windowKind, shownTime, point)));
});
els.picture.addEventListener('pointermove', (event) => {
  if (!dragging) return;
  const start = performance.now();
  const point = windowPoint(event);
  enqueue(async () => {
    const next = await api.mouseMove(point);
    waiting.push(start);
    take(next);
  });
});
function release(event) {
  if (!dragging) return;
  dragging = false;
  const point = windowPoint(event);
  enqueue(async () => take(await api.mouseUp(point)));
}
els.picture.addEventListener('pointerup', release);
els.picture.addEventListener('pointercancel', release);

// Scrubbing shows the frame at once; the time the project moves to is a "render" step, as the
// application renders the frame the user stops at.
function goTo(time, commit) {
  const { duration, fps } = state.comp;
  shownTime = Math.min(Math.max(Math.round(time * fps) / fps, 0), duration);
  renderTimeline(els, state, shownTime);
  if (commit && state.applied) step({ do: 'render', time: shownTime });
  else refreshPicture();
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
    refreshPicture();
  });
}
els.zoom.addEventListener('change', render);
$('undo').addEventListener('click', () => step({ do: 'undo' }));
$('redo').addEventListener('click', () => step({ do: 'redo' }));

$('save').addEventListener('click', async () => {
  const text = await api.scenarioText();
  const link = document.createElement('a');
  link.href = URL.createObjectURL(new Blob([text], { type: 'application/json' }));
  link.download = 'session.json';
  link.click();
  setTimeout(() => URL.revokeObjectURL(link.href), 1000);
});
$('close').addEventListener('click', () => enqueue(async () => {
  const answer = await api.closeSession();
  closedReport = answer.report || '(no problems)';
  for (const b of document.querySelectorAll('button, input, select')) b.disabled = true;
  render();
}));

enqueue(async () => {
  const first = await api.getState();
  shownTime = first.time;
  take(first);
});
