#!/usr/bin/env node
// The web page end to end in Debian's Chromium, headless: the frames it draws, told apart by exact
// comparison with the viewer's own export of the eighteen frames, as the desktop tests tell them
// apart in a window; the start-up run, the keys, the pointer, a finger, the buttons of a device
// without a keyboard, a hidden page, the end and a new start. The scenarios are the desktop
// suite's, at the same speeds and with the same judgements of a run.
//   node page_test.mjs WEB_BUILD VIEWER [NAME_PART]
// WEB_BUILD holds the page as built; VIEWER is a desktop build's program, which exports the
// frames. Only the scenarios whose names contain NAME_PART run, when it is given; with
// NUV_PAGE_SHOTS set to a folder, each leaves a screenshot of its end there.
import fs from 'node:fs';
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import { serve } from '../../scripts/serve-web.mjs';
import { launchChromium, pageFolder } from './browser.mjs';

const [built, viewer, only = ''] = process.argv.slice(2);
const shots = process.env.NUV_PAGE_SHOTS;  // a folder for a screenshot of each scenario's end
if (!built || !viewer) {
  console.error('usage: node page_test.mjs WEB_BUILD VIEWER [NAME_PART]');
  process.exit(2);
}
const source = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '../..');

// The window at zoom 1, as window/layout.hpp has it: the client area, Picture1's border, and the
// caption that is the page's title.
const layout = (() => {
  const text = fs.readFileSync(path.join(source, 'window/layout.hpp'), 'utf8');
  const number = (name) => Number(text.match(new RegExp(`${name} = (\\d+);`))[1]);
  return {
    clientWidth: number('kClientWidth'),
    clientHeight: number('kClientHeight'),
    border: number('kPicture1Border'),
    caption: text.match(/kCaption = "([^"]*)"/)[1],
  };
})();
const FRAMES = 18;
const PATIENCE = 5000;  // ms, for what comes within a second or two

const wrapped = (slot) => ((slot % FRAMES) + FRAMES) % FRAMES;

