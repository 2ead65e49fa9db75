#include "base/environment.h"

#include <atomic>
#include <cstring>

namespace tqxml {
namespace {

Environment g_defaultEnvironment;
std::atomic<Environment*> g_processEnvironment{nullptr};
thread_local Environment* t_threadEnvironment = nullptr;

const char* BaseName(const char* path) {
    const char* base = path;
    for (const char* p = path; *p; ++p)
        if (*p == '/' || *p == '\\') base = p + 1;
    return base;
}

} // namespace

Environment* Environment::Get() {
    if (t_threadEnvironment) return t_threadEnvironment;
    Environment* env = g_processEnvironment.load(std::memory_order_acquire);
    return env ? env : &g_defaultEnvironment;
}

Environment* Environment::Set(Environment* env) {
    return g_processEnvironment.exchange(env, std::memory_order_acq_rel);
}

ScopedThreadEnvironment::ScopedThreadEnvironment(Environment* env)
    : previous_(t_threadEnvironment) {
    t_threadEnvironment = env;
}

ScopedThreadEnvironment::~ScopedThreadEnvironment() { t_threadEnvironment = previous_; }

void ReportAssertionAt(const char* expression, const char* sourceFile, int line) {
    Environment::Get()->ReportAssertion(expression, BaseName(sourceFile), line);
}

} // namespace tqxml
