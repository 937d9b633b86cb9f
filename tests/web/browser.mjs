// What the page's tests and its probe share: a folder the server hands out, holding the page as
// built beside the viewer's export of the frames at each zoom (refs/1/, refs/2/, ...), and
// Debian's Chromium, headless, with nothing of its own in the way: no sandbox (it runs as root
// in a container), no GPU, no background requests.
import { spawnSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { chromium } from 'playwright-core';

export function pageFolder(built, viewer, zooms) {
  const folder = fs.mkdtempSync(path.join(os.tmpdir(), 'nuv-page-'));
  for (const name of fs.readdirSync(built))
    if (fs.statSync(path.join(built, name)).isFile())
      fs.symlinkSync(path.resolve(built, name), path.join(folder, name));
  for (const zoom of zooms) {
    const to = path.join(folder, 'refs', String(zoom));
    const run = spawnSync(viewer, ['--zoom', String(zoom), '--export', to], { encoding: 'utf8' });
    if (run.status !== 0) throw new Error(`the export at zoom ${zoom} failed: ${run.stderr}`);
  }
  return folder;
}

export function launchChromium() {
  return chromium.launch({
    executablePath: process.env.CHROMIUM ?? '/usr/bin/chromium',
    args: ['--no-sandbox', '--disable-gpu', '--disable-dev-shm-usage',
      '--disable-background-networking', '--disable-component-update', '--disable-sync',
      '--no-first-run'],
  });
}
