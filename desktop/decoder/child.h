// child.h: the decoder child: the game's own program started as `kalvero --decode
// WIDTHxHEIGHT`, with a picture file's bytes on its standard input (the game's pipe,
// or a file) and limits on its memory and time (reader.h). A web page is read there
// as a lesson, and its picture decoded as any picture (decode.h). It writes one
// record (record.h) to its standard output, and nothing else there.
#pragma once

namespace decoder {

// True when the program was started as the decoder child.
bool IsDecoderCall(int argc, char **argv);

// Makes the process ready to be the child, before anything else it does: standard
// input and output binary, the output buffered in static storage, and memory running
// out anywhere ending the child with its TooLarge refusal. RunDecoder starts with it.
void PrepareDecoderChild();

// The child's whole life: reads its standard input, decodes it and writes the record.
int RunDecoder(int argc, char **argv);

} // namespace decoder
