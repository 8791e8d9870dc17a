#pragma once

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

// One reply record: a single zero-filled heap block holding a 6-byte header and the
// payload right behind it, with no gap and no alignment. Multi-byte numbers and records
// are copied in and out byte by byte (native order). Made by Q310Comm::NewResponse only.
#pragma pack(push, 1)
struct Q310Response
{
    uint32_t type;           // a ResponseType value
    uint16_t payloadLength;  // number of payload bytes
    uint8_t payload[];       // payloadLength bytes

    // Copies the payload into a record of type T; a payload shorter than T gives a zero T.
    template <typename T>
    T PayloadAs() const
    {
        T value{};
        if (payloadLength >= sizeof(T))
            std::memcpy(&value, payload, sizeof(T));
        return value;
    }
};
#pragma pack(pop)

static_assert(sizeof(Q310Response) == 6, "the payload starts right behind payloadLength");

// Releases the whole block; nothing in it needs destruction.
struct Q310ResponseDeleter
{
    void operator()(Q310Response* response) const noexcept { std::free(response); }
};

// The one owner of a reply record.
using Q310ResponsePtr = std::unique_ptr<Q310Response, Q310ResponseDeleter>;
