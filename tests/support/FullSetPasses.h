#pragma once

#include <QtGlobal>

// How many passes over the 8,145,060 combinations of the full set a test may make. Builds without
// optimisation or with the address sanitizer make them many times slower: tests keep to a few there.
#if defined(__SANITIZE_ADDRESS__) || !defined(NDEBUG)
inline constexpr bool kSlowBuild = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
inline constexpr bool kSlowBuild = true;
#else
inline constexpr bool kSlowBuild = false;
#endif
#else
inline constexpr bool kSlowBuild = false;
#endif

// A run that asks for a shorter cross-section of the passes (every way of working, fewer cases): the
// thread sanitizer's run sets VENDRA_SHORT_FULL_SET_TESTS.
inline bool ShortFullSetTests()
{
    return kSlowBuild || qEnvironmentVariableIsSet("VENDRA_SHORT_FULL_SET_TESTS");
}
