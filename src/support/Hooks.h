#pragma once
// Calling a hook that may be unset: the subsystems' hook structs leave a hook empty when the
// feature behind it is absent, and the call then does nothing (or gives the fallback).
#include <functional>
#include <type_traits>

namespace vistrel {

template <typename... Args>
void CallIfSet(const std::function<void(Args...)>& hook, std::type_identity_t<Args>... args)
{
    if (hook)
        hook(args...);
}

template <typename R, typename... Args>
R CallOr(const std::function<R(Args...)>& hook, std::type_identity_t<R> fallback, std::type_identity_t<Args>... args)
{
    return hook ? hook(args...) : fallback;
}

}  // namespace vistrel
