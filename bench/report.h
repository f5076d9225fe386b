#pragma once

// One result on standard output as "key value", the form bench/run collects.
void report(const char *key, double value);