// Runs in the page before its own scripts. Every put of rows into the canvas is copied into a
// picture of the canvas, which then says which stored frame Picture1 shows, or -1; the draws are
// kept with their times and zooms. The stored frames are those the export wrote at the canvas's
// zoom, fetched when the canvas first has that zoom; the puts wait for them in order.
function watchTheCanvas({ clientWidth, border, frames }) {
  const watch = { draws: [], waiting: [], loaded: {}, canvas: null, width: 0, zoom: 0 };
  window.nuvWatch = watch;

  async function loadReferences(zoom) {
    const pictures = [];
    for (let number = 1; number <= frames; ++number) {
      const name = `refs/${zoom}/frame${String(number).padStart(2, '0')}.png`;
      const bitmap = await createImageBitmap(await (await fetch(name)).blob(), {
        colorSpaceConversion: 'none',
        premultiplyAlpha: 'none',
      });
      const surface = new OffscreenCanvas(bitmap.width, bitmap.height).getContext('2d');
      surface.drawImage(bitmap, 0, 0);
      const pixels = surface.getImageData(0, 0, bitmap.width, bitmap.height).data;
      pictures.push({ width: bitmap.width, height: bitmap.height, pixels: new Uint32Array(pixels.buffer) });
    }
    return pictures;
  }

  // Picture1's inner area in a picture of the canvas (`width` pixels a row, the canvas's top
  // left at `left`, `top`) against one stored frame, as far as both reach.
  function shows(picture, width, left, top, reference) {
    const inset = border * watch.zoom;
    const columns = Math.min(reference.width, watch.width - 2 * inset);
    const rows = Math.min(reference.height, watch.canvas.length / watch.width - inset);
    for (let y = 0; y < rows; ++y) {
      const from = (top + y + inset) * width + left + inset;
      for (let x = 0; x < columns; ++x)
        if (picture[from + x] !== reference.pixels[y * reference.width + x]) return false;
    }
    return true;
  }

  // The frame a picture shows, tried first around the last one drawn: a run shows its neighbours.
  function slotIn(picture, width, left, top) {
    const last = watch.draws.length ? watch.draws[watch.draws.length - 1].slot : 0;
    const tried = [last];
    for (let step = 1; step <= frames / 2; ++step) tried.push(last + step, last - step);
    for (const slot of tried.map((s) => ((s % frames) + frames) % frames))
      if (shows(picture, width, left, top, watch.loaded[watch.zoom][slot])) return slot;
    return -1;
  }

  // The frame a screenshot (a PNG, in base64) shows where the canvas is, or -1: a screenshot of
  // the whole page, or of its window where `ofWindow` is true.
  watch.slotOnScreen = async (png, ofWindow) => {
    const bytes = Uint8Array.from(atob(png), (c) => c.charCodeAt(0));
    const bitmap = await createImageBitmap(new Blob([bytes]), { colorSpaceConversion: 'none' });
    const surface = new OffscreenCanvas(bitmap.width, bitmap.height).getContext('2d');
    surface.drawImage(bitmap, 0, 0);
    const screen = new Uint32Array(surface.getImageData(0, 0, bitmap.width, bitmap.height).data.buffer);
    const box = document.getElementById('picture').getBoundingClientRect();
    // The browser may put the canvas a device pixel either side of its CSS box.
    const left = Math.round((box.left + (ofWindow ? 0 : scrollX)) * devicePixelRatio);
    const top = Math.round((box.top + (ofWindow ? 0 : scrollY)) * devicePixelRatio);
    for (const dy of [0, -1, 1])
      for (const dx of [0, -1, 1]) {
        const slot = slotIn(screen, bitmap.width, left + dx, top + dy);
        if (slot >= 0) return slot;
      }
    return -1;
  };

  function take(put) {
    if (put.width !== watch.width) {
      watch.width = put.width;
      watch.zoom = put.zoom;
      watch.canvas = new Uint32Array(put.canvasWidth * put.canvasHeight);
    }
    watch.canvas.set(put.rows, put.y * watch.width);
    watch.draws.push({ time: put.time, zoom: put.zoom, slot: slotIn(watch.canvas, watch.width, 0, 0) });
  }

  // The puts in order, each once the frames of its zoom are there.
  function takeWaiting() {
    while (watch.waiting.length && watch.loaded[watch.waiting[0].zoom] instanceof Array)
      take(watch.waiting.shift());
  }

  const putImageData = CanvasRenderingContext2D.prototype.putImageData;
  CanvasRenderingContext2D.prototype.putImageData = function (image, x, y, ...rest) {
    putImageData.call(this, image, x, y, ...rest);
    const zoom = this.canvas.width / clientWidth;
    watch.waiting.push({
      time: performance.now(),
      zoom,
      y,
      width: image.width,
      canvasWidth: this.canvas.width,
      canvasHeight: this.canvas.height,
      rows: new Uint32Array(image.data.slice().buffer),
    });
    watch.loaded[zoom] ??= loadReferences(zoom).then((pictures) => {
      watch.loaded[zoom] = pictures;
      takeWaiting();
    });
    takeWaiting();
  };

  // The first draw at `zoom` from index `from`, or null after `timeout` ms.
  watch.atZoom = (zoom, from, timeout) =>
    new Promise((resolve) => {
      const end = performance.now() + timeout;
      const look = () => {
        const draw = watch.draws.slice(from).find((d) => d.zoom === zoom);
        if (draw || performance.now() > end) resolve(draw ?? null);
        else setTimeout(look, 5);
      };
      look();
    });

  // The first draw from index `from` whose slot differs from `slot`, or null after `timeout` ms;
  // by default from the last draw of `slot`, which input may already have replaced.
  watch.change = (slot, from, timeout) =>
    new Promise((resolve) => {
      from ??= watch.draws.map((d) => d.slot).lastIndexOf(slot) + 1;
      const end = performance.now() + timeout;
      const look = () => {
        const draw = watch.draws.slice(from).find((d) => d.slot !== slot);
        if (draw || performance.now() > end) resolve(draw ?? null);
        else setTimeout(look, 5);
      };
      look();
    });
}

// A page of the viewer in a browser context of its own, with what the tests ask of it.
class ViewerPage {
  constructor(context, page) {
    this.context = context;
    this.page = page;
    this.problems = [];
    page.on('console', (message) => {
      if (message.type() === 'error' || message.type() === 'warning') this.problems.push(message.text());
    });
    page.on('pageerror', (error) => this.problems.push(String(error)));
  }

