// child.h: the decoder child: the game's own program started as `kalvero --decode
// WIDTHxHEIGHT`, with a picture file as its standard input and limits on its
// memory and time (reader.h). It writes one record to its standard output:
//   "KLV1", then the error, the width and the height as 32-bit little-endian
//   numbers, then width x height pixels of 0xffRRGGBB in the machine's byte order, row by row;
// a refusal has no pixels. Nothing else is written there.
#pragma once

#include <QByteArrayView>
#include <QSize>

namespace decoder {

constexpr char RecordMagic[] = "KLV1";
constexpr int RecordHeaderBytes = 16;

// True when the program was started as the decoder child.
bool IsDecoderCall(int argc, char **argv);

// The child's whole life: reads its standard input, decodes it and writes the record.
// A hidden switch, `--misbehave crash|hang|spin|hog|flood|chatter`, makes it fail on
// purpose instead, so that tests can see the game survive a decoder gone wrong.
int RunDecoder(int argc, char **argv);

} // namespace decoder
