// real.h: the next definition of a function that a preload library or a
// program stands in front of, for the stand-in, the benchmark and the
// open(2) counter. A missing one ends the process at once, with status 96.
#ifndef TOMO_TEST_REAL_H
#define TOMO_TEST_REAL_H

#include <dlfcn.h>
#include <stdio.h>
#include <unistd.h>

namespace testutil {

template <typename F>
F RealFunction(const char *name) {
    void *p = dlsym(RTLD_NEXT, name);
    if (p == nullptr) {
        fprintf(stderr, "no real %s to stand in front of\n", name);
        _exit(96);
    }
    return reinterpret_cast<F>(p);
}

}  // namespace testutil

#endif