  static async open(browser, url, options = {}, prepare = async () => {}) {
    const context = await browser.newContext({
      viewport: { width: 360, height: 640 },
      ...options,
    });
    await context.addInitScript(watchTheCanvas, { ...layout, frames: FRAMES });
    const page = await context.newPage();
    const opened = new ViewerPage(context, page);
    await prepare(page);
    await page.goto(url);
    return opened;
  }

  close() {
    return this.context.close();
  }

  draws() {
    return this.page.evaluate(() => window.nuvWatch.draws);
  }

  async drawCount() {
    return this.page.evaluate(() => window.nuvWatch.draws.length);
  }

  // The slot of the last draw; -1 before any.
  async shown() {
    const draws = await this.draws();
    return draws.length ? draws[draws.length - 1].slot : -1;
  }

  // The slot drawn next after `slot` (from the draw numbered `from` where given); `slot` itself
  // when none comes within `timeout`.
  async waitForSlotChange(slot, timeout = PATIENCE, from = null) {
    const draw = await this.page.evaluate(
      ([s, f, t]) => window.nuvWatch.change(s, f, t), [slot, from, timeout]);
    return draw ? draw.slot : slot;
  }

  // The first `count` frames that followed each other on the canvas, from the page's start.
  async firstSlots(count) {
    const deadline = Date.now() + count * PATIENCE;
    for (;;) {
      const slots = (await this.draws()).map((d) => d.slot).filter((s, i, all) => s !== all[i - 1]);
      if (slots.length >= count || Date.now() > deadline) return slots.slice(0, count);
      await this.page.waitForTimeout(50);
    }
  }

  // As the desktop tests: the start-up run's next frame, not counting the first change, which
  // may come from the loading picture.
  async nextStartUpFrame() {
    const first = await this.waitForSlotChange(-1, PATIENCE, 0);
    return this.waitForSlotChange(first);
  }

  // The draws of the next `span` ms.
  async sample(span) {
    const from = await this.drawCount();
    await this.page.waitForTimeout(span);
    return (await this.draws()).slice(from);
  }

  // Whether the picture changes faster than the start-up run's one frame a second ever could:
  // ten changes, at more than three a second.
  async runsFasterThanAtStartUp() {
    const start = Date.now();
    let changes = 0;
    let last = await this.shown();
    while (changes < 10 && Date.now() - start < PATIENCE) {
      for (const draw of await this.sample(100)) {
        if (draw.slot !== last) ++changes;
        last = draw.slot;
      }
    }
    const seconds = (Date.now() - start) / 1000;
    return changes >= 10 && changes > 3 * seconds;
  }

  // Whether `slot` stays for `span` ms: a run at the start-up speed would show its next frame.
  async staysOn(slot, span = 1500) {
    return (await this.waitForSlotChange(slot, span)) === slot;
  }

  // The browser's own metrics, as a browser's zoom or another monitor changes them; the page
  // hears of a change of ratio as the window's size changes too, as with a browser's zoom.
  async setBrowserMetrics(width, height, ratio) {
    this.cdp ??= await this.context.newCDPSession(this.page);
    await this.cdp.send('Emulation.setDeviceMetricsOverride',
      { width, height, deviceScaleFactor: ratio, mobile: false });
    this.browserMetrics = true;
  }

  // Whether the screen, as the browser composes it in device pixels, shows a stored frame where
  // the canvas is. Where the browser's own metrics were set, its own capture is in device pixels;
  // elsewhere Playwright's, at the ratio of the context.
  async onScreenIsStored() {
    const ofWindow = this.browserMetrics === true;
    const png = ofWindow
      ? (await this.cdp.send('Page.captureScreenshot', { format: 'png' })).data
      : (await this.page.screenshot({ fullPage: true })).toString('base64');
    const slot = await this.page.evaluate(([p, w]) => window.nuvWatch.slotOnScreen(p, w), [png, ofWindow]);
    return slot >= 0;
  }

  // A point of Picture1's inner area, given in pixels at zoom 1, in the page's CSS pixels.
  async at(p, q) {
    const box = await this.page.locator('#picture').boundingBox();
    return { x: box.x + layout.border + p, y: box.y + layout.border + q };
  }

  async moveTo(p, q) {
    const { x, y } = await this.at(p, q);
    await this.page.mouse.move(x, y);
  }

  async clickAt(p, q) {
    await this.moveTo(p, q);
    await this.page.mouse.down();
    await this.page.mouse.up();
  }

