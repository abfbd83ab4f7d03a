// Draws a window on a canvas as the host's pictures show it: the layer dimmed, the layer again
// through the union of its closed masks, then the operations of the module's draw event. Only
// what the server sent is drawn: the layer as the window places it, the masks' outlines and the
// module's own recording, all in window pixels, shown `scale` page pixels to a window pixel.

// The pictures' background, rgb(0.13, 0.13, 0.14) as 8-bit channels.
const BACKGROUND = 'rgb(33, 33, 35)';
const DIMMED = 0.25;  // the layer outside its masks

let maskCanvas = null;

function curve(ctx, path) {
  ctx.beginPath();
  ctx.moveTo(path[0][0], path[0][1]);
  for (let i = 1; i + 2 < path.length; i += 3) {
    ctx.bezierCurveTo(path[i][0], path[i][1], path[i + 1][0], path[i + 1][1],
                      path[i + 2][0], path[i + 2][1]);
  }
}

const colour = ([r, g, b, a]) =>
  `rgba(${Math.round(r * 255)}, ${Math.round(g * 255)}, ${Math.round(b * 255)}, ${a})`;

// `view` as the server sends it (api.view); `layer` the window's picture of the layer over the
// background (api.frame), or null while it loads;
// `visible()` the part of the canvas in sight once it has its size, [x, y, width, height] in its
// pixels: only that is drawn, as a window draws only what it shows.
export function drawWindow(canvas, view, layer, scale, visible) {
  const [w, h] = view.size;
  const width = Math.max(1, Math.round(w * scale)), height = Math.max(1, Math.round(h * scale));
  if (canvas.width !== width || canvas.height !== height) {
    canvas.width = width;
    canvas.height = height;
  }
  const [vx, vy, vw, vh] = visible ? visible() : [0, 0, width, height];
  const clip = (target) => {
    target.beginPath();
    target.rect(vx, vy, vw, vh);
    target.clip();
  };
  const ctx = canvas.getContext('2d');
  ctx.save();
  ctx.setTransform(1, 0, 0, 1, 0, 0);
  clip(ctx);
  ctx.globalAlpha = 1;
  ctx.globalCompositeOperation = 'source-over';
  ctx.fillStyle = BACKGROUND;
  ctx.fillRect(vx, vy, vw, vh);
  if (layer) {
    const place = (target) => target.setTransform(scale, 0, 0, scale, 0, 0);
    place(ctx);
    if (view.masks.length === 0) {
      ctx.drawImage(layer, 0, 0);
    } else {
      ctx.globalAlpha = DIMMED;
      ctx.drawImage(layer, 0, 0);
      ctx.globalAlpha = 1;
      // The union of the masks (coverage added, as closed masks add up), then the layer in it.
      if (!maskCanvas) maskCanvas = document.createElement('canvas');
      if (maskCanvas.width !== width || maskCanvas.height !== height) {
        maskCanvas.width = width;
        maskCanvas.height = height;
      }
      const m = maskCanvas.getContext('2d');
      m.save();
      m.setTransform(1, 0, 0, 1, 0, 0);
      clip(m);
      m.globalCompositeOperation = 'source-over';
      m.clearRect(vx, vy, vw, vh);
      m.setTransform(scale, 0, 0, scale, 0, 0);
      m.globalCompositeOperation = 'lighter';
      m.fillStyle = 'white';
      for (const path of view.masks) {
        curve(m, path);
        m.closePath();
        m.fill();
      }
      m.globalCompositeOperation = 'source-in';
      place(m);
      m.drawImage(layer, 0, 0);
      m.restore();
      ctx.setTransform(1, 0, 0, 1, 0, 0);
      ctx.drawImage(maskCanvas, vx, vy, vw, vh, vx, vy, vw, vh);
    }
  }
  ctx.setTransform(scale, 0, 0, scale, 0, 0);
  for (const op of view.draw) {
    if (op.op === 'rect') {
      ctx.fillStyle = colour(op.color);
      ctx.fillRect(...op.rect);
    } else if (op.path.length) {
      ctx.strokeStyle = colour(op.color);
      ctx.lineWidth = op.size;
      curve(ctx, op.path);
      ctx.stroke();
    }
  }
  ctx.restore();
}
