#pragma once

#include <cstddef>

// One image compiled into the program from app/res (see app/res/Embed.cmake).
struct EmbeddedResource
{
    const unsigned char* data;
    std::size_t size;  // 0 when no resource has the name
};

// Looks a resource up by its file name in app/res, e.g. "toolbar140.png".
EmbeddedResource FindEmbeddedResource(const char* name);

class wxImage;
// The PNG image of that name; an invalid image when there is none.
wxImage LoadEmbeddedPng(const char* name);
