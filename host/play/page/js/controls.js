// The Effect Controls panel: one row per parameter the effect registered, shown and hidden as
// the module's UI update left them. Editing a row sends the step the user's edit is.

const hex = (n) => Math.round(n).toString(16).padStart(2, '0');
// Numbers as the panel shows them: to a thousandth (the project keeps them whole).
const shown = (x) => (Number.isInteger(x) ? x : Number(x.toFixed(3)));

function numberInput(value, range, integer, onCommit) {
  const input = document.createElement('input');
  input.type = 'number';
  input.step = integer ? '1' : 'any';
  if (range) { input.min = range[0]; input.max = range[1]; }
  input.value = shown(value);
  input.addEventListener('change', () => onCommit(Number(input.value)));
  return input;
}

// The widget of one control; `commit(value)` sends the new value.
function widget(control, masks, commit, press) {
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
      const x = numberInput(v[0], null, false, () => commit([Number(x.value), Number(y.value)]));
      const y = numberInput(v[1], null, false, () => commit([Number(x.value), Number(y.value)]));
      pair.append(x, y);
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
    case 'integer':
      return numberInput(v, control.range, control.kind === 'integer', commit);
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

function updateValues(state) {
  for (const control of state.controls) {
    const row = rows.get(control.name);
    if (!row || !('value' in control)) continue;
    const v = control.value;
    const fields = row.querySelectorAll('input, select');
    if (control.kind === 'point') {
      fields.forEach((f, i) => { if (f !== document.activeElement) f.value = shown(v[i]); });
    } else if (control.kind === 'checkbox') {
      fields[0].checked = !!v;
    } else if (control.kind === 'colour') {
      fields[0].value = `#${hex(v[1])}${hex(v[2])}${hex(v[3])}`;
    } else if (control.kind === 'mask') {
      fields[0].value = v;
    } else if (fields[0] && fields[0] !== document.activeElement) {
      fields[0].value = shown(v);
    }
  }
}

let shownLayout = null;

// Rebuilt when the rows change, otherwise updated; the row under edit keeps its focus by name.
export function renderControls(root, state, actions) {
  const layout = layoutKey(state);
  if (layout === shownLayout) {
    actions.current = state;
    return updateValues(state);
  }
  shownLayout = layout;
  actions.current = state;
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
  for (const control of state.controls) {
    if (control.hidden || control.kind === 'group_end' || control.kind === 'none') continue;
    const row = document.createElement('div');
    row.className = 'control' + (control.kind === 'group' ? ' group' : '');
    row.dataset.name = control.name;
    rows.set(control.name, row);
    const label = document.createElement('label');
    label.textContent = control.name;
    label.title = control.name + (control.unit ? ` (${control.unit})` : '');
    row.append(label);
    if (control.kind !== 'group') {
      const commit = (value) => actions.step({ do: 'set', param: control.name, value });
      const press = () => actions.step({ do: 'press', param: control.name });
      row.append(widget(control, state.masks, commit, press));
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
      }
    }
    root.append(row);
    if (control.name === focused) row.querySelector('input, select, button')?.focus();
  }
}
