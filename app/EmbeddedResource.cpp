#include "app/EmbeddedResource.h"

#include <wx/image.h>
#include <wx/mstream.h>

wxImage LoadEmbeddedPng(const char* name)
{
    const EmbeddedResource png = FindEmbeddedResource(name);
    if (png.size == 0)
        return wxImage();
    if (!wxImage::FindHandler(wxBITMAP_TYPE_PNG))
        wxImage::AddHandler(new wxPNGHandler);
    wxMemoryInputStream stream(png.data, png.size);
    return wxImage(stream, wxBITMAP_TYPE_PNG);
}
