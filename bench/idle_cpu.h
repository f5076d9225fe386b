#pragma once

// Lets the event loop run untouched for the given time and returns the CPU the process used
// meanwhile, as a percentage of one core.
double idleCpuPercent(int seconds);
