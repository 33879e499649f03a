// loader.js: the page's WebAssembly travels in the page gzip-compressed, in base64, in
// script elements of their own: the game's, and the picture decoder's worker (its
// script and its code). The browser's DecompressionStream unpacks them.
function kalveroUnpack(id) {
  var text = atob(document.getElementById(id).textContent.trim());
  var bytes = new Uint8Array(text.length);
  for (var i = 0; i < text.length; i++) bytes[i] = text.charCodeAt(i);
  return new Response(new Blob([bytes]).stream().pipeThrough(new DecompressionStream("gzip"))).arrayBuffer();
}
Module["instantiateWasm"] = function (imports, done) {
  kalveroUnpack("kalveroCode").then(function (code) {
    return WebAssembly.instantiate(code, imports);
  }).then(function (result) {
    done(result.instance, result.module);
  });
  return {};
};
