// Runs finished programs through another function for the life of the guard.
#pragma once

#include "engine/ScriptWriter.h"

class ScopedScriptRunner {
public:
    explicit ScopedScriptRunner(ScriptRunner runner) : previous_(SetScriptRunner(runner)) {}
    ~ScopedScriptRunner() { SetScriptRunner(previous_); }
    ScopedScriptRunner(const ScopedScriptRunner&) = delete;
    ScopedScriptRunner& operator=(const ScopedScriptRunner&) = delete;

private:
    ScriptRunner previous_;
};
