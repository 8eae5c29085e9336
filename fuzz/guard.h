// Keeps the input being run when the program dies of it: a fault of the checking heap, a
// crash of the processor (an access violation, a stack overflow ...) or an input that does
// not end. The input is written to a file before the program ends, and a line says what
// happened and where it went. Nothing here allocates once an input runs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Exit codes of the fuzz driver besides MemMgrFaultExitCode.
constexpr int FuzzFaultExitCode = 1;   // a rule broken or a resource lost: reported, the run went on
constexpr int FuzzCrashExitCode = 3;   // the program crashed or hung on an input

// Installs the handlers and the watchdog. KeepDir: where inputs that fail are kept, one
// folder a target.
void StartFuzzGuard(const std::wstring& KeepDir, unsigned HangSeconds);

// Before and after each input. Describe says which input it is (for the report); the data
// must stay where it is until InputDone.
void InputStarts(const char* Target, const char* Describe, const uint8_t* Data, size_t Size);
void InputDone();

// Writes an input that broke a rule beside those that crashed; answers the file's name.
std::wstring KeepInput(const char* Target, const uint8_t* Data, size_t Size);
