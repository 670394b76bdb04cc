#include "platform/gst/GstShared.h"

#include <gst/gst.h>
#include <gst/pbutils/pbutils.h>

namespace vistrel::gst {

bool StartGstreamer()
{
    if (!gst_init_check(nullptr, nullptr, nullptr))
        return false;
    gst_pb_utils_init();
    return true;
}

GstElement* NewPlaybinForFile(const std::string& file, std::string& error)
{
    GstElement* playbin = gst_element_factory_make("playbin", nullptr);
    if (playbin)
        gst_object_ref_sink(playbin);
    gchar* uri = gst_filename_to_uri(file.c_str(), nullptr);
    if (!playbin || !uri) {
        g_free(uri);
        error = playbin ? "The file name cannot be made into a URI" : "GStreamer has no playbin";
        if (playbin)
            gst_object_unref(playbin);
        return nullptr;
    }
    g_object_set(playbin, "uri", uri, nullptr);
    g_free(uri);
    return playbin;
}

std::string ErrorText(GstMessage* message)
{
    GError* error = nullptr;
    gst_message_parse_error(message, &error, nullptr);
    std::string text = error && error->message ? error->message : "Unknown GStreamer error";
    g_clear_error(&error);
    return text;
}

}  // namespace vistrel::gst
