#!/usr/bin/env node
// The web page in Debian's Chromium, headless, beside a bare page that fetches one stored frame
// as a PNG and draws it on a canvas, both from the same local server, in turn:
// - what the page loads at zoom 1, as the server sends it (gzip), file by file;
// - navigation to the first frame on the canvas, ROUNDS rounds (21 by default) of each page,
//   each in a fresh browser context, so nothing comes from a cache: medians and the ratio;
// - the browser's processor share (every process of it, in % of one core) over SECONDS (10 by
//   default) with the bare page shown, and putting a frame at every display refresh; with the
//   viewer's page at the start-up speed, at the fastest speed (the pointer at the top left of the
//   picture), and hidden.
//   node bench/page_probe.mjs WEB_BUILD VIEWER [ROUNDS [SECONDS]]
// WEB_BUILD holds the page as built, VIEWER is a desktop build's program, which exports the
// frame. The browser driver is the page tests' (npm ci in tests/web/).
import fs from 'node:fs';
import path from 'node:path';
import { serve } from '../scripts/serve-web.mjs';
import { launchChromium, pageFolder } from '../tests/web/browser.mjs';

const [built, viewer, rounds = '21', seconds = '10'] = process.argv.slice(2);
if (!built || !viewer) {
  console.error('usage: node bench/page_probe.mjs WEB_BUILD VIEWER [ROUNDS [SECONDS]]');
  process.exit(2);
}

// The bare page: one stored frame from a PNG onto a canvas of the window's size, where Picture1's
// inner area begins. Opened as bare.html#animate it then puts two frames in turn at every display
// refresh, the least a page can do to show a new frame each time.
const BARE_PAGE = `<!doctype html>
<html lang="en"><head><meta charset="utf-8"><title>bare</title></head><body>
<canvas id="c" width="307" height="551"></canvas>
<script>
(async () => {
  const context = document.getElementById('c').getContext('2d', { alpha: false });
  const picture = async (name) => createImageBitmap(await (await fetch(name)).blob());
  context.drawImage(await picture('frame01.png'), 2, 2);
  window.firstFrame = performance.now();
  if (location.hash !== '#animate') return;
  const frames = [context.getImageData(0, 0, 307, 551)];
  context.drawImage(await picture('frame02.png'), 2, 2);
  frames.push(context.getImageData(0, 0, 307, 551));
  let shown = 0;
  const next = () => {
    context.putImageData(frames[(shown = 1 - shown)], 0, 0);
    requestAnimationFrame(next);
  };
  requestAnimationFrame(next);
})();
</script></body></html>
`;

// Notes the first put of pixels into a canvas, from the start of the navigation, and the first
// put at a new canvas width after the window changed.
function noteFirstFrame() {
  const put = CanvasRenderingContext2D.prototype.putImageData;
  let width;
  CanvasRenderingContext2D.prototype.putImageData = function (...args) {
    put.apply(this, args);
    window.firstFrame ??= performance.now();
    if (width !== undefined && this.canvas.width !== width) window.rezoomed = performance.now();
    width = this.canvas.width;
  };
  addEventListener('resize', () => {
    window.resized ??= performance.now();
  });
}

function servedFolder() {
  const folder = pageFolder(built, viewer, [1]);
  for (const name of ['frame01.png', 'frame02.png'])
    fs.copyFileSync(path.join(folder, 'refs', '1', name), path.join(folder, name));
  fs.writeFileSync(path.join(folder, 'bare.html'), BARE_PAGE);
  return folder;
}

const median = (values) => {
  const sorted = [...values].sort((a, b) => a - b);
  return sorted[sorted.length >> 1];
};

async function openPage(browser, url, viewport = { width: 480, height: 900 }) {
  const context = await browser.newContext({ viewport });
  await context.addInitScript(noteFirstFrame);
  const page = await context.newPage();
  const responses = [];
  page.on('requestfinished', async (request) => {
    const sizes = await request.sizes();
    responses.push({ name: new URL(request.url()).pathname, bytes: sizes.responseBodySize });
  });
  await page.goto(url);
  await page.waitForFunction(() => window.firstFrame !== undefined);
  return { context, page, responses };
}

// The processor time of every process of the browser, in seconds.
async function browserTime(cdp) {
  const { processInfo } = await cdp.send('SystemInfo.getProcessInfo');
  return processInfo.reduce((sum, process) => sum + process.cpuTime, 0);
}

