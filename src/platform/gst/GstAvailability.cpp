#include "platform/gst/GstAvailability.h"

#include <gst/gst.h>

namespace vistrel {

bool IsDirectShowAvailable()
{
    static const bool available = [] {
        if (!gst_init_check(nullptr, nullptr, nullptr))
            return false;
        GstElementFactory* playbin = gst_element_factory_find("playbin");
        if (!playbin)
            return false;
        gst_object_unref(playbin);
        return true;
    }();
    return available;
}

}  // namespace vistrel
