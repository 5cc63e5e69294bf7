#include "tests/support/Root.h"

std::string RootSkipReason() {
    return "creates Linux network namespaces; on Windows the real components are tested by "
           "tests/win/wine-tests.sh";
}
