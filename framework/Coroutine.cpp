#include "Coroutine.h"

#include <cxxabi.h>

#include <boost/context/fiber.hpp>
#include <boost/context/protected_fixedsize_stack.hpp>
#include <exception>
#include <utility>

#include "Thread.h"

namespace fw {

namespace ctx = boost::context;

namespace {

// Reserved, not committed: only the pages a body touches cost memory. A guard page below it turns
// an overflow into a fault instead of corrupting the memory next to it.
constexpr size_t kStackSize = 8 * 1024 * 1024;

// The C++ runtime keeps the exceptions being handled, and the count of those being thrown, per OS
// thread. Each coroutine needs its own: a body that gives way inside a catch block would otherwise
// end, or rethrow, the exception the main thread is handling. The layout is the ABI's
// (__cxa_eh_globals, opaque in <cxxabi.h>).
struct ExceptionsInFlight {
    void* caughtExceptions = nullptr;
    unsigned int uncaughtExceptions = 0;
};

void SwapExceptionsInFlight(ExceptionsInFlight& other) {
    auto* mine = reinterpret_cast<ExceptionsInFlight*>(abi::__cxa_get_globals());
    std::swap(*mine, other);
}

}  // namespace

struct Coroutine::Impl {
    std::function<void()> body;
    ctx::fiber fiber;               // the body, while it is switched out
    ctx::fiber resumer;             // whoever resumed it, while the body runs
    ExceptionsInFlight exceptions;  // the body's, while it is switched out
    std::optional<std::string> escapedError;
};

Coroutine::Coroutine(std::function<void()> body) : d(std::make_unique<Impl>()) {
    d->body = std::move(body);
}

Coroutine::~Coroutine() = default;

void Coroutine::Start() {
    killRequested_ = false;
    d->escapedError.reset();
    d->exceptions = {};
    d->fiber = ctx::fiber(std::allocator_arg, ctx::protected_fixedsize_stack(kStackSize),
                          [this](ctx::fiber&& resumer) {
                              d->resumer = std::move(resumer);
                              try {
                                  if (killRequested_) throw ThreadKilled{};
                                  d->body();
                              } catch (const ThreadKilled&) {
                              } catch (const ctx::detail::forced_unwind&) {
                                  throw;  // the fiber library's own unwinding
                              } catch (const std::exception& e) {
                                  d->escapedError = e.what();
                              } catch (...) {
                                  d->escapedError = "unknown exception";
                              }
                              // Ending the fiber frees its stack and switches back.
                              return std::move(d->resumer);
                          });
}

void Coroutine::Resume() {
    inside_ = true;
    SwapExceptionsInFlight(d->exceptions);
    d->fiber = std::move(d->fiber).resume();
    SwapExceptionsInFlight(d->exceptions);
    inside_ = false;
}

void Coroutine::Suspend() {
    if (killRequested_) throw ThreadKilled{};
    d->resumer = std::move(d->resumer).resume();
    if (killRequested_) throw ThreadKilled{};
}

bool Coroutine::Alive() const {
    return inside_ || static_cast<bool>(d->fiber);
}

std::optional<std::string> Coroutine::TakeEscapedError() {
    return std::exchange(d->escapedError, std::nullopt);
}

}  // namespace fw
