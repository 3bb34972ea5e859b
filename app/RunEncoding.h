// The encoding run: after the user confirms, writes the encoding script for the whole
// track list into the temporary folder and starts it in a new console window. It does
// not wait for the encoding; the script deletes itself after its final pause.
#pragma once

class EncodingServices;
class Prompter;
class TrackList;

// The run as the start-encoding command uses it, over the machine's own services.
void RunEncoding(TrackList& tracks, Prompter& prompter);

// The run over the given services. Nothing happens for an empty list or a "No".
// Every failure is reported through `prompter`, and then nothing is launched:
// "ProgramFiles" not set, an encoder folder or script path over 259 bytes, a script
// that cannot be created or fully written. When the fixed-name script already exists
// (a console may still be running it) the first free of "-2" to "-99" is created.
// Unless the console reads code page 932 already, the script switches it first.
void RunEncoding(TrackList& tracks, Prompter& prompter, EncodingServices& services);
