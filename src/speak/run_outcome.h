#pragma once

// How the last speaking run ended, set by the speaking engine when a run ends.
enum class RunOutcome {
    Running,     // a run is active, or none has run yet
    Spoken,      // every line went out and the module reported idle after the last one
    Stopped,     // 中止: the module reported idle after the stop, no further line went out
    Abandoned,   // 中止 pressed again while stopping: ended at once, without an idle report
    ModuleError, // the module reported an error in the data sent; ended at its idle report
    PortLost,    // the device went away during the run
};
