// The Effect Controls panel: one row per parameter the effect registered, in its order, inside
// the twirl-downs of the effect's own groups, shown and hidden as the module's UI update left
// them. Editing a row sends the step the user's edit is; the host decides whether it holds.

const hex = (n) => Math.round(n).toString(16).padStart(2, '0');
// Numbers as the panel shows them: to a thousandth (the project keeps them whole).
export const shown = (x) => (Number.isInteger(x) ? String(x) : String(Number(x.toFixed(3))));

// What the person typed, as a step's value: a finite number, or the text itself, which the host
// refuses with its own message (a mistake never becomes a zero).
export function typed(text) {
  const t = text.trim();
  const n = Number(t);
  return t !== '' && Number.isFinite(n) && /^[-+]?(\d+\.?\d*|\.\d+)(e[-+]?\d+)?$/i.test(t) ? n : t;
}

// A number field that shows the project's value and sends what is typed on Enter or on leaving
// it; Escape, or a refusal, puts the project's value back (the page redraws from the state).
// Dragging the label sideways scrubs it: the field follows the mouse, and the release sends
// one step.
function numberField(value, integer, onCommit) {
  const input = document.createElement('input');
  input.type = 'text';
  input.inputMode = 'decimal';
  input.spellcheck = false;
  input.className = 'number';
  input.value = shown(value);
  input.dataset.project = input.value;
  const commit = () => {
    if (input.value === input.dataset.project) return;
    onCommit(typed(input.value));
  };
  input.addEventListener('change', commit);
  input.addEventListener('keydown', (e) => {
    if (e.key === 'Enter') { e.preventDefault(); commit(); input.select(); }
    if (e.key === 'Escape') { input.value = input.dataset.project; input.select(); }
  });
  input.scrub = (delta) => {
    const base = Number(input.dataset.project);
    const next = integer ? Math.round(base + delta) : Number((base + delta).toFixed(3));
    input.value = shown(next);
    return next;
  };
  return input;
}

// Dragging `handle` sideways changes `fields` by a unit a pixel (a tenth with Ctrl or Cmd, ten
// with Shift), shown at once; one step is sent at the release, none when nothing moved.
function scrubbable(handle, fields, commit) {
  handle.classList.add('scrub');
  handle.addEventListener('pointerdown', (down) => {
    if (down.button !== 0 || fields.some((f) => f.disabled)) return;
    down.preventDefault();
    handle.setPointerCapture(down.pointerId);
    let moved = false;
    let values = null;
    const move = (e) => {
      const step = e.shiftKey ? 10 : e.ctrlKey || e.metaKey ? 0.1 : 1;
      const delta = Math.round(e.clientX - down.clientX) * step;
      if (delta === 0 && !moved) return;
      moved = true;
      values = fields.map((f, i) => (i === 0 || fields.length === 1 ? f.scrub(delta) : f.scrub(0)));
    };
    const up = () => {
      handle.removeEventListener('pointermove', move);
      handle.removeEventListener('pointerup', up);
      handle.removeEventListener('pointercancel', up);
      if (moved && values) commit(values.length === 1 ? values[0] : values);
    };
    handle.addEventListener('pointermove', move);
    handle.addEventListener('pointerup', up);
    handle.addEventListener('pointercancel', up);
  });
}

// The widget of one control; `commit(value)` sends the new value.
function widget(control, masks, commit, press, label) {
  const v = control.value;
  switch (control.kind) {
    case 'button': {
      const b = document.createElement('button');
      b.textContent = control.text || control.name;
      b.addEventListener('click', press);
      return b;
    }
    case 'checkbox': {
      const c = document.createElement('input');
      c.type = 'checkbox';
      c.checked = !!v;
      c.addEventListener('change', () => commit(c.checked));
      return c;
    }
    case 'point': {
      const pair = document.createElement('span');
      pair.className = 'pair';
      const both = () => [typed(x.value), typed(y.value)];
      const x = numberField(v[0], false, () => commit(both()));
      const y = numberField(v[1], false, () => commit(both()));
      pair.append(x, y);
      scrubbable(label, [x, y], (values) => commit(values));
      return pair;
    }
    case 'colour': {
      const c = document.createElement('input');
      c.type = 'color';
      c.value = `#${hex(v[1])}${hex(v[2])}${hex(v[3])}`;
      c.addEventListener('change', () => {
        const n = parseInt(c.value.slice(1), 16);
        commit([v[0], (n >> 16) & 255, (n >> 8) & 255, n & 255]);
      });
      return c;
    }
    case 'mask': {
      const s = document.createElement('select');
      const options = [[0, 'None'], ...masks.map((m) => [m.id, `Mask ${m.index + 1} (id ${m.id})`])];
      for (const [id, text] of options) s.add(new Option(text, id, false, id === v));
      if (!options.some(([id]) => id === v)) s.add(new Option(`id ${v}`, v, false, true));
      s.addEventListener('change', () => commit(Number(s.value)));
      return s;
    }
    case 'number':
    case 'integer': {
      const field = numberField(v, control.kind === 'integer', commit);
      scrubbable(label, [field], commit);
      return field;
    }
    default:
      return document.createElement('span');
  }
}

