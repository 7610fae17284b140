// fuzzcheck.h: a failed check ends the fuzzer's run, with a message that
// libFuzzer keeps beside the input. The helpers the fuzz targets share
// with the tests are in tests/support/.
#ifndef TOMO_FUZZCHECK_H
#define TOMO_FUZZCHECK_H

#include <stdio.h>
#include <stdlib.h>

#define FUZZ_CHECK(cond)                                                               \
    do {                                                                               \
        if (!(cond)) {                                                                 \
            printf("check failed at %s:%d: %s\n", __FILE__, __LINE__, #cond);         \
            fflush(stdout);                                                            \
            abort();                                                                   \
        }                                                                              \
    } while (0)

#endif
