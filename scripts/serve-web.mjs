#!/usr/bin/env node
// Serves the web page (build-web/ by default) on the loopback address, as a static web server
// does: each file with its type, gzipped for a browser that takes it.
//   node scripts/serve-web.mjs [DIR [PORT]]
import fs from 'node:fs/promises';
import http from 'node:http';
import path from 'node:path';
import { pathToFileURL } from 'node:url';
import zlib from 'node:zlib';

const TYPES = {
  '.html': 'text/html; charset=utf-8',
  '.js': 'text/javascript; charset=utf-8',
  '.wasm': 'application/wasm',
  '.bin': 'application/octet-stream',
  '.svg': 'image/svg+xml',
  '.png': 'image/png',
  '.zip': 'application/zip',
};

// A file's gzipped bytes, made once for each version of it, as a server that keeps its files
// compressed hands them out.
const gzipped = new Map();
async function gzipOf(file, body) {
  const { mtimeMs } = await fs.stat(file);
  const kept = gzipped.get(file);
  if (kept?.mtimeMs === mtimeMs) return kept.bytes;
  const bytes = zlib.gzipSync(body, { level: 9 });
  gzipped.set(file, { mtimeMs, bytes });
  return bytes;
}

// Starts serving `root`; resolves to the server and its address once it listens.
export async function serve(root, port = 0) {
  const folder = path.resolve(root);
  const server = http.createServer(async (request, response) => {
    try {
      const name = decodeURIComponent(new URL(request.url, 'http://localhost').pathname);
      const file = path.join(folder, name.endsWith('/') ? `${name}index.html` : name);
      const type = TYPES[path.extname(file)];
      if (!file.startsWith(folder + path.sep) || !type) throw new Error('not a file of the page');
      let body = await fs.readFile(file);
      const headers = { 'Content-Type': type, 'Cache-Control': 'no-cache' };
      if (/\bgzip\b/.test(request.headers['accept-encoding'] ?? '')) {
        body = await gzipOf(file, body);
        headers['Content-Encoding'] = 'gzip';
      }
      response.writeHead(200, headers).end(body);
    } catch {
      response.writeHead(404).end();  // also a name that is no URL, or lies outside the folder
    }
  });
  await new Promise((resolve) => server.listen(port, '127.0.0.1', resolve));
  return { server, url: `http://127.0.0.1:${server.address().port}/` };
}

if (import.meta.url === pathToFileURL(process.argv[1]).href) {
  const { url } = await serve(process.argv[2] ?? 'build-web', Number(process.argv[3] ?? 8080));
  console.log(`nuv is served at ${url} (Ctrl+C ends it)`);
}
