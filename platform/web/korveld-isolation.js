// The page's isolation worker. Threads need a cross-origin isolated page,
// and a page is isolated only when its files arrive with the two headers
// below. Most static hosts do not send them; this service worker, installed
// by the page, fetches the page's own files and hands them on with the
// headers added. Files of other origins pass untouched (the page loads none).
const ISOLATION = {
  'Cross-Origin-Opener-Policy': 'same-origin',
  'Cross-Origin-Embedder-Policy': 'require-corp',
  'Cross-Origin-Resource-Policy': 'same-origin',
};
// Statuses whose responses carry no body.
const NO_BODY = [101, 204, 205, 304];

self.addEventListener('install', () => self.skipWaiting());
self.addEventListener('activate', (event) => event.waitUntil(self.clients.claim()));

self.addEventListener('fetch', (event) => {
  const request = event.request;
  if (new URL(request.url).origin !== self.location.origin) return;
  if (request.cache === 'only-if-cached' && request.mode !== 'same-origin') return;
  event.respondWith(fetch(request).then((response) => {
    if (response.type === 'opaque' || response.status === 0) return response;
    const headers = new Headers(response.headers);
    for (const [name, value] of Object.entries(ISOLATION)) headers.set(name, value);
    return new Response(NO_BODY.includes(response.status) ? null : response.body,
      { status: response.status, statusText: response.statusText, headers });
  }));
});
