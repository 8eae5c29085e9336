// Which code of the loaders an input reached. The fuzz driver builds the loaders' sources once
// more with a mark at every branch (GCC's -fsanitize-coverage=trace-pc, see CMakeLists.txt);
// each mark counts the pair (the mark before it, this mark) in a table. An input that reaches
// a pair no input reached before, or reaches one a number of times not seen before (counted
// as 1, 2, 3, 4-7, 8-15, 16-31, 32-127 or 128 and more), is kept to make later inputs from:
// damage that gets further into a loader is built on rather than lost.
#pragma once

#include <cstddef>
#include <cstdint>

// Forgets what the last input reached, before the next one runs.
void CoverageClear();

// What the inputs of one target have reached so far.
class TCoverageSeen {
public:
    // Takes in what the last input reached; true when some of it is new.
    bool Merge();
    // Pairs of marks reached at all.
    size_t Pairs() const;

private:
    uint8_t FBuckets[1 << 16] = {};
};