// What the panel's rows are, apart from their values: when only values change (a drag), the
// rows stay and their fields are brought up to date.
function layoutKey(state) {
  return JSON.stringify([state.applied, state.masks.map((m) => m.id),
                         state.controls.map((c) => [c.name, c.kind, c.hidden, (c.keys || []).length])]);
}

let rows = new Map();  // name -> the row showing it
let shownLayout = null;
// Twirl-downs the person closed (or opened), by group name; "Masks", the links of the slots to
// their masks, starts closed so that "On" and the slots in use are in sight.
const twirled = new Map([['Masks', false]]);

// Brings every field up to the project's value, but the one being typed in.
export function updateValues(values) {
  for (const [name, v] of Object.entries(values)) {
    const row = rows.get(name);
    if (!row) continue;
    const fields = row.querySelectorAll('input, select');
    if (!fields.length) continue;
    const kind = row.dataset.kind;
    const put = (f, text) => {
      f.dataset.project = text;
      if (f !== document.activeElement) f.value = text;
    };
    if (kind === 'point') {
      fields.forEach((f, i) => put(f, shown(v[i])));
    } else if (kind === 'checkbox') {
      fields[0].checked = !!v;
    } else if (kind === 'colour') {
      fields[0].value = `#${hex(v[1])}${hex(v[2])}${hex(v[3])}`;
    } else if (kind === 'mask') {
      fields[0].value = v;
    } else {
      put(fields[0], shown(v));
    }
  }
}

// Puts the project's value back in every field (a refused entry, an undo from the keyboard).
export function restoreFields() {
  for (const f of document.querySelectorAll('#controls input.number')) f.value = f.dataset.project;
}

function valuesOf(state) {
  const values = {};
  for (const c of state.controls) if ('value' in c) values[c.name] = c.value;
  return values;
}

// Rebuilt when the rows change, otherwise updated; the row under edit keeps its focus by name.
export function renderControls(root, state, actions) {
  const layout = layoutKey(state);
  actions.current = state;
  if (layout === shownLayout) return updateValues(valuesOf(state));
  shownLayout = layout;
  const focused = document.activeElement?.closest?.('.control')?.dataset.name;
  root.replaceChildren();
  rows = new Map();
  if (!state.applied) {
    const apply = document.createElement('button');
    apply.textContent = 'Apply OrvaneTavolin';
    apply.addEventListener('click', () => actions.step({ do: 'apply' }));
    root.append(apply);
    return;
  }
  // The groups open at this row, innermost last; a row is shown when all of them are open.
  const open = [];
  let parent = root;
  const parents = [root];
  for (const control of state.controls) {
    if (control.kind === 'group_end') {
      if (open.length) { open.pop(); parents.pop(); parent = parents[parents.length - 1]; }
      continue;
    }
    if (control.kind === 'none') continue;
    if (control.kind === 'group') {
      const group = document.createElement('details');
      group.className = 'group';
      group.hidden = control.hidden;
      group.open = twirled.get(control.name) ?? true;
      group.addEventListener('toggle', () => twirled.set(control.name, group.open));
      const summary = document.createElement('summary');
      summary.textContent = control.name;
      group.append(summary);
      parent.append(group);
      open.push(control.name);
      parents.push(group);
      parent = group;
      continue;
    }
    if (control.hidden) continue;
    const row = document.createElement('div');
    row.className = 'control';
    row.dataset.name = control.name;
    row.dataset.kind = control.kind;
    rows.set(control.name, row);
    const label = document.createElement('label');
    label.textContent = control.name;
    label.title = control.name + (control.unit ? ` (${control.unit})` : '') +
        (control.range ? `, ${control.range[0]} to ${control.range[1]}` : '');
    row.append(label);
    const commit = (value) => actions.step({ do: 'set', param: control.name, value });
    const press = () => actions.step({ do: 'press', param: control.name });
    row.append(widget(control, state.masks, commit, press, label));
    if (control.animatable) {
      // A keyframe at the current time with the value shown.
      const key = document.createElement('button');
      key.className = 'key' + (control.keys.length ? ' on' : '');
      key.textContent = '\u25c6';
      key.title = `Add a keyframe to ${control.name} at the current time`;
      key.addEventListener('click', () => {
        const now = actions.current;
        const value = now.controls.find((c) => c.name === control.name).value;
        actions.step({ do: 'key', param: control.name, time: now.time, value });
      });
      row.append(key);
    } else {
      row.append(document.createElement('span'));
    }
    parent.append(row);
    if (control.name === focused) row.querySelector('input, select, button')?.focus();
  }
}
