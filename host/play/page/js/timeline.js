// The timeline: the current time over the composition, the work area, the keyframes of animated
// parameters and masks, and frame stepping.

export function frameOf(time, fps) { return Math.round(time * fps); }

export function renderTimeline(els, state, shownTime) {
  const { duration, fps, work_area: [start, length] } = state.comp;
  els.time.max = duration;
  els.time.step = 1 / fps;
  els.time.value = shownTime;
  els.workArea.style.left = `${(100 * start) / duration}%`;
  els.workArea.style.width = `${(100 * length) / duration}%`;
  const times = new Set();
  for (const control of state.controls) for (const t of control.keys || []) times.add(t);
  for (const mask of state.masks) for (const t of mask.keys) times.add(t);
  els.marks.replaceChildren(...[...times].filter((t) => t >= 0 && t <= duration).map((t) => {
    const mark = document.createElement('span');
    mark.style.left = `${(100 * t) / duration}%`;
    mark.title = `keyframe at ${t.toFixed(3)} s`;
    return mark;
  }));
  els.timecode.textContent = `f ${frameOf(shownTime, fps)} \u00b7 ${shownTime.toFixed(2)} s`;
}