  // A finger's touch points, as a touch screen sends them, through the browser's own input.
  async touch(type, p, q) {
    this.cdp ??= await this.context.newCDPSession(this.page);
    const points = type === 'touchEnd' ? [] : [await this.at(p, q)];
    await this.cdp.send('Input.dispatchTouchEvent', { type, touchPoints: points });
  }

  async tap(p, q) {
    await this.touch('touchStart', p, q);
    await this.touch('touchEnd');
  }

  // A finger coming down at the first point and sliding through the others, lifted at the last.
  async slide(points) {
    await this.touch('touchStart', ...points[0]);
    for (const point of points.slice(1)) await this.touch('touchMove', ...point);
    await this.touch('touchEnd');
  }

  async press(...keys) {
    for (const key of keys) await this.page.keyboard.press(key);
  }

  async ended() {
    await this.page.locator('#again').waitFor({ state: 'visible', timeout: PATIENCE });
    return this.page.locator('#status').textContent();
  }
}

// The desktop suite's positions in Picture1's inner area, at zoom 1.
const NEAR_TOP_LEFT = [5, 5];
const BOTTOM_RIGHT = [layout.clientWidth - 2 * layout.border - 1, layout.clientHeight - layout.border - 1];

// A window shorter than the page, which could scroll.
const SHORT = { width: 360, height: 480 };

function expect(condition, what) {
  if (!condition) throw new Error(what);
}
function expectEqual(actual, expected, what) {
  if (actual !== expected) throw new Error(`${what}: ${actual}, expected ${expected}`);
}

// Enters drag mode with a click in a start-up frame and drags once, which steps one frame and
// stops; returns that frame. The first drag movement goes up from the click, yet steps forward:
// the first comparison is against a Y of 0.
async function enterDragMode(viewerPage, click) {
  const start = await viewerPage.nextStartUpFrame();
  await click();
  const shown = await viewerPage.waitForSlotChange(start);
  expectEqual(shown, wrapped(start + 1), 'the first drag step');
  expect(await viewerPage.staysOn(shown), 'the first drag step stays');
  return shown;
}

// The page at one device pixel ratio: the zoom, the canvas, the start-up run's first frames, and
// what the screen shows, frame for frame.
function densityScenario(ratio, zoom) {
  return {
    name: `at a device pixel ratio of ${ratio}, zoom ${zoom}`,
    options: { deviceScaleFactor: ratio, viewport: { width: 480, height: 900 } },
    async run(v) {
      expectEqual((await v.firstSlots(3)).join(), '0,1,2', 'the first frames drawn');
      const canvas = await v.page.evaluate(() => {
        const c = document.getElementById('picture');
        const box = c.getBoundingClientRect();
        return { width: c.width, height: c.height, cssWidth: box.width, cssHeight: box.height };
      });
      expectEqual(canvas.width, layout.clientWidth * zoom, 'the canvas width');
      expectEqual(canvas.height, layout.clientHeight * zoom, 'the canvas height');
      // As near as CSS lengths, in 64ths of a pixel, come.
      expectEqual(Math.round(canvas.cssWidth * ratio), canvas.width, 'canvas pixels a device pixel across');
      expectEqual(Math.round(canvas.cssHeight * ratio), canvas.height, 'canvas pixels a device pixel down');
      expectEqual((await v.page.title()).replaceAll('\u00a0', ' '), layout.caption, 'the title, gaps kept');
      expect((await v.draws()).every((draw) => draw.slot >= 0), 'every draw is a stored frame');
      expect(await v.onScreenIsStored(), 'the screen shows the stored frame pixel for pixel');
    },
  };
}

// A run key in the start-up run moves two frames in its first cycle, then one; pressed again, two.
function runKeyScenario(key, direction) {
  return {
    name: `the key ${key} runs ${direction > 0 ? 'forward' : 'backward'}`,
    async run(v) {
      const start = await v.nextStartUpFrame();
      await v.press(key);
      const first = await v.waitForSlotChange(start);
      expectEqual(first, wrapped(start + 2 * direction), 'the first cycle');
      const second = await v.waitForSlotChange(first);
      expectEqual(second, wrapped(start + 3 * direction), 'the next');
      await v.press(key);
      expectEqual(await v.waitForSlotChange(second), wrapped(start + 5 * direction), 'pressed again');
    },
  };
}

