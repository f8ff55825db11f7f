// The one way a test answers a call the way Wine cannot: it replaces fields
// of a program's calls struct (spoolerCalls, checkCalls, fileCalls,
// netApiCalls) through this guard, which puts the whole struct back when it
// goes out of scope, on every way out of the test.
#pragma once

namespace testing_support {

template <class Calls>
class ScopedCalls {
public:
    explicit ScopedCalls(Calls& live) : live_(live), saved_(live) {}
    ~ScopedCalls() { restore(); }
    ScopedCalls(const ScopedCalls&) = delete;
    ScopedCalls& operator=(const ScopedCalls&) = delete;

    // The live struct, whose fields the test sets.
    Calls* operator->() { return &live_; }
    // Back to the calls as they were when the guard was made, for a test
    // that goes on with them.
    void restore() { live_ = saved_; }

private:
    Calls& live_;
    const Calls saved_;
};

}  // namespace testing_support
