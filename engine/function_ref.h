// A callable taken by reference: what a function that only calls its
// argument before returning needs, without the copy, and the allocation for
// a lambda of more than two captures, that a std::function parameter makes
// on every call. It must not outlive what it refers to.
#pragma once

#include <functional>
#include <memory>
#include <type_traits>
#include <utility>

namespace qelvo {

template <typename Signature>
class FunctionRef;

template <typename Result, typename... Args>
class FunctionRef<Result(Args...)> {
  public:
    template <typename Callable>
    requires(!std::is_same_v<std::remove_cvref_t<Callable>, FunctionRef> &&
             std::is_invocable_r_v<Result, Callable&, Args...>)
        // Implicit, so that callers pass lambdas as they would to std::function.
        FunctionRef(Callable&& callable)  // NOLINT(google-explicit-constructor)
        : callable_(const_cast<void*>(static_cast<const void*>(std::addressof(callable)))),
          call_([](void* callable, Args... args) -> Result {
              return std::invoke(*static_cast<std::remove_reference_t<Callable>*>(callable),
                                 std::forward<Args>(args)...);
          }) {}

    Result operator()(Args... args) const { return call_(callable_, std::forward<Args>(args)...); }

  private:
    void* callable_;
    Result (*call_)(void*, Args...);
};

}  // namespace qelvo