// The start-up run has no run marker, so a step key moves before it stops.
function stepKeyScenario(key, direction) {
  return {
    name: `the key ${key} in the start-up run steps ${direction > 0 ? 'forward' : 'back'} and stops`,
    async run(v) {
      const start = await v.nextStartUpFrame();
      await v.press(key);
      const stepped = await v.waitForSlotChange(start);
      expectEqual(stepped, wrapped(start + direction), 'the step');
      expect(await v.staysOn(stepped), 'the picture stops');
    },
  };
}

// The pointer at the bottom right, then a step back: stopped; each step key moves one frame;
// other keys, and keys held with Ctrl, Alt or Meta, command nothing. (Tab is the page's: it takes
// the focus on, as keyboard users expect.)
const STOPPED_KEYS = {
  name: 'step keys when stopped move one frame each; other keys and combinations, nothing',
  options: { viewport: SHORT },
  async run(v) {
    const start = await v.nextStartUpFrame();
    await v.moveTo(...BOTTOM_RIGHT);
    await v.press('/');
    let shown = await v.waitForSlotChange(start);
    expectEqual(shown, wrapped(start - 1), 'the step back');
    for (const [key, direction] of [['*', 1], ['.', 1], [' ', 1], ['NumpadMultiply', 1], ['/', -1],
      ['NumpadDivide', -1]]) {
      await v.press(key);
      const expected = wrapped(shown + direction);
      expectEqual(await v.waitForSlotChange(shown), expected, `the key ${key}`);
      shown = expected;
    }
    await v.press('a', 'Q', '0', '=', 'F1', 'ArrowUp', 'Enter', 'Backspace', 'Control+3',
      'Control+BracketLeft', 'Control+Period', 'Alt+Minus', 'Meta+Equal');
    expect(await v.staysOn(shown), 'other keys and combinations leave the picture');
    await v.press('*');
    expectEqual(await v.waitForSlotChange(shown), wrapped(shown + 1), 'then * steps');
    expectEqual(await v.page.evaluate(() => scrollY), 0, 'space scrolled the page');
  },
};

// Escape, or a double click, ends the program: the last frame stays and the page says so; the
// page's button starts it afresh, from slot 0.
function endingScenario(name, end) {
  return {
    name: `${name} ends; the page starts it again`,
    async run(v) {
      await v.nextStartUpFrame();
      await end(v);
      expectEqual(await v.ended(), 'The animation has ended.', 'the status');
      const last = await v.shown();
      const draws = await v.drawCount();
      await v.page.waitForTimeout(1500);
      expectEqual(await v.drawCount(), draws, 'draws after the end');
      expect(last >= 0 && (await v.onScreenIsStored()), 'the last frame stays on screen');
      await v.page.click('#again');
      expectEqual(await v.waitForSlotChange(last, PATIENCE, draws), 0, 'the first frame again');
      expect(await v.page.locator('#again').isHidden(), 'the button is gone');
      await v.nextStartUpFrame();
    },
  };
}

// The pointer's position sets the speed, near the top left and at the bottom right, which holds
// when the pointer leaves the picture.
const POINTER_SPEED = {
  name: 'the pointer sets the speed, which holds when it leaves',
  async run(v) {
    const start = await v.nextStartUpFrame();
    await v.moveTo(...NEAR_TOP_LEFT);
    await v.waitForSlotChange(start);
    expect(await v.runsFasterThanAtStartUp(), 'fast near the top left');
    await v.moveTo(...BOTTOM_RIGHT);
    expect(await v.runsFasterThanAtStartUp(), 'fast at the bottom right');
    await v.page.mouse.move(470, 890);
    expect(await v.runsFasterThanAtStartUp(), 'fast with the pointer off the picture');
  },
  options: { viewport: { width: 480, height: 900 } },
};

// In drag mode each movement steps one frame: down or level forward, up back.
const DRAG_MODE = {
  name: 'in drag mode a movement down or level steps forward, up back',
  async run(v) {
    let shown = await enterDragMode(v, async () => {
      await v.clickAt(150, 400);
      await v.moveTo(150, 200);
    });
    for (const [p, q, direction] of [[150, 260, 1], [250, 260, 1], [250, 100, -1], [40, 60, -1],
      [40, 500, 1]]) {
      await v.moveTo(p, q);
      const expected = wrapped(shown + direction);
      expectEqual(await v.waitForSlotChange(shown), expected, `the movement to ${p}, ${q}`);
      shown = expected;
    }
    expect(await v.staysOn(shown), 'the picture stops');
  },
};

