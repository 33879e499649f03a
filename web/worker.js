// worker.js: the page's decoder worker, one picture each. The page posts
// {wasm, file, width, height}: the decoder's compiled WebAssembly, the File (or Blob)
// chosen, and the most pixels the board can show of it. The worker answers
// {progress: true} as the file's bytes come, {read: true} once all of them are in (the
// page's watchdog counts from there), and then either {bitmap, lesson}: the board's part
// of the picture over white, width x height or smaller, never enlarged, and for a
// lesson's page {text, textCut, start} (start: 30 tiles or null); or {error} (a picture
// error) or {lessonError}: why the file gives no picture. The page ends the worker
// after its answer.
"use strict";

var ReadFailed = 5, TooLarge = 9, Damaged = 10, Jpeg = 1;

// All of a file's bytes, telling the page as they come: a drive that stalls is the
// page's to judge, and a slow one is waited for while it makes progress.
function readAll(file) {
  var bytes = new Uint8Array(file.size), length = 0, told = 0;
  var reader = file.stream().getReader();
  function next() {
    return reader.read().then(function (chunk) {
      if (chunk.done) return bytes.subarray(0, length);
      var piece = chunk.value;
      if (length + piece.length > bytes.length) throw new Error("the file grew while it was read");
      bytes.set(piece, length);
      length += piece.length;
      var now = Date.now();
      if (now - told > 100) {
        told = now;
        postMessage({progress: true});
      }
      return next();
    });
  }
  return next();
}

// The picture turned as its EXIF orientation (1 to 8) says, on a canvas of its own.
function turned(bitmap, orientation) {
  if (orientation < 2 || orientation > 8) return bitmap;
  var across = orientation >= 5;
  var w = across ? bitmap.height : bitmap.width, h = across ? bitmap.width : bitmap.height;
  var canvas = new OffscreenCanvas(w, h), context = canvas.getContext("2d");
  var transforms = {2: [-1, 0, 0, 1, w, 0], 3: [-1, 0, 0, -1, w, h], 4: [1, 0, 0, -1, 0, h],
                    5: [0, 1, 1, 0, 0, 0], 6: [0, 1, -1, 0, w, 0], 7: [0, -1, -1, 0, w, h], 8: [0, -1, 1, 0, 0, h]};
  context.setTransform.apply(context, transforms[orientation]);
  context.drawImage(bitmap, 0, 0);
  bitmap.close();
  return canvas;
}

// The board's part of `source` (w x h), smoothly scaled to at most the job's size.
function boardPart(decoder, source, w, h, job) {
  var at = decoder._kalvero_crop(w, h) >> 2;
  var crop = decoder.HEAP32.subarray(at, at + 4);
  var kept = Math.max(1, Math.min(crop[2], job.width));
  var keptDown = Math.max(1, Math.floor(kept * job.height / job.width));
  var canvas = new OffscreenCanvas(kept, keptDown);
  var context = canvas.getContext("2d", {alpha: false});
  context.fillStyle = "#FFFFFF";
  context.fillRect(0, 0, kept, keptDown);
  context.imageSmoothingEnabled = true;
  context.imageSmoothingQuality = "high";
  context.drawImage(source, crop[0], crop[1], crop[2], crop[3], 0, 0, kept, keptDown);
  return canvas.transferToImageBitmap();
}

// A lesson's page: its lesson read, its picture judged as any picture.
function decode(decoder, bytes, job) {
  var at = decoder._kalvero_alloc(Math.max(1, bytes.length));
  if (!at) return Promise.resolve({error: TooLarge});
  decoder.HEAPU8.set(bytes, at);
  var lessonError = decoder._kalvero_lesson(at, bytes.length);
  if (lessonError > 0) return Promise.resolve({lessonError: lessonError});
  if (lessonError < 0) return decodePicture(decoder, at, bytes.length, job);
  var text = decoder._kalvero_lesson_text(), start = decoder._kalvero_lesson_start() >> 2;
  var lesson = {
    text: new TextDecoder("utf-8", {ignoreBOM: true}).decode(decoder.HEAPU8.slice(text, text + decoder._kalvero_lesson_text_size())),
    textCut: decoder._kalvero_lesson_text_cut() === 1,
    start: start ? Array.from(decoder.HEAP32.subarray(start, start + 30)) : null
  };
  var picture = decoder._kalvero_lesson_picture(), size = decoder._kalvero_lesson_picture_size();
  return decodePicture(decoder, picture, size, job).then(function (answer) {
    if (answer.bitmap) answer.lesson = lesson;
    return answer;
  });
}

function decodePicture(decoder, at, length, job) {
  var verdict = decoder._kalvero_check(at, length);
  var format = verdict >> 8, error = verdict & 255;
  if (error) return Promise.resolve({error: error});
  if (format === Jpeg) {
    error = decoder._kalvero_decode_jpeg(at, length, job.width, job.height);
    if (error) return Promise.resolve({error: error});
    var w = decoder._kalvero_width(), h = decoder._kalvero_height();
    var orientation = decoder._kalvero_orientation(at, length);
    var start = decoder._kalvero_pixels();
    var image = new ImageData(new Uint8ClampedArray(decoder.HEAPU8.subarray(start, start + w * h * 4)), w, h);
    return createImageBitmap(image).then(function (bitmap) {
      var source = turned(bitmap, orientation);
      return {bitmap: boardPart(decoder, source, source.width, source.height, job)};
    });
  }
  // PNG, GIF, WebP and BMP: the browser's own decoders, here in the worker.
  // A copy: the decoder's memory may move when it grows.
  var file = new Blob([decoder.HEAPU8.slice(at, at + length)]);
  return createImageBitmap(file, {imageOrientation: "from-image"}).then(function (bitmap) {
    if (!decoder._kalvero_fits(bitmap.width, bitmap.height)) {
      bitmap.close();
      return {error: TooLarge};
    }
    var part = boardPart(decoder, bitmap, bitmap.width, bitmap.height, job);
    bitmap.close();
    return {bitmap: part};
  }, function () {
    return {error: Damaged};
  });
}

self.onmessage = function (event) {
  var job = event.data;
  self.onmessage = null;   // one picture a worker
  readAll(job.file).then(function (bytes) {
    postMessage({read: true});
    return KalveroDecoder({
      instantiateWasm: function (imports, done) {
        WebAssembly.instantiate(job.wasm, imports).then(function (instance) { done(instance); });
        return {};
      }
    }).then(function (decoder) {
      return decode(decoder, bytes, job);
    }).then(function (answer) {
      postMessage(answer, answer.bitmap ? [answer.bitmap] : []);
    }, function () {
      postMessage({error: Damaged});
    });
  }, function () {
    postMessage({error: ReadFailed});
  });
};