async function share(cdp, span) {
  const before = await browserTime(cdp);
  const start = performance.now();
  await new Promise((resolve) => setTimeout(resolve, span * 1000));
  return (100 * (await browserTime(cdp) - before)) / ((performance.now() - start) / 1000);
}

async function main() {
  const folder = servedFolder();
  const { server, url } = await serve(folder);
  const browser = await launchChromium();
  try {
    const loaded = await openPage(browser, url);
    await loaded.page.waitForTimeout(500);
    console.log('What the page loads at zoom 1, as sent (gzip):');
    let total = 0;
    for (const { name, bytes } of loaded.responses) {
      console.log(`  ${name.padEnd(16)} ${String(bytes).padStart(7)} bytes`);
      total += bytes;
    }
    console.log(`  ${'total'.padEnd(16)} ${String(total).padStart(7)} bytes`);
    await loaded.context.close();

    const times = { viewer: [], bare: [] };
    for (let round = 0; round < Number(rounds); ++round) {
      for (const [which, address] of [['viewer', url], ['bare', `${url}bare.html`]]) {
        const { context, page } = await openPage(browser, address);
        times[which].push(await page.evaluate(() => window.firstFrame));
        await context.close();
      }
    }
    const [viewerFirst, bareFirst] = [median(times.viewer), median(times.bare)];
    console.log(`Navigation to the first frame, median of ${rounds}: the page ` +
      `${viewerFirst.toFixed(1)} ms, the bare page ${bareFirst.toFixed(1)} ms, ` +
      `ratio ${(viewerFirst / bareFirst).toFixed(2)}`);

    const cdp = await browser.newBrowserCDPSession();
    const span = Number(seconds);
    console.log(`The browser's processor share over ${span} s, in % of one core:`);
    for (const [what, address] of [['shown', 'bare.html'], ['animated', 'bare.html#animate']]) {
      const bare = await openPage(browser, url + address);
      await bare.page.waitForTimeout(1500);
      console.log(`  the bare page ${what.padEnd(19)}${(await share(cdp, span)).toFixed(2)}`);
      await bare.context.close();
    }
    const { context, page } = await openPage(browser, url);
    await page.waitForTimeout(1500);
    console.log(`  the page at the start-up speed   ${(await share(cdp, span)).toFixed(2)}`);
    const box = await page.locator('#picture').boundingBox();
    await page.mouse.move(box.x + 3, box.y + 3);
    await page.waitForTimeout(1500);
    console.log(`  the page at the fastest speed    ${(await share(cdp, span)).toFixed(2)}`);
    await page.evaluate(() => {
      Object.defineProperty(document, 'hidden', { configurable: true, get: () => true });
      document.dispatchEvent(new Event('visibilitychange'));
    });
    await page.waitForTimeout(500);
    console.log(`  the page hidden, fastest speed   ${(await share(cdp, span)).toFixed(2)}`);
    await context.close();

    // The browser's own metrics changed at the fastest speed, as the test does.
    const ratios = await openPage(browser, url, null);
    const metrics = await ratios.context.newCDPSession(ratios.page);
    const resize = (ratio) => metrics.send('Emulation.setDeviceMetricsOverride',
      { width: 480 + ratio, height: 900, deviceScaleFactor: ratio, mobile: false });
    const place = async (ratio) => {
      await ratios.page.evaluate(() => {
        window.resized = window.rezoomed = undefined;
      });
      await resize(ratio);
      await ratios.page.waitForFunction(() => window.rezoomed > window.resized);
      return ratios.page.evaluate(() => window.rezoomed - window.resized);
    };
    await resize(1);
    await ratios.page.waitForTimeout(500);
    const picture = await ratios.page.locator('#picture').boundingBox();
    await ratios.page.mouse.move(picture.x + 3, picture.y + 3);
    const redrawn = [];
    for (const ratio of [2, 3, 1, 2, 3, 1]) redrawn.push(`${ratio}: ${(await place(ratio)).toFixed(1)}`);
    console.log(`From a change of the device pixel ratio to the picture at the new zoom, at the ` +
      `fastest speed, in ms (the first change to each zoom fetches its frames): ${redrawn.join(', ')}`);
    await ratios.context.close();
  } finally {
    await browser.close();
    server.close();
    fs.rmSync(folder, { recursive: true, force: true });
  }
}

await main();
