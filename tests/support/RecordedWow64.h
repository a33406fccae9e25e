// While the object lives, this program plays a 32-bit program on 64-bit
// Windows: IsWow64Process answers TRUE, and every switch of the file-system
// redirection is recorded instead of made (the test build never runs under
// WOW64). The calls stay readable after the object has gone.
#pragma once

#include <windows.h>

#include "shared/Wow64.h"

namespace vt {

struct RedirectionCalls {
    int off = 0;
    int on = 0;
    bool balanced = true;  // never switched off twice, never on while on, the old value handed back
};

class RecordedWow64 {
public:
    RecordedWow64() {
        Calls() = RedirectionCalls{};
        ReplaceWow64Api(&kApi);
    }
    ~RecordedWow64() { ReplaceWow64Api(nullptr); }
    RecordedWow64(const RecordedWow64&) = delete;
    RecordedWow64& operator=(const RecordedWow64&) = delete;

    // The calls of the latest object's life.
    static RedirectionCalls& Calls() {
        static RedirectionCalls calls;
        return calls;
    }

private:
    static inline const PVOID kOldValue = reinterpret_cast<PVOID>(0x5);
    static inline const Wow64Api kApi = {
        [](HANDLE, PBOOL wow64) -> BOOL {
            *wow64 = TRUE;
            return TRUE;
        },
        [](PVOID* old) -> BOOL {
            RedirectionCalls& calls = Calls();
            if (calls.off != calls.on) calls.balanced = false;
            ++calls.off;
            *old = kOldValue;
            return TRUE;
        },
        [](PVOID old) -> BOOL {
            RedirectionCalls& calls = Calls();
            if (calls.on + 1 != calls.off || old != kOldValue) calls.balanced = false;
            ++calls.on;
            return TRUE;
        },
    };
};

}  // namespace vt
