// The server's API. The page lives at /<token>/, so every relative address below carries the
// session's token; nothing else identifies the page to the server.

// The server is gone (Ctrl-C, the process ended): a fetch that cannot connect.
export class SessionGone extends Error {}

async function send(path, options) {
  try {
    return await fetch(path, options);
  } catch (e) {
    throw new SessionGone('the session has ended: the server no longer answers');
  }
}

async function call(method, path, body) {
  const response = await send(path, {
    method,
    headers: body === undefined ? {} : { 'Content-Type': 'application/json' },
    body: body === undefined ? undefined : JSON.stringify(body),
  });
  if (response.status === 410) throw new SessionGone('the session has ended');
  const answer = await response.json();
  if (!response.ok && answer.error === undefined) answer.error = `HTTP ${response.status}`;
  return answer;
}

export const getState = () => call('GET', 'api/state');
// One scenario step, as orvane-host run plays it; the answer is the state, with "error" set
// when the step was refused.
export const sendStep = (step) => call('POST', 'api/step', step);
// The three phases of a live drag: the server records them as one "drag" step. The press and
// the moves answer with the window as it is now and every parameter's value; the release with
// the whole state and the window (its "picture").
export const mouseDown = (window, time, point) =>
  call('POST', 'api/mouse/down', { window, time, points: [point] });
export const mouseMove = (point) => call('POST', 'api/mouse/move', { point });
export const mouseUp = (point) => call('POST', 'api/mouse/up', { point });
export const closeSession = () => call('POST', 'api/close');
// The window as the page draws it: the module's draw event at `time`, the masks' outlines and
// where the layer's pixels go.
export const view = (window, time) => call('GET', `api/view?window=${window}&time=${time}`);

// Whether the session goes on; false once it has ended or the server is gone.
export async function alive() {
  try {
    const response = await fetch('api/alive', { cache: 'no-store' });
    return response.ok;
  } catch (e) {
    return false;
  }
}

// The layer alone in a window at a time, placed as the window shows it, decoded.
export async function frame(window, time) {
  const response = await send(`api/frame?window=${window}&time=${time}`);
  if (!response.ok) throw new Error((await response.json()).error);
  return createImageBitmap(await response.blob());
}

export async function scenarioText() {
  const response = await send('api/scenario');
  return response.text();
}
