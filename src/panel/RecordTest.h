// The microphone monitor's record test: the default input device records
// into a buffer of 1 MiB (16-bit mono, 8000 samples a second) and, every
// second until the test ends, what it recorded so far is played on the
// default output device. The recording is also written to RecordTest.pcm in
// the temporary folder when the test ends, and that file is then deleted.
#pragma once

#include <windows.h>
#include <mmsystem.h>

// PCM mono at 8000 samples a second with samples of the given size: the
// level meter's format (8 bits, unsigned) and the record test's (16 bits).
WAVEFORMATEX MicrophoneFormat(WORD bitsPerSample);

// Starts (on) or ends (0) the record test: it starts only when none runs
// and ends only when one runs. 0 done (or nothing to do); 1 the input
// device could not be opened; 2 the recording could not be started.
int SetRecordTest(int on);

// Whether a record test runs, and how many playback passes it started.
bool RecordTestRunning();
int RecordTestPlaybacks();
