// The History panel, as the application's: the session's start, every entry oldest first, and
// greyed below the current one what Redo would give back. An entry a render made (its live
// update) is shown under the entry it follows and is part of it: clicking either goes to the
// state after both, in one command (an "undo" or "redo" step with the count of entries
// crossed), so the render that follows has nothing left to redo. A drag's entry names the
// render groups it took in, so a minute of dragging stays one line.

let shown = '';

// The entries as the panel groups them: each of the person's with the render entries after it.
function groups(entries) {
  const out = [];
  entries.forEach((entry, i) => {
    if (entry.by_render && out.length) out[out.length - 1].push(i);
    else out.push([i]);
  });
  return out;
}

function item(entry, className, number) {
  const li = document.createElement('li');
  li.className = 'entry' + (entry.by_render ? ' by-render' : '') + className;
  li.textContent = entry.name;
  if (number) li.dataset.number = number;
  if (entry.by_render) li.title = 'made by the render that followed';
  for (const [name, count] of entry.joined || []) {
    const sub = document.createElement('span');
    sub.className = 'joined';
    sub.textContent = count > 1 ? `${name} \u00d7${count}` : name;
    li.append(sub);
  }
  return li;
}

export function renderHistory(el, state, go) {
  const history = state.history || [];
  const redo = state.redo || [];
  const key = JSON.stringify([history, redo]);
  if (key === shown) return;
  shown = key;
  const items = [];
  const start = item({ name: 'Session start' }, ' start');
  start.title = 'Go back to before the first entry';
  if (history.length) start.addEventListener('click', () => go({ do: 'undo', count: history.length }));
  items.push(start);
  const done = groups(history);
  done.forEach((group, g) => {
    const last = group[group.length - 1];
    const current = g === done.length - 1;
    for (const i of group) {
      const li = item(history[i], current ? ' current' : '', i + 1);
      if (!current) li.addEventListener('click', () => go({ do: 'undo', count: history.length - 1 - last }));
      items.push(li);
    }
  });
  // Redo's entries, next first, as the panel lists them after the current one.
  for (const group of groups(redo)) {
    const last = group[group.length - 1];
    for (const j of group) {
      const li = item(redo[j], ' undone');
      li.title = 'Redo up to here';
      li.addEventListener('click', () => go({ do: 'redo', count: last + 1 }));
      items.push(li);
    }
  }
  el.replaceChildren(...items);
  el.querySelector('.current')?.scrollIntoView({ block: 'nearest' });
}
