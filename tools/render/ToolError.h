#pragma once

#include <juce_core/juce_core.h>

// Exit codes of tavorin-render.
namespace ExitCode
{
inline constexpr int success = 0;
inline constexpr int failure = 1;     // a file could not be read, written or used
inline constexpr int usage = 2;       // the command line asks for something that does not exist
inline constexpr int interrupted = 130;
} // namespace ExitCode

// What stops a run: a one-line message for the user and the exit code. Thrown anywhere in the
// tool, caught once in main.
struct ToolError
{
    juce::String message;
    int exitCode = ExitCode::failure;
};

[[noreturn]] inline void failWith (const juce::String& message) { throw ToolError { message, ExitCode::failure }; }
[[noreturn]] inline void usageError (const juce::String& message) { throw ToolError { message, ExitCode::usage }; }
