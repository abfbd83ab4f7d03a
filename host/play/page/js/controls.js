// The Effect Controls panel: one row per parameter the effect registered, shown and hidden as
// the module's UI update left them. Editing a row sends the step the user's edit is.

const hex = (n) => Math.round(n).toString(16).padStart(2, '0');

function numberInput(value, range, integer, onCommit) {
  const input = document.createElement('input');
  input.type = 'number';
  input.step = integer ? '1' : 'any';
  if (range) { input.min = range[0]; input.max = range[1]; }
  input.value = value;
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

// Rebuilt from each state; the row under edit keeps its focus by name.
export function renderControls(root, state, actions) {
  const focused = document.activeElement?.closest?.('.control')?.dataset.name;
  root.replaceChildren();
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
        key.addEventListener('click', () =>
          actions.step({ do: 'key', param: control.name, time: state.time, value: control.value }));
        row.append(key);
      }
    }
    root.append(row);
    if (control.name === focused) row.querySelector('input, select, button')?.focus();
  }
}
