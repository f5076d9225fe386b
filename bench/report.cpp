#include "report.h"

#include <cstdio>

void report(const char *key, double value)
{
    std::printf("%s %.6g\n", key, value);
    std::fflush(stdout);
}
