// The page of the viewer: it chooses the zoom through the program's own rule, fetches the records
// of that zoom and starts the program (nuv.js, nuv.wasm), then serves as its window: the canvas it
// draws on, the input it reads, the waits in which the browser has control. The program ends as
// on the desktop, by Escape or a double click, and its window closing tells the page, which then
// says so, keeps the last frame and offers to start again.
'use strict';

(() => {
  const canvas = document.getElementById('picture');
  const context = canvas.getContext('2d', { alpha: false });
  const buttons = document.getElementById('buttons');
  const status = document.getElementById('status');
  const again = document.getElementById('again');
  const error = document.getElementById('error');

  // The kinds of event the program reads (host/web/page.hpp), eight numbers each: kind,
  // character, x, y, primary button, touch, time, zoom.
  const TYPED = 0;
  const MOVED = 1;
  const PRESSED = 2;
  const RELEASED = 3;
  const RESCALED = 4;
  const EVENT_SIZE = 8;
  const ESCAPE = 0x1b;
  const typed = (character) => [TYPED, character, 0, 0, 0, 0, 0, 0];

  // What the program asks of the page (host/web/page.cpp).
  const page = {
    zoom: 1,
    refreshMilliseconds: 0,
    events: [],
    wake: null,
    visible: () => !document.hidden,
    setCanvasSize(width, height) {
      canvas.width = width;
      canvas.height = height;
      fitCanvas();
    },
    putRows(rgba, width, firstRow, rows) {
      const pixels = new Uint8ClampedArray(rgba.buffer, rgba.byteOffset, rgba.length);
      context.putImageData(new ImageData(pixels, width, rows), 0, firstRow);
    },
    takeEvents(target) {
      const count = Math.min(this.events.length, target.length / EVENT_SIZE);
      for (let i = 0; i < count; ++i) target.set(this.events[i], i * EVENT_SIZE);
      this.events.splice(0, count);
      return count;
    },
    // Until the time has passed or the page has something to say: input, the page shown again.
    wait(milliseconds) {
      return new Promise((resolve) => {
        const done = () => {
          clearTimeout(timer);
          this.wake = null;
          resolve();
        };
        const timer = setTimeout(done, Math.max(0, milliseconds));
        this.wake = done;
      });
    },
    post(event) {
      this.events.push(event);
      if (this.wake) this.wake();
    },
    showError(message) {
      error.textContent = message;
      again.hidden = false;
    },
    closed() {
      running = null;
      ended();
    },
  };

  // One canvas pixel a device pixel: the canvas is as large in CSS pixels as the ratio makes it,
  // and starts on a whole device pixel, where centring may have put it between two, so that its
  // pixels are the screen's and not scaled or blended across neighbours.
  function fitCanvas() {
    canvas.style.width = `${canvas.width / devicePixelRatio}px`;
    canvas.style.height = `${canvas.height / devicePixelRatio}px`;
    canvas.style.left = canvas.style.top = '0';
    const box = canvas.getBoundingClientRect();
    const off = (at) => (Math.round(at * devicePixelRatio) - at * devicePixelRatio) / devicePixelRatio;
    canvas.style.left = `${off(box.left + scrollX)}px`;
    canvas.style.top = `${off(box.top + scrollY)}px`;
  }
  addEventListener('resize', fitCanvas);

  // How long a display refresh lasts: the middle of twenty frames' intervals, measured when the
  // page is shown, not all the time, which would keep the processor awake.
  function measureRefresh() {
    const intervals = [];
    let last;
    const frame = (time) => {
      if (last !== undefined) intervals.push(time - last);
      last = time;
      if (intervals.length < 20) {
        requestAnimationFrame(frame);
        return;
      }
      intervals.sort((a, b) => a - b);
      page.refreshMilliseconds = intervals[intervals.length >> 1];
    };
    requestAnimationFrame(frame);
  }

  // Keys: the character typed, on any layout, or Escape. A key held with Ctrl, Alt or a logo
  // key is the browser's (AltGr, which types characters, is not such a key).
  canvas.addEventListener('keydown', (event) => {
    const altGraph = event.getModifierState('AltGraph');
    if (event.isComposing || event.metaKey || (!altGraph && (event.ctrlKey || event.altKey))) return;
    let character;
    if (event.key === 'Escape') character = ESCAPE;
    else if ([...event.key].length === 1) character = event.key.codePointAt(0);
    else return;
    event.preventDefault();  // space would scroll the page, "/" open a search
    page.post(typed(character));
  });

  // The pointer in the canvas's own pixels.
  function place(event) {
    const box = canvas.getBoundingClientRect();
    return [
      Math.floor(((event.clientX - box.left) * canvas.width) / box.width),
      Math.floor(((event.clientY - box.top) * canvas.height) / box.height),
    ];
  }

  // A finger or a pen is the pointer by the program's touch rule; of several fingers, the first.
  function pointer(kind, event) {
    if (!event.isPrimary) return;
    const touch = event.pointerType === 'mouse' ? 0 : 1;
    const [x, y] = place(event);
    page.post([kind, 0, x, y, event.button <= 0 ? 1 : 0, touch, Math.floor(event.timeStamp), 0]);
  }
  canvas.addEventListener('pointermove', (event) => pointer(MOVED, event));
  // Focused for keys without the ring keyboard users see, which a pointer does not need.
  const focus = () => canvas.focus({ focusVisible: false, preventScroll: true });
  canvas.addEventListener('pointerdown', (event) => {
    focus();
    canvas.setPointerCapture(event.pointerId);  // its release counts where the pointer is then
    pointer(PRESSED, event);
  });
  canvas.addEventListener('pointerup', (event) => pointer(RELEASED, event));
  canvas.addEventListener('pointercancel', (event) => {
    if (event.isPrimary) page.post([RELEASED, 0, -1, -1, 1, 1, Math.floor(event.timeStamp), 0]);
  });
  canvas.addEventListener('contextmenu', (event) => event.preventDefault());

  // Where no keyboard is likely, a row of buttons gives the key commands.
  const coarse = matchMedia('(pointer: coarse)');
  const showButtons = () => {
    buttons.hidden = !coarse.matches;
  };
  coarse.addEventListener('change', showButtons);
  showButtons();
  buttons.addEventListener('click', (event) => {
    const button = event.target.closest('button[data-key]');
    if (button) page.post(typed(button.dataset.key.codePointAt(0)));
  });

  document.addEventListener('visibilitychange', () => {
    if (!document.hidden) measureRefresh();
    if (page.wake) page.wake();
  });

  // The room for the canvas in device pixels: the window's, less the page's margins and what it
  // shows under the canvas (the buttons where they are shown), so that all of it fits unscrolled.
  function room() {
    const column = canvas.parentElement.getBoundingClientRect();
    const box = canvas.getBoundingClientRect();
    return [
      Math.floor((document.documentElement.clientWidth - 16) * devicePixelRatio),
      Math.floor((innerHeight - (column.height - box.height)) * devicePixelRatio),
    ];
  }

  // Files fetched once, each as a promise of its bytes; one that could not be fetched is tried
  // again at the next start.
  const files = new Map();
  function bytesOf(name, what) {
    if (!files.has(name)) {
      const bytes = fetch(name).then(async (response) => {
        if (!response.ok) throw new Error(`cannot fetch ${what} (${response.status})`);
        return new Uint8Array(await response.arrayBuffer());
      });
      bytes.catch(() => files.delete(name));
      files.set(name, bytes);
    }
    return files.get(name);
  }
  const program = () => bytesOf('nuv.wasm', 'the program');
  const records = (zoom) => bytesOf(`frames-${zoom}x.bin`, `the frames at zoom ${zoom}`);

  // The key buttons command a running program only.
  function enableButtons(enabled) {
    for (const button of buttons.querySelectorAll('button')) button.disabled = !enabled;
  }

  // The last frame stays; a run-time error the program reported stays beside it.
  function ended() {
    enableButtons(false);
    status.textContent = error.textContent ? 'The animation stopped after an error.' : 'The animation has ended.';
    again.hidden = false;
    again.focus();
  }

  // Copies a zoom's records into the program.
  function load(module, zoom, file) {
    const bytes = module._malloc(file.length);
    module.HEAPU8.set(file, bytes);
    const refused = module._nuv_load_records(zoom, bytes, file.length);
    module._free(bytes);
    if (refused) throw new Error(`the frames at zoom ${zoom} are damaged`);
  }

  // The program while it runs.
  let running = null;

  // Each start makes the program anew from the bytes fetched once.
  async function start() {
    status.textContent = '';
    error.textContent = '';
    again.hidden = true;
    page.events = [];
    page.wake = null;
    const wasmBinary = await program();
    const module = await createNuv({ page, wasmBinary, printErr: (text) => console.error(text) });
    const zoom = module._nuv_zoom_for(devicePixelRatio, ...room());
    load(module, zoom, await records(zoom));
    page.zoom = zoom;
    focus();
    running = module;
    enableButtons(true);
    module.callMain([]);
  }

  // The zoom follows the page's density and room as they change: the program's rule chooses, and
  // where it chooses another zoom, its records are loaded into the running program before it is
  // asked to use them. One change is followed at a time, each from what the page is then.
  let following = Promise.resolve();
  function followDensity() {
    following = following
      .then(async () => {
        const module = running;
        const zoom = module?._nuv_zoom_for(devicePixelRatio, ...room());
        if (!module || zoom === page.zoom) return;
        const file = await records(zoom);
        if (module !== running) return;
        load(module, zoom, file);
        page.zoom = zoom;
        page.post([RESCALED, 0, 0, 0, 0, 0, 0, zoom]);
      })
      .catch((reason) => page.showError(`The picture stays at its zoom: ${reason.message ?? reason}`));
  }

  // A change of the device pixel ratio (the browser's zoom, another monitor) ends the match of a
  // query of the ratio there was; the query is made anew at each change, and kept, since a query
  // no longer held tells nothing.
  let ratio;
  function watchRatio() {
    ratio = matchMedia(`(resolution: ${devicePixelRatio}dppx)`);
    ratio.addEventListener('change', () => {
      fitCanvas();
      watchRatio();
      measureRefresh();
      followDensity();
    }, { once: true });
  }

  function fail(reason) {
    page.showError(`The animation cannot start: ${reason.message ?? reason}`);
  }

  again.addEventListener('click', () => start().catch(fail));
  measureRefresh();
  watchRatio();
  addEventListener('resize', followDensity);
  // Where the density rounds to zoom 1, the least, which no lack of room can lower, the frames
  // of that zoom come while the program is made; elsewhere the program's rule chooses first.
  if (devicePixelRatio < 1.5) records(1).catch(() => {});
  start().catch(fail);
})();