// A finger by the one touch rule: a tap is a click, a slide in drag mode steps, a tap then a
// slide is no double click, two taps in place are one.
const TOUCH = {
  name: 'a finger taps, slides through the frames, and ends with two taps',
  options: { hasTouch: true, viewport: SHORT },
  async run(v) {
    let shown = await enterDragMode(v, async () => {
      await v.tap(150, 400);
      await v.slide([[150, 400], [150, 200]]);
    });
    for (const [from, to, direction] of [[[150, 200], [150, 260], 1], [[150, 260], [150, 100], -1]]) {
      await v.slide([from, to]);
      const expected = wrapped(shown + direction);
      expectEqual(await v.waitForSlotChange(shown), expected, `the slide to ${to}`);
      shown = expected;
    }
    // A tap leaves drag mode; the slide after it, within the double-click time, sets the speed.
    await v.tap(150, 100);
    await v.slide([[150, 100], [150, 160], [...NEAR_TOP_LEFT]]);
    expect(await v.runsFasterThanAtStartUp(), 'runs at the speed slid to');
    expect(await v.page.locator('#again').isHidden(), 'a tap then a slide ended the program');
    expectEqual(await v.page.evaluate(() => scrollY), 0, 'the finger scrolled the page');
    await v.tap(150, 300);
    await v.tap(151, 301);
    expectEqual(await v.ended(), 'The animation has ended.', 'two taps');
  },
};

// Under a coarse pointer a row of buttons gives the key commands.
const BUTTONS = {
  name: 'a device without a keyboard has buttons for the key commands',
  options: { hasTouch: true, isMobile: true, deviceScaleFactor: 3 },
  async run(v) {
    const start = await v.nextStartUpFrame();
    expect(await v.page.evaluate(() => document.documentElement.scrollHeight <= innerHeight),
      'the picture and the buttons fit the screen unscrolled');
    await v.page.getByRole('button', { name: 'Run backward' }).tap();
    const first = await v.waitForSlotChange(start);
    expectEqual(first, wrapped(start - 2), 'run backward');
    await v.page.getByRole('button', { name: 'Stop / step forward' }).tap();
    expect(await v.staysOn(first), 'the run stops');
    await v.page.getByRole('button', { name: 'Stop / step back' }).tap();
    expectEqual(await v.waitForSlotChange(first), wrapped(first - 1), 'step back');
    await v.page.getByRole('button', { name: 'Run forward' }).tap();
    expectEqual(await v.waitForSlotChange(wrapped(first - 1)), wrapped(first + 1), 'run forward');
  },
};

// A desktop browser shows no buttons.
const NO_BUTTONS = {
  name: 'a device with a fine pointer has no buttons',
  async run(v) {
    await v.nextStartUpFrame();
    expect(await v.page.locator('#buttons').isHidden(), 'buttons shown');
  },
};

// While the page is hidden nothing is drawn; shown again, the picture goes on.
const HIDDEN = {
  name: 'a hidden page draws nothing',
  async run(v) {
    await v.nextStartUpFrame();
    const hide = (hidden) => v.page.evaluate((h) => {
      Object.defineProperty(document, 'hidden', { configurable: true, get: () => h });
      document.dispatchEvent(new Event('visibilitychange'));
    }, hidden);
    await v.moveTo(...NEAR_TOP_LEFT);
    await hide(true);
    await v.page.waitForTimeout(200);
    expectEqual((await v.sample(2000)).length, 0, 'draws while hidden');
    await hide(false);
    expect(await v.runsFasterThanAtStartUp(), 'runs when shown again');
  },
};

