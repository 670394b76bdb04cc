#include "platform/gst/SpeedFilter.h"

#include <gst/gst.h>

namespace vistrel::gst {

GstElement* MakeSpeedFilter(bool synthesizer)
{
    if (!synthesizer)
        return gst_element_factory_make("scaletempo", nullptr);
    GError* error = nullptr;
    GstElement* bin =
        gst_parse_bin_from_description("audiobuffersplit output-buffer-duration=1/20 ! scaletempo", TRUE, &error);
    g_clear_error(&error);
    return bin;
}

}  // namespace vistrel::gst
