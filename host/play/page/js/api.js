// The server's API. The page lives at /<token>/, so every relative address below carries the
// session's token; nothing else identifies the page to the server.

async function call(method, path, body) {
  const response = await fetch(path, {
    method,
    headers: body === undefined ? {} : { 'Content-Type': 'application/json' },
    body: body === undefined ? undefined : JSON.stringify(body),
  });
  const state = await response.json();
  if (!response.ok && state.error === undefined) state.error = `HTTP ${response.status}`;
  return state;
}

export const getState = () => call('GET', 'api/state');
// One scenario step, as orvane-host run plays it; the answer is the state, with "error" set
// when the step was refused.
export const sendStep = (step) => call('POST', 'api/step', step);
// The three phases of a live drag: the server records them as one "drag" step.
export const mouseDown = (window, time, point) =>
  call('POST', 'api/mouse/down', { window, time, points: [point] });
export const mouseMove = (point) => call('POST', 'api/mouse/move', { point });
export const mouseUp = (point) => call('POST', 'api/mouse/up', { point });
export const closeSession = () => call('POST', 'api/close');

export async function picture(window, time) {
  const response = await fetch(`api/picture?window=${window}&time=${time}`);
  if (!response.ok) throw new Error((await response.json()).error);
  return response.blob();
}

export async function scenarioText() {
  const response = await fetch('api/scenario');
  return response.text();
}