// The device pixel ratio changes while the animation runs (the browser's zoom, another monitor):
// the picture is drawn at once at the zoom the program's rule chooses, showing the frame it showed,
// and the start-up run goes on from there.
const RATIO_CHANGE = {
  name: 'a change of the device pixel ratio redraws the frame at the new zoom and the run goes on',
  // The browser's own metrics, which the page then tells of as a browser does (with a viewport of
  // Playwright's, the page hears of no change).
  options: { viewport: null },
  async run(v) {
    await v.setBrowserMetrics(480, 900, 1);
    let shown = await v.nextStartUpFrame();
    for (const ratio of [2, 3, 1]) {
      const from = await v.drawCount();
      await v.setBrowserMetrics(480 + ratio, 900, ratio);
      const redrawn = await v.page.evaluate(
        ([z, f, t]) => window.nuvWatch.atZoom(z, f, t), [ratio, from, PATIENCE]);
      expect(redrawn !== null, `no picture at zoom ${ratio}`);
      expectEqual(redrawn.slot, shown, `the frame redrawn at zoom ${ratio}`);
      const next = await v.waitForSlotChange(shown);
      expectEqual(next, wrapped(shown + 1), `the next frame at zoom ${ratio}`);
      shown = next;
      const width = await v.page.evaluate(() => document.getElementById('picture').width);
      expectEqual(width, layout.clientWidth * ratio, `the canvas at zoom ${ratio}`);
    }
    expect(await v.onScreenIsStored(), 'the screen shows the stored frame pixel for pixel');
    // A ratio that keeps the zoom: the canvas keeps its pixels, one a device pixel.
    await v.setBrowserMetrics(490, 900, 1.25);
    await v.page.waitForFunction(() => devicePixelRatio === 1.25);
    await v.page.waitForTimeout(300);
    expect(await v.onScreenIsStored(), 'the screen at 1.25 shows the stored frame pixel for pixel');
  },
};

// A record damaged inside, which the program finds as its image controls read them: the error's
// message in the page, and the page's offer to start again.
const DAMAGED = {
  name: 'a damaged record shows the run-time error in the page',
  problems: /^nuv: run-time error: the signature is /,
  async prepare(page) {
    await page.route('**/frames-1x.bin', async (route) => {
      const body = await (await route.fetch()).body();
      body[6] ^= 0xff;  // in the first record's bitmap file header
      await route.fulfill({ body });
    });
  },
  async run(v) {
    await v.ended();
    const error = await v.page.locator('#error').textContent();
    expect(/^nuv: run-time error: the signature is /.test(error), `the error shown: ${error}`);
    expectEqual(await v.page.locator('#status').textContent(), 'The animation stopped after an error.',
      'the status');
  },
};

const SCENARIOS = [
  densityScenario(1, 1),
  densityScenario(2, 2),
  densityScenario(3, 3),
  densityScenario(1.5, 2),
  densityScenario(1.25, 1),
  runKeyScenario('-', -1),
  runKeyScenario('NumpadSubtract', -1),
  runKeyScenario('+', 1),
  runKeyScenario('NumpadAdd', 1),
  runKeyScenario(',', 1),
  stepKeyScenario('*', 1),
  stepKeyScenario('/', -1),
  STOPPED_KEYS,
  POINTER_SPEED,
  DRAG_MODE,
  endingScenario('Escape', (v) => v.press('Escape')),
  endingScenario('A double click', async (v) => {
    const { x, y } = await v.at(150, 300);
    await v.page.mouse.dblclick(x, y);
  }),
  TOUCH,
  BUTTONS,
  NO_BUTTONS,
  HIDDEN,
  RATIO_CHANGE,
  DAMAGED,
];

async function main() {
  const folder = pageFolder(built, viewer, [1, 2, 3]);
  const { server, url } = await serve(folder);
  const browser = await launchChromium();
  let failed = 0;
  try {
    for (const scenario of SCENARIOS.filter((s) => s.name.includes(only))) {
      const viewerPage = await ViewerPage.open(browser, url, scenario.options, scenario.prepare);
      try {
        await scenario.run(viewerPage);
        if (shots) await viewerPage.page.screenshot({ path: path.join(shots, `${scenario.name.replace(/[^\w]+/g, "-")}.png`) });
        const problems = viewerPage.problems.filter((text) => !scenario.problems?.test(text));
        expectEqual(problems.join(' | '), '', 'the console');
        console.log(`ok   ${scenario.name}`);
      } catch (error) {
        ++failed;
        console.log(`FAIL ${scenario.name}: ${error.message}`);
      } finally {
        await viewerPage.close();
      }
    }
  } finally {
    await browser.close();
    server.close();
    fs.rmSync(folder, { recursive: true, force: true });
  }
  process.exit(failed ? 1 : 0);
}

await main();
