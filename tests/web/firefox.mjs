// `make test-web`, its Firefox part: the page in Debian's firefox-esr (headed,
// under a virtual display: WebGL 2 on Mesa), driven by puppeteer-core over
// WebDriver BiDi, served from 127.0.0.1. The path people take: the set-up
// dialog, 16:9, windowed, Run; the show time must run forward, with Web Audio
// or, where sound cannot start, after the page's "Play without sound"; a
// moment held with Pause must match vorn-capture's frame at the same show
// time; Escape ends the show; the console takes no error; nothing is asked
// of any host but 127.0.0.1. Prints one line per check and 'N passed,
// N failed' last; exits 1 when a check failed, 2 on a usage error.

import { execFileSync } from "node:child_process";
import fs from "node:fs";
import http from "node:http";
import path from "node:path";
import { fileURLToPath } from "node:url";
import { parseArgs } from "node:util";

const HERE = path.dirname(fileURLToPath(import.meta.url));
const FIREFOX = "/usr/bin/firefox-esr";
const SIZE = [640, 360];
// The set-up dialog is drawn 324 x 234 canvas pixels; where its controls
// are on it (as in browser.py): "16:9" in the aspect list, the "Fullscr"
// box, "Run".
const DIALOG = [324, 234];
const ASPECT_16_9 = [180, 203];
const FULLSCREEN_BOX = [217, 182];
const RUN_BUTTON = [295, 212];
// The held moment (patterns): the metaballs growing after the first hit.
// Against vorn-capture (pictures.py's bounds), Firefox on Mesa's llvmpipe
// with the canvas laid out at 1400 x 787 gave tile means within 2.3 to 3.3.
const MOMENT = 3.3;
// Seconds the show time is watched running before any key.
const PLAY_SECONDS = 3;
// Seconds the show time may stay put after Run before the sound is taken
// as not starting (the page offers its buttons after a second or two).
const SOUND_WAIT = 6;

// Firefox's own traffic turned off (puppeteer's profile already stops
// updates, safe browsing and health reports); whatever still goes out is
// sent to a local proxy that refuses it and records it.
function firefoxPrefs(proxyPort) {
  return {
    "network.proxy.type": 1,
    "network.proxy.http": "127.0.0.1",
    "network.proxy.http_port": proxyPort,
    "network.proxy.ssl": "127.0.0.1",
    "network.proxy.ssl_port": proxyPort,
    "network.proxy.share_proxy_settings": true,
    "network.proxy.allow_hijacking_localhost": false,
    "network.trr.mode": 5,
    "network.dns.disablePrefetch": true,
    "network.prefetch-next": false,
    "network.predictor.enabled": false,
    "network.captive-portal-service.enabled": false,
    "network.connectivity-service.enabled": false,
    "captivedetect.canonicalURL": "",
    "toolkit.telemetry.enabled": false,
    "toolkit.telemetry.unified": false,
    "toolkit.telemetry.archive.enabled": false,
    "toolkit.telemetry.server": "",
    "datareporting.healthreport.uploadEnabled": false,
    "datareporting.policy.dataSubmissionEnabled": false,
    "app.update.auto": false,
    "app.normandy.enabled": false,
    "app.shield.optoutstudies.enabled": false,
    "browser.safebrowsing.malware.enabled": false,
    "browser.safebrowsing.phishing.enabled": false,
    "browser.safebrowsing.downloads.remote.enabled": false,
    "browser.safebrowsing.provider.google4.updateURL": "",
    "browser.safebrowsing.provider.google.updateURL": "",
    // Honoured with MOZ_REMOTE_SETTINGS_DEVTOOLS=1 in the environment.
    "services.settings.server": "data:,#remote-settings-dummy/v1",
    "security.remote_settings.crlite_filters.enabled": false,
    "security.remote_settings.intermediates.enabled": false,
    "extensions.systemAddon.update.enabled": false,
    "extensions.blocklist.enabled": false,
    "media.gmp-manager.url": "",
    "media.gmp-gmpopenh264.enabled": false,
    "browser.region.network.url": "",
    "browser.region.update.enabled": false,
    "browser.search.geoip.url": "",
    "geo.provider.network.url": "",
    "dom.push.connection.enabled": false,
    "browser.newtabpage.activity-stream.feeds.telemetry": false,
    "browser.newtabpage.activity-stream.telemetry": false,
    "browser.ping-centre.telemetry": false,
    "browser.topsites.contile.enabled": false,
    "identity.fxaccounts.enabled": false,
    "security.OCSP.enabled": 0,
  };
}

