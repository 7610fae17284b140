// program.h: what the tests, the fuzzers and the benchmark do to the
// program's own state: pick a text the way the file list does before the
// text is measured.
#ifndef TOMO_TEST_PROGRAM_H
#define TOMO_TEST_PROGRAM_H

#include <cstdio>
#include <string>

#include "tomo.h"

namespace testutil {

// folder/name as the only entry of a list showing folder, selected.
inline void PickText(const std::string &folder, const std::string &name) {
    snprintf(curPath, sizeof curPath, "%s", folder.c_str());
    snprintf(dirlist[0].file, sizeof dirlist[0].file, "%s", name.c_str());
    dirlist[0].isADir = 0;
    dirlist[1].file[0] = '\0';
    listcnt = 1;
    top_of_list = 0;
    snprintf(filename, sizeof filename, "%s/%s", folder.c_str(), name.c_str());
}

}  // namespace testutil

#endif
