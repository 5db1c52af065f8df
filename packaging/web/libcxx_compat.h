// Included ahead of every source of the web build: what the C++ library of
// Debian's emscripten (3.1.6) lacks of C++20 and the program uses.
#pragma once
#include <version>

#ifndef __cpp_lib_bit_cast
#include <cstring>
#include <type_traits>

namespace std {
// The library has no bit_cast; the compiler's builtin does the work.
template <class To, class From>
constexpr To bit_cast(const From& from) noexcept
{
    static_assert(sizeof(To) == sizeof(From) && is_trivially_copyable_v<To> && is_trivially_copyable_v<From>);
    return __builtin_bit_cast(To, from);
}
}  // namespace std
#endif