const USAGE = `usage: firefox.mjs --capture VORN_CAPTURE --page FOLDER --out FOLDER

The page's set-up dialog and show path in firefox-esr under a virtual display
(run it with xvfb-run), against the Linux vorn-capture.

  --capture PATH   the Linux vorn-capture
  --page FOLDER    the page's folder (build-web/vorn)
  --out FOLDER     folder for the screenshots and the native frame
  -h, --help       this text`;

function usageError(message) {
  process.stderr.write(`firefox.mjs: ${message} (see --help)\n`);
  process.exit(2);
}

function parseArguments() {
  let parsed;
  try {
    parsed = parseArgs({
      options: {
        capture: { type: "string" },
        page: { type: "string" },
        out: { type: "string" },
        help: { type: "boolean", short: "h" },
      },
    }).values;
  } catch (error) {
    usageError(error.message.split("\n")[0]);
  }
  if (parsed.help) {
    console.log(USAGE);
    process.exit(0);
  }
  for (const name of ["capture", "page", "out"]) {
    if (!parsed[name]) usageError(`--${name} is required`);
  }
  if (!fs.existsSync(path.join(parsed.page, "index.html"))) usageError(`no index.html in ${parsed.page}`);
  try {
    fs.accessSync(parsed.capture, fs.constants.X_OK);
  } catch {
    usageError(`${parsed.capture} is not a program`);
  }
  return {
    capture: path.resolve(parsed.capture),
    page: path.resolve(parsed.page),
    out: path.resolve(parsed.out),
  };
}

function progress(text) {
  process.stderr.write(text + "\n");
}

const sleep = (seconds) => new Promise((resolve) => setTimeout(resolve, seconds * 1000));

// Polls condition() until it gives something true: that value, or null after
// timeout seconds.
async function waitFor(condition, timeout, step = 0.05) {
  const end = Date.now() + timeout * 1000;
  for (;;) {
    const value = await condition();
    if (value) return value;
    if (Date.now() > end) return null;
    await sleep(step);
  }
}

class Checks {
  passed = 0;
  failed = 0;

  check(name, ok, detail = "") {
    if (ok) {
      this.passed++;
      console.log(`ok   ${name}${detail ? ` (${detail})` : ""}`);
    } else {
      this.failed++;
      console.log(`FAIL ${name}${detail ? `: ${detail}` : ""}`);
    }
    return ok;
  }
}

const TYPES = {
  ".html": "text/html; charset=utf-8",
  ".js": "text/javascript",
  ".wasm": "application/wasm",
  ".data": "application/octet-stream",
  ".json": "application/json",
  ".png": "image/png",
  ".ico": "image/x-icon",
};

// Serves folder on 127.0.0.1 at a free port; resolves to the server.
function serve(folder) {
  const server = http.createServer((request, response) => {
    const name = decodeURIComponent(new URL(request.url, "http://127.0.0.1").pathname);
    const file = path.join(folder, path.normalize(name === "/" ? "/index.html" : name));
    if (!file.startsWith(folder + path.sep) || !fs.statSync(file, { throwIfNoEntry: false })?.isFile()) {
      response.writeHead(404).end();
      return;
    }
    response.writeHead(200, { "Content-Type": TYPES[path.extname(file)] || "application/octet-stream" });
    fs.createReadStream(file).pipe(response);
  });
  return new Promise((resolve) => server.listen(0, "127.0.0.1", () => resolve(server)));
}

// The proxy Firefox sends everything not for 127.0.0.1 to: refuses it and
// records the host it was for.
function refusingProxy(asked) {
  const server = http.createServer((request, response) => {
    asked.add(new URL(request.url, "http://unknown").host);
    response.writeHead(403).end();
  });
  server.on("connect", (request, socket) => {
    asked.add(request.url);
    socket.end("HTTP/1.1 403 Forbidden\r\n\r\n");
  });
  return new Promise((resolve) => server.listen(0, "127.0.0.1", () => resolve(server)));
}

// 0 starting, 1 black pause, 2 show, 3 ended, 4 set-up dialog; -1 before the
// program's code is loaded.
const stage = (page) => page.evaluate(() => (window.vornReady ? Module._vornStage() : -1));
// The show time of the frame drawn last, in patterns.
const showTime = (page) => page.evaluate(() => Module._vornShowTime());

