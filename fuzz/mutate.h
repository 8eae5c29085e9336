// Inputs made from the corpus of a target by small damage: bit flips, bytes inserted and
// deleted, splices of two inputs, values known to find faults (0, -1, the limits of 16 and
// 32 bits, lengths at the edges of what is left), numbers in text, and the target's own words.
// Everything follows from the seed: input N of a target is the same on every run.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

using TBytes = std::vector<uint8_t>;

// A small, fast generator with 64 bits of state (splitmix64).
class TFuzzRandom {
public:
    explicit TFuzzRandom(uint64_t Seed) : FState(Seed) {}
    uint64_t Next();
    // 0 .. N - 1; 0 when N is 0.
    size_t Below(size_t N) { return N ? size_t(Next() % N) : 0; }
    bool OneIn(size_t N) { return Below(N) == 0; }

private:
    uint64_t FState;
};

// The seed of input Index of the target named Target in the run of seed Seed.
uint64_t InputSeed(uint64_t Seed, const std::string& Target, uint64_t Index);

struct TMutationHints {
    std::vector<std::string> Words;   // tokens of the format, inserted or written over bytes
    std::vector<size_t> EdgeSizes;    // input sizes where the reader changes its way
    bool Text = false;                // numbers in the text are worth replacing
    size_t MaxSize = 1 << 20;
};

// A new input from Corpus (not empty) by one to eight changes.
TBytes Mutate(const std::vector<TBytes>& Corpus, const TMutationHints& Hints, TFuzzRandom& R);
