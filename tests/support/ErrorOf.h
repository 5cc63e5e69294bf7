#pragma once

#include <QString>

// The message of the exception of type E that f raises; empty when it raises none.
template <class E, class F>
QString ErrorOf(F&& f) {
    try {
        f();
    } catch (const E& e) {
        return e.message();
    }
    return {};
}