// A click at (x, y) pixels of the set-up dialog, wherever and however large
// the canvas is laid out: as a hand clicks, the pointer comes to rest first
// and the button stays down a moment, frames of the dialog in between (a
// press and release within one frame can pass unseen).
async function clickDialog(page, [x, y]) {
  const box = await page.evaluate(() => {
    const r = document.getElementById("canvas").getBoundingClientRect();
    return { left: r.left, top: r.top, width: r.width, height: r.height };
  });
  await page.mouse.move(box.left + (x * box.width) / DIALOG[0], box.top + (y * box.height) / DIALOG[1]);
  await sleep(0.1);
  await page.mouse.down();
  await sleep(0.1);
  await page.mouse.up();
  await sleep(0.1);
}

// Loads the page with the canvas size preselected, takes the dialog's
// picture, picks 16:9, unchecks "Fullscr", presses Run and waits for the
// show: the seconds from Run to the show, or null (and the page's picture
// then).
async function startShow(page, address, out) {
  await page.goto(`${address}?mode=${SIZE.join("x")}`);
  if (!(await waitFor(async () => (await stage(page)) === 4, 60))) return null;
  await sleep(0.5); // a few frames of the dialog
  await page.screenshot({ path: path.join(out, "dialog.png") });
  await clickDialog(page, ASPECT_16_9);
  await clickDialog(page, FULLSCREEN_BOX);
  const start = Date.now();
  await clickDialog(page, RUN_BUTTON);
  if (!(await waitFor(async () => [2, 3].includes(await stage(page)), 180, 0.02))) {
    await page.screenshot({ path: path.join(out, "no-show.png") });
    return null;
  }
  return (Date.now() - start) / 1000;
}

// Whether the show time gets past `from` within timeout seconds.
const movesOn = (page, from, timeout) => waitFor(async () => (await showTime(page)) > from, timeout);

// Waits for the show time to move; where it does not, clicks the page's
// "Play without sound" once it shows. {ok, how}: how the show came to run,
// with Web Audio or without sound, or why it did not.
async function getShowRunning(page) {
  const first = await showTime(page);
  const offered = async () => {
    const button = await page.$("#sound-off");
    return button && (await button.isVisible()) ? button : null;
  };
  const moved = await waitFor(async () => ((await showTime(page)) > first ? "moved" : await offered()), SOUND_WAIT);
  if (moved === "moved") return { ok: true, how: "sound: Web Audio" };
  if (!moved) return { ok: false, how: `show time stays at ${first} and no "Play without sound" is offered` };
  await moved.click();
  if (await movesOn(page, await showTime(page), 10)) return { ok: true, how: 'sound: none, "Play without sound" pressed' };
  return { ok: false, how: `show time stays at ${await showTime(page)} after "Play without sound"` };
}

// Samples the show time for seconds: [times] in order.
async function watchShowTime(page, seconds) {
  const times = [];
  const end = Date.now() + seconds * 1000;
  while (Date.now() < end) {
    times.push(await showTime(page));
    await sleep(0.1);
  }
  return times;
}

// Moves the show to the pattern below target with Page Down, lets it play on
// to target and holds it with Pause: the held show time, or null.
async function holdAt(page, target) {
  while ((await showTime(page)) < Math.floor(target)) {
    const pattern = Math.floor(await showTime(page));
    await page.keyboard.press("PageDown");
    // One step at a time: the next once a frame shows this one.
    if (!(await waitFor(async () => (await showTime(page)) >= pattern + 1, 10))) return null;
  }
  if (!(await waitFor(async () => (await showTime(page)) >= target, 30))) return null;
  await page.keyboard.press("Pause");
  // Held: the same time frame after frame.
  return waitFor(async () => {
    const first = await showTime(page);
    await sleep(0.5);
    return (await showTime(page)) === first ? first : null;
  }, 10, 0);
}

// The canvas's picture compared with vorn-capture's frame at the held time
// (pictures.py, shared with the Chromium test): [ok, detail].
async function compareWithCapture(page, held, capture, out) {
  const canvas = await page.$("#canvas");
  const layout = await canvas.evaluate((c) => {
    const r = c.getBoundingClientRect();
    return { width: c.width, height: c.height, cssWidth: r.width, cssHeight: r.height };
  });
  if (layout.width !== SIZE[0] || layout.height !== SIZE[1])
    return [false, `the canvas is ${layout.width}x${layout.height}, not ${SIZE.join("x")}`];
  const pagePng = path.join(out, "show.png");
  const nativePng = path.join(out, "native.png");
  await canvas.screenshot({ path: pagePng });
  execFileSync(capture, ["--at", String(held), "--backend", "shader", "--size", SIZE.join("x"),
    "--out", nativePng, "--quiet"], { stdio: ["ignore", "ignore", "inherit"] });
  // Laid out at another size than its own, the canvas is compared with the
  // native frame scaled to match.
  const scaled = layout.cssWidth !== layout.width || layout.cssHeight !== layout.height;
  const result = JSON.parse(execFileSync("/usr/bin/python3",
    [path.join(HERE, "pictures.py"), pagePng, nativePng, ...(scaled ? ["--fit"] : [])], { encoding: "utf8" }));
  if (result.error) return [false, result.error];
  return [result.matches, `t = ${held}: ${(100 * result.far).toFixed(3)} % of values more than ` +
    `${result.far_levels} off, tile means within ${result.tile.toFixed(2)}` +
    (scaled ? `, native scaled to ${layout.cssWidth}x${layout.cssHeight}` : "")];
}

