#pragma once

#include <rapidjson/allocators.h>

#include <cstddef>
#include <new>

// RapidJSON's malloc-based allocator, except that memory running out throws std::bad_alloc:
// RapidJSON does not check for null and would write through it. Both the stack and the
// pool that RapidJSON takes from this allocator stay as they were when it throws.
class JsonAllocator : public rapidjson::CrtAllocator
{
public:
    void* Malloc(std::size_t size)
    {
        return Checked(CrtAllocator::Malloc(size), size);
    }
    void* Realloc(void* originalPtr, std::size_t originalSize, std::size_t newSize)
    {
        return Checked(CrtAllocator::Realloc(originalPtr, originalSize, newSize), newSize);
    }

private:
    static void* Checked(void* block, std::size_t size)
    {
        if (block == nullptr && size != 0)
            throw std::bad_alloc();
        return block;
    }
};
