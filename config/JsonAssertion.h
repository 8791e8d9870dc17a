#pragma once

// What a failed check inside RapidJSON does, in every build. The build includes this header
// ahead of every source file that can see RapidJSON (see the q310_rapidjson target), so all
// of them agree on it.
//
// RapidJSON checks its own expectations with RAPIDJSON_ASSERT, by default assert(): an abort
// where NDEBUG is not defined and nothing at all where it is. Some files reach such a check
// (a lone surrogate escape such as "\udc00" fails the UTF-16 encoder's). Here a failed check
// throws JsonAssertion whatever NDEBUG says: reading a file catches it and refuses the file
// (ConfigFile::LoadDocument); anywhere else it ends the program like any uncaught exception,
// which is what a fuzzer reports.

#if defined(RAPIDJSON_ASSERT)
#error "RapidJSON was included before config/JsonAssertion.h"
#endif

#include <stdexcept>

class JsonAssertion : public std::logic_error
{
public:
    using std::logic_error::logic_error;
};

[[noreturn]] inline void ThrowJsonAssertion(const char* check)
{
    throw JsonAssertion(check);
}

#define RAPIDJSON_ASSERT(x) \
    (__builtin_expect(!!(x), 1) ? static_cast<void>(0) : ThrowJsonAssertion("RAPIDJSON_ASSERT(" #x ")"))
