// A static server for one folder, on 127.0.0.1 only, on a free port.
// Pages opened through prepared(code) run that code before the page's own
// scripts: the server writes it into index.html, so it works the same in
// every engine, whatever its driver can or cannot inject.
import fs from 'node:fs';
import http from 'node:http';
import path from 'node:path';

const types = { '.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm' };

export async function serve(folder) {
  const root = path.resolve(folder);
  const prepares = [];   // code by the number in the /p/N/ prefix
  const server = http.createServer((request, response) => {
    let name = decodeURIComponent(request.url.split('?')[0]).replace(/^\/+/, '');
    let prepare = null;
    const prefix = /^p\/(\d+)\//.exec(name);
    if (prefix) {
      prepare = prepares[Number(prefix[1])];
      name = name.slice(prefix[0].length);
    }
    name = name || 'index.html';
    const file = path.join(root, path.normalize(name));
    if (!file.startsWith(root + path.sep)) {
      response.writeHead(403).end();
      return;
    }
    fs.readFile(file, (error, data) => {
      if (error) {
        response.writeHead(404).end();
        return;
      }
      if (prepare && name === 'index.html') {
        const script = `<script>(${prepare})();</script>\n`;
        const text = data.toString('utf8');
        const at = text.indexOf('<script');
        data = Buffer.from(at < 0 ? text + script : text.slice(0, at) + script + text.slice(at));
      }
      response.writeHead(200, { 'Content-Type': types[path.extname(file)] || 'application/octet-stream',
        'Cache-Control': 'no-store' });
      response.end(data);
    });
  });
  await new Promise((done) => server.listen(0, '127.0.0.1', done));
  const address = `http://127.0.0.1:${server.address().port}/`;
  return {
    address,
    // The address of a page that runs prepare (a function) before its scripts.
    prepared(prepare) {
      prepares.push(prepare.toString());
      return `${address}p/${prepares.length - 1}/`;
    },
    close() {
      server.close();
    },
  };
}