async function run(args, checks) {
  let puppeteer;
  try {
    puppeteer = (await import("puppeteer-core")).default;
  } catch {
    throw new Error("puppeteer-core is missing: npm ci --prefix tests/web installs it");
  }
  const errors = [];
  const asked = new Set();
  const server = await serve(args.page);
  const proxy = await refusingProxy(asked);
  let browser = null;
  try {
    // A fresh profile of its own in a temporary folder, removed on close.
    progress("starting firefox-esr");
    browser = await puppeteer.launch({
      browser: "firefox",
      executablePath: FIREFOX,
      headless: false,
      args: ["--width=1400", "--height=900"],
      extraPrefsFirefox: firefoxPrefs(proxy.address().port),
      env: { ...process.env, MOZ_REMOTE_SETTINGS_DEVTOOLS: "1" },
      protocolTimeout: 60000,
    });
    const page = (await browser.pages())[0];
    page.on("console", (message) => {
      if (message.type() === "error") errors.push(message.text());
    });
    page.on("pageerror", (error) => errors.push(`uncaught: ${error.message}`));

    progress("loading the page");
    const address = `http://127.0.0.1:${server.address().port}/`;
    const loading = await startShow(page, address, args.out);
    const message = () => page.$eval("#message", (m) => m.textContent);
    checks.check("run starts the show", loading !== null,
      loading !== null ? `${loading.toFixed(1)} s from Run to the show`
        : `stage ${await stage(page)}; page: ${await message()}`);
    if (loading !== null) {
      const running = await getShowRunning(page);
      const context = await page.evaluate(() =>
        Module.SDL2 && Module.SDL2.audioContext ? Module.SDL2.audioContext.state : "none");
      checks.check("the show runs", running.ok, `${running.how}; audio context ${context}`);
      if (running.ok) {
        const times = await watchShowTime(page, PLAY_SECONDS);
        const back = times.findIndex((t, i) => i > 0 && t < times[i - 1]);
        checks.check("the show time runs forward", back < 0 && times.at(-1) > times[0],
          `t = ${times[0].toFixed(3)} to ${times.at(-1).toFixed(3)} in ${PLAY_SECONDS} s` +
          (back >= 0 ? `, back from ${times[back - 1]} to ${times[back]}` : ""));
        progress(`holding t = ${MOMENT}`);
        const held = await holdAt(page, MOMENT);
        const name = `t = ${MOMENT} held matches vorn-capture`;
        if (held === null) checks.check(name, false, "no steady show time");
        else checks.check(name, ...(await compareWithCapture(page, held, args.capture, args.out)));
        await page.keyboard.press("Pause");
      }
      await page.keyboard.press("Escape");
      const ended = await waitFor(async () => (await stage(page)) === 3, 10);
      const text = (await waitFor(message, 2)) || "";
      checks.check("escape ends the show", ended && text.includes("ended"), `page: ${text}`);
    }
  } finally {
    if (browser) await browser.close();
    server.close();
    proxy.close();
  }
  checks.check("no error on the console", errors.length === 0, errors.join("; "));
  checks.check("nothing asked of hosts but 127.0.0.1", asked.size === 0, [...asked].join(", "));
}

async function main() {
  const args = parseArguments();
  fs.mkdirSync(args.out, { recursive: true });
  const checks = new Checks();
  const began = Date.now();
  try {
    await run(args, checks);
  } catch (error) {
    checks.check("the test ran to its end", false, error.message.split("\n")[0]);
  }
  console.log(`firefox test took ${((Date.now() - began) / 1000).toFixed(0)} s; pictures in ${args.out}`);
  console.log(`${checks.passed} passed, ${checks.failed} failed`);
  return checks.failed ? 1 : 0;
}

process.exitCode = await main();
