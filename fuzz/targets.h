// What the fuzz driver feeds: each loader of outside data, with the rules its result must
// keep. A target reads one input; a rule broken is a TFuzzFault, and any exception the
// loader does not document is one too (the driver sees it leave the target).
#pragma once

#include "fuzz/mutate.h"
#include "classlib/sysutils.h"

#include <stdexcept>
#include <string>
#include <vector>

// A rule the loader broke, in words.
class TFuzzFault : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct TFuzzTarget {
    const char* Name;     // also the corpus folder's name
    const char* About;
    TMutationHints Hints;
    // Reads one input: true when it was taken, false when it was refused with the loader's
    // clear error.
    bool (*Run)(const uint8_t* Data, size_t Size);
};

const std::vector<TFuzzTarget>& FuzzTargets();

// A target that commits the fault Kind on every input: crash, hang, heap (a write past a
// block), leak, gdi (a drawing object left behind), escape (an exception the loader does not
// document), abort, or anything else for a rule broken. For testing the driver itself.
const TFuzzTarget* SelfTestTarget(const std::string& Kind);

// Loads what the targets compare against (the fixture skin, known good pictures) from the
// fuzz data folder (tests/data/fuzz). Raises Exception when something is missing.
void PrepareFuzzTargets(const WideString& DataDir);

// The whole of a file; raises Exception when it cannot be read.
TBytes ReadFileBytes(const WideString& Path);
